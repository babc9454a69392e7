// Run control: the checks before a run, the run's thread and its calls back to
// the window, the progress panel's actions, and the question asked when the
// application is to quit while a run works.

#include "ui/LockleafAppDelegate.h"

#include "engine/Process.h"
#include "engine/Workspace.h"
#include "model/PDFSettings.h"
#include "model/Settings.h"
#include "platform/OsVersion.h"
#include "platform/SystemLog.h"
#include "ui/AlertPresenter.h"
#include "ui/FileTableModel.h"
#include "ui/MainThread.h"
#include "ui/ProgressPanel.h"

#include "ui_MainWindow.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QMainWindow>
#include <QPushButton>
#include <QShortcut>
#include <QTemporaryFile>
#include <QThread>

#include <exception>

namespace lockleaf
{

namespace
{

const QString kNoOutputFolderQuestion = QStringLiteral(
    "No output folder selected, file(s) will be saved in source folder.\nDo you want to continue?");
const QString kOutputFolderMissing =
    QStringLiteral("Output folder missing or invalid path!\r\nPlease select valid output folder.");
const QString kOutputFolderNotWritable =
    QStringLiteral("Output folder is non-writable!\r\nPlease select writable output folder.");
const QString kNoPassword = QStringLiteral("Please provide atleast one password to secure pdf document!");
const QString kQuitWhileRunning =
    QStringLiteral("Files are still being processed.\nDo you want to stop after the file in hand and quit?");

enum class FolderState { Missing, NotWritable, Usable };

FolderState outputFolderState(const QString &path)
{
    // A relative path would land wherever the application happened to start.
    if (path.isEmpty() || QDir::isRelativePath(path))
        return FolderState::Missing;
    const QFileInfo info(path);
    if (!info.exists())
        return FolderState::Missing;
    // Something that cannot hold files (a regular file, say) is as good as read-only.
    if (!info.isDir())
        return FolderState::NotWritable;
    // Permission bits do not tell (root writes anywhere, a read-only mount
    // refuses everyone): a file really made and removed does.
    QTemporaryFile probe(QDir(path).filePath(QStringLiteral(".lockleaf-probe-XXXXXX")));
    return probe.open() ? FolderState::Usable : FolderState::NotWritable;
}

// Serves a thread's waiting main-thread calls until the thread has ended;
// `afterEach` runs after every round of calls served.
template <typename F> void waitServingCalls(QThread *thread, QObject *receiver, F &&afterEach)
{
    while (thread && !thread->wait(QDeadlineTimer(20))) {
        QCoreApplication::sendPostedEvents(receiver, QEvent::MetaCall);
        afterEach();
    }
}

} // namespace

// The run's way back to the window: every call is performed on the main thread
// while the run's thread waits, so labels change and folders open in order and
// only on the main thread. Once the window shuts down the calls are skipped.
class LockleafAppDelegate::RunBridge final : public RunDelegate, public Workspace
{
public:
    explicit RunBridge(LockleafAppDelegate *window) : m_window(window) {}

    void updateTimeTakenLabel(const QString &text) override
    {
        onMain([&] { m_window->updateTimeTakenLabel(text); });
    }
    void openURL(const QUrl &url) override
    {
        onMain([&] { m_window->m_workspace->openURL(url); });
    }
    void revealURLs(const QList<QUrl> &urls) override
    {
        onMain([&] { m_window->m_workspace->revealURLs(urls); });
    }

private:
    template <typename F> void onMain(F &&work)
    {
        runOnMainThread(m_window, m_window->m_shuttingDown, std::forward<F>(work));
    }

    LockleafAppDelegate *m_window;
};

// Every quit request (the Quit menu item, the platform's quit, the last window
// closing) arrives as a Quit event to the application; refusing it keeps the
// application running.
class LockleafAppDelegate::QuitGuard final : public QObject
{
public:
    explicit QuitGuard(LockleafAppDelegate *window) : QObject(window), m_window(window) {}
    Q_DISABLE_COPY_MOVE(QuitGuard)

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Quit && watched == QCoreApplication::instance() &&
            !m_window->applicationShouldTerminate()) {
            event->ignore();
            return true;
        }
        return false;
    }

