// Busy and idle looks, the window-wide enabling rule, the security controls of
// each mode, the totals and time-taken lines, and the saved-password append.

#include "ui/LockleafAppDelegate.h"

#include "model/Settings.h"
#include "platform/SystemLog.h"
#include "ui/FileTableModel.h"

#include "ui_MainWindow.h"

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

void setTextColor(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    widget->setPalette(palette);
}

} // namespace

void LockleafAppDelegate::startProcess()
{
    m_processingLabelColor = m_window->palette().color(QPalette::Disabled, QPalette::WindowText);
    m_isProcessing = true;
    m_ui->loadingIndicator->startAnimation();
    setTextColor(m_ui->labelTotalFiles, m_processingLabelColor);
    setTextColor(m_ui->labelTotalPDFPages, m_processingLabelColor);
}

void LockleafAppDelegate::stopProcess()
{
    m_processingLabelColor = m_window->palette().color(QPalette::Active, QPalette::WindowText);
    m_isProcessing = false;
    m_ui->loadingIndicator->stopAnimation();
    setTextColor(m_ui->labelTotalFiles, m_processingLabelColor);
    setTextColor(m_ui->labelTotalPDFPages, m_processingLabelColor);
    setSecurityOptions();
}

void LockleafAppDelegate::resetViewForProcess(bool enabled)
{
    try {
        m_ui->convertBtn->setEnabled(enabled);
        m_ui->cancelBtn->setEnabled(enabled);
    } catch (const std::exception &e) {
        logError(QStringLiteral("resetViewForProcess:"), reasonOf(e));
    }
    m_window->update();
}

void LockleafAppDelegate::resetView(bool enable)
{
    Ui::MainWindow &ui = *m_ui;
    try {
        for (QWidget *w : std::initializer_list<QWidget *>{ui.importBtn, ui.addFilesBtn, ui.addFolderBtn,
                                                           ui.inculdeSubfoldersBtn, ui.mainTableView})
            w->setEnabled(enable);
        // The menu entries of the same commands follow their buttons.
        for (QAction *a : {ui.addFilesAction, ui.addFolderAction, ui.importAction})
            a->setEnabled(enable);
        for (QAction *item : ui.mainToolBar->actions())
            item->setEnabled(enable);

        const bool listUsable = enable && !m_files.isEmpty();
        ui.exportToolbarItem->setEnabled(listUsable);
        for (QWidget *w : std::initializer_list<QWidget *>{ui.openFileButton, ui.getInfoButton,
                                                           ui.openEnclosedFolderButton, ui.selectAllButton,
                                                           ui.deselectAllButton, ui.removeSelectedFilesButton,
                                                           ui.removeAllFilesButton, ui.pdfPasswordButton})
            w->setEnabled(listUsable);
        for (QAction *a : {ui.checkHighlightedAction, ui.uncheckHighlightedAction, ui.invertHighlightedAction,
                           ui.checkAllAction, ui.uncheckAllAction, ui.invertAllAction, ui.highlightAllAction,
                           ui.highlightFirstAction, ui.removeHighlightedAction, ui.removeAllAction})
            a->setEnabled(listUsable);

        const bool hasOutputFolder = !m_settings->outputFolderPath().isEmpty();
        if (!hasOutputFolder)
            m_settings->setIsSetCurrentAsDefaultOutputFolderPath(false);
        ui.setCurrentAsDefaultOutputFolderPathBtn->setEnabled(hasOutputFolder);
        ui.openFolderAfterConversionBtn->setEnabled(hasOutputFolder);
    } catch (const std::exception &e) {
        logError(QStringLiteral("resetView:"), reasonOf(e));
    }
    ui.lableDragAndDrop->setVisible(m_files.isEmpty());
    m_window->update();
}

void LockleafAppDelegate::setSecurityOptions()
{
    Ui::MainWindow &ui = *m_ui;
    try {
        const int type = m_settings->securityType();
        if (type == 0 || type == 1) {
            const bool adding = type == 1;
            ui.unsecureOptionButton->setChecked(!adding);
            ui.secureOptionButton->setChecked(adding);
            // A disabled label is drawn in the disabled-control text colour.
            ui.unsecurePermissionPasswordLabel->setEnabled(!adding);
            ui.unsecurePermissionPasswordText->setEnabled(!adding);
            for (QWidget *w : std::initializer_list<QWidget *>{
                     ui.encryptionStrengthLabel, ui.openPasswordLabel, ui.securePermissionPasswordLabel,
                     ui.encryptionStrengthPopup, ui.openPasswordText, ui.securePermissionPasswordText,
                     ui.printDocumentCheckbox, ui.copyTextAndGraphicsCheckbox})
                w->setEnabled(adding);
        }
    } catch (const std::exception &e) {
        logError(QStringLiteral("setSecurityOptions"), reasonOf(e));
    }
    updateTotalLabel();
}

void LockleafAppDelegate::updateTotalLabel()
{
    try {
        const FileTableModel::Totals totals = m_model->recount();
        m_ui->labelTotalPDFPages->setText(QStringLiteral("Total Pages PDF : %1").arg(totals.pages));
        m_ui->convertBtn->setEnabled(true);
        m_ui->labelTotalFiles->setText(
            QStringLiteral("%1 Total file(s); %2 file selected; Total page count of selected PDF file(s): %3")
                .arg(totals.files)
                .arg(totals.checked)
                .arg(totals.checkedPages));
    } catch (const std::exception &e) {
        logError(QStringLiteral("updateTotalLabel:"), reasonOf(e));
    }
    m_ui->labelTotalFiles->repaint();
    updateTimeTakenLabel(QString());
}

void LockleafAppDelegate::updateTotalPagesLabel()
{
    // The running total: a gathering calls this after every item it appends.
    m_ui->labelTotalPDFPages->setText(
        QStringLiteral("Total Pages PDF : %1").arg(m_model->runningPageTotal()));
}

void LockleafAppDelegate::updateTimeTakenLabel(const QString &text)
{
    try {
        m_ui->labelTimeTaken->setText(
            text.isNull()
                ? QStringLiteral("Total Time Taken : %1 %2/%3").arg(QStringLiteral("0 sec(s)")).arg(0).arg(0)
                : text);
    } catch (const std::exception &e) {
        logError(QStringLiteral("updateTimeTakenLabel:"), reasonOf(e));
    }
    m_ui->labelTimeTaken->repaint();
}

void LockleafAppDelegate::addToPasswordsList(const QString &password)
{
    if (password.isEmpty())
        return;
    try {
        m_settings->appendPassword(password);
    } catch (const std::exception &e) {
        logError(QStringLiteral("addToPasswordsList:"), reasonOf(e));
    }
}

} // namespace lockleaf
