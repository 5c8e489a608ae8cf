#include "shop/shop_link_session.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "base/web.h"
#include "shop/fake_shops.h"
#include "shop/shop_texts.h"
#include "support/file_bytes.h"

namespace qinghe {
namespace {

using namespace std::chrono_literals;
using test_support::FakeShop;
using test_support::FakeShopServer;
using test_support::shop;

// Records what the session does to the window's controls.
class RecordingControls : public ShopControls {
public:
    Text shop_address_text() override { return touch(), address; }
    void set_shop_address_text(const Text& text) override { touch(), address = text; }
    void set_fetch_enabled(bool enabled) override { touch(), fetch_enabled.push_back(enabled); }
    void set_progress_visible(bool visible) override { touch(), progress_visible = visible; }
    void set_progress(int position) override { touch(), progress.push_back(position); }
    void set_link_count_text(const Text& text) override { touch(), count_text = text; }
    void append_shop_links(const Text& lines) override { touch(), box += lines; }
    void clear_shop_link_box() override { touch(), box.clear(); }
    void show_message(const Text& text) override { touch(), messages.push_back(text); }

    Text address;
    std::vector<bool> fetch_enabled;
    bool progress_visible = false;
    std::vector<int> progress;
    Text count_text;
    Text box;
    std::vector<Text> messages;
    std::atomic<int> calls{0};

private:
    void touch() { ++calls; }
};

Text count_label(int n) {
    return shop_texts::kCountBefore + std::to_string(n) + shop_texts::kCountAfter;
}

class ShopSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        server.add(
            shop(ShopKind::Tmall, "alpha.tmall.com", {{"101", "102"}, {"103"}, {"104", "105"}}));
        FakeShop taobao = shop(ShopKind::Taobao, "shop7.taobao.com", {{"201", "202"}, {"203"}});
        taobao.on_comment = true;
        server.add(taobao);
        server.add(shop(ShopKind::Ali1688, "beta.1688.com", {{"301"}, {"302", "303"}}));
        FakeShop nocount = shop(ShopKind::Ali1688, "nocount.1688.com", {{"401", "402"}});
        nocount.count_marker = false;
        server.add(nocount);
        FakeShop broken = shop(ShopKind::Tmall, "broken.tmall.com", {{"501"}});
        broken.count_marker = false;
        server.add(broken);
        FakeShop empty = shop(ShopKind::Tmall, "empty.tmall.com", {{"601"}});
        empty.count_text = "1/0";
        server.add(empty);
        ASSERT_TRUE(server.start());
        set_connect_to(server.routes(
            {"alpha.tmall.com", "shop7.taobao.com", "beta.1688.com", "nocount.1688.com",
             "broken.tmall.com", "empty.tmall.com", "dup.tmall.com", "ids.1688.com",
             "big.tmall.com", "qinghe-pj.taobao.com", "blocked.taobao.com", "blocked.1688.com"}));
    }
    void TearDown() override { set_connect_to({}); }

    // Types the address, presses the fetch button and waits for the end.
    void collect(const Text& address) {
        controls.address = address;
        session.collect_shop_links();
        ASSERT_TRUE(session.drain_until_idle(20s));
        EXPECT_FALSE(session.collector_running());
    }

    std::vector<std::string> requests_of(const std::string& host) {
        std::vector<std::string> result;
        for (const std::string& r : server.requests()) {
            if (r.rfind(host + "/", 0) == 0) result.push_back(r.substr(host.size()));
        }
        return result;
    }

    FakeShopServer server;
    RecordingControls controls;
    ShopLinkSession session{controls};
};

TEST_F(ShopSessionTest, TmallShopOfThreePages) {
    collect("alpha.tmall.com/shop/view_shop.htm?x=1");
    EXPECT_EQ(controls.address, "http://alpha.tmall.com");
    EXPECT_EQ(controls.box,
              "http://detail.tmall.com/item.htm?id=101\r\n"
              "http://detail.tmall.com/item.htm?id=102\r\n"
              "http://detail.tmall.com/item.htm?id=103\r\n"
              "http://detail.tmall.com/item.htm?id=104\r\n"
              "http://detail.tmall.com/item.htm?id=105\r\n");
    EXPECT_EQ(controls.count_text, count_label(5));
    EXPECT_EQ(session.link_count(), 5);
    EXPECT_EQ(controls.progress, (std::vector<int>{5, 10, 40, 70, 100, 100}));
    EXPECT_FALSE(controls.progress_visible);
    EXPECT_EQ(controls.fetch_enabled, (std::vector<bool>{false, true}));
    EXPECT_TRUE(controls.messages.empty());
    EXPECT_EQ(requests_of("alpha.tmall.com"),
              (std::vector<std::string>{"/search.htm?search=y", "/search.htm?search=y&pageNo=1",
                                        "/search.htm?search=y&pageNo=2",
                                        "/search.htm?search=y&pageNo=3"}));
    Text accepted;
    ASSERT_TRUE(session.accept_shop_links(accepted));
    EXPECT_EQ(accepted, controls.box);
}

