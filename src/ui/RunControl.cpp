#include "ui/RunControl.h"

#include "engine/FileGatherer.h"
#include "engine/Process.h"
#include "engine/RunSecurity.h"
#include "engine/Workspace.h"
#include "model/PDFSettings.h"
#include "model/Settings.h"
#include "platform/OsVersion.h"
#include "platform/SystemLog.h"
#include "platform/Utilities.h"
#include "ui/AlertPresenter.h"
#include "ui/CommitEditing.h"
#include "ui/FileChooser.h"
#include "ui/FileList.h"
#include "ui/FileTableModel.h"
#include "ui/Gathering.h"
#include "ui/LogView.h"
#include "ui/MainThread.h"
#include "ui/OptionsPanel.h"
#include "ui/ProgressPanel.h"
#include "ui/RunRecordsTable.h"
#include "ui/RunTexts.h"
#include "ui/WindowState.h"

#include "ui_MainWindow.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QSet>
#include <QShortcut>
#include <QTemporaryFile>
#include <QThread>

#include <algorithm>
#include <exception>

namespace lockleaf
{

namespace
{

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

} // namespace

// The run's way back to the window: every call is performed on the main thread
// while the run's thread waits, so labels change and folders open in order and
// only on the main thread. Once the window shuts down the calls are skipped.
class RunControl::Bridge final : public RunDelegate, public Workspace
{
public:
    explicit Bridge(RunControl *owner) : m_owner(owner) {}

    void updateTimeTakenLabel(const QString &text) override
    {
        onMain([&] { m_owner->m_state->updateTimeTakenLabel(text); });
    }
    void openURL(const QUrl &url) override
    {
        onMain([&] { m_owner->m_workspace->openURL(url); });
    }
    void revealURLs(const QList<QUrl> &urls) override
    {
        onMain([&] { m_owner->m_workspace->revealURLs(urls); });
    }

private:
    template <typename F> void onMain(F &&work)
    {
        runOnMainThread(m_owner, m_owner->m_shuttingDown, std::forward<F>(work));
    }

