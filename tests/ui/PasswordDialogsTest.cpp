#include "ui/PasswordActions.h"

#include "UiForm.h"
#include "UiTestSupport.h"
#include "model/KeyringSettings.h"
#include "support/TestSupport.h"
#include "ui/AlertPresenter.h"
#include "ui/FileList.h"
#include "ui/Gathering.h"
#include "ui/WindowState.h"
#include "ui/dialogs/PDFReadPasswordWindowController.h"
#include "ui/dialogs/PasswordListWindowController.h"

// Generated from resources/MainWindow.ui for this test (AUTOUIC looks here).
#include "ui_MainWindow.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

using lockleaf::AlertPresenter;
using lockleaf::PasswordListWindowController;
using lockleaf::PDFReadPasswordWindowController;
using uitest::child;
using uitest::highlight;
using uitest::urlsOf;

namespace
{

template <typename T> T *part(QWidget *dialog, const char *name)
{
    T *w = dialog->findChild<T *>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

QStringList shownEntries(PasswordListWindowController *editor)
{
    QStringList entries;
    const QAbstractItemModel *model = part<QTableView>(editor, "listValuesTableView")->model();
    for (int row = 0; row < model->rowCount(); ++row)
        entries.append(model->index(row, 0).data(Qt::EditRole).toString());
    return entries;
}

// Types into the editor's add dialog and applies it.
void addThroughDialog(PasswordListWindowController *editor, const QString &password)
{
    part<QPushButton>(editor, "addValueButton")->click();
    PDFReadPasswordWindowController *add = editor->pdfReadPasswordPanel();
    ASSERT_NE(add, nullptr);
    ASSERT_TRUE(add->isVisible());
    EXPECT_TRUE(part<QLineEdit>(add, "passwordField")->text().isEmpty()) << "the add dialog opens empty";
    part<QLineEdit>(add, "passwordField")->setText(password);
    part<QPushButton>(add, "applyButton")->click();
    EXPECT_FALSE(add->isVisible());
}

// The password dialogs' glue alone, on the window's form, with the real
// settings, a file list filled by a real gathering, and the window state.
class Passwords : public uitest::ListForm
{
public:
    lockleaf::PasswordActions *passwords() { return &m_passwords; }

private:
    lockleaf::PasswordActions m_passwords{ui, settings(), fileList(), windowState(), alerts()};
};

class PasswordDialogsTest : public uitest::UiTest
{
protected:
    PasswordListWindowController *openEditor(Passwords &d)
    {
        child<QPushButton>(d, "passwordsListButton")->click();
        PasswordListWindowController *editor = d.passwords()->passwordsListPanel();
        EXPECT_NE(editor, nullptr);
        EXPECT_TRUE(editor && editor->isVisible());
        return editor;
    }

    testsupport::TempDir dir;
};

TEST_F(PasswordDialogsTest, editor_worksOnACopyUntilOk)
{
    Passwords d;
    d.settings()->setPasswords({"one", "two", "three"});
    PasswordListWindowController *editor = openEditor(d);
    QAbstractItemModelTester tester(part<QTableView>(editor, "listValuesTableView")->model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(editor->windowModality(), Qt::WindowModal);
    EXPECT_EQ(shownEntries(editor), (QStringList{"one", "two", "three"}));

    part<QTableView>(editor, "listValuesTableView")->selectRow(1);
    part<QPushButton>(editor, "removeValueButton")->click();
    addThroughDialog(editor, "four");
    part<QPushButton>(editor, "cancelButton")->click();
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(d.settings()->passwords(), (QStringList{"one", "two", "three"}));

    // Reopening starts again from the saved list.
    editor = openEditor(d);
    EXPECT_EQ(shownEntries(editor), (QStringList{"one", "two", "three"}));
    part<QTableView>(editor, "listValuesTableView")->selectRow(0);
    editor->removeValue();
    part<QPushButton>(editor, "okButton")->click();
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(d.settings()->passwords(), (QStringList{"two", "three"}));
    EXPECT_EQ(d.passwords()->passwordsListPanel(), editor) << "one editor, kept";
}

// The tests run without a session bus, so no keyring answers.
TEST_F(PasswordDialogsTest, editor_saysWhenThereIsNoKeyring_andOffersTheSessionOnly)
{
    using State = lockleaf::KeyringSettings::State;
    Passwords d;
    lockleaf::KeyringSettings keyring(d.settings());
    d.passwords()->setKeyring(&keyring);
    PasswordListWindowController *editor = openEditor(d);
    EXPECT_FALSE(part<QLabel>(editor, "keyringNoticeLabel")->isVisible())
        << "nothing to say before it is known";
    part<QPushButton>(editor, "cancelButton")->click();

    keyring.load();
    ASSERT_TRUE(QTest::qWaitFor([&] { return keyring.state() != State::Checking; }, 20000));
    ASSERT_EQ(keyring.state(), State::NoKeyring);
    EXPECT_TRUE(d.settings()->passwordsInFile());
    editor = openEditor(d);
    EXPECT_TRUE(part<QLabel>(editor, "keyringNoticeLabel")->isVisible());
    EXPECT_TRUE(
        part<QLabel>(editor, "keyringNoticeLabel")->text().startsWith("No system keyring is available"));
    QCheckBox *sessionOnly = part<QCheckBox>(editor, "sessionOnlyCheckbox");
    ASSERT_TRUE(sessionOnly->isVisible());
    EXPECT_FALSE(sessionOnly->isChecked());
    sessionOnly->setChecked(true);
    part<QPushButton>(editor, "okButton")->click();
    EXPECT_TRUE(keyring.sessionOnly());
    EXPECT_FALSE(d.settings()->passwordsInFile());
}

TEST_F(PasswordDialogsTest, editor_addAndRemove_moveTheHighlight)
{
    Passwords d;
    PasswordListWindowController *editor = openEditor(d);
    auto *remove = part<QPushButton>(editor, "removeValueButton");
    auto *clear = part<QPushButton>(editor, "clearButton");
    EXPECT_FALSE(remove->isEnabled());
    EXPECT_FALSE(clear->isEnabled());
    editor->removeValue(); // nothing highlighted, nothing to remove

    addThroughDialog(editor, "alpha");
    EXPECT_TRUE(remove->isEnabled());
    EXPECT_TRUE(clear->isEnabled());
    for (const char *p : {"beta", "Alpha", "", "gamma"})
        addThroughDialog(editor, p);
    EXPECT_EQ(shownEntries(editor), (QStringList{"alpha", "beta", "Alpha", "", "gamma"}))
        << "exact comparison; an empty entry is accepted";
    EXPECT_EQ(editor->highlightedRow(), 4);

    addThroughDialog(editor, "beta");
    EXPECT_EQ(shownEntries(editor).size(), 5) << "a listed password is not added twice";
    EXPECT_EQ(editor->highlightedRow(), 1);

    part<QTableView>(editor, "listValuesTableView")->selectRow(3);
    editor->removeValue();
    EXPECT_EQ(shownEntries(editor), (QStringList{"alpha", "beta", "Alpha", "gamma"}));
    EXPECT_EQ(editor->highlightedRow(), 2);
    part<QTableView>(editor, "listValuesTableView")->selectRow(0);
    editor->removeValue();
    EXPECT_EQ(shownEntries(editor), (QStringList{"beta", "Alpha", "gamma"}));
    EXPECT_EQ(editor->highlightedRow(), -1) << "after row 0 nothing is highlighted";
    editor->actionCancel();
}

TEST_F(PasswordDialogsTest, editor_clearAsksFirst_andEditsInPlaceAreKeptByOk)
{
    Passwords d;
    d.settings()->setPasswords({"one", "two"});
    PasswordListWindowController *editor = openEditor(d);
    d.alerts()->setNextAnswer(AlertPresenter::Answer::No);
    part<QPushButton>(editor, "clearButton")->click();
    EXPECT_EQ(shownEntries(editor), (QStringList{"one", "two"}));
    EXPECT_EQ(d.alerts()->messages().last(), QStringLiteral("Are you sure to clear saved passwords list?"));

    // An entry still being typed when OK is pressed is kept, duplicates and all.
    auto *table = part<QTableView>(editor, "listValuesTableView");
    const QModelIndex second = table->model()->index(1, 0);
    table->setCurrentIndex(second);
    table->edit(second);
    auto *field = table->viewport()->findChild<QLineEdit *>();
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->echoMode(), QLineEdit::Password) << "masked while editing too";
    EXPECT_FALSE(second.data(Qt::DisplayRole).toString().contains(QStringLiteral("two")));
    EXPECT_EQ(field->text(), QStringLiteral("two"));
    field->setText(QStringLiteral("one"));
    part<QPushButton>(editor, "okButton")->click();
    EXPECT_EQ(d.settings()->passwords(), (QStringList{"one", "one"}));

    editor = openEditor(d);
    d.alerts()->setNextAnswer(AlertPresenter::Answer::Yes);
    editor->resetValue();
    EXPECT_TRUE(shownEntries(editor).isEmpty());
    EXPECT_FALSE(part<QPushButton>(editor, "clearButton")->isEnabled());
    editor->actionOk();
    EXPECT_TRUE(d.settings()->passwords().isEmpty());
}

TEST_F(PasswordDialogsTest, openPassword_unlocksTheHighlightedPdfsAndListsItOnce)
{
    Passwords d;
    d.settings()->setIsAutoAddCorrectPasswordToPasswordList(true);
    // Each made with user password "user", two pages.
    const QStringList paths{dir.file("a.pdf"), dir.file("b.PDF"), dir.file("c.pdf"), dir.file("d.pdf")};
    for (const QString &p : paths)
        testsupport::makeEncryptedPdf(p, "user", "owner", 128, {}, 2);
    uitest::gather(d, urlsOf(paths));
    ASSERT_EQ(d.fileList()->files().size(), 4);
    for (const lockleaf::FileItemPtr &item : d.fileList()->files())
        ASSERT_EQ(item->pages(), 0);

    // A wrong password first: nothing opens, nothing is listed, and the user is told.
    highlight(d, {0, 1});
    child<QPushButton>(d, "pdfPasswordButton")->click();
    PDFReadPasswordWindowController *dialog = d.passwords()->pdfReadPasswordPanel();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
    part<QLineEdit>(dialog, "passwordField")->setText(QStringLiteral("wrong"));
    d.alerts()->setNextAnswer(lockleaf::AlertPresenter::Answer::Ok);
    part<QPushButton>(dialog, "applyButton")->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(d.alerts()->messages(),
              QStringList{QStringLiteral("The password did not open 2 of the 2 highlighted PDF file(s).")});
    for (const lockleaf::FileItemPtr &item : d.fileList()->files()) {
        EXPECT_EQ(item->pages(), 0);
        EXPECT_TRUE(item->name().endsWith(QStringLiteral(" (SECURED) ")));
    }
    EXPECT_TRUE(d.settings()->passwords().isEmpty());

    // The dialog shows the last password again; the right one opens both PDFs.
    QSignalSpy pagesChanged(d.fileList(), &lockleaf::FileList::checksChanged);
    d.passwords()->pdfReadPassword();
    EXPECT_EQ(part<QLineEdit>(dialog, "passwordField")->text(), QStringLiteral("wrong"));
    part<QLineEdit>(dialog, "passwordField")->setText(QStringLiteral("user"));
    dialog->applyAction();
    EXPECT_EQ(d.fileList()->files()[0]->pages(), 2);
    EXPECT_EQ(d.fileList()->files()[1]->pages(), 2);
    EXPECT_EQ(d.fileList()->files()[0]->pdfOpenPassword(), QStringLiteral("user"));
    EXPECT_EQ(d.fileList()->files()[2]->pages(), 0) << "not highlighted";
    EXPECT_EQ(d.settings()->passwords(), QStringList{"user"}) << "listed once for two files";
    EXPECT_EQ(pagesChanged.size(), 1) << "the totals are told to follow the new page counts";

    // Cancel tells nobody.
    highlight(d, {2});
    d.passwords()->pdfReadPassword();
    dialog->cancelAction();
    EXPECT_EQ(d.fileList()->files()[2]->pages(), 0);

    // The main window's dialog starts masked each time it is shown.
    auto *field = part<QLineEdit>(dialog, "passwordField");
    part<QCheckBox>(dialog, "showPasswordCheckbox")->click();
    EXPECT_EQ(field->echoMode(), QLineEdit::Normal);
    dialog->cancelAction();
    d.passwords()->pdfReadPassword();
    EXPECT_EQ(field->echoMode(), QLineEdit::Password);
    dialog->cancelAction();

    // Without auto-add the password opens the file but is not listed.
    d.settings()->setPasswords({});
    d.settings()->setIsAutoAddCorrectPasswordToPasswordList(false);
    d.passwords()->updatePDFReadPassword(QStringLiteral("user"));
    EXPECT_EQ(d.fileList()->files()[2]->pages(), 2);
    EXPECT_TRUE(d.settings()->passwords().isEmpty());
}

} // namespace
