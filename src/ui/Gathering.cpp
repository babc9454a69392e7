// The window's side of file gathering: a GatheringDelegate whose every call is
// performed on the main thread while the gathering thread waits, the thread's
// start, its cancel, and the orderly end at shutdown.

#include "ui/LockleafAppDelegate.h"

#include "engine/Process.h"
#include "engine/Workspace.h"
#include "model/Settings.h"
#include "ui/AlertPresenter.h"
#include "ui/FileChooser.h"
#include "ui/FileTableModel.h"
#include "ui/MainThread.h"

#include "ui_MainWindow.h"
#include "ui_ProgressPanel.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QMainWindow>
#include <QThread>

namespace lockleaf
{

class LockleafAppDelegate::GatheringBridge final : public GatheringDelegate
{
public:
    explicit GatheringBridge(LockleafAppDelegate *window) : m_window(window) {}

    Settings *settings() const override { return m_window->m_settings.get(); }
    bool isProcessing() const override { return m_window->m_isProcessing.load(); }

    QList<QUrl> fileURLs() override
    {
        QList<QUrl> urls;
        onMain([&] {
            urls.reserve(m_window->m_files.size());
            for (const FileItemPtr &item : std::as_const(m_window->m_files))
                urls.append(item->filePath());
        });
        return urls;
    }
    void appendFileItem(const FileItemPtr &item) override
    {
        onMain([&] { m_window->m_model->appendItem(item); });
    }
    void sortAndReload() override
    {
        onMain([&] { m_window->m_model->sortFiles(); });
    }
    void resetViewObject(bool enabled) override
    {
        onMain([&] {
            m_window->resetViewObject(enabled);
            // The disabled table is not redrawn while the task appends to it:
            // drawing it after every file would cost more than finding the file.
            // Its rows show at once when the task ends.
            m_window->mainTableView()->setUpdatesEnabled(enabled);
        });
    }
    void startProcess() override
    {
        onMain([&] { m_window->startProcess(); });
    }
    void stopProcess() override
    {
        onMain([&] { m_window->stopProcess(); });
    }
    void updateTimeTakenLabel(const QString &text) override
    {
        onMain([&] { m_window->updateTimeTakenLabel(text); });
    }
    void updateTotalPagesLabel() override
    {
        onMain([&] { m_window->updateTotalPagesLabel(); });
    }
    void addToPasswordsList(const QString &password) override
    {
        // An empty password is never listed; no need to wait for the main thread.
        if (!password.isEmpty())
            onMain([&] { m_window->addToPasswordsList(password); });
    }

private:
    template <typename F> void onMain(F &&work)
    {
        runOnMainThread(m_window, m_window->m_shuttingDown, std::forward<F>(work));
    }

    LockleafAppDelegate *m_window;
};

// Defined here, where the bridge's type is complete.
LockleafAppDelegate::~LockleafAppDelegate()
{
    shutdownRun();
    shutdownGathering();
    m_ui->mainTableView->setTableDelegate(nullptr);
    m_ui->mainTableView->setModel(nullptr);
    delete m_window;
    m_window = nullptr;
    delete m_model;
    m_model = nullptr;
}

bool LockleafAppDelegate::isGathering() const
{
    return m_gatherThread && m_gatherThread->isRunning();
}

bool LockleafAppDelegate::startGathering(const Arguments &arguments)
{
    // One gathering at a time: two would append the same files twice.
    if (isGathering() || m_shuttingDown)
        return false;
    if (m_gatherThread) {
        m_gatherThread->wait();
        m_gatherThread.reset();
    }
    if (!m_gatheringBridge)
        m_gatheringBridge = std::make_shared<GatheringBridge>(this);

    GatheringDelegate *bridge = m_gatheringBridge.get();
    const QStringList types = m_allowedFileTypes;
    m_gatherThread.reset(QThread::create([bridge, types, arguments] {
        FileGatherer gatherer(bridge, types);
        gatherer.loadURLs(arguments);
    }));
    m_gatherThread->setObjectName(QStringLiteral("gathering"));
    connect(m_gatherThread.get(), &QThread::finished, this, [this] { Q_EMIT gatheringFinished(); });
    m_gatherThread->start();
    return true;
}

void LockleafAppDelegate::cancelAction()
{
    m_isProcessing = false;
}

void LockleafAppDelegate::shutdownGathering()
{
    m_shuttingDown = true;
    m_isProcessing = false;
    if (!m_gatherThread)
        return;
    // The task may be waiting for a main-thread call posted just before the flag
    // was set: deliver those (they do nothing now) until the thread has ended.
    while (!m_gatherThread->wait(QDeadlineTimer(20)))
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    m_gatherThread.reset();
}

} // namespace lockleaf
