#pragma once

#include "model/FileItem.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>

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
    bool addFolderToList(const QList<QUrl> &urls, bool includeSubdirectories);
    bool addFilesToList(const QList<QUrl> &urls);

private:
    void addCandidate(const QUrl &url);

    GatheringDelegate *m_delegate;
    QStringList m_allowedFileTypes;
    QSet<QString> m_knownURLs;
    bool m_knownLoaded = false;
    int m_added = 0;
};

} // namespace lockleaf
