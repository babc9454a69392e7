#include "cli/CliRunner.h"

#include "cli/BoundedQueue.h"
#include "cli/CliOptions.h"
#include "cli/ConsoleText.h"
#include "cli/Interrupt.h"
#include "cli/JsonReport.h"
#include "cli/ListedPaths.h"
#include "cli/PasswordMapRun.h"
#include "cli/PasswordsCommand.h"
#include "cli/ProgressLine.h"
#include "cli/Resume.h"
#include "cli/Shard.h"
#include "engine/FileGatherer.h"
#include "engine/PasswordChoice.h"
#include "engine/Process.h"
#include "engine/RunSecurity.h"
#include "model/Settings.h"
#include "platform/SystemLog.h"
#include "platform/Utilities.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSet>
#include <QTimeZone>

#include <algorithm>
#include <atomic>
#include <exception>
#include <memory>
#include <optional>
#include <thread>

namespace lockleaf::cli
{

namespace
{

constexpr int kInterruptedExit = 130;
constexpr int kOutputClosedExit = 141; // what a shell reports for a death by SIGPIPE

// Flushes standard output; a reader that went away (`| head -1`) turns into a
// quiet stop of the run, as Ctrl-C would.
bool flushOut(const CliIo &io)
{
    io.out->flush();
    if (io.out->status() == QTextStream::Ok)
        return true;
    requestOutputClosed();
    return false;
}

// The engine's line keeps its old spacing ("Total Time Taken : 1 sec(s)  3/3")
// and gives no time at all under a second; the console shows it as it reads.
QString readableTimeLine(const QString &text)
{
    const QString head = QStringLiteral("Total Time Taken : ");
    if (!text.startsWith(head))
        return text;
    QString rest = text.mid(head.size()).simplified();
    if (!rest.contains(QLatin1Char(' ')))
        rest.prepend(QStringLiteral("0 sec(s) "));
    return head + rest;
}

// What the gathering hands to the run: a file found, or an entry left out.
struct Found {
    FileItemPtr item;
    SkippedEntry skipped;
};

// The gathering side of the console. Streaming, each file found goes to the
// run through `queue` as soon as it is counted; otherwise the list lives
// here, in path order.
class ConsoleGathering final : public GatheringDelegate
{
public:
    ConsoleGathering(Settings *settings, ProgressLine &progress, BoundedQueue<Found> *queue)
        : m_settings(settings), m_progress(progress), m_queue(queue)
    {
    }

    Settings *settings() const override { return m_settings; }
    bool isProcessing() const override
    {
        return m_processing && !interruptRequested() && !(m_queue && m_queue->cancelled());
    }
    QList<QUrl> fileURLs() override
    {
        QList<QUrl> urls;
        urls.reserve(files.size());
        for (const FileItemPtr &item : std::as_const(files))
            urls << item->filePath();
        return urls;
    }
    void appendFileItem(const FileItemPtr &item) override
    {
        ++found;
        if (m_queue)
            m_queue->push(Found{item, {}});
        else
            files << item;
    }
    void reportSkipped(const QString &path, const QString &reason) override
    {
        if (m_queue)
            m_queue->push(Found{nullptr, SkippedEntry{path, reason}});
    }
    void sortAndReload() override
    {
        std::stable_sort(files.begin(), files.end(), [](const FileItemPtr &a, const FileItemPtr &b) {
            return a->filePath().toLocalFile() < b->filePath().toLocalFile();
        });
    }
    void resetViewObject(bool) override {}
    void startProcess() override { m_processing = true; }
    void stopProcess() override { m_processing = false; }
    void updateTimeTakenLabel(const QString &) override {}
    void updateTotalPagesLabel() override
    {
        // Streaming, the run's own line shows what was found.
        if (!m_queue)
            m_progress.show(QStringLiteral("Gathering... %1 file(s)").arg(files.size()));
    }
    void addToPasswordsList(const QString &) override {} // nothing is saved by the CLI

