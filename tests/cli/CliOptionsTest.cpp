#include "cli/CliOptions.h"
#include "cli/CliRunner.h"
#include "cli/Interrupt.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QStandardPaths>

#include <gtest/gtest.h>

using namespace lockleaf::cli;
using testsupport::TempDir;

namespace
{

class CliParse : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QDir(tmp.path()).mkpath("in");
        QDir(tmp.path()).mkpath("out");
        testsupport::writeFile(tmp.file("a-file"), "x");
        testsupport::writeFile(tmp.file("pw.txt"), "first\r\n\r\nsecond\nthird\n");
    }

    ParseResult parse(QStringList args, const QByteArray &stdinBytes = {})
    {
        args.prepend("lockleaf-cli");
        return parseArguments(args, [stdinBytes] { return stdinBytes; });
    }

    TempDir tmp;
};

} // namespace

TEST_F(CliParse, usageErrors_areRefusedWithAReason)
{
    const QString in = tmp.file("in");
    const QString out = tmp.file("out");
    const QList<QStringList> cases{
        {},                                                // no command
        {"shred", in},                                     // unknown command
        {"unsecure", "-o", out},                           // no PATH
        {"unsecure", "--frobnicate", "-o", out, in},       // unknown option
        {"unsecure", in},                                  // nowhere to write
        {"unsecure", "-o", out, "--in-place", in},         // two places
        {"unsecure", "-o", tmp.file("missing"), in},       // output folder missing
        {"unsecure", "-o", tmp.file("a-file"), in},        // output folder is a file
        {"unsecure", "-o", out, tmp.file("nothing-here")}, // PATH missing
        {"list", "-o", out, in},                           // writing option on list
        {"list", "--backup", in},                          //
        {"unsecure", "--no-copy", "-o", out, in},          // secure option on unsecure
        {"secure", "--open-password", "x", "--key-length", "64", "-o", out, in},
        {"secure", "--open-password", "x", "--open-password-file", tmp.file("pw.txt"), "-o", out, in},
        {"unsecure", "--password-file", tmp.file("no-such-file"), "-o", out, in},
        {"unsecure", "--password-file", tmp.file("in"), "-o", out, in}, // a folder is no password file
        {"secure", "--password-file", "-", "--open-password-file", "-", "-o", out, in},
        {"unsecure", "--jobs", "0", "-o", out, in},
        {"unsecure", "--jobs", "257", "-o", out, in},
        {"unsecure", "--jobs", "two", "-o", out, in},
        {"unsecure", "--jobs", "-o", out, in}, // the value is missing
    };
    for (const QStringList &args : cases) {
        const ParseResult r = parse(args, "pw\n");
        EXPECT_EQ(r.kind, ParseResult::Kind::UsageError) << args.join(' ').toStdString();
        EXPECT_FALSE(r.error.isEmpty()) << args.join(' ').toStdString();
    }
}

TEST_F(CliParse, jobs_defaultIsPerCore_boundsAccepted)
{
    const QString in = tmp.file("in");
    const QString out = tmp.file("out");
    EXPECT_EQ(parse({"unsecure", "-o", out, in}).options.jobs, 0);
    for (int n : {1, 2, 256}) {
        const ParseResult r = parse({"unsecure", "--jobs", QString::number(n), "-o", out, in});
        EXPECT_EQ(r.kind, ParseResult::Kind::Run) << r.error.toStdString();
        EXPECT_EQ(r.options.jobs, n);
    }
    EXPECT_EQ(parse({"unsecure", "--jobs=3", "-o", out, in}).options.jobs, 3);
    // Listing opens files too, so it takes the same count.
    EXPECT_EQ(parse({"list", "--jobs", "2", in}).options.jobs, 2);
    EXPECT_EQ(parse({"list", "--jobs", "0", in}).kind, ParseResult::Kind::UsageError);
}

TEST_F(CliParse, passwordsAndSecureOptions_fromArgumentsFilesAndStdin)
{
    testsupport::writeFile(tmp.file("open.txt"), QString::fromUtf8("pässwört\nignored\n").toUtf8());
    QDir::setCurrent(tmp.path());
    ParseResult r = parse({"secure",    "-p",
                           "one",       "--password",
                           "two",       "--password-file",
                           "pw.txt",    "--open-password-file",
                           "open.txt",  "--permission-password-file",
                           "-",         "--key-length",
                           "256",       "--no-print",
                           "--no-copy", "--backup",
                           "-o",        "out",
                           "--log-dir", "logs",
                           "in/"},
                          "owner secret\r\n");
    ASSERT_EQ(r.kind, ParseResult::Kind::Run) << r.error.toStdString();
    const Options &o = r.options;
    EXPECT_EQ(o.passwords, QStringList({"one", "two", "first", "second", "third"}));
    EXPECT_EQ(o.openPassword, QString::fromUtf8("pässwört"));
    EXPECT_EQ(o.permissionPassword, "owner secret");
    EXPECT_EQ(o.keyLength, 256);
    EXPECT_FALSE(o.canPrint || o.canCopy);
    EXPECT_TRUE(o.backup);
    EXPECT_EQ(o.outputFolder, tmp.file("out"));
    EXPECT_EQ(o.logFolder, tmp.file("logs"));
    EXPECT_EQ(o.paths, QStringList{tmp.file("in")});

    r = parse({"secure", "--permission-password", "p", "--in-place", "in"});
    ASSERT_EQ(r.kind, ParseResult::Kind::Run);
    EXPECT_EQ(r.options.keyLength, 256);
    EXPECT_TRUE(r.options.canPrint && r.options.canCopy && r.options.inPlace && !r.options.backup);

    r = parse({"secure", "--open-password", "", "-o", "out", "in"});
    EXPECT_EQ(r.error, "Please provide atleast one password to secure pdf document!");
    EXPECT_EQ(parse({"list", "--help"}).kind, ParseResult::Kind::Help);
    EXPECT_EQ(parse({"--version"}).kind, ParseResult::Kind::Version);
}

TEST(CliInProcess, interruptBeforeTheRun_cancelsWithoutWriting)
{
    QStandardPaths::setTestModeEnabled(true);
    TempDir tmp;
    QDir(tmp.path()).mkpath("out");
    testsupport::makePdf(tmp.file("a.pdf"));
    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    CliIo io;
    io.out = &out;
    io.err = &err;
    requestInterrupt();
    const int status = runCli(
        {"lockleaf-cli", "unsecure", "-o", tmp.file("out"), "--log-dir", tmp.file("logs"), tmp.file("a.pdf")},
        io);
    clearInterrupt();
    err.flush();
    EXPECT_EQ(status, 130);
    EXPECT_TRUE(errText.contains("Process cancelled!"));
    EXPECT_TRUE(QDir(tmp.file("out")).isEmpty());
}
