#pragma once

#include "model/FileItem.h"

#include <QObject>

#include <atomic>
#include <memory>

class QThread;
class QWidget;

namespace Ui
{
class MainWindow;
} // namespace Ui

namespace lockleaf
{

class AlertPresenter;
class FileChooser;
class FileList;
class Gathering;
class LogView;
class OptionsPanel;
class Process;
class ProgressPanel;
class Settings;
class WindowState;
class Workspace;

// The run: the checks before a run, the run's thread and its calls back to the
// window, the progress panel and its buttons, and the question asked when the
// application is to quit while a run works.
//
// Owns the current run (`process`) and the progress panel (a child of the
// window); the start button's action is its own. It takes the checked items
// from the file list, brings a control to fix into view through the options
// panel, and marks the window busy and idle through the window state.
//
// Threads: Process::start runs on a thread of its own. The run's calls back
// (the time-taken line, opening its folder or its log) are performed on the
// main thread while the run waits (blocking queued calls to this object); the
// progress panel hears the run's properties through queued connections.
// Nothing passed in is owned; all must outlive this.
class RunControl final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RunControl)

public:
    RunControl(Ui::MainWindow &ui, Settings *settings, FileList *list, OptionsPanel *options,
               WindowState *state, Gathering *gathering, AlertPresenter *alerts, Workspace *workspace,
               QObject *parent = nullptr);
    // Stops a working run and waits for it.
    ~RunControl() override;

    Process *process() const { return m_process.get(); }
    // Files the next runs work on at once; 0 (the default) keeps the engine's
    // own default (one per core).
    void setJobs(int jobs) { m_jobs = jobs; }
    ProgressPanel *processViewPanel() const { return m_processViewPanel; }
    // The in-app view of the last log shown; null before View Log.
    LogView *logView() const { return m_logView; }

    void convertAction() { convert(); }
    // Checks the output folder, then (adding security) the passwords; a failed
    // check shows one alert, brings the settings pane up on the tab to fix and
    // starts nothing (the unstarted run stays as `process`). Otherwise a new run
    // over the checked rows, in list order, starts on a thread of its own and
    // the progress panel is shown as a window-modal sheet. Ignored while a run
    // or a gathering still works.
    void convert();
    // Asks the run to stop after the file in hand.
    void cancelProcessAction();
    // Shows the run's log records in the log view once the run has ended;
    // nothing otherwise. The view can hand the saved file to another application.
    void viewLogAction();
    // Asks for a saved log, the panel opening in the logs folder, and opens it
    // (see openLog); nothing when the panel is cancelled.
    void openLogAction(FileChooser *chooser);
    // Shows the log at `path` in the log view over the window, with a line
    // saying so when its run left it unfinished; a file that cannot be read
    // as a processing log gets an alert with the reason instead.
    void openLog(const QString &path);
    // Hides the panel, removes the checked rows when the settings ask for it,
    // goes back to idle and releases the run. A run still working is stopped
    // and waited for first.
    void closeProcessAction();
    // True from a run's start until its thread has ended.
    bool isRunWorking() const;
    // Returns when the run's thread has ended, serving its main-thread calls
    // meanwhile. Does not stop the run.
    void waitForRun();
    // While a run works, asks whether to stop it and quit: "No" gives false and
    // changes nothing; "Yes" stops the run and waits for it (the file in hand is
    // finished) and gives true, as does having no run working.
    bool stopBeforeQuitting();
    // Stops a working run and waits for it, without asking.
    void shutdown();

Q_SIGNALS:
    // A run's thread has ended (emitted on the main thread).
    void runFinished();
    // Start passed its checks; `items` are about to become the run's work
    // list, so a listener may still unlock them (emitted on the main thread).
    void aboutToRun(const QList<FileItemPtr> &items);

private:
    class Bridge;

    // The log view, made on first use, as a child of `parent`.
    LogView *logViewOver(QWidget *parent);
    // Counts the rows a cancelled gathering left uncounted, before a run.
    void countUncountedRows();
    // Reads again the rows whose files the ended run wrote or replaced.
    void rereadWrittenRows();
    // Gives each row the ended run worked on its outcome (FileItem::lastOutcome).
    void recordOutcomes();
    // Why the own passwords of checked rows cannot protect them, naming each
    // row; "" when they can.
    QString ownPasswordsProblem(const QList<FileItemPtr> &checked) const;
    // At 40 or 128 bits, asks whether to go on when a password of the run
    // holds characters readers built on pdf.js cannot type; true to go on.
    bool confirmReaderUnsafePasswords(const QList<FileItemPtr> &checked);

    QWidget *m_window;
    Settings *m_settings;
    FileList *m_list;
    OptionsPanel *m_options;
    WindowState *m_state;
    Gathering *m_gathering;
    AlertPresenter *m_alerts;
    Workspace *m_workspace;
    ProgressPanel *m_processViewPanel;
    LogView *m_logView = nullptr;
    std::unique_ptr<Process> m_process;
    int m_jobs = 0;
    std::unique_ptr<Bridge> m_bridge;
    std::unique_ptr<QThread> m_thread;
    std::atomic<bool> m_shuttingDown{false};
};

} // namespace lockleaf
