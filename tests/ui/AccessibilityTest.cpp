#include "ui/LockleafAppDelegate.h"

#include "UiTestSupport.h"
#include "model/KeyringSettings.h"
#include "support/TestSupport.h"
#include "ui/FileInformationDialog.h"
#include "ui/ProgressPanel.h"
#include "ui/dialogs/ImportFilesWindowController.h"
#include "ui/dialogs/PDFReadPasswordWindowController.h"
#include "ui/dialogs/PasswordListWindowController.h"

#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

using lockleaf::LockleafAppDelegate;
using uitest::child;
using uitest::urlsOf;

namespace
{

// How a failure names a widget: its object name, or for one Qt made inside
// another (a tab bar, a scroll button), its class within its parent's name.
QString describe(const QWidget *w)
{
    if (!w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_")))
        return w->objectName();
    const QWidget *parent = w->parentWidget();
    return QStringLiteral("%1 in %2")
        .arg(QString::fromLatin1(w->metaObject()->className()),
             parent ? describe(parent) : QStringLiteral("nothing"));
}

QString accessibleText(QObject *object, QAccessible::Text what)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(object);
    return iface ? iface->text(what).trimmed() : QString();
}

bool hasLabel(QWidget *w)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
    return iface && !iface->relations(QAccessible::Label).isEmpty();
}

// Every widget of `root` (itself included) that can take focus, whatever its
// state, and that a screen reader would announce without a name. A combo box
// "named" by the item it shows (as Qt names them) needs a label beside it.
QStringList unnamedControls(QWidget *root)
{
    QList<QWidget *> widgets = root->findChildren<QWidget *>();
    widgets.prepend(root);
    QStringList unnamed;
    for (QWidget *w : std::as_const(widgets)) {
        if (w->focusPolicy() == Qt::NoFocus)
            continue;
        const QString name = accessibleText(w, QAccessible::Name);
        const auto *combo = qobject_cast<QComboBox *>(w);
        if (name.isEmpty())
            unnamed.append(describe(w));
        else if (combo && name == combo->currentText() && !hasLabel(w))
            unnamed.append(describe(w) + QStringLiteral(" (named by its value only)"));
    }
    return unnamed;
}

// The focus as Tab moves it through `window`, starting at `start`, until it
// comes back to `start`. A control that keeps the focus for several presses
// (a table walking its cells) ends the walk, marked as a trap.
QStringList tabChain(QWidget *window, QWidget *start, int limit = 80)
{
    QApplication::setActiveWindow(window);
    start->setFocus(Qt::TabFocusReason);
    QStringList chain;
    QWidget *focused = QApplication::focusWidget();
    if (focused != start)
        return {QStringLiteral("start not focusable: ") + describe(start)};
    int stuck = 0;
    for (int i = 0; i < limit; ++i) {
        chain.append(describe(focused));
        QTest::keyClick(focused, Qt::Key_Tab);
        QWidget *next = QApplication::focusWidget();
        stuck = next == focused ? stuck + 1 : 0;
        if (stuck == 5) {
            chain.append(QStringLiteral("(Tab trapped in %1)").arg(describe(focused)));
            break;
        }
        if (stuck)
            chain.removeLast();
        focused = next;
        if (!focused || focused == start)
            break;
    }
    return chain;
}

// Checks that `chain` holds each of `names` and in that order; "a|b" stands
// for whichever of a and b comes first.
void expectInOrder(const QStringList &chain, const QStringList &names)
{
    qsizetype previous = -1;
    for (const QString &name : names) {
        qsizetype at = -1;
        for (const QString &alternative : name.split(QLatin1Char('|'))) {
            const qsizetype found = chain.indexOf(alternative);
            if (found >= 0 && (at < 0 || found < at))
                at = found;
        }
        EXPECT_GE(at, 0) << name.toStdString() << " not reached: " << chain.join(", ").toStdString();
        if (at < 0)
            continue;
        EXPECT_GT(at, previous) << name.toStdString() << " out of order: " << chain.join(", ").toStdString();
        previous = at;
    }
}

