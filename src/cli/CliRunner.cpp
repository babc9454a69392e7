#include "cli/CliRunner.h"

#include "cli/CliOptions.h"
#include "cli/ConsoleText.h"
#include "cli/Interrupt.h"
#include "cli/JsonReport.h"
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
#include <QTimeZone>

#include <algorithm>
#include <atomic>
#include <exception>

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

// The gathering side of the console: the list lives here, in path order.
class ConsoleGathering final : public GatheringDelegate
{
public:
    ConsoleGathering(Settings *settings, ProgressLine &progress) : m_settings(settings), m_progress(progress)
    {
    }

    Settings *settings() const override { return m_settings; }
    bool isProcessing() const override { return m_processing && !interruptRequested(); }
    QList<QUrl> fileURLs() override
    {
        QList<QUrl> urls;
        urls.reserve(files.size());
        for (const FileItemPtr &item : std::as_const(files))
            urls << item->filePath();
        return urls;
    }
    void appendFileItem(const FileItemPtr &item) override { files << item; }
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
        m_progress.show(QStringLiteral("Gathering... %1 file(s)").arg(files.size()));
    }
    void addToPasswordsList(const QString &) override {} // nothing is saved by the CLI

    QList<FileItemPtr> files;

private:
    Settings *m_settings;
    ProgressLine &m_progress;
    std::atomic<bool> m_processing{false}; // polled by the gathering's workers
};

// The run side of the console: prints each file's outcome once it is known,
// turns Ctrl-C into a stop between files, and keeps the progress line.
class ConsoleRun final : public RunDelegate
{
public:
    // The first `printedAlready` records of the log (the skipped entries) are
    // not the run's own and were printed before it.
    // `json`, when set, takes the lines instead of the plain status lines.
    ConsoleRun(Process &process, const CliIo &io, ProgressLine &progress, bool quiet, int printedAlready,
               JsonReport *json)
        : m_process(process), m_io(io), m_progress(progress), m_quiet(quiet), m_offset(printedAlready),
          m_printed(printedAlready), m_json(json)
    {
    }

    void updateTimeTakenLabel(const QString &text) override
    {
        lastText = readableTimeLine(text);
        if (interruptRequested() && m_process.isCombining())
            m_process.stop();
        printNewRecords();
        showBar(true);
    }

    void showBar(bool force)
    {
        const int total = m_process.outputFiles().size();
        const int done = m_process.totalFileProcessed();
        constexpr int width = 24;
        const int filled = total > 0 ? done * width / total : width;
        const QString bar = QString(filled, QLatin1Char('#')) + QString(width - filled, QLatin1Char('.'));
        m_progress.show(
            QStringLiteral("[%1] %2/%3 %4").arg(bar).arg(done).arg(total).arg(m_process.fileInProcess()),
            force);
    }

    QString lastText;

private:
    void printNewRecords()
    {
        const QList<LogFilesPtr> records = m_process.log().files();
        if (m_quiet) {
            m_printed = records.size();
            return;
        }
        if (m_printed >= records.size())
            return;
        m_progress.clear();
        const QList<OutputFilePtr> &outputs = m_process.outputFiles();
        for (; m_printed < records.size() && m_printed - m_offset < outputs.size(); ++m_printed) {
            const LogFilesPtr &record = records.at(m_printed);
            const OutputFilePtr &output = outputs.at(m_printed - m_offset);
            const QString source = output->filename;
            if (m_json)
                *m_io.out << m_json->file(
                    *record, source, output->fileItems.isEmpty() ? 0 : output->fileItems.first()->pages());
            else
                *m_io.out << escaped(record->status()) << '\t' << escaped(source) << '\n';
            if (!record->renamedOutput().isEmpty())
                *m_io.err << "lockleaf-cli: " << escaped(source) << " was written as "
                          << escaped(record->renamedOutput())
                          << " (an earlier output of this run has its name)\n";
        }
        if (!flushOut(m_io) && m_process.isCombining())
            m_process.stop();
    }

