#include "cli/CliOptions.h"

#include "cli/Interrupt.h"
#include "cli/PasswordMapRun.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <optional>

#include <sys/stat.h>

namespace lockleaf::cli
{

namespace
{

// Standard input can be read once; every "-" after the first would get nothing.
class StdinOnce
{
public:
    explicit StdinOnce(const std::function<QByteArray()> &read) : m_read(read) {}
    bool take(QByteArray *bytes)
    {
        if (m_used || !m_read)
            return false;
        m_used = true;
        *bytes = m_read();
        return true;
    }
    // Copies standard input to a temporary file, `readChunk` (or the whole
    // reader) at a time; null when it was taken already or cannot be copied.
    std::shared_ptr<QTemporaryFile> spool(const std::function<QByteArray(qint64)> &readChunk)
    {
        if (m_used || (!m_read && !readChunk))
            return nullptr;
        m_used = true;
        auto file = std::make_shared<QTemporaryFile>();
        if (!file->open())
            return nullptr;
        const InterruptibleInput interruptible;
        for (;;) {
            const QByteArray chunk = readChunk ? readChunk(1 << 20) : m_read();
            if (chunk.isEmpty())
                break;
            if (file->write(chunk) != chunk.size())
                return nullptr;
            if (!readChunk)
                break;
        }
        return file->flush() ? file : nullptr;
    }

private:
    const std::function<QByteArray()> &m_read;
    bool m_used = false;
};

// The bytes of a file named on the command line, "-" being standard input
// (from a file, up to `maxBytes` + 1 where one is given, so a caller can tell
// a file too large); false when it cannot be read. A FIFO blocks until written to: Ctrl-C must still end the
// program meanwhile.
bool readFileArgument(const QString &file, StdinOnce &stdinOnce, QByteArray *bytes, qint64 maxBytes = -1)
{
    if (file == QLatin1String("-"))
        return stdinOnce.take(bytes);
    const InterruptibleInput interruptible;
    QFile f(file);
    if (QFileInfo(file).isDir() || !f.open(QIODevice::ReadOnly))
        return false;
    *bytes = maxBytes < 0 ? f.readAll() : f.read(maxBytes + 1);
    return true;
}

// Lines of a password file: UTF-8, "\n" or "\r\n" line ends, at most
// kMaxPasswordFileBytes. Text that is not UTF-8 is refused: decoded leniently,
// a password would become one that only its replacement characters open.
std::optional<QStringList> readPasswordLines(const QString &file, StdinOnce &stdinOnce, QString *error)
{
    const QString name = file == QLatin1String("-") ? QStringLiteral("standard input") : file;
    QByteArray bytes;
    // /dev/zero, or a file named by mistake, must not fill the memory.
    if (!readFileArgument(file, stdinOnce, &bytes, kMaxPasswordFileBytes)) {
        *error = file == QLatin1String("-")
                     ? QStringLiteral("standard input can be read by one password option only")
                     : QStringLiteral("cannot read password file: %1").arg(file);
        return std::nullopt;
    }
    if (bytes.size() > kMaxPasswordFileBytes) {
        *error = QStringLiteral("password file %1 is larger than %2 KiB")
                     .arg(name)
                     .arg(kMaxPasswordFileBytes / 1024);
        return std::nullopt;
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        *error = QStringLiteral("password file %1 is not valid UTF-8 text").arg(name);
        return std::nullopt;
    }
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString &line : lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the final line end
    return lines;
}

bool isFifo(const QString &path)
{
    struct stat st {
    };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISFIFO(st.st_mode);
}

QString absoluteClean(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace

QString noPasswordMessage()
{
    return QStringLiteral("Please provide atleast one password to secure pdf document!");
}

QString usageText()
{
    return QStringLiteral(
        "Usage:\n"
        "  lockleaf-cli secure   [options] PATH...\n"
        "  lockleaf-cli unsecure [options] PATH...\n"
        "  lockleaf-cli list     [options] PATH...\n"
        "\n"
        "Adds password security to PDF documents, or removes it, in batches.\n"
        "PATH is a file or a folder. Folders are searched for files ending in .pdf or\n"
        ".PDF (hidden files are left out); a file named directly is taken when it is a\n"
        "regular file with the extension pdf or PDF. Anything else named directly (a\n"
        "FIFO, a device, notes.txt), a folder that yields no PDF file, and a file whose\n"
        "name is not valid in the file-name encoding get a line \"Skipped: <reason>\"\n"
        "(and that status in the log).\n"
        "\n"
        "Where outputs go (secure and unsecure; one of the two is required):\n"
        "  -o, --output DIR              write every output into the existing folder DIR\n"
        "                                (an output keeps its source's file name; a file\n"
        "                                there from before the run is replaced, but an\n"
        "                                output never replaces another output of the same\n"
        "                                run: a later a.pdf is written as \"a (2).pdf\",\n"
        "                                the first free name, and the log's TargetPath\n"
        "                                names it)\n"
        "      --in-place                replace each source in its own folder (through\n"
        "                                a symbolic link, the file it points to; a file\n"
        "                                with other hard links is not replaced)\n"
        "      --backup                  first copy each source beside itself as\n"
        "                                NAME_<ddMMyyyyHHmmss>_bak.EXT (day, month, year,\n"
        "                                24-hour clock), or NAME_<...>_bak (SECURED).EXT\n"
        "                                when the source was secured; the copy keeps the\n"
        "                                source's owner, group and mode, and a long NAME\n"
        "                                is cut short to fit\n"
        "      --allow-signed            also write digitally signed sources (their\n"
        "                                signatures become invalid); without it they are\n"
        "                                skipped with \"Skipped: digitally signed (securing\n"
        "                                would invalidate its signatures)\"\n"
        "\n"
        "Passwords of secured sources (all commands), tried in order; secure and\n"
        "unsecure use one that grants copying (the permission password) when several\n"
        "open a file:\n"
        "  -p, --password PW             a password to try (repeatable)\n"
        "      --password-file FILE      passwords to try, one per line; - reads them\n"
        "                                from standard input\n"
        "\n"
        "A password per file (secure and unsecure):\n"
        "      --password-map FILE       a tab-separated UTF-8 text file (- reads standard\n"
        "                                input), one line per file: path<TAB>open\n"
        "                                password[<TAB>permission password]; relative\n"
        "                                paths are taken from the current folder. secure\n"
        "                                gives each listed file its own passwords (the\n"
        "                                others get the --...-password ones); unsecure\n"
        "                                tries a file's own passwords first. A line that\n"
        "                                is malformed, lacks a password, names a file\n"
        "                                not in the run or a password the run cannot\n"
        "                                use, and a file left without any password, stop\n"
        "                                the command before anything is written (exit\n"
        "                                status 2, with the line number). Passwords are\n"
        "                                never printed or logged.\n"
        "\n"
        "Security of the outputs (secure):\n"
        "      --open-password PW        password needed to open an output\n"
        "      --open-password-file FILE the open password from the first line of FILE\n"
        "      --permission-password PW  password needed to change an output's security\n"
        "                                (default: the open password; required with\n"
        "                                --no-print, --no-copy or --low-res-print, and\n"
        "                                not then one the key takes as the open password)\n"
        "      --permission-password-file FILE\n"
        "                                the permission password from the first line of FILE\n"
        "      --key-length 40|128|256   40: RC4 (R2); 128: AES-128 (R4); 256: AES-256\n"
        "                                (R6, the default). At 40 and 128 bits a password\n"
        "                                with characters outside Latin-1 (such as the euro\n"
        "                                sign) gives files that pdf.js-based readers\n"
        "                                (Firefox) cannot open: a warning says so\n"
        "      --no-print                outputs forbid printing\n"
        "      --no-copy                 outputs forbid copying text and graphics\n"
        "      --allow-modify            outputs allow changing the document\n"
        "      --allow-annotate          outputs allow adding and changing comments\n"
        "      --allow-fill-forms        outputs allow filling in forms (not with\n"
        "                                --key-length 40)\n"
        "      --allow-assemble          outputs allow inserting, rotating and deleting\n"
        "                                pages (not with --key-length 40)\n"
        "      --low-res-print           outputs allow printing in low resolution only\n"
        "                                (not with --key-length 40 or --no-print)\n"
        "                                Without these, outputs forbid all four changes\n"
        "                                and print in high quality when printing is allowed.\n"
        "\n"
        "Other options:\n"
        "  -r, --recursive               include subfolders of folder PATHs\n"
        "      --jobs N                  open, secure or unsecure N files at once, 1 to\n"
        "                                256 (default: one per processor core); outputs,\n"
        "                                lines and log keep the order of the list\n"
        "      --log-dir DIR             save the XML processing log in DIR (created when\n"
        "                                missing; default: the application's Logs folder)\n"
        "  -q, --quiet                   no progress and no per-file lines, only the summary\n"
        "      --json                    print JSON lines instead (see below)\n"
        "  -h, --help                    show this help\n"
        "      --version                 show the version\n"
        "\n"
        "Large runs:\n"
        "      --files-from FILE         also take the paths listed in FILE, one per\n"
        "                                line (- reads standard input); a line that\n"
        "                                names nothing is skipped with its line number\n"
        "      --null                    the --files-from lists are NUL-separated, as\n"
        "                                find -print0 writes them\n"
        "      --shard K/N               take only the files of shard K of N (K from 1\n"
        "                                to N), chosen by a stable hash of each file's\n"
        "                                path relative to the PATH it was found under:\n"
        "                                machines that see the tree in different places\n"
        "                                split it the same way, and the N shards take\n"
        "                                every file once\n"
        "      --resume LOG              secure or unsecure: leave out each file that LOG\n"
        "                                (an earlier run's log, finished or cut short by\n"
        "                                a kill) records as written and whose output is\n"
        "                                still there and verifies; the rest is done as\n"
        "                                usual, and the new log names only those\n"
        "Files are worked on as they are found, in the order of their full paths, so\n"
        "memory stays the same for any number of files (with --password-map the whole\n"
        "list is gathered first). An output folder inside a folder PATH is not walked.\n"
        "\n"
        "Passwords given with -p or --...-password appear in the process list while the\n"
        "command runs; the --...-file forms (with - for standard input) keep them out of it.\n"
        "Password files are UTF-8 text of at most 16 KiB. A password holds at most 32\n"
        "bytes at 40 and 128 bits and 127 at 256 bits.\n"
        "\n"
        "Output: one line per file, \"<status><TAB><source path>\", then the summary and\n"
        "the path of the saved log. Paths are printed C-style escaped: a backslash as\n"
        "\\\\, line feed \\n, carriage return \\r, tab \\t, any other control character as\n"
        "\\xHH. Progress goes to standard error when it is a terminal. Ctrl-C finishes\n"
        "the file in hand, saves the log and stops; so does a closed standard output\n"
        "(e.g. | head -1), quietly. The log grows as files finish and is synced every\n"
        "few seconds; a run that is killed leaves it without its closing </Log> line\n"
        "(add it for an XML reader; --resume reads it as it is).\n"
        "\n"
        "With --json, standard output holds only one JSON object per line: per file\n"
        "{\"status\", \"source\", \"target\" (the output written, or null), \"pages\",\n"
        "\"reason\" (when it failed or was skipped)}, skipped entries first, then\n"
        "{\"total\", \"written\", \"failed\", \"skipped\", \"summary\", \"log\" (or null)}.\n"
        "--quiet does not shorten it. Notes and progress stay on standard error.\n"
        "list --json prints one object per file instead of the table: {\"name\",\n"
        "\"pages\", \"size\" (bytes), \"sizeText\", \"type\", \"modified\", \"accessed\",\n"
        "\"created\" (UTC, ISO 8601, or null), \"secured\", \"location\", \"path\"}.\n"
        "\n"
        "Exit status: 0 every file written; 1 some file failed or was skipped, or the\n"
        "log could not be written; 2 usage error, or passwords and restrictions that\n"
        "cannot protect the outputs; 130 interrupted; 141 standard output closed.\n"
        "\n"
        "Examples:\n"
        "  lockleaf-cli secure --open-password-file pw.txt -o secured/ reports/\n"
        "  printf '%s\\n' \"$PW\" | lockleaf-cli unsecure --password-file - -r -o plain/ archive/\n"
        "  lockleaf-cli secure --permission-password-file owner.txt --no-copy --in-place --backup a.pdf\n"
        "  lockleaf-cli list -r -p secret scans/ > files.txt\n");
}

ParseResult parseArguments(const QStringList &arguments, const std::function<QByteArray()> &readStdin,
                           const std::function<QByteArray(qint64)> &readStdinChunk)
{
    ParseResult result;
    auto usageError = [&result](const QString &message) {
        result.kind = ParseResult::Kind::UsageError;
        result.error = message;
        return result;
    };

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    const QCommandLineOption help(QStringList{"h", "help"});
    const QCommandLineOption version("version");
    const QCommandLineOption output({"o", "output"}, "", "DIR");
    const QCommandLineOption inPlace("in-place");
    const QCommandLineOption backup("backup");
    const QCommandLineOption password({"p", "password"}, "", "PW");
    const QCommandLineOption passwordFile("password-file", "", "FILE");
    const QCommandLineOption openPassword("open-password", "", "PW");
    const QCommandLineOption openPasswordFile("open-password-file", "", "FILE");
    const QCommandLineOption permissionPassword("permission-password", "", "PW");
    const QCommandLineOption permissionPasswordFile("permission-password-file", "", "FILE");
    const QCommandLineOption keyLength("key-length", "", "BITS");
    const QCommandLineOption noPrint("no-print");
    const QCommandLineOption noCopy("no-copy");
    const QCommandLineOption allowModify("allow-modify");
    const QCommandLineOption allowAnnotate("allow-annotate");
    const QCommandLineOption allowFillForms("allow-fill-forms");
    const QCommandLineOption allowAssemble("allow-assemble");
    const QCommandLineOption lowResPrint("low-res-print");
    const QCommandLineOption allowSigned("allow-signed");
    const QCommandLineOption passwordMap("password-map", "", "FILE");
    const QCommandLineOption recursive(QStringList{"r", "recursive"});
    const QCommandLineOption logDir("log-dir", "", "DIR");
    const QCommandLineOption quiet(QStringList{"q", "quiet"});
    const QCommandLineOption jobs("jobs", "", "N");
    const QCommandLineOption json("json");
    const QCommandLineOption filesFrom("files-from", "", "FILE");
    const QCommandLineOption nul("null");
    const QCommandLineOption shard("shard", "", "K/N");
    const QCommandLineOption resume("resume", "", "LOG");
    const QCommandLineOption savedPasswords("saved-passwords");
    parser.addOptions({help, version, output, inPlace, backup, password, passwordFile, openPassword,
                       openPasswordFile, permissionPassword, permissionPasswordFile, keyLength, noPrint,
                       noCopy, recursive, logDir, quiet, jobs});
    parser.addOptions({allowModify, allowAnnotate, allowFillForms, allowAssemble, lowResPrint, allowSigned,
                       passwordMap, json});
    parser.addOptions({filesFrom, nul, shard, resume, savedPasswords});

    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(help)) {
        result.kind = ParseResult::Kind::Help;
        return result;
    }
    if (parser.isSet(version)) {
        result.kind = ParseResult::Kind::Version;
        return result;
    }

    QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        return usageError(QStringLiteral("missing command (secure, unsecure or list)"));
    Options &o = result.options;
    const QString command = positional.takeFirst();
    if (command == QLatin1String("secure"))
        o.command = Command::Secure;
    else if (command == QLatin1String("unsecure"))
        o.command = Command::Unsecure;
    else if (command == QLatin1String("list"))
        o.command = Command::List;
    else
        return usageError(QStringLiteral("unknown command '%1'").arg(command));
    if (positional.isEmpty() && !parser.isSet(filesFrom))
        return usageError(QStringLiteral("missing PATH"));

    // Options that belong to other commands are refused rather than ignored.
    const QList<const QCommandLineOption *> writingOnly{&output,      &inPlace,     &backup, &logDir,
                                                        &allowSigned, &passwordMap, &resume};
    const QList<const QCommandLineOption *> secureOnly{
        &openPassword,  &openPasswordFile, &permissionPassword, &permissionPasswordFile, &keyLength,
        &noPrint,       &noCopy,           &allowModify,        &allowAnnotate,          &allowFillForms,
        &allowAssemble, &lowResPrint};
    auto refuse = [&](const QList<const QCommandLineOption *> &options) -> QString {
        for (const QCommandLineOption *option : options)
            if (parser.isSet(*option))
                return QStringLiteral("option --%1 is not valid with '%2'")
                    .arg(option->names().last(), command);
        return {};
    };
    QString refused;
    if (o.command == Command::List)
        refused = refuse(writingOnly);
    if (refused.isEmpty() && o.command != Command::Secure)
        refused = refuse(secureOnly);
    if (refused.isEmpty() && o.command == Command::Secure)
        refused = refuse({&savedPasswords});
    if (!refused.isEmpty())
        return usageError(refused);

    o.recursive = parser.isSet(recursive);
    o.quiet = parser.isSet(quiet);
    o.json = parser.isSet(json);
    o.backup = parser.isSet(backup);
    o.inPlace = parser.isSet(inPlace);
    o.allowSigned = parser.isSet(allowSigned);
    o.savedPasswords = parser.isSet(savedPasswords);

    StdinOnce stdinOnce(readStdin);
    QString error;
    o.passwords = parser.values(password);
    for (const QString &file : parser.values(passwordFile)) {
        const auto lines = readPasswordLines(file, stdinOnce, &error);
        if (!lines)
            return usageError(error);
        for (const QString &line : *lines)
            if (!line.isEmpty())
                o.passwords << line;
    }

    if (o.command == Command::Secure) {
        auto single = [&](const QCommandLineOption &direct, const QCommandLineOption &fromFile,
                          QString *value) -> bool {
            if (parser.isSet(direct) && parser.isSet(fromFile)) {
                error = QStringLiteral("--%1 and --%2 cannot be used together")
                            .arg(direct.names().last(), fromFile.names().last());
                return false;
            }
            if (parser.isSet(direct)) {
                *value = parser.value(direct);
            } else if (parser.isSet(fromFile)) {
                const auto lines = readPasswordLines(parser.value(fromFile), stdinOnce, &error);
                if (!lines)
                    return false;
                *value = lines->isEmpty() ? QString() : lines->first();
            }
            return true;
        };
        if (!single(openPassword, openPasswordFile, &o.openPassword) ||
            !single(permissionPassword, permissionPasswordFile, &o.permissionPassword))
            return usageError(error);
        if (parser.isSet(keyLength)) {
            bool ok = false;
            o.keyLength = parser.value(keyLength).toInt(&ok);
            if (!ok || (o.keyLength != 40 && o.keyLength != 128 && o.keyLength != 256))
                return usageError(QStringLiteral("--key-length must be 40, 128 or 256"));
        }
        o.canPrint = !parser.isSet(noPrint);
        o.canCopy = !parser.isSet(noCopy);
        o.canModify = parser.isSet(allowModify);
        o.canAnnotate = parser.isSet(allowAnnotate);
        o.canFillForms = parser.isSet(allowFillForms);
        o.canAssemble = parser.isSet(allowAssemble);
        o.canPrintHighQuality = !parser.isSet(lowResPrint);
        // 40-bit security has no bits for these: refused rather than silently
        // written as something else.
        if (o.keyLength == 40)
            for (const QCommandLineOption *option : {&allowFillForms, &allowAssemble, &lowResPrint})
                if (parser.isSet(*option))
                    return usageError(QStringLiteral("--%1 cannot be expressed with --key-length 40")
                                          .arg(option->names().last()));
        if (parser.isSet(lowResPrint) && parser.isSet(noPrint))
            return usageError(QStringLiteral("--low-res-print and --no-print cannot be used together"));
        // With a map, whether each file has a password is known once the files are.
        if (o.openPassword.isEmpty() && o.permissionPassword.isEmpty() && !parser.isSet(passwordMap))
            return usageError(noPasswordMessage());
    }

    if (parser.isSet(passwordMap)) {
        if (parser.values(passwordMap).size() > 1)
            return usageError(QStringLiteral("--password-map can be given once"));
        std::optional<PasswordMap> map = readPasswordMapArgument(
            parser.value(passwordMap), [&stdinOnce](QByteArray *bytes) { return stdinOnce.take(bytes); },
            &error);
        if (!map)
            return usageError(error);
        o.hasPasswordMap = true;
        o.passwordMap = std::move(*map);
    }

    if (o.command != Command::List) {
        if (parser.isSet(output) && o.inPlace)
            return usageError(QStringLiteral("--output and --in-place cannot be used together"));
        if (!parser.isSet(output) && !o.inPlace)
            return usageError(QStringLiteral("say where outputs go: --output DIR or --in-place"));
        if (parser.isSet(output)) {
            o.outputFolder = absoluteClean(parser.value(output));
            const QFileInfo info(o.outputFolder);
            if (!info.isDir())
                return usageError(
                    QStringLiteral("Output folder missing or invalid path! (%1)").arg(o.outputFolder));
            if (!info.isWritable())
                return usageError(QStringLiteral("Output folder is non-writable! (%1)").arg(o.outputFolder));
        }
        if (parser.isSet(logDir))
            o.logFolder = absoluteClean(parser.value(logDir));
    }
    if (parser.isSet(jobs)) {
        bool ok = false;
        o.jobs = parser.value(jobs).toInt(&ok);
        if (!ok || o.jobs < 1 || o.jobs > 256)
            return usageError(QStringLiteral("--jobs must be a whole number from 1 to 256"));
    }

    for (const QString &path : std::as_const(positional)) {
        const QString absolute = absoluteClean(path);
        if (!QFileInfo::exists(absolute))
            return usageError(QStringLiteral("no such file or folder: %1").arg(path));
        o.paths << absolute;
    }
    if (parser.isSet(nul) && !parser.isSet(filesFrom))
        return usageError(QStringLiteral("--null goes with --files-from"));
    o.nulSeparated = parser.isSet(nul);
    for (const QString &list : parser.values(filesFrom)) {
        ListSource source;
        if (list == QLatin1String("-")) {
            source.name = QStringLiteral("standard input");
            source.spool = stdinOnce.spool(readStdinChunk);
            if (!source.spool)
                return usageError(QStringLiteral("standard input can be read by one option only"));
            source.file = source.spool->fileName();
        } else {
            source.name = list;
            source.file = absoluteClean(list);
            // Read as the run goes: a device named by mistake would never end.
            const QFileInfo info(source.file);
            QFile probe(source.file);
            if (!(info.isFile() || isFifo(source.file)) || !probe.open(QIODevice::ReadOnly))
                return usageError(QStringLiteral("cannot read the list of files: %1").arg(list));
        }
        o.lists << source;
    }
    if (parser.isSet(shard)) {
        o.shard = parseShard(parser.value(shard));
        if (!o.shard)
            return usageError(QStringLiteral("--shard must be K/N, a whole number K from 1 to N"));
    }
    if (parser.isSet(resume)) {
        o.resumeLog = absoluteClean(parser.value(resume));
        if (!QFileInfo(o.resumeLog).isFile())
            return usageError(QStringLiteral("no such log to resume: %1").arg(parser.value(resume)));
    }

    result.kind = ParseResult::Kind::Run;
    return result;
}

} // namespace lockleaf::cli
