// The main window as the engine and the workers see it.
//
// A front end implements WindowControls (its widgets; every method there runs
// on the window thread only). MainWindow wraps them with the thread rules:
// writes from a worker take effect on the window thread in order, reads
// block until the window thread answered, calls on the window thread run
// directly, and after close() everything is a harmless no-op.
//
// Lifetime: a worker may outlive the front end. Front ends keep the
// MainWindow in a std::shared_ptr (the dispatcher hands a copy to each
// worker) and call close() on the window thread before their widgets go
// away; from then on no call reaches the controls. Use the constructor that
// owns its WindowThread, so the queue lives as long as the last holder.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

#include "base/text.h"
#include "base/window_thread.h"
#include "window/batch_job.h"
#include "window/batch_outcome.h"
#include "window/job_options.h"
#include "window/outcome_files.h"

namespace qinghe {

// A front end's widgets. Window thread only.
class WindowControls {
public:
    virtual ~WindowControls() = default;

    virtual Text address_text() = 0;
    virtual void set_address_text(const Text& text) = 0;
    virtual void set_address_enabled(bool enabled) = 0;

    virtual bool option_checked(OptionBox box) = 0;
    virtual bool independent_package_selected() = 0;  // "独立包" radio button

    virtual Text save_folder_text() = 0;  // native absolute folder, as GBK

    virtual void set_start_caption(const Text& caption) = 0;
    virtual void set_start_enabled(bool enabled) = 0;
    virtual void set_status_text(const Text& text) = 0;
    virtual void set_progress(int position) = 0;  // 0..100
    virtual void set_counter_text(const Text& text) = 0;

    // append_to_edit_box on the file list box and on the style-sheet box.
    virtual void append_file_list(const Text& text) = 0;
    virtual void append_style_sheet_box(const Text& text) = 0;

    // Period in ms; 0 stops the one-shot dispatch timer. Each tick runs the
    // engine's dispatch_next on the window thread.
    virtual void set_dispatch_timer(int period_ms) = 0;

    virtual int show_message(const Text& text, int style, const Text& caption) = 0;

    // finish_batch ran: the batch is over. Front ends that wait for the end
    // of a batch (the headless runner) override it.
    virtual void batch_finished() {}

    // A worker caught an exception; the batch goes on. The default writes the
    // line to standard error; a desktop front end may log it its own way.
    virtual void log_error(const Text& text);
};

class MainWindow : public std::enable_shared_from_this<MainWindow> {
public:
    // window_thread must outlive this window.
    MainWindow(WindowControls& controls, WindowThread& window_thread);
    // Owns a WindowThread built with the wake hook; the calling thread
    // becomes its window thread.
    MainWindow(WindowControls& controls, std::function<void()> wake);
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Any thread. Writes.
    void set_address_text(const Text& text);
    void set_address_enabled(bool enabled);
    void set_start_caption(const Text& caption);
    void set_start_enabled(bool enabled);
    void set_status_text(const Text& text);
    void set_progress(int position);
    void set_counter_text(const Text& text);
    void append_file_list(const Text& text);
    void append_style_sheet_box(const Text& text);
    void set_dispatch_timer(int period_ms);
    void set_description_store(const Text& text);
    void notify_batch_finished();
    // Reaches WindowControls::log_error; after close() the line goes to
    // standard error, so no report is lost with the window.
    void report_error(const Text& text);

    // Any thread. Blocking reads; defaults after close(), except that
    // save_folder_text keeps giving the last folder read before it.
    Text address_text();
    bool option_checked(OptionBox box);
    bool independent_package_selected();
    Text save_folder_text();
    Text description_store();
    // An empty caption means the default "信息：". Returns 0 after close().
    int show_message(const Text& text, int style = 0, const Text& caption = {});

    JobOptions options() { return JobOptions(*this); }

    // The batch state; see BatchJob for who may write it when.
    BatchJob& job() { return m_job; }

    // What became of the batch's addresses and pictures; reset by start_batch.
    BatchOutcome& outcome() { return m_outcome; }
    // Worker thread: the current address itself failed (page not fetched,
    // block page, unreadable package).
    void current_address_failed(Failure failure);
    // Window thread, when a batch starts: the report files go into this
    // batch folder (path with its closing "\\"), once something fails.
    void begin_outcome_files(std::string_view batch_folder);
    // Any thread: brings the report files up to the outcome (worker boundary).
    void keep_outcome_files_current();
    // Window thread, at the end of the batch: writes the report files whole
    // when something failed.
    void finish_outcome_files();
    // The folder of the batch running or last run (with its closing "\\");
    // empty before the first batch.
    Text last_batch_folder();

    // Stopping a running batch. request_stop is kept until clear_stop (start
    // of the next batch); a stopped batch takes no further picture or address.
    void request_stop();
    void clear_stop();
    bool stop_requested() const { return m_stop.load(); }
    // Worker thread: waits the given time, or less when a stop comes;
    // false when it was cut short by a stop.
    bool wait_unless_stopped(std::chrono::milliseconds wait);

    // Window thread: the window is going away. Later calls are no-ops.
    void close();
    bool is_closed() const;

    WindowThread& window_thread() { return m_window_thread; }

private:
    void write(std::function<void(WindowControls&)> action);
    template <typename T>
    T read(std::function<T(WindowControls&)> reader, T fallback = T{});

    std::unique_ptr<WindowThread> m_owned_thread;
    WindowControls& m_controls;
    WindowThread& m_window_thread;
    std::atomic<bool> m_closed{false};
    BatchJob m_job;
    BatchOutcome m_outcome;
    std::mutex m_outcome_files_mutex;
    std::shared_ptr<OutcomeFiles> m_outcome_files;
    Text m_last_batch_folder;
    std::atomic<bool> m_stop{false};
    std::mutex m_stop_mutex;
    std::condition_variable m_stop_signal;
    Text m_description_store;  // touched on the window thread only
    std::mutex m_save_folder_mutex;
    Text m_last_save_folder;
};

// Any thread: one line on standard error, the default error log.
void write_error_line(const Text& text);

// "（" + progress tag + "）" + message.
Text status_message(const BatchJob& job, std::string_view message);

}  // namespace qinghe
