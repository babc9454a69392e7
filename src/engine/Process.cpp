#include "engine/Process.h"

#include "engine/RunSecurity.h"
#include "engine/RunStatus.h"
#include "engine/RunWorkers.h"
#include "engine/SameFiles.h"
#include "engine/Workspace.h"
#include "model/PDFSettings.h"
#include "model/Settings.h"
#include "pdf/FileCopy.h"
#include "pdf/PDFDocument.h"
#include "pdf/SourceIdentity.h"
#include "pdf/WriteOut.h"
#include "platform/SystemLog.h"
#include "platform/TimeText.h"
#include "platform/Utilities.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <QScopeGuard>
#include <QThread>
#include <QUrl>

#include <algorithm>
#include <exception>
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

// Sets one text property under the lock; its signal goes out after the lock is
// released, so a directly connected slot may read the property again.
void storeText(QMutex &mutex, QString &field, const QString &value)
{
    QMutexLocker lock(&mutex);
    field = value;
}

// A failed write's status: its own when the source changed under it.
QString failedStatus(const PDFDocument &document, const QString &status)
{
    return document.lastOutcome() == PDFDocument::Outcome::SourceChanged ? kStatusSourceChanged : status;
}

// Outputs written for the file in hand on this thread: counted here and
// reported on start()'s thread when the file's turn in the list comes.
thread_local int *t_createdCount = nullptr;

void countCreated()
{
    if (t_createdCount)
        ++*t_createdCount;
}

} // namespace

Process::Process(QObject *parent) : QObject(parent), m_jobs(std::max(1, QThread::idealThreadCount()))
{
}

Process::~Process() = default;

void Process::setIsCombining(bool v)
{
    m_isCombining.store(v);
    Q_EMIT isCombiningChanged();
}

void Process::setIsCompleted(bool v)
{
    m_isCompleted.store(v);
    Q_EMIT isCompletedChanged();
}

void Process::setTotalFileSelected(int v)
{
    m_totalFileSelected.store(v);
    Q_EMIT totalFileSelectedChanged();
}

void Process::setTotalFileProcessed(int v)
{
    m_totalFileProcessed.store(v);
    Q_EMIT totalFileProcessedChanged();
}

void Process::setTotalFileCreated(int v)
{
    m_totalFileCreated.store(v);
    Q_EMIT totalFileCreatedChanged();
}

QString Process::fileInProcess() const
{
    QMutexLocker lock(&m_textMutex);
    return m_fileInProcess;
}

void Process::setFileInProcess(const QString &v)
{
    storeText(m_textMutex, m_fileInProcess, v);
    Q_EMIT fileInProcessChanged();
}

QString Process::outputFileInProcess() const
{
    QMutexLocker lock(&m_textMutex);
    return m_outputFileInProcess;
}

void Process::setOutputFileInProcess(const QString &v)
{
    storeText(m_textMutex, m_outputFileInProcess, v);
    Q_EMIT outputFileInProcessChanged();
}

QString Process::timeTaken() const
{
    QMutexLocker lock(&m_textMutex);
    return m_timeTaken;
}

void Process::setTimeTaken(const QString &v)
{
    storeText(m_textMutex, m_timeTaken, v);
    Q_EMIT timeTakenChanged();
}

QString Process::message() const
{
    QMutexLocker lock(&m_textMutex);
    return m_message;
}

void Process::setMessage(const QString &v)
{
    storeText(m_textMutex, m_message, v);
    Q_EMIT messageChanged();
}

void Process::setClock(std::function<QDateTime()> clock)
{
    m_clock = std::move(clock);
}

void Process::setLogsFolder(const QString &dir)
{
    m_log.setLogsFolder(dir);
}

QDateTime Process::now() const
{
    return m_clock ? m_clock() : QDateTime::currentDateTime();
}

QString Process::backupPathFor(const QString &readPath, bool isSecured, const QDateTime &now)
{
    return OutputNames::backupPathFor(readPath, isSecured, now);
}

