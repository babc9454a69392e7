#include "engine/FileGatherer.h"

#include "model/Settings.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <sys/stat.h>

using namespace lockleaf;
using namespace testsupport;

namespace
{

// The window's side of gathering, in memory: the list, the calls made, and the
// saved-password append done the way the window does it.
class ListDelegate final : public GatheringDelegate
{
public:
    explicit ListDelegate(Settings *settings) : m_settings(settings) {}
    Settings *settings() const override { return m_settings; }
    bool isProcessing() const override { return processing; }
    QList<QUrl> fileURLs() override
    {
        ++listReads;
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
        if (files.size() == stopAfter)
            processing = false; // the cancel button, pressed while the task works
    }
    // With `early`, the window's way: rows listed as met, counts applied later.
    bool appendFileItems(const QList<FileItemPtr> &items) override
    {
        if (!early)
            return false;
        for (const FileItemPtr &item : items)
            uncountedWhenListed = uncountedWhenListed && !item->isCounted();
        files << items;
        events << "rows";
        return true;
    }
    void applyCounts(const QList<FileItemPtr> &listed, const QList<FileItemPtr> &counted) override
    {
        if (!early)
            return GatheringDelegate::applyCounts(listed, counted);
        for (qsizetype i = 0; i < listed.size(); ++i) {
            listed.at(i)->takeCount(*counted.at(i));
            countedInOrder << listed.at(i);
            totalPages += listed.at(i)->pages();
            if (countedInOrder.size() == stopAfter)
                processing = false;
        }
        events << "counts";
    }
    void sortAndReload() override
    {
        calls << "sortAndReload";
        if (throwOnSort)
            throw std::runtime_error("sort failed");
        std::sort(files.begin(), files.end(),
                  [](const auto &a, const auto &b) { return a->filePath().path() < b->filePath().path(); });
    }
    void resetViewObject(bool enabled) override { calls << QString("resetViewObject:%1").arg(enabled); }
    void startProcess() override { processing = true, calls << "startProcess"; }
    void stopProcess() override { processing = false, calls << "stopProcess"; }
    void updateTimeTakenLabel(const QString &text) override { calls << text; }
    void updateTotalPagesLabel() override { ++pageLabelUpdates; }
    void addToPasswordsList(const QString &password) override
    {
        ++passwordAppends;
        m_settings->appendPassword(password);
    }
    void reportSkipped(const QString &path, const QString &reason) override
    {
        reported << QDir(root).relativeFilePath(path) + ": " + reason;
    }

    QStringList names(const QString &root) const
    {
        QStringList n;
        for (const auto &item : files)
            n << QDir(root).relativeFilePath(item->filePath().toLocalFile());
        return n;
    }

    QList<FileItemPtr> files;
    QList<FileItemPtr> countedInOrder;
    QStringList events;
    bool early = false, uncountedWhenListed = true;
    QStringList calls;
    QStringList reported; // "relative path: reason"
    QString root;
    std::atomic<bool> processing{true}; // read by the gathering's workers
    int listReads = 0, pageLabelUpdates = 0, passwordAppends = 0, totalPages = 0, stopAfter = -1;
    bool throwOnAppend = false, throwOnSort = false;

private:
    Settings *m_settings;
};

// Every case runs with the files opened one at a time and four at once: the
// list, its order and what is reported must not depend on it.
class Gathering : public ::testing::TestWithParam<int>
{
protected:
    static void SetUpTestSuite() { QStandardPaths::setTestModeEnabled(true); }

    QString path(const QString &rel) const { return tmp.file(rel); }
    void pdf(const QString &rel, int pages = 1)
    {
        QDir(tmp.path()).mkpath(QFileInfo(rel).path());
        makePdf(path(rel), pages);
    }
    QList<QUrl> urls(const QStringList &rels) const
    {
        QList<QUrl> list;
        for (const auto &r : rels)
            list << QUrl::fromLocalFile(path(r));
        return list;
    }
    QStringList load(const QStringList &rels, bool isFolders, bool subfolders, ListDelegate *d = nullptr)
    {
        d = d ? d : &delegate;
        d->root = tmp.path();
        FileGatherer gatherer(d);
        gatherer.setJobs(jobs);
        gatherer.loadURLs(Arguments{urls(rels), isFolders, subfolders, {}});
        return d->names(tmp.path());
    }

