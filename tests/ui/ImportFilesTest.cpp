#include "ui/dialogs/ImportFilesWindowController.h"

#include "UiTestSupport.h"
#include "model/ExportList.h"
#include "model/ImportList.h"
#include "support/TestSupport.h"
#include "ui/AlertPresenter.h"
#include "ui/FileChooser.h"
#include "ui/ImportReview.h"

#include <QClipboard>
#include <QDir>
#include <QDropEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <utility>

using lockleaf::ImportFilesWindowController;
using lockleaf::LockleafAppDelegate;

namespace
{

QStringList pathsOf(const QList<QUrl> &urls)
{
    QStringList paths;
    for (const QUrl &url : urls)
        paths.append(url.toLocalFile());
    return paths;
}

class RecordingDelegate final : public lockleaf::ImportFilesWindowControllerDelegate
{
public:
    void ImportFilesWindowControllerDidFinish(ImportFilesWindowController *controller) override
    {
        reports.append(controller->files());
        shownWhenTold.append(controller->isVisible());
    }
    QList<QList<QUrl>> reports;
    QList<bool> shownWhenTold;
};

class ImportFilesTest : public uitest::UiTest
{
protected:
    void SetUp() override
    {
        uitest::UiTest::SetUp();
        parent = std::make_unique<QWidget>();
        dialog = new ImportFilesWindowController(parent.get(), &alerts, &chooser);
        dialog->setAllowedTypes(QStringLiteral("pdf,PDF"));
        dialog->setDelegate(&delegate);
    }
    template <typename T> T *part(const char *name)
    {
        return dialog->findChild<T *>(QString::fromLatin1(name));
    }
    QString countText() { return part<QLabel>("totalFilesFound")->text(); }

