// A whole harvest batch against the fake marketplace on 127.0.0.1, beside the
// baseline of fetching the same pages and pictures one after another with
// the curl command (one process, HTTP/1.0 as the program asks, no parsing,
// nothing written).
//
// The batch repeats the three bundled items (Taobao, Tmall, 1688) under
// different item numbers, so that every item gets a folder of its own and
// fetches all its pictures. QINGHE_BENCH_ROUNDS sets the repeats (default 20,
// 60 items). Needs curl on PATH for the baseline.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli/headless_runner.h"
#include "support/fake_market.h"

namespace {

using qinghe::test_support::FakeMarket;
using qinghe::test_support::MarketItem;

int rounds() {
    const char* value = std::getenv("QINGHE_BENCH_ROUNDS");
    const int n = value ? std::atoi(value) : 0;
    return n > 0 ? n : 20;
}

// The item address made distinct by a leading "nid=" (the first "id=" of
// the address names the item folder); the market ignores the query.
std::string numbered_address(const std::string& address, int n) {
    const size_t query = address.find('?');
    if (query == std::string::npos) return address + "?nid=" + std::to_string(n);
    return address.substr(0, query + 1) + "nid=" + std::to_string(n) + "&" + address.substr(query + 1);
}

struct Market {
    FakeMarket market;
    std::vector<std::string> item_addresses;
    std::vector<std::string> fetched_addresses;  // what the baseline fetches

    Market() {
        qinghe::test_support::add_demo_items(market);
        market.start();
        int n = 1;
        for (int round = 0; round < rounds(); ++round) {
            for (const MarketItem& item : qinghe::test_support::demo_items()) {
                const std::string address = numbered_address(item.address, n++);
                item_addresses.push_back(address);
                fetched_addresses.push_back(address);
                fetched_addresses.push_back("http://" + item.description_host + item.description_path);
                for (const auto* list : {&item.main_pictures, &item.description_pictures, &item.style_sheet_pictures}) {
                    fetched_addresses.insert(fetched_addresses.end(), list->begin(), list->end());
                }
            }
        }
    }
};

Market& market() {
    static Market m;
    return m;
}

std::filesystem::path fresh_folder(const char* name) {
    const auto folder = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

// Runs with standard output sent to /dev/null: the runner prints every status.
template <typename Work>
void quietly(Work work) {
    std::fflush(stdout);
    const int saved = ::dup(1);
    const int null_output = ::open("/dev/null", O_WRONLY);
    ::dup2(null_output, 1);
    work();
    std::fflush(stdout);
    ::dup2(saved, 1);
    ::close(saved);
    ::close(null_output);
}

void BM_HarvestBatch(benchmark::State& state) {
    Market& m = market();
    const auto save = fresh_folder("qinghe-harvest-bench");
    qinghe::HeadlessOptions options;
    options.save_folder = save.string();
    options.connect_to = m.market.routes();
    std::string list;
    for (const std::string& address : m.item_addresses) list += address + "\r\n";
    int status = -1;
    for (auto _ : state) {
        quietly([&] { status = qinghe::run_batch_headless(options, list); });
    }
    if (status != qinghe::kExitBatchEnded) state.SkipWithError("the batch did not end");
    size_t files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(save)) files += entry.is_regular_file();
    state.counters["items"] = static_cast<double>(m.item_addresses.size());
    state.counters["files"] = static_cast<double>(files);
    std::filesystem::remove_all(save);
}
// One batch per process run: the package rows of a batch stay for the run.
BENCHMARK(BM_HarvestBatch)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SequentialCurl(benchmark::State& state) {
    Market& m = market();
    const auto folder = fresh_folder("qinghe-curl-bench");
    const auto config = folder / "urls.conf";
    {
        std::ofstream out(config);
        for (const std::string& route : m.market.routes()) out << "connect-to = \"" << route << "\"\n";
        for (const std::string& address : m.fetched_addresses) {
            out << "url = \"" << address << "\"\noutput = \"/dev/null\"\n";
        }
    }
    const std::string command = "curl --silent --http1.0 --config '" + config.string() + "'";
    int status = -1;
    for (auto _ : state) status = std::system(command.c_str());
    if (status != 0) state.SkipWithError("curl failed");
    state.counters["requests"] = static_cast<double>(m.fetched_addresses.size());
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_SequentialCurl)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
