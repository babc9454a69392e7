// lockleaf-cli as a user runs it: a real process over real files.

#include "cli/CliProcess.h"
#include "support/TestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/mount.h>
#include <sys/stat.h>

using namespace testsupport;

// What the outputs hold is checked by the engine suites; here: the command
// line's wiring, its report, its exit codes and what it leaves alone.
TEST_F(CliProcess, secureFolder_reportsEachFileAndWritesOnlyOutputs)
{
    makePdf(in("a.pdf"), 2);
    makePdf(in("B.PDF"));
    writeFile(in("notes.txt"), "not a pdf");
    CliResult r = run({"secure", "--open-password-file", "-", "--permission-password", "own", "--key-length",
                       "256", "--no-print", "-o", out(), "--log-dir", tmp.file("logs"), in()},
                      "open sesame\n");
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    QStringList lines = r.lines();
    ASSERT_EQ(lines.size(), 5) << r.out.toStdString();
    EXPECT_EQ(lines.mid(0, 3),
              QStringList({"Secured Completed\t" + in("B.PDF"), "Secured Completed\t" + in("a.pdf"),
                           "All files splitted successfully."}));
    EXPECT_TRUE(QRegularExpression("^Total Time Taken : [0-9]+ [^ ]+( [0-9]+ [^ ]+)* 2/2$")
                    .match(lines[3])
                    .hasMatch())
        << lines[3].toStdString();
    EXPECT_EQ(logStatuses(logPathOf(r)), QStringList({"Secured Completed", "Secured Completed"}));
    // The options reached the engine: key length, both passwords, no printing.
    const QJsonObject enc = encryptionJson(out("a.pdf"), "open sesame");
    EXPECT_EQ(encryptionParameters(enc).value("R").toInt(), 6);
    EXPECT_FALSE(encryptionCapabilities(enc).value("printhigh").toBool());
    EXPECT_TRUE(encryptionJson(out("a.pdf"), "own").value("ownerpasswordmatched").toBool());
    EXPECT_EQ(QDir(out()).entryList(QDir::Files | QDir::Hidden, QDir::Name | QDir::IgnoreCase),
              QStringList({"a.pdf", "B.PDF"}));

    // The app's saved settings and its own folder were never touched.
    EXPECT_TRUE(QDir(tmp.file("config")).isEmpty());
    EXPECT_TRUE(QDir(tmp.file("data")).isEmpty());
}

TEST_F(CliProcess, unsecureRecursive_passwordsFromStdin_failuresGiveExitOne)
{
    QDir().mkpath(in("sub"));
    makeEncryptedPdf(in("sub/deep.pdf"), "second", "o", 256);
    makeEncryptedPdf(in("top.pdf"), "first", "o", 40);
    makeEncryptedPdf(in("nocopy.pdf"), "first", "o", 128, {"--extract=n"});
    makeEncryptedPdf(in("unknown.pdf"), "zzz", "o", 128);
    makePdf(in(".hidden.pdf"));
    const CliResult r = run({"unsecure", "--password-file", "-", "-r", "-o", out(), in()}, "first\nsecond\n");
    EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
    EXPECT_EQ(
        r.lines().mid(0, 6),
        QStringList({"Permission Password Required.\t" + in("nocopy.pdf"),
                     "Un-Secured Completed\t" + in("sub/deep.pdf"), "Un-Secured Completed\t" + in("top.pdf"),
                     "Unable to read secured pdf docuemnt!\t" + in("unknown.pdf"),
                     "2 of 4 files written, 2 failed.",
                     "Please check each file's status or the log for the reasons."}));
    EXPECT_EQ(QDir(out()).entryList(QDir::Files | QDir::Hidden), QStringList({"deep.pdf", "top.pdf"}));
    // No --log-dir: the app's Logs folder, created on demand.
    const QString logPath = logPathOf(r);
    EXPECT_TRUE(logPath.startsWith(tmp.file("data") + "/Corvalen/Lockleaf1/Logs/")) << logPath.toStdString();
    EXPECT_EQ(logStatuses(logPath).size(), 4);
}