    testsupport::TempDir dir;
    lockleaf::AlertPresenter alerts;
    lockleaf::FileChooser chooser;
    RecordingDelegate delegate;
    std::unique_ptr<QWidget> parent;               // made once the application exists
    ImportFilesWindowController *dialog = nullptr; // owned by parent
};

TEST_F(ImportFilesTest, parsing_keepsEachPdfLineOnceInOrder_untrimmed)
{
    const QString here = QDir::current().absolutePath();
    const std::pair<QString, QStringList> cases[] = {
        {"/a/x.pdf\n/a/y.PDF\n/a/x.pdf\n/a/z.txt\n\n/a/w.Pdf\n/a.b/noext\n/a/#1 ?%20.pdf",
         {"/a/x.pdf", "/a/y.PDF", "/a/w.Pdf", "/a/#1 ?%20.pdf"}},
        // Were the carriage return kept, ".pdf\r" would match no extension and
        // the whole list would be dropped without a word.
        {"/a/x.pdf\r\n/a/y.PDF\r\n/a/x.pdf\n/b/z.pdf", {"/a/x.pdf", "/a/y.PDF", "/b/z.pdf"}},
        // A carriage return that no line feed follows is part of the line.
        {"/a/x.pdf\r", {}},
        // A leading blank makes a relative path; a trailing one the extension "pdf ".
        {" /a/x.pdf\n/a/x.pdf\n/a/x.pdf ", {here + "/ /a/x.pdf", "/a/x.pdf"}},
    };
    for (const auto &[text, expected] : cases)
        EXPECT_EQ(pathsOf(lockleaf::parseImportText(text, {"pdf", "PDF"})), expected) << text.toStdString();
}

TEST_F(ImportFilesTest, parseFile_readsUtf8WithOrWithoutMarkAndCountsThem)
{
    const QString list = dir.file(QStringLiteral("windows.txt"));
    testsupport::writeFile(list, "\xef\xbb\xbf/a/x.pdf\r\n/a/y.PDF\r\n");
    dialog->parseFile(list);
    EXPECT_EQ(pathsOf(dialog->files()), (QStringList{"/a/x.pdf", "/a/y.PDF"}));
    EXPECT_EQ(countText(), QStringLiteral("Total Files Found : 2"));
    EXPECT_EQ(part<QLineEdit>("importFile")->text(), list);

    // A missing file, and one that is not UTF-8, both give an empty result.
    dialog->parseFile(dir.file(QStringLiteral("missing.txt")));
    EXPECT_EQ(countText(), QStringLiteral("Total Files Found : 0"));
    const QString latin1 = dir.file(QStringLiteral("latin1.txt"));
    testsupport::writeFile(latin1, "/a/x.pdf\n/a/caf\xe9.pdf\n");
    dialog->parseFile(latin1);
    EXPECT_TRUE(dialog->files().isEmpty());
}

TEST_F(ImportFilesTest, paste_replacesTheTextWithTheAcceptedPathsOnly)
{
    part<QRadioButton>("importFromTextBtn")->click();
    QGuiApplication::clipboard()->setText(
        QStringLiteral("/a/x.pdf\r\n/a/notes.doc\r\n/a/y.pdf\r\n/a/x.pdf\r\n"));
    part<QPushButton>("pasteFromClipboardBtn")->click();
    EXPECT_EQ(part<QPlainTextEdit>("importText")->toPlainText(), QStringLiteral("/a/x.pdf\n/a/y.pdf"));
    EXPECT_EQ(countText(), QStringLiteral("Total Files Found : 2"));

    QGuiApplication::clipboard()->clear();
    dialog->pasetFromClipboardAction();
    EXPECT_EQ(part<QPlainTextEdit>("importText")->toPlainText(), QStringLiteral("/a/x.pdf\n/a/y.pdf"));
}

TEST_F(ImportFilesTest, import_withNothingToImport_alertsAndStaysOpen)
{
    for (int i = 0; i < 5; ++i)
        alerts.setNextAnswer(lockleaf::AlertPresenter::Answer::Ok);
    dialog->showSheet();
    EXPECT_EQ(dialog->importMethod(), 0) << "from file the first time";
    dialog->importAction(); // no path
    part<QRadioButton>("importFromTextBtn")->click();
    EXPECT_FALSE(part<QPushButton>("browseBtn")->isEnabled());
    dialog->importAction(); // no text
    part<QPlainTextEdit>("importText")->setPlainText(QStringLiteral("/a/readme.txt\n\n"));
    dialog->importAction(); // nothing accepted
    part<QPlainTextEdit>("importText")->setPlainText(QStringLiteral("/a/x.pdf\t\n/a/readme.txt\n"));
    dialog->importAction(); // a map line without a password
    const QString latin1 = dir.file(QStringLiteral("map.txt"));
    testsupport::writeFile(latin1, "/a/caf\xe9.pdf\tpw\n");
    part<QRadioButton>("importFromFileBtn")->click();
    part<QLineEdit>("importFile")->setText(latin1);
    dialog->importAction();
    part<QRadioButton>("importFromTextBtn")->click();
    part<QPlainTextEdit>("importText")->setPlainText(QStringLiteral("/a/readme.txt\n\n"));

    EXPECT_EQ(
        alerts.messages(),
        (QStringList{
            "Please select file to import!", "Please paste file(s) path to import!", "No File(s) Found!",
            "No File(s) Found!\n\n2 line(s) of the list were not added:\n1 name no PDF file (line(s) 2)\n"
            "Line 1: missing password",
            "No File(s) Found!\n\nThe file cannot be read as UTF-8 text."}));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(part<QPlainTextEdit>("importText")->toPlainText(), QStringLiteral("/a/readme.txt\n\n"));
    part<QPushButton>("cancelBtn")->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(delegate.reports.isEmpty());
}

TEST_F(ImportFilesTest, browse_fillsThePathAndImportReportsOnce)
{
    const QString list = dir.file(QStringLiteral("list.txt"));
    testsupport::writeFile(list, "/nowhere/a.pdf\n/nowhere/b.PDF\n");
    dialog->showSheet();
    chooser.setNextFileName(QString()); // Cancel
    part<QPushButton>("browseBtn")->click();
    EXPECT_TRUE(part<QLineEdit>("importFile")->text().isEmpty());
    chooser.setNextFileName(list);
    part<QPushButton>("browseBtn")->click();
    EXPECT_EQ(part<QLineEdit>("importFile")->text(), list);

    part<QPushButton>("importBtn")->click();
    ASSERT_EQ(delegate.reports.size(), 1);
    EXPECT_EQ(pathsOf(delegate.reports[0]), (QStringList{"/nowhere/a.pdf", "/nowhere/b.PDF"}));
    EXPECT_EQ(delegate.shownWhenTold, QList<bool>{false}) << "its report is not covered by the dialog";
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(alerts.messages().isEmpty());
}

// Lines with a tab are a password map's, numbered as the text's lines; the
// others read as a plain list. Nothing of a line ever shows in the report.
TEST_F(ImportFilesTest, mapLines_keepTheirNumbersAndPasswords_besidePlainLines)
{
    const QString a = dir.file("a.pdf");
    const QString b = dir.file("b.PDF");
    testsupport::makePdf(a);
    testsupport::makePdf(b);
    const QString text = QStringList{"/a/x.pdf",
                                     a + "\tpw a ",
                                     b + "\t\towner",
                                     dir.file("c.pdf") + "\tpw\tx\ty",
                                     "\t\t",
                                     a + "\tpw a ",
                                     dir.file("d.txt") + "\tpw-d",
                                     "rel.pdf\tpw-r",
                                     ""}
                             .join("\r\n");
    dialog->parseText(text);
    const QString rel = QDir::current().absoluteFilePath("rel.pdf");
    EXPECT_EQ(pathsOf(dialog->files()), (QStringList{"/a/x.pdf", a, b, rel}));
    EXPECT_EQ(countText(), QStringLiteral("Total Files Found : 4, 3 with own passwords"));
    const auto &entries = dialog->passwords().entries;
    ASSERT_TRUE(entries.contains(a) && entries.contains(b));
    EXPECT_EQ(entries[a].openPassword, QStringLiteral("pw a ")) << "taken literally";
    EXPECT_EQ(entries[b].openPassword, QString(""));
    EXPECT_EQ(entries[b].permissionPassword, QStringLiteral("owner"));

    const lockleaf::ImportReview review = lockleaf::reviewImport(text, dialog->files(), dialog->passwords());
    EXPECT_EQ(pathsOf(review.existing), (QStringList{a, b}));
    EXPECT_EQ(review.passwords.keys().size(), 2);
    EXPECT_EQ(review.message(),
              QStringLiteral("4 line(s) of the list were not added:\n1 name no existing file (line(s) 1)\n"
                             "Line 4: malformed line: 4 fields, at most 3 expected\n"
                             "Line 7: not a PDF file\nLine 8: no such file"));
}

// Pasted or dropped, a map is kept as it is, so its lines keep their numbers.
TEST_F(ImportFilesTest, mapPastedOrDropped_isKeptWhole)
{
    const QString map = QStringLiteral("/a/x.pdf\tpw\n/a/notes.doc\n/a/y.pdf");
    part<QRadioButton>("importFromTextBtn")->click();
    QGuiApplication::clipboard()->setText(map);
    part<QPushButton>("pasteFromClipboardBtn")->click();
    EXPECT_EQ(part<QPlainTextEdit>("importText")->toPlainText(), map);
    EXPECT_EQ(pathsOf(dialog->files()), (QStringList{"/a/x.pdf", "/a/y.pdf"}));

    const QString file = dir.file("map.tsv");
    testsupport::writeFile(file, "/a/z.pdf\tpw-z\r\n");
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(file)});
    QWidget *field = part<QPlainTextEdit>("importText")->viewport();
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(field, &enter);
    EXPECT_TRUE(enter.isAccepted()) << "the field does not take the file's name as text";
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(field, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(dialog->importMethod(), 0);
    EXPECT_EQ(part<QLineEdit>("importFile")->text(), file);
    EXPECT_EQ(countText(), QStringLiteral("Total Files Found : 1, 1 with own passwords"));
}