// A run window fixture for the panel of a real, ended run.
class AccessibilityTest : public uitest::RunWindowTest
{
protected:
    testsupport::TempDir dir;
};

TEST_F(AccessibilityTest, window_everyFocusableControlHasAName)
{
    LockleafAppDelegate d;
    uitest::gather(d, urlsOf(uitest::makeNumberedPdfs(dir, {1, 2})));
    // Both tabs and both modes: names must not depend on what is shown.
    for (int tab : {0, 1}) {
        child<QTabWidget>(d, "settingTabView")->setCurrentIndex(tab);
        child<QRadioButton>(d, tab == 0 ? "secureOptionButton" : "unsecureOptionButton")->click();
        EXPECT_EQ(unnamedControls(d.window()), QStringList()) << "tab " << tab;
    }
}

TEST_F(AccessibilityTest, dialogs_everyFocusableControlHasAName)
{
    LockleafAppDelegate d;
    uitest::gather(d, urlsOf(uitest::makeNumberedPdfs(dir, {1})));
    d.settings()->setPasswords({QStringLiteral("one"), QString()});

    d.fileActions()->openImportFilesPanel();
    lockleaf::ImportFilesWindowController *importer = d.fileActions()->importFilesPanel();
    ASSERT_NE(importer, nullptr);
    EXPECT_EQ(unnamedControls(importer), QStringList());
    importer->cancelAction();

    d.passwords()->openPDFReadPasswordPanel();
    ASSERT_NE(d.passwords()->pdfReadPasswordPanel(), nullptr);
    EXPECT_EQ(unnamedControls(d.passwords()->pdfReadPasswordPanel()), QStringList());
    d.passwords()->pdfReadPasswordPanel()->cancelAction();

    // No keyring answers the tests: the editor offers the session-only box.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return d.keyring()->state() != lockleaf::KeyringSettings::State::Checking; }, 20000));
    d.passwords()->openPasswordsListPanel();
    lockleaf::PasswordListWindowController *editor = d.passwords()->passwordsListPanel();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(unnamedControls(editor), QStringList());
    // Its rows are spoken, not read out as a row of bullets.
    auto *table = editor->findChild<QTableView *>(QStringLiteral("listValuesTableView"));
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->model()->rowCount(), 2);
    for (int row : {0, 1}) {
        const QString spoken = table->model()->index(row, 0).data(Qt::AccessibleTextRole).toString();
        EXPECT_FALSE(spoken.isEmpty()) << row;
        EXPECT_FALSE(spoken.contains(QChar(0x2022))) << spoken.toStdString();
    }
    editor->addValue();
    auto *addDialog = editor->findChild<lockleaf::PDFReadPasswordWindowController *>();
    ASSERT_NE(addDialog, nullptr);
    EXPECT_EQ(unnamedControls(addDialog), QStringList());
    addDialog->cancelAction();
    editor->actionCancel();

    EXPECT_EQ(unnamedControls(d.run()->processViewPanel()), QStringList());

    lockleaf::FileInformationDialog info(d.fileList()->files().value(0), d.window());
    EXPECT_EQ(unnamedControls(&info), QStringList());
}

