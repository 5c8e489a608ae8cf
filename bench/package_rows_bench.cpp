// The pure part of a Composite export of 2,000 items: listing fields and
// sale properties cut out of each page, the row assembled and converted, and
// the package file's bytes made once from all rows; beside the baseline of
// writing those final bytes to disk once. package_export_bench runs the real
// export, which rewrites the whole file at every item; the ratio of its total
// to these two shows what that rewriting costs.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "base/files.h"
#include "base/html.h"
#include "package/item_package_row.h"
#include "package/item_page.h"
#include "package/listing_fields.h"
#include "package/package_format.h"
#include "package_bench_items.h"

namespace qinghe {
namespace {

int item_count() {
    const char* value = std::getenv("QINGHE_BENCH_ITEMS");
    const int n = value ? std::atoi(value) : 0;
    return n > 0 ? n : 2000;
}

Text row_of(const Text& page, const Text& address, const Text& description_text) {
    const Text description = strip_hyperlinks(description_text);
    PackageRowInput input;
    input.page = page;
    input.address = address;
    input.description = description;
    const auto no_script = [](std::string_view) { return Bytes(); };
    input.location = location_text(page, detect_marketplace(page), no_script);
    input.item_id = text_between(address, "id=", "&");
    return final_row_form(build_package_row(input));
}

Text all_rows() {
    const Text description_text = bench_items::description();
    std::vector<Text> rows;
    for (int n = 1; n <= item_count(); ++n) {
        rows.push_back(row_of(bench_items::item_page(n),
                              "http://detail.tmall.com/item.htm?id=" + std::to_string(n),
                              description_text));
    }
    Text joined;  // newest first
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        if (!joined.empty()) joined += "\r\n";
        joined += *row;
    }
    return joined;
}

void BM_BuildRowsAndFileBytes(benchmark::State& state) {
    size_t bytes = 0;
    for (auto _ : state) {
        const Bytes file = package_file_bytes_of_final(all_rows());
        bytes = file.size();
        benchmark::DoNotOptimize(file.data());
    }
    state.counters["items"] = item_count();
    state.counters["file_MB"] = static_cast<double>(bytes) / (1024.0 * 1024.0);
}
BENCHMARK(BM_BuildRowsAndFileBytes)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_WriteFinalFileOnce(benchmark::State& state) {
    const Bytes file = package_file_bytes_of_final(all_rows());
    const auto folder = std::filesystem::temp_directory_path() / "qinghe-package-rows-bench";
    std::filesystem::create_directories(folder);
    const Text path = (folder / "package.csv").string();
    for (auto _ : state) {
        if (!write_file(path, file)) state.SkipWithError("write failed");
    }
    state.counters["file_MB"] = static_cast<double>(file.size()) / (1024.0 * 1024.0);
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_WriteFinalFileOnce)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace qinghe

BENCHMARK_MAIN();
