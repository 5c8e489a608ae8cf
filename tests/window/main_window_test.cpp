#include "window/main_window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "support/drain_until.h"
#include "support/gbk_literal.h"
#include "support/recording_window.h"

namespace qinghe {
namespace {

using test_support::gbk;
using test_support::RecordingWindow;

using test_support::drain_until;

TEST(MainWindow, ClosedWindowNeverTouchesItsControls) {
    auto fake = std::make_unique<RecordingWindow>();
    fake->status = "before";
    fake->save_folder = "kept";
    auto window = test_support::make_recording_main_window(*fake);

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
    RecordingWindow fake;
    fake.options[OptionBox::ShowItemTitle] = true;
    fake.independent_package = true;
    fake.save_folder = "D:\\pics";
    auto window = test_support::make_recording_main_window(fake);

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
    RecordingWindow fake;
    fake.next_message_answer = 1;
    auto window = test_support::make_recording_main_window(fake);
    EXPECT_EQ(window->show_message("a"), 1);
    window->show_message("b", 0, "other");
    ASSERT_EQ(fake.messages.size(), 2u);
    EXPECT_EQ(fake.messages[0].caption, gbk("信息："));
    EXPECT_EQ(fake.messages[1].caption, "other");
}

TEST(MainWindow, AStopCutsAWaitShortUntilTheNextBatchClearsIt) {
    using namespace std::chrono_literals;
    RecordingWindow fake;
    auto window = test_support::make_recording_main_window(fake);
    EXPECT_TRUE(window->wait_unless_stopped(1ms));  // waited out

    const auto started = std::chrono::steady_clock::now();
    std::thread stopper([&] {
        std::this_thread::sleep_for(20ms);
        window->request_stop();
    });
    EXPECT_FALSE(window->wait_unless_stopped(60s));
    stopper.join();
    EXPECT_LT(std::chrono::steady_clock::now() - started, 10s);
    EXPECT_TRUE(window->stop_requested());
    EXPECT_FALSE(window->wait_unless_stopped(60s));  // a stopped batch waits no more

    window->clear_stop();
    EXPECT_FALSE(window->stop_requested());
    EXPECT_TRUE(window->wait_unless_stopped(1ms));
}

}  // namespace
}  // namespace qinghe
