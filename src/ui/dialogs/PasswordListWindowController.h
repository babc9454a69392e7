#pragma once

#include "ui/dialogs/PDFReadPasswordWindowController.h"

#include <QDialog>
#include <QStringList>

#include <memory>

namespace Ui
{
class PasswordListEditor;
} // namespace Ui

namespace lockleaf
{

class AlertPresenter;
class PasswordListWindowController;

// Told when the user confirms the edited list. Main thread.
class PasswordListWindowControllerDelegate
{
public:
    virtual ~PasswordListWindowControllerDelegate() = default;
    virtual void PasswordListWindowControllerDelegateDidFinish(PasswordListWindowController *controller) = 0;
};

// Edits a working copy of the saved open passwords (layout
// "PasswordListEditor"): add through its own open-password dialog, remove the
// highlighted entry, clear after a confirmation, edit an entry in place. The
// entries are masked unless "Show passwords" is ticked.
//
// The dialog is a child of `parent` (its owner), created once, hidden when it
// closes and deleted with the parent. Nothing outside changes until actionOk()
// hands the copy to the delegate (not owned); Cancel, Escape and the close box
// drop the edits. `alerts` (not owned; a plain one of its own when null) asks
// the clear confirmation and must outlive the dialog. Main thread only.
class PasswordListWindowController final : public QDialog, public PDFReadPasswordWindowControllerDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PasswordListWindowController)

public:
    PasswordListWindowController(QWidget *parent, AlertPresenter *alerts);
    ~PasswordListWindowController() override;

    PasswordListWindowControllerDelegate *delegate() const { return m_delegate; }
    void setDelegate(PasswordListWindowControllerDelegate *delegate) { m_delegate = delegate; }

    // The working copy; empty after creation.
    const QStringList &passwords() const { return m_passwords; }
    // Replaces the working copy (the table shows it after resetView()).
    void setPasswords(const QStringList &passwords);

    // A non-empty `notice` says why the passwords are not in the system keyring
    // and offers to keep them for this session only (ticked as `sessionOnly`);
    // an empty one hides both.
    void setKeyringNotice(const QString &notice, bool sessionOnly);
    // The session-only box: ticked and shown.
    bool sessionOnly() const;

    // Reloads the table; removeValueButton and clearButton are usable only
    // while the list is not empty.
    void resetView();
    // Shows the dialog window-modal on its parent and returns at once.
    void showSheet();

    // Opens the add dialog (its field empty) as a sheet on this one.
    void addValue();
    // Removes the highlighted entry and highlights the one above it (none
    // after removing row 0). Nothing without a highlight.
    void removeValue();
    // Empties the list after "Yes" to the confirmation.
    void resetValue();
    // Ends editing, hands the list to the delegate, hides the dialog.
    void actionOk();
    // Hides the dialog; a value being typed is dropped.
    void actionCancel();

    // A new entry from the add dialog: appended unless already listed (exact
    // comparison), then highlighted alone and scrolled into view.
    void PDFReadPasswordWindowControllerDidFinish(PDFReadPasswordWindowController *controller) override;

    // The editor's own add dialog; null before the first add.
    PDFReadPasswordWindowController *pdfReadPasswordPanel() const { return m_pdfReadPasswordPanel; }
    // Highlighted row, or -1.
    int highlightedRow() const;

    void reject() override { actionCancel(); }

private:
    class Model;
    class ItemDelegate;

    void highlightRow(int row);
    void updateButtons();

    std::unique_ptr<Ui::PasswordListEditor> m_ui;
    PasswordListWindowControllerDelegate *m_delegate = nullptr;
    std::unique_ptr<AlertPresenter> m_ownAlerts;
    AlertPresenter *m_alerts = nullptr;
    QStringList m_passwords;
    Model *m_model = nullptr;
    ItemDelegate *m_itemDelegate = nullptr;
    PDFReadPasswordWindowController *m_pdfReadPasswordPanel = nullptr;
};

} // namespace lockleaf