    QList<FileItemPtr> files;
    std::atomic<int> found{0};         // files handed on so far
    std::atomic<bool> finished{false}; // the gathering has ended: `found` is the total

private:
    Settings *m_settings;
    ProgressLine &m_progress;
    BoundedQueue<Found> *m_queue;
    std::atomic<bool> m_processing{false}; // polled by the gathering's workers
};

// The run side of the console: prints each file's outcome once it is known,
// turns Ctrl-C into a stop between files, and keeps the progress line.
class ConsoleRun final : public RunDelegate
{
public:
    // `json`, when set, takes the lines instead of the plain status lines.
    // The bar's total is what `gathering` found, less the files `leftOut`
    // (already done); until the gathering ends only the counts are shown.
    ConsoleRun(Process &process, const CliIo &io, ProgressLine &progress, bool quiet, JsonReport *json,
               const ConsoleGathering &gathering, const int &leftOut)
        : m_process(process), m_io(io), m_progress(progress), m_quiet(quiet), m_json(json),
          m_gathering(gathering), m_leftOut(leftOut)
    {
    }

    void updateTimeTakenLabel(const QString &text) override
    {
        lastText = readableTimeLine(text);
        if (interruptRequested() && m_process.isCombining())
            m_process.stop();
        showBar(true);
    }

    void showBar(bool force)
    {
        const int done = m_process.totalFileProcessed();
        if (!m_gathering.finished) {
            m_progress.show(QStringLiteral("%1 done, %2 found so far %3")
                                .arg(done)
                                .arg(m_gathering.found - m_leftOut)
                                .arg(m_process.fileInProcess()),
                            force);
            return;
        }
        const int total = std::max(done, m_gathering.found - m_leftOut);
        constexpr int width = 24;
        const int filled = total > 0 ? done * width / total : width;
        const QString bar = QString(filled, QLatin1Char('#')) + QString(width - filled, QLatin1Char('.'));
        m_progress.show(
            QStringLiteral("[%1] %2/%3 %4").arg(bar).arg(done).arg(total).arg(m_process.fileInProcess()),
            force);
    }

    // One file's outcome, as it reaches the log.
    void print(const LogFiles &record, const OutputFile &output)
    {
        if (m_quiet)
            return;
        m_progress.clear();
        const QString source = output.filename;
        if (m_json)
            *m_io.out << m_json->file(record, source,
                                      output.fileItems.isEmpty() ? 0 : output.fileItems.first()->pages());
        else
            *m_io.out << escaped(record.status()) << '\t' << escaped(source) << '\n';
        if (!record.renamedOutput().isEmpty())
            *m_io.err << "lockleaf-cli: " << escaped(source) << " was written as "
                      << escaped(record.renamedOutput()) << " (an earlier output of this run has its name)\n";
        if (!flushOut(m_io) && m_process.isCombining())
            m_process.stop();
    }

    // An entry left out, as it is met.
    void printSkipped(const SkippedEntry &entry)
    {
        if (m_json) {
            m_progress.clear();
            *m_io.out << m_json->skipped(entry.path, entry.reason);
        } else if (!m_quiet) {
            m_progress.clear();
            *m_io.out << "Skipped: " << entry.reason << '\t' << escaped(entry.path) << '\n';
        }
        if (!flushOut(m_io) && m_process.isCombining())
            m_process.stop();
    }

