#include "engine/window_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/main_window.h"
#include "support/fake_window.h"

namespace qinghe {
namespace {

using test_support::FakeWindow;

// Drains on the calling (window) thread until done() holds.
template <typename Done>
void drain_until(WindowThread& queue, Done done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done() && std::chrono::steady_clock::now() < deadline) {
        queue.drain();
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

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

TEST(MainWindow, ClosedWindowNeverTouchesItsControls) {
    auto fake = std::make_unique<FakeWindow>();
    fake->status = "before";
    fake->save_folder = "kept";
    auto window = test_support::make_fake_main_window(*fake);

    // start_batch reads the save folder before any worker runs.
    EXPECT_EQ(window->save_folder_text(), "kept");
    // A write queued by a worker before close() is dropped with the queue.
    std::thread([&] { window->set_status_text("queued"); }).join();
    window->close();
    window->window_thread().drain();
    EXPECT_EQ(fake->status, "before");

    // The front end may now go away while a worker still holds the window.
    fake.reset();
    std::shared_ptr<MainWindow> held = window;
    window.reset();
    std::thread([held] {
        held->set_status_text("late");
        held->set_dispatch_timer(1);
        // Still the folder of the batch: an empty one would send the
        // worker's files to the file system root.
        EXPECT_EQ(held->save_folder_text(), "kept");
        EXPECT_FALSE(held->option_checked(OptionBox::DownloadMainPictures));
        EXPECT_EQ(held->show_message("x"), 0);
        EXPECT_TRUE(held->is_closed());
    }).join();
}

TEST(MainWindow, ReadsFromAWorkerReturnTheControlsStateAfterItsWrites) {
    FakeWindow fake;
    fake.options[OptionBox::ShowItemTitle] = true;
    fake.independent_package = true;
    fake.save_folder = "D:\\pics";
    auto window = test_support::make_fake_main_window(fake);

    std::atomic<bool> done{false};
    Text description;
    bool title = false;
    PackageKind kind = PackageKind::Composite;
    Text folder;
    std::thread worker([&] {
        window->set_description_store("desc");
        description = window->description_store();
        title = window->options().show_item_title();
        kind = window->options().package_kind();
        folder = window->save_folder_text();
        done = true;
    });
    drain_until(window->window_thread(), [&] { return done.load(); });
    worker.join();
    EXPECT_EQ(description, "desc");
    EXPECT_TRUE(title);
    EXPECT_EQ(kind, PackageKind::Independent);
    EXPECT_EQ(folder, "D:\\pics");
}

TEST(MainWindow, MessageBoxesGetTheDefaultCaptionUnlessNamed) {
    FakeWindow fake;
    fake.next_message_answer = 1;
    auto window = test_support::make_fake_main_window(fake);
    EXPECT_EQ(window->show_message("a"), 1);
    window->show_message("b", 0, "other");
    ASSERT_EQ(fake.messages.size(), 2u);
    EXPECT_EQ(fake.messages[0].caption, "\xD0\xC5\xCF\xA2\xA3\xBA");  // 信息：
    EXPECT_EQ(fake.messages[1].caption, "other");
}

}  // namespace
}  // namespace qinghe