TEST_F(ShopSessionTest, TaobaoLinksLoseTheirCommentSuffix) {
    collect("http://shop7.taobao.com");
    EXPECT_EQ(controls.box,
              "http://item.taobao.com/item.htm?id=201\r\n"
              "http://item.taobao.com/item.htm?id=202\r\n"
              "http://item.taobao.com/item.htm?id=203\r\n");
    EXPECT_EQ(controls.progress, (std::vector<int>{5, 10, 55, 100, 100}));
    EXPECT_FALSE(controls.progress_visible);
}

TEST_F(ShopSessionTest, Shop1688WithAndWithoutPageCount) {
    collect("beta.1688.com");
    EXPECT_EQ(controls.box,
              "http://detail.1688.com/offer/301.html\r\n"
              "http://detail.1688.com/offer/302.html\r\n"
              "http://detail.1688.com/offer/303.html\r\n");
    EXPECT_EQ(controls.progress, (std::vector<int>{5, 10, 55, 100, 100}));
    EXPECT_TRUE(controls.progress_visible);  // a 1688 collection leaves it shown

    controls.progress.clear();
    collect("nocount.1688.com");
    // Without "page-count\">" the shop is one page, fetched again with pageNum=1.
    EXPECT_EQ(requests_of("nocount.1688.com"),
              (std::vector<std::string>{"/page/offerlist.htm", "/page/offerlist.htm?pageNum=1"}));
    EXPECT_EQ(controls.progress, (std::vector<int>{5, 95, 100}));
    EXPECT_EQ(controls.count_text, count_label(5));
    EXPECT_TRUE(controls.messages.empty());
}

TEST_F(ShopSessionTest, MissingPageCountIsReportedAsTimeout) {
    collect("http://broken.tmall.com/");
    EXPECT_EQ(controls.messages, (std::vector<Text>{shop_texts::kNetworkTimeout}));
    EXPECT_TRUE(controls.box.empty());
    EXPECT_TRUE(controls.count_text.empty());
    EXPECT_EQ(controls.progress, (std::vector<int>{5}));
    EXPECT_TRUE(controls.progress_visible);
    EXPECT_EQ(controls.fetch_enabled, (std::vector<bool>{false, true}));
    EXPECT_EQ(requests_of("broken.tmall.com"), (std::vector<std::string>{"/search.htm?search=y"}));
}

std::string real_page(const std::string& name) {
    return test_support::file_bytes(std::filesystem::path(QINGHE_FIXTURES_DIR) / "real" / name);
}

TEST_F(ShopSessionTest, TaobaoSearchPagesWithSchemeRelativeAndHttpsLinks) {
    FakeShop pj = shop(ShopKind::Taobao, "qinghe-pj.taobao.com", {});
    pj.raw_pages = {real_page("taobao_shop_search_page1.html"),
                    real_page("taobao_shop_search_page2.html")};
    server.add(pj);
    collect("qinghe-pj.taobao.com");
    EXPECT_EQ(controls.box,
              "http://item.taobao.com/item.htm?id=554113831403\r\n"
              "http://item.taobao.com/item.htm?id=554113831404\r\n"
              "http://item.taobao.com/item.htm?id=560000000001\r\n"
              "http://item.taobao.com/item.htm?id=561111111112\r\n"
              "http://item.taobao.com/item.htm?id=570000000001\r\n"
              "http://item.taobao.com/item.htm?id=570000000002\r\n");
    EXPECT_EQ(controls.count_text, count_label(6));
    EXPECT_TRUE(controls.messages.empty());
}

TEST_F(ShopSessionTest, ABlockedFirstPageIsReportedAsBlocked) {
    for (auto [kind, host] : {std::pair{ShopKind::Taobao, "blocked.taobao.com"},
                              std::pair{ShopKind::Ali1688, "blocked.1688.com"}}) {
        SCOPED_TRACE(host);
        FakeShop blocked = shop(kind, host, {});
        blocked.raw_pages = {real_page("blocked_taobao_antispider.json")};
        server.add(blocked);
        controls.messages.clear();
        controls.fetch_enabled.clear();
        collect(host);
        EXPECT_EQ(controls.messages, (std::vector<Text>{shop_texts::kBlockedBySite}));
        EXPECT_TRUE(controls.box.empty());
        EXPECT_EQ(controls.fetch_enabled, (std::vector<bool>{false, true}));
        // Nothing is fetched after the blocked first page.
        EXPECT_EQ(requests_of(host).size(), 1u);
    }
}

