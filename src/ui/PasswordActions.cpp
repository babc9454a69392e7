// The window's side of the two password dialogs: the saved-list editor and the
// open password applied to the highlighted rows.

#include "ui/LockleafAppDelegate.h"

#include "model/Settings.h"
#include "platform/SystemLog.h"
#include "ui/FileTableModel.h"

#include <QFileInfo>
#include <QMainWindow>

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

void LockleafAppDelegate::openPasswordsListPanel()
{
    try {
        if (!m_passwordsListPanel) {
            m_passwordsListPanel = new PasswordListWindowController(m_window, m_alerts.get());
            m_passwordsListPanel->setDelegate(this);
        }
        // Every opening starts from the saved list; unconfirmed edits are gone.
        m_passwordsListPanel->setPasswords(m_settings->passwords());
        m_passwordsListPanel->resetView();
        m_passwordsListPanel->showSheet();
    } catch (const std::exception &e) {
        logError(QStringLiteral("openPasswordsListPanel"), reasonOf(e));
    }
}

void LockleafAppDelegate::PasswordListWindowControllerDelegateDidFinish(
    PasswordListWindowController *controller)
{
    if (controller)
        m_settings->setPasswords(controller->passwords());
}

void LockleafAppDelegate::openPDFReadPasswordPanel()
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

void LockleafAppDelegate::PDFReadPasswordWindowControllerDidFinish(
    PDFReadPasswordWindowController *controller)
{
    if (controller)
        updatePDFReadPassword(controller->pdfReadPassword());
}

void LockleafAppDelegate::updatePDFReadPassword(const QString &password)
{
    try {
        if (!password.isNull()) {
            for (int row : highlightedRows()) {
                const FileItemPtr item = m_model->itemAt(row);
                if (!item ||
                    QFileInfo(item->filePath().toLocalFile()).suffix().toUpper() != QLatin1String("PDF"))
                    continue;
                // Re-reads the page count; keeps the password only if it opens a secured file.
                item->setPdfOpenPassword(password);
                if (item->pages() > 0 && m_settings->isAutoAddCorrectPasswordToPasswordList())
                    addToPasswordsList(password);
            }
        }
    } catch (const std::exception &e) {
        logError(QStringLiteral("updatePDFReadPassword:"), reasonOf(e));
    }
    m_model->refreshAll();
    // Page counts changed, so the totals must follow them.
    updateTotalLabel();
}

} // namespace lockleaf
