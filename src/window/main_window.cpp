#include "window/main_window.h"

#include <cstdio>

#include "base/gbk_text.h"
#include "base/message.h"

namespace qinghe {

void write_error_line(const Text& text) {
    std::fprintf(stderr, "qinghe: %.*s\n", static_cast<int>(text.size()), text.data());
}

void WindowControls::log_error(const Text& text) { write_error_line(text); }

MainWindow::MainWindow(WindowControls& controls, WindowThread& window_thread)
    : m_controls(controls), m_window_thread(window_thread) {}

MainWindow::MainWindow(WindowControls& controls, std::function<void()> wake)
    : m_owned_thread(std::make_unique<WindowThread>(std::move(wake))),
      m_controls(controls),
      m_window_thread(*m_owned_thread) {
    m_window_thread.bind_to_current_thread();
}

// Every access to the controls runs on the window thread and checks m_closed
// there: close() also runs on the window thread, so a closed window's
// controls are never touched, not even by work that was queued before.
void MainWindow::write(std::function<void(WindowControls&)> action) {
    if (m_closed.load()) return;
    m_window_thread.post([this, action = std::move(action)] {
        if (!m_closed.load()) action(m_controls);
    });
}

template <typename T>
T MainWindow::read(std::function<T(WindowControls&)> reader, T fallback) {
    T result = fallback;
    if (m_closed.load()) return result;
    m_window_thread.call([&] {
        if (!m_closed.load()) result = reader(m_controls);
    });
    return result;
}

void MainWindow::current_address_failed(Failure failure) {
    m_outcome.address_failed(m_job.current_index, failure);
}

void MainWindow::begin_outcome_files(std::string_view batch_folder) {
    std::lock_guard lock(m_outcome_files_mutex);
    m_outcome_files = std::make_shared<OutcomeFiles>(batch_folder);
    m_last_batch_folder = Text(batch_folder);
}

Text MainWindow::last_batch_folder() {
    std::lock_guard lock(m_outcome_files_mutex);
    return m_last_batch_folder;
}

void MainWindow::keep_outcome_files_current() {
    std::shared_ptr<OutcomeFiles> files;
    {
        std::lock_guard lock(m_outcome_files_mutex);
        files = m_outcome_files;
    }
    if (files) files->keep_current(m_outcome);
}

void MainWindow::finish_outcome_files() {
    std::shared_ptr<OutcomeFiles> files;
    {
        std::lock_guard lock(m_outcome_files_mutex);
        files = std::move(m_outcome_files);
    }
    if (files) files->finish(m_outcome);
}

void MainWindow::request_stop() {
    {
        std::lock_guard lock(m_stop_mutex);
        m_stop = true;
    }
    m_stop_signal.notify_all();
}

void MainWindow::clear_stop() {
    std::lock_guard lock(m_stop_mutex);
    m_stop = false;
}

bool MainWindow::wait_unless_stopped(std::chrono::milliseconds wait) {
    std::unique_lock lock(m_stop_mutex);
    return !m_stop_signal.wait_for(lock, wait, [this] { return m_stop.load(); });
}

void MainWindow::set_address_text(const Text& text) {
    write([text](WindowControls& c) { c.set_address_text(text); });
}
void MainWindow::set_address_enabled(bool enabled) {
    write([enabled](WindowControls& c) { c.set_address_enabled(enabled); });
}
void MainWindow::set_start_caption(const Text& caption) {
    write([caption](WindowControls& c) { c.set_start_caption(caption); });
}
void MainWindow::set_start_enabled(bool enabled) {
    write([enabled](WindowControls& c) { c.set_start_enabled(enabled); });
}
void MainWindow::set_status_text(const Text& text) {
    write([text](WindowControls& c) { c.set_status_text(text); });
}
void MainWindow::set_progress(int position) {
    write([position](WindowControls& c) { c.set_progress(position); });
}
void MainWindow::set_counter_text(const Text& text) {
    write([text](WindowControls& c) { c.set_counter_text(text); });
}
void MainWindow::append_file_list(const Text& text) {
    write([text](WindowControls& c) { c.append_file_list(text); });
}
void MainWindow::append_style_sheet_box(const Text& text) {
    write([text](WindowControls& c) { c.append_style_sheet_box(text); });
}
void MainWindow::set_dispatch_timer(int period_ms) {
    write([period_ms](WindowControls& c) { c.set_dispatch_timer(period_ms); });
}
void MainWindow::set_description_store(const Text& text) {
    write([this, text](WindowControls&) { m_description_store = text; });
}
void MainWindow::notify_batch_finished() {
    write([](WindowControls& c) { c.batch_finished(); });
}
void MainWindow::report_error(const Text& text) {
    if (m_closed.load()) {
        write_error_line(text);
        return;
    }
    write([text](WindowControls& c) { c.log_error(text); });
}

Text MainWindow::address_text() {
    return read<Text>([](WindowControls& c) { return c.address_text(); });
}
bool MainWindow::option_checked(OptionBox box) {
    return read<bool>([box](WindowControls& c) { return c.option_checked(box); });
}
bool MainWindow::independent_package_selected() {
    return read<bool>([](WindowControls& c) { return c.independent_package_selected(); });
}
Text MainWindow::save_folder_text() {
    // After close() a worker still gets the folder it was saving into: an
    // empty folder would turn its paths into paths at the file system root.
    Text folder = read<Text>([this](WindowControls& c) {
        Text text = c.save_folder_text();
        std::lock_guard<std::mutex> lock(m_save_folder_mutex);
        m_last_save_folder = text;
        return text;
    });
    if (!m_closed.load()) return folder;
    std::lock_guard<std::mutex> lock(m_save_folder_mutex);
    return m_last_save_folder;
}
Text MainWindow::description_store() {
    return read<Text>([this](WindowControls&) { return m_description_store; });
}
int MainWindow::show_message(const Text& text, int style, const Text& caption) {
    const Text shown_caption = caption.empty() ? default_message_caption() : caption;
    return read<int>([&](WindowControls& c) { return c.show_message(text, style, shown_caption); });
}

void MainWindow::close() {
    m_closed.store(true);
    m_window_thread.shut_down();
}

bool MainWindow::is_closed() const { return m_closed.load(); }

Text status_message(const BatchJob& job, std::string_view message) {
    static const Text open = gbk_text("（");
    static const Text close = gbk_text("）");
    return join_text({open, job.progress_tag, close, message});
}

}  // namespace qinghe
