// Passwords that cannot do what they seem to, through the real lockleaf-cli:
// sources whose AES-256 key entries give a wrong key, passwords the handler
// takes alike or cuts, password files that are not UTF-8 or never end, a
// password read from a FIFO that never comes, and a process whose memory
// (with those passwords) must stay out of core dumps.

#include "CliRunFixture.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace testsupport;

namespace
{

class CliPasswordInput : public CliRunFixture
{
protected:
    // Starts lockleaf-cli reading its open password from a FIFO (as `asUser`
    // when given, through setpriv) and returns once it has opened the FIFO:
    // the writing end is then open in *writer, nothing written.
    bool startWaitingOnFifo(QProcess &p, int *writer, const QString &asUser = {})
    {
        const QString fifo = tmp.file("pw.fifo");
        if (::mkfifo(QFile::encodeName(fifo).constData(), 0666) != 0)
            return false;
        ::chmod(QFile::encodeName(tmp.path()).constData(), 0755);
        ::chmod(QFile::encodeName(fifo).constData(), 0666);
        QStringList args{"secure", "--open-password-file", fifo, "-o", out(), in("a.pdf")};
        if (asUser.isEmpty()) {
            p.start(CliProcess::cli(), args);
        } else {
            p.start("setpriv", QStringList{"--reuid=" + asUser, "--regid=" + asUser, "--clear-groups",
                                           CliProcess::cli()} +
                                   args);
        }
        if (!p.waitForStarted(10000))
            return false;
        // Opening without blocking fails (ENXIO) until the reader has the FIFO open.
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 20000 && p.state() == QProcess::Running) {
            *writer = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
            if (*writer >= 0)
                return true;
            QThread::msleep(20);
        }
        return false;
    }

    // Ends `p` whatever it does, so a failing case cannot hang the suite.
    static void stop(QProcess &p)
    {
        if (p.state() != QProcess::NotRunning) {
            p.kill();
            p.waitForFinished(10000);
        }
    }
};

} // namespace

// qpdf opens such a source with a key that decrypts to garbage and reports no
// error: the source must stay as it was and the file count as failed.
TEST_F(CliPasswordInput, sourceWithDamagedKeyEntry_failsAndStaysAsItWas)
{
    makeEncryptedPdf(in("a.pdf"), "user", "owner", 256); // no object streams: /Encrypt is plain text
    const QByteArray bytes = withKeyEntry(readFile(in("a.pdf")), "/UE");
    ASSERT_FALSE(bytes.isEmpty());
    writeFile(in("a.pdf"), bytes);

    for (const QStringList &args :
         {QStringList{"unsecure", "-p", "user", "--in-place", in("a.pdf")},
          QStringList{"secure", "-p", "user", "--open-password", "new", "--in-place", in("a.pdf")}}) {
        SCOPED_TRACE(args.first().toStdString());
        const RunResult r = cli(args);
        EXPECT_EQ(r.exitCode, 1) << r.out.constData() << r.err.constData();
        EXPECT_FALSE(r.out.contains("Completed\t")) << r.out.constData();
        EXPECT_EQ(readFile(in("a.pdf")), bytes);
    }
}

