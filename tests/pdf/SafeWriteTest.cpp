// What a write leaves behind when something goes wrong: a written file that
// is not what was asked for, a disk that fills up, temporary files of
// processes that died, and the owner of a file replaced as root.

#include "pdf/PDFDocument.h"
#include "pdf/SourceBytes.h"
#include "pdf/TemporaryOutput.h"

#include "SecuredOptions.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>

#include <functional>
#include <iostream>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

using lockleaf::PDFDocument;
using namespace testsupport;

namespace
{

// The pid of a child that has ended and been reaped.
qint64 deadPid()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    if (child < 0 || ::waitpid(child, nullptr, 0) != child)
        return 0;
    return child;
}

} // namespace

TEST(SafeWrite, writtenFileNotAsAsked_failsVerification_keepsTarget)
{
    TempDir dir;
    makePdf(dir.file("in.pdf"), 3);
    // Editing forbidden, as our writes have it, so each differs in one way only.
    makeEncryptedPdf(dir.file("two.pdf"), "u", "o", 128, {"--modify=none"}, 2);
    makeEncryptedPdf(dir.file("noprint.pdf"), "u", "o", 128, {"--modify=none", "--print=none"}, 3);
    makeEncryptedPdf(dir.file("other.pdf"), "x", "y", 128, {"--modify=none"}, 3);
    makeEncryptedPdf(dir.file("rc4.pdf"), "u", "o", 128, {"--modify=none", "--use-aes=n"}, 3);
    makeEncryptedPdf(dir.file("editable.pdf"), "u", "o", 128, {}, 3);
    makeEncryptedPdf(dir.file("nocopy.pdf"), "u", "o", 128, {"--modify=none", "--extract=n"}, 3);
    makePdf(dir.file("out.pdf"), 7);
    const QByteArray before = readFile(dir.file("out.pdf"));
    auto doc = PDFDocument::initWithURL(dir.file("in.pdf"));
    ASSERT_TRUE(doc);

    // Each stands in for a write gone wrong, swapped in before the check.
    const QList<std::pair<QString, QByteArray>> faults = {
        {"pages", readFile(dir.file("two.pdf"))},        {"encrypted", readFile(dir.file("in.pdf"))},
        {"printing", readFile(dir.file("noprint.pdf"))}, {"open", readFile(dir.file("other.pdf"))},
        {"revision", readFile(dir.file("rc4.pdf"))},     {"open", readFile(dir.file("in.pdf")).left(200)},
        {"editing", readFile(dir.file("editable.pdf"))}, {"copying", readFile(dir.file("nocopy.pdf"))},
    };
    for (const auto &[reason, bytes] : faults) {
        SCOPED_TRACE(reason.toStdString());
        doc->setBeforeCheckHook([&bytes = bytes](const QString &temp) { writeFile(temp, bytes); });
        EXPECT_FALSE(doc->writeToFile(dir.file("out.pdf"), securedOptions("u", "o", 128)));
        EXPECT_EQ(doc->lastOutcome(), PDFDocument::Outcome::VerifyFailed);
        EXPECT_TRUE(doc->lastError().contains(reason)) << doc->lastError().toStdString();
        EXPECT_EQ(readFile(dir.file("out.pdf")), before);
    }
    // Unsecured: an encrypted file is not what was asked for.
    doc->setBeforeCheckHook([&](const QString &temp) { writeFile(temp, readFile(dir.file("noprint.pdf"))); });
    EXPECT_FALSE(doc->writeToFile(dir.file("out.pdf")));
    EXPECT_EQ(doc->lastOutcome(), PDFDocument::Outcome::VerifyFailed);
    EXPECT_EQ(readFile(dir.file("out.pdf")), before);
    EXPECT_EQ(entries(dir.path()), (QStringList{"editable.pdf", "in.pdf", "nocopy.pdf", "noprint.pdf",
                                                "other.pdf", "out.pdf", "rc4.pdf", "two.pdf"}));

    // Untouched, every key length and permission passes its own check.
    doc->setBeforeCheckHook({});
    for (int bits : {40, 128, 256}) {
        EXPECT_TRUE(doc->writeToFile(dir.file("out.pdf"), securedOptions("", "o", bits, false, true)))
            << bits;
        EXPECT_TRUE(doc->writeToFile(dir.file("out.pdf"), securedOptions("u", "u", bits, true, false)))
            << bits;
    }
    EXPECT_TRUE(doc->writeToFile(dir.file("out.pdf")));
}