    Process &m_process;
    const CliIo &m_io;
    ProgressLine &m_progress;
    bool m_quiet;
    int m_offset;
    int m_printed;
    JsonReport *m_json;
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

// A file written correctly that a common reader cannot open deserves a word,
// but not a refusal: other readers open it, and the user may want exactly that.
void warnOfReaderUnsafePasswords(const Options &options, const QList<FileItemPtr> &files,
                                 const PDFSettings &pdf, const CliIo &io)
{
    const bool unsafe = std::any_of(files.cbegin(), files.cend(), [&](const FileItemPtr &item) {
        return hasReaderUnsafePassword(pdf, options.keyLength, item.get());
    });
    if (!unsafe)
        return;
    *io.err << QStringLiteral("lockleaf-cli: warning: a password has characters outside Latin-1 (such as "
                              "€, —, •, †); with a %1-bit key the outputs are "
                              "correct, but readers built on pdf.js (Firefox) cannot open them; "
                              "--key-length 256 avoids this\n")
                   .arg(options.keyLength);
}

int runCommand(const Options &options, const CliIo &io)
{
    Settings runSettings(false);
    armRunSettings(runSettings, options);
    if (options.command == Command::Secure) {
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
    Settings gatherSettings(false);
    gatherSettings.setSecurityType(1);
    gatherSettings.setPasswords(passwords);
    ConsoleGathering gathering(&gatherSettings, progress);
    Arguments arguments;
    for (const QString &path : options.paths)
        arguments.urls << QUrl::fromLocalFile(path);
    arguments.isFolders = true;
    arguments.isIncludeSubdirectories = options.recursive;
    FileGatherer gatherer(&gathering);
    if (options.jobs > 0)
        gatherer.setJobs(options.jobs);
    if (options.shard)
        gatherer.setCandidateFilter([shard = *options.shard](const QString &root, const QString &path) {
            const QString relative =
                root == path ? QFileInfo(path).fileName() : QDir(root).relativeFilePath(path);
            return shardOf(relative, shard.count) == shard.index;
        });
    std::optional<ResumePoint> resumePoint;
    if (!options.resumeLog.isEmpty()) {
        QString error;
        resumePoint = readResumePoint(options.resumeLog, &error);
        if (!resumePoint) {
            *io.err << "lockleaf-cli: " << error << '\n';
            return 2;
        }
    }
    gatherer.loadURLs(arguments);
    progress.clear();

    if (interruptRequested()) {
        *io.err << "Process cancelled!\n";
        return kInterruptedExit;
    }

    QList<SkippedEntry> skipped;
    for (const ListedPaths::Bad &bad : options.badListedPaths)
        skipped << SkippedEntry{bad.entry, bad.reason};
    skipped << gatherer.skipped();
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

    // The first given password that opens a file may not be the one that
    // lets it be rewritten: a run needs the right to copy in both modes.
    if (passwords.size() > 1) {
        for (const FileItemPtr &item : std::as_const(gathering.files)) {
            if (!item->isSecured())
                continue;
            const QString best = passwordGrantingCopy(item->filePath().toLocalFile(), passwords);
            if (!best.isEmpty() && best != item->pdfOpenPassword())
                item->setPdfOpenPassword(best);
        }
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
    if (options.command == Command::Secure)
        warnOfReaderUnsafePasswords(options, gathering.files, *runSettings.pdfSettings(), io);

    // Only after the map: its lines still name the files done before.
    const int alreadyDone = resumePoint
                                ? dropDoneFiles(gathering.files, *resumePoint,
                                                options.command == Command::Secure, options.openPassword)
                                : 0;
    if (resumePoint && !options.quiet && !options.json)
        *io.err << "lockleaf-cli: " << alreadyDone << (alreadyDone == 1 ? " file was" : " files were")
                << " already done by the run of " << escaped(options.resumeLog) << '\n';

    JsonReport json;
    for (const SkippedEntry &entry : skipped) {
        if (options.json)
            *io.out << json.skipped(entry.path, entry.reason);
        else if (!options.quiet)
            *io.out << "Skipped: " << entry.reason << '\t' << escaped(entry.path) << '\n';
    }
    if (!flushOut(io))
        return kOutputClosedExit;
    if (gathering.files.isEmpty() && alreadyDone == 0 && !options.quiet)
        *io.err << "lockleaf-cli: no PDF files found\n";

    Process process;
    // What was left out goes into the log too, ahead of the run's own records.
    for (const SkippedEntry &entry : skipped) {
        LogFiles record;
        record.setFilename(QFileInfo(entry.path).fileName());
        record.setSourcePath(QFileInfo(entry.path).path());
        record.setStatus(QStringLiteral("Skipped: ") + entry.reason);
        process.log().append(record);
    }
    ConsoleRun console(process, io, progress, options.quiet && !options.json,
                       static_cast<int>(skipped.size()), options.json ? &json : nullptr);
    process.setSettings(&runSettings);
    process.setDelegate(&console);
    process.setKeyLengthOverride(options.keyLength);
    if (options.jobs > 0)
        process.setJobs(options.jobs);
    process.setLogsFolder(prepareLogFolder(options, io));
    for (const FileItemPtr &item : std::as_const(gathering.files)) {
        auto output = std::make_shared<OutputFile>();
        output->filename = item->filePath().toLocalFile();
        output->fileItems = {item};
        process.outputFiles() << output;
    }
    QObject::connect(&process, &Process::fileInProcessChanged, &process,
                     [&console] { console.showBar(false); });
    process.setTotalFileSelected(process.outputFiles().size());
    process.setIsCombining(true);
    process.start();
    progress.clear();

    const QString logPath = process.log().logFilePath();
    if (!process.logSaved())
        *io.err << "lockleaf-cli: the log could not be written to " << escaped(logPath) << '\n';
    if (outputClosed())
        return kOutputClosedExit;

    QString message = process.message();
    message.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (options.json)
        *io.out << json.summary(static_cast<int>(skipped.size() + process.outputFiles().size()), message,
                                process.logSaved() ? logPath : QString());
    else
        printSummary(io, message, skipped.size(), console.lastText, process.logSaved() ? logPath : QString());
    if (resumePoint && !options.json)
        *io.out << alreadyDone << (alreadyDone == 1 ? " file was" : " files were")
                << " skipped as already done (--resume).\n";
    if (!flushOut(io))
        return kOutputClosedExit;

    if (interruptRequested())
        return kInterruptedExit;
    const bool allWritten = process.totalFileCreated() == process.outputFiles().size();
    return allWritten && skipped.isEmpty() && process.logSaved() ? 0 : 1;
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
        const ParseResult parsed = parseArguments(arguments, io.readStdin);
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
