#pragma once

#include <QHash>
#include <QList>
#include <QStringList>

#include <exception>
#include <functional>

namespace lockleaf
{

// Runs the tasks of a run on up to `jobs` threads and hands each result back
// on the calling thread in task order, whatever order they end in. With one
// job everything runs on the calling thread, one task after another. Only the
// tasks in hand are kept track of, so a run of any length costs the same.
//
// Tasks are started in order; a task taken up waits before its work until
// every task named by Steps::waitFor has ended. The earliest unfinished task
// never waits, so the run always moves on.
class RunWorkers final
{
public:
    struct Steps {
        // Before each task is handed out (caller's thread) and again as a
        // worker takes it up (the worker's): false starts no more. Tasks are
        // taken up in task order, so the tasks begun are always 0..n-1: a task
        // handed out but not yet taken up when it turns false is dropped (never
        // delivered), and so is every task after it.
        std::function<bool()> keepGoing;
        // Open-ended runs (run() without a count): caller's thread, before
        // task `task` is handed out; may wait for it to exist. False: there is
        // no such task, the run ends once the tasks in hand are delivered.
        std::function<bool(int task)> more;
        // Optional, open-ended runs: caller's thread, whether `more` would
        // answer at once. While it says no, tasks that end are delivered
        // rather than held until the next task turns up.
        std::function<bool()> ready;
        // Caller's thread, in task order, as a task is handed to a worker.
        std::function<void(int task)> begin;
        // Optional; caller's thread, right after begin: the earlier tasks this
        // one must wait for (any that have ended already are passed over).
        std::function<QList<int>(int task)> waitFor;
        // A worker's thread (the caller's with one job). An exception it
        // throws is caught and handed to deliver.
        std::function<void(int task)> work;
        // Caller's thread, in task order, once the task's work has ended.
        // An exception it throws ends the run after the tasks in hand ended.
        std::function<void(int task, std::exception_ptr error)> deliver;
    };

    explicit RunWorkers(int jobs) : m_jobs(jobs < 1 ? 1 : jobs) {}

    // Tasks 0..count-1.
    void run(int count, const Steps &steps);
    // As many tasks as Steps::more grants.
    void run(const Steps &steps) { run(-1, steps); }

    // The what() of a caught exception; "unknown exception" for other types.
    static QString reasonOf(const std::exception_ptr &error);

private:
    int m_jobs;
};

// Keeps tasks that share any key in task order: each task waits for the
// previous task holding each of its keys. Only tasks not yet released are
// remembered. One thread (the run's caller) uses it.
class KeyedOrder final
{
public:
    // Records `task` (later than every task before) as holding `keys`;
    // returns the unreleased earlier tasks it must wait for.
    QList<int> take(int task, const QStringList &keys);
    // The task has ended: nobody waits for it any more.
    void release(int task);

private:
    QHash<QString, int> m_lastHolder;
    QHash<int, QStringList> m_keysOf;
};

} // namespace lockleaf
