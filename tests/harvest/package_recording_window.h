// Test helper: window controls that record what the export shows and answer
// its reads from fields the test sets.
#pragma once

#include <map>
#include <vector>

#include "window/main_window.h"

namespace qinghe::package_test {

class RecordingWindow : public WindowControls {
public:
    std::map<OptionBox, bool> options;
    bool independent = true;
    Text save_folder;
    std::vector<Text> statuses;
    std::vector<Text> counters;

    Text address_text() override { return {}; }
    void set_address_text(const Text&) override {}
    void set_address_enabled(bool) override {}
    bool option_checked(OptionBox box) override { return options[box]; }
    bool independent_package_selected() override { return independent; }
    Text save_folder_text() override { return save_folder; }
    void set_start_caption(const Text&) override {}
    void set_start_enabled(bool) override {}
    void set_status_text(const Text& text) override { statuses.push_back(text); }
    void set_progress(int) override {}
    void set_counter_text(const Text& text) override { counters.push_back(text); }
    void append_file_list(const Text&) override {}
    void append_style_sheet_box(const Text&) override {}
    void set_dispatch_timer(int) override {}
    int show_message(const Text&, int, const Text&) override { return 0; }
};

}  // namespace qinghe::package_test
