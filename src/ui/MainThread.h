#pragma once

#include <QMetaObject>
#include <QObject>
#include <QThread>

#include <atomic>

namespace lockleaf
{

// Runs `work` on `context`'s thread and returns when it has run: at once when
// called on that thread, otherwise through a blocking queued call. Each call is
// meant to be short, so the main thread is never held for long. Once
// `shuttingDown` is set the work is skipped, so a worker that is ending cannot
// wait on a main thread that is waiting for it. `context` must outlive the call.
template <typename F> void runOnMainThread(QObject *context, const std::atomic<bool> &shuttingDown, F &&work)
{
    if (QThread::currentThread() == context->thread()) {
        work();
        return;
    }
    if (shuttingDown)
        return;
    QMetaObject::invokeMethod(
        context,
        [&shuttingDown, &work] {
            if (!shuttingDown)
                work();
        },
        Qt::BlockingQueuedConnection);
}

} // namespace lockleaf
