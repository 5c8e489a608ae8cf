// The main window as the engine and the workers see it.
//
// A front end implements WindowControls (its widgets; every method there runs
// on the window thread only). MainWindow wraps them with the thread rules:
// writes from a worker take effect on the window thread in order, reads
// block until the window thread answered, calls on the window thread run
// directly, and after close() everything is a harmless no-op.
#pragma once

#include <functional>
#include <memory>

#include "base/text.h"
#include "engine/batch_job.h"
#include "engine/job_options.h"
#include "engine/window_thread.h"

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
};

class MainWindow {
public:
    MainWindow(WindowControls& controls, WindowThread& window_thread);

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

    // Any thread. Blocking reads; defaults after close().
    Text address_text();
    bool option_checked(OptionBox box);
    bool independent_package_selected();
    Text save_folder_text();
    Text description_store();
    int show_message(const Text& text, int style = 0, const Text& caption = {});

    JobOptions options() { return JobOptions(*this); }

    // The batch state; see BatchJob for who may write it when.
    BatchJob& job() { return m_job; }

    // Window thread: the window is going away. Later calls are no-ops.
    void close();
    bool is_closed() const;

    WindowThread& window_thread() { return m_window_thread; }

private:
    WindowControls& m_controls;
    WindowThread& m_window_thread;
    BatchJob m_job;
    Text m_description_store;  // touched on the window thread only
};

// "（" + progress tag + "）" + message.
Text status_message(const BatchJob& job, std::string_view message);

}  // namespace qinghe
