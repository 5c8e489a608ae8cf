// find_text, split_text and replace_text over a GBK item page of 2 and 4 MB,
// beside a plain byte search over the same bytes.
//
// The page mixes ASCII markup with GBK text the way a marketplace page does;
// the searched marker sits once near the end, so every search reads almost
// the whole page. Bytes per second are the page's bytes.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>
#include <string_view>

#include "base/text.h"

namespace {

using qinghe::Text;

// Markers that occur once, near the end of the page.
const std::string kAsciiMarker = "<div id=\"J_DivItemDesc\" class=\"content\">";
// "宝贝详情" (item details) in GBK.
const std::string kGbkMarker = "\xB1\xA6\xB1\xB4\xCF\xEA\xC7\xE9";

std::string gbk_words(std::mt19937& random, int characters) {
    std::string out;
    for (int i = 0; i < characters; ++i) {
        // Lead bytes of the common-character area, trail bytes of its rows.
        out.push_back(static_cast<char>(0xB0 + random() % 0x48));
        out.push_back(static_cast<char>(0xA1 + random() % 0x5E));
    }
    return out;
}

std::string make_page(size_t size) {
    std::mt19937 random(936);
    std::string page = "<!DOCTYPE html>\r\n<html><head><meta charset=\"gbk\"><title>";
    page += gbk_words(random, 20) + "</title></head>\r\n<body>\r\n";
    const size_t marker_at = size - size / 50;
    bool placed = false;
    while (page.size() < size) {
        if (!placed && page.size() >= marker_at) {
            page += kAsciiMarker + kGbkMarker + "</div>\r\n";
            placed = true;
        }
        unsigned id = static_cast<unsigned>(random());
        page += "<li class=\"item\"><a href=\"https://item.taobao.com/item.htm?id=";
        page += std::to_string(id) + "\" title=\"" + gbk_words(random, 6) + "\">";
        page += gbk_words(random, static_cast<int>(8 + random() % 24));
        page += "</a><span class=\"price\">" + std::to_string(id % 1000) + ".00</span>";
        page += "<img src=\"//img.alicdn.com/imgextra/i" + std::to_string(id % 4) + "/" +
                std::to_string(id) + ".jpg\"></li>\r\n";
        if (random() % 4 == 0) page += "<p>" + gbk_words(random, 40) + "</p>\r\n";
    }
    page.resize(size);
    return page;
}

const std::string& page_of(size_t size) {
    static const std::string two = make_page(2 << 20);
    static const std::string four = make_page(4 << 20);
    return size == two.size() ? two : four;
}

void set_rate(benchmark::State& state, size_t bytes) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
}

// Where the search stopped, as a share of the page: the searches compared
// must read the same distance.
void set_found_at(benchmark::State& state, size_t position, size_t size) {
    state.counters["found_at"] = static_cast<double>(position) / static_cast<double>(size);
}

void BM_PlainFindStringView(benchmark::State& state, const std::string* needle) {
    const std::string& page = page_of(static_cast<size_t>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(std::string_view(page).find(*needle));
    set_rate(state, page.size());
    set_found_at(state, std::string_view(page).find(*needle), page.size());
}

void BM_PlainFindMemmem(benchmark::State& state, const std::string* needle) {
    const std::string& page = page_of(static_cast<size_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(memmem(page.data(), page.size(), needle->data(), needle->size()));
    set_rate(state, page.size());
    set_found_at(state, std::string_view(page).find(*needle), page.size());
}

void BM_FindText(benchmark::State& state, const std::string* needle) {
    const std::string& page = page_of(static_cast<size_t>(state.range(0)));
    int found = qinghe::find_text(page, *needle);
    if (found < 0) state.SkipWithError("marker not found");
    for (auto _ : state) benchmark::DoNotOptimize(qinghe::find_text(page, *needle));
    set_rate(state, page.size());
    set_found_at(state, static_cast<size_t>(found - 1), page.size());
}

// The worst case of the character-start check: GBK text where the needle
// occurs at every other byte, always straddling two characters (啊啊… and
// the bytes A1 B0), so every raw hit is rejected.
void BM_FindTextMisaligned(benchmark::State& state) {
    std::string page;
    page.reserve(static_cast<size_t>(state.range(0)));
    while (page.size() < static_cast<size_t>(state.range(0))) page += "\xB0\xA1";
    for (auto _ : state) benchmark::DoNotOptimize(qinghe::find_text(page, "\xA1\xB0"));
    set_rate(state, page.size());
}

void BM_SplitText(benchmark::State& state) {
    const std::string& page = page_of(static_cast<size_t>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(qinghe::split_text(page, "<a "));
    set_rate(state, page.size());
}

void BM_ReplaceText(benchmark::State& state, bool case_sensitive) {
    const std::string& page = page_of(static_cast<size_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(qinghe::replace_text(page, "</A>", "", case_sensitive));
    set_rate(state, page.size());
}

constexpr int64_t kTwoMb = 2 << 20;
constexpr int64_t kFourMb = 4 << 20;

BENCHMARK_CAPTURE(BM_PlainFindStringView, ascii, &kAsciiMarker)->Arg(kTwoMb)->Arg(kFourMb);
BENCHMARK_CAPTURE(BM_PlainFindMemmem, ascii, &kAsciiMarker)->Arg(kTwoMb)->Arg(kFourMb);
BENCHMARK_CAPTURE(BM_FindText, ascii, &kAsciiMarker)->Arg(kTwoMb)->Arg(kFourMb);
BENCHMARK_CAPTURE(BM_PlainFindStringView, gbk, &kGbkMarker)->Arg(kTwoMb)->Arg(kFourMb);
BENCHMARK_CAPTURE(BM_PlainFindMemmem, gbk, &kGbkMarker)->Arg(kTwoMb)->Arg(kFourMb);
BENCHMARK_CAPTURE(BM_FindText, gbk, &kGbkMarker)->Arg(kTwoMb)->Arg(kFourMb);
BENCHMARK(BM_FindTextMisaligned)->Arg(kTwoMb)->Arg(kFourMb);
BENCHMARK(BM_SplitText)->Arg(kTwoMb)->Arg(kFourMb);
BENCHMARK_CAPTURE(BM_ReplaceText, exact, true)->Arg(kTwoMb)->Arg(kFourMb);
BENCHMARK_CAPTURE(BM_ReplaceText, any_case, false)->Arg(kTwoMb)->Arg(kFourMb);

}  // namespace

BENCHMARK_MAIN();