// Faults that opening the written file and reading its page tree do not show:
// a key entry that gives another key (garbage for every reader), a stream
// whose data does not end where its dictionary says. Only reading the objects and the streams' data finds
// them.
TEST(SafeWrite, writtenFileWithWrongKeyOrCutStream_failsVerification_keepsTarget)
{
    TempDir dir;
    makePdf(dir.file("in.pdf"), 2);
    makePdf(dir.file("out.pdf"), 7);
    const QByteArray before = readFile(dir.file("out.pdf"));
    auto doc = PDFDocument::initWithURL(dir.file("in.pdf"));
    ASSERT_TRUE(doc);

    const auto zeroed = [](const QByteArray &key) {
        return [key](const QString &temp) {
            const QByteArray bytes = withKeyEntry(readFile(temp), key);
            ASSERT_FALSE(bytes.isEmpty()) << key.constData();
            writeFile(temp, bytes);
        };
    };
    // The first stream's /Length one off (same digits): its data no longer
    // ends where the dictionary says.
    const auto wrongLength = [](const QString &temp) {
        QByteArray bytes = readFile(temp);
        const qsizetype length = bytes.lastIndexOf("/Length ", bytes.indexOf("stream\n"));
        ASSERT_GE(length, 0);
        qsizetype last = length + 8;
        while (bytes[last + 1] >= '0' && bytes[last + 1] <= '9')
            ++last;
        bytes[last] = bytes[last] == '9' ? '8' : static_cast<char>(bytes[last] + 1);
        writeFile(temp, bytes);
    };
    struct Case {
        const char *name;
        std::function<void(const QString &)> damage;
        bool secured;
        const char *reason;
    };
    const Case cases[] = {
        {"zeroed /UE", zeroed("/UE"), true, "encryption is damaged"},
        {"zeroed /OE", zeroed("/OE"), true, "encryption is damaged"},
        {"wrong /Length, secured", wrongLength, true, "does not read"},
        {"wrong /Length, unsecured", wrongLength, false, "does not read"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        doc->setBeforeCheckHook(c.damage);
        EXPECT_FALSE(c.secured ? doc->writeToFile(dir.file("out.pdf"), securedOptions("u", "o", 256))
                               : doc->writeToFile(dir.file("out.pdf")));
        EXPECT_EQ(doc->lastOutcome(), PDFDocument::Outcome::VerifyFailed);
        EXPECT_TRUE(doc->lastError().contains(c.reason)) << doc->lastError().toStdString();
        EXPECT_EQ(readFile(dir.file("out.pdf")), before);
    }
}

TEST(SafeWrite, fullDisk_failsWithIOError_leavesNothing_andTheNextWriteWorks)
{
    TempDir dir;
    TmpfsMount disk(dir.file("small"), "size=64k");
    if (!disk.mounted())
        GTEST_SKIP() << disk.why();

    makePdf(dir.file("big.pdf"), 400);
    ASSERT_GT(QFileInfo(dir.file("big.pdf")).size(), 64 * 1024);
    makePdf(dir.file("small/out.pdf"), 1);
    const QByteArray before = readFile(dir.file("small/out.pdf"));
    auto doc = PDFDocument::initWithURL(dir.file("big.pdf"));
    ASSERT_TRUE(doc);
    for (int bits : {0, 128}) {
        SCOPED_TRACE(bits);
        const bool ok = bits ? doc->writeToFile(dir.file("small/out.pdf"), securedOptions("u", "o", bits))
                             : doc->writeToFile(dir.file("small/out.pdf"));
        EXPECT_FALSE(ok);
        EXPECT_EQ(doc->lastOutcome(), PDFDocument::Outcome::IOError) << doc->lastError().toStdString();
        EXPECT_EQ(entries(dir.file("small")), QStringList{"out.pdf"});
        EXPECT_EQ(readFile(dir.file("small/out.pdf")), before);
    }
    ASSERT_TRUE(doc->writeToFile(dir.file("elsewhere.pdf"))) << doc->lastError().toStdString();
    EXPECT_EQ(runProgram("qpdf", {"--show-npages", dir.file("elsewhere.pdf")}).out.trimmed(), "400");

    // In place: the source fits, a second copy of it does not.
    makePdf(dir.file("mid.pdf"), 120);
    const qint64 size = QFileInfo(dir.file("mid.pdf")).size();
    ASSERT_TRUE(size > 34 * 1024 && size < 56 * 1024) << size;
    QFile::remove(dir.file("small/out.pdf"));
    ASSERT_TRUE(QFile::copy(dir.file("mid.pdf"), dir.file("small/self.pdf")));
    auto self = PDFDocument::initWithURL(dir.file("small/self.pdf"));
    ASSERT_TRUE(self);
    EXPECT_FALSE(self->writeToFile(dir.file("small/self.pdf"), securedOptions("u", "o", 256)));
    EXPECT_EQ(self->lastOutcome(), PDFDocument::Outcome::IOError);
    EXPECT_EQ(readFile(dir.file("small/self.pdf")), readFile(dir.file("mid.pdf")));
    EXPECT_EQ(entries(dir.file("small")), QStringList{"self.pdf"});
}

TEST(SafeWrite, temporaryFiles_carryThePid_staleOnesOfDeadProcessesGo)
{
    TempDir dir;
    makePdf(dir.file("in.pdf"));
    const qint64 dead = deadPid();
    ASSERT_GT(dead, 0);
    const QString stale = QStringLiteral(".lockleaf-%1-AbC123.tmp").arg(dead);
    const QString mine = QStringLiteral(".lockleaf-%1-AbC123.tmp").arg(::getpid());
    const QString parent = QStringLiteral(".lockleaf-%1-AbC123.tmp").arg(::getppid());
    // Other names are never touched, even close ones.
    const QStringList kept = {mine, parent, ".lockleaf-AbC123.tmp",
                              QStringLiteral(".lockleaf-%1-AbC1234.tmp").arg(dead),
                              QStringLiteral("lockleaf-%1-AbC123.tmp").arg(dead)};
    for (const QString &name : kept + QStringList{stale})
        writeFile(dir.file(name), "partial");
    QDir(dir.path()).mkdir(QStringLiteral(".lockleaf-%1-Folder.tmp").arg(dead));

    auto doc = PDFDocument::initWithURL(dir.file("in.pdf"));
    ASSERT_TRUE(doc);
    // The name of the file being written, seen from the check.
    QString written;
    doc->setBeforeCheckHook([&](const QString &temp) { written = QFileInfo(temp).fileName(); });
    ASSERT_TRUE(doc->writeToFile(dir.file("out.pdf")));
    EXPECT_TRUE(written.startsWith(QStringLiteral(".lockleaf-%1-").arg(::getpid()))) << written.toStdString();
    EXPECT_TRUE(written.endsWith(".tmp"));
    EXPECT_FALSE(QFile::exists(dir.file(stale)));
    for (const QString &name : kept)
        EXPECT_TRUE(QFile::exists(dir.file(name))) << name.toStdString();
    EXPECT_TRUE(QFileInfo(dir.file(QStringLiteral(".lockleaf-%1-Folder.tmp").arg(dead))).isDir());

    // Once per folder per process: a stale file appearing later stays until forced.
    writeFile(dir.file(stale), "partial");
    ASSERT_TRUE(doc->writeToFile(dir.file("out.pdf")));
    EXPECT_TRUE(QFile::exists(dir.file(stale)));
    lockleaf::removeStaleTemporaryFiles(dir.path(), true);
    EXPECT_FALSE(QFile::exists(dir.file(stale)));
    EXPECT_TRUE(QFile::exists(dir.file(mine)));
}

// A file replaced as root stays its owner's, with its mode and extended
// attributes; a new file belongs to the writer, readable by all.
TEST(SafeWrite, replacingAFile_keepsItsOwnerGroupModeAndExtendedAttributes)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "changing a file's owner needs root";
    TempDir dir;
    makePdf(dir.file("in.pdf"), 2);
    makePdf(dir.file("theirs.pdf"), 1);
    const QByteArray target = QFile::encodeName(dir.file("theirs.pdf"));
    ASSERT_EQ(::chown(target.constData(), 12345, 12345), 0);
    ASSERT_EQ(::chmod(target.constData(), 0640), 0);
    const bool xattrs = ::setxattr(target.constData(), "user.lockleaf.label", "kept", 4, 0) == 0;
    if (!xattrs)
        std::cout << "extended attributes not checked: the file system refuses them here ("
                  << std::strerror(errno) << ")\n";

    auto doc = PDFDocument::initWithURL(dir.file("in.pdf"));
    ASSERT_TRUE(doc);
    ASSERT_TRUE(doc->writeToFile(dir.file("theirs.pdf"), securedOptions("u", "o", 128)));
    const FileMode theirs = fileMode(dir.file("theirs.pdf"));
    EXPECT_EQ(theirs.uid, 12345);
    EXPECT_EQ(theirs.gid, 12345);
    EXPECT_EQ(theirs.mode, 0640);
    EXPECT_EQ(runProgram("qpdf", {"--show-npages", "--password=u", dir.file("theirs.pdf")}).out.trimmed(),
              "2");
    char value[16] = {};
    if (xattrs) {
        EXPECT_EQ(::getxattr(target.constData(), "user.lockleaf.label", value, sizeof value), 4);
        EXPECT_STREQ(value, "kept");
    }

    ASSERT_TRUE(doc->writeToFile(dir.file("new.pdf")));
    const FileMode mine = fileMode(dir.file("new.pdf"));
    EXPECT_EQ(mine.uid, long(::geteuid()));
    EXPECT_EQ(mine.mode, 0644);
}

