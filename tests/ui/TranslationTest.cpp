// The window in German and in English: the texts of the window, its dialogs,
// alerts and run outcome follow the installed translation and keep their
// numbers and file names; the log stays English; no translation, or a locale
// Lockleaf does not carry, leaves the English source texts.

#include "ui/Translations.h"

#include "UiTestSupport.h"
#include "engine/Process.h"
#include "engine/RunStatus.h"
#include "support/TestSupport.h"
#include "ui/AlertPresenter.h"
#include "ui/FileTableModel.h"
#include "ui/ProgressPanel.h"
#include "ui/RunRecordsTable.h"
#include "ui/RunTexts.h"
#include "ui/dialogs/ImportFilesWindowController.h"
#include "ui/dialogs/PasswordListWindowController.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

using lockleaf::AlertPresenter;
using lockleaf::FileTableModel;
using lockleaf::LockleafAppDelegate;
using lockleaf::shownRunText;
using lockleaf::Translations;
using uitest::child;
using uitest::urlsOf;

namespace
{

const QLocale kGerman(QLocale::German, QLocale::Germany);

class TranslationTest : public uitest::RunWindowTest
{
protected:
    QString pagesHeader(const LockleafAppDelegate &d) const
    {
        return d.fileList()->tableModel()->headerData(FileTableModel::PagesColumn, Qt::Horizontal).toString();
    }
};

TEST_F(TranslationTest, german_translatesTheWindowAndItsDialogs_keepingNumbersAndNames)
{
    Translations translations;
    ASSERT_TRUE(translations.install(kGerman).startsWith(QStringLiteral("de")));
    auto d = window({1, 2});

    EXPECT_EQ(child<QPushButton>(*d, "convertBtn")->text(), QStringLiteral("&Starten"));
    EXPECT_EQ(child<QPushButton>(*d, "addFilesBtn")->text(), QStringLiteral("&Dateien hinzufügen…"));
    EXPECT_EQ(pagesHeader(*d), QStringLiteral("Seiten"));
    EXPECT_EQ(child<QLabel>(*d, "labelTotalFiles")->text(),
              QStringLiteral("2 Dateien insgesamt; 2 angehakt; Seiten der angehakten PDF-Dateien: 3"));
    EXPECT_EQ(child<QLabel>(*d, "labelTotalPDFPages")->text(), QStringLiteral("PDF-Seiten insgesamt: 3"));

    d->passwords()->openPasswordsListPanel();
    ASSERT_NE(d->passwords()->passwordsListPanel(), nullptr);
    EXPECT_EQ(d->passwords()->passwordsListPanel()->windowTitle(), QStringLiteral("Gespeicherte Kennwörter"));
    d->passwords()->passwordsListPanel()->reject();
    d->fileActions()->openImportFilesPanel();
    ASSERT_NE(d->fileActions()->importFilesPanel(), nullptr);
    EXPECT_EQ(d->fileActions()->importFilesPanel()->windowTitle(), QStringLiteral("Dateiliste importieren"));
    d->fileActions()->importFilesPanel()->reject();

    // An entry of a drop left out: its path and the engine's reason, in German.
    const QString missing = m_sources.file("fehlt.pdf");
    d->alerts()->setNextAnswer(AlertPresenter::Answer::Ok);
    uitest::gather(*d, urlsOf({missing}), true);
    ASSERT_EQ(d->alerts()->messages().size(), 1);
    EXPECT_EQ(d->alerts()->messages().constLast(),
              QStringLiteral(
                  "1 Eintrag wurde nicht zur Liste hinzugefügt:\n\n%1: Datei oder Ordner nicht vorhanden")
                  .arg(QDir::toNativeSeparators(missing)));
}

TEST_F(TranslationTest, german_runOutcomeIsTranslatedInTheWindow_andStaysEnglishInTheLog)
{
    Translations translations;
    ASSERT_FALSE(translations.install(kGerman).isEmpty());
    auto window = this->window({});
    LockleafAppDelegate &d = *window;
    const QStringList plain = uitest::makeNumberedPdfs(m_sources, {1, 2});
    const QString locked = m_sources.file("verschlossen.pdf");
    testsupport::makeEncryptedPdf(locked, "unknown-user-pw", "owner", 128);
    uitest::gather(d, urlsOf({plain[0], locked, plain[1]}));

    // A count in an alert keeps its place in the German sentence.
    uitest::highlight(d, {0, 1, 2});
    d.alerts()->setNextAnswer(AlertPresenter::Answer::Ok);
    d.passwords()->updatePDFReadPassword(QStringLiteral("falsch"));
    ASSERT_EQ(d.alerts()->messages().size(), 1);
    EXPECT_EQ(d.alerts()->messages().constLast(),
              QStringLiteral("Das Kennwort hat 1 der 3 markierten PDF-Dateien nicht geöffnet."));

    d.run()->convert();
    waitForRun(d);
    lockleaf::ProgressPanel *panel = d.run()->processViewPanel();
    EXPECT_EQ(
        panel->messageLabel()->text(),
        QStringLiteral("2 von 3 Dateien geschrieben, 1 fehlgeschlagen.\nDie Gründe finden Sie im Status "
                       "jeder Datei oder im Protokoll."));
    EXPECT_EQ(panel->countsLabel()->text(), QStringLiteral("3 von 3 verarbeitet, 2 geschrieben"));
    EXPECT_EQ(panel->fileInProcessLabel()->text(), QStringLiteral("Fertig."));
    lockleaf::RunRecordsTable *failures = panel->failureList();
    ASSERT_EQ(failures->rowCount(), 1);
    ASSERT_EQ(failures->columnCount(), 2);
    EXPECT_EQ(failures->horizontalHeaderItem(1)->text(), QStringLiteral("Status"));
    EXPECT_EQ(failures->item(0, 0)->text(), QStringLiteral("verschlossen.pdf"));
    EXPECT_EQ(failures->item(0, 1)->text(),
              QStringLiteral("Das geschützte PDF-Dokument konnte nicht gelesen werden!"));

    QFile log(d.run()->process()->log().logFilePath());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly)) << log.fileName().toStdString();
    const QString xml = QString::fromUtf8(log.readAll());
    EXPECT_TRUE(xml.contains(QStringLiteral("Status=\"Unable to read secured pdf docuemnt!\"")))
        << xml.toStdString();
    EXPECT_TRUE(xml.contains(QStringLiteral("Status=\"Secured Completed\"")) ||
                xml.contains(QStringLiteral("Status=\"Un-Secured Completed\"")))
        << xml.toStdString();
    d.run()->closeProcessAction();
}