TEST_F(CliProcess, listWritesNothing_usageErrorExitsTwo)
{
    makePdf(in("a.pdf"), 3);
    makeEncryptedPdf(in("s.pdf"), "pw", "o", 128, {}, 2);
    CliResult r = run({"list", "-p", "pw", in()});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList lines = r.out.split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], "Name\tPages\tSize\tType\tModified Date\tAccessed Date\tCreated Date\tLocation");
    EXPECT_TRUE(lines[1].startsWith("a.pdf\t3\t") && lines[1].endsWith("\t" + in()));
    EXPECT_TRUE(lines[2].startsWith("s.pdf (SECURED) \t2\t"));
    EXPECT_EQ(QDir(in()).entryList(QDir::Files | QDir::Hidden).size(), 2);

    // --json: one object per file with the listing's columns, nothing else on stdout.
    r = run({"list", "--json", "-p", "pw", in()});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList objects = r.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(objects.size(), 2) << r.out.toStdString();
    const QJsonObject a = QJsonDocument::fromJson(objects[0].toUtf8()).object();
    const QJsonObject s = QJsonDocument::fromJson(objects[1].toUtf8()).object();
    EXPECT_EQ(QStringList({a["name"].toString(), s["name"].toString()}), QStringList({"a.pdf", "s.pdf"}));
    EXPECT_EQ(QList<int>({a["pages"].toInt(), s["pages"].toInt()}), QList<int>({3, 2}));
    EXPECT_EQ(QList<bool>({a["secured"].toBool(true), s["secured"].toBool()}), QList<bool>({false, true}));
    EXPECT_EQ(a["location"].toString(), in());
    EXPECT_EQ(a["path"].toString(), in("a.pdf"));
    EXPECT_GT(a["size"].toInteger(), 0);
    EXPECT_FALSE(a["sizeText"].toString().isEmpty());
    EXPECT_EQ(a["type"].toString(), "pdf");
    EXPECT_TRUE(QDateTime::fromString(a["modified"].toString(), Qt::ISODate).isValid())
        << a["modified"].toString().toStdString();
    EXPECT_TRUE(a.contains("accessed") && a.contains("created"));
    EXPECT_TRUE(QDir(tmp.file("data")).isEmpty());

    r = run({"secure", "-o", out(), in()});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "Please provide atleast one password to secure pdf document!\n");
    r = run({"--help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.contains("Examples:") && r.out.contains("process list"));
    EXPECT_TRUE(r.out.contains("24-hour") && r.out.contains("_bak (SECURED).EXT")) << "backup names";
    EXPECT_TRUE(r.out.contains("\\xHH") && r.out.contains("a (2).pdf")) << "escapes and output names";
    EXPECT_TRUE(QDir(out()).isEmpty());
}

TEST_F(CliProcess, sigintMidRun_finishesFileInHandSavesLogExits130)
{
    // Enough work that the run is still going when the signal lands.
    constexpr int files = 120;
    makePdf(in("seed.pdf"), 400);
    for (int i = 0; i < files; ++i)
        ASSERT_TRUE(QFile::copy(in("seed.pdf"), in(QString("f%1.pdf").arg(i, 3, 10, QChar('0')))));
    QFile::remove(in("seed.pdf"));

    QProcess p;
    prepare(p);
    p.start(cli(), {"secure", "--open-password", "pw", "-o", out(), "--log-dir", tmp.file("logs"), in()});
    ASSERT_TRUE(p.waitForStarted(10000));
    QByteArray seen;
    while (!seen.contains('\n') && p.state() == QProcess::Running) {
        p.waitForReadyRead(10000);
        seen += p.readAllStandardOutput();
    }
    ASSERT_TRUE(seen.contains('\n')) << "no status line before the end";
    ::kill(static_cast<pid_t>(p.processId()), SIGINT);
    ASSERT_TRUE(p.waitForFinished(120000));
    seen += p.readAllStandardOutput();
    const QString text = QString::fromUtf8(seen);

    EXPECT_EQ(p.exitCode(), 130) << text.toStdString();
    EXPECT_TRUE(text.contains("\nProcess cancelled!\n")) << text.toStdString();
    const QStringList statusLines = text.split('\n').filter("Secured Completed\t");
    EXPECT_GE(statusLines.size(), 1);
    EXPECT_LT(statusLines.size(), files);
    const QString logPath = logPathOf(CliResult{0, text, {}});
    EXPECT_EQ(logStatuses(logPath).size(), statusLines.size());
    // Every output on disk is complete; nothing half-written or temporary remains.
    const QStringList outputs = QDir(out()).entryList(QDir::Files | QDir::Hidden);
    EXPECT_EQ(outputs.size(), statusLines.size());
    for (const QString &name : outputs) {
        const auto check = runProgram("qpdf", {"--check", "--password=pw", out(name)});
        EXPECT_EQ(check.exitCode, 0) << name.toStdString() << check.out.toStdString();
    }
}

TEST_F(CliProcess, sameNamedSources_keepEveryOutput_andNoRecursionWithoutR)
{
    QDir().mkpath(in("sub"));
    makePdf(in("a.pdf"), 1, {}, "TOP");
    makePdf(in("sub/a.pdf"), 1, {}, "SUB");
    const CliResult flat =
        run({"secure", "--open-password", "pw", "-o", out(), "--log-dir", tmp.file("logs"), in()});
    EXPECT_EQ(flat.exitCode, 0) << flat.err.toStdString();
    EXPECT_FALSE(flat.out.contains("sub")) << "recursed without -r";
    EXPECT_EQ(QDir(out()).entryList(QDir::Files), QStringList({"a.pdf"}));

    QDir().mkpath(tmp.file("out2"));
    const CliResult r = run({"secure", "-r", "--open-password", "pw", "-o", tmp.file("out2"), "--log-dir",
                             tmp.file("logs"), in()});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.lines().mid(0, 2),
              QStringList({"Secured Completed\t" + in("a.pdf"), "Secured Completed\t" + in("sub/a.pdf")}));
    EXPECT_EQ(QDir(tmp.file("out2")).entryList(QDir::Files, QDir::Name), QStringList({"a (2).pdf", "a.pdf"}));
    EXPECT_TRUE(pdfText(tmp.file("out2/a.pdf"), "pw").contains("TOP"));
    EXPECT_TRUE(pdfText(tmp.file("out2/a (2).pdf"), "pw").contains("SUB"));
    EXPECT_TRUE(r.err.contains("written as " + tmp.file("out2/a (2).pdf"))) << r.err.toStdString();
    // Two runs in the same second keep two logs.
    EXPECT_NE(logPathOf(flat), logPathOf(r));
    EXPECT_EQ(QDir(tmp.file("logs")).entryList(QDir::Files).size(), 2);
}

