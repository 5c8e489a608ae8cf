// The main window's controls for window, engine and harvest tests: option
// boxes and fields set by the test, every write recorded in order.
//
// The test thread plays the window thread: build the window with
// make_recording_main_window, then either drain by hand
// (window.window_thread().drain()) or let run_recording_batch drive the
// dispatch timer until finish_batch. A harvest run on the test thread reaches
// the controls directly.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "window/main_window.h"

namespace qinghe::test_support {

struct ShownMessage {
    Text text;
    int style = 0;
    Text caption;
};

class RecordingWindow : public WindowControls {
public:
    RecordingWindow();

    // The controls' state, read and set by the test on the window thread.
    Text address;
    bool address_enabled = true;
    std::map<OptionBox, bool> options;  // start-up states of the window
    bool independent_package = false;
    Text save_folder;
    Text start_caption;  // "立即下载"
    bool start_enabled = true;
    Text status;
    int progress = 0;
    Text counter;
    Text file_list;
    Text style_sheet_box;
    int timer_period = 0;
    int batch_finished_count = 0;
    std::vector<ShownMessage> messages;
    int next_message_answer = 1;

    // Every write in order, e.g. "status:...", "progress:50", "timer:1",
    // "caption:...", "start_enabled:0", "address_enabled:0", "counter:...",
    // "files:...", "css:...", "address:...", "message:...", "finished".
    std::vector<std::string> events;

    // Any thread: the window thread has work (the wake hook).
    void wake();
    // Window thread: wait up to timeout for a wake; true when one came.
    bool wait_for_wake(std::chrono::milliseconds timeout);

    Text address_text() override { return address; }
    void set_address_text(const Text& text) override;
    void set_address_enabled(bool enabled) override;
    bool option_checked(OptionBox box) override { return options[box]; }
    bool independent_package_selected() override { return independent_package; }
    Text save_folder_text() override { return save_folder; }
    void set_start_caption(const Text& caption) override;
    void set_start_enabled(bool enabled) override;
    void set_status_text(const Text& text) override;
    void set_progress(int position) override;
    void set_counter_text(const Text& text) override;
    void append_file_list(const Text& text) override;
    void append_style_sheet_box(const Text& text) override;
    void set_dispatch_timer(int period_ms) override;
    int show_message(const Text& text, int style, const Text& caption) override;
    void batch_finished() override;

    // The events that start with prefix (e.g. "status:"), prefix removed.
    std::vector<std::string> events_of(const std::string& prefix) const;
    // Every status, counter text and progress position written, in order.
    std::vector<Text> statuses() const { return events_of("status:"); }
    std::vector<Text> counters() const { return events_of("counter:"); }
    std::vector<int> progress_steps() const;

private:
    std::mutex m_wake_mutex;
    std::condition_variable m_wake_signal;
    bool m_woken = false;
};

// A MainWindow over fake, owned by a shared_ptr as front ends hold it; the
// calling thread becomes the window thread.
inline std::shared_ptr<MainWindow> make_recording_main_window(RecordingWindow& fake) {
    return std::make_shared<MainWindow>(fake, [&fake] { fake.wake(); });
}

// Window thread: runs work on a worker thread of its own and plays the
// window thread meanwhile, until the worker ended and its writes landed.
template <typename Work>
void run_on_worker(MainWindow& window, RecordingWindow& fake, Work work) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
        work();
        done = true;
    });
    while (!done) {
        fake.wait_for_wake(std::chrono::milliseconds(20));
        window.window_thread().drain();
    }
    worker.join();
    window.window_thread().drain();
}

// Window thread: plays the dispatch timer, calling tick (dispatch_next) when
// it is armed and draining worker writes, until finish_batch ran or the time
// is up. True when the batch ended. owners: the test's own shared_ptr copies
// of the window.
template <typename Tick>
bool run_recording_batch(MainWindow& window, RecordingWindow& fake, Tick tick,
                         std::chrono::milliseconds timeout = std::chrono::seconds(60),
                         long owners = 1) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    const int finished_before = fake.batch_finished_count;
    while (fake.batch_finished_count == finished_before) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        window.window_thread().drain();
        if (fake.batch_finished_count != finished_before) break;
        if (fake.timer_period > 0) {
            tick(window);
            continue;
        }
        fake.wait_for_wake(std::chrono::milliseconds(50));
    }
    // The last worker may still make its trailing writes (the progress bar
    // back to 0 after arming the timer): wait until it let go of the window
    // (when the window is shared), then let them land.
    while (window.weak_from_this().use_count() > owners &&
           std::chrono::steady_clock::now() < deadline) {
        fake.wait_for_wake(std::chrono::milliseconds(5));
        window.window_thread().drain();
    }
    window.window_thread().drain();
    return true;
}

}  // namespace qinghe::test_support
