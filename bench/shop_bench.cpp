// Collecting a shop of 10,000 items from the loopback server, against the
// baseline of merely fetching the same list pages with fetch_url; and the
// duplicate test of the collector against a search of the whole box text.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <unordered_set>
#include <vector>

#include "../tests/shop/fake_shops.h"
#include "base/text.h"
#include "base/web.h"
#include "shop/shop_link_session.h"

namespace {

using namespace qinghe;

constexpr int kPages = 250;
constexpr int kItemsPerPage = 40;  // 10,000 items

std::vector<std::vector<std::string>> shop_pages() {
    std::vector<std::vector<std::string>> pages(kPages);
    for (int p = 0; p < kPages; ++p) {
        for (int i = 0; i < kItemsPerPage; ++i) {
            pages[p].push_back(std::to_string(520000000000LL + p * kItemsPerPage + i));
        }
    }
    return pages;
}

test_support::FakeShopServer& server() {
    static test_support::FakeShopServer* s = [] {
        auto* fake = new test_support::FakeShopServer;
        fake->add(test_support::shop(ShopKind::Tmall, "big.tmall.com", shop_pages()));
        fake->start();
        set_connect_to(fake->routes({"big.tmall.com"}));
        return fake;
    }();
    return *s;
}

class DiscardingControls : public ShopControls {
public:
    Text shop_address_text() override { return address; }
    void set_shop_address_text(const Text& text) override { address = text; }
    void set_fetch_enabled(bool) override {}
    void set_progress_visible(bool) override {}
    void set_progress(int) override {}
    void set_link_count_text(const Text&) override {}
    void append_shop_links(const Text& lines) override { box += lines; }
    void clear_shop_link_box() override { box.clear(); }
    void show_message(const Text&) override {}
    Text address;
    Text box;
};

double g_baseline_seconds = 0;

void BM_FetchListPages(benchmark::State& state) {
    server();
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        size_t bytes = fetch_url("http://big.tmall.com/search.htm?search=y").size();
        for (int p = 1; p <= kPages; ++p) {
            bytes +=
                fetch_url("http://big.tmall.com/search.htm?search=y&pageNo=" + std::to_string(p))
                    .size();
        }
        benchmark::DoNotOptimize(bytes);
        g_baseline_seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
}
BENCHMARK(BM_FetchListPages)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_CollectShop(benchmark::State& state) {
    server();
    double total = 0;
    for (auto _ : state) {
        DiscardingControls controls;
        controls.address = "big.tmall.com";
        ShopLinkSession session(controls);
        auto start = std::chrono::steady_clock::now();
        session.collect_shop_links();
        session.drain_until_idle(std::chrono::minutes(5));
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (session.link_count() != kPages * kItemsPerPage) state.SkipWithError("items lost");
    }
    state.counters["items"] = kPages * kItemsPerPage;
    if (g_baseline_seconds > 0) {
        state.counters["ratio_to_fetch"] = total / state.iterations() / g_baseline_seconds;
    }
}
BENCHMARK(BM_CollectShop)->Unit(benchmark::kMillisecond)->Iterations(5);

// The duplicate test per item: a search of the id in the whole box text (the
// old rule, quadratic in the shop size) and the set of whole lines.
void BM_DuplicateTestBoxSearch(benchmark::State& state) {
    const int items = static_cast<int>(state.range(0));
    for (auto _ : state) {
        Text box;
        for (int i = 0; i < items; ++i) {
            std::string id = std::to_string(520000000000LL + i);
            if (find_text(box, id) == -1)
                box += "http://detail.tmall.com/item.htm?id=" + id + "\r\n";
        }
        benchmark::DoNotOptimize(box);
    }
}
BENCHMARK(BM_DuplicateTestBoxSearch)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_DuplicateTestLineSet(benchmark::State& state) {
    const int items = static_cast<int>(state.range(0));
    for (auto _ : state) {
        Text box;
        std::unordered_set<Text> listed;
        for (int i = 0; i < items; ++i) {
            Text line = "http://detail.tmall.com/item.htm?id=" + std::to_string(520000000000LL + i);
            if (listed.insert(line).second) box += line + "\r\n";
        }
        benchmark::DoNotOptimize(box);
    }
}
BENCHMARK(BM_DuplicateTestLineSet)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
