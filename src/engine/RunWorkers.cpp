#include "engine/RunWorkers.h"

#include <QHash>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace lockleaf
{

namespace
{

// What the caller and the workers share; everything under `mutex`.
struct Board {
    std::mutex mutex;
    std::condition_variable queued;  // a task was queued, or the run closes
    std::condition_variable changed; // a task ended
    std::deque<int> queue;
    std::vector<char> ended;
    std::vector<char> dropped; // ended without its work: the run stopped first
    std::vector<std::exception_ptr> errors;
    int endedCount = 0;
    int takenUp = 0;       // tasks 0..takenUp-1 have been begun or dropped
    bool declined = false; // keepGoing said false: every later task is dropped
    bool closing = false;
};

void workerLoop(Board &board, const RunWorkers::Steps &steps, const QList<QList<int>> &precedence)
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
        if (!dropped && task < precedence.size()) {
            const QList<int> &before = precedence.at(task);
            board.changed.wait(lock, [&] {
                for (int other : before)
                    if (!board.ended.at(other))
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
        board.dropped.at(task) = dropped;
        board.errors.at(task) = error;
        board.ended.at(task) = 1;
        ++board.endedCount;
        board.changed.notify_all();
    }
}

} // namespace

void RunWorkers::run(int count, const Steps &steps)
{
    if (m_jobs == 1 || count <= 1) {
        for (int task = 0; task < count && steps.keepGoing(); ++task) {
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
    board.ended.assign(count, 0);
    board.dropped.assign(count, 0);
    board.errors.resize(count);
    const int workerCount = std::min(m_jobs, count);
    std::vector<std::thread> workers;
    workers.reserve(workerCount);
    for (int i = 0; i < workerCount; ++i)
        workers.emplace_back(workerLoop, std::ref(board), std::cref(steps), std::cref(m_precedence));
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
        bool stopping = false;
        for (;;) {
            for (;;) {
                {
                    std::lock_guard lock(board.mutex);
                    if (stopping || next >= count || next - board.endedCount >= workerCount)
                        break;
                }
                if (!steps.keepGoing()) {
                    stopping = true;
                    break;
                }
                steps.begin(next);
                {
                    std::lock_guard lock(board.mutex);
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
                const bool canStart = !stopping && next < count;
                board.changed.wait(lock, [&] {
                    return board.ended.at(delivered) || (canStart && next - board.endedCount < workerCount);
                });
                if (!board.ended.at(delivered))
                    continue; // a worker is free: hand it the next task first
                error = board.errors.at(delivered);
                dropped = board.dropped.at(delivered);
            }
            if (!dropped)
                steps.deliver(delivered, error);
            ++delivered;
        }
    } catch (...) {
        close();
        throw;
    }
    close();
}

QList<QList<int>> RunWorkers::precedence(const QList<QStringList> &keysPerTask)
{
    QList<QList<int>> result(keysPerTask.size());
    QHash<QString, int> lastHolder;
    for (int task = 0; task < keysPerTask.size(); ++task) {
        for (const QString &key : keysPerTask.at(task)) {
            const auto it = lastHolder.constFind(key);
            if (it != lastHolder.cend() && it.value() != task && !result[task].contains(it.value()))
                result[task] << it.value();
            lastHolder.insert(key, task);
        }
    }
    return result;
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

} // namespace lockleaf
