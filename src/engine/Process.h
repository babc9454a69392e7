#pragma once

#include "engine/Log.h"
#include "engine/OutputNames.h"
#include "model/FileItem.h"

#include <QDateTime>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

namespace lockleaf
{

class Settings;
class Workspace;

// What a run needs of the window (or of lockleaf-cli).
class RunDelegate
{
public:
    virtual ~RunDelegate() = default;
    // Called on the run's thread after each output file and once more at the
    // end of the run, with "Total Time Taken : <timeTaken> <done>/<total>".
    // The window performs it on the main thread and returns when it has run.
    virtual void updateTimeTakenLabel(const QString &text) = 0;
};

// One output document to produce: the source's full path and the file items
// (the window's own, shared) whose documents make it. The window puts exactly
// one item in each.
struct OutputFile {
    QString filename;
    QList<FileItemPtr> fileItems;
};
using OutputFilePtr = std::shared_ptr<OutputFile>;

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
// Files: every output is written through PDFDocument's atomic write, so a failed
// or interrupted file leaves the target as it was; a backup copy that was made
// stays on disk whatever happens next. No output replaces another output of the
// same run or a source still to be read (see OutputNames); a renamed output is
// named in its record's targetPath. Secured runs whose settings fail
// securityProblem() write nothing: each file fails with that reason.
class Process final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Process)
    Q_PROPERTY(bool isCombining READ isCombining WRITE setIsCombining NOTIFY isCombiningChanged)
    Q_PROPERTY(bool isCompleted READ isCompleted WRITE setIsCompleted NOTIFY isCompletedChanged)
    Q_PROPERTY(int totalFileSelected READ totalFileSelected WRITE setTotalFileSelected NOTIFY
                   totalFileSelectedChanged)
    Q_PROPERTY(int totalFileProcessed READ totalFileProcessed WRITE setTotalFileProcessed NOTIFY
                   totalFileProcessedChanged)
    Q_PROPERTY(
        int totalFileCreated READ totalFileCreated WRITE setTotalFileCreated NOTIFY totalFileCreatedChanged)
    Q_PROPERTY(QString fileInProcess READ fileInProcess WRITE setFileInProcess NOTIFY fileInProcessChanged)
    Q_PROPERTY(QString outputFileInProcess READ outputFileInProcess WRITE setOutputFileInProcess NOTIFY
                   outputFileInProcessChanged)
    Q_PROPERTY(QString timeTaken READ timeTaken WRITE setTimeTaken NOTIFY timeTakenChanged)
    Q_PROPERTY(QString message READ message WRITE setMessage NOTIFY messageChanged)

public:
    // Where a test hook is called (see setTestHook).
    enum class HookPoint {
        BeforeOpen,  // before a source is opened: outside the per-file guard
        BeforeWrite, // before an output is written: inside the per-file guard
    };

    explicit Process(QObject *parent = nullptr);
    ~Process() override;

    bool isCombining() const { return m_isCombining.load(); }
    void setIsCombining(bool v);
    bool isCompleted() const { return m_isCompleted.load(); }
    void setIsCompleted(bool v);
    int totalFileSelected() const { return m_totalFileSelected.load(); }
    void setTotalFileSelected(int v);
    int totalFileProcessed() const { return m_totalFileProcessed.load(); }
    void setTotalFileProcessed(int v);
    int totalFileCreated() const { return m_totalFileCreated.load(); }
    void setTotalFileCreated(int v);
    QString fileInProcess() const;
    void setFileInProcess(const QString &v);
    QString outputFileInProcess() const;
    void setOutputFileInProcess(const QString &v);
    QString timeTaken() const;
    void setTimeTaken(const QString &v);
    QString message() const;
    void setMessage(const QString &v);

    // The run's log; final once isCompleted is true. Owned by the run.
    Log &log() { return m_log; }
    // Whether the log was saved whole (final once isCompleted is true).
    bool logSaved() const { return m_logSaved.load(); }
    const Log &log() const { return m_log; }
    // The work list, filled before start(); not to be changed while running.
    QList<OutputFilePtr> &outputFiles() { return m_outputFiles; }
    const QList<OutputFilePtr> &outputFiles() const { return m_outputFiles; }

    // The live settings; not owned, must outlive the run. Read at the moment
    // each value is needed.
    Settings *settings() const { return m_settings; }
    void setSettings(Settings *settings) { m_settings = settings; }
    // Not owned; may be null (then nothing is reported / opened).
    void setDelegate(RunDelegate *delegate) { m_delegate = delegate; }
    void setWorkspace(Workspace *workspace) { m_workspace = workspace; }

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

    // The backup path of `readPath` for a run at `now`: in the source's folder,
    // "<name>_<ddMMyyyyHHmmss>_bak[ (SECURED)].<ext as written>", the name cut
    // short (whole characters) where the whole would pass 255 bytes.
    static QString backupPathFor(const QString &readPath, bool isSecured, const QDateTime &now);

Q_SIGNALS:
    void isCombiningChanged();
    void isCompletedChanged();
    void totalFileSelectedChanged();
    void totalFileProcessedChanged();
    void totalFileCreatedChanged();
    void fileInProcessChanged();
    void outputFileInProcessChanged();
    void timeTakenChanged();
    void messageChanged();

private:
    void runOutputFiles();
    QList<QList<int>> namingOrder() const;
    QString outputFolderFor(const OutputFile &outputFile) const;
    void processOutputFile(const OutputFile &outputFile, LogFiles &record, const QString &sameFileAs);
    void processItem(const FileItem &item, LogFiles &record, const QString &outputFolder);
    void finishRun();
    void written(LogFiles &record, const QString &status, const QString &outputPath);
    void reportProgress();
    QDateTime now() const;

    std::atomic<bool> m_isCombining{false};
    std::atomic<bool> m_isCompleted{false};
    std::atomic<int> m_totalFileSelected{1};
    std::atomic<int> m_totalFileProcessed{0};
    std::atomic<int> m_totalFileCreated{0};
    mutable QMutex m_textMutex; // guards the four strings below
    QString m_fileInProcess{QStringLiteral("")};
    QString m_outputFileInProcess{QStringLiteral("")};
    QString m_timeTaken{QStringLiteral("In Process...")};
    QString m_message{QStringLiteral("")};

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
    QStringList m_sameFileAs; // per output file: the earlier entry naming the same file, or ""
};

} // namespace lockleaf
