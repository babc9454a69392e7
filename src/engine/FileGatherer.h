#pragma once

#include "model/FileItem.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

namespace lockleaf
{

class Settings;

// Parameters of one gathering task.
struct Arguments {
    QList<QUrl> urls;
    bool isFolders = false;
    bool isIncludeSubdirectories = false;
};

// What a gathering task needs of the window (or of lockleaf-cli).
// Every method is called on the gathering thread. The window performs each one
// on the main thread and waits for it (a blocking queued call), so the file
// list is only ever changed on the main thread.
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

private:
    // Whether the path was taken as a candidate (added or already listed).
    // New candidates wait in a batch; they are opened by flushCandidates().
    bool addCandidate(const QUrl &url);
    // Opens the waiting candidates (on up to m_jobs threads) and appends them
    // in the order they were met.
    void flushCandidates();
    void skip(const QString &path, const QString &reason);
    void walkFolder(const QString &path, bool includeSubdirectories);

    GatheringDelegate *m_delegate;
    QStringList m_allowedFileTypes;
    QSet<QString> m_knownURLs;
    bool m_knownLoaded = false;
    int m_added = 0;
    int m_candidates = 0; // files taken as candidates, listed already or not
    QList<SkippedEntry> m_skipped;
    QList<QUrl> m_batch;
    int m_jobs;
    CandidateFilter m_filter;
    QString m_root; // the task's path the files now met are found under
};

} // namespace lockleaf