void Process::start()
{
    m_errorFlag = false;
    setIsCompleted(false);
    try {
        QStringList sources;
        QStringList outputSources;
        for (const OutputFilePtr &outputFile : std::as_const(m_outputFiles)) {
            outputSources << (outputFile ? outputFile->filename : QString());
            if (outputFile)
                for (const FileItemPtr &item : outputFile->fileItems)
                    if (item)
                        sources << item->filePath().toLocalFile();
        }
        m_outputNames.setSources(sources);
        // Decided once, before any file is worked on: whatever the jobs, the
        // first entry of a file is the one written.
        m_sameFileAs = earlierPathsOfSameFiles(outputSources);
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
    struct Task {
        LogFiles record;
        int created = 0;
    };
    std::vector<Task> tasks(m_outputFiles.size());
    RunWorkers workers(m_jobs);
    if (m_jobs > 1)
        workers.setPrecedence(namingOrder());
    RunWorkers::Steps steps;
    steps.keepGoing = [this] { return isCombining(); };
    steps.begin = [this](int i) {
        if (const OutputFilePtr &outputFile = m_outputFiles.at(i))
            setFileInProcess(lastComponentOf(outputFile->filename));
    };
    steps.work = [this, &tasks](int i) {
        Task &task = tasks.at(i);
        t_createdCount = &task.created;
        const auto reset = qScopeGuard([] { t_createdCount = nullptr; });
        if (const OutputFilePtr &outputFile = m_outputFiles.at(i))
            processOutputFile(*outputFile, task.record, m_sameFileAs.value(i));
    };
    steps.deliver = [this, &tasks](int i, const std::exception_ptr &error) {
        Task &task = tasks.at(i);
        if (error && m_jobs > 1) {
            // Only this file fails; the others in hand and to come go on.
            const QString reason = RunWorkers::reasonOf(error);
            logError(QStringLiteral("Process=>start"), reason);
            m_errorFlag = true;
            task.record.setStatus(reason);
        }
        if (m_outputFiles.at(i))
            m_log.append(task.record);
        for (int n = 0; n < task.created; ++n)
            setTotalFileCreated(totalFileCreated() + 1);
        if (error && m_jobs == 1)
            std::rethrow_exception(error);
        setTotalFileProcessed(totalFileProcessed() + 1);
        reportProgress();
    };
    workers.run(int(m_outputFiles.size()), steps);
}

// Files whose outputs or sources share a name family are named and written
// in list order, so each gets the name a one-at-a-time run gives it.
QList<QList<int>> Process::namingOrder() const
{
    QList<QStringList> families;
    families.reserve(m_outputFiles.size());
    for (const OutputFilePtr &outputFile : m_outputFiles) {
        QStringList keys;
        for (const FileItemPtr &item : outputFile ? outputFile->fileItems : QList<FileItemPtr>())
            if (item)
                keys << OutputNames::familiesOf(outputFolderFor(*outputFile), item->filePath().toLocalFile());
        families << keys;
    }
    return RunWorkers::precedence(families);
}

QString Process::outputFolderFor(const OutputFile &outputFile) const
{
    const QString configuredFolder = m_settings ? m_settings->outputFolderPath() : QString();
    return configuredFolder.isEmpty() ? folderOf(outputFile.filename) : configuredFolder;
}

void Process::processOutputFile(const OutputFile &outputFile, LogFiles &record, const QString &sameFileAs)
{
    const QString outputFolder = outputFolderFor(outputFile);
    record.setFilename(lastComponentOf(outputFile.filename));
    record.setSourcePath(folderOf(outputFile.filename));
    record.setTargetPath(outputFolder);
    if (!sameFileAs.isEmpty()) {
        record.setStatus(kStatusSameFile);
        record.setReason(sameFileAs);
        return;
    }

    // A file begun is finished: a stop is heard between the items of one output only.
    bool first = true;
    for (const FileItemPtr &item : outputFile.fileItems) {
        if (!first && !isCombining())
            break;
        first = false;
        if (item)
            processItem(*item, record, outputFolder);
    }
}

void Process::processItem(const FileItem &item, LogFiles &record, const QString &outputFolder)
{
    const QString sourcePath = item.filePath().toLocalFile();
    QString readPath = sourcePath;
    // The source as the run first sees it: the output counts, and the source
    // is replaced, only while it is still this file in this state.
    const SourceIdentity source = SourceIdentity::of(sourcePath);
    if (source.missing) {
        record.setStatus(kStatusMissing);
        return;
    }
    // In place: the output's name is the source itself (or another name of it).
    const QString naturalOutput = outputPathFor(outputFolder, sourcePath);
    const bool inPlace = source.sameFile(SourceIdentity::of(naturalOutput));
    if (inPlace && source.links > 1) {
        // Replacing one name would leave the others holding the old content.
        record.setStatus(kStatusHardLinks);
        record.setReason(QStringLiteral("%1 names in all").arg(source.links));
        return;
    }

    if (m_settings && m_settings->isBackupFile()) {
        const QString backupPath = backupPathFor(readPath, item.isSecured(), now());
        // Never over an earlier backup, never a partial copy under its name.
        const QString problem = copyFileDurably(readPath, backupPath);
        if (!problem.isEmpty()) {
            record.setStatus(SourceIdentity::of(sourcePath).missing ? kStatusMissing : kStatusNoBackup);
            record.setReason(problem);
            return;
        }
        readPath = backupPath;
    }

    if (m_testHook)
        m_testHook(HookPoint::BeforeOpen, readPath);
    // The password that unlocked the file when it was added is tried first: a
    // secured file then opens once, not first refused without it.
    std::unique_ptr<PDFDocument> document = PDFDocument::initWithURL(readPath, item.pdfOpenPassword());
    if (!document) {
        record.setStatus(SourceIdentity::of(readPath).missing ? kStatusMissing : kStatusUnopenable);
        return;
    }
    document->requireUnchanged(source);

    try {
        bool unlockFailed = false;
        bool isOpen = false;
        if (document->isEncrypted() && !document->unlockWithPassword(item.pdfOpenPassword()))
            unlockFailed = true;
        else if (!document->allowsCopying())
            isOpen = true;

        // Rewriting a signed document breaks its signatures: only when allowed.
        const bool keepSigned =
            !unlockFailed && !isOpen && document->isDigitallySigned() &&
            !(m_settings && m_settings->pdfSettings() && m_settings->pdfSettings()->rewriteSignedDocuments());
        if (keepSigned) {
            record.setStatus(kStatusSigned);
        } else if (!unlockFailed && !isOpen) {
            QString outputPath = m_outputNames.pathFor(outputFolder, sourcePath);
            if (outputPath != naturalOutput) {
                record.setRenamedOutput(outputPath);
                record.setTargetPath(outputPath);
            } else if (inPlace && QFileInfo(outputPath).isSymLink()) {
                // Secure the document the link points to and keep the link:
                // a rename over the link itself would leave the document as it was.
                outputPath = QFileInfo(outputPath).canonicalFilePath();
            }
            // Without settings there is no mode to run in: write nothing rather
            // than fall back to removing security.
            const int securityType = m_settings ? m_settings->securityType() : -1;
            if (m_testHook && (securityType == 0 || securityType == 1))
                m_testHook(HookPoint::BeforeWrite, outputPath);
            if (securityType == 0) {
                if (writeUnsecured(*document, outputPath)) {
                    written(record, kStatusUnsecured, outputPath);
                } else {
                    record.setStatus(failedStatus(*document, kStatusUnsecureFailed));
                    record.setReason(document->lastError());
                }
            } else if (securityType == 1) {
                PDFSettings *pdfSettings = m_settings->pdfSettings();
                const QString problem =
                    pdfSettings ? securityProblemFor(*pdfSettings, m_keyLengthOverride, item) : QString();
                SecuredWriteResult result = SecuredWriteResult::NotAttempted;
                if (pdfSettings && !problem.isEmpty())
                    result = SecuredWriteResult::Failed; // refused before anything is written
                else if (pdfSettings)
                    result = writeSecured(*document, outputPath,
                                          runSecurityFor(*pdfSettings, m_keyLengthOverride, item));
                switch (result) {
                case SecuredWriteResult::Written:
                    written(record, kStatusSecured, outputPath);
                    break;
                case SecuredWriteResult::Failed:
                    record.setStatus(problem.isEmpty() ? failedStatus(*document, kStatusSecureFailed)
                                                       : kStatusSecureFailed);
                    record.setReason(problem.isEmpty() ? document->lastError() : problem);
                    break;
                case SecuredWriteResult::NotAttempted:
                    break;
                }
            }
        } else if (!document->isEncrypted()) {
            record.setStatus(kStatusUnreadable);
        } else if (unlockFailed) {
            record.setStatus(kStatusSecuredUnreadable);
            // Why, when it is more than a wrong password (damaged encryption).
            if (document->lastError() != QLatin1String("invalid password"))
                record.setReason(document->lastError());
        } else if (isOpen && !document->allowsCopying()) {
            record.setStatus(kStatusPermission);
        } else {
            record.setStatus(kStatusSecuredUnreadable);
        }
    } catch (const std::exception &e) {
        m_errorFlag = true;
        record.setStatus(reasonOf(e));
    } catch (...) {
        m_errorFlag = true;
        record.setStatus(QStringLiteral("unknown exception"));
    }
    // The document (and the file it holds open) is released before the next one is opened.
    document.reset();
}

void Process::written(LogFiles &record, const QString &status, const QString &outputPath)
{
    record.setStatus(status);
    m_outputNames.markWritten(outputPath);
    countCreated();
}

void Process::reportProgress()
{
    if (!m_delegate)
        return;
    const QString text =
        QStringLiteral("Total Time Taken : %1 %2/%3")
            .arg(timeTaken(), QString::number(totalFileProcessed()), QString::number(m_outputFiles.size()));
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
        else if (m_outputFiles.size() == totalFileCreated())
            setMessage(QStringLiteral("All files splitted successfully."));
        else {
            // Never a success-sounding total when files failed: both counts, and where to look.
            const qsizetype total = m_outputFiles.size();
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
