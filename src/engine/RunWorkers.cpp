#include "engine/RunWorkers.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace lockleaf
{

namespace
{

// How often an open-ended run looks for its next task while tasks in hand
// may end.
constexpr int kInputPollMs = 50;

// One task handed out and not yet delivered.
struct Slot {
    QList<int> before; // earlier tasks to wait for
    std::exception_ptr error;
    bool ended = false;
    bool dropped = false; // ended without its work: the run stopped first
};

// What the caller and the workers share; everything under `mutex`. Slots
// cover the tasks base..base+slots.size()-1: every earlier one is delivered.
struct Board {
    std::mutex mutex;
    std::condition_variable queued;  // a task was queued, or the run closes
    std::condition_variable changed; // a task ended
    std::deque<int> queue;
    std::deque<Slot> slots;
    int base = 0;
    int endedCount = 0;
    int takenUp = 0;       // tasks 0..takenUp-1 have been begun or dropped
    bool declined = false; // keepGoing said false: every later task is dropped
    bool closing = false;

    Slot &slot(int task) { return slots.at(size_t(task - base)); }
    bool hasEnded(int task) { return task < base || slot(task).ended; }
};

void workerLoop(Board &board, const RunWorkers::Steps &steps)
{
    std::unique_lock lock(board.mutex);
    for (;;) {
        board.queued.wait(lock, [&] { return board.closing || !board.queue.empty(); });
        if (board.queue.empty())
            return;
        const int task = board.queue.front();
        board.queue.pop_front();
        // Taken up in task order, before any wait for precedence: a stop then
        // drops a tail of the tasks, never one between two that are done.
        board.changed.wait(lock, [&] { return board.takenUp == task; });
        bool dropped = board.declined;
        if (!dropped) {
            lock.unlock();
            dropped = !steps.keepGoing();
            lock.lock();
        }
        board.declined = dropped;
        ++board.takenUp;
        board.changed.notify_all();
        if (!dropped) {
            const QList<int> before = board.slot(task).before;
            board.changed.wait(lock, [&] {
                for (int other : before)
                    if (!board.hasEnded(other))
                        return false;
                return true;
            });
        }
        lock.unlock();
        std::exception_ptr error;
        if (!dropped) {
            try {
                steps.work(task);
            } catch (...) {
                error = std::current_exception();
            }
        }
        lock.lock();
        Slot &slot = board.slot(task);
        slot.dropped = dropped;
        slot.error = error;
        slot.ended = true;
        ++board.endedCount;
        board.changed.notify_all();
    }
}

} // namespace

void RunWorkers::run(int count, const Steps &steps)
{
    const bool openEnded = count < 0;
    const auto exists = [&](int task) { return openEnded ? steps.more(task) : task < count; };
    if (m_jobs == 1 || count == 0 || count == 1) {
        for (int task = 0; steps.keepGoing() && exists(task); ++task) {
            steps.begin(task);
            std::exception_ptr error;
            try {
                steps.work(task);
            } catch (...) {
                error = std::current_exception();
            }
            steps.deliver(task, error);
        }
        return;
    }

    Board board;
    const int workerCount = openEnded ? m_jobs : std::min(m_jobs, count);
    std::vector<std::thread> workers;
    workers.reserve(workerCount);
    for (int i = 0; i < workerCount; ++i)
        workers.emplace_back(workerLoop, std::ref(board), std::cref(steps));
    // Tasks in hand always end (each whole) before this returns or throws.
    auto close = [&] {
        {
            std::lock_guard lock(board.mutex);
            board.closing = true;
        }
        board.queued.notify_all();
        for (std::thread &worker : workers)
            worker.join();
    };

    try {
        int next = 0;
        int delivered = 0;
        bool stopping = false; // no task after `next` is handed out
        for (;;) {
            bool awaitingInput = false; // the next task is not there yet
            for (;;) {
                {
                    std::lock_guard lock(board.mutex);
                    if (stopping || next - board.endedCount >= workerCount)
                        break;
                }
                if (!steps.keepGoing()) {
                    stopping = true;
                    break;
                }
                // Tasks that end meanwhile are delivered, not kept waiting
                // for the next one to turn up.
                if (openEnded && steps.ready && delivered < next && !steps.ready()) {
                    awaitingInput = true;
                    break;
                }
                if (!exists(next)) {
                    stopping = true;
                    break;
                }
                steps.begin(next);
                QList<int> before = steps.waitFor ? steps.waitFor(next) : QList<int>();
                {
                    std::lock_guard lock(board.mutex);
                    board.slots.push_back(Slot{std::move(before), {}, false, false});
                    board.queue.push_back(next);
                }
                board.queued.notify_one();
                ++next;
            }
            if (delivered == next)
                break;
            std::exception_ptr error;
            bool dropped = false;
            {
                std::unique_lock lock(board.mutex);
                if (awaitingInput)
                    board.changed.wait_for(lock, std::chrono::milliseconds(kInputPollMs),
                                           [&] { return board.slot(delivered).ended; });
                else
                    board.changed.wait(lock, [&] {
                        return board.slot(delivered).ended ||
                               (!stopping && next - board.endedCount < workerCount);
                    });
                if (!board.slot(delivered).ended)
                    continue; // a worker is free, or the next task may be there: hand it out first
                error = board.slot(delivered).error;
                dropped = board.slot(delivered).dropped;
            }
            if (!dropped)
                steps.deliver(delivered, error);
            {
                std::lock_guard lock(board.mutex);
                board.slots.pop_front();
                ++board.base;
            }
            ++delivered;
        }
    } catch (...) {
        close();
        throw;
    }
    close();
}

QString RunWorkers::reasonOf(const std::exception_ptr &error)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::exception &e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
    }
    return QStringLiteral("unknown exception");
}

QList<int> KeyedOrder::take(int task, const QStringList &keys)
{
    QList<int> before;
    for (const QString &key : keys) {
        const auto it = m_lastHolder.find(key);
        if (it != m_lastHolder.end()) {
            if (it.value() != task && !before.contains(it.value()))
                before << it.value();
            it.value() = task;
        } else {
            m_lastHolder.insert(key, task);
        }
    }
    m_keysOf.insert(task, keys);
    return before;
}

void KeyedOrder::release(int task)
{
    const QStringList keys = m_keysOf.take(task);
    for (const QString &key : keys) {
        const auto it = m_lastHolder.constFind(key);
        if (it != m_lastHolder.cend() && it.value() == task)
            m_lastHolder.erase(it);
    }
}

} // namespace lockleaf