TEST_F(TranslationTest, engineTexts_translatedWithTheirValues_unknownOnesAsTheyCame)
{
    // Without a translation every text comes back as it is, but for the blank
    // the engine's duration leaves before the counts.
    const QString time = QStringLiteral("Total Time Taken : 1 hr(s) 2 min(s) 3 sec(s)  4/5");
    EXPECT_EQ(shownRunText(time), QStringLiteral("Total Time Taken : 1 hr(s) 2 min(s) 3 sec(s) 4/5"));
    EXPECT_EQ(shownRunText(lockleaf::kStatusSecured), lockleaf::kStatusSecured);

    Translations translations;
    ASSERT_FALSE(translations.install(kGerman).isEmpty());
    EXPECT_EQ(shownRunText(time), QStringLiteral("Benötigte Zeit insgesamt: 1 Std. 2 Min. 3 Sek. 4/5"));
    EXPECT_EQ(shownRunText(QStringLiteral("Total Time Taken : In Process... 0/0")),
              QStringLiteral("Benötigte Zeit insgesamt: In Arbeit… 0/0"));
    EXPECT_EQ(shownRunText(QStringLiteral("Open password: The password is longer than 127 bytes, the most a "
                                          "256-bit key can use.")),
              QStringLiteral("Kennwort zum Öffnen: Das Kennwort ist länger als 127 Byte; mehr kann ein "
                             "256-Bit-Schlüssel nicht aufnehmen."));
    // A value that looks like a placeholder is shown as it is.
    EXPECT_EQ(shownRunText(QStringLiteral("Permission password: %2 %1")),
              QStringLiteral("Berechtigungskennwort: %2 %1"));
    const QString libraryError = QStringLiteral("/tmp/a.pdf: xref not found");
    EXPECT_EQ(shownRunText(libraryError), libraryError);
    // Every status the engine records has its German text.
    for (const QString &status :
         {lockleaf::kStatusUnsecured, lockleaf::kStatusSecured, lockleaf::kStatusUnsecureFailed,
          lockleaf::kStatusSecureFailed, lockleaf::kStatusPermission, lockleaf::kStatusSecuredUnreadable,
          lockleaf::kStatusUnreadable, lockleaf::kStatusUnopenable, lockleaf::kStatusSigned,
          lockleaf::kStatusNoBackup, lockleaf::kStatusMissing, lockleaf::kStatusSameFile,
          lockleaf::kStatusSourceChanged, lockleaf::kStatusHardLinks})
        EXPECT_NE(shownRunText(status), status) << status.toStdString();
}