    QString lastText;

private:
    Process &m_process;
    const CliIo &m_io;
    ProgressLine &m_progress;
    bool m_quiet;
    JsonReport *m_json;
    const ConsoleGathering &m_gathering;
    const int &m_leftOut;
};

QString dateField(const QDateTime &date)
{
    if (!date.isValid())
        return QString();
    return date.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QStringLiteral(" +0000");
}

QString prepareLogFolder(const Options &options, const CliIo &io)
{
    QString folder = options.logFolder;
    QString error;
    bool ok = true;
    if (folder.isEmpty()) {
        folder = getAppPath() + QStringLiteral("/Logs");
        ok = createApplicationUsersFolder(QString(), &error) &&
             createApplicationUsersFolder(QStringLiteral("Logs"), &error);
    } else if (!QFileInfo(folder).isDir()) {
        ok = QDir().mkpath(folder);
    }
    if (!ok)
        *io.err << "lockleaf-cli: cannot create the log folder " << folder
                << (error.isEmpty() ? QString() : QStringLiteral(": ") + error) << '\n';
    return folder;
}

// Settings of the run, in memory only (nothing of the app's is read or saved).
void armRunSettings(Settings &runSettings, const Options &options)
{
    runSettings.setSecurityType(options.command == Command::Secure ? 1 : 0);
    runSettings.setIsBackupFile(options.backup);
    runSettings.setOutputFolderPath(options.outputFolder);
    runSettings.setIsOpenFolderAfterConversion(false);
    runSettings.setIsAutoAddCorrectPasswordToPasswordList(false);
    PDFSettings *pdf = runSettings.pdfSettings();
    pdf->setPdfOpenPassword(options.openPassword);
    pdf->setPdfPermissionPassword(options.permissionPassword);
    pdf->setCanPrint(options.canPrint);
    pdf->setCanCopy(options.canCopy);
    pdf->setCanModify(options.canModify);
    pdf->setCanAnnotate(options.canAnnotate);
    pdf->setCanFillForms(options.canFillForms);
    pdf->setCanAssemble(options.canAssemble);
    pdf->setCanPrintHighQuality(options.canPrintHighQuality);
    pdf->setRewriteSignedDocuments(options.allowSigned);
    pdf->setEncryptionStrength(options.keyLength == 40 ? 0 : 1);
}

// The plain report's closing lines; `logPath` is null when the log was not saved.
void printSummary(const CliIo &io, const QString &message, qsizetype skipped, const QString &timeTaken,
                  const QString &logPath)
{
    *io.out << message << '\n';
    // The run's summary speaks of the files it worked on; what never reached it must
    // not read as "all done".
    if (skipped > 0)
        *io.out << skipped << (skipped == 1 ? " entry was" : " entries were")
                << " skipped (see the \"Skipped:\" lines).\n";
    *io.out << timeTaken << '\n';
    if (!logPath.isEmpty())
        *io.out << "Log: " << escaped(logPath) << '\n';
}

// The path arguments in the order of their full paths, each folder as if
// its name ended in "/", without those a recursive walk of another one meets
// anyway: walked in this order, a streamed run meets its files in path order.
QStringList walkOrder(const QStringList &paths, bool recursive, const FileGatherer &gatherer)
{
    const auto key = [](const QString &path) {
        return QFileInfo(path).isDir() ? path + QLatin1Char('/') : path;
    };
    QStringList sorted = paths;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [&](const QString &a, const QString &b) { return key(a) < key(b); });
    QStringList kept;
    for (const QString &path : std::as_const(sorted)) {
        if (!kept.isEmpty() && kept.last() == path)
            continue;
        const bool inside =
            recursive && std::any_of(kept.cbegin(), kept.cend(), [&](const QString &folder) {
                if (!QFileInfo(folder).isDir() || !path.startsWith(folder + QLatin1Char('/')))
                    return false;
                // What a walk leaves out (hidden names) stays an entry of its own.
                const QStringList parts = path.mid(folder.size() + 1).split(QLatin1Char('/'));
                return std::none_of(parts.cbegin(), parts.cend(),
                                    [](const QString &part) { return part.startsWith(QLatin1Char('.')); }) &&
                       (QFileInfo(path).isDir() || gatherer.takesFileNamed(parts.last()));
            });
        if (!inside)
            kept << path;
    }
    return kept;
}

// Whether `path` is an existing file directly in one of `folders` (cleaned)
// that a walk of them takes.
bool walkTakes(const QString &path, const QSet<QString> &folders, const FileGatherer &gatherer)
{
    const QFileInfo info(path);
    return folders.contains(info.path()) && gatherer.takesFileNamed(info.fileName()) &&
           (info.exists() || info.isSymLink());
}

int runCommand(const Options &options, const CliIo &io)
{
    Settings runSettings(false);
    armRunSettings(runSettings, options);
    const bool securing = options.command == Command::Secure;
    if (securing) {
        const QString problem = securityProblem(*runSettings.pdfSettings(), options.keyLength);
        if (!problem.isEmpty()) {
            *io.err << "lockleaf-cli: " << problem << '\n';
            return 2;
        }
    }

    ProgressLine progress(io, io.errIsTerminal && !options.quiet);

    // Gathering tries the given passwords in order in both modes, the way the
    // window tries its saved list; this record exists only for that.
    QStringList passwords = options.passwords;
    if (options.savedPasswords) {
        QString note;
        for (const QString &saved : savedPasswords(&note))
            if (!passwords.contains(saved))
                passwords << saved;
        if (!note.isEmpty())
            *io.err << "lockleaf-cli: " << note << '\n';
    }
    std::optional<ResumePoint> resumePoint;
    if (!options.resumeLog.isEmpty()) {
        QString error;
        resumePoint = readResumePoint(options.resumeLog, &error);
        if (!resumePoint) {
            *io.err << "lockleaf-cli: " << error << '\n';
            return 2;
        }
    }

    // A run works on files as they are found, holding only those in hand. A
    // password map is checked against every file before anything is written,
    // and a listing is sorted: those gather the whole list first.
    const bool streaming = options.command != Command::List && !options.hasPasswordMap;
    BoundedQueue<Found> queue(256);
    Settings gatherSettings(false);
    gatherSettings.setSecurityType(1);
    gatherSettings.setPasswords(passwords);
    ConsoleGathering gathering(&gatherSettings, progress, streaming ? &queue : nullptr);
    FileGatherer gatherer(&gathering);
    if (options.jobs > 0)
        gatherer.setJobs(options.jobs);
    gatherer.setStreaming(streaming);
    // Outputs written into the tree being walked are never taken as sources.
    gatherer.setExcludedFolder(options.outputFolder);
    if (options.shard)
        gatherer.setCandidateFilter([shard = *options.shard](const QString &root, const QString &path) {
            const QString relative =
                root == path ? QFileInfo(path).fileName() : QDir(root).relativeFilePath(path);
            return shardOf(relative, shard.count) == shard.index;
        });
    Arguments arguments;
    const QStringList roots = walkOrder(options.paths, options.recursive, gatherer);
    for (const QString &path : roots)
        arguments.urls << QUrl::fromLocalFile(path);
    arguments.isFolders = true;
    arguments.isIncludeSubdirectories = options.recursive;
    // The listed paths come after the PATH arguments, in the lists' order,
    // read as the walk goes on.
    qsizetype listIndex = 0;
    std::unique_ptr<ListReader> reader;
    arguments.more = [&]() -> std::optional<QUrl> {
        for (;;) {
            if (!reader) {
                if (listIndex >= options.lists.size())
                    return std::nullopt;
                reader = std::make_unique<ListReader>(options.lists.at(listIndex++), options.nulSeparated);
            }
            const std::optional<ListReader::Entry> entry = reader->next();
            if (!entry)
                reader.reset();
            else if (!entry->reason.isEmpty())
                gatherer.skipEntry(entry->path, entry->reason);
            else
                return QUrl::fromLocalFile(entry->path);
        }
    };

    QList<SkippedEntry> skipped;
    // The gathering's own thread, streaming; always ended before returning.
    std::thread finder;
    const auto endFinder = qScopeGuard([&] {
        queue.cancel();
        if (finder.joinable())
            finder.join();
    });
    if (streaming) {
        finder = std::thread([&] {
            gatherer.loadURLs(arguments);
            gathering.finished = true;
            queue.finish();
        });
    } else {
        gatherer.loadURLs(arguments);
        gathering.finished = true;
        progress.clear();
        if (interruptRequested()) {
            *io.err << "Process cancelled!\n";
            return kInterruptedExit;
        }
        skipped << gatherer.skipped();
    }

    if (options.command == Command::List) {
        for (const SkippedEntry &entry : skipped)
            *io.err << "lockleaf-cli: skipped " << escaped(entry.path) << ": " << entry.reason << '\n';
        if (options.json)
            for (const FileItemPtr &item : std::as_const(gathering.files))
                *io.out << JsonReport::listed(*item);
        else
            *io.out << exportText(gathering.files);
        if (!flushOut(io))
            return kOutputClosedExit;
        return skipped.isEmpty() ? 0 : 1;
    }

    // Checked before anything is written; a file's own passwords come after the
    // run's in unsecure mode, so they are tried first.
    if (options.hasPasswordMap) {
        const QStringList problems = applyPasswordMap(options, gathering.files, *runSettings.pdfSettings());
        for (const QString &problem : problems)
            *io.err << "lockleaf-cli: " << problem << '\n';
        if (!problems.isEmpty())
            return 2;
    }

    JsonReport json;
    Process process;
    int alreadyDone = 0;
    ConsoleRun console(process, io, progress, options.quiet && !options.json, options.json ? &json : nullptr,
                       gathering, alreadyDone);
    process.setSettings(&runSettings);
    process.setDelegate(&console);
    process.setKeyLengthOverride(options.keyLength);
    if (options.jobs > 0)
        process.setJobs(options.jobs);
    process.setLogsFolder(prepareLogFolder(options, io));
    process.setRecordSink(
        [&console](const LogFiles &record, const OutputFile &output) { console.print(record, output); });

    // No output replaces a source still to be read: the sources named on
    // their own (and, gathered first, all of them) are known now; a file in
    // the output folder that a walk of it takes counts as one throughout.
    QStringList namedSources;
    const QList<FileItemPtr> &known = streaming ? QList<FileItemPtr>() : gathering.files;
    for (const FileItemPtr &item : known)
        namedSources << item->filePath().toLocalFile();
    QSet<QString> walkedFolders;
    for (const QString &path : roots) {
        if (QFileInfo(path).isDir())
            walkedFolders << path;
        else
            namedSources << path;
    }
    // Listed files in the output folder (or the folder itself), found by
    // reading the lists once more: only those are kept.
    if (streaming && !options.outputFolder.isEmpty())
        for (const ListSource &list : options.lists) {
            ListReader listed(list, options.nulSeparated);
            while (const std::optional<ListReader::Entry> entry = listed.next()) {
                if (!entry->reason.isEmpty())
                    continue;
                if (entry->path == options.outputFolder)
                    walkedFolders << entry->path;
                else if (QFileInfo(entry->path).path() == options.outputFolder)
                    namedSources << entry->path;
            }
        }
    process.outputNames().setSources(namedSources);
    if (!options.outputFolder.isEmpty() && walkedFolders.contains(options.outputFolder))
        process.outputNames().setPendingTest(
            [walkedFolders, &gatherer](const QString &path, const QString &) {
                return walkTakes(path, walkedFolders, gatherer);
            });

    // Each file on its way to the run: the password that grants copying,
    // the check against --resume's log, and a word on passwords some readers
    // cannot take.
    qsizetype nextListed = 0;
    bool warned = false;
    const auto nextFound = [&]() -> std::optional<Found> {
        if (!streaming) {
            if (!skipped.isEmpty())
                return Found{nullptr, skipped.takeFirst()}; // reported ahead of the files, as met
            if (nextListed < gathering.files.size())
                return Found{gathering.files.at(nextListed++), {}};
            return std::nullopt;
        }
        return queue.pop();
    };
    qsizetype skippedCount = skipped.size();
    process.setFeed(
        [&]() -> OutputFilePtr {
            for (;;) {
                const std::optional<Found> found = nextFound();
                if (!found)
                    return nullptr;
                if (!found->item) {
                    if (streaming) // gathered first, they are counted already
                        ++skippedCount;
                    const SkippedEntry &entry = found->skipped;
                    LogFiles record;
                    record.setFilename(QFileInfo(entry.path).fileName());
                    record.setSourcePath(QFileInfo(entry.path).path());
                    record.setStatus(QStringLiteral("Skipped: ") + entry.reason);
                    process.log().append(record);
                    console.printSkipped(entry);
                    continue;
                }
                const FileItemPtr &item = found->item;
                // The first given password that opens a file may not be the one that
                // lets it be rewritten: a run needs the right to copy in both modes.
                if (passwords.size() > 1 && item->isSecured()) {
                    const QString best = passwordGrantingCopy(item->filePath().toLocalFile(), passwords);
                    if (!best.isEmpty() && best != item->pdfOpenPassword())
                        item->setPdfOpenPassword(best);
                }
                if (resumePoint && isDone(*item, *resumePoint, securing, options.openPassword)) {
                    ++alreadyDone;
                    continue;
                }
                // A file written correctly that a common reader cannot open deserves a
                // word, but not a refusal: other readers open it, and the user may want
                // exactly that.
                if (securing && !warned &&
                    hasReaderUnsafePassword(*runSettings.pdfSettings(), options.keyLength, item.get())) {
                    warned = true;
                    progress.clear();
                    *io.err
                        << QStringLiteral(
                               "lockleaf-cli: warning: a password has characters outside Latin-1 (such as "
                               "€, —, •, †); with a %1-bit key the outputs are "
                               "correct, but readers built on pdf.js (Firefox) cannot open them; "
                               "--key-length 256 avoids this\n")
                               .arg(options.keyLength);
                }
                auto output = std::make_shared<OutputFile>();
                output->filename = item->filePath().toLocalFile();
                output->fileItems = {item};
                return output;
            }
        },
        streaming ? std::function<bool()>([&queue] { return queue.ready(); }) : std::function<bool()>());
    QObject::connect(&process, &Process::fileInProcessChanged, &process,
                     [&console] { console.showBar(false); });
    process.setIsCombining(true);
    process.start();
    queue.cancel();
    progress.clear();
    if (streaming) {
        finder.join();
        if (interruptRequested() && process.fileCount() == 0) {
            *io.err << "Process cancelled!\n";
            return kInterruptedExit;
        }
    }
    if (process.fileCount() == 0 && alreadyDone == 0 && !options.quiet)
        *io.err << "lockleaf-cli: no PDF files found\n";

    const QString logPath = process.log().logFilePath();
    if (!process.logSaved())
        *io.err << "lockleaf-cli: the log could not be written to " << escaped(logPath) << '\n';
    if (outputClosed())
        return kOutputClosedExit;

    QString message = process.message();
    message.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (options.json)
        *io.out << json.summary(static_cast<int>(skippedCount + process.fileCount()), message,
                                process.logSaved() ? logPath : QString());
    else
        printSummary(io, message, skippedCount, console.lastText, process.logSaved() ? logPath : QString());
    if (resumePoint && !options.json)
        *io.out << alreadyDone << (alreadyDone == 1 ? " file was" : " files were")
                << " skipped as already done (--resume).\n";
    if (!flushOut(io))
        return kOutputClosedExit;

    if (interruptRequested())
        return kInterruptedExit;
    const bool allWritten = process.totalFileCreated() == process.fileCount();
    return allWritten && skippedCount == 0 && process.logSaved() ? 0 : 1;
}

} // namespace

