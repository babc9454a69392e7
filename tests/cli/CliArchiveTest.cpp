// Runs over large trees: lists of paths, shards over several processes, a
// log that outlives a killed run, and resuming from it.

#include "cli/CliProcess.h"
#include "engine/Log.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>
#include <QThread>

#include <csignal>
#include <sys/stat.h>

using namespace lockleaf;

namespace
{

// The sources that `path` records as written, by full path.
QSet<QString> writtenIn(const QString &path)
{
    QSet<QString> sources;
    for (const LogFiles &record : readLogFile(path).records)
        if (record.status() == "Secured Completed")
            sources.insert(QDir(record.sourcePath()).filePath(record.filename()));
    return sources;
}

QString changeStamp(const QString &path)
{
    struct stat st {
    };
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return QString("%1:%2.%3").arg(st.st_ino).arg(st.st_mtim.tv_sec).arg(st.st_mtim.tv_nsec);
}

} // namespace

TEST_F(CliProcess, filesFrom_linesAndNulLists_badLinesSkippedWithTheirNumber)
{
    makePdf(in("a.pdf"));
    makePdf(in("b c.pdf"));
    QDir().mkpath(in("sub"));
    makePdf(in("sub/d.pdf"));
    // find -print0 output: names with spaces and line ends survive.
    makePdf(in("odd\nname.pdf"));
    writeFile(tmp.file("list0"),
              (in("odd\nname.pdf") + '\0' + in("gone.pdf") + '\0' + in("sub") + '\0').toUtf8());
    writeFile(tmp.file("list"), ("in/a.pdf\r\n\n" + in("b c.pdf") + "\n").toUtf8());

    CliResult r = run({"list", "--files-from", "-", "--null"}, readFile(tmp.file("list0")));
    EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
    QStringList lines = r.lines();
    ASSERT_EQ(lines.size(), 3) << r.out.toStdString();
    EXPECT_TRUE(lines[1].startsWith("odd\\nname.pdf\t"));
    EXPECT_TRUE(lines[2].startsWith("d.pdf\t"));
    EXPECT_TRUE(r.err.contains(in("gone.pdf") + ": line 2 of standard input: no such file or folder"))
        << r.err.toStdString();

    // Lines with either line end, empty ones passed over, beside PATH arguments.
    r = run({"list", "--files-from", "list", in("sub")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    lines = r.lines();
    ASSERT_EQ(lines.size(), 4) << r.out.toStdString();
    EXPECT_TRUE(lines[1].startsWith("a.pdf\t"));
    EXPECT_TRUE(lines[2].startsWith("b c.pdf\t"));
    EXPECT_TRUE(lines[3].startsWith("d.pdf\t"));

    // A NUL list read as lines is said to be one, not guessed at.
    r = run({"list", "--files-from", tmp.file("list0")});
    EXPECT_TRUE(r.err.contains("line 2 of " + tmp.file("list0") + ": holds a NUL byte (use --null)"))
        << r.err.toStdString();
    EXPECT_EQ(run({"list", "--null", in()}).exitCode, 2);
    EXPECT_EQ(run({"list", "--files-from", tmp.file("missing")}).exitCode, 2);
    // Lists are read as the run goes: a device that never ends is refused at
    // once, and a line no path could be is a bad line, not a memory hog.
    EXPECT_EQ(run({"list", "--files-from", "/dev/zero"}).exitCode, 2);
    writeFile(tmp.file("long"), QByteArray(5000, 'x') + "\n" + in("a.pdf").toUtf8() + "\n");
    r = run({"list", "--files-from", tmp.file("long")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("line 1 of " + tmp.file("long") + ": longer than any path"))
        << r.err.toStdString();
    EXPECT_TRUE(r.lines().value(1).startsWith("a.pdf\t"));
    // A list on standard input longer than anything read whole keeps its tail.
    r = run({"list", "--files-from", "-"}, QByteArray(65 << 20, '\n') + in("b c.pdf").toUtf8());
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.lines().value(1).startsWith("b c.pdf\t")) << r.out.toStdString();
}

// N shards started by GNU parallel do every file once, and a tree seen under
// another path is split the same way.
TEST_F(CliProcess, shardsThroughParallel_doEveryFileOnce_wherever_theTreeIsMounted)
{
    const QString parallel = QStandardPaths::findExecutable("parallel");
    if (parallel.isEmpty())
        GTEST_SKIP() << "GNU parallel is not installed (scripts/bootstrap installs it)";
    makePdf(tmp.file("one.pdf"));
    for (int i = 0; i < 60; ++i) {
        const QString folder = in(QString("d%1").arg(i % 7));
        QDir().mkpath(folder);
        QFile::copy(tmp.file("one.pdf"), folder + QString("/f%1.pdf").arg(i));
    }
    for (int k = 1; k <= 4; ++k)
        QDir().mkpath(out(QString::number(k)));

    QProcess p;
    prepare(p);
    p.start(parallel,
            {"--will-cite", "--halt", "never", cli(),     "secure",    "--open-password",   "pw", "-r",  "-q",
             "--shard",     "{}/4",   "-o",    out("{}"), "--log-dir", tmp.file("logs/{}"), in(), ":::", "1",
             "2",           "3",      "4"});
    ASSERT_TRUE(p.waitForFinished(120000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();

    QStringList names;
    for (int k = 1; k <= 4; ++k) {
        const QStringList shard = QDir(out(QString::number(k))).entryList(QDir::Files);
        EXPECT_FALSE(shard.isEmpty()) << "shard " << k << " got nothing";
        names << shard;
    }
    names.sort();
    EXPECT_EQ(names.size(), 60);
    EXPECT_EQ(QSet<QString>(names.begin(), names.end()).size(), 60);

    // The same tree by another path (a link here, another mount point elsewhere).
    ASSERT_TRUE(QFile::link(in(), tmp.file("elsewhere")));
    const CliResult here = run({"list", "-r", "--shard", "3/4", in()});
    const CliResult there = run({"list", "-r", "--shard", "3/4", tmp.file("elsewhere")});
    auto namesOf = [](const CliResult &r) {
        QStringList rows;
        for (const QString &line : r.lines().mid(1))
            rows << line.section('\t', 0, 0) + line.section('\t', -1).section('/', -1);
        return rows;
    };
    EXPECT_EQ(namesOf(here), namesOf(there));
    EXPECT_EQ(namesOf(here).size(), QDir(out("3")).entryList(QDir::Files).size());
    EXPECT_EQ(run({"list", "--shard", "5/4", in()}).exitCode, 2);
}

// Killed with SIGKILL midway, a run leaves a log of what it finished; resumed
// from it, the next run does the rest: every file once, nothing finished redone.
TEST_F(CliProcess, killedRun_leavesItsLog_resumeDoesTheRestOnce)
{
    makePdf(tmp.file("heavy.pdf"), 60);
    constexpr int kFiles = 200;
    for (int i = 0; i < kFiles; ++i)
        QFile::copy(tmp.file("heavy.pdf"), in(QString("p%1.pdf").arg(i, 3, 10, QChar('0'))));
    const QStringList args{
        "secure",    "--open-password", "pw", "--key-length", "256", "--jobs", "1", "-q", "-o", out(),
        "--log-dir", tmp.file("logs"),  in()};

    QProcess p;
    prepare(p);
    p.start(cli(), args);
    ASSERT_TRUE(p.waitForStarted(10000));
    QString journal;
    for (int waited = 0; waited < 60000 && p.state() == QProcess::Running; waited += 5) {
        const QStringList logs = QDir(tmp.file("logs")).entryList({"*.log"});
        if (logs.size() == 1 && writtenIn(tmp.file("logs/" + logs[0])).size() >= 30) {
            journal = tmp.file("logs/" + logs[0]);
            ::kill(pid_t(p.processId()), SIGKILL);
            break;
        }
        QThread::msleep(5);
    }
    p.waitForFinished(10000);
    ASSERT_FALSE(journal.isEmpty()) << "the run ended before it could be killed";
    const LogContents cut = readLogFile(journal);
    EXPECT_FALSE(cut.finished);
    const QSet<QString> first = writtenIn(journal);
    ASSERT_LT(first.size(), kFiles);

    QMap<QString, QString> stamps;
    for (const QString &source : first)
        stamps[source] = changeStamp(out(QFileInfo(source).fileName()));
    // A done output that went missing or was damaged since is done again.
    const QString lost = *first.begin();
    QFile::remove(out(QFileInfo(lost).fileName()));
    stamps.remove(lost);

    const CliResult r = run(QStringList(args) << "--resume" << journal);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString() << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QString("%1 files were skipped as already done").arg(first.size() - 1)))
        << r.out.toStdString();
    const QSet<QString> second = writtenIn(logPathOf(r));
    EXPECT_EQ(first.size() + second.size(), kFiles + 1);
    EXPECT_TRUE(second.contains(lost));
    QSet<QString> all = first;
    all.unite(second);
    EXPECT_EQ(all.size(), kFiles);
    for (auto it = stamps.cbegin(); it != stamps.cend(); ++it)
        EXPECT_EQ(changeStamp(out(QFileInfo(it.key()).fileName())), it.value()) << it.key().toStdString();
    // Every output there, secured, and no temporary file of the killed run left.
    EXPECT_EQ(QDir(out()).entryList(QDir::Files | QDir::Hidden).size(), kFiles);
    EXPECT_EQ(encryptionParameters(encryptionJson(out("p199.pdf"), "pw")).value("R").toInt(), 6);
    EXPECT_EQ(run({"unsecure", "-o", out(), "--resume", tmp.file("nothing.log"), in()}).exitCode, 2);
}

// Files are worked on as the walk meets them, so outputs written into the tree
// must never come back as sources, nor replace a source the walk has still to
// reach; names are those of a run that listed everything first.
TEST_F(CliProcess, outputFolderInTheTree_isNotWalked_andNoSourceToComeIsReplaced)
{
    QDir().mkpath(in("sub"));
    QDir().mkpath(in("out"));
    makePdf(in("a.pdf"), 1, {}, "TOP");
    makePdf(in("sub/a.pdf"), 1, {}, "SUB");
    makePdf(in("sub/z.pdf"), 1, {}, "SUBZ");
    makePdf(in("z.pdf"), 1, {}, "ROOTZ");
    makePdf(in("out/old.pdf"), 1, {}, "OLD");
    const QString logs = tmp.file("logs");

    // Into a folder inside the tree: the walk leaves it out, old files and all.
    CliResult r = run({"secure", "-r", "--open-password", "pw", "-o", in("out"), "--log-dir", logs, in()});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.lines().mid(0, 4),
              QStringList({"Secured Completed\t" + in("a.pdf"), "Secured Completed\t" + in("sub/a.pdf"),
                           "Secured Completed\t" + in("sub/z.pdf"), "Secured Completed\t" + in("z.pdf")}));
    EXPECT_EQ(QDir(in("out")).entryList(QDir::Files, QDir::Name),
              QStringList({"a (2).pdf", "a.pdf", "old.pdf", "z (2).pdf", "z.pdf"}));
    EXPECT_TRUE(pdfText(in("out/old.pdf")).contains("OLD")); // not secured: it was never read
    // Resumed from its log, every file is found done, renamed outputs too.
    const CliResult again = run({"secure", "-r", "--open-password", "pw", "-o", in("out"), "--log-dir", logs,
                                 "--resume", logPathOf(r), in()});
    EXPECT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_TRUE(again.out.contains("4 files were skipped as already done")) << again.out.toStdString();

    // Into the walked folder itself: sub/z.pdf comes before z.pdf, whose
    // name its output must not take; a.pdf, met first, is written in place.
    QDir(in("out")).removeRecursively();
    r = run({"secure", "-r", "--open-password", "pw", "-o", in(), "--log-dir", logs, in()});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(QDir(in()).entryList(QDir::Files, QDir::Name),
              QStringList({"a (2).pdf", "a.pdf", "z (2).pdf", "z.pdf"}));
    for (const auto &[name, text] :
         {std::pair{"a.pdf", "TOP"}, {"a (2).pdf", "SUB"}, {"z.pdf", "ROOTZ"}, {"z (2).pdf", "SUBZ"}})
        EXPECT_TRUE(pdfText(in(name), "pw").contains(text)) << name;
}
