// The file actions: the add-files and add-folder pickers, the import dialog's
// window side, opening and revealing the highlighted files, their information
// windows, and the tab-delimited export.

#include "ui/LockleafAppDelegate.h"

#include "engine/Workspace.h"
#include "model/ExportList.h"
#include "platform/SystemLog.h"
#include "ui/AlertPresenter.h"
#include "ui/FileChooser.h"
#include "ui/FileInformationDialog.h"
#include "ui/FileTableModel.h"
#include "ui/InformationScript.h"

#include "ui_MainWindow.h"

#include <QMainWindow>
#include <QProcess>

#include <exception>

namespace lockleaf
{

namespace
{

QString reasonOf(const std::exception &e)
{
    return QString::fromLocal8Bit(e.what());
}

// A run, or a gathering already started (its thread may not yet have marked
// the window busy), rules out another gathering.
bool isBusy(const LockleafAppDelegate &window)
{
    return window.isProcessing() || window.isGathering();
}

QList<QUrl> fileURLs(const QStringList &paths)
{
    QList<QUrl> urls;
    urls.reserve(paths.size());
    for (const QString &path : paths)
        urls.append(QUrl::fromLocalFile(path));
    return urls;
}

} // namespace

void LockleafAppDelegate::connectFileActions()
{
    Ui::MainWindow &ui = *m_ui;
    connect(ui.addFilesBtn, &QPushButton::clicked, this, [this] { addFiles(); });
    connect(ui.addFilesAction, &QAction::triggered, this, [this] { addFiles(); });
    connect(ui.addFolderBtn, &QPushButton::clicked, this, [this] { addFolder(); });
    connect(ui.addFolderAction, &QAction::triggered, this, [this] { addFolder(); });
    connect(ui.importBtn, &QPushButton::clicked, this, [this] { importAction(); });
    connect(ui.importAction, &QAction::triggered, this, [this] { importAction(); });
    connect(ui.openFileButton, &QPushButton::clicked, this, [this] { openFileWithFinder(); });
    connect(ui.openEnclosedFolderButton, &QPushButton::clicked, this, [this] { openFileEnclosingFolder(); });
    connect(ui.getInfoButton, &QPushButton::clicked, this, [this] { getInfoFile(); });
    connect(ui.exportToolbarItem, &QAction::triggered, this, [this] { exportAction(); });
    connect(ui.pdfPasswordButton, &QPushButton::clicked, this, [this] { pdfReadPassword(); });
    connect(ui.passwordsListButton, &QPushButton::clicked, this, [this] { passwordsListAction(); });
}

void LockleafAppDelegate::addFiles()
{
    if (isBusy(*this))
        return;
    commitEditing();
    const QStringList paths = m_fileChooser->chooseFiles(m_window, QStringLiteral("Select PDF File(s):"),
                                                         m_allowedFileTypes, false);
    openPanelDidEnd(paths.isEmpty() ? 0 : 1, fileURLs(paths), false);
}

void LockleafAppDelegate::addFolder()
{
    if (isBusy(*this))
        return;
    commitEditing();
    const QStringList paths = m_fileChooser->chooseFiles(
        m_window, QStringLiteral("Select folder(s) contains PDF File(s):"), m_allowedFileTypes, true);
    openPanelDidEnd(paths.isEmpty() ? 0 : 1, fileURLs(paths), true);
}

void LockleafAppDelegate::openPanelDidEnd(int returnCode, const QList<QUrl> &urls, bool choseFolders)
{
    if (returnCode != 1 || urls.isEmpty())
        return;
    Arguments arguments;
    arguments.urls = urls;
    arguments.isFolders = choseFolders;
    // The box as it is when the panel closes decides, not as it was when it opened.
    arguments.isIncludeSubdirectories = m_ui->inculdeSubfoldersBtn->isChecked();
    startGathering(arguments);
}

void LockleafAppDelegate::importAction()
{
    if (isBusy(*this))
        return;
    commitEditing();
    openImportFilesPanel();
}

void LockleafAppDelegate::openImportFilesPanel()
{
    try {
        if (!m_importFilesPanel) {
            m_importFilesPanel =
                new ImportFilesWindowController(m_window, m_alerts.get(), m_fileChooser.get());
            m_importFilesPanel->setDelegate(this);
            m_importFilesPanel->setAllowedTypes(m_allowedFileTypes.join(QLatin1Char(',')));
        }
        m_importFilesPanel->resetView();
        m_importFilesPanel->showSheet();
    } catch (const std::exception &e) {
        logError(QStringLiteral("openImportFilesPanel"), reasonOf(e));
    }
}

void LockleafAppDelegate::ImportFilesWindowControllerDidFinish(ImportFilesWindowController *controller)
{
    if (!controller || controller->files().isEmpty())
        return;
    Arguments arguments;
    // A copy: the dialog may be reopened, and its list cleared, while the task reads this.
    arguments.urls = controller->files();
    arguments.isFolders = false;
    arguments.isIncludeSubdirectories = m_ui->inculdeSubfoldersBtn->isChecked();
    startGathering(arguments);
}

void LockleafAppDelegate::openFiles()
{
    try {
        for (int row : highlightedRows())
            if (const FileItemPtr item = m_model->itemAt(row))
                m_workspace->openURL(item->filePath());
    } catch (const std::exception &e) {
        logError(QStringLiteral("openFiles"), reasonOf(e));
    }
}

void LockleafAppDelegate::openEnclodingFolder()
{
    try {
        QList<QUrl> urls;
        for (int row : highlightedRows())
            if (const FileItemPtr item = m_model->itemAt(row))
                urls.append(item->filePath());
        if (!urls.isEmpty())
            m_workspace->revealURLs(urls);
    } catch (const std::exception &e) {
        logError(QStringLiteral("openEnclodingFolder"), reasonOf(e));
    }
}

void LockleafAppDelegate::getInfo()
{
    try {
        for (int row : highlightedRows()) {
            const FileItemPtr item = m_model->itemAt(row);
            if (!item)
                continue;
#if defined(Q_OS_MACOS)
            // One at a time: the next script runs once the previous has returned.
            // Its result and errors are of no interest.
            QProcess::execute(QStringLiteral("/usr/bin/osascript"),
                              {QStringLiteral("-e"), informationScript(item->filePath().toLocalFile())});
#else
            auto *info = new FileInformationDialog(item, m_window);
            info->show();
#endif
        }
    } catch (const std::exception &e) {
        logError(QStringLiteral("getInfo"), reasonOf(e));
    }
}

void LockleafAppDelegate::exportAction()
{
    commitEditing();
    const QString path = m_fileChooser->chooseSaveFileName(
        m_window, QStringLiteral("Export List To Tab Delimited Text File :"),
        proposedExportName(QDateTime::currentDateTime()), QStringLiteral("txt"));
    savePanelDidEnd(path.isEmpty() ? 0 : 1, path);
}

void LockleafAppDelegate::savePanelDidEnd(int returnCode, const QString &path)
{
    if (returnCode == 1 && !path.isEmpty())
        exportList(path);
}

bool LockleafAppDelegate::exportList(const QString &path)
{
    try {
        QString error;
        if (writeExportFile(path, m_files, &error))
            return true;
        logError(QStringLiteral("export"), error);
    } catch (const std::exception &e) {
        logError(QStringLiteral("export"), reasonOf(e));
    }
    return false;
}

} // namespace lockleaf
