#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>

namespace lockleaf::cli
{

// Hands what one thread finds to another, holding at most `capacity` at a
// time: the finder waits while it is full, so it never runs far ahead of the
// run and memory stays the same however much there is to find.
template <class T> class BoundedQueue
{
public:
    explicit BoundedQueue(std::size_t capacity) : m_capacity(capacity) {}

    // Waits for room; false (nothing queued) once the reader has cancelled.
    bool push(T value)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_cancelled || m_items.size() < m_capacity; });
        if (m_cancelled)
            return false;
        m_items.push_back(std::move(value));
        m_changed.notify_all();
        return true;
    }
    // Waits for the next value; none once the finder has finished and all
    // was taken, or once cancelled.
    std::optional<T> pop()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_cancelled || m_finished || !m_items.empty(); });
        if (m_cancelled || m_items.empty())
            return std::nullopt;
        T value = std::move(m_items.front());
        m_items.pop_front();
        m_changed.notify_all();
        return value;
    }
    // The finder: there is no more.
    void finish()
    {
        std::lock_guard lock(m_mutex);
        m_finished = true;
        m_changed.notify_all();
    }
    // The reader: nothing more is wanted; a waiting push returns at once.
    void cancel()
    {
        std::lock_guard lock(m_mutex);
        m_cancelled = true;
        m_items.clear();
        m_changed.notify_all();
    }
    // Whether pop() would return at once.
    bool ready() const
    {
        std::lock_guard lock(m_mutex);
        return m_cancelled || m_finished || !m_items.empty();
    }
    bool cancelled() const
    {
        std::lock_guard lock(m_mutex);
        return m_cancelled;
    }

private:
    const std::size_t m_capacity;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<T> m_items;
    bool m_finished = false;
    bool m_cancelled = false;
};

} // namespace lockleaf::cli
