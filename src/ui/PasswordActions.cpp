#include "ui/PasswordActions.h"

#include "engine/PasswordChoice.h"
#include "model/KeyringSettings.h"
#include "model/Settings.h"
#include "platform/SystemLog.h"
#include "ui/AlertPresenter.h"
#include "ui/FileList.h"
#include "ui/WindowState.h"

#include "ui_MainWindow.h"

#include <QFileInfo>

#include <exception>

namespace lockleaf
{

namespace
{

QString reasonOf(const std::exception &e)
{
    return QString::fromLocal8Bit(e.what());
}

} // namespace

PasswordActions::PasswordActions(Ui::MainWindow &ui, Settings *settings, FileList *list, WindowState *state,
                                 AlertPresenter *alerts, QObject *parent)
    : QObject(parent), m_settings(settings), m_list(list), m_state(state), m_alerts(alerts),
      m_window(ui.centralWidget->window()), m_pdfPasswordButton(ui.pdfPasswordButton)
{
    connect(ui.pdfPasswordButton, &QPushButton::clicked, this, [this] { pdfReadPassword(); });
    connect(ui.passwordsListButton, &QPushButton::clicked, this, [this] { passwordsListAction(); });
}

PasswordActions::~PasswordActions() = default;

void PasswordActions::resetView(bool enable)
{
    m_pdfPasswordButton->setEnabled(enable && !m_list->files().isEmpty());
}

void PasswordActions::openPasswordsListPanel()
{
    try {
        if (!m_passwordsListPanel) {
            m_passwordsListPanel = new PasswordListWindowController(m_window, m_alerts);
            m_passwordsListPanel->setDelegate(this);
        }
        // Every opening starts from the saved list; unconfirmed edits are gone.
        m_passwordsListPanel->setPasswords(m_settings->passwords());
        m_passwordsListPanel->setKeyringNotice(keyringNotice(), m_keyring && m_keyring->sessionOnly());
        m_passwordsListPanel->resetView();
        m_passwordsListPanel->showSheet();
    } catch (const std::exception &e) {
        logError(QStringLiteral("openPasswordsListPanel"), reasonOf(e));
    }
}

void PasswordActions::PasswordListWindowControllerDelegateDidFinish(PasswordListWindowController *controller)
{
    if (!controller)
        return;
    if (m_keyring && m_keyring->state() == KeyringSettings::State::NoKeyring)
        m_keyring->setSessionOnly(controller->sessionOnly());
    m_settings->setPasswords(controller->passwords());
}

QString PasswordActions::keyringNotice() const
{
    if (!m_keyring || m_keyring->state() != KeyringSettings::State::NoKeyring)
        return {};
    QString notice = tr("No system keyring is available (%1), so saved passwords are kept in the "
                        "settings file, readable by your user account only.")
                         .arg(m_keyring->problem());
    if (m_keyring->keyringHeldPasswords())
        notice += QLatin1Char(' ') +
                  tr("Passwords saved in the keyring earlier come back when it is available again.");
    return notice;
}

void PasswordActions::openPDFReadPasswordPanel()
{
    try {
        if (!m_pdfReadPasswordPanel) {
            m_pdfReadPasswordPanel = new PDFReadPasswordWindowController(m_window);
            m_pdfReadPasswordPanel->setDelegate(this);
        }
        // The field keeps the password last entered.
        m_pdfReadPasswordPanel->showSheet();
    } catch (const std::exception &e) {
        logError(QStringLiteral("openPDFReadPasswordPanel"), reasonOf(e));
    }
}

void PasswordActions::PDFReadPasswordWindowControllerDidFinish(PDFReadPasswordWindowController *controller)
{
    if (controller)
        updatePDFReadPassword(controller->pdfReadPassword());
}

int PasswordActions::unlockLockedItems(const QList<FileItemPtr> &items)
{
    if (m_settings->securityType() != 0)
        return 0;
    const QString typed = m_settings->pdfOpenPassword();
    QStringList candidates;
    if (!typed.isEmpty())
        candidates.append(typed);
    for (const QString &saved : m_settings->passwords())
        if (!saved.isEmpty() && !candidates.contains(saved))
            candidates.append(saved);
    if (candidates.isEmpty())
        return 0;

    int opened = 0;
    bool typedOpened = false;
    try {
        for (const FileItemPtr &item : items) {
            if (!item || !item->isSecured() ||
                QFileInfo(item->filePath().toLocalFile()).suffix().toUpper() != QLatin1String("PDF"))
                continue;
            // Removing security needs the right to copy: a row that opens
            // without it keeps its password unless another one grants it.
            const QString known = item->pdfOpenPassword();
            const bool readable = item->pages() > 0;
            const QString path = item->filePath().toLocalFile();
            const QString best =
                passwordGrantingCopy(path, readable ? QStringList{known} + candidates : candidates);
            if (best.isEmpty() || best == known)
                continue;
            item->setPdfOpenPassword(best);
            if (item->pages() > 0) {
                ++opened;
                typedOpened = typedOpened || best == typed;
            }
        }
    } catch (const std::exception &e) {
        logError(QStringLiteral("unlockLockedItems:"), reasonOf(e));
    }
    if (typedOpened && m_settings->isAutoAddCorrectPasswordToPasswordList())
        m_state->addToPasswordsList(typed);
    if (opened > 0)
        m_list->refreshItems();
    return opened;
}

void PasswordActions::updatePDFReadPassword(const QString &password)
{
    int tried = 0;
    int notOpened = 0;
    try {
        if (!password.isNull()) {
            for (const FileItemPtr &item : m_list->highlightedItems()) {
                if (QFileInfo(item->filePath().toLocalFile()).suffix().toUpper() != QLatin1String("PDF"))
                    continue;
                // Re-reads the page count; keeps the password only if it opens a secured file.
                item->setPdfOpenPassword(password);
                ++tried;
                if (item->pages() == 0)
                    ++notOpened;
                else if (m_settings->isAutoAddCorrectPasswordToPasswordList())
                    m_state->addToPasswordsList(password);
            }
        }
    } catch (const std::exception &e) {
        logError(QStringLiteral("updatePDFReadPassword:"), reasonOf(e));
    }
    // Page counts changed, so the totals must follow them (checksChanged).
    m_list->refreshItems();
    // The dialog has closed; without a word a wrong password looks like success.
    if (notOpened > 0 && m_alerts)
        m_alerts->inform(m_window,
                         tr("The password did not open %1 of the %n highlighted PDF file(s).", nullptr, tried)
                             .arg(notOpened),
                         QMessageBox::Warning);
}

} // namespace lockleaf
