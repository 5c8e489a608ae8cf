#include "base/window_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "support/drain_until.h"

namespace qinghe {
namespace {

using test_support::drain_until;

TEST(WindowThread, WorkerWritesRunOnTheWindowThreadInOrderAndReadsSeeThem) {
    WindowThread queue;
    queue.bind_to_current_thread();
    std::vector<int> seen;  // window thread only
    std::vector<int> read_back;
    std::atomic<bool> worker_done{false};
    std::thread worker([&] {
        for (int i = 0; i < 200; ++i) {
            queue.post([&seen, i] { seen.push_back(i); });
            if (i % 50 == 49) {
                // A read queued after writes answers after them.
                read_back.push_back(queue.read<int>([&] { return static_cast<int>(seen.size()); }));
            }
        }
        worker_done = true;
    });
    drain_until(queue, [&] { return worker_done.load(); });
    worker.join();
    queue.drain();
    ASSERT_EQ(seen.size(), 200u);
    for (int i = 0; i < 200; ++i) EXPECT_EQ(seen[i], i);
    EXPECT_EQ(read_back, (std::vector<int>{50, 100, 150, 200}));
}

TEST(WindowThread, CallsOnTheWindowThreadRunInlineWithoutDeadlock) {
    WindowThread queue;
    queue.bind_to_current_thread();
    int value = 0;
    queue.post([&] { value = 1; });
    EXPECT_EQ(value, 1);  // no drain needed
    EXPECT_EQ(queue.read<int>([&] { return value + 1; }), 2);
    // Work that posts again from the window thread does not wait for itself.
    queue.post([&] { queue.post([&] { value = 3; }); });
    EXPECT_EQ(value, 3);
    EXPECT_EQ(queue.drain(), 0);
}

TEST(WindowThread, WakeHookRunsForQueuedWorkAndNeverAfterShutDown) {
    std::atomic<int> wakes{0};
    WindowThread queue([&] { wakes += 1; });
    queue.bind_to_current_thread();
    std::thread([&] { queue.post([] {}); }).join();
    EXPECT_EQ(wakes.load(), 1);
    queue.shut_down();
    const int before = wakes.load();
    std::thread([&] {
        queue.post([] {});
        EXPECT_FALSE(queue.call([] {}));
    }).join();
    EXPECT_EQ(wakes.load(), before);
}

TEST(WindowThread, ShutDownDropsPendingWorkAndReleasesWaitingReaders) {
    WindowThread queue;
    queue.bind_to_current_thread();
    bool ran = false;
    std::thread([&] { queue.post([&] { ran = true; }); }).join();

    std::atomic<bool> reader_started{false};
    std::atomic<int> answer{-1};
    std::thread reader([&] {
        reader_started = true;
        answer = queue.read<int>([] { return 7; }, 99);
    });
    while (!reader_started) std::this_thread::yield();
    // Give the read time to queue behind the write (if it has not, the
    // read meets the shut-down queue and returns the fallback all the same).
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    queue.shut_down();
    reader.join();
    EXPECT_FALSE(ran);
    EXPECT_EQ(answer.load(), 99);
    EXPECT_TRUE(queue.is_shut_down());
    EXPECT_EQ(queue.drain(), 0);
}

TEST(WindowThread, ShutDownFromInsideACallLetsTheCallerFinish) {
    WindowThread queue;
    queue.bind_to_current_thread();
    std::atomic<bool> returned{false};
    bool result = false;
    std::thread worker([&] {
        result = queue.call([&] { queue.shut_down(); });
        returned = true;
    });
    drain_until(queue, [&] { return returned.load(); });
    worker.join();
    EXPECT_TRUE(result);
    EXPECT_TRUE(queue.is_shut_down());
}

TEST(WindowThread, ACallStaysWaitingWhileItsWorkRunsANestedDrainThatShutsDown) {
    // A read whose work runs a modal loop (a message box) that drains again;
    // the nested work closes the window. The first caller must not return
    // before its own work has finished: that work still uses the caller's
    // state.
    WindowThread queue;
    queue.bind_to_current_thread();
    std::atomic<bool> outer_finished{false};
    std::atomic<bool> outer_saw_finished{false};
    std::atomic<bool> outer_returned{false};
    std::atomic<bool> inner_queued{false};
    std::thread inner_caller;
    std::thread outer_caller([&] {
        queue.call([&] {
            inner_caller = std::thread([&] {
                inner_queued = true;
                queue.call([&] { queue.shut_down(); });
            });
            while (!inner_queued) std::this_thread::yield();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            queue.drain();  // the nested loop
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            outer_finished = true;
        });
        outer_saw_finished = outer_finished.load();
        outer_returned = true;
    });
    drain_until(queue, [&] { return outer_returned.load() || queue.is_shut_down(); });
    outer_caller.join();
    inner_caller.join();
    EXPECT_TRUE(outer_saw_finished.load());
}

}  // namespace
}  // namespace qinghe
