#include "model/FileGatherer.h"

#include "model/Settings.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <stdexcept>
#include <sys/stat.h>

using namespace lockleaf;
using testsupport::TempDir;

namespace
{

// The window's side of gathering, kept in memory: the list, the calls made,
// and the saved-password append as the window does it.
class ListDelegate : public GatheringDelegate
{
public:
    explicit ListDelegate(Settings *settings) : m_settings(settings) {}

    Settings *settings() const override { return m_settings; }
    bool isProcessing() const override { return processing.load(); }
    QList<QUrl> fileURLs() override
    {
        ++fileURLsCalls;
        QList<QUrl> urls;
        for (const auto &item : files)
            urls << item->filePath();
        return urls;
    }
    void appendFileItem(const FileItemPtr &item) override
    {
        if (throwOnAppend)
            throw std::runtime_error("list is full");
        files << item;
        totalPages += item->pages();
        if (stopAfter > 0 && files.size() == stopAfter)
            processing = false; // the cancel button, pressed while the task works
    }
    void sortAndReload() override
    {
        calls << "sortAndReload";
        if (throwOnSort)
            throw std::runtime_error("sort failed");
        std::sort(files.begin(), files.end(), [](const FileItemPtr &a, const FileItemPtr &b) {
            return a->filePath().path() < b->filePath().path();
        });
    }
    void resetViewObject(bool enabled) override { calls << QString("resetViewObject:%1").arg(enabled); }
    void startProcess() override
    {
        processing = true;
        calls << "startProcess";
    }
    void stopProcess() override
    {
        processing = false;
        calls << "stopProcess";
    }
    void updateTimeTakenLabel(const QString &text) override { calls << "time:" + text; }
    void updateTotalPagesLabel() override { ++pageLabelUpdates; }
    void addToPasswordsList(const QString &password) override
    {
        ++passwordAppends;
        m_settings->appendPassword(password);
    }

    QStringList names() const
    {
        QStringList n;
        for (const auto &item : files)
            n << QDir(root).relativeFilePath(item->filePath().toLocalFile());
        return n;
    }

    QList<FileItemPtr> files;
    QStringList calls;
    QString root;
    std::atomic<bool> processing{true};
    int fileURLsCalls = 0;
    int pageLabelUpdates = 0;
    int passwordAppends = 0;
    int totalPages = 0;
    int stopAfter = 0;
    bool throwOnAppend = false;
    bool throwOnSort = false;

private:
    Settings *m_settings;
};

class Gathering : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { QStandardPaths::setTestModeEnabled(true); }
    void SetUp() override { delegate.root = tmp.path(); }

    QString path(const QString &rel) const { return tmp.file(rel); }
    void pdf(const QString &rel, int pages = 1)
    {
        QDir(tmp.path()).mkpath(QFileInfo(rel).path());
        testsupport::makePdf(path(rel), pages);
    }
    void text(const QString &rel)
    {
        QDir(tmp.path()).mkpath(QFileInfo(rel).path());
        testsupport::writeFile(path(rel), "not a pdf\n");
    }
    QList<QUrl> urls(const QStringList &rels) const
    {
        QList<QUrl> list;
        for (const auto &r : rels)
            list << QUrl::fromLocalFile(path(r));
        return list;
    }
    void load(const QStringList &rels, bool isFolders, bool subfolders)
    {
        Arguments args;
        args.urls = urls(rels);
        args.isFolders = isFolders;
        args.isIncludeSubdirectories = subfolders;
        FileGatherer(&delegate).loadURLs(args);
    }

    TempDir tmp;
    Settings settings{false};
    ListDelegate delegate{&settings};
};

} // namespace

TEST_F(Gathering, folderWalk_exactExtensionsNoHiddenNoPackages)
{
    pdf("top/a.pdf");
    pdf("top/b.PDF", 3);
    pdf("top/x.Pdf");
    text("top/notes.txt");
    pdf("top/.hidden.pdf");
    pdf("top/sub/c.pdf");
    pdf("top/.git/d.pdf");
    pdf("top/Viewer.app/Contents/e.pdf");
    pdf("top/sub/deeper/f.pdf");

    load({"top"}, true, false);
    EXPECT_EQ(delegate.names(), QStringList({"top/a.pdf", "top/b.PDF"}));
    EXPECT_EQ(delegate.totalPages, 4);
    EXPECT_EQ(delegate.pageLabelUpdates, 2);

    ListDelegate whole(&settings);
    whole.root = tmp.path();
    Arguments args{urls({"top"}), true, true};
    FileGatherer(&whole).loadURLs(args);
    EXPECT_EQ(whole.names(),
              QStringList({"top/a.pdf", "top/b.PDF", "top/sub/c.pdf", "top/sub/deeper/f.pdf"}));
}