    TempDir tmp;
    int jobs = GetParam();
    Settings settings{false};
    ListDelegate delegate{&settings};
};

INSTANTIATE_TEST_SUITE_P(Jobs, Gathering, ::testing::Values(1, 4));

// "name pages 'password'", " secured" after a secured one, for one comparison.
QString described(const QString &name, int pages, const QString &password, bool secured)
{
    return QString("%1 %2 '%3'%4").arg(name).arg(pages).arg(password, secured ? " secured" : "");
}
QStringList described(const QList<FileItemPtr> &items)
{
    QStringList out;
    for (const FileItemPtr &item : items)
        out << described(item->filePath().fileName(), item->pages(), item->pdfOpenPassword(),
                         item->isSecured());
    return out;
}

} // namespace

TEST_P(Gathering, folderWalk_exactExtensionsNoHiddenNoSpecialFiles_badNamesReported)
{
    pdf("top/a.pdf");
    pdf("top/b.PDF", 3);
    pdf("top/x.Pdf");
    writeFile(path("top/notes.txt"), "text");
    pdf("top/.hidden.pdf");
    pdf("top/.git/d.pdf");
    pdf("top/Viewer.app/Contents/e.pdf");
    pdf("top/Talk.key/g.pdf");
    pdf("top/sub/c.pdf");
    pdf("top/sub/deeper/f.pdf");
    ASSERT_TRUE(QFile::link(path("top"), path("top/sub/loop")));                       // a cycle
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("top/pipe.pdf")).constData(), 0600), 0); // would block on open
    // A name that is not valid UTF-8: the folder listing leaves it out.
    const QByteArray badName = QFile::encodeName(path("top/")) + "\xff\xfe.pdf";
    ASSERT_TRUE(QFile::copy(path("top/a.pdf"), path("top/bad.pdf")));
    ASSERT_EQ(::rename(QFile::encodeName(path("top/bad.pdf")).constData(), badName.constData()), 0);

    EXPECT_EQ(load({"top"}, true, false), QStringList({"top/a.pdf", "top/b.PDF"}));
    EXPECT_EQ(delegate.totalPages, 4);
    EXPECT_EQ(delegate.pageLabelUpdates, 2);
    ASSERT_EQ(delegate.reported.size(), 1) << delegate.reported.join(" | ").toStdString();
    EXPECT_TRUE(delegate.reported.at(0).endsWith(".pdf: name not valid in the file-name encoding"));

    // Packages exist on macOS only: elsewhere Talk.key is a folder like any other.
    ListDelegate whole(&settings);
#ifdef Q_OS_MACOS
    const QStringList packaged;
#else
    const QStringList packaged{"top/Talk.key/g.pdf", "top/Viewer.app/Contents/e.pdf"};
#endif
    QStringList expected =
        QStringList({"top/a.pdf", "top/b.PDF", "top/sub/c.pdf", "top/sub/deeper/f.pdf"}) + packaged;
    std::sort(expected.begin(), expected.end());
    QStringList found = load({"top"}, true, true, &whole);
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, expected);
}

TEST_P(Gathering, looseFiles_pickerFiltersByExtension_importDoesNot_eachLeftOutIsReported)
{
    pdf("a.pdf");
    writeFile(path("notes.txt"), "text");
    writeFile(path("fake.pdf"), "not a pdf");
    QDir(tmp.path()).mkpath("folder.pdf");
    pdf("flat/sub/deep.pdf");
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("pipe.pdf")).constData(), 0600), 0);
    EXPECT_EQ(load({"a.pdf", "notes.txt", "fake.pdf", "missing-folder", "folder.pdf", "pipe.pdf", "flat"},
                   true, false),
              QStringList({"a.pdf", "fake.pdf"}));
    EXPECT_EQ(delegate.reported,
              QStringList({"notes.txt: not a PDF file", "missing-folder: no such file or folder",
                           "folder.pdf: no PDF files in this folder (subfolders not included)",
                           "pipe.pdf: not a regular file",
                           "flat: no PDF files in this folder (subfolders not included)"}));

    // The gatherer keeps the list too, for whoever asks after the task.
    ListDelegate direct(&settings);
    direct.root = tmp.path();
    FileGatherer gatherer(&direct);
    gatherer.addFolderToList({QUrl::fromLocalFile("/dev/zero"), QUrl::fromLocalFile(path("folder.pdf"))},
                             true);
    ASSERT_EQ(gatherer.skipped().size(), 2);
    EXPECT_EQ(gatherer.skipped().at(0).path, "/dev/zero");
    EXPECT_EQ(gatherer.skipped().at(0).reason, "not a regular file");
    EXPECT_EQ(gatherer.skipped().at(1).reason, "no PDF files in this folder");
    EXPECT_TRUE(direct.files.isEmpty());

    ListDelegate imported(&settings);
    EXPECT_EQ(load({"notes.txt", "a.pdf", "pipe.pdf"}, false, false, &imported),
              QStringList({"a.pdf", "notes.txt"}));
    EXPECT_EQ(imported.reported, QStringList({"pipe.pdf: not a regular file"}));
}