private:
    LockleafAppDelegate *m_window;
};

void LockleafAppDelegate::connectRunControl()
{
    m_runBridge = std::make_shared<RunBridge>(this);
    ProgressPanel *panel = m_processViewPanel;
    connect(m_ui->convertBtn, &QPushButton::clicked, this, [this] { convertAction(); });
    connect(panel->viewLogBtn(), &QPushButton::clicked, this, [this] { viewLogAction(); });
    connect(panel->cancelProcessBtn(), &QPushButton::clicked, this, [this] { cancelProcessAction(); });
    connect(panel->closeProcessBtn(), &QPushButton::clicked, this, [this] { closeProcessAction(); });
    // Escape or the sheet's close button: a working run is asked to stop, an
    // ended one is closed; the sheet never just disappears over a disabled window.
    connect(panel, &ProgressPanel::closeRequested, this, [this] {
        if (m_process && !m_process->isCompleted())
            cancelProcessAction();
        else
            closeProcessAction();
    });
    // The sheet holds the window and its menu, so the quit key works on the
    // sheet too; the quit request then meets the question below.
    auto *quitKey = new QShortcut(QKeySequence::Quit, panel);
    connect(
        quitKey, &QShortcut::activated, this, [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
    QCoreApplication::instance()->installEventFilter(new QuitGuard(this));
}

bool LockleafAppDelegate::isRunWorking() const
{
    return m_runThread && m_runThread->isRunning();
}

void LockleafAppDelegate::showSettingsTab(int index)
{
    m_ui->settingTabView->setCurrentIndex(index);
    if (!m_showSettings)
        toggleSettings();
}

void LockleafAppDelegate::convert()
{
    // One run at a time; and a run beside a gathering would share the settings
    // and the busy flag with it.
    if (isRunWorking() || isGathering())
        return;
    bool started = false;
    try {
        commitEditing();
        if (m_runThread) {
            m_runThread->wait();
            m_runThread.reset();
        }
        m_processViewPanel->setProcess(nullptr);
        m_process = std::make_unique<Process>();
        m_process->setIsCombining(true);
        m_process->setSettings(m_settings.get());

        // The output tab in view and the focus on the control after the output
        // folder field (its "Choose..." button), where the folder is put right.
        const auto focusOutputFolder = [this] {
            showSettingsTab(1);
            QWidget *field = m_ui->outputFolderPath;
            QWidget *next = field->nextInFocusChain();
            while (next && next != field &&
                   !(next->isVisible() && next->isEnabled() && (next->focusPolicy() & Qt::TabFocus)))
                next = next->nextInFocusChain();
            (next ? next : field)->setFocus(Qt::OtherFocusReason);
        };

        // Where an empty output folder is allowed, the user may write beside the sources.
        bool checkFolder = true;
        if (!isLionOrLater() && m_settings->outputFolderPath().isEmpty()) {
            checkFolder = !m_alerts->confirm(m_window, kNoOutputFolderQuestion, QMessageBox::Critical);
            if (checkFolder) {
                focusOutputFolder();
                return;
            }
        }
        if (checkFolder) {
            const FolderState state = outputFolderState(m_settings->outputFolderPath());
            if (state != FolderState::Usable) {
                m_alerts->inform(
                    m_window, state == FolderState::Missing ? kOutputFolderMissing : kOutputFolderNotWritable,
                    QMessageBox::Critical);
                focusOutputFolder();
                return;
            }
        }

        if (m_settings->securityType() == 1) {
            const PDFSettings *pdf = m_settings->pdfSettings();
            if (!pdf || (pdf->pdfPermissionPassword().isEmpty() && pdf->pdfOpenPassword().isEmpty())) {
                m_alerts->inform(m_window, kNoPassword, QMessageBox::Critical);
                showSettingsTab(0);
                m_ui->openPasswordText->setFocus(Qt::OtherFocusReason);
                return;
            }
        }

        m_ui->settingTabView->setCurrentIndex(0);

        int checked = 0;
        for (const FileItemPtr &item : std::as_const(m_files)) {
            if (!item->isSelected())
                continue;
            auto output = std::make_shared<OutputFile>();
            output->filename = item->filePath().toLocalFile();
            output->fileItems = {item};
            m_process->outputFiles().append(output);
            ++checked;
        }
        m_process->setTotalFileSelected(checked);

        resetView(false);
        startProcess();
        // The sheet shows the progress; the window's spinner stands still.
        m_ui->loadingIndicator->stopAnimation();
        resetViewForProcess(false);

        Process *process = m_process.get();
        process->setDelegate(m_runBridge.get());
        process->setWorkspace(m_runBridge.get());
        m_processViewPanel->setProcess(process);
        m_runThread.reset(QThread::create([process] { process->start(); }));
        m_runThread->setObjectName(QStringLiteral("run"));
        connect(m_runThread.get(), &QThread::finished, this, [this] {
            m_processViewPanel->refresh();
            Q_EMIT runFinished();
        });
        m_runThread->start();
        started = true;

        m_processViewPanel->open();
    } catch (const std::exception &e) {
        logError(QStringLiteral("Split"), QString::fromLocal8Bit(e.what()));
        // A window disabled for a run that never started could not be used again.
        if (!started) {
            resetViewForProcess(true);
            stopProcess();
            resetView(true);
        }
    }
}

void LockleafAppDelegate::cancelProcessAction()
{
    if (m_process)
        m_process->setIsCombining(false);
}

void LockleafAppDelegate::viewLogAction()
{
    if (m_process)
        m_process->viewLog();
}

void LockleafAppDelegate::closeProcessAction()
{
    // Close is offered once the run has ended; a run still working is stopped
    // rather than released under its own thread.
    if (isRunWorking()) {
        cancelProcessAction();
        waitForRun();
    }
    m_processViewPanel->done(QDialog::Accepted);

    if (m_settings && m_settings->isClearProcessedFiles()) {
        // Every checked row goes, whatever its outcome in the run.
        QList<int> rows;
        for (int row = 0; row < m_files.size(); ++row)
            if (m_files.at(row)->isSelected())
                rows.append(row);
        m_model->removeRowsAt(rows);
        mainTableView()->clearSelection();
        m_model->refreshAll();
    }

    resetViewForProcess(true);
    stopProcess();
    resetView(true);

    m_processViewPanel->setProcess(nullptr);
    m_runThread.reset();
    m_process.reset();
}

void LockleafAppDelegate::waitForRun()
{
    waitServingCalls(m_runThread.get(), this, [] {});
}

void LockleafAppDelegate::shutdownRun()
{
    if (!isRunWorking())
        return;
    cancelProcessAction();
    waitForRun();
}

bool LockleafAppDelegate::stopWorkBeforeQuitting()
{
    if (isRunWorking() && m_process && !m_process->isCompleted()) {
        QWidget *parent =
            m_processViewPanel->isVisible() ? static_cast<QWidget *>(m_processViewPanel) : m_window;
        if (!m_alerts->confirm(parent, kQuitWhileRunning))
            return false;
    }
    // The file in hand is finished and written whole (outputs are renamed into
    // place only once complete), so nothing half-written is left behind.
    shutdownRun();
    if (isGathering()) {
        // Cleared again after every call served: a gathering that was just
        // starting sets the busy flag once more when its start-up call is served.
        cancelAction();
        waitServingCalls(m_gatherThread.get(), this, [this] { cancelAction(); });
    }
    return true;
}

} // namespace lockleaf
