#pragma once

#include "engine/FileGatherer.h"

#include <QObject>
#include <QStringList>

#include <atomic>
#include <memory>

class QThread;
class QWidget;

namespace lockleaf
{

class FileTableModel;
class Settings;
class WindowState;

// The window's side of file gathering: one gathering task at a time on a
// thread of its own, its cancel, and its orderly end at shutdown.
//
// Threads: the task runs FileGatherer::loadURLs on the gathering thread. Every
// call it makes back is performed on the main thread, so the list and the
// model change there only: the rows as they are met and their page counts
// arrive in batches queued to this object (the task does not wait for them);
// the other calls (sort, the window-state operations) are blocking queued
// calls. The task stops before its next file once the window's busy flag is
// cleared; rows listed but not yet counted then stay uncounted.
//
// Nothing passed in is owned; all must outlive this object.
class Gathering final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Gathering)

public:
    Gathering(FileTableModel *model, QWidget *table, WindowState *state, Settings *settings,
              QStringList allowedFileTypes, QObject *parent = nullptr);
    // Stops a task and waits for it.
    ~Gathering() override;

    // Starts loadURLs on a new thread; false (nothing started) while another
    // gathering is still working or after shutdown().
    bool startGathering(const Arguments &arguments);
    bool isGathering() const;
    // Asks a gathering task to stop before its next file.
    void cancelAction();
    // Quitting: asks the task to stop and returns once it has ended, serving its
    // main-thread calls meanwhile.
    void stopAndWait();
    // The end: no further task starts, the calls of a task still waiting are
    // skipped, and it is waited for.
    void shutdown();

Q_SIGNALS:
    // A gathering task has ended (emitted on the main thread).
    void gatheringFinished();
    // The task that just ended left these entries out (emitted on the main
    // thread, before gatheringFinished, only when there are any).
    void entriesSkipped(const QList<lockleaf::SkippedEntry> &entries);

private:
    class Bridge;

    FileTableModel *m_model;
    QWidget *m_table;
    WindowState *m_state;
    Settings *m_settings;
    QStringList m_allowedFileTypes;
    std::unique_ptr<Bridge> m_bridge;
    std::unique_ptr<QThread> m_thread;
    // Filled by the task's thread before it ends; read after it has ended.
    std::shared_ptr<QList<SkippedEntry>> m_skipped;
    std::atomic<bool> m_shuttingDown{false};
};

} // namespace lockleaf
