#include "cli/CliRunner.h"
#include "cli/Interrupt.h"
#include "model/PasswordMap.h"
#include "platform/ProcessSecrets.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include <cstdio>
#include <unistd.h>

int main(int argc, char **argv)
{
    lockleaf::keepSecretsOutOfCoreDumps();
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Corvalen"));
    QCoreApplication::setApplicationName(QStringLiteral(LOCKLEAF_DISPLAY_TITLE));
    QCoreApplication::setApplicationVersion(QStringLiteral(LOCKLEAF_VERSION));
    lockleaf::cli::installInterruptHandlers();

    QTextStream out(stdout);
    QTextStream err(stderr);
    lockleaf::cli::CliIo io;
    io.out = &out;
    io.err = &err;
    io.errIsTerminal = ::isatty(STDERR_FILENO) == 1;
    io.readStdin = [] {
        // Ctrl-C ends a wait for input; the most anything read from standard
        // input may hold (a password map), and one byte to tell it is more.
        const lockleaf::cli::InterruptibleInput interruptible;
        QFile in;
        if (!in.open(stdin, QIODevice::ReadOnly))
            return QByteArray();
        return in.read(lockleaf::kMaxPasswordMapBytes + 1);
    };
    QFile input;
    io.readStdinChunk = [&input](qint64 size) {
        if (!input.isOpen() && !input.open(stdin, QIODevice::ReadOnly))
            return QByteArray();
        return input.read(size);
    };
    const int status = lockleaf::cli::runCli(QCoreApplication::arguments(), io);
    out.flush();
    err.flush();
    return status;
}
