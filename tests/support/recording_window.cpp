#include "support/recording_window.h"

#include "base/gbk_text.h"

namespace qinghe::test_support {

RecordingWindow::RecordingWindow() : start_caption(gbk_text("立即下载")) {
    options = {
        {OptionBox::DownloadMainPictures, true},  {OptionBox::DownloadDetailPictures, true},
        {OptionBox::DownloadOtherPictures, true}, {OptionBox::SmartCategorySave, true},
        {OptionBox::ShowItemTitle, false},        {OptionBox::ExportDataPackage, true},
        {OptionBox::RemoveHyperlinks, true},
    };
}

void RecordingWindow::wake() {
    {
        std::lock_guard lock(m_wake_mutex);
        m_woken = true;
    }
    m_wake_signal.notify_all();
}

bool RecordingWindow::wait_for_wake(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_wake_mutex);
    const bool woken = m_wake_signal.wait_for(lock, timeout, [this] { return m_woken; });
    m_woken = false;
    return woken;
}

void RecordingWindow::set_address_text(const Text& text) {
    address = text;
    events.push_back("address:" + text);
}
void RecordingWindow::set_address_enabled(bool enabled) {
    address_enabled = enabled;
    events.push_back(std::string("address_enabled:") + (enabled ? "1" : "0"));
}
void RecordingWindow::set_start_caption(const Text& caption) {
    start_caption = caption;
    events.push_back("caption:" + caption);
}
void RecordingWindow::set_start_enabled(bool enabled) {
    start_enabled = enabled;
    events.push_back(std::string("start_enabled:") + (enabled ? "1" : "0"));
}
void RecordingWindow::set_status_text(const Text& text) {
    status = text;
    events.push_back("status:" + text);
}
void RecordingWindow::set_progress(int position) {
    progress = position;
    events.push_back("progress:" + std::to_string(position));
}
void RecordingWindow::set_counter_text(const Text& text) {
    counter = text;
    events.push_back("counter:" + text);
}
void RecordingWindow::append_file_list(const Text& text) {
    file_list += text;
    events.push_back("files:" + text);
}
void RecordingWindow::append_style_sheet_box(const Text& text) {
    style_sheet_box += text;
    events.push_back("css:" + text);
}
void RecordingWindow::set_dispatch_timer(int period_ms) {
    timer_period = period_ms;
    events.push_back("timer:" + std::to_string(period_ms));
}
int RecordingWindow::show_message(const Text& text, int style, const Text& caption) {
    messages.push_back({text, style, caption});
    events.push_back("message:" + text);
    return next_message_answer;
}
void RecordingWindow::batch_finished() {
    ++batch_finished_count;
    events.push_back("finished");
}

std::vector<std::string> RecordingWindow::events_of(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const std::string& event : events) {
        if (event.compare(0, prefix.size(), prefix) == 0)
            found.push_back(event.substr(prefix.size()));
    }
    return found;
}

std::vector<int> RecordingWindow::progress_steps() const {
    std::vector<int> steps;
    for (const std::string& step : events_of("progress:")) steps.push_back(std::stoi(step));
    return steps;
}

}  // namespace qinghe::test_support
