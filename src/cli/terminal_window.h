// The main window of the headless runner: controls held in memory, a window
// thread loop on a condition variable, a one-shot dispatch timer, and the
// status line, progress bar and message boxes shown on the terminal.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <mutex>

#include "window/main_window.h"

namespace qinghe {

struct TerminalSettings {
    bool live_bar = false;  // redraw one progress line (a TTY) instead of plain lines
    bool verbose = false;   // print the file list box's lines
    std::FILE* out = stdout;
    std::FILE* err = stderr;
    // Set from a signal handler to stop the batch; the loop polls it.
    const std::atomic<bool>* stop = nullptr;
};

class TerminalWindow : public WindowControls {
public:
    explicit TerminalWindow(TerminalSettings settings);

    // Any thread: the window thread has work; wakes run_until_finished.
    void wake();

    // Window thread: runs queued work and timer ticks (dispatch_next) until
    // finish_batch ran. Returns at once when the timer is not armed and no
    // batch is running.
    void run_until_finished(MainWindow& window);

    bool timer_armed() const { return m_timer_period > 0; }
    bool finished() const { return m_finished; }
    // The stop flag was seen and the batch was told to stop.
    bool stopped() const { return m_stopped; }

    // The option boxes, set before the batch (flags skip the click interlocks).
    void set_option(OptionBox box, bool checked) { m_options[box] = checked; }
    void set_independent_package(bool selected) { m_independent = selected; }
    void set_save_folder(const Text& folder) { m_save_folder = folder; }

    // WindowControls, window thread only.
    Text address_text() override { return m_address; }
    void set_address_text(const Text& text) override { m_address = text; }
    void set_address_enabled(bool enabled) override { m_address_enabled = enabled; }
    bool option_checked(OptionBox box) override;
    bool independent_package_selected() override { return m_independent; }
    Text save_folder_text() override { return m_save_folder; }
    void set_start_caption(const Text& caption) override { m_start_caption = caption; }
    void set_start_enabled(bool enabled) override { m_start_enabled = enabled; }
    void set_status_text(const Text& text) override;
    void set_progress(int position) override;
    void set_counter_text(const Text& text) override;
    void append_file_list(const Text& text) override;
    void append_style_sheet_box(const Text&) override {}
    void set_dispatch_timer(int period_ms) override;
    int show_message(const Text& text, int style, const Text& caption) override;
    void batch_finished() override;

private:
    using Clock = std::chrono::steady_clock;

    void draw_bar();
    void end_bar_line();
    void print_line(std::FILE* stream, const Text& gbk);

    TerminalSettings m_settings;
    std::mutex m_wake_mutex;
    std::condition_variable m_wake_signal;
    bool m_woken = false;

    Text m_address;
    bool m_address_enabled = true;
    std::map<OptionBox, bool> m_options;
    bool m_independent = false;
    Text m_save_folder;
    Text m_start_caption;
    bool m_start_enabled = true;
    Text m_status;
    int m_progress = 0;
    Text m_counter;
    Text m_file_list_tail;  // a line still waiting for its CR LF
    int m_timer_period = 0;
    Clock::time_point m_timer_due;
    bool m_finished = false;
    bool m_stopped = false;
    bool m_bar_shown = false;
};

// GBK text as UTF-8 for the terminal; bytes that do not convert become "?".
std::string terminal_text(const Text& gbk);

}  // namespace qinghe