QString exportText(const QList<FileItemPtr> &files)
{
    QString text =
        QStringLiteral("Name\tPages\tSize\tType\tModified Date\tAccessed Date\tCreated Date\tLocation\n");
    for (const FileItemPtr &item : files) {
        text +=
            QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6\t%7\t%8\n")
                .arg(escaped(item->name()), QString::number(item->pages()), item->sizeInKB(),
                     escaped(item->type()), dateField(item->dateModified()), dateField(item->dateAccessed()),
                     dateField(item->dateCreated()), escaped(item->location()));
    }
    return text;
}

int runCli(const QStringList &arguments, const CliIo &io)
{
    try {
        if (isPasswordsCommand(arguments))
            return runPasswordsCommand(arguments, io);
        const ParseResult parsed = parseArguments(arguments, io.readStdin, io.readStdinChunk);
        switch (parsed.kind) {
        case ParseResult::Kind::Help:
            *io.out << usageText() << '\n' << passwordsUsageText();
            io.out->flush();
            return 0;
        case ParseResult::Kind::Version:
            *io.out << "lockleaf-cli " << LOCKLEAF_VERSION << '\n';
            io.out->flush();
            return 0;
        case ParseResult::Kind::UsageError:
            if (parsed.error == noPasswordMessage())
                *io.err << parsed.error << '\n';
            else
                *io.err << "lockleaf-cli: " << parsed.error
                        << "\nTry 'lockleaf-cli --help' for more information.\n";
            io.err->flush();
            return 2;
        case ParseResult::Kind::Run:
            break;
        }
        return runCommand(parsed.options, io);
    } catch (const std::exception &e) {
        logError(QStringLiteral("lockleaf-cli"), QString::fromLocal8Bit(e.what()));
    } catch (...) {
        logError(QStringLiteral("lockleaf-cli"), QStringLiteral("unknown exception"));
    }
    return 1;
}

} // namespace lockleaf::cli