TEST_F(CliProcess, skippedPathsAndUnusableSecurity_areSaidNotSwallowed)
{
    makePdf(in("a.pdf"));
    writeFile(in("notes.txt"), "text");
    QDir().mkpath(in("x.pdf"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(in("pipe.pdf")).constData(), 0600), 0);
    CliResult r = run({"secure", "--open-password", "pw", "-o", out(), "--log-dir", tmp.file("logs"),
                       in("a.pdf"), in("notes.txt"), in("x.pdf"), in("pipe.pdf"), "/dev/zero"});
    EXPECT_EQ(r.exitCode, 1) << r.out.toStdString();
    // Met in path order, as the files are.
    EXPECT_EQ(
        r.lines().mid(0, 5),
        QStringList({"Skipped: not a regular file\t/dev/zero", "Skipped: not a PDF file\t" + in("notes.txt"),
                     "Skipped: not a regular file\t" + in("pipe.pdf"),
                     "Skipped: no PDF files in this folder (subfolders not included)\t" + in("x.pdf"),
                     "Secured Completed\t" + in("a.pdf")}));
    // The summary does not read as "all done" with entries left out.
    EXPECT_TRUE(r.lines().contains("4 entries were skipped (see the \"Skipped:\" lines)."))
        << r.out.toStdString();
    EXPECT_EQ(
        logStatuses(logPathOf(r)),
        QStringList({"Skipped: not a regular file", "Skipped: not a PDF file", "Skipped: not a regular file",
                     "Skipped: no PDF files in this folder (subfolders not included)", "Secured Completed"}));

    // Refused before anything is read or written: exit 2, the problem named.
    r = run({"secure", "--open-password", QString::fromUtf8("密码"), "--key-length", "128", "-o", out(),
             in("a.pdf")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains("128-bit key cannot carry")) << r.err.toStdString();
    r = run({"secure", "--open-password", "pw", "--no-copy", "-o", out(), in("a.pdf")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains("permission password")) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    // With both permissions allowed an open password alone still does.
    EXPECT_EQ(QDir(out()).entryList(QDir::Files), QStringList({"a.pdf"}));
}

TEST_F(CliProcess, unsecure_usesThePasswordThatGrantsCopying_andEscapesPaths)
{
    makeEncryptedPdf(in("both.pdf"), "OPEN", "PERM", 128, {"--extract=n"});
    makePdf(in("new\nline\t\x1b[31m.pdf"));
    const CliResult r =
        run({"unsecure", "-p", "OPEN", "-p", "PERM", "-o", out(), "--log-dir", tmp.file("logs"), in()});
    EXPECT_EQ(r.exitCode, 0) << r.out.toStdString();
    EXPECT_EQ(r.lines().mid(0, 2),
              QStringList({"Un-Secured Completed\t" + in("both.pdf"),
                           "Un-Secured Completed\t" + in("new\\nline\\t\\x1b[31m.pdf")}));
    EXPECT_FALSE(r.out.contains(QChar(0x1b)));

    // Re-securing needs the same right.
    QDir().mkpath(tmp.file("again"));
    const CliResult again = run({"secure", "-p", "OPEN", "-p", "PERM", "--open-password", "new", "-o",
                                 tmp.file("again"), "--log-dir", tmp.file("logs"), in("both.pdf")});
    EXPECT_EQ(again.exitCode, 0) << again.out.toStdString();
    EXPECT_EQ(again.lines().value(0), "Secured Completed\t" + in("both.pdf"));
}

TEST_F(CliProcess, closedStdout_finishesTheFileInHand_savesTheLog_exits141Quietly)
{
    for (int i = 0; i < 40; ++i)
        makePdf(in(QString("f%1.pdf").arg(i, 2, 10, QChar('0'))), 20);
    QProcess p;
    prepare(p);
    p.start("bash", {"-c", "\"$0\" \"$@\" | head -1; exit ${PIPESTATUS[0]}", cli(), "secure",
                     "--open-password", "pw", "-o", out(), "--log-dir", tmp.file("logs"), in()});
    ASSERT_TRUE(p.waitForFinished(120000));
    EXPECT_EQ(p.exitCode(), 141) << p.readAllStandardError().toStdString();
    EXPECT_TRUE(p.readAllStandardError().isEmpty());
    const QStringList logs = QDir(tmp.file("logs")).entryList(QDir::Files);
    ASSERT_EQ(logs.size(), 1);
    const QStringList statuses = logStatuses(tmp.file("logs/" + logs.first()));
    EXPECT_GE(statuses.size(), 1);
    EXPECT_LT(statuses.size(), 40);
    EXPECT_EQ(QDir(out()).entryList(QDir::Files | QDir::Hidden).size(), statuses.size());
}

TEST_F(CliProcess, logThatCannotBeWritten_isSaidOnStderr_exitOne)
{
    makePdf(in("a.pdf"));
    const QString logs = tmp.file("logs");
    const TmpfsMount readOnly(logs, "size=16k", MS_RDONLY);
    if (!readOnly.mounted())
        GTEST_SKIP() << readOnly.why();
    const CliResult r = run({"secure", "--open-password", "pw", "-o", out(), "--log-dir", logs, in()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("the log could not be written")) << r.err.toStdString();
    EXPECT_FALSE(r.out.contains("Log: "));
    EXPECT_TRUE(QDir(logs).isEmpty());
}

TEST_F(CliProcess, jobs_linesAndOutputsComeAsWithOneJob)
{
    QDir().mkpath(in("sub"));
    for (int i = 0; i < 10; ++i)
        makePdf(in(QString("f%1.pdf").arg(i)), 1 + i % 3);
    makePdf(in("sub/f3.pdf"), 1, {}, "SUB");
    makeEncryptedPdf(in("locked.pdf"), "user", "owner", 128);
    QList<CliResult> results;
    for (const char *jobs : {"1", "3"}) {
        const QString outDir = tmp.file(QString("out-j") + jobs);
        QDir().mkpath(outDir);
        results << run({"unsecure", "-r", "--jobs", jobs, "-p", "wrong", "-o", outDir, "--log-dir",
                        tmp.file("logs"), in()});
        results.last().err.replace(outDir, "<out>");
        EXPECT_EQ(results.last().exitCode, 1) << results.last().err.toStdString(); // locked.pdf fails
    }
    const QStringList one = results.at(0).lines().filter("\t"), three = results.at(1).lines().filter("\t");
    EXPECT_EQ(one.size(), 12);
    EXPECT_EQ(three, one);
    EXPECT_EQ(results.at(1).err, results.at(0).err);
    EXPECT_EQ(QDir(tmp.file("out-j3")).entryList(QDir::Files, QDir::Name),
              QDir(tmp.file("out-j1")).entryList(QDir::Files, QDir::Name));
    EXPECT_TRUE(pdfText(tmp.file("out-j3/f3 (2).pdf")).contains("SUB"));
}

// Each source is its own output's name family twice over (as source and as
// target); with several workers no file may wait for itself.
TEST_F(CliProcess, inPlaceWithSeveralJobs_replacesEverySource)
{
    for (const char *name : {"a.pdf", "b.pdf", "c.pdf"})
        makeEncryptedPdf(in(name), "", "owner", 128, {}, 2);
    const CliResult r = run({"unsecure", "--in-place", "--jobs", "2", "-p", "owner", "--log-dir",
                             tmp.file("logs"), in("a.pdf"), in("b.pdf"), in("c.pdf")},
                            {}, 30000);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.lines().filter("\t").size(), 3) << r.out.toStdString();
    for (const char *name : {"a.pdf", "b.pdf", "c.pdf"}) {
        EXPECT_FALSE(encryptionJson(in(name)).value("encrypted").toBool()) << name;
        EXPECT_EQ(pdfinfoExit(in(name)), 0) << name;
    }
    EXPECT_EQ(QDir(in()).entryList(QDir::Files | QDir::Hidden), (QStringList{"a.pdf", "b.pdf", "c.pdf"}));
}

TEST_F(CliProcess, json_oneObjectPerFileThenTheCounts_nothingElseOnStdout)
{
    QDir().mkpath(in("sub"));
    makeEncryptedPdf(in("a.pdf"), "first", "o", 128, {}, 2);
    makeEncryptedPdf(in("sub/a.pdf"), "first", "o", 128);
    makeEncryptedPdf(in("wrong.pdf"), "zzz", "o", 128);
    writeFile(in("notes.txt"), "text");
    // --quiet does not shorten the JSON report.
    const CliResult r = run({"unsecure", "--json", "-q", "-r", "-p", "first", "-o", out(), "--log-dir",
                             tmp.file("logs"), in(), in("notes.txt")});
    EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
    EXPECT_FALSE(r.out.contains("first")) << "a password reached stdout";
    QList<QJsonObject> objects;
    for (const QString &line : r.lines()) {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(line.toUtf8(), &error);
        EXPECT_TRUE(document.isObject()) << error.errorString().toStdString() << ": " << line.toStdString();
        objects << document.object();
    }
    ASSERT_EQ(objects.size(), 5) << r.out.toStdString();
    auto fields = [&objects](int i) {
        const QJsonObject &o = objects.at(i);
        return QStringList({o["status"].toString(), o["source"].toString(),
                            o["target"].isNull() ? "null" : o["target"].toString(), o["reason"].toString()});
    };
    EXPECT_EQ(fields(0), QStringList({"Skipped: not a PDF file", in("notes.txt"), "null", "not a PDF file"}));
    EXPECT_EQ(fields(1), QStringList({"Un-Secured Completed", in("a.pdf"), out("a.pdf"), ""}));
    EXPECT_EQ(fields(2), QStringList({"Un-Secured Completed", in("sub/a.pdf"), out("a (2).pdf"), ""}));
    EXPECT_EQ(fields(3), QStringList({"Unable to read secured pdf docuemnt!", in("wrong.pdf"), "null",
                                      "Unable to read secured pdf docuemnt!"}));
    EXPECT_EQ(objects.at(1)["pages"].toInt(), 2);
    EXPECT_FALSE(objects.at(1).contains("reason"));
    EXPECT_TRUE(QFileInfo::exists(out("a (2).pdf")));

    const QJsonObject &last = objects.last();
    EXPECT_EQ(QList<int>({last["total"].toInt(-1), last["written"].toInt(-1), last["failed"].toInt(-1),
                          last["skipped"].toInt(-1)}),
              QList<int>({4, 2, 1, 1}));
    EXPECT_EQ(last["summary"].toString(),
              "2 of 3 files written, 1 failed.\nPlease check each file's status or the log for the reasons.");
    const QString log = last["log"].toString();
    EXPECT_TRUE(log.startsWith(tmp.file("logs") + "/") && QFileInfo::exists(log)) << log.toStdString();
    EXPECT_EQ(logStatuses(log).size(), 4);
}
