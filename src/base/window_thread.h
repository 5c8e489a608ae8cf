// A FIFO of work for the window thread.
//
// Workers post writes and call reads; the window thread drains the queue.
// A read waits for its answer on the same queue, so it always sees the
// caller's earlier writes. On the window thread itself both run inline.
// After shut_down every post and call is a harmless no-op (a call returns a
// default value), so a worker may outlive the window.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace qinghe {

class WindowThread {
public:
    // wake is called (from any thread) after work was queued; the front end
    // arranges for drain() to run on the window thread soon after.
    explicit WindowThread(std::function<void()> wake = {});

    // Marks the calling thread as the window thread.
    void bind_to_current_thread();
    bool on_window_thread() const;

    // Any thread: queue a write, or run it inline on the window thread.
    void post(std::function<void()> work);
    // Any thread: run work on the window thread and wait for it. Returns
    // false (without running it) after shut_down.
    bool call(const std::function<void()>& work);

    template <typename T>
    T read(const std::function<T()>& reader, T fallback = T{}) {
        T result = fallback;
        call([&] { result = reader(); });
        return result;
    }

    // Window thread: run everything queued so far; returns the count run.
    // May be nested: work that runs a modal loop may drain again.
    int drain();
    // Window thread: the window is gone. Pending work is dropped and
    // waiting callers are released.
    void shut_down();
    bool is_shut_down() const;
    // Any thread: whether work waits in the queue.
    bool has_pending() const;

private:
    void wake();

    struct Item {
        std::function<void()> work;
        bool* done = nullptr;  // set for calls
    };

    std::mutex m_wake_mutex;  // taken before m_mutex, never after
    mutable std::mutex m_mutex;
    std::condition_variable m_done;
    std::deque<Item> m_queue;
    std::function<void()> m_wake;
    std::thread::id m_window_thread;
    bool m_shut_down = false;
    // The done flags of the calls being run; more than one when a drained
    // item runs a nested event loop (a modal message box) that drains again.
    std::vector<bool*> m_running;
};

}  // namespace qinghe
