// The Composite file of a batch kept on disk row by row: 2,000 and 10,000
// rows of about 20 KB (a 20 KB description), the rows oldest first so that
// each is appended. Baseline: the final file written once. Reports the bytes
// the process handed to write() (wchar of /proc/self/io) over the final
// file's size, and the bytes that reached storage (write_bytes).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/files.h"
#include "base/native_path.h"
#include "harvest/composite_file.h"
#include "package/package_format.h"

namespace qinghe {
namespace {

namespace fs = std::filesystem;

// A field of /proc/self/io ("wchar", "write_bytes"), 0 when unreadable.
long long process_io(const std::string& field) {
    std::ifstream io("/proc/self/io");
    std::string name;
    long long value = 0;
    while (io >> name >> value) {
        if (name == field + ":") return value;
    }
    return 0;
}

std::vector<std::string> bench_rows(int count) {
    std::vector<std::string> rows;
    rows.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        std::string description(20 * 1024, 'd');
        description[static_cast<size_t>(i) % description.size()] = 'x';
        rows.push_back("\"item " + std::to_string(i) + "\",50010850,\"" + description + "\"");
    }
    return rows;
}

Text program_path(const fs::path& native) {
    Text path;
    from_native_path(native.string(), path);
    return path;
}

void BM_CompositeFileAppended(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const std::vector<std::string> rows = bench_rows(count);
    const fs::path folder = fs::temp_directory_path() / "qinghe-composite-bench";
    long long handed = 0;
    long long stored = 0;
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(folder);
        fs::create_directories(folder);
        const long long wchar_before = process_io("wchar");
        const long long stored_before = process_io("write_bytes");
        state.ResumeTiming();
        CompositeFile file(program_path(folder / "c.csv"), RowOrder::OldestFirst);
        for (const std::string& row : rows) file.add_row(row);
        state.PauseTiming();
        handed = process_io("wchar") - wchar_before;
        stored = process_io("write_bytes") - stored_before;
        state.ResumeTiming();
    }
    const double size = static_cast<double>(fs::file_size(folder / "c.csv"));
    state.counters["file_MB"] = size / 1e6;
    state.counters["written_to_size"] = static_cast<double>(handed) / size;
    state.counters["stored_to_size"] = static_cast<double>(stored) / size;
    fs::remove_all(folder);
}
BENCHMARK(BM_CompositeFileAppended)
    ->Arg(2000)
    ->Arg(10000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_FinalFileWrittenOnce(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    std::string all;
    for (const std::string& row : bench_rows(count)) all += row + "\r\n";
    const fs::path folder = fs::temp_directory_path() / "qinghe-composite-bench-once";
    fs::remove_all(folder);
    fs::create_directories(folder);
    for (auto _ : state) {
        write_file(program_path(folder / "c.csv"), {package_header(), "\r\n", all});
    }
    fs::remove_all(folder);
}
BENCHMARK(BM_FinalFileWrittenOnce)
    ->Arg(2000)
    ->Arg(10000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace qinghe

BENCHMARK_MAIN();
