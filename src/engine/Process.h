#pragma once

#include "engine/FileJob.h"
#include "engine/Log.h"
#include "engine/OutputFile.h"
#include "engine/OutputNames.h"
#include "engine/RunDelegate.h"
#include "engine/RunProgress.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

namespace lockleaf
{

class Settings;
class Workspace;

// One batch run over the checked files: optional backup copy, open, unlock,
// copy-permission check, write with or without security, one log record per
// output file, summary message, saved XML log.
//
// Life: the window creates it, arms it (setIsCombining(true), setSettings,
// outputFiles(), setTotalFileSelected), calls start() once on a thread of its
// own and destroys it after start() has returned. Never restarted.
//
// Threads: start() runs on the calling thread and changes every property there;
// NOTIFY signals are emitted on that thread (connect with queued connections to
// present them elsewhere). isCombining may be cleared from any thread (stop());
// the run notices it before each output file, between the file items of one
// output and after each output file. Getters are safe from any thread.
// start() never throws. A stop finishes and records every output file begun
// (taken up by a worker) and starts none after the first one not begun: the
// records always cover the first totalFileProcessed files of the list, no gaps.
//
// Files: each one is worked on by a FileJob (what a failure leaves: see there).
// No output replaces another output of the same run or a source still to be
// read (see OutputNames); a renamed output is named in its record's targetPath.
// Open-ended runs (setFeed) keep only the files in hand, whatever their number.
class Process final : public RunProgress
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Process)
public:
    using HookPoint = FileHookPoint;

    explicit Process(QObject *parent = nullptr);
    ~Process() override;

    // The run's log; final once isCompleted is true. Owned by the run.
    Log &log() { return m_log; }
    // Whether the log was saved whole (final once isCompleted is true).
    bool logSaved() const { return m_logSaved.load(); }
    const Log &log() const { return m_log; }
    // The work list, filled before start() (not by an open-ended run).
    QList<OutputFilePtr> &outputFiles() { return m_outputFiles; }
    const QList<OutputFilePtr> &outputFiles() const { return m_outputFiles; }

    // The live settings; not owned, must outlive the run. Read at the moment
    // each value is needed.
    Settings *settings() const { return m_settings; }
    void setSettings(Settings *settings) { m_settings = settings; }
    // Not owned; may be null (then nothing is reported / opened).
    void setDelegate(RunDelegate *delegate) { m_delegate = delegate; }
    void setWorkspace(Workspace *workspace) { m_workspace = workspace; }

    // Makes the run open-ended: start() takes its files from `feed`, on its
    // own thread, in list order, until it returns null (it may wait for the
    // next one); the log keeps no records in memory. While `ready` (optional)
    // says `feed` would wait, files that end are recorded meanwhile.
    using Feed = std::function<OutputFilePtr()>;
    void setFeed(Feed feed, std::function<bool()> ready = {});
    // Called on start()'s thread with each file's record as it reaches the
    // log, in list order, with the file it tells of.
    using RecordSink = std::function<void(const LogFiles &, const OutputFile &)>;
    void setRecordSink(RecordSink sink) { m_sink = std::move(sink); }
    // The files of the run: the work list's, or those the feed gave so far.
    int fileCount() const { return m_fileCount.load(); }
    // The run's output names, for sources it knows of before it starts (an
    // open-ended run says nothing of its sources on its own).
    OutputNames &outputNames() { return m_outputNames; }

    // Performs the whole run from the calling thread; returns when it has ended.
    void start();
    // Files worked on at once (default: QThread::idealThreadCount()). With
    // more than one, each file is opened, checked and written on a worker
    // thread while records, counts, signals and the delegate stay on start()'s
    // thread, in list order; the clock, the test hook and the settings' getters
    // are then called from the workers too. An exception outside a file's own
    // guard fails that file only; with one job it ends the run, as ever.
    void setJobs(int jobs) { m_jobs = jobs < 1 ? 1 : jobs; }
    int jobs() const { return m_jobs; }
    // Asks the run to stop at its next check; the file in hand is finished.
    void stop();
    // Opens the saved log with the workspace; nothing before a log was saved.
    void viewLog();

    // Source of "now" for the backup stamps and the log times (tests).
    void setClock(std::function<QDateTime()> clock);
    // Key length of secured outputs: 40, 128 or 256; 0 takes it from the settings.
    void setKeyLengthOverride(int bits) { m_keyLengthOverride = bits; }
    // Folder the log is saved into (default: the app's Logs folder). Not created.
    void setLogsFolder(const QString &dir);

    // Test seam: called at each HookPoint with the path about to be read or
    // written. An exception it throws is handled like one from qpdf at that point.
    void setTestHook(std::function<void(HookPoint, const QString &)> hook) { m_testHook = std::move(hook); }

private:
    void runOutputFiles();
    QString outputFolderFor(const OutputFile &outputFile) const;
    // One output file in hand: its record and the outputs it wrote.
    struct Task {
        OutputFilePtr outputFile;
        QString sameFileAs; // the earlier entry naming the same file, or ""
        LogFiles record;
        int created = 0;
    };
    void processOutputFile(const FileJob &job, Task &task);
    void finishRun();
    void reportProgress();
    QDateTime now() const;

    Log m_log;
    QList<OutputFilePtr> m_outputFiles;
    Settings *m_settings = nullptr;
    RunDelegate *m_delegate = nullptr;
    Workspace *m_workspace = nullptr;
    std::function<QDateTime()> m_clock;
    std::function<void(HookPoint, const QString &)> m_testHook;
    int m_keyLengthOverride = 0;
    std::atomic<bool> m_errorFlag{false};
    int m_jobs;
    std::atomic<bool> m_logSaved{false};
    OutputNames m_outputNames;
    Feed m_feed;
    std::function<bool()> m_feedReady;
    RecordSink m_sink;
    std::atomic<int> m_fileCount{0};
};

} // namespace lockleaf