TEST_F(ShopSessionTest, PageCountOfZeroFetchesNoListPage) {
    collect("empty.tmall.com");
    EXPECT_EQ(requests_of("empty.tmall.com"), (std::vector<std::string>{"/search.htm?search=y"}));
    EXPECT_EQ(controls.progress, (std::vector<int>{5, 10, 100}));
    EXPECT_TRUE(controls.box.empty());
    EXPECT_TRUE(controls.messages.empty());
}

TEST_F(ShopSessionTest, InputMessages) {
    struct Case {
        Text typed;
        Text message;
        Text box_after;
    };
    const Case cases[] = {
        {"", shop_texts::kEmptyAddress, ""},
        {"example.org/shop?q=1", Text(shop_texts::kWrongAddress) + shop_texts::kInputExample,
         "http://example.org/shop?q=1"},
        {"http://example.org", Text(shop_texts::kWrongAddress) + shop_texts::kInputExample,
         "http://example.org"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        controls.messages.clear();
        controls.fetch_enabled.clear();
        collect(c.typed);
        EXPECT_EQ(controls.messages, (std::vector<Text>{c.message}));
        EXPECT_EQ(controls.address, c.box_after);
        EXPECT_EQ(controls.fetch_enabled, (std::vector<bool>{false, true}));
        EXPECT_TRUE(controls.progress.empty());
    }
    EXPECT_TRUE(server.requests().empty());
    // The example names one shop address of each marketplace.
    Text example = shop_texts::kInputExample;
    for (const char* domain : {".tmall.com", ".taobao.com", ".1688.com"}) {
        EXPECT_NE(example.find(domain), Text::npos) << domain;
    }
}

TEST_F(ShopSessionTest, EveryDistinctItemListedOnce) {
    // 41234 before 123, ids inside the 1688 host name, and items met twice.
    server.add(
        shop(ShopKind::Tmall, "dup.tmall.com", {{"41234", "123", "41234"}, {"123", "12", "4"}}));
    server.add(shop(ShopKind::Ali1688, "ids.1688.com", {{"1688", "68", "8"}, {"1688", "16"}}));
    collect("dup.tmall.com");
    collect("ids.1688.com");
    EXPECT_EQ(controls.box,
              "http://detail.tmall.com/item.htm?id=41234\r\n"
              "http://detail.tmall.com/item.htm?id=123\r\n"
              "http://detail.tmall.com/item.htm?id=12\r\n"
              "http://detail.tmall.com/item.htm?id=4\r\n"
              "http://detail.1688.com/offer/1688.html\r\n"
              "http://detail.1688.com/offer/68.html\r\n"
              "http://detail.1688.com/offer/8.html\r\n"
              "http://detail.1688.com/offer/16.html\r\n");
    EXPECT_EQ(controls.count_text, count_label(8));
}

TEST_F(ShopSessionTest, ShopsCollectedInARowShareListAndCount) {
    collect("alpha.tmall.com");
    collect("shop7.taobao.com");
    EXPECT_EQ(controls.count_text, count_label(8));
    EXPECT_EQ(controls.box.substr(0, 41), "http://detail.tmall.com/item.htm?id=101\r\n");
    EXPECT_EQ(controls.box.substr(controls.box.size() - 40),
              "http://item.taobao.com/item.htm?id=203\r\n");

    // Collecting the same shop again adds nothing.
    collect("alpha.tmall.com");
    EXPECT_EQ(session.link_count(), 8);

    // "清空" empties both boxes; the count goes on, and the shop's items
    // can be listed again.
    session.clear_shop_links();
    EXPECT_TRUE(controls.address.empty());
    EXPECT_TRUE(controls.box.empty());
    Text accepted = "unchanged";
    EXPECT_FALSE(session.accept_shop_links(accepted));
    EXPECT_EQ(controls.messages, (std::vector<Text>{shop_texts::kNoLinksYet}));
    collect("beta.1688.com");
    EXPECT_EQ(controls.count_text, count_label(11));
    ASSERT_TRUE(session.accept_shop_links(accepted));
    EXPECT_EQ(accepted,
              "http://detail.1688.com/offer/301.html\r\n"
              "http://detail.1688.com/offer/302.html\r\n"
              "http://detail.1688.com/offer/303.html\r\n");
}

TEST_F(ShopSessionTest, ClearWhileCollectingKeepsBoxAndListInStep) {
    server.hold("alpha.tmall.com/search.htm?search=y&pageNo=3");
    controls.address = "alpha.tmall.com";
    session.collect_shop_links();
    ASSERT_TRUE(server.wait_for_request("alpha.tmall.com/search.htm?search=y&pageNo=3", 10s));
    // Items of pages 1 and 2 are queued or shown; clearing drops them all.
    session.clear_shop_links();
    session.collect_shop_links();  // ignored: a collector runs
    server.release();
    ASSERT_TRUE(session.drain_until_idle(20s));
    EXPECT_EQ(controls.box,
              "http://detail.tmall.com/item.htm?id=104\r\n"
              "http://detail.tmall.com/item.htm?id=105\r\n");
    Text accepted;
    ASSERT_TRUE(session.accept_shop_links(accepted));
    EXPECT_EQ(accepted, controls.box);
    EXPECT_EQ(controls.count_text, count_label(5));
    EXPECT_EQ(controls.fetch_enabled, (std::vector<bool>{false, true}));
}

// Counts the box updates.
class AppendCountingControls : public RecordingControls {
public:
    void append_shop_links(const Text& lines) override {
        ++appends;
        RecordingControls::append_shop_links(lines);
    }
    int appends = 0;
};

TEST(ShopSessionQueue, ItemsFoundBetweenTwoDrainsReachTheBoxInOneUpdate) {
    FakeShopServer server;
    std::vector<std::string> first, second;
    for (int i = 0; i < 40; ++i) {
        first.push_back(std::to_string(1000 + i));
        second.push_back(std::to_string(2000 + i));
    }
    server.add(shop(ShopKind::Tmall, "many.tmall.com", {first, second, {"3000"}}));
    ASSERT_TRUE(server.start());
    set_connect_to(server.routes({"many.tmall.com"}));
    server.hold("many.tmall.com/search.htm?search=y&pageNo=3");
    AppendCountingControls controls;
    ShopLinkSession session(controls);
    controls.address = "many.tmall.com";
    session.collect_shop_links();
    ASSERT_TRUE(server.wait_for_request("many.tmall.com/search.htm?search=y&pageNo=3", 10s));
    // Nothing was drained yet: each page's items wait as one write, kept
    // apart by the progress write after the page.
    session.drain();
    EXPECT_EQ(controls.appends, 2);
    EXPECT_EQ(controls.count_text, count_label(80));
    EXPECT_EQ(controls.progress, (std::vector<int>{5, 10, 40, 70}));
    server.release();
    ASSERT_TRUE(session.drain_until_idle(20s));
    EXPECT_EQ(controls.appends, 3);
    EXPECT_EQ(controls.count_text, count_label(81));
    const Text last = "http://detail.tmall.com/item.htm?id=3000\r\n";
    ASSERT_GT(controls.box.size(), last.size());
    EXPECT_EQ(controls.box.substr(controls.box.size() - last.size()), last);
    set_connect_to({});
}

TEST(ShopSessionClose, ClosedWindowIsNeverTouchedAgain) {
    FakeShopServer server;
    server.add(shop(ShopKind::Tmall, "slow.tmall.com", {{"1"}, {"2"}, {"3"}}));
    ASSERT_TRUE(server.start());
    set_connect_to(server.routes({"slow.tmall.com"}));
    server.hold("slow.tmall.com/search.htm?search=y&pageNo=2");
    RecordingControls controls;
    controls.address = "slow.tmall.com";
    {
        ShopLinkSession session(controls);
        session.collect_shop_links();
        ASSERT_TRUE(server.wait_for_request("slow.tmall.com/search.htm?search=y&pageNo=2", 10s));
        EXPECT_EQ(live_collector_threads(), 1);
    }  // the window goes away while page 2 is on its way
    int calls = controls.calls;
    server.release();
    for (int i = 0; i < 1000 && live_collector_threads() > 0; ++i) {
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_EQ(live_collector_threads(), 0);
    EXPECT_EQ(controls.calls, calls);
    for (const std::string& r : server.requests()) {
        EXPECT_EQ(r.find("pageNo=3"), std::string::npos) << "the collector went on after close";
    }
    set_connect_to({});
}

TEST(ShopSessionClose, StoppedCollectorGivesTheButtonBack) {
    FakeShopServer server;
    server.add(shop(ShopKind::Ali1688, "stop.1688.com", {{"1"}, {"2"}, {"3"}}));
    ASSERT_TRUE(server.start());
    set_connect_to(server.routes({"stop.1688.com"}));
    server.hold("stop.1688.com/page/offerlist.htm?pageNum=2");
    RecordingControls controls;
    ShopLinkSession session(controls);
    controls.address = "stop.1688.com";
    session.collect_shop_links();
    ASSERT_TRUE(server.wait_for_request("stop.1688.com/page/offerlist.htm?pageNum=2", 10s));
    session.stop_collector();
    server.release();
    ASSERT_TRUE(session.drain_until_idle(20s));
    EXPECT_FALSE(session.collector_running());
    EXPECT_EQ(controls.fetch_enabled, (std::vector<bool>{false, true}));
    EXPECT_EQ(controls.box, "http://detail.1688.com/offer/1.html\r\n");
    set_connect_to({});
}

}  // namespace
}  // namespace qinghe
