#include "engine/Process.h"

#include "engine/FileJob.h"
#include "engine/RunStatus.h"
#include "engine/RunWorkers.h"
#include "engine/SameFiles.h"
#include "engine/Workspace.h"
#include "model/Settings.h"
#include "platform/SystemLog.h"
#include "platform/TimeText.h"
#include "platform/Utilities.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <QThread>
#include <QUrl>

#include <algorithm>
#include <exception>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace lockleaf
{

namespace
{

QString reasonOf(const std::exception &e)
{
    return QString::fromLocal8Bit(e.what());
}

// The folder part of a path, as the run records it ("/a/b/c.pdf" -> "/a/b").
QString folderOf(const QString &path)
{
    return QFileInfo(path).path();
}

QString lastComponentOf(const QString &path)
{
    return QFileInfo(path).fileName();
}

} // namespace

Process::Process(QObject *parent) : RunProgress(parent), m_jobs(std::max(1, QThread::idealThreadCount()))
{
}

Process::~Process() = default;

void Process::setClock(std::function<QDateTime()> clock)
{
    m_clock = std::move(clock);
}

void Process::setFeed(Feed feed, std::function<bool()> ready)
{
    m_feed = std::move(feed);
    m_feedReady = std::move(ready);
}

void Process::setLogsFolder(const QString &dir)
{
    m_log.setLogsFolder(dir);
}

QDateTime Process::now() const
{
    return m_clock ? m_clock() : QDateTime::currentDateTime();
}

void Process::start()
{
    m_errorFlag = false;
    setIsCompleted(false);
    try {
        if (!m_feed) {
            QStringList sources;
            for (const OutputFilePtr &outputFile : std::as_const(m_outputFiles))
                if (outputFile)
                    for (const FileItemPtr &item : outputFile->fileItems)
                        if (item)
                            sources << item->filePath().toLocalFile();
            m_outputNames.setSources(sources);
            m_fileCount = int(m_outputFiles.size());
        } else {
            m_log.setKeepsRecords(false);
        }
        m_log.setStartTime(now());
        // The log grows as files finish, so a run that is killed still leaves one.
        m_log.beginJournal();
        setMessage(QStringLiteral(""));
        runOutputFiles();
    } catch (const std::exception &e) {
        logError(QStringLiteral("Process=>start"), reasonOf(e));
        m_errorFlag = true;
    } catch (...) {
        logError(QStringLiteral("Process=>start"), QStringLiteral("unknown exception"));
        m_errorFlag = true;
    }
    finishRun();
}

void Process::runOutputFiles()
{
    FileJob::Context context;
    context.settings = m_settings;
    context.keyLengthOverride = m_keyLengthOverride;
    context.outputNames = &m_outputNames;
    context.now = [this] { return now(); };
    context.hook = m_testHook;
    const FileJob job(std::move(context));

    // Only the files in hand are kept; workers look theirs up under the lock.
    std::mutex tasksMutex;
    std::unordered_map<int, std::shared_ptr<Task>> tasks;
    const auto taskAt = [&](int i) {
        std::lock_guard lock(tasksMutex);
        return tasks.at(i);
    };
    // Decided in list order as each file is handed out, whatever the jobs: the
    // first entry of a file is the one written.
    SameFiles sameFiles(!m_feed);
    // Files whose outputs or sources share a name family are named and written
    // in list order, so each gets the name a one-at-a-time run gives it.
    KeyedOrder namingOrder;

    RunWorkers::Steps steps;
    steps.keepGoing = [this] { return isCombining(); };
    steps.more = [this, &tasks, &tasksMutex](int i) {
        OutputFilePtr outputFile = m_feed ? m_feed() : m_outputFiles.value(i);
        if (m_feed) {
            if (!outputFile)
                return false;
            m_fileCount = i + 1;
        } else if (i >= m_outputFiles.size()) {
            return false;
        }
        auto task = std::make_shared<Task>();
        task->outputFile = std::move(outputFile);
        std::lock_guard lock(tasksMutex);
        tasks.emplace(i, std::move(task));
        return true;
    };
    steps.ready = m_feedReady;
    steps.begin = [this, &taskAt, &sameFiles](int i) {
        const std::shared_ptr<Task> task = taskAt(i);
        if (const OutputFilePtr &outputFile = task->outputFile) {
            task->sameFileAs = sameFiles.earlierPathOf(outputFile->filename);
            setFileInProcess(lastComponentOf(outputFile->filename));
        }
    };
    steps.waitFor = [this, &taskAt, &namingOrder](int i) {
        QStringList keys;
        if (const OutputFilePtr &outputFile = taskAt(i)->outputFile)
            for (const FileItemPtr &item : outputFile->fileItems)
                if (item)
                    keys << OutputNames::familiesOf(outputFolderFor(*outputFile),
                                                    item->filePath().toLocalFile());
        return namingOrder.take(i, keys);
    };
    steps.work = [this, &taskAt, &job](int i) { processOutputFile(job, *taskAt(i)); };
    steps.deliver = [&](int i, const std::exception_ptr &error) {
        const std::shared_ptr<Task> task = taskAt(i);
        {
            std::lock_guard lock(tasksMutex);
            tasks.erase(i);
        }
        namingOrder.release(i);
        if (error && m_jobs > 1) {
            // Only this file fails; the others in hand and to come go on.
            const QString reason = RunWorkers::reasonOf(error);
            logError(QStringLiteral("Process=>start"), reason);
            m_errorFlag = true;
            task->record.setStatus(reason);
        }
        if (task->outputFile) {
            m_log.append(task->record);
            if (m_sink)
                m_sink(task->record, *task->outputFile);
        }
        for (int n = 0; n < task->created; ++n)
            setTotalFileCreated(totalFileCreated() + 1);
        if (error && m_jobs == 1)
            std::rethrow_exception(error);
        setTotalFileProcessed(totalFileProcessed() + 1);
        reportProgress();
    };
    RunWorkers workers(m_jobs);
    workers.run(steps);
}

QString Process::outputFolderFor(const OutputFile &outputFile) const
{
    const QString configuredFolder = m_settings ? m_settings->outputFolderPath() : QString();
    return configuredFolder.isEmpty() ? folderOf(outputFile.filename) : configuredFolder;
}

void Process::processOutputFile(const FileJob &job, Task &task)
{
    const OutputFile *outputFile = task.outputFile.get();
    if (!outputFile)
        return;
    LogFiles &record = task.record;
    const QString outputFolder = outputFolderFor(*outputFile);
    record.setFilename(lastComponentOf(outputFile->filename));
    record.setSourcePath(folderOf(outputFile->filename));
    record.setTargetPath(outputFolder);
    if (!task.sameFileAs.isEmpty()) {
        record.setStatus(kStatusSameFile);
        record.setReason(task.sameFileAs);
        return;
    }

    // A file begun is finished: a stop is heard between the items of one output only.
    bool first = true;
    for (const FileItemPtr &item : outputFile->fileItems) {
        if (!first && !isCombining())
            break;
        first = false;
        if (!item)
            continue;
        const FileJob::Result result = job.run(*item, record, outputFolder);
        task.created += result.written;
        if (result.unexpected)
            m_errorFlag = true;
    }
}

void Process::reportProgress()
{
    if (!m_delegate)
        return;
    const QString text =
        QStringLiteral("Total Time Taken : %1 %2/%3")
            .arg(timeTaken(), QString::number(totalFileProcessed()), QString::number(fileCount()));
    m_delegate->updateTimeTakenLabel(text);
}

void Process::finishRun()
{
    // Each step is guarded on its own: whatever fails, the run still ends with
    // its flags final and isCompleted true, which is what the window waits for.
    auto guarded = [](const auto &step) {
        try {
            step();
        } catch (const std::exception &e) {
            logError(QStringLiteral("Process=>start"), reasonOf(e));
        } catch (...) {
            logError(QStringLiteral("Process=>start"), QStringLiteral("unknown exception"));
        }
    };

    guarded([this] {
        m_log.setEndTime(now());
        m_logSaved = m_log.save();
    });
    guarded([this] {
        if (m_errorFlag)
            setMessage(QStringLiteral("Lockleaf unable able to split some of the files!\r\n"
                                      "Please check log for more information."));
        else if (!isCombining())
            setMessage(QStringLiteral("Process cancelled!"));
        else if (fileCount() == totalFileCreated())
            setMessage(QStringLiteral("All files splitted successfully."));
        else {
            // Never a success-sounding total when files failed: both counts, and where to look.
            const int total = fileCount();
            const int written = totalFileCreated();
            setMessage(QStringLiteral("%1 of %2 files written, %3 failed.\r\n"
                                      "Please check each file's status or the log for the reasons.")
                           .arg(written)
                           .arg(total)
                           .arg(total - written));
        }
    });
    guarded([this] { setTimeTaken(timeTakenString(m_log.startTime(), m_log.endTime())); });
    guarded([this] {
        setFileInProcess(QStringLiteral(""));
        setOutputFileInProcess(QStringLiteral(""));
    });
    setIsCombining(false);
    guarded([this] { reportProgress(); });
    guarded([this] {
        if (!m_settings || !m_workspace)
            return;
        const QString folder = m_settings->outputFolderPath();
        if (!folder.isEmpty() && m_settings->isOpenFolderAfterConversion() && totalFileCreated() > 0)
            m_workspace->openURL(QUrl::fromLocalFile(folder));
    });
    setIsCompleted(true);
}

void Process::stop()
{
    try {
        setIsCombining(false);
    } catch (const std::exception &e) {
        logError(QStringLiteral("Process=>stop"), reasonOf(e));
    } catch (...) {
        logError(QStringLiteral("Process=>stop"), QStringLiteral("unknown exception"));
    }
}

void Process::viewLog()
{
    try {
        const QString path = m_log.logFilePath();
        if (!path.isEmpty() && m_workspace)
            m_workspace->openURL(QUrl::fromLocalFile(path));
    } catch (const std::exception &e) {
        logError(QStringLiteral("Process=>viewLog"), reasonOf(e));
    } catch (...) {
        logError(QStringLiteral("Process=>viewLog"), QStringLiteral("unknown exception"));
    }
}

} // namespace lockleaf