// An unsecured copy of a private file must not become readable by all.
TEST(SafeWrite, newFile_takesTheSourceMode_withoutExecute_withinTheUmask)
{
    struct Case {
        mode_t source, umask, expected;
    };
    for (const Case c :
         {Case{0600, 022, 0600}, Case{0644, 027, 0640}, Case{0755, 022, 0644}, Case{0666, 002, 0664}}) {
        TempDir dir;
        makePdf(dir.file("in.pdf"));
        ASSERT_EQ(::chmod(QFile::encodeName(dir.file("in.pdf")).constData(), c.source), 0);
        auto doc = PDFDocument::initWithURL(dir.file("in.pdf"));
        ASSERT_TRUE(doc);
        const mode_t previous = ::umask(c.umask);
        const bool written = doc->writeToFile(dir.file("new.pdf"));
        ::umask(previous);
        ASSERT_TRUE(written) << doc->lastError().toStdString();
        EXPECT_EQ(fileMode(dir.file("new.pdf")).mode, int(c.expected))
            << std::oct << c.source << " umask " << c.umask;
    }
}

TEST(SafeWrite, filesOverTheInMemoryLimit_areReadFromDisk_andStillChecked)
{
    TempDir dir;
    makeLargePdf(dir.file("big.pdf"), lockleaf::kInMemorySourceLimit);
    ASSERT_GT(QFileInfo(dir.file("big.pdf")).size(), lockleaf::kInMemorySourceLimit);

    auto doc = PDFDocument::initWithURL(dir.file("big.pdf"));
    ASSERT_TRUE(doc);
    ASSERT_TRUE(doc->writeToFile(dir.file("out.pdf"), securedOptions("u", "o", 256)))
        << doc->lastError().toStdString();
    ASSERT_GT(QFileInfo(dir.file("out.pdf")).size(), lockleaf::kInMemorySourceLimit);
    EXPECT_EQ(runProgram("qpdf", {"--password=u", "--show-npages", dir.file("out.pdf")}).out.trimmed(), "1");

    // A large written file that is not what was asked for still fails its check.
    const QByteArray before = readFile(dir.file("out.pdf"));
    doc->setBeforeCheckHook([&](const QString &temp) {
        QFile file(temp);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        file.seek(file.size() - 200);
        file.write(QByteArray(200, ' '));
    });
    EXPECT_FALSE(doc->writeToFile(dir.file("out.pdf"), securedOptions("u", "o", 256)));
    EXPECT_EQ(doc->lastOutcome(), PDFDocument::Outcome::VerifyFailed) << doc->lastError().toStdString();
    EXPECT_EQ(readFile(dir.file("out.pdf")), before);
}
