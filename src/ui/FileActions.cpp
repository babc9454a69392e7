#include "ui/FileActions.h"

#include "engine/PasswordChoice.h"
#include "engine/Workspace.h"
#include "model/ExportList.h"
#include "model/Settings.h"
#include "platform/SystemLog.h"
#include "ui/AlertPresenter.h"
#include "ui/CommitEditing.h"
#include "ui/FileChooser.h"
#include "ui/FileInformationDialog.h"
#include "ui/FileList.h"
#include "ui/Gathering.h"
#include "ui/ImportReview.h"
#include "ui/InformationScript.h"
#include "ui/RunTexts.h"
#include "ui/WindowState.h"

#include "ui_MainWindow.h"

#include <QDir>
#include <QMessageBox>
#include <QProcess>
#include <QSettings>

#include <exception>
#include <utility>

namespace lockleaf
{

namespace
{

QString reasonOf(const std::exception &e)
{
    return QString::fromLocal8Bit(e.what());
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

FileActions::FileActions(Ui::MainWindow &ui, FileList *list, Gathering *gathering, WindowState *state,
                         AlertPresenter *alerts, FileChooser *chooser, Workspace *workspace,
                         QStringList allowedFileTypes, QObject *parent)
    : QObject(parent), m_list(list), m_gathering(gathering), m_state(state), m_alerts(alerts),
      m_chooser(chooser), m_workspace(workspace), m_allowedFileTypes(std::move(allowedFileTypes)),
      m_window(ui.centralWidget->window()), m_inculdeSubfoldersBtn(ui.inculdeSubfoldersBtn),
      m_exportToolbarItem(ui.exportToolbarItem), m_addControls{ui.importBtn, ui.addFilesBtn, ui.addFolderBtn,
                                                               ui.inculdeSubfoldersBtn},
      m_addActions{ui.addFilesAction, ui.addFolderAction, ui.importAction},
      m_fileButtons{ui.openFileButton, ui.getInfoButton, ui.openEnclosedFolderButton}
{
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
    m_inculdeSubfoldersBtn->setChecked(inculdeSubfolders());
    connect(m_inculdeSubfoldersBtn, &QCheckBox::clicked, this, [this](bool on) { setInculdeSubfolders(on); });
    connect(m_gathering, &Gathering::gatheringFinished, this, [this] { giveImportedPasswords(); });
}

FileActions::~FileActions() = default;

// A run, or a gathering already started (its thread may not yet have marked
// the window busy), rules out another gathering.
bool FileActions::isBusy() const
{
    return m_state->isProcessing() || m_gathering->isGathering();
}

bool FileActions::gather(const QList<QUrl> &urls, bool isFolders)
{
    Arguments arguments;
    arguments.urls = urls;
    arguments.isFolders = isFolders;
    // The box as it is now decides, not as it was when a panel opened.
    arguments.isIncludeSubdirectories = m_inculdeSubfoldersBtn->isChecked();
    return m_gathering->startGathering(arguments);
}

void FileActions::giveImportedPasswords()
{
    if (m_importedPasswords.isEmpty())
        return;
    const QHash<QString, PasswordMapEntry> passwords = std::exchange(m_importedPasswords, {});
    try {
        for (const FileItemPtr &item : m_list->files()) {
            const QString path = item->filePath().toLocalFile();
            const auto entry = passwords.constFind(normalisedMapPath(path, QDir::rootPath()));
            if (entry == passwords.cend())
                continue;
            item->setOwnPasswords(entry->openPassword, entry->permissionPassword);
            if (!item->isSecured())
                continue;
            // Its map line's passwords come first: the one granting copying, as
            // removing security needs it. Never added to the saved passwords.
            QStringList candidates{entry->permissionPassword, entry->openPassword};
            candidates.removeAll(QString(""));
            const QString best = passwordGrantingCopy(path, candidates);
            if (!best.isEmpty() && best != item->pdfOpenPassword())
                item->setPdfOpenPassword(best);
        }
    } catch (const std::exception &e) {
        logError(QStringLiteral("giveImportedPasswords"), reasonOf(e));
    }
    m_list->refreshItems();
}

void FileActions::reportSkipped(const QList<SkippedEntry> &entries)
{
    if (entries.isEmpty())
        return;
    // A long list would make the alert taller than the screen; the log of a
    // run is not involved here, so the first few with a count must do.
    constexpr int kShown = 10;
    QStringList lines;
    for (int i = 0; i < entries.size() && i < kShown; ++i)
        lines << tr("%1: %2", "a path and why it was not added")
                     .arg(QDir::toNativeSeparators(entries[i].path), shownRunText(entries[i].reason));
    if (entries.size() > kShown)
        lines << tr("... and %1 more.").arg(entries.size() - kShown);
    const QString heading = entries.size() == 1
                                ? tr("1 item was not added to the list:")
                                : tr("%1 items were not added to the list:").arg(entries.size());
    m_alerts->inform(m_window, heading + QStringLiteral("\n\n") + lines.join(QLatin1Char('\n')),
                     QMessageBox::Warning);
}

void FileActions::resetView(bool enable)
{
    for (QWidget *w : std::as_const(m_addControls))
        w->setEnabled(enable);
    for (QAction *a : std::as_const(m_addActions))
        a->setEnabled(enable);
    const bool listUsable = enable && !m_list->files().isEmpty();
    m_exportToolbarItem->setEnabled(listUsable);
    for (QPushButton *b : std::as_const(m_fileButtons))
        b->setEnabled(listUsable);
}

bool FileActions::inculdeSubfolders() const
{
    return Settings::openStore()->value(QLatin1String(kIncludeSubfoldersKey), false).toBool();
}

void FileActions::setInculdeSubfolders(bool include)
{
    std::unique_ptr<QSettings> store = Settings::openStore();
    store->setValue(QLatin1String(kIncludeSubfoldersKey), include);
    store->sync();
}

void FileActions::addFiles()
{
    if (isBusy())
        return;
    commitEditing(m_window);
    const QStringList paths =
        m_chooser->chooseFiles(m_window, tr("Select PDF File(s):"), m_allowedFileTypes, false);
    openPanelDidEnd(paths.isEmpty() ? 0 : 1, fileURLs(paths), false);
}

void FileActions::addFolder()
{
    if (isBusy())
        return;
    commitEditing(m_window);
    const QStringList paths = m_chooser->chooseFiles(m_window, tr("Select folder(s) contains PDF File(s):"),
                                                     m_allowedFileTypes, true);
    openPanelDidEnd(paths.isEmpty() ? 0 : 1, fileURLs(paths), true);
}

void FileActions::openPanelDidEnd(int returnCode, const QList<QUrl> &urls, bool choseFolders)
{
    if (returnCode != 1 || urls.isEmpty())
        return;
    gather(urls, choseFolders);
}

void FileActions::gatherDropped(const QList<QUrl> &urls)
{
    if (!urls.isEmpty())
        gather(urls, true);
}

void FileActions::importAction()
{
    if (isBusy())
        return;
    commitEditing(m_window);
    openImportFilesPanel();
}

void FileActions::openImportFilesPanel()
{
    try {
        if (!m_importFilesPanel) {
            m_importFilesPanel = new ImportFilesWindowController(m_window, m_alerts, m_chooser);
            m_importFilesPanel->setDelegate(this);
            m_importFilesPanel->setAllowedTypes(m_allowedFileTypes.join(QLatin1Char(',')));
        }
        m_importFilesPanel->resetView();
        m_importFilesPanel->showSheet();
    } catch (const std::exception &e) {
        logError(QStringLiteral("openImportFilesPanel"), reasonOf(e));
    }
}

void FileActions::ImportFilesWindowControllerDidFinish(ImportFilesWindowController *controller)
{
    if (!controller || controller->files().isEmpty())
        return;
    // Paths that name nothing would become empty rows; each line left out is
    // accounted for, so a long list never loses lines without a word.
    const ImportReview review =
        reviewImport(controller->parsedText(), controller->files(), controller->passwords());
    m_importedPasswords = review.passwords;
    if (review.existing.isEmpty() || !gather(review.existing, false))
        giveImportedPasswords(); // to the files already listed
    if (review.notTaken() > 0)
        m_alerts->inform(m_window, review.message(), QMessageBox::Information);
}

void FileActions::openFiles()
{
    try {
        for (const FileItemPtr &item : m_list->highlightedItems())
            m_workspace->openURL(item->filePath());
    } catch (const std::exception &e) {
        logError(QStringLiteral("openFiles"), reasonOf(e));
    }
}

void FileActions::openEnclodingFolder()
{
    try {
        QList<QUrl> urls;
        for (const FileItemPtr &item : m_list->highlightedItems())
            urls.append(item->filePath());
        if (!urls.isEmpty())
            m_workspace->revealURLs(urls);
    } catch (const std::exception &e) {
        logError(QStringLiteral("openEnclodingFolder"), reasonOf(e));
    }
}

void FileActions::getInfo()
{
    try {
        for (const FileItemPtr &item : m_list->highlightedItems()) {
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

void FileActions::exportAction()
{
    commitEditing(m_window);
    const QString path = m_chooser->chooseSaveFileName(
        m_window, tr("Export List To Tab Delimited Text File :"),
        proposedExportName(QDateTime::currentDateTime()), QStringLiteral("txt"));
    savePanelDidEnd(path.isEmpty() ? 0 : 1, path);
}

void FileActions::savePanelDidEnd(int returnCode, const QString &path)
{
    if (returnCode == 1 && !path.isEmpty())
        exportList(path);
}

bool FileActions::exportList(const QString &path)
{
    try {
        QString error;
        // The Status column as the table shows it, in the user's language.
        if (writeExportFile(path, m_list->files(), &error,
                            [](const FileItem &item) { return shownOutcome(item.lastOutcome()); }))
            return true;
        logError(QStringLiteral("export"), error);
    } catch (const std::exception &e) {
        logError(QStringLiteral("export"), reasonOf(e));
    }
    return false;
}

} // namespace lockleaf
