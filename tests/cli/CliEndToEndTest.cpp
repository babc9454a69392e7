// lockleaf-cli as a user runs it: a real process over real files.

#include "support/TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <csignal>

using testsupport::TempDir;

namespace
{

struct CliResult {
    int exitCode = -1;
    QString out;
    QString err;
    QStringList lines() const { return out.split('\n', Qt::SkipEmptyParts); }
};

class CliProcess : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char *dir : {"in", "out", "home", "data", "config"})
            QDir(tmp.path()).mkpath(dir);
    }

    QString cli() const { return testsupport::binDir() + "/lockleaf-cli"; }
    QString in(const QString &name = {}) const { return tmp.file("in") + (name.isEmpty() ? "" : "/" + name); }
    QString out(const QString &name = {}) const
    {
        return tmp.file("out") + (name.isEmpty() ? "" : "/" + name);
    }

    // The child gets a home of its own, so the app's real settings and logs are
    // out of reach and anything it would write there can be seen.
    void prepare(QProcess &p) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", tmp.file("home"));
        env.insert("XDG_DATA_HOME", tmp.file("data"));
        env.insert("XDG_CONFIG_HOME", tmp.file("config"));
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(tmp.path());
    }

    CliResult run(const QStringList &args, const QByteArray &stdinBytes = {})
    {
        QProcess p;
        prepare(p);
        p.start(cli(), args);
        EXPECT_TRUE(p.waitForStarted(10000));
        p.write(stdinBytes);
        p.closeWriteChannel();
        EXPECT_TRUE(p.waitForFinished(120000));
        CliResult r;
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

    static QString logPathOf(const CliResult &r)
    {
        const auto m = QRegularExpression("^Log: (.+)$", QRegularExpression::MultilineOption).match(r.out);
        return m.hasMatch() ? m.captured(1) : QString();
    }

    static QStringList logStatuses(const QString &path)
    {
        QStringList statuses;
        QXmlStreamReader xml(testsupport::readFile(path));
        if (!xml.readNextStartElement() || xml.name() != QLatin1String("Log"))
            return {"<no Log root>"};
        while (xml.readNextStartElement()) {
            statuses << xml.attributes().value("Status").toString();
            xml.skipCurrentElement();
        }
        if (xml.hasError())
            statuses << "<xml error>";
        return statuses;
    }

    static QString pdfinfo(const QString &path, const QString &userPassword)
    {
        return QString::fromUtf8(testsupport::runProgram("pdfinfo", {"-upw", userPassword, path}).out);
    }

    TempDir tmp;
};

} // namespace

TEST_F(CliProcess, secureFolder_eachKeyLengthAsReadersSeeIt)
{
    testsupport::makePdf(in("a.pdf"), 2, {{"Title", "Kept"}}, "AMARK");
    testsupport::makePdf(in("B.PDF"));
    testsupport::writeFile(in("notes.txt"), "not a pdf");

    const struct {
        QString bits;
        QString revision;
    } cases[] = {{"40", "R = 2"}, {"128", "R = 4"}, {"256", "R = 6"}};
    for (const auto &c : cases) {
        const CliResult r =
            run({"secure", "--open-password-file", "-", "--permission-password", "own", "--key-length",
                 c.bits, "--no-print", "-o", out(), "--log-dir", tmp.file("logs"), in()},
                "open sesame\n");
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QStringList lines = r.lines();
        ASSERT_GE(lines.size(), 5) << r.out.toStdString();
        EXPECT_EQ(lines[0], "Secured Completed\t" + in("B.PDF"));
        EXPECT_EQ(lines[1], "Secured Completed\t" + in("a.pdf"));
        EXPECT_EQ(lines[2], "All files splitted successfully.");
        EXPECT_TRUE(lines[3].startsWith("Total Time Taken : ")) << lines[3].toStdString();
        EXPECT_TRUE(lines[3].endsWith(" 2/2"));
        EXPECT_EQ(logStatuses(logPathOf(r)), QStringList({"Secured Completed", "Secured Completed"}));

        const QString enc = testsupport::showEncryption(out("a.pdf"), "own");
        EXPECT_TRUE(enc.contains(c.revision)) << c.bits.toStdString() << enc.toStdString();
        const QString info = pdfinfo(out("a.pdf"), "open sesame");
        EXPECT_TRUE(info.contains(QRegularExpression("Encrypted:\\s+yes \\(print:no copy:yes")))
            << info.toStdString();
        EXPECT_TRUE(info.contains(QRegularExpression("Title:\\s+Kept")));
        EXPECT_TRUE(testsupport::pdfText(out("a.pdf"), "open sesame").contains("AMARK"));
        EXPECT_NE(testsupport::runProgram("qpdf", {"--show-npages", out("a.pdf")}).exitCode, 0);
    }
    EXPECT_FALSE(QFileInfo::exists(out("notes.txt")));
    // Never the app's saved settings; its own Logs folder only when no --log-dir.
    EXPECT_TRUE(QDir(tmp.file("config")).isEmpty());
    EXPECT_TRUE(QDir(tmp.file("data")).isEmpty());
}