// English keeps the source texts, with each count's noun in its own number.
TEST_F(TranslationTest, english_pluralsFollowTheirCounts_andTheTimeLineReadsAsATime)
{
    Translations translations;
    EXPECT_EQ(translations.install(QLocale(QLocale::English, QLocale::UnitedStates)), QString());
    struct Case {
        QList<int> pages;
        QString totals;
    };
    const Case cases[] = {
        {{2}, "1 Total file; 1 file selected; Total page count of selected PDF file: 2"},
        {{1, 2}, "2 Total files; 2 files selected; Total page count of selected PDF files: 3"},
    };
    for (const Case &c : cases) {
        auto d = window(c.pages);
        EXPECT_EQ(child<QLabel>(*d, "labelTotalFiles")->text(), c.totals);
        EXPECT_EQ(child<QLabel>(*d, "labelTimeTaken")->text(), "Total Time Taken : 0 secs 0/0");
    }
    const struct {
        const char *engine, *shown;
    } times[] = {
        {"Total Time Taken :  0/0", "Total Time Taken : 0 secs 0/0"},
        {"Total Time Taken : 1 hr(s) 1 min(s) 1 sec(s)  4/5", "Total Time Taken : 1 hr 1 min 1 sec 4/5"},
        {"Total Time Taken : 2 hr(s) 5 sec(s)  1/1", "Total Time Taken : 2 hrs 5 secs 1/1"},
    };
    for (const auto &t : times)
        EXPECT_EQ(shownRunText(QString::fromUtf8(t.engine)), QString::fromUtf8(t.shown));
    EXPECT_EQ(lockleaf::shownDuration(QString()), "0 secs");

    // A language Lockleaf does not carry falls back to the same English.
    EXPECT_EQ(translations.install(QLocale(QLocale::French, QLocale::France)), QString());
    auto d = window({1});
    EXPECT_EQ(child<QLabel>(*d, "labelTotalFiles")->text(),
              "1 Total file; 1 file selected; Total page count of selected PDF file: 1");
}

// A 1024x768 screen holds the window at its first size with room for a frame,
// a title bar and a panel; the titles of either language fit in that size, and
// the totals read on one line.
TEST_F(TranslationTest, firstSize_fitsA1024By768Screen_inEnglishAndGerman)
{
    const QSize screen(1024, 768);
    const QSize frameAndPanel(16, 80);
    for (const QLocale &locale : {QLocale(QLocale::English, QLocale::UnitedStates), kGerman}) {
        SCOPED_TRACE(locale.name().toStdString());
        Translations translations;
        translations.install(locale);
        auto d = window({1, 2});
        const QSize size = d->window()->size();
        EXPECT_LE(size.width(), screen.width() - frameAndPanel.width());
        EXPECT_LE(size.height(), screen.height() - frameAndPanel.height());
        const QSize needed = d->window()->minimumSize().expandedTo(d->window()->minimumSizeHint());
        EXPECT_LE(needed.width(), size.width());
        EXPECT_LE(needed.height(), size.height());
        QCoreApplication::processEvents();
        const QLabel *totals = child<QLabel>(*d, "labelTotalFiles");
        EXPECT_LT(totals->height(), 2 * totals->fontMetrics().lineSpacing()) << "the totals line wraps";
    }
}

TEST_F(TranslationTest, noTranslationOrUnknownLocale_leavesTheEnglishTexts)
{
    Translations translations;
    EXPECT_EQ(translations.install(QLocale(QStringLiteral("xx_XX"))), QString());
    EXPECT_EQ(translations.install(QLocale(QLocale::French, QLocale::France)), QString());
    EXPECT_EQ(translations.install(QLocale(QLocale::English, QLocale::UnitedStates)), QString());
    // Installed, then removed again: the next window has the source texts.
    ASSERT_FALSE(translations.install(kGerman).isEmpty());
    translations.remove();

    auto d = window({1, 2});
    EXPECT_EQ(child<QPushButton>(*d, "convertBtn")->text(), QStringLiteral("&Start"));
    EXPECT_EQ(pagesHeader(*d), QStringLiteral("Pages"));
    EXPECT_EQ(
        child<QLabel>(*d, "labelTotalFiles")->text(),
        QStringLiteral("2 Total file(s); 2 file(s) selected; Total page count of selected PDF file(s): 3"));
    d->passwords()->openPasswordsListPanel();
    ASSERT_NE(d->passwords()->passwordsListPanel(), nullptr);
    EXPECT_EQ(d->passwords()->passwordsListPanel()->windowTitle(), QStringLiteral("Saved Passwords"));
    d->passwords()->passwordsListPanel()->reject();
}

} // namespace
