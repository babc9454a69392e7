#include "ui/OptionsPanel.h"

#include "UiForm.h"
#include "UiTestSupport.h"
#include "model/PDFSettings.h"
#include "support/TestSupport.h"
#include "ui/FileChooser.h"
#include "ui/WindowState.h"

// Generated from resources/MainWindow.ui for this test (AUTOUIC looks here).
#include "ui_MainWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <thread>
#include <tuple>

using uitest::child;

namespace
{

// The options panel alone, on the window's form, with the real settings and
// the window state it reports to.
class Panel : public uitest::Form
{
public:
    Panel() { m_window.show(); }
    lockleaf::OptionsPanel *options() { return &m_options; }
    lockleaf::FileChooser *fileChooser() { return &m_chooser; }

private:
    lockleaf::WindowState m_state{ui, &model, settings()};
    lockleaf::FileChooser m_chooser;
    lockleaf::OptionsPanel m_options{ui, settings(), &m_state, &m_chooser};
};

class OptionsPanelTest : public uitest::UiTest
{
};

TEST_F(OptionsPanelTest, switchingModes_enablesEachModesControls_andKeepsTypedPasswords)
{
    Panel d;
    auto *add = child<QRadioButton>(d, "secureOptionButton");
    auto *remove = child<QRadioButton>(d, "unsecureOptionButton");
    auto *openField = child<QLineEdit>(d, "openPasswordText");
    auto *removeField = child<QLineEdit>(d, "unsecurePermissionPasswordText");

    QTest::keyClicks(removeField, "owner-pw");
    add->click();
    EXPECT_EQ(d.settings()->securityType(), 1);
    EXPECT_FALSE(removeField->isEnabled());
    EXPECT_FALSE(child<QLabel>(d, "unsecurePermissionPasswordLabel")->isEnabled());
    for (const char *name : {"openPasswordText", "securePermissionPasswordText"})
        EXPECT_TRUE(child<QLineEdit>(d, name)->isEnabled()) << name;
    EXPECT_TRUE(child<QComboBox>(d, "encryptionStrengthPopup")->isEnabled());
    EXPECT_TRUE(child<QCheckBox>(d, "printDocumentCheckbox")->isEnabled());
    EXPECT_TRUE(child<QCheckBox>(d, "copyTextAndGraphicsCheckbox")->isEnabled());

    QTest::keyClicks(openField, "user-pw");
    QTest::keyClicks(child<QLineEdit>(d, "securePermissionPasswordText"), "perm-pw");
    remove->click();
    EXPECT_EQ(d.settings()->securityType(), 0);
    EXPECT_FALSE(openField->isEnabled());
    EXPECT_EQ(openField->text(), QStringLiteral("user-pw"));

    lockleaf::PDFSettings *pdf = d.settings()->pdfSettings();
    EXPECT_EQ(pdf->pdfOpenPassword(), QStringLiteral("user-pw"));
    EXPECT_EQ(pdf->pdfPermissionPassword(), QStringLiteral("perm-pw"));
    EXPECT_EQ(d.settings()->pdfOpenPassword(), QStringLiteral("owner-pw"));
}

TEST_F(OptionsPanelTest, controls_writeTheirFields_andShowChangesMadeElsewhere)
{
    Panel d;
    lockleaf::Settings *s = d.settings();
    lockleaf::PDFSettings *pdf = s->pdfSettings();
    d.options()->securityAction(1);

    auto *strength = child<QComboBox>(d, "encryptionStrengthPopup");
    strength->activated(1); // what a user's choice emits
    EXPECT_EQ(pdf->encryptionStrength(), 1);
    auto *print = child<QCheckBox>(d, "printDocumentCheckbox");
    const bool printBefore = pdf->canPrint();
    print->click();
    EXPECT_EQ(pdf->canPrint(), !printBefore);
    child<QCheckBox>(d, "backupFileCheckbox")->click();
    EXPECT_EQ(child<QCheckBox>(d, "backupFileCheckbox")->isChecked(), s->isBackupFile());

    // Signed documents are left alone until the user allows rewriting them, in either mode.
    auto *rewriteSigned = child<QCheckBox>(d, "rewriteSignedCheckbox");
    EXPECT_FALSE(rewriteSigned->isChecked());
    EXPECT_EQ(rewriteSigned->text(), QStringLiteral("Rewrite signed documents"));
    rewriteSigned->click();
    EXPECT_TRUE(pdf->rewriteSignedDocuments());

    // A run or a gathering changes the settings on its own thread.
    std::thread worker([s, pdf] {
        pdf->setCanCopy(false);
        pdf->setEncryptionStrength(0);
        s->setOutputFolderPath(QStringLiteral("/tmp/from-a-run"));
        s->setSecurityType(0);
    });
    worker.join();
    QCoreApplication::processEvents();
    EXPECT_FALSE(child<QCheckBox>(d, "copyTextAndGraphicsCheckbox")->isChecked());
    EXPECT_EQ(strength->currentIndex(), 0);
    EXPECT_EQ(child<QLineEdit>(d, "outputFolderPath")->text(), QStringLiteral("/tmp/from-a-run"));
    EXPECT_TRUE(child<QRadioButton>(d, "unsecureOptionButton")->isChecked());
    EXPECT_FALSE(child<QLineEdit>(d, "openPasswordText")->isEnabled());
    EXPECT_TRUE(rewriteSigned->isEnabled());
}

// The item index is the stored strength: 0 and 1 keep what they meant before
// the 256-bit item came.
TEST_F(OptionsPanelTest, keyLengthPopup_itemIndexIsTheStoredStrength)
{
    Panel d;
    lockleaf::PDFSettings *pdf = d.settings()->pdfSettings();
    auto *popup = child<QComboBox>(d, "encryptionStrengthPopup");
    ASSERT_EQ(popup->count(), 3);
    EXPECT_EQ(popup->itemText(0), QStringLiteral("40-bit key (RC4, weak)"));
    EXPECT_EQ(popup->itemText(1), QStringLiteral("128-bit key (AES)"));
    EXPECT_EQ(popup->itemText(2), QStringLiteral("256-bit key (AES)"));
    EXPECT_EQ(popup->currentIndex(), 2) << "a first launch shows AES-256";

    for (int index : {0, 1, 2}) {
        popup->activated(index);
        EXPECT_EQ(pdf->encryptionStrength(), index);
    }
    for (const auto &[strength, shown] :
         {std::pair{1, 1}, std::pair{0, 0}, std::pair{2, 2}, std::pair{7, 1}}) {
        pdf->setEncryptionStrength(strength);
        EXPECT_EQ(popup->currentIndex(), shown) << "strength " << strength;
        EXPECT_EQ(popup->toolTip(), popup->itemText(shown)) << "the whole title, even when cut";
    }
}

using Get = bool (lockleaf::PDFSettings::*)() const;
using Set = void (lockleaf::PDFSettings::*)(bool);
struct Permission {
    const char *box;
    Get get;
    Set set;
};
const Permission kPermissions[] = {
    {"modifyDocumentCheckbox", &lockleaf::PDFSettings::canModify, &lockleaf::PDFSettings::setCanModify},
    {"annotateCheckbox", &lockleaf::PDFSettings::canAnnotate, &lockleaf::PDFSettings::setCanAnnotate},
    {"fillFormsCheckbox", &lockleaf::PDFSettings::canFillForms, &lockleaf::PDFSettings::setCanFillForms},
    {"assembleCheckbox", &lockleaf::PDFSettings::canAssemble, &lockleaf::PDFSettings::setCanAssemble},
    {"highQualityPrintCheckbox", &lockleaf::PDFSettings::canPrintHighQuality,
     &lockleaf::PDFSettings::setCanPrintHighQuality}};

// A record saved before the 256-bit item and the finer permissions.
TEST_F(OptionsPanelTest, olderRecord_showsItsKeyLength_andTodaysPermissions)
{
    const QVariantMap document{{"encryptionStrength", 1}, {"canPrint", true}, {"canCopy", false}};
    lockleaf::Settings::openStore()->setValue("SETTINGS", QVariantMap{{"pdfSettings", document}});
    Panel d;
    EXPECT_EQ(child<QComboBox>(d, "encryptionStrengthPopup")->currentIndex(), 1);
    EXPECT_FALSE(child<QCheckBox>(d, "copyTextAndGraphicsCheckbox")->isChecked());
    for (const char *name :
         {"modifyDocumentCheckbox", "annotateCheckbox", "fillFormsCheckbox", "assembleCheckbox"})
        EXPECT_FALSE(child<QCheckBox>(d, name)->isChecked()) << name;
    EXPECT_TRUE(child<QCheckBox>(d, "highQualityPrintCheckbox")->isChecked());
    EXPECT_FALSE(child<QToolButton>(d, "morePermissionsButton")->isChecked()) << "nothing to show: closed";
    EXPECT_TRUE(child<QWidget>(d, "morePermissionsGroup")->isHidden());
}

TEST_F(OptionsPanelTest, morePermissions_tieBothWays_inAddModeOnly)
{
    Panel d;
    lockleaf::PDFSettings *pdf = d.settings()->pdfSettings();
    d.options()->securityAction(1);
    auto *disclosure = child<QToolButton>(d, "morePermissionsButton");
    auto *group = child<QWidget>(d, "morePermissionsGroup");
    ASSERT_TRUE(disclosure && group);
    EXPECT_EQ(disclosure->text(), QStringLiteral("More permissions…"));
    disclosure->click();
    EXPECT_TRUE(group->isVisible());
    QCoreApplication::processEvents(); // the pane's layout settles

    for (const Permission &p : kPermissions) {
        SCOPED_TRACE(p.box);
        auto *box = child<QCheckBox>(d, p.box);
        ASSERT_TRUE(box);
        EXPECT_TRUE(box->isEnabled());
        EXPECT_GE(box->width(), box->sizeHint().width()) << "the pane cuts its title";
        const bool before = (pdf->*p.get)();
        box->click();
        EXPECT_EQ((pdf->*p.get)(), !before);
        // Shown when a load or a run changes it, also from another thread.
        std::thread worker([pdf, &p, before] { (pdf->*p.set)(before); });
        worker.join();
        QCoreApplication::processEvents();
        EXPECT_EQ(box->isChecked(), before);
    }

    d.options()->securityAction(0);
    EXPECT_FALSE(disclosure->isEnabled());
    for (const Permission &p : kPermissions)
        EXPECT_FALSE(child<QCheckBox>(d, p.box)->isEnabled()) << p.box;
    disclosure->click();
    EXPECT_TRUE(group->isVisible()) << "a disabled button does not fold";
}

// R2 has no bits for forms, assembling or print quality; quality also needs printing.
TEST_F(OptionsPanelTest, morePermissions_offersOnlyWhatTheKeyCanExpress)
{
    Panel d;
    lockleaf::PDFSettings *pdf = d.settings()->pdfSettings();
    d.options()->securityAction(1);
    auto *popup = child<QComboBox>(d, "encryptionStrengthPopup");
    auto enabled = [&d](const char *name) { return child<QCheckBox>(d, name)->isEnabled(); };

    popup->activated(0);
    EXPECT_TRUE(enabled("modifyDocumentCheckbox"));
    EXPECT_TRUE(enabled("annotateCheckbox"));
    EXPECT_FALSE(enabled("fillFormsCheckbox"));
    EXPECT_FALSE(enabled("assembleCheckbox"));
    EXPECT_FALSE(enabled("highQualityPrintCheckbox"));

    for (int index : {1, 2}) {
        popup->activated(index);
        for (const Permission &p : kPermissions)
            EXPECT_TRUE(enabled(p.box)) << p.box << " at index " << index;
    }
    pdf->setCanPrint(true);
    child<QCheckBox>(d, "printDocumentCheckbox")->click();
    ASSERT_FALSE(pdf->canPrint());
    EXPECT_FALSE(enabled("highQualityPrintCheckbox"));
    EXPECT_TRUE(enabled("fillFormsCheckbox"));
    child<QCheckBox>(d, "printDocumentCheckbox")->click();
    EXPECT_TRUE(enabled("highQualityPrintCheckbox"));

    // Settings the key cannot express are kept for the next key, not cleared.
    pdf->setCanFillForms(true);
    popup->activated(0);
    EXPECT_TRUE(pdf->canFillForms());
    EXPECT_TRUE(child<QCheckBox>(d, "fillFormsCheckbox")->isChecked());
}

// A granted permission is never hidden behind a closed disclosure.
TEST_F(OptionsPanelTest, morePermissions_startOpenWhenTheRecordGrantsOne)
{
    const QVariantMap document{{"encryptionStrength", 2}, {"canAssemble", true}};
    lockleaf::Settings::openStore()->setValue("SETTINGS", QVariantMap{{"pdfSettings", document}});
    Panel d;
    EXPECT_TRUE(child<QToolButton>(d, "morePermissionsButton")->isChecked());
    EXPECT_TRUE(child<QWidget>(d, "morePermissionsGroup")->isVisible());
    EXPECT_TRUE(child<QCheckBox>(d, "assembleCheckbox")->isChecked());
}

TEST_F(OptionsPanelTest, outputFolderField_enablesTheOutputOptionsOnlyWhileSet)
{
    Panel d;
    lockleaf::Settings *s = d.settings();
    auto *field = child<QLineEdit>(d, "outputFolderPath");
    auto *keep = child<QCheckBox>(d, "setCurrentAsDefaultOutputFolderPathBtn");
    auto *open = child<QCheckBox>(d, "openFolderAfterConversionBtn");

    QTest::keyClicks(field, "/srv/out");
    EXPECT_EQ(s->outputFolderPath(), QStringLiteral("/srv/out"));
    EXPECT_TRUE(keep->isEnabled());
    EXPECT_TRUE(open->isEnabled());
    keep->click();
    EXPECT_TRUE(s->isSetCurrentAsDefaultOutputFolderPath());

    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    EXPECT_TRUE(s->outputFolderPath().isEmpty());
    EXPECT_FALSE(keep->isEnabled());
    EXPECT_FALSE(open->isEnabled());
    EXPECT_FALSE(s->isSetCurrentAsDefaultOutputFolderPath());
    EXPECT_FALSE(keep->isChecked());

    QTest::keyClicks(field, "/srv/again");
    EXPECT_TRUE(keep->isEnabled());
    EXPECT_FALSE(s->isSetCurrentAsDefaultOutputFolderPath()) << "typing a path does not turn it back on";
}

TEST_F(OptionsPanelTest, permissionPassword_decidesIsSecuredPDF)
{
    Panel d;
    d.options()->securityAction(1);
    lockleaf::PDFSettings *pdf = d.settings()->pdfSettings();
    auto *field = child<QLineEdit>(d, "securePermissionPasswordText");
    QTest::keyClicks(field, "p");
    EXPECT_TRUE(pdf->isSecuredPDF());
    QTest::keyClick(field, Qt::Key_Backspace);
    EXPECT_FALSE(pdf->isSecuredPDF());
    pdf->setPdfOpenPassword(QStringLiteral("open-only"));
    EXPECT_FALSE(pdf->isSecuredPDF()) << "the open password has no say";
}

TEST_F(OptionsPanelTest, chooseOutputFolder_storesAndSavesTheChoice_cancelKeepsIt)
{
    Panel d;
    testsupport::TempDir out;
    d.fileChooser()->setNextFolder(out.path());
    d.options()->chooseOutputFolder();
    EXPECT_EQ(d.settings()->outputFolderPath(), out.path());
    const QVariantMap saved = lockleaf::Settings::openStore()->value("SETTINGS").toMap();
    EXPECT_EQ(saved.value("outputFolderPath").toString(), out.path()) << "saved at once";

    d.fileChooser()->setNextFolder(QString());
    d.options()->chooseOutputFolder();
    EXPECT_EQ(d.settings()->outputFolderPath(), out.path());
}

TEST_F(OptionsPanelTest, numericFields_keepANonZeroNumberOrTheirDefault)
{
    using R = std::optional<QString>;
    // "1a2": only the ends are stripped; tag 5 is no numeric field.
    const std::tuple<const char *, int, R> cases[] = {
        {"0", 30001, "2"},     {"abc", 30001, "2"},   {"", 30001, "2"},
        {"x12y", 30001, "12"}, {"1a2", 30001, "1a2"}, {"007", 30001, "007"},
        {"0", 30002, "1"},     {"", 30002, "1"},      {"x12y", 5, std::nullopt}};
    for (const auto &[text, tag, expected] : cases)
        EXPECT_EQ(lockleaf::OptionsPanel::numericFieldText(text, tag), expected) << text << " tag " << tag;

    Panel d;
    QLineEdit tagged(d.window());
    tagged.setProperty("tag", 30001);
    tagged.setText("x12y");
    d.options()->controlTextDidChange(&tagged);
    EXPECT_EQ(tagged.text(), QStringLiteral("12"));
    QLineEdit plain(d.window());
    plain.setText("x12y");
    d.options()->controlTextDidChange(&plain);
    EXPECT_EQ(plain.text(), QStringLiteral("x12y"));
}

TEST_F(OptionsPanelTest, togglingThePane_setsTheListWidth_andIsRemembered)
{
    {
        Panel d;
        auto *left = child<QFrame>(d, "leftBox");
        auto *right = child<QFrame>(d, "rightBox");
        const int shownWidth = d.window()->width() - (9 + right->width());
        EXPECT_EQ(left->width(), shownWidth);

        d.options()->toggleSettings();
        EXPECT_TRUE(right->isHidden());
        EXPECT_EQ(left->width(), d.window()->width() - 5);
        EXPECT_FALSE(lockleaf::Settings::openStore()->value("SHOWSETTINGS").toBool());

        d.options()->showSettings(true); // shows without remembering
        EXPECT_EQ(left->width(), shownWidth);
        EXPECT_FALSE(d.options()->isShowSettings());
        d.options()->showSettings(false);
    }
    // The next start remembers it: list widened, toolbar toggle off.
    Panel again;
    EXPECT_TRUE(child<QFrame>(again, "rightBox")->isHidden());
    EXPECT_EQ(child<QFrame>(again, "leftBox")->width(), again.window()->width() - 5);
    EXPECT_TRUE(child<QAction>(again, "dummyToolbarItem")->isChecked());
    EXPECT_FALSE(child<QAction>(again, "preferencesToolbarItem")->isChecked());
}

TEST_F(OptionsPanelTest, keyCharacters_markTheFirstMatchIgnoringCase)
{
    using R = std::optional<QString>;
    // "&Open": the old mnemonic goes.
    const std::tuple<const char *, const char *, R> cases[] = {{"Add Folder...", "o", "Add F&older..."},
                                                               {"Start", "s", "&Start"},
                                                               {"&Open", "p", "O&pen"},
                                                               {"Save && Close", "c", "Save && &Close"},
                                                               {"Import", "z", std::nullopt},
                                                               {"Import", "", std::nullopt}};
    for (const auto &[title, key, expected] : cases)
        EXPECT_EQ(lockleaf::OptionsPanel::markKeyCharacter(title, key), expected) << title << " / " << key;

    QPushButton button(QStringLiteral("Title"));
    lockleaf::OptionsPanel::setButtonKeyCharacter(&button, "t", QColor());
    EXPECT_EQ(button.text(), QStringLiteral("Title")) << "no colour, no change";
    lockleaf::OptionsPanel::setButtonKeyCharacter(&button, "t", Qt::black);
    EXPECT_EQ(button.text(), QStringLiteral("&Title"));
}

} // namespace