TEST_F(CliProcess, unsecure_recursiveWithPasswordsFromStdin_andFailuresGiveExitOne)
{
    QDir().mkpath(in("sub"));
    testsupport::makeEncryptedPdf(in("sub/deep.pdf"), "second", "o", 256);
    testsupport::makeEncryptedPdf(in("top.pdf"), "first", "o", 40);
    testsupport::makeEncryptedPdf(in("nocopy.pdf"), "first", "o", 128, {"--extract=n"});
    testsupport::makeEncryptedPdf(in("unknown.pdf"), "zzz", "o", 128);
    testsupport::makePdf(in(".hidden.pdf"));

    const CliResult r = run({"unsecure", "--password-file", "-", "-r", "-o", out(), in()}, "first\nsecond\n");
    EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
    const QStringList lines = r.lines();
    ASSERT_GE(lines.size(), 6) << r.out.toStdString();
    EXPECT_EQ(lines[0], "Permission Password Required.\t" + in("nocopy.pdf"));
    EXPECT_EQ(lines[1], "Un-Secured Completed\t" + in("sub/deep.pdf"));
    EXPECT_EQ(lines[2], "Un-Secured Completed\t" + in("top.pdf"));
    EXPECT_EQ(lines[3], "Unable to read secured pdf docuemnt!\t" + in("unknown.pdf"));
    EXPECT_EQ(lines[4], "Total 2 files splitted successfully.");
    for (const char *name : {"deep.pdf", "top.pdf"})
        EXPECT_TRUE(testsupport::showEncryption(out(name), "").contains("File is not encrypted")) << name;
    EXPECT_EQ(QDir(out()).entryList(QDir::Files | QDir::Hidden), QStringList({"deep.pdf", "top.pdf"}));

    // Without --log-dir the log goes to the app's Logs folder (created when missing).
    const QString logPath = logPathOf(r);
    EXPECT_TRUE(logPath.startsWith(tmp.file("data") + "/Corvalen/Lockleaf1/Logs/")) << logPath.toStdString();
    EXPECT_EQ(logStatuses(logPath).size(), 4);
    EXPECT_TRUE(QDir(tmp.file("config")).isEmpty());
}

TEST_F(CliProcess, inPlaceWithBackup_replacesSourcesAndKeepsCopies)
{
    testsupport::makePdf(in("doc.pdf"), 1, {}, "DOCMARK");
    const QByteArray before = testsupport::readFile(in("doc.pdf"));
    const CliResult r = run({"secure", "--open-password", "pw", "--in-place", "--backup", "--log-dir",
                             tmp.file("logs"), in("doc.pdf")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList names = QDir(in()).entryList(QDir::Files | QDir::Hidden);
    ASSERT_EQ(names.size(), 2) << names.join(", ").toStdString();
    EXPECT_EQ(names[0], "doc.pdf");
    EXPECT_TRUE(QRegularExpression("^doc_\\d{14}_bak\\.pdf$").match(names[1]).hasMatch())
        << names[1].toStdString();
    EXPECT_EQ(testsupport::readFile(in(names[1])), before);
    EXPECT_TRUE(testsupport::pdfText(in("doc.pdf"), "pw").contains("DOCMARK"));
    EXPECT_TRUE(testsupport::showEncryption(in("doc.pdf"), "pw").contains("R = 4"));
}

TEST_F(CliProcess, list_printsTheExportAndWritesNothing)
{
    testsupport::makePdf(in("a.pdf"), 3);
    testsupport::makeEncryptedPdf(in("s.pdf"), "pw", "o", 128, {}, 2);
    testsupport::makeEncryptedPdf(in("t.pdf"), "other", "o", 128);
    const CliResult r = run({"list", "-p", "pw", in()});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList lines = r.out.split('\n');
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], "Name\tPages\tSize\tType\tModified Date\tAccessed Date\tCreated Date\tLocation");
    EXPECT_TRUE(lines[1].startsWith("a.pdf\t3\t"));
    EXPECT_TRUE(lines[2].startsWith("s.pdf (SECURED) \t2\t"));
    EXPECT_TRUE(lines[3].startsWith("t.pdf (SECURED) \t0\t"));
    EXPECT_TRUE(lines[1].endsWith("\t" + in()));
    EXPECT_EQ(QDir(in()).entryList(QDir::Files | QDir::Hidden).size(), 3);
    EXPECT_TRUE(QDir(tmp.file("data")).isEmpty());
}

TEST_F(CliProcess, usageErrors_exitTwoWithMessage)
{
    testsupport::makePdf(in("a.pdf"));
    CliResult r = run({"secure", "-o", out(), in()});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "Please provide atleast one password to secure pdf document!\n");
    EXPECT_TRUE(r.out.isEmpty());

    r = run({"unsecure", in()});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains("--output DIR or --in-place"));

    r = run({"unsecure", "--password-file", tmp.file("nope.txt"), "-o", out(), in()});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains("cannot read password file"));

    r = run({"unsecure", "-o", out()});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains("missing PATH"));

    r = run({"--help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.contains("Examples:"));
    EXPECT_TRUE(QDir(out()).isEmpty());
}

TEST_F(CliProcess, sigintMidRun_finishesFileInHandSavesLogExits130)
{
    // Enough work that the run is still going when the signal lands.
    constexpr int files = 120;
    testsupport::makePdf(in("seed.pdf"), 400);
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
        const auto check = testsupport::runProgram("qpdf", {"--check", "--password=pw", out(name)});
        EXPECT_EQ(check.exitCode, 0) << name.toStdString() << check.out.toStdString();
    }
}
