#include "ui/Gathering.h"

#include "ui/FileTableModel.h"
#include "ui/MainThread.h"
#include "ui/WindowState.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <QWidget>

namespace lockleaf
{

// A GatheringDelegate whose every call is performed on the main thread while
// the gathering thread waits; skipped once the window shuts down.
class Gathering::Bridge final : public GatheringDelegate
{
public:
    explicit Bridge(Gathering *owner) : m_owner(owner) {}

    Settings *settings() const override { return m_owner->m_settings; }
    bool isProcessing() const override { return m_owner->m_state->isProcessing(); }

    QList<QUrl> fileURLs() override
    {
        QList<QUrl> urls;
        onMain([&] {
            const QList<FileItemPtr> &files = m_owner->m_model->files();
            urls.reserve(files.size());
            for (const FileItemPtr &item : files)
                urls.append(item->filePath());
        });
        return urls;
    }
    void appendFileItem(const FileItemPtr &item) override
    {
        onMain([&] { m_owner->m_model->appendItem(item); });
    }
    // Queued, not waited for: the task goes on finding files while the window
    // takes in the last batch. Queued calls to one object arrive in order, so
    // every batch is in before the blocking calls that follow it.
    bool appendFileItems(const QList<FileItemPtr> &items) override
    {
        post([owner = m_owner, items] {
            owner->m_model->appendItems(items);
            owner->m_state->updateTotals();
        });
        return true;
    }
    void applyCounts(const QList<FileItemPtr> &listed, const QList<FileItemPtr> &counted) override
    {
        post([owner = m_owner, listed, counted] {
            owner->m_model->applyCounts(listed, counted);
            owner->m_state->updateTotals();
        });
    }
    void sortAndReload() override
    {
        onMain([&] { m_owner->m_model->sortFiles(); });
    }
    void resetViewObject(bool enabled) override
    {
        onMain([&] { m_owner->m_state->resetViewObject(enabled); });
    }
    void startProcess() override
    {
        onMain([&] { m_owner->m_state->startProcess(); });
    }
    void stopProcess() override
    {
        onMain([&] { m_owner->m_state->stopProcess(); });
    }
    void updateTimeTakenLabel(const QString &text) override
    {
        onMain([&] { m_owner->m_state->updateTimeTakenLabel(text); });
    }
    void updateTotalPagesLabel() override
    {
        onMain([&] { m_owner->m_state->updateTotalPagesLabel(); });
    }
    void addToPasswordsList(const QString &password) override
    {
        // An empty password is never listed; no need to wait for the main thread.
        if (!password.isEmpty())
            onMain([&] { m_owner->m_state->addToPasswordsList(password); });
    }

private:
    template <typename F> void post(F &&work)
    {
        if (m_owner->m_shuttingDown)
            return;
        QMetaObject::invokeMethod(
            m_owner,
            [owner = m_owner, work = std::forward<F>(work)] {
                if (!owner->m_shuttingDown)
                    work();
            },
            Qt::QueuedConnection);
    }
    template <typename F> void onMain(F &&work)
    {
        runOnMainThread(m_owner, m_owner->m_shuttingDown, std::forward<F>(work));
    }

    Gathering *m_owner;
};

Gathering::Gathering(FileTableModel *model, QWidget *table, WindowState *state, Settings *settings,
                     QStringList allowedFileTypes, QObject *parent)
    : QObject(parent), m_model(model), m_table(table), m_state(state), m_settings(settings),
      m_allowedFileTypes(std::move(allowedFileTypes)), m_bridge(std::make_unique<Bridge>(this))
{
}

Gathering::~Gathering()
{
    shutdown();
}

bool Gathering::isGathering() const
{
    return m_thread && m_thread->isRunning();
}

bool Gathering::startGathering(const Arguments &arguments)
{
    // One gathering at a time: two would append the same files twice.
    if (isGathering() || m_shuttingDown)
        return false;
    if (m_thread) {
        m_thread->wait();
        m_thread.reset();
    }
    GatheringDelegate *bridge = m_bridge.get();
    const QStringList types = m_allowedFileTypes;
    auto skipped = std::make_shared<QList<SkippedEntry>>();
    m_skipped = skipped;
    m_thread.reset(QThread::create([bridge, types, arguments, skipped] {
        FileGatherer gatherer(bridge, types);
        gatherer.loadURLs(arguments);
        *skipped = gatherer.skipped();
    }));
    m_thread->setObjectName(QStringLiteral("gathering"));
    connect(m_thread.get(), &QThread::finished, this, [this, skipped] {
        if (!skipped->isEmpty() && !m_shuttingDown)
            Q_EMIT entriesSkipped(*skipped);
        Q_EMIT gatheringFinished();
    });
    m_thread->start();
    return true;
}

void Gathering::cancelAction()
{
    m_state->clearProcessing();
}

void Gathering::stopAndWait()
{
    if (!isGathering())
        return;
    // Cleared again after every call served: a gathering that was just
    // starting sets the busy flag once more when its start-up call is served.
    cancelAction();
    while (!m_thread->wait(QDeadlineTimer(20))) {
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
        cancelAction();
    }
}

void Gathering::shutdown()
{
    m_shuttingDown = true;
    m_state->clearProcessing();
    if (!m_thread)
        return;
    // The task may be waiting for a main-thread call posted just before the flag
    // was set: deliver those (they do nothing now) until the thread has ended.
    while (!m_thread->wait(QDeadlineTimer(20)))
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    m_thread.reset();
}

} // namespace lockleaf