// A saved export (with or without its Status column) reopens as its files,
// by location and name; the rows that name nothing are told by line number.
TEST_F(ImportFilesTest, exportedList_readsBackAsItsFiles_missingOnesByLine)
{
    const QString plain = dir.file("a b.pdf");
    const QString secured = dir.file("s.PDF");
    testsupport::makePdf(plain);
    testsupport::makeEncryptedPdf(secured, "user", "owner", 128);
    QList<lockleaf::FileItemPtr> items;
    for (const QString &path : {plain, secured, dir.file("gone.pdf"), dir.file("gone2.pdf")}) {
        testsupport::makePdf(path);
        items << lockleaf::FileItem::initWithURL(QUrl::fromLocalFile(path));
    }
    QFile::remove(dir.file("gone.pdf"));
    QFile::remove(dir.file("gone2.pdf"));
    items[1]->setLastOutcome({"Unable to secure pdf document!", "a\treason", true});
    const QString current = QString::fromUtf8(lockleaf::exportListText(items));
    QStringList older = current.split('\n');
    for (QString &line : older)
        line = line.section('\t', 0, 7); // as exports were before the Status column
    for (const QString &text : {current, older.join("\r\n")}) {
        SCOPED_TRACE(text.toStdString());
        dialog->parseText(text);
        EXPECT_EQ(pathsOf(dialog->files()),
                  (QStringList{plain, secured, dir.file("gone.pdf"), dir.file("gone2.pdf")}));
        EXPECT_TRUE(dialog->passwords().problems.isEmpty());
        const lockleaf::ImportReview review =
            lockleaf::reviewImport(dialog->parsedText(), dialog->files(), dialog->passwords());
        EXPECT_EQ(pathsOf(review.existing), (QStringList{plain, secured}));
        EXPECT_EQ(review.message(),
                  "2 line(s) of the list were not added:\n2 name no existing file (line(s) 4, 5)");
    }
    // A list that only looks like one is still read as a password map.
    dialog->parseText("Name\tPages\n" + plain + "\tpw\n");
    EXPECT_TRUE(dialog->passwords().entries.contains(plain));
}

