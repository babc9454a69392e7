#pragma once

#include <QList>
#include <QStringList>

#include <exception>
#include <functional>

namespace lockleaf
{

// Runs the tasks 0..count-1 of a run on up to `jobs` threads and hands each
// result back on the calling thread in task order, whatever order they end in.
// With one job everything runs on the calling thread, one task after another.
//
// Tasks are started in order; a task taken up waits before its work until
// every task named in its precedence list has ended (see precedence()). The
// earliest unfinished task never waits, so the run always moves on.
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
        // Caller's thread, in task order, as a task is handed to a worker.
        std::function<void(int task)> begin;
        // A worker's thread (the caller's with one job). An exception it
        // throws is caught and handed to deliver.
        std::function<void(int task)> work;
        // Caller's thread, in task order, once the task's work has ended.
        // An exception it throws ends the run after the tasks in hand ended.
        std::function<void(int task, std::exception_ptr error)> deliver;
    };

    explicit RunWorkers(int jobs) : m_jobs(jobs < 1 ? 1 : jobs) {}

    // For each task, the earlier tasks it must wait for (by index).
    void setPrecedence(QList<QList<int>> precedence) { m_precedence = std::move(precedence); }
    void run(int count, const Steps &steps);

    // Precedence that keeps tasks sharing any key in list order: each task
    // waits for the previous task holding each of its keys.
    static QList<QList<int>> precedence(const QList<QStringList> &keysPerTask);
    // The what() of a caught exception; "unknown exception" for other types.
    static QString reasonOf(const std::exception_ptr &error);

private:
    int m_jobs;
    QList<QList<int>> m_precedence;
};

} // namespace lockleaf