TEST_F(AccessibilityTest, fileTable_speaksTheCheckAndTheSecuredMarkerInWords)
{
    LockleafAppDelegate d;
    const QString plain = dir.file("plain.pdf");
    const QString secured = dir.file("secured.pdf");
    testsupport::makePdf(plain);
    testsupport::makeEncryptedPdf(secured, QString(), QStringLiteral("owner"), 128);
    uitest::gather(d, urlsOf({plain, secured}));
    ASSERT_EQ(uitest::fileNames(d), (QStringList{"plain.pdf", "secured.pdf"}));

    // Read through the table's accessible cells, as a screen reader does.
    QAccessibleInterface *table = QAccessible::queryAccessibleInterface(d.fileList()->mainTableView());
    ASSERT_TRUE(table && table->tableInterface());
    const auto cellName = [table](int row, int column) {
        QAccessibleInterface *cell = table->tableInterface()->cellAt(row, column);
        return cell ? cell->text(QAccessible::Name) : QStringLiteral("<no cell>");
    };
    EXPECT_EQ(cellName(0, 0), QStringLiteral("Checked: plain.pdf"));
    EXPECT_EQ(cellName(1, 0), QStringLiteral("Checked: secured.pdf"));
    EXPECT_EQ(cellName(0, 1), QStringLiteral("plain.pdf"));
    EXPECT_EQ(cellName(1, 1), QStringLiteral("secured.pdf, secured"));
    // The table still shows the marker itself.
    EXPECT_EQ(d.fileList()->tableModel()->index(1, 1).data().toString(),
              QStringLiteral("secured.pdf (SECURED) "));

    uitest::highlight(d, {0});
    QTest::keyClick(d.fileList()->mainTableView(), Qt::Key_Space);
    EXPECT_EQ(cellName(0, 0), QStringLiteral("Not checked: plain.pdf"));
    EXPECT_FALSE(accessibleText(d.fileList()->mainTableView(), QAccessible::Name).isEmpty());
}

TEST_F(AccessibilityTest, progressPanel_labelsItsValues_andClosingSpeaksTheSummary)
{
    LockleafAppDelegate d;
    lockleaf::ProgressPanel *panel = d.run()->processViewPanel();
    // Each value is labelled by its caption, so it is heard as "Files: ...".
    for (QLabel *value : {panel->countsLabel(), panel->timeTakenLabel()}) {
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(value);
        ASSERT_NE(iface, nullptr);
        const auto labels = iface->relations(QAccessible::Label);
        ASSERT_EQ(labels.size(), 1) << value->objectName().toStdString();
        EXPECT_FALSE(labels.first().first->text(QAccessible::Name).isEmpty());
    }
    EXPECT_FALSE(accessibleText(panel->progressBar(), QAccessible::Name).isEmpty());

    // An empty run ends at once; focus lands on Close, which carries the summary.
    testsupport::TempDir out;
    d.settings()->setOutputFolderPath(out.path());
    d.fileList()->checkUncheckInvertAll(2);
    QApplication::setActiveWindow(d.window());
    d.run()->convert();
    waitForRun(d);
    ASSERT_TRUE(panel->isVisible());
    ASSERT_FALSE(panel->messageLabel()->text().isEmpty());
    EXPECT_TRUE(panel->closeProcessBtn()->hasFocus());
    EXPECT_EQ(accessibleText(panel->closeProcessBtn(), QAccessible::Description),
              panel->messageLabel()->text().trimmed());
    EXPECT_EQ(accessibleText(panel->messageLabel(), QAccessible::Name),
              panel->messageLabel()->text().trimmed());
    EXPECT_EQ(unnamedControls(panel), QStringList());
    panel->closeProcessBtn()->click();
}

TEST_F(AccessibilityTest, tabbing_reachesTheKeyControlsInWorkingOrder)
{
    LockleafAppDelegate d;
    uitest::gather(d, urlsOf(uitest::makeNumberedPdfs(dir, {1})));
    auto *start = child<QPushButton>(d, "addFilesBtn");
    auto *tabs = child<QTabWidget>(d, "settingTabView");

    // Removing security: the list, the mode, its password, then Start.
    tabs->setCurrentIndex(0);
    const QString mode = QStringLiteral("unsecureOptionButton|secureOptionButton");
    expectInOrder(tabChain(d.window(), start), {"addFilesBtn", "addFolderBtn", "mainTableView", mode,
                                                "unsecurePermissionPasswordText", "convertBtn"});

    // The two modes are one stop; an arrow key switches to adding security.
    auto *removeMode = child<QRadioButton>(d, "unsecureOptionButton");
    removeMode->setFocus(Qt::TabFocusReason);
    QTest::keyClick(removeMode, Qt::Key_Down);
    EXPECT_TRUE(child<QRadioButton>(d, "secureOptionButton")->isChecked());
    EXPECT_EQ(d.settings()->securityType(), 1);
    expectInOrder(tabChain(d.window(), start),
                  {"addFilesBtn", mode, "openPasswordText", "securePermissionPasswordText",
                   "encryptionStrengthPopup", "convertBtn"});

    // The output tab: the folder, its chooser right after it (where an alert
    // about the folder puts the focus), then Start.
    tabs->setCurrentIndex(1);
    const QStringList chain = tabChain(d.window(), start);
    expectInOrder(chain, {"addFilesBtn", "outputFolderPath", "chooseOutputFolderButton", "convertBtn"});
    const qsizetype folder = chain.indexOf(QStringLiteral("outputFolderPath"));
    EXPECT_EQ(chain.value(folder + 1), QStringLiteral("chooseOutputFolderButton"));
}