    RunControl *m_owner;
};

RunControl::RunControl(Ui::MainWindow &ui, Settings *settings, FileList *list, OptionsPanel *options,
                       WindowState *state, Gathering *gathering, AlertPresenter *alerts, Workspace *workspace,
                       QObject *parent)
    : QObject(parent), m_window(ui.centralWidget->window()), m_settings(settings), m_list(list),
      m_options(options), m_state(state), m_gathering(gathering), m_alerts(alerts), m_workspace(workspace),
      m_processViewPanel(new ProgressPanel(m_window)), m_process(std::make_unique<Process>()),
      m_bridge(std::make_unique<Bridge>(this))
{
    ProgressPanel *panel = m_processViewPanel;
    connect(ui.convertBtn, &QPushButton::clicked, this, [this] { convertAction(); });
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
    // The panel's access letters, drawn like the window's.
    const QColor text = m_window->palette().color(QPalette::Active, QPalette::ButtonText);
    OptionsPanel::setButtonKeyCharacter(panel->viewLogBtn(), tr("l", "access key of View Log"), text);
    OptionsPanel::setButtonKeyCharacter(panel->cancelProcessBtn(), tr("c", "access key of Cancel"), text);
    // The sheet holds the window and its menu, so the quit key works on the
    // sheet too; the quit request then meets the window's question.
    auto *quitKey = new QShortcut(QKeySequence::Quit, panel);
    connect(
        quitKey, &QShortcut::activated, this, [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
}

RunControl::~RunControl()
{
    shutdown();
    m_shuttingDown = true;
    m_processViewPanel->setProcess(nullptr);
}

bool RunControl::isRunWorking() const
{
    return m_thread && m_thread->isRunning();
}

void RunControl::countUncountedRows()
{
    // Rows a cancelled gathering listed but did not open yet: the run and the
    // checks before it need their pages and secured state.
    QList<FileItemPtr> uncounted;
    for (const FileItemPtr &item : m_list->files())
        if (item && !item->isCounted())
            uncounted.append(item);
    if (uncounted.isEmpty())
        return;
    FileGatherer::countItems(uncounted, m_settings, m_jobs > 0 ? m_jobs : QThread::idealThreadCount());
    m_list->tableModel()->refreshAll();
    m_state->updateTotalLabel();
}

void RunControl::convert()
{
    // One run at a time; and a run beside a gathering would share the settings
    // and the busy flag with it.
    if (isRunWorking() || m_gathering->isGathering())
        return;
    bool started = false;
    try {
        commitEditing(m_window);
        countUncountedRows();
        if (m_thread) {
            m_thread->wait();
            m_thread.reset();
        }
        m_processViewPanel->setProcess(nullptr);
        m_process = std::make_unique<Process>();
        m_process->setIsCombining(true);
        m_process->setSettings(m_settings);
        if (m_jobs > 0)
            m_process->setJobs(m_jobs);

        // Where an empty output folder is allowed, the user may write beside the sources.
        bool checkFolder = true;
        if (!isLionOrLater() && m_settings->outputFolderPath().isEmpty()) {
            checkFolder = !m_alerts->confirm(m_window,
                                             tr("No output folder selected, file(s) will be saved in source "
                                                "folder.\nDo you want to continue?"),
                                             QMessageBox::Critical);
            if (checkFolder) {
                m_options->showOutputFolderProblem();
                return;
            }
        }
        if (checkFolder) {
            const FolderState state = outputFolderState(m_settings->outputFolderPath());
            if (state != FolderState::Usable) {
                m_alerts->inform(m_window,
                                 state == FolderState::Missing
                                     ? tr("Output folder missing or invalid path!\r\nPlease select valid "
                                          "output folder.")
                                     : tr("Output folder is non-writable!\r\nPlease select writable output "
                                          "folder."),
                                 QMessageBox::Critical);
                m_options->showOutputFolderProblem();
                return;
            }
        }

        const QList<FileItemPtr> checked = m_list->checkedItems();
        if (m_settings->securityType() == 1) {
            const PDFSettings *pdf = m_settings->pdfSettings();
            // The typed passwords are needed unless every checked file has its own.
            const bool typedNeeded = checked.isEmpty() || std::any_of(checked.cbegin(), checked.cend(),
                                                                      [](const FileItemPtr &item) {
                                                                          return !item->hasOwnPasswords();
                                                                      });
            if (!pdf ||
                (typedNeeded && pdf->pdfPermissionPassword().isEmpty() && pdf->pdfOpenPassword().isEmpty())) {
                m_alerts->inform(m_window, tr("Please provide atleast one password to secure pdf document!"),
                                 QMessageBox::Critical);
                m_options->showPasswordProblem();
                return;
            }
            // Caught here rather than as a failure of every file: a password
            // the key length cannot carry, or restrictions nobody would be bound by.
            QString problem = typedNeeded ? shownRunText(securityProblem(*pdf)) : QString();
            if (problem.isEmpty())
                problem = ownPasswordsProblem(checked);
            if (!problem.isEmpty()) {
                m_alerts->inform(m_window, problem, QMessageBox::Critical);
                m_options->showPasswordProblem();
                return;
            }
            if (!confirmReaderUnsafePasswords(checked)) {
                m_options->showPasswordProblem();
                return;
            }
        }

        m_options->selectSecurityTab();

        Q_EMIT aboutToRun(checked);
        for (const FileItemPtr &item : checked) {
            auto output = std::make_shared<OutputFile>();
            output->filename = item->filePath().toLocalFile();
            output->fileItems = {item};
            m_process->outputFiles().append(output);
        }
        m_process->setTotalFileSelected(int(checked.size()));

        m_state->resetView(false);
        m_state->startProcess();
        // The sheet shows the progress; the window's spinner stands still.
        m_state->stopBusyIndicator();
        m_state->resetViewForProcess(false);

        Process *process = m_process.get();
        process->setDelegate(m_bridge.get());
        process->setWorkspace(m_bridge.get());
        m_processViewPanel->setProcess(process);
        m_thread.reset(QThread::create([process] { process->start(); }));
        m_thread->setObjectName(QStringLiteral("run"));
        connect(m_thread.get(), &QThread::finished, this, [this] {
            m_processViewPanel->refresh();
            rereadWrittenRows();
            recordOutcomes();
            Q_EMIT runFinished();
        });
        m_thread->start();
        started = true;

        m_processViewPanel->open();
    } catch (const std::exception &e) {
        logError(QStringLiteral("Split"), QString::fromLocal8Bit(e.what()));
        // A window disabled for a run that never started could not be used again.
        if (!started) {
            m_state->resetViewForProcess(true);
            m_state->stopProcess();
            m_state->resetView(true);
        }
    }
}

bool RunControl::confirmReaderUnsafePasswords(const QList<FileItemPtr> &checked)
{
    const PDFSettings *pdf = m_settings->pdfSettings();
    if (!pdf)
        return true;
    const bool typedUnsafe = std::any_of(checked.cbegin(), checked.cend(), [&](const FileItemPtr &item) {
        return hasReaderUnsafePassword(*pdf, 0, item.get());
    });
    if (!typedUnsafe)
        return true;
    return m_alerts->confirm(
        m_window,
        tr("A password has characters outside Latin-1 (such as €, —, •, †). With a "
           "%1-bit key the files are correct, but PDF readers built on pdf.js (Firefox) cannot open "
           "them. A 256-bit key avoids this.\n\nDo you want to continue?")
            .arg(keyLengthForStrength(pdf->encryptionStrength())),
        QMessageBox::Warning);
}

QString RunControl::ownPasswordsProblem(const QList<FileItemPtr> &checked) const
{
    const PDFSettings *pdf = m_settings->pdfSettings();
    if (!pdf)
        return {};
    // Every row to fix at once, by its number in the table, so a long list
    // is not corrected one alert at a time.
    constexpr int kShown = 12;
    QStringList rows;
    int count = 0;
    for (const FileItemPtr &item : checked) {
        if (!item->hasOwnPasswords())
            continue;
        const QString own = securityProblemFor(*pdf, 0, *item);
        if (own.isEmpty())
            continue;
        if (++count <= kShown)
            rows.append(tr("Row %1, %2: %3")
                            .arg(m_list->files().indexOf(item) + 1)
                            .arg(QFileInfo(item->filePath().toLocalFile()).fileName(), shownRunText(own)));
    }
    if (count == 0)
        return {};
    if (count > kShown)
        rows.append(tr("... and %n more row(s).", nullptr, count - kShown));
    return tr("The own passwords of %n checked file(s) cannot protect them:", nullptr, count) +
           QLatin1Char('\n') + rows.join(QLatin1Char('\n'));
}

void RunControl::rereadWrittenRows()
{
    if (!m_process)
        return;
    // Rows whose file the run wrote or replaced: in a folder it wrote to and
    // changed since it started (the second is the coarsest file-time step).
    QSet<QString> folders;
    for (const LogFilesPtr &record : m_process->log().files())
        if (record)
            folders.insert(QDir::cleanPath(record->targetPath()));
    const QDateTime since = m_process->log().startTime().addSecs(-1);
    bool changed = false;
    for (const FileItemPtr &item : m_list->files()) {
        const QFileInfo info(item->filePath().toLocalFile());
        if (folders.contains(QDir::cleanPath(info.absolutePath())) && info.lastModified() >= since) {
            item->reread();
            changed = true;
        }
    }
    if (changed)
        m_list->refreshItems();
}

void RunControl::recordOutcomes()
{
    if (!m_process)
        return;
    // The run records one entry per output, in work-list order, up to where it
    // stopped; files it never reached keep no outcome.
    const Process &run = *m_process;
    const QList<LogFilesPtr> records = run.log().files();
    for (qsizetype i = 0; i < records.size() && i < run.outputFiles().size(); ++i) {
        const LogFilesPtr &record = records.at(i);
        const OutputFilePtr &output = run.outputFiles().at(i);
        if (!record || !output)
            continue;
        const bool failed = !RunRecordsTable::isSuccess(record->status());
        for (const FileItemPtr &item : output->fileItems)
            if (item && QFileInfo(item->filePath().toLocalFile()).fileName() == record->filename())
                item->setLastOutcome({record->status(), failed ? record->reason() : QString(), failed});
    }
    // The cells only: the totals and the run's time line stay as they are.
    m_list->tableModel()->refreshAll();
}

void RunControl::cancelProcessAction()
{
    if (m_process)
        m_process->setIsCombining(false);
}

void RunControl::viewLogAction()
{
    if (!m_process || !m_process->isCompleted())
        return;
    // Over the progress panel, which holds the window while it is up.
    LogView *view = logViewOver(m_processViewPanel);
    // One record per output file, in work-list order: the sources' page counts
    // fill the column the log itself leaves at 0.
    QList<int> pages;
    for (const auto &output : std::as_const(*m_process).outputFiles())
        pages.append(output && !output->fileItems.isEmpty() && output->fileItems.constFirst()
                         ? output->fileItems.constFirst()->pages()
                         : 0);
    view->present(m_process->log().files(), pages, m_process->log().logFilePath());
}

LogView *RunControl::logViewOver(QWidget *parent)
{
    if (!m_logView) {
        m_logView = new LogView(parent);
        connect(m_logView, &LogView::openExternallyRequested, this,
                [this](const QString &path) { m_workspace->openURL(QUrl::fromLocalFile(path)); });
    } else if (m_logView->parentWidget() != parent) {
        // A child of a hidden panel would come up without the window it belongs to.
        m_logView->setParent(parent, m_logView->windowFlags());
    }
    return m_logView;
}

void RunControl::openLogAction(FileChooser *chooser)
{
    const QString path = chooser->chooseFile(m_window, tr("Select Log To Open:"), {QStringLiteral("log")},
                                             getAppPath() + QStringLiteral("/Logs"));
    if (!path.isEmpty())
        openLog(path);
}

void RunControl::openLog(const QString &path)
{
    const LogContents contents = readLogFile(path);
    if (!contents.error.isNull()) {
        m_alerts->inform(m_window,
                         tr("\"%1\" cannot be shown as a processing log:\n%2")
                             .arg(QDir::toNativeSeparators(path), contents.error),
                         QMessageBox::Warning);
        return;
    }
    QList<LogFilesPtr> records;
    records.reserve(contents.records.size());
    for (const LogFiles &record : contents.records)
        records.append(std::make_shared<LogFiles>(record));
    logViewOver(m_window)->present(records, {}, path, !contents.finished);
}

void RunControl::closeProcessAction()
{
    // Close is offered once the run has ended; a run still working is stopped
    // rather than released under its own thread.
    if (isRunWorking()) {
        cancelProcessAction();
        waitForRun();
    }
    m_processViewPanel->done(QDialog::Accepted);

    // The rows the run processed, whatever their outcome; after a cancel the
    // rest stay for the next run.
    if (m_settings->isClearProcessedFiles() && m_process) {
        const Process &run = *m_process;
        QList<FileItemPtr> processed;
        for (qsizetype i = 0; i < run.outputFiles().size() && i < run.totalFileProcessed(); ++i)
            if (const OutputFilePtr &output = run.outputFiles().at(i))
                processed.append(output->fileItems);
        m_list->removeItems(processed);
    }

    m_state->resetViewForProcess(true);
    m_state->stopProcess();
    m_state->resetView(true);

    m_processViewPanel->setProcess(nullptr);
    m_thread.reset();
    m_process.reset();
}

void RunControl::waitForRun()
{
    while (m_thread && !m_thread->wait(QDeadlineTimer(20)))
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

void RunControl::shutdown()
{
    if (!isRunWorking())
        return;
    cancelProcessAction();
    waitForRun();
}

bool RunControl::stopBeforeQuitting()
{
    if (isRunWorking() && m_process && !m_process->isCompleted()) {
        QWidget *parent =
            m_processViewPanel->isVisible() ? static_cast<QWidget *>(m_processViewPanel) : m_window;
        if (!m_alerts->confirm(
                parent,
                tr("Files are still being processed.\nDo you want to stop after the file in hand and quit?")))
            return false;
    }
    // The file in hand is finished and written whole (outputs are renamed into
    // place only once complete), so nothing half-written is left behind.
    shutdown();
    return true;
}

} // namespace lockleaf