TEST_P(Gathering, duplicates_refusedAgainstListAndWithinTask)
{
    pdf("top/a.pdf");
    pdf("top/b.pdf");
    EXPECT_EQ(load({"top", "top/a.pdf", "top"}, true, false), QStringList({"top/a.pdf", "top/b.pdf"}));
    EXPECT_EQ(delegate.listReads, 1); // the list is read once per task, not once per file

    // Nothing new: no re-sort and no reload.
    delegate.calls.clear();
    load({"top"}, true, false);
    EXPECT_FALSE(delegate.calls.contains("sortAndReload"));
    EXPECT_EQ(delegate.files.size(), 2);
}

TEST_P(Gathering, passwords_savedListInAddMode_typedOneInRemoveMode)
{
    makeEncryptedPdf(path("s.pdf"), "second", "owner", 128, {}, 4);
    makeEncryptedPdf(path("t.pdf"), "other", "owner", 128);
    makeEncryptedPdf(path("r.pdf"), "", "owner", 128, {"--extract=n"}, 3); // opens without a password
    makeEncryptedPdf(path("u.pdf"), "first", "owner", 128, {}, 5);
    pdf("plain.pdf", 2);
    settings.setSecurityType(1);
    settings.setPasswords({"first", "second"});
    load({"s.pdf", "t.pdf", "plain.pdf", "r.pdf", "u.pdf"}, false, false);
    // Saved passwords that do not match leave a file readable without one (r)
    // as it was; the first that opens is kept, the ones after it not tried (u).
    EXPECT_EQ(described(delegate.files),
              QStringList({"plain.pdf 2 ''", "r.pdf 3 '' secured", "s.pdf 4 'second' secured",
                           "t.pdf 0 '' secured", "u.pdf 5 'first' secured"}));
    EXPECT_EQ(delegate.passwordAppends, 0);

    // Remove mode: the typed password unlocks s and s2 and is saved once; a
    // plain file or one readable without a password proves nothing, and a typo
    // that merely "opened" them is never saved.
    Settings remove(false);
    remove.setSecurityType(0);
    remove.setPdfOpenPassword("second");
    makeEncryptedPdf(path("s2.pdf"), "second", "o", 40);
    ListDelegate d(&remove);
    load({"s.pdf", "s2.pdf", "t.pdf", "plain.pdf", "r.pdf"}, false, false, &d);
    EXPECT_EQ(d.passwordAppends, 2);
    EXPECT_EQ(remove.passwords(), QStringList{"second"});
    EXPECT_EQ(d.totalPages, 4 + 1 + 2 + 3);

    Settings typo(false);
    typo.setSecurityType(0);
    typo.setPdfOpenPassword("secnod");
    ListDelegate e(&typo);
    load({"plain.pdf", "r.pdf"}, false, false, &e);
    EXPECT_EQ(e.passwordAppends, 0);
    EXPECT_TRUE(typo.passwords().isEmpty());

    // An absent typed password becomes "", which is never saved.
    Settings absent(false);
    absent.setPdfOpenPassword(QString());
    ListDelegate f(&absent);
    FileGatherer(&f).addFilesToList(urls({"plain.pdf"}));
    EXPECT_FALSE(absent.pdfOpenPassword().isNull());
    EXPECT_TRUE(absent.passwords().isEmpty());
}

TEST_P(Gathering, cancelMidWalk_keepsItemsFoundSoFarSorted)
{
    for (int i = 0; i < 8; ++i)
        pdf(QString("top/d%1/f.pdf").arg(i));
    delegate.stopAfter = 3;
    EXPECT_EQ(load({"top", "top/d7/f.pdf"}, true, true),
              QStringList({"top/d0/f.pdf", "top/d1/f.pdf", "top/d2/f.pdf"}));
    EXPECT_TRUE(delegate.calls.contains("sortAndReload"));
}

