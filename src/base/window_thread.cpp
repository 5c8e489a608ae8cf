#include "base/window_thread.h"

#include <algorithm>

namespace qinghe {

WindowThread::WindowThread(std::function<void()> wake) : m_wake(std::move(wake)) {}

void WindowThread::bind_to_current_thread() {
    std::lock_guard lock(m_mutex);
    m_window_thread = std::this_thread::get_id();
}

bool WindowThread::on_window_thread() const {
    std::lock_guard lock(m_mutex);
    return m_window_thread == std::this_thread::get_id();
}

void WindowThread::post(std::function<void()> work) {
    if (!work) return;
    {
        std::unique_lock lock(m_mutex);
        if (m_shut_down) return;
        if (m_window_thread == std::this_thread::get_id()) {
            lock.unlock();
            work();
            return;
        }
        m_queue.push_back(Item{std::move(work), nullptr});
    }
    wake();
}

bool WindowThread::call(const std::function<void()>& work) {
    if (!work) return false;
    bool done = false;
    {
        std::unique_lock lock(m_mutex);
        if (m_shut_down) return false;
        if (m_window_thread == std::this_thread::get_id()) {
            lock.unlock();
            work();
            return true;
        }
        // The queue holds a reference to work: the caller waits below until
        // the item ran or was dropped, so the reference stays valid.
        m_queue.push_back(Item{[&work] { work(); }, &done});
    }
    wake();
    std::unique_lock lock(m_mutex);
    // After shut_down the caller may leave only when its item is not running:
    // a running item still uses work.
    m_done.wait(lock, [&] {
        return done || (m_shut_down &&
                        std::find(m_running.begin(), m_running.end(), &done) == m_running.end());
    });
    return done;
}

void WindowThread::wake() {
    // Under m_wake_mutex, so that no wake runs once shut_down has returned:
    // the front end may destroy whatever the hook reaches right after it.
    std::lock_guard lock(m_wake_mutex);
    if (m_wake && !is_shut_down()) m_wake();
}

int WindowThread::drain() {
    int count = 0;
    size_t limit = 0;
    {
        std::lock_guard lock(m_mutex);
        limit = m_queue.size();
    }
    // Work queued while draining waits for the next drain (its wake is
    // already on the way), so a busy worker cannot starve the timer.
    for (size_t n = 0; n < limit; ++n) {
        Item item;
        {
            std::lock_guard lock(m_mutex);
            if (m_shut_down || m_queue.empty()) return count;
            item = std::move(m_queue.front());
            m_queue.pop_front();
            if (item.done) m_running.push_back(item.done);
        }
        item.work();
        ++count;
        if (item.done) {
            std::lock_guard lock(m_mutex);
            *item.done = true;
            m_running.erase(std::find(m_running.begin(), m_running.end(), item.done));
            m_done.notify_all();
        }
    }
    return count;
}

void WindowThread::shut_down() {
    std::deque<Item> dropped;
    {
        std::lock_guard wake_lock(m_wake_mutex);
        std::lock_guard lock(m_mutex);
        if (m_shut_down) return;
        m_shut_down = true;
        dropped.swap(m_queue);
        m_done.notify_all();
    }
    // Dropped writes may own captured state; release it outside the lock.
    dropped.clear();
}

bool WindowThread::is_shut_down() const {
    std::lock_guard lock(m_mutex);
    return m_shut_down;
}

bool WindowThread::has_pending() const {
    std::lock_guard lock(m_mutex);
    return !m_queue.empty();
}

}  // namespace qinghe
