#pragma once

#include "model/FileItem.h"
#include "ui/dialogs/PDFReadPasswordWindowController.h"
#include "ui/dialogs/PasswordListWindowController.h"

#include <QObject>

class QPushButton;
class QWidget;

namespace Ui
{
class MainWindow;
} // namespace Ui

namespace lockleaf
{

class AlertPresenter;
class FileList;
class KeyringSettings;
class Settings;
class WindowState;

// The window's side of the two password dialogs: the saved-list editor (its
// list replaces the settings' passwords) and the open password given to the
// highlighted files of the list.
//
// Owns the two dialogs (created on first use as children of the window, hidden
// between uses) and the two buttons that open them. Reaches the list through
// FileList's public calls only. Nothing passed in is owned; all must outlive
// this. Main thread only.
class PasswordActions final : public QObject,
                              public PasswordListWindowControllerDelegate,
                              public PDFReadPasswordWindowControllerDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PasswordActions)

public:
    PasswordActions(Ui::MainWindow &ui, Settings *settings, FileList *list, WindowState *state,
                    AlertPresenter *alerts, QObject *parent = nullptr);
    ~PasswordActions() override;

    void passwordsListAction() { openPasswordsListPanel(); }
    // The list editor, created on first use, given a copy of the saved list.
    void openPasswordsListPanel();
    // The editor's list replaces `settings.passwords`.
    void PasswordListWindowControllerDelegateDidFinish(PasswordListWindowController *controller) override;
    void pdfReadPassword() { openPDFReadPasswordPanel(); }
    // The open-password dialog, created on first use; it keeps the last password.
    void openPDFReadPasswordPanel();
    void PDFReadPasswordWindowControllerDidFinish(PDFReadPasswordWindowController *controller) override;
    // Gives the password to every highlighted PDF (other rows untouched), lists
    // it when it opens one and auto-add is on, then refreshes the table and the
    // totals. A null password only refreshes.
    void updatePDFReadPassword(const QString &password);
    PasswordListWindowController *passwordsListPanel() const { return m_passwordsListPanel; }
    PDFReadPasswordWindowController *pdfReadPasswordPanel() const { return m_pdfReadPasswordPanel; }

    // In remove mode, tries the typed password, then each saved one, on every
    // secured PDF of `items` that is locked or open without the right to copy,
    // keeping the first that grants copying (failing that, for a locked one,
    // the first that opens it); lists the typed one when it was kept and
    // auto-add is on; refreshes the table when a row changed. Returns how many
    // rows took a password. Nothing in add mode.
    int unlockLockedItems(const QList<FileItemPtr> &items);

    // Where the passwords are kept; the list editor says when it is not the
    // system keyring. Not owned; null (the default) says nothing.
    void setKeyring(KeyringSettings *keyring) { m_keyring = keyring; }

    // This part's share of the enabling rule: the open password needs a list.
    void resetView(bool enable);

private:
    QString keyringNotice() const;

    Settings *m_settings;
    FileList *m_list;
    WindowState *m_state;
    AlertPresenter *m_alerts;
    QWidget *m_window;
    QPushButton *m_pdfPasswordButton;
    KeyringSettings *m_keyring = nullptr;
    PasswordListWindowController *m_passwordsListPanel = nullptr;
    PDFReadPasswordWindowController *m_pdfReadPasswordPanel = nullptr;
};

} // namespace lockleaf