TEST_F(Gathering, folderWalk_survivesLinkCyclesAndSkipsSpecialFiles)
{
    pdf("top/a.pdf");
    pdf("top/sub/b.pdf");
    ASSERT_TRUE(QFile::link(path("top"), path("top/sub/loop")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("top/pipe.pdf")).constData(), 0600), 0);

    load({"top"}, true, true);
    EXPECT_EQ(delegate.names(), QStringList({"top/a.pdf", "top/sub/b.pdf"}));
}

TEST_F(Gathering, looseFiles_pickerFiltersByExtension_importDoesNot)
{
    pdf("a.pdf");
    text("notes.txt");
    text("fake.pdf");
    load({"a.pdf", "notes.txt", "fake.pdf", "missing-folder"}, true, false);
    EXPECT_EQ(delegate.names(), QStringList({"a.pdf", "fake.pdf"}));
    EXPECT_EQ(delegate.files[1]->pages(), 0);

    ListDelegate imported(&settings);
    imported.root = tmp.path();
    Arguments args{urls({"notes.txt", "a.pdf"}), false, false};
    FileGatherer(&imported).loadURLs(args);
    EXPECT_EQ(imported.names(), QStringList({"a.pdf", "notes.txt"})); // sorted after the change
    EXPECT_EQ(imported.files[1]->pages(), 0);
}

TEST_F(Gathering, duplicates_refusedAgainstListAndWithinTask_listReadOnce)
{
    pdf("top/a.pdf");
    pdf("top/b.pdf");
    load({"top", "top/a.pdf", "top"}, true, false);
    EXPECT_EQ(delegate.names(), QStringList({"top/a.pdf", "top/b.pdf"}));
    EXPECT_EQ(delegate.fileURLsCalls, 1);

    // The same folder again: nothing new, so no re-sort and no reload.
    delegate.calls.clear();
    delegate.processing = true;
    FileGatherer second(&delegate);
    EXPECT_FALSE(second.addFolderToList(urls({"top"}), false));
    load({"top"}, true, false);
    EXPECT_FALSE(delegate.calls.contains("sortAndReload"));
    EXPECT_EQ(delegate.files.size(), 2);

    // A differently written URL of the same file is a different item.
    delegate.processing = true;
    EXPECT_TRUE(second.addFilesToList({QUrl::fromLocalFile(path("top/./a.pdf"))}));
}

TEST_F(Gathering, addMode_triesSavedPasswordsInOrder)
{
    settings.setSecurityType(1);
    settings.setPasswords({"first", "second"});
    testsupport::makeEncryptedPdf(path("s.pdf"), "second", "owner", 128, {}, 4);
    testsupport::makeEncryptedPdf(path("t.pdf"), "other", "owner", 128);
    pdf("plain.pdf", 2);
    load({"s.pdf", "t.pdf", "plain.pdf"}, false, false);

    ASSERT_EQ(delegate.names(), QStringList({"plain.pdf", "s.pdf", "t.pdf"}));
    EXPECT_EQ(delegate.files[1]->pages(), 4);
    EXPECT_EQ(delegate.files[1]->pdfOpenPassword(), "second");
    EXPECT_TRUE(delegate.files[2]->isSecured());
    EXPECT_EQ(delegate.files[2]->pages(), 0);
    EXPECT_EQ(delegate.files[2]->pdfOpenPassword(), "");
    EXPECT_EQ(delegate.files[0]->pages(), 2);
    EXPECT_EQ(delegate.totalPages, 6);
    EXPECT_EQ(delegate.passwordAppends, 0);
}

TEST_F(Gathering, removeMode_triesTypedPasswordAndSavesItOnce)
{
    settings.setSecurityType(0);
    settings.setIsAutoAddCorrectPasswordToPasswordList(true);
    settings.setPdfOpenPassword("typed");
    testsupport::makeEncryptedPdf(path("s1.pdf"), "typed", "o", 128);
    testsupport::makeEncryptedPdf(path("s2.pdf"), "typed", "o", 40);
    testsupport::makeEncryptedPdf(path("other.pdf"), "nope", "o", 128);
    pdf("plain.pdf");
    load({"s1.pdf", "s2.pdf", "other.pdf", "plain.pdf"}, false, false);

    EXPECT_EQ(delegate.files.size(), 4);
    EXPECT_EQ(delegate.passwordAppends, 3); // two secured files and the unsecured one
    EXPECT_EQ(settings.passwords(), QStringList{"typed"});
    for (const auto &item : delegate.files) {
        const bool opens = !item->filePath().path().endsWith("other.pdf");
        EXPECT_EQ(item->pages() > 0, opens) << item->filePath().path().toStdString();
    }

    // Auto-add off: the typed password still opens files but is not saved.
    Settings noAuto(false);
    noAuto.setPdfOpenPassword("typed");
    noAuto.setIsAutoAddCorrectPasswordToPasswordList(false);
    ListDelegate other(&noAuto);
    FileGatherer(&other).addFilesToList(urls({"s1.pdf"}));
    EXPECT_GT(other.files.first()->pages(), 0);
    EXPECT_EQ(other.passwordAppends, 0);
}

