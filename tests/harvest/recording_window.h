// A main window for harvest tests: option boxes set by the test, every
// write recorded in order. The test thread is the window thread, so a
// harvest run on it reaches the controls directly.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "window/main_window.h"
#include "base/window_thread.h"

namespace qinghe::test_support {

struct RecordingControls : WindowControls {
    std::map<OptionBox, bool> options{
        {OptionBox::DownloadMainPictures, true}, {OptionBox::DownloadDetailPictures, true},
        {OptionBox::DownloadOtherPictures, true}, {OptionBox::SmartCategorySave, true},
        {OptionBox::ShowItemTitle, false},       {OptionBox::ExportDataPackage, false},
        {OptionBox::RemoveHyperlinks, false}};
    bool independent = false;
    Text save_folder;

    std::vector<Text> statuses;
    std::vector<int> progress;
    std::vector<Text> counters;
    Text file_list;
    Text style_sheet_box;
    std::vector<std::string> events;  // every write, in order, as "kind:value"

    Text address_text() override { return {}; }
    void set_address_text(const Text&) override {}
    void set_address_enabled(bool) override {}
    bool option_checked(OptionBox box) override { return options[box]; }
    bool independent_package_selected() override { return independent; }
    Text save_folder_text() override { return save_folder; }
    void set_start_caption(const Text& caption) override { events.push_back("caption:" + caption); }
    void set_start_enabled(bool enabled) override { events.push_back(enabled ? "enabled:1" : "enabled:0"); }
    void set_status_text(const Text& text) override {
        statuses.push_back(text);
        events.push_back("status:" + text);
    }
    void set_progress(int position) override {
        progress.push_back(position);
        events.push_back("progress:" + std::to_string(position));
    }
    void set_counter_text(const Text& text) override {
        counters.push_back(text);
        events.push_back("counter:" + text);
    }
    void append_file_list(const Text& text) override { file_list += text; }
    void append_style_sheet_box(const Text& text) override { style_sheet_box += text; }
    void set_dispatch_timer(int period_ms) override { events.push_back("timer:" + std::to_string(period_ms)); }
    int show_message(const Text&, int, const Text&) override { return 1; }
};

// A window bound to the calling thread, with one batch of one address.
struct RecordingWindow {
    RecordingControls controls;
    WindowThread thread;
    MainWindow window{controls, bind(thread)};

    static WindowThread& bind(WindowThread& t) {
        t.bind_to_current_thread();
        return t;
    }
    void start_item(const Text& address, const Text& batch_folder_name, int index = 1, int count = 1) {
        BatchJob& job = window.job();
        job.current_address = address;
        job.batch_folder_name = batch_folder_name;
        job.current_index = index;
        job.address_count = count;
        job.progress_tag = std::to_string(index) + "/" + std::to_string(count);
    }
};

}  // namespace qinghe::test_support