TEST_P(Gathering, windowCallsInOrder_andAlwaysReEnabledAfterExceptions)
{
    LogCapture capture;
    pdf("a.pdf");
    load({"a.pdf"}, true, false);
    const QStringList closing{"stopProcess", "resetViewObject:1", "Total Time Taken :  0/0"};
    EXPECT_EQ(delegate.calls, QStringList({"resetViewObject:0", "startProcess",
                                           "Total Time Taken : In Process... 0/0", "sortAndReload"}) +
                                  closing);

    ListDelegate failing(&settings);
    failing.throwOnAppend = true;
    load({"a.pdf"}, true, false, &failing);
    load({"a.pdf"}, false, false, &failing);
    EXPECT_TRUE(capture.contains("Error in (addFolderToList:) : list is full"));
    EXPECT_TRUE(capture.contains("Error in (addFilesToList:) : list is full"));
    EXPECT_FALSE(failing.calls.contains("sortAndReload"));
    EXPECT_EQ(failing.calls.mid(failing.calls.size() - 3), closing);

    ListDelegate badSort(&settings);
    badSort.throwOnSort = true;
    load({"a.pdf"}, false, false, &badSort);
    EXPECT_TRUE(capture.contains("Error in (loadURLs:) : sort failed"));
    EXPECT_EQ(badSort.calls.mid(badSort.calls.size() - 3), closing);
}

TEST_P(Gathering, manyFiles_listInTheOrderMet_acrossBatches_withTheirPasswords)
{
    // More files than one batch opens at once, secured ones among them.
    pdf("plain.pdf", 2);
    makeEncryptedPdf(path("secured.pdf"), "second", "owner", 128, {}, 3);
    QStringList expected, items;
    for (int i = 0; i < 150; ++i) {
        const QString name = QString("many/f%1.pdf").arg(i, 3, 10, QChar('0'));
        QDir(tmp.path()).mkpath("many");
        ASSERT_TRUE(QFile::copy(path(i % 3 ? "plain.pdf" : "secured.pdf"), path(name)));
        expected << name;
        items << described(QFileInfo(name).fileName(), i % 3 ? 2 : 3, i % 3 ? "" : "second", i % 3 == 0);
    }
    settings.setSecurityType(1);
    settings.setPasswords({"first", "second"});
    // A file named on its own after its folder is a duplicate met in a later batch.
    load({"many", "many/f149.pdf", "many/f000.pdf"}, true, false);
    ASSERT_EQ(delegate.names(tmp.path()), expected);
    EXPECT_EQ(described(delegate.files), items);
    EXPECT_EQ(delegate.totalPages, 100 * 2 + 50 * 3);
    EXPECT_EQ(delegate.pageLabelUpdates, 150);

    // A cancel after the 70th stops the list there, whatever was opened ahead.
    ListDelegate stopped(&settings);
    stopped.stopAfter = 70;
    load({"many"}, true, false, &stopped);
    EXPECT_EQ(stopped.names(tmp.path()), expected.mid(0, 70));

    // The window's way: every row listed uncounted in the order met, before
    // the first count; then the counts, in the same order.
    ListDelegate early(&settings);
    early.early = true;
    load({"many", "many/f149.pdf"}, true, false, &early);
    EXPECT_EQ(early.names(tmp.path()), expected) << "duplicates refused";
    EXPECT_TRUE(early.uncountedWhenListed);
    EXPECT_EQ(early.events.first(), "rows");
    EXPECT_EQ(early.countedInOrder, early.files);
    EXPECT_EQ(early.totalPages, 100 * 2 + 50 * 3);
    EXPECT_EQ(described(early.files), items);

    // Cancelled at the first counts: the rows stay, the rest uncounted, until
    // countItems opens them with the same passwords.
    ListDelegate cancelled(&settings);
    cancelled.early = true;
    cancelled.stopAfter = 1;
    load({"many"}, true, false, &cancelled);
    ASSERT_EQ(cancelled.names(tmp.path()), expected);
    QList<FileItemPtr> uncounted;
    for (const FileItemPtr &item : cancelled.files)
        if (!item->isCounted())
            uncounted << item;
    EXPECT_EQ(cancelled.files.mid(0, cancelled.countedInOrder.size()), cancelled.countedInOrder);
    for (const FileItemPtr &item : uncounted)
        EXPECT_EQ(item->displayField("PAGES"), QVariant(QString())) << "blank, not 0 pages";
    FileGatherer::countItems(uncounted, &settings, jobs);
    for (const FileItemPtr &item : cancelled.files)
        EXPECT_TRUE(item->isCounted()) << item->filePath().fileName().toStdString();
    EXPECT_EQ(described(cancelled.files), items);
}