TEST_F(Gathering, removeMode_absentTypedPasswordBecomesEmpty)
{
    Settings fresh(false);
    fresh.setSecurityType(0);
    fresh.setPdfOpenPassword(QString());
    ListDelegate d(&fresh);
    pdf("plain.pdf");
    FileGatherer(&d).addFilesToList(urls({"plain.pdf"}));
    EXPECT_FALSE(fresh.pdfOpenPassword().isNull());
    EXPECT_TRUE(fresh.passwords().isEmpty()); // "" is never saved
}

TEST_F(Gathering, cancelMidWalk_keepsItemsFoundSoFarSorted)
{
    for (int i = 0; i < 8; ++i)
        pdf(QString("top/d%1/f.pdf").arg(i));
    delegate.stopAfter = 3;
    load({"top", "top/d7/f.pdf"}, true, true);
    EXPECT_EQ(delegate.files.size(), 3);
    EXPECT_TRUE(delegate.calls.contains("sortAndReload"));
    EXPECT_EQ(delegate.names(), QStringList({"top/d0/f.pdf", "top/d1/f.pdf", "top/d2/f.pdf"}));
}

TEST_F(Gathering, loadURLs_windowCallsInOrder)
{
    pdf("a.pdf");
    load({"a.pdf"}, true, false);
    EXPECT_EQ(
        delegate.calls,
        QStringList({"resetViewObject:0", "startProcess", "time:Total Time Taken : In Process... 0/0",
                     "sortAndReload", "stopProcess", "resetViewObject:1", "time:Total Time Taken :  0/0"}));
}

TEST_F(Gathering, exceptions_areLoggedAndTheWindowAlwaysComesBack)
{
    testsupport::LogCapture capture;
    pdf("a.pdf");
    pdf("b.pdf");
    delegate.throwOnAppend = true;
    load({"a.pdf", "b.pdf"}, true, false);
    EXPECT_TRUE(capture.contains("Error in (addFolderToList:) : list is full"));
    EXPECT_FALSE(delegate.calls.contains("sortAndReload"));
    EXPECT_EQ(delegate.calls.last(), "time:Total Time Taken :  0/0");

    load({"a.pdf"}, false, false);
    EXPECT_TRUE(capture.contains("Error in (addFilesToList:) : list is full"));

    delegate.throwOnAppend = false;
    delegate.throwOnSort = true;
    delegate.calls.clear();
    load({"a.pdf"}, false, false);
    EXPECT_TRUE(capture.contains("Error in (loadURLs:) : sort failed"));
    EXPECT_EQ(delegate.calls.mid(delegate.calls.size() - 3),
              QStringList({"stopProcess", "resetViewObject:1", "time:Total Time Taken :  0/0"}));
}

// The window's way: the task on its own thread, every list change made on the
// main thread through a blocking call.
TEST_F(Gathering, onWorkerThread_listChangesHappenOnMainThread)
{
    static int argc = 1;
    static char name[] = "FileGathererTest";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);

    class MainThreadDelegate final : public ListDelegate
    {
    public:
        using ListDelegate::ListDelegate;
        QObject receiver;
        bool offMain = false;
        void appendFileItem(const FileItemPtr &item) override
        {
            QMetaObject::invokeMethod(
                &receiver,
                [this, item] {
                    offMain = offMain || QThread::currentThread() != QCoreApplication::instance()->thread();
                    ListDelegate::appendFileItem(item);
                },
                Qt::BlockingQueuedConnection);
        }
    } d(&settings);
    d.root = tmp.path();
    for (int i = 0; i < 5; ++i)
        pdf(QString("f%1.pdf").arg(i));

    std::atomic<bool> done{false};
    std::unique_ptr<QThread> worker(QThread::create([&] {
        FileGatherer(&d).loadURLs(Arguments{{QUrl::fromLocalFile(tmp.path())}, true, false});
        done = true;
    }));
    worker->start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return done.load(); }, 60000));
    worker->wait();
    EXPECT_FALSE(d.offMain);
    EXPECT_EQ(d.files.size(), 5);
}