// Restrictions whose permission password the handler takes as the open
// password, and passwords it would cut, are refused before anything is
// written; a decomposed accent is written as the composed letter.
TEST_F(CliPasswordInput, passwordsTheHandlerTakesAlike_areRefusedBeforeWriting)
{
    makePdf(in("a.pdf"));
    struct Case {
        QStringList args;
        int exitCode;
        const char *says;
    };
    const QString nfdCafe = QString::fromUtf8("cafe\u0301");
    const Case cases[] = {
        {{"--open-password", "same", "--permission-password", "same", "--no-print"}, 2, "same password"},
        {{"--open-password", QString::fromUtf8("\uff21bc"), "--permission-password", "Abc", "--no-copy",
          "--key-length", "256"},
         2,
         "same password"},
        {{"--open-password", QString(40, 'A'), "--permission-password", QString(40, 'A') + "B", "--no-copy",
          "--key-length", "128"},
         2,
         "32 bytes"},
        {{"--open-password", nfdCafe, "--permission-password", "p", "--key-length", "40"}, 0, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        QFile::remove(out("a.pdf"));
        const RunResult r = cli(QStringList{"secure", "-o", out(), in("a.pdf")} + c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err.constData();
        EXPECT_TRUE(r.err.contains(c.says)) << r.err.constData();
        EXPECT_EQ(QFile::exists(out("a.pdf")), c.exitCode == 0);
    }
    // What a reader makes of the typed "café" at 40 bits: one byte for the é.
    EXPECT_EQ(pdfinfoExit(out("a.pdf"), "caf\xe9"), 0);
}

// A password file must be UTF-8 (decoded leniently, its password would only
// open with the replacement characters) and small; either way exit 2 and
// nothing written.
TEST_F(CliPasswordInput, passwordFilesNotUtf8OrEndless_areUsageErrors)
{
    makePdf(in("a.pdf"));
    writeFile(tmp.file("latin1.txt"), "caf\xe9\n");
    writeFile(tmp.file("big.txt"), QByteArray(1024 * 1024, 'a'));
    struct Case {
        QStringList args;
        const char *says;
    };
    const Case cases[] = {
        {{"secure", "--open-password-file", tmp.file("latin1.txt")}, "not valid UTF-8"},
        {{"secure", "--open-password", "o", "--permission-password-file", tmp.file("latin1.txt")},
         "not valid UTF-8"},
        {{"unsecure", "--password-file", tmp.file("latin1.txt")}, "not valid UTF-8"},
        {{"unsecure", "--password-file", tmp.file("big.txt")}, "larger than 16 KiB"},
        {{"secure", "--open-password-file", "/dev/zero"}, "larger than 16 KiB"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        // Bounded, so a reader that never stops fails the case, not the machine.
        const RunResult r =
            runProgram("prlimit", QStringList{"--as=1073741824", CliProcess::cli()} + c.args +
                                      QStringList{"-o", out(), in("a.pdf"), "--log-dir", tmp.file("logs")});
        EXPECT_EQ(r.exitCode, 2) << r.err.constData();
        EXPECT_TRUE(r.err.contains(c.says)) << r.err.constData();
        EXPECT_TRUE(QDir(out()).isEmpty());
    }
}

// A FIFO that is never written to: Ctrl-C and SIGTERM end the wait as they end a run.
TEST_F(CliPasswordInput, signalWhileWaitingForAPasswordFifo_endsTheProgram)
{
    makePdf(in("a.pdf"));
    for (const int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        QFile::remove(tmp.file("pw.fifo"));
        QProcess p;
        int writer = -1;
        ASSERT_TRUE(startWaitingOnFifo(p, &writer)) << p.readAllStandardError().constData();
        ::kill(static_cast<pid_t>(p.processId()), signal);
        const bool ended = p.waitForFinished(10000);
        ::close(writer);
        stop(p);
        ASSERT_TRUE(ended) << "still waiting for the password after the signal";
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 130);
        EXPECT_TRUE(p.readAllStandardError().contains("Process cancelled!"));
        EXPECT_TRUE(QDir(out()).isEmpty());
    }
}

// Not dumpable, the kernel gives the process's /proc files to root instead of
// the user it runs as: seen from outside, while it holds a password file open.
TEST_F(CliPasswordInput, runningProgram_isNotDumpable)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "running the program as another user needs root";
    makePdf(in("a.pdf"));
    QProcess p;
    int writer = -1;
    ASSERT_TRUE(startWaitingOnFifo(p, &writer, "65534")) << p.readAllStandardError().constData();
    const FileMode proc = fileMode(QString("/proc/%1/status").arg(p.processId()));
    ::close(writer);
    p.waitForFinished(10000);
    stop(p);
    EXPECT_EQ(proc.uid, 0) << "the program runs as uid 65534 and is dumpable (-1: no /proc entry)";
}
