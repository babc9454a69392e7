#pragma once

#include "cli/ListedPaths.h"
#include "cli/Shard.h"
#include "model/PasswordMap.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace lockleaf::cli
{

enum class Command { Secure, Unsecure, List };

// Everything a lockleaf-cli invocation asks for, after validation.
struct Options {
    Command command = Command::List;
    QStringList paths; // the PATH arguments: absolute, cleaned; each exists
    // --files-from lists, read as the run goes (after the PATH arguments).
    QList<ListSource> lists;
    bool nulSeparated = false;  // --null
    std::optional<Shard> shard; // --shard K/N: only the files of shard K
    QString resumeLog;          // --resume: an earlier run's log, absolute
    bool recursive = false;
    QString outputFolder; // absolute; "" with --in-place and for list
    bool inPlace = false;
    bool backup = false;
    bool allowSigned = false; // rewrite digitally signed sources too
    // Tried in order on secured sources: -p values, then --password-file lines.
    QStringList passwords;
    bool savedPasswords = false; // unsecure and list: then the window's saved list
    QString openPassword;        // secure only; "" when not given
    QString permissionPassword;  // secure only; "" when not given
    int keyLength = 256;         // 40, 128 or 256
    bool canPrint = true;
    bool canCopy = true;
    // The finer permissions; the defaults are what a secured output had before them.
    bool canModify = false;
    bool canAnnotate = false;
    bool canFillForms = false;
    bool canAssemble = false;
    bool canPrintHighQuality = true;
    // --password-map: each file's own passwords, keyed by normalisedMapPath
    // (relative paths taken from the current folder); free of problems.
    bool hasPasswordMap = false;
    PasswordMap passwordMap;
    QString logFolder; // "" means the app's Logs folder
    int jobs = 0;      // files worked on at once, 1..256; 0: one per core
    bool quiet = false;
    bool json = false; // JSON lines on standard output (secure and unsecure)
};

struct ParseResult {
    enum class Kind { Run, Help, Version, UsageError };
    Kind kind = Kind::UsageError;
    Options options;
    QString error; // for UsageError: one line, without the program name
};

// The most a password file (--password-file and the --...-password-file
// forms) may hold: over a hundred passwords of the most bytes a key takes.
inline constexpr qint64 kMaxPasswordFileBytes = 16 * 1024;

// Parses `arguments` (arguments[0] is the program name). Password files are read
// here, so an unreadable one is a usage error; `readStdin` supplies standard
// input (read at most once) for the "-" file name. Never throws.
// `readStdinChunk`, when given, reads standard input a piece at a time (at
// most the size asked; empty at its end) for lists of any length.
ParseResult parseArguments(const QStringList &arguments, const std::function<QByteArray()> &readStdin,
                           const std::function<QByteArray(qint64)> &readStdinChunk = {});

// The --help text.
QString usageText();

// The exact message of a secure request without any password.
QString noPasswordMessage();

} // namespace lockleaf::cli