TEST_F(AccessibilityTest, dialogs_tabInReadingOrder_withTheConfirmingButtonAsDefault)
{
    LockleafAppDelegate d;
    // The run below may open its output folder; this machine may have nothing to open it with.
    QList<QUrl> opened;
    d.setWorkspace(std::make_unique<uitest::RecordingWorkspace>(&opened));
    uitest::gather(d, urlsOf(uitest::makeNumberedPdfs(dir, {1})));

    d.passwords()->openPDFReadPasswordPanel();
    lockleaf::PDFReadPasswordWindowController *ask = d.passwords()->pdfReadPasswordPanel();
    ASSERT_NE(ask, nullptr);
    auto *field = ask->findChild<QLineEdit *>(QStringLiteral("passwordField"));
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(tabChain(ask, field),
              (QStringList{"passwordField", "showPasswordCheckbox", "cancelButton", "applyButton"}));
    EXPECT_TRUE(ask->findChild<QPushButton *>(QStringLiteral("applyButton"))->isDefault());
    ask->cancelAction();

    // No keyring answers the tests: the editor offers the session-only box.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return d.keyring()->state() != lockleaf::KeyringSettings::State::Checking; }, 20000));
    d.passwords()->openPasswordsListPanel();
    lockleaf::PasswordListWindowController *editor = d.passwords()->passwordsListPanel();
    ASSERT_NE(editor, nullptr);
    editor->setPasswords({QStringLiteral("one")});
    editor->resetView();
    EXPECT_EQ(tabChain(editor, editor->findChild<QTableView *>(QStringLiteral("listValuesTableView"))),
              (QStringList{"listValuesTableView", "addValueButton", "removeValueButton", "clearButton",
                           "sessionOnlyCheckbox", "showPasswordsCheckbox", "cancelButton", "okButton"}));
    EXPECT_TRUE(editor->findChild<QPushButton *>(QStringLiteral("okButton"))->isDefault());
    editor->actionCancel();

    d.fileActions()->openImportFilesPanel();
    lockleaf::ImportFilesWindowController *importer = d.fileActions()->importFilesPanel();
    ASSERT_NE(importer, nullptr);
    importer->importMethodChanged(0);
    auto *fromFile = importer->findChild<QRadioButton *>(QStringLiteral("importFromFileBtn"));
    expectInOrder(tabChain(importer, fromFile),
                  {"importFromFileBtn", "importFile", "browseBtn", "importFromTextBtn", "importText",
                   "cancelBtn", "importBtn"});
    EXPECT_TRUE(importer->findChild<QPushButton *>(QStringLiteral("importBtn"))->isDefault());
    importer->cancelAction();

    // The progress panel of an ended run: its buttons left to right.
    lockleaf::ProgressPanel *panel = d.run()->processViewPanel();
    testsupport::TempDir out;
    d.settings()->setOutputFolderPath(out.path());
    QApplication::setActiveWindow(d.window());
    d.run()->convert();
    waitForRun(d);
    ASSERT_TRUE(panel->viewLogBtn()->isEnabled()) << "a log was saved";
    EXPECT_EQ(tabChain(panel, panel->viewLogBtn()), (QStringList{"viewLogBtn", "closeProcessBtn"}));
    EXPECT_TRUE(panel->closeProcessBtn()->isDefault());
    panel->closeProcessBtn()->click();
}

} // namespace
