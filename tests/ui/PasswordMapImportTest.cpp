// A password map imported through the window: each file secured with its own
// passwords, the lines not taken reported, and no password shown or kept.

#include "ui/LockleafAppDelegate.h"

#include "UiTestSupport.h"
#include "engine/Process.h"
#include "model/PDFSettings.h"
#include "support/TestSupport.h"
#include "ui/AlertPresenter.h"
#include "ui/ProgressPanel.h"
#include "ui/dialogs/ImportFilesWindowController.h"

#include <QDebug>
#include <QIcon>
#include <QJsonObject>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

using lockleaf::AlertPresenter;
using lockleaf::FileItemPtr;
using lockleaf::LockleafAppDelegate;

namespace
{

const QStringList kPasswords{"pw-0", "pw-1", "owner-1", "pw-3", "pw-4a", "pw-4b", "pw-gone", "pw-txt"};

class PasswordMapImportTest : public uitest::RunWindowTest
{
protected:
    // Pastes `text` into the import dialog, imports it and waits for the gathering.
    static void importText(LockleafAppDelegate &d, const QString &text)
    {
        d.fileActions()->importAction();
        lockleaf::ImportFilesWindowController *panel = d.fileActions()->importFilesPanel();
        ASSERT_NE(panel, nullptr);
        panel->findChild<QRadioButton *>("importFromTextBtn")->click();
        panel->findChild<QPlainTextEdit *>("importText")->setPlainText(text);
        QSignalSpy finished(d.gathering(), &lockleaf::Gathering::gatheringFinished);
        panel->findChild<QPushButton *>("importBtn")->click();
        ASSERT_FALSE(panel->isVisible());
        ASSERT_TRUE(finished.wait(60000)) << "gathering did not end";
    }
    static bool opensWith(const QString &path, const QString &password)
    {
        const QJsonObject encryption = testsupport::encryptionJson(path, password.toUtf8());
        return encryption.value("userpasswordmatched").toBool() ||
               encryption.value("ownerpasswordmatched").toBool();
    }
    static bool holdsAPassword(const QString &text)
    {
        for (const QString &password : kPasswords)
            if (text.contains(password))
                return true;
        return false;
    }
};

TEST_F(PasswordMapImportTest, mapLines_giveEachFileItsOwnPasswords_theRestIsReportedByLine)
{
    auto d = window({});
    const QStringList pdfs = uitest::makeNumberedPdfs(m_sources, {1, 2, 1, 3, 1});
    const QString plain = m_sources.file("plain.pdf");
    testsupport::makePdf(plain);
    const QString notes = m_sources.file("notes.txt");
    testsupport::writeFile(notes, "not a pdf");
    uitest::gather(*d, uitest::urlsOf({pdfs[3]})); // listed before the map names it

    const QString map = QStringList{pdfs[0] + "\tpw-0",
                                    pdfs[1] + "\tpw-1\towner-1",
                                    plain,
                                    pdfs[2] + "\t",
                                    pdfs[3] + "\tpw-3",
                                    m_sources.file("gone.pdf") + "\tpw-gone",
                                    pdfs[4] + "\tpw-4a",
                                    pdfs[4] + "\tpw-4b",
                                    notes + "\tpw-txt",
                                    pdfs[0] + "\tpw-0",
                                    ""}
                            .join("\r\n");
    d->alerts()->setNextAnswer(AlertPresenter::Answer::Ok);
    importText(*d, map);
    ASSERT_EQ(d->alerts()->messages().size(), 1);
    EXPECT_EQ(d->alerts()->messages()[0],
              QStringLiteral("5 line(s) of the list were not added:\nLine 4: missing password\n"
                             "Line 6: no such file\nLine 7: not taken: line 8 names the same file\n"
                             "Line 8: other passwords for the file of line 7\nLine 9: not a PDF file"));
    EXPECT_EQ(uitest::fileNames(*d), (QStringList{"f03.pdf", "f00.pdf", "f01.pdf", "plain.pdf"}));

    // The mark, its tooltip and spoken text on mapped rows only; no password anywhere.
    lockleaf::FileTableModel *model = d->fileList()->tableModel();
    for (int row = 0; row < model->rowCount(); ++row) {
        const bool own = model->itemAt(row)->filePath().fileName() != "plain.pdf";
        const QModelIndex name = model->index(row, lockleaf::FileTableModel::NameColumn);
        SCOPED_TRACE(name.data().toString().toStdString());
        EXPECT_EQ(name.data(Qt::DecorationRole).value<QIcon>().isNull(), !own);
        EXPECT_EQ(name.data(Qt::ToolTipRole).toString().endsWith("\nHas its own password"), own);
        EXPECT_EQ(name.data(Qt::AccessibleTextRole).toString().endsWith(", has its own password"), own);
        for (int column = 0; column < model->columnCount(); ++column)
            for (int role : {Qt::DisplayRole, Qt::ToolTipRole, Qt::AccessibleTextRole})
                EXPECT_FALSE(holdsAPassword(model->index(row, column).data(role).toString()));
    }

    // The plain row needs the typed passwords; with them, every file is secured.
    d->options()->securityAction(1);
    d->alerts()->setNextAnswer(AlertPresenter::Answer::Ok);
    d->run()->convert();
    ASSERT_EQ(d->alerts()->messages().size(), 2);
    EXPECT_EQ(d->alerts()->messages()[1],
              QStringLiteral("Please provide atleast one password to secure pdf document!"));
    d->settings()->pdfSettings()->setPdfOpenPassword("typed-pw");
    d->settings()->pdfSettings()->setPdfPermissionPassword("typed-owner");
    d->run()->convert();
    waitForRun(*d);
    EXPECT_EQ(d->run()->processViewPanel()->messageLabel()->text(),
              QStringLiteral("All files splitted successfully."));
    const struct {
        const char *file;
        QString opens, alsoOpens, doesNot;
    } outputs[] = {
        {"f00.pdf", "pw-0", "pw-0", "pw-1"},
        {"f01.pdf", "pw-1", "owner-1", "pw-0"},
        {"f03.pdf", "pw-3", "pw-3", "typed-pw"},
        {"plain.pdf", "typed-pw", "typed-owner", "pw-0"},
    };
    for (const auto &o : outputs) {
        SCOPED_TRACE(o.file);
        const QString output = m_out.file(o.file);
        EXPECT_TRUE(opensWith(output, o.opens));
        EXPECT_TRUE(opensWith(output, o.alsoOpens));
        EXPECT_FALSE(opensWith(output, o.doesNot));
        EXPECT_FALSE(opensWith(output, ""));
    }
    EXPECT_EQ(entriesOf(m_out.path()).size(), 4) << "nothing for the lines not taken";
    const QString log = d->run()->process()->log().logFilePath();
    ASSERT_TRUE(QFileInfo::exists(log));
    EXPECT_FALSE(holdsAPassword(QString::fromUtf8(testsupport::readFile(log))));
    d->run()->closeProcessAction();

    // Neither the export nor the settings saved on quitting keep one.
    const QString exported = m_out.file("export.txt");
    ASSERT_TRUE(d->fileActions()->exportList(exported));
    EXPECT_FALSE(holdsAPassword(QString::fromUtf8(testsupport::readFile(exported))));
    ASSERT_TRUE(d->applicationShouldTerminate());
    const std::unique_ptr<QSettings> store = lockleaf::Settings::openStore();
    QString stored = QString::fromUtf8(testsupport::readFile(store->fileName()));
    for (const QString &key : store->allKeys())
        QDebug(&stored) << store->value(key); // every nested text, decoded
    EXPECT_TRUE(stored.contains("typed-pw")) << "the store read is the one written";
    EXPECT_FALSE(holdsAPassword(stored));
}

// Rows with their own passwords need no typed one; an own password the run's
// permissions cannot go with stops the run before anything is written, naming
// every such row; a typed permission password completes an open-only line.
TEST_F(PasswordMapImportTest, ownPasswordsOnEveryRow_needNoTypedOne_andAreCheckedBeforeTheRun)
{
    auto d = window({});
    const QStringList pdfs = uitest::makeNumberedPdfs(m_sources, {1, 1, 1});
    importText(*d, pdfs[0] + "\tpw-0\n" + pdfs[1] + "\tpw-1\towner-1\n" + pdfs[2] + "\tpw-2\n");
    EXPECT_TRUE(d->alerts()->messages().isEmpty());
    d->options()->securityAction(1);
    lockleaf::PDFSettings *pdf = d->settings()->pdfSettings();
    pdf->setCanPrint(false);
    d->alerts()->setNextAnswer(AlertPresenter::Answer::Ok);
    d->run()->convert();
    ASSERT_EQ(d->alerts()->messages().size(), 1);
    const QString why = "Printing or copying can only be forbidden with a permission password: the open "
                        "password alone would unlock every right. Please enter a permission password.";
    EXPECT_EQ(d->alerts()->messages()[0], "The own passwords of 2 checked file(s) cannot protect them:\n"
                                          "Row 1, f00.pdf: " +
                                              why + "\nRow 3, f02.pdf: " + why);
    EXPECT_FALSE(d->run()->isRunWorking());
    EXPECT_TRUE(entriesOf(m_out.path()).isEmpty());

    pdf->setPdfPermissionPassword(QStringLiteral("typed-owner"));
    d->run()->convert();
    waitForRun(*d);
    EXPECT_EQ(d->alerts()->messages().size(), 1);
    const QJsonObject f00 = testsupport::encryptionJson(m_out.file("f00.pdf"), "typed-owner");
    EXPECT_TRUE(f00.value("ownerpasswordmatched").toBool());
    EXPECT_TRUE(opensWith(m_out.file("f00.pdf"), "pw-0"));
    EXPECT_FALSE(
        testsupport::encryptionJson(m_out.file("f00.pdf"), "pw-0").value("ownerpasswordmatched").toBool());
    EXPECT_FALSE(
        testsupport::encryptionCapabilities(testsupport::encryptionJson(m_out.file("f00.pdf"), "pw-0"))
            .value("printhigh")
            .toBool());
    EXPECT_TRUE(opensWith(m_out.file("f01.pdf"), "owner-1"));
    EXPECT_FALSE(opensWith(m_out.file("f01.pdf"), "typed-owner")) << "its own permission password stays";
    EXPECT_FALSE(opensWith(m_out.file("f01.pdf"), "pw-0"));
    d->run()->closeProcessAction();

    // Removing a row is what clears its passwords: listed again, it has none.
    uitest::highlight(*d, {0, 1, 2});
    d->fileList()->selectDeselectRemoveAll(4);
    uitest::gather(*d, uitest::urlsOf({pdfs[0]}));
    ASSERT_EQ(d->fileList()->files().size(), 1);
    EXPECT_FALSE(d->fileList()->files()[0]->hasOwnPasswords());
}

// Removing security: a locked file is opened with its line's passwords, the
// one granting copying first, and they join no saved list.
TEST_F(PasswordMapImportTest, removeMode_opensALockedFileWithItsMapLine)
{
    auto d = window({});
    const QString locked = m_sources.file("locked.pdf");
    testsupport::makeEncryptedPdf(locked, "u-1", "o-1", 256, {"--extract=n"}, 2);
    importText(*d, locked + "\tu-1\to-1");
    ASSERT_EQ(d->fileList()->files().size(), 1);
    const FileItemPtr item = d->fileList()->files()[0];
    EXPECT_EQ(item->pages(), 2);
    EXPECT_EQ(item->pdfOpenPassword(), QStringLiteral("o-1"));
    EXPECT_TRUE(d->settings()->passwords().isEmpty());

    ASSERT_EQ(d->settings()->securityType(), 0);
    d->run()->convert();
    waitForRun(*d);
    EXPECT_FALSE(testsupport::encryptionJson(m_out.file("locked.pdf")).value("encrypted").toBool());
    d->run()->closeProcessAction();
}

} // namespace
