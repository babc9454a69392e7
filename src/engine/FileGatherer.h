#pragma once

#include "model/FileItem.h"

#include <QElapsedTimer>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <optional>

namespace lockleaf
{

class Settings;

// Parameters of one gathering task.
struct Arguments {
    QList<QUrl> urls;
    bool isFolders = false;
    bool isIncludeSubdirectories = false;
    // Folders only: drawn after `urls`, one at a time until it gives none
    // (a list too long to hold).
    std::function<std::optional<QUrl>()> more;
};

// What a gathering task needs of the window (or of lockleaf-cli).
// Every method is called on the gathering thread. The window performs each one
// on the main thread, so the file list is only ever changed there; it waits
// for each call except the two batch calls, which it queues.
class GatheringDelegate
{
public:
    virtual ~GatheringDelegate() = default;

    // The live settings; read (and possibly changed) by the task.
    virtual Settings *settings() const = 0;
    // Cleared by the main thread to ask the task to stop. Thread-safe.
    virtual bool isProcessing() const = 0;

    // Snapshot of the URLs already in the list (for duplicate checks).
    virtual QList<QUrl> fileURLs() = 0;
    // Appends one item at the end of the list and adds its pages to the running total.
    virtual void appendFileItem(const FileItemPtr &item) = 0;
    // Rows as they are met, in that order, before their files are opened
    // (FileItem::isCounted() false); a few at a time. Each item comes back in
    // applyCounts() unless the task is cancelled first. Returns whether they
    // were listed; by default not: the items are appended once counted.
    virtual bool appendFileItems(const QList<FileItemPtr> &items)
    {
        Q_UNUSED(items);
        return false;
    }
    // What the workers read of earlier rows: listed[i] takes counted[i]'s count,
    // in met order, a few at a time. By default each listed item takes its
    // count and is then appended (appendFileItem, updateTotalPagesLabel)
    // until isProcessing() turns false.
    virtual void applyCounts(const QList<FileItemPtr> &listed, const QList<FileItemPtr> &counted);
    // Sorts the whole list by the table's current sort key and reloads the table.
    virtual void sortAndReload() = 0;

    // The window-state operations.
    virtual void resetViewObject(bool enabled) = 0;
    virtual void startProcess() = 0;
    virtual void stopProcess() = 0;
    virtual void updateTimeTakenLabel(const QString &text) = 0;
    virtual void updateTotalPagesLabel() = 0;
    virtual void addToPasswordsList(const QString &password) = 0;
    // An entry the task left out and why ("not a PDF file", ...), as it
    // happens; the task also keeps the list (FileGatherer::skipped()).
    virtual void reportSkipped(const QString &path, const QString &reason)
    {
        Q_UNUSED(path);
        Q_UNUSED(reason);
    }
};

// An entry left out of the list, with the reason in a few words.
struct SkippedEntry {
    QString path;
    QString reason;
};

// Turns URLs into file items appended to the delegate's list.
// One instance per task; not thread-safe; runs on the thread that calls it.
class FileGatherer final
{
public:
    explicit FileGatherer(GatheringDelegate *delegate,
                          QStringList allowedFileTypes = {QStringLiteral("pdf"), QStringLiteral("PDF")});

    // The whole task: disables the window, gathers, sorts when the list changed,
    // and always re-enables the window at the end.
    void loadURLs(const Arguments &arguments);

    // Both return whether the list grew.
    // Each path named in `urls` is a folder (walked), a regular file with an
    // allowed extension, or reported as skipped; so is a folder that yields no
    // file at all, and, inside a walk, an entry whose name the file system
    // encoding cannot express, or a special file (FIFO, device, socket).
    bool addFolderToList(const QList<QUrl> &urls, bool includeSubdirectories);
    // Every path becomes an item except special files and names that cannot
    // be opened, which are reported as skipped.
    bool addFilesToList(const QList<QUrl> &urls);

    // Whether a walk takes a file of this name: not hidden, an allowed extension.
    bool takesFileNamed(const QString &fileName) const;
    // Leaves out an entry the caller met, told as the task's own.
    void skipEntry(const QString &path, const QString &reason) { skip(path, reason); }
    // Entries of this task left out so far, in the order met.
    const QList<SkippedEntry> &skipped() const { return m_skipped; }

    // Files opened at once to count their pages (default: one per core); the
    // list still grows in the order the files were met. 1: one after another.
    void setJobs(int jobs) { m_jobs = jobs < 1 ? 1 : jobs; }

    // Asked of each file met, before it is opened, with the path named in the
    // task's URLs that it was found under (the file itself when named
    // directly); a file it turns down is left out without a word, and still
    // counts as met (its folder is not "without PDF files"). Default: all.
    using CandidateFilter = std::function<bool(const QString &root, const QString &path)>;
    void setCandidateFilter(CandidateFilter filter) { m_filter = std::move(filter); }

    // Streaming: files are counted and handed to the delegate a few at a
    // time as the walk meets them, and in the order of their full paths
    // (each folder's entries as if a folder's name ended in "/"), so the
    // whole list never has to be held; no duplicate check is made here.
    void setStreaming(bool streaming) { m_streaming = streaming; }
    // A folder the walk never enters (the output folder of a run in the
    // tree), the same folder under whatever path it is met; "" for none.
    void setExcludedFolder(const QString &folder);

    // Counts the pages of items listed uncounted (a cancelled gathering's last
    // rows) on up to `jobs` threads, with the passwords a gathering would try;
    // returns when all are counted. The items must not be read meanwhile.
    static void countItems(const QList<FileItemPtr> &items, Settings *settings, int jobs);

private:
    // Whether the path was taken as a candidate (added or already listed).
    // A new candidate is listed at once (appendFileItems, a batch at a time)
    // and opened by flushCandidates().
    bool addCandidate(const QUrl &url);
    // Hands the rows met since the last call to the delegate: at once for the
    // task's first row or when `now`, else when the last batch is old enough.
    void handOffRows(bool now);
    // Opens the waiting candidates (on up to m_jobs threads) and hands their
    // counts back in the order they were met.
    void flushCandidates();
    void skip(const QString &path, const QString &reason);
    bool addFolders(const std::function<std::optional<QUrl>()> &next, bool includeSubdirectories);
    void walkFolder(const QString &path, bool includeSubdirectories);
    bool isExcluded(const QString &folder) const;
    static constexpr int kStreamBatch = 16; // files counted at once while streaming

    GatheringDelegate *m_delegate;
    QStringList m_allowedFileTypes;
    QSet<QString> m_knownURLs;
    bool m_knownLoaded = false;
    int m_added = 0;
    int m_candidates = 0; // files taken as candidates, listed already or not
    QList<SkippedEntry> m_skipped;
    QList<FileItemPtr> m_batch; // met, not yet counted
    QList<FileItemPtr> m_rows;  // met, not yet handed to the delegate
    int m_listed = 0;
    QElapsedTimer m_sinceHandOff;
    int m_jobs;
    CandidateFilter m_filter;
    QString m_root; // the task's path the files now met are found under
    bool m_streaming = false;
    QString m_excluded;
    quint64 m_excludedDevice = 0;
    quint64 m_excludedInode = 0;
};

} // namespace lockleaf
