// A Composite package export over a whole batch: 2,000 and 10,000 items with
// 20 KB descriptions, pictures already in the package folder, so only the
// package step runs (row building, conversion, the batch's file written at
// doubled row counts and completed by the batch's end, as finish_batch does).
//
// Reports the whole export's time, the time of the last item, and the bytes
// the process handed to write() (wchar of /proc/self/io) over the final
// file's size. QINGHE_BENCH_ITEMS overrides the item counts.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "base/files.h"
#include "harvest/composite_package.h"
#include "harvest/export_item_package.h"
#include "package/data_package.h"
#include "package/sale_properties.h"
#include "package_bench_items.h"
#include "window/main_window.h"

namespace qinghe {
namespace {

class QuietWindow : public WindowControls {
public:
    Text save_folder;
    Text address_text() override { return {}; }
    void set_address_text(const Text&) override {}
    void set_address_enabled(bool) override {}
    bool option_checked(OptionBox box) override {
        return box == OptionBox::ExportDataPackage || box == OptionBox::DownloadDetailPictures;
    }
    bool independent_package_selected() override { return false; }
    Text save_folder_text() override { return save_folder; }
    void set_start_caption(const Text&) override {}
    void set_start_enabled(bool) override {}
    void set_status_text(const Text&) override {}
    void set_progress(int) override {}
    void set_counter_text(const Text&) override {}
    void append_file_list(const Text&) override {}
    void append_style_sheet_box(const Text&) override {}
    void set_dispatch_timer(int) override {}
    int show_message(const Text&, int, const Text&) override { return 0; }
};

// A field of /proc/self/io ("wchar"), 0 when unreadable.
long long process_io(const std::string& field) {
    std::ifstream io("/proc/self/io");
    std::string name;
    long long value = 0;
    while (io >> name >> value) {
        if (name == field + ":") return value;
    }
    return 0;
}

void BM_CompositeExport(benchmark::State& state) {
    const char* items_env = std::getenv("QINGHE_BENCH_ITEMS");
    const int items = items_env ? std::atoi(items_env) : static_cast<int>(state.range(0));
    const std::filesystem::path root =
        std::filesystem::temp_directory_path() / "qinghe-package-bench";
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root / "batch");

    QuietWindow controls;
    controls.save_folder = root.string();
    WindowThread window_thread;
    window_thread.bind_to_current_thread();
    MainWindow window(controls, window_thread);
    window.job().batch_folder_name = "batch";
    window.job().progress_tag = "1/1";
    window.set_description_store(bench_items::description());

    const Text batch_path = root.string() + "\\batch\\";
    const Text package_folder = batch_path + "package\\";
    create_directory(package_folder);
    // The pictures are already there: no item fetches one.
    for (int p = 0; p < 5; ++p) {
        write_file(package_folder + main_picture_name("i" + std::to_string(p) + ".jpg") + ".tbi",
                   "x");
    }

    double last_item_ms = 0;
    long long written = 0;
    for (auto _ : state) {
        reset_data_package();
        const long long written_before = process_io("wchar");
        for (int n = 1; n <= items; ++n) {
            window.job().current_address =
                "http://detail.tmall.com/item.htm?id=" + std::to_string(n);
            ItemHarvest harvest;
            harvest.item_id = std::to_string(n);
            harvest.page_text = bench_items::item_page(n);
            harvest.item_folder_path = batch_path;
            harvest.package_folder_path = package_folder;
            const auto start = std::chrono::steady_clock::now();
            export_item_package(window, harvest);
            last_item_ms =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count();
        }
        flush_composite_package();  // finish_batch
        written = process_io("wchar") - written_before;
    }
    state.counters["items"] = items;
    state.counters["last_item_ms"] = last_item_ms;
    const auto file_size = static_cast<double>(
        std::filesystem::file_size(root / "batch" / "青禾淘图CSV复合数据包.csv"));
    state.counters["file_MB"] = file_size / (1024.0 * 1024.0);
    state.counters["written_to_size"] = static_cast<double>(written) / file_size;
    window.close();
    reset_data_package();
    std::filesystem::remove_all(root);
}

BENCHMARK(BM_CompositeExport)
    ->ArgName("items")
    ->Arg(2000)
    ->Arg(10000)
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

}  // namespace
}  // namespace qinghe

BENCHMARK_MAIN();