TEST_F(ImportFilesTest, accessLetters_followTheOccurrenceRule)
{
    using C = ImportFilesWindowController;
    EXPECT_EQ(C::markKeyCharacter("Import From Text", "t", 2), QStringLiteral("Import From Tex&t"));
    EXPECT_EQ(C::markKeyCharacter("Save && Import", "i", 1), QStringLiteral("Save && &Import"));
    EXPECT_EQ(C::markKeyCharacter("Import", "f", 2), std::nullopt) << "occurrence 2 respects letter case";
    EXPECT_EQ(part<QRadioButton>("importFromFileBtn")->text(), QStringLiteral("Import From &File"));
    EXPECT_EQ(part<QPushButton>("pasteFromClipboardBtn")->text(), QStringLiteral("&Paste from Clipboard"));
}

TEST_F(ImportFilesTest, windowImport_gathersTheFilesAndReopensEmptyInTheLastMode)
{
    LockleafAppDelegate d;
    const QString a = dir.file(QStringLiteral("a.pdf"));
    testsupport::makePdf(a, 2);
    uitest::child<QAction>(d, "importAction")->trigger();
    ImportFilesWindowController *panel = d.fileActions()->importFilesPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->windowModality(), Qt::WindowModal);

    panel->findChild<QRadioButton *>("importFromTextBtn")->click();
    // Only the existing file is added; every other line is accounted for.
    const QString text =
        QStringList{
            a, dir.file("gone.pdf"), dir.path(), QStringLiteral(" ") + a, dir.file("notes.txt"), a, QString()}
            .join(QStringLiteral("\r\n"));
    panel->findChild<QPlainTextEdit *>("importText")->setPlainText(text);
    QSignalSpy finished(d.gathering(), &lockleaf::Gathering::gatheringFinished);
    d.alerts()->setNextAnswer(lockleaf::AlertPresenter::Answer::Ok);
    panel->findChild<QPushButton *>("importBtn")->click();
    EXPECT_FALSE(panel->isVisible());
    ASSERT_TRUE(finished.wait(60000));
    EXPECT_EQ(uitest::fileNames(d), QStringList{"a.pdf"});
    EXPECT_EQ(d.alerts()->messages(),
              QStringList{QStringLiteral("4 line(s) of the list were not added:\n"
                                         "1 name no existing file (line(s) 2)\n"
                                         "1 name a folder, add folders with Add Folder... (line(s) 3)\n"
                                         "1 have blanks before or after the path (line(s) 4)\n"
                                         "1 name no PDF file (line(s) 5)")});

    d.fileActions()->importAction();
    EXPECT_EQ(d.fileActions()->importFilesPanel(), panel) << "one dialog, kept";
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(panel->findChild<QPlainTextEdit *>("importText")->toPlainText().isEmpty());
    EXPECT_TRUE(panel->files().isEmpty());
    EXPECT_EQ(panel->findChild<QLabel *>("totalFilesFound")->text(), QStringLiteral("Total Files Found : 0"));
    EXPECT_EQ(panel->importMethod(), 1);
    panel->cancelAction();
}

} // namespace
