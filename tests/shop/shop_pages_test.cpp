#include "shop/shop_pages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/file_bytes.h"
#include "support/gbk_literal.h"

namespace qinghe {
namespace {

using test_support::gbk;

struct AddressCase {
    const char* typed;
    AddressVerdict verdict;
    const char* box_text;
    ShopKind kind;
};

TEST(CheckShopAddress, ValidatesAndKeepsOnlyTheHost) {
    const AddressCase cases[] = {
        {"", AddressVerdict::Empty, "", ShopKind::Ali1688},
        {"qinghe.tmall.com", AddressVerdict::Accepted, "http://qinghe.tmall.com", ShopKind::Tmall},
        {"http://qinghe.tmall.com/search.htm?q=1", AddressVerdict::Accepted,
         "http://qinghe.tmall.com", ShopKind::Tmall},
        {"shop1.taobao.com/category-7.htm?x=y", AddressVerdict::Accepted, "http://shop1.taobao.com",
         ShopKind::Taobao},
        {"http://qinghe.1688.com/", AddressVerdict::Accepted, "http://qinghe.1688.com",
         ShopKind::Ali1688},
        // A domain only in the query passes; the host then decides, and a
        // host of no marketplace goes to the 1688 collector.
        {"http://example.org/?from=taobao.com", AddressVerdict::Accepted, "http://example.org",
         ShopKind::Ali1688},
        {"http://a.taobao.com/?from=tmall.com", AddressVerdict::Accepted, "http://a.taobao.com",
         ShopKind::Taobao},
        // "tmall.com" inside the host is enough, before the Taobao domain.
        {"http://tmall.com.taobao.com", AddressVerdict::Accepted, "http://tmall.com.taobao.com",
         ShopKind::Tmall},
        {"example.org/shop", AddressVerdict::NotAShop, "http://example.org/shop",
         ShopKind::Ali1688},
        {"http://example.org", AddressVerdict::NotAShop, "http://example.org", ShopKind::Ali1688},
        {"TMALL.COM", AddressVerdict::NotAShop, "http://TMALL.COM", ShopKind::Ali1688},
        // "http://" anywhere counts as present; the host is the third piece at "/".
        {"see http://b.tmall.com/x", AddressVerdict::Accepted, "http://b.tmall.com",
         ShopKind::Tmall},
        // An address from the browser's address bar keeps its https.
        {"https://qinghe-pj.taobao.com/search.htm?search=y", AddressVerdict::Accepted,
         "https://qinghe-pj.taobao.com", ShopKind::Taobao},
        {"https://example.org/", AddressVerdict::NotAShop, "https://example.org/",
         ShopKind::Ali1688},
    };
    for (const AddressCase& c : cases) {
        SCOPED_TRACE(c.typed);
        ShopAddressCheck check = check_shop_address(c.typed);
        EXPECT_EQ(check.verdict, c.verdict);
        EXPECT_EQ(check.box_text, c.box_text);
        if (c.verdict == AddressVerdict::Accepted) {
            EXPECT_EQ(check.kind, c.kind);
        }
    }
}

struct CountCase {
    ShopKind kind;
    std::string page;
    int pages;
};

TEST(ListPageCount, ReadsTheCountBehindTheMarker) {
    const CountCase cases[] = {
        {ShopKind::Tmall, "<b class=\"ui-page-s-len\">1/23</b>", 23},
        {ShopKind::Tmall, "<b class=\"ui-page-s-len\">2/3</b><b class=\"ui-page-s-len\">1/9</b>",
         3},
        {ShopKind::Tmall, "<span class=\"page-info\">1/23</span>", -1},
        {ShopKind::Tmall, "", -1},
        {ShopKind::Tmall, "<b class=\"ui-page-s-len\">7</b>", 1},   // no "/": one page
        {ShopKind::Tmall, "x<b class=\"ui-page-s-len\">", 1},       // marker at the end
        {ShopKind::Tmall, "<b class=\"ui-page-s-len\">1/</b>", 0},  // empty count after "/"
        {ShopKind::Tmall, "<b class=\"ui-page-s-len\"></b>", 1},    // empty text: no "/"
        {ShopKind::Tmall, "<b class=\"ui-page-s-len\">1/0</b>", 0},
        {ShopKind::Tmall, "<b class=\"ui-page-s-len\">1/-4</b>", 0},
        {ShopKind::Tmall, "<b class=\"ui-page-s-len\">1/abc</b>", 0},
        {ShopKind::Tmall, "<b class=\"ui-page-s-len\">1/2.9</b>", 2},
        {ShopKind::Tmall, "<b class=\"ui-page-s-len\">1/1e300</b>", kMaxShopPages},
        {ShopKind::Taobao, "<span class=\"page-info\">3/5</span>", 5},
        // Full-width digits read as digits.
        {ShopKind::Taobao, "<span class=\"page-info\">1/" + gbk("４") + "</span>", 4},
        {ShopKind::Taobao, "<b class=\"ui-page-s-len\">1/5</b>", -1},
        {ShopKind::Ali1688, "<em class=\"page-count\">12</em>", 12},
        {ShopKind::Ali1688, "<em class=\"page-count\">0</em>", 0},
        {ShopKind::Ali1688, "<em class=\"page-count\">", 1},  // marker at the end
        {ShopKind::Ali1688, "<em class=\"page-count\"></em>", 0},
        {ShopKind::Ali1688, "<em class=\"page\">12</em>", -1},
    };
    for (const CountCase& c : cases) {
        SCOPED_TRACE(c.page);
        EXPECT_EQ(list_page_count(c.kind, c.page), c.pages);
    }
}

struct IdsCase {
    ShopKind kind;
    std::string page;
    std::vector<std::string> ids;
};

TEST(ListPageItemIds, CutsEveryIdAfterTheItemMarker) {
    const IdsCase cases[] = {
        {ShopKind::Tmall,
         "<a href=\"http://detail.tmall.com/item.htm?id=11&rn=1\">"
         "<a href=\"http://detail.tmall.com/item.htm?id=22&rn=2\">",
         {"11", "22"}},
        // Two adjacent markers: the empty element between them is skipped.
        {ShopKind::Tmall,
         "http://detail.tmall.com/item.htm?id=http://detail.tmall.com/item.htm?id=5&",
         {"5"}},
        {ShopKind::Tmall, "http://detail.tmall.com/item.htm?id=&x", {}},
        {ShopKind::Tmall, "no items here", {}},
        // The clean-up removes "&on_comment=1", so the id ends at the quote.
        {ShopKind::Taobao,
         "<a href=\"http://item.taobao.com/item.htm?id=7&on_comment=1\">"
         "<a href=\"http://item.taobao.com/item.htm?id=8\">",
         {"7", "8"}},
        {ShopKind::Taobao,
         "<a href=\"http://item.taobao.com/item.htm?id=9&on_comment=2\">",
         {"9&on_comment=2"}},
        {ShopKind::Ali1688,
         "<a href=\"http://detail.1688.com/offer/1688.html\">"
         "<a href=\"http://detail.1688.com/offer/.html\">"
         "<a href=\"http://detail.1688.com/offer/68.html\">",
         {"1688", "68"}},
        // A marker at the very end of the page gives no element at all.
        {ShopKind::Ali1688, "x http://detail.1688.com/offer/", {}},
        // A marker that starts on the second byte of a double-byte
        // character is not a marker (a raw lead byte 0xB0 before it).
        {ShopKind::Ali1688, "\xb0http://detail.1688.com/offer/3.html", {}},
    };
    for (const IdsCase& c : cases) {
        SCOPED_TRACE(c.page);
        EXPECT_EQ(list_page_item_ids(c.kind, c.page), c.ids);
    }
}

std::string real_page(const std::string& name) {
    return test_support::file_bytes(std::filesystem::path(QINGHE_FIXTURES_DIR) / "real" / name);
}

TEST(ListPageItemIds, HttpsAndSchemeRelativeLinksFollowTheClassicOnes) {
    const IdsCase cases[] = {
        // The "http://" link comes first, whatever its place; an id met again
        // in a newer form is not repeated.
        {ShopKind::Taobao,
         "<a href=\"//item.taobao.com/item.htm?id=1&on_comment=1\">"
         "<a href=\"https://item.taobao.com/item.htm?id=2\">"
         "<a href=\"http://item.taobao.com/item.htm?id=3\">"
         "<a href=\"//item.taobao.com/item.htm?id=3\"><a href=\"//item.taobao.com/item.htm?id=1\">",
         {"3", "1", "2"}},
        // Newer ids are the digits behind the marker, whatever ends them.
        {ShopKind::Tmall,
         "<a href=\"//detail.tmall.com/item.htm?id=11\"> https://detail.tmall.com/item.htm?id=12&rn=1 "
         "//detail.tmall.com/item.htm?id=x13",
         {"11", "12"}},
        {ShopKind::Ali1688,
         "<a href='//detail.1688.com/offer/610.html'><a href=\"https://detail.1688.com/offer/611.html\">",
         {"610", "611"}},
    };
    for (const IdsCase& c : cases) {
        SCOPED_TRACE(c.page);
        EXPECT_EQ(list_page_item_ids(c.kind, c.page), c.ids);
    }
}

TEST(ShopFixturePages, TaobaoSearchPagesOf2020) {
    const std::string first = real_page("taobao_shop_search_page1.html");
    const std::string second = real_page("taobao_shop_search_page2.html");
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(list_page_count(ShopKind::Taobao, first), 2);
    EXPECT_EQ(
        list_page_item_ids(ShopKind::Taobao, first),
        (std::vector<std::string>{"554113831403", "554113831404", "560000000001", "561111111112"}));
    EXPECT_EQ(
        list_page_item_ids(ShopKind::Taobao, second),
        (std::vector<std::string>{"570000000001", "570000000001", "570000000002", "554113831403"}));
    EXPECT_FALSE(is_blocked_first_page(ShopKind::Taobao, first));
}

TEST(ShopFixturePages, AnAntiSpiderAnswerIsABlockedFirstPage) {
    const std::string answer = real_page("blocked_taobao_antispider.json");
    ASSERT_FALSE(answer.empty());
    for (ShopKind kind : {ShopKind::Tmall, ShopKind::Taobao, ShopKind::Ali1688}) {
        EXPECT_TRUE(is_blocked_first_page(kind, answer));
    }
    // A page without a sign of blocking is not blocked, nor is a page whose
    // count or items are there beside a sign.
    EXPECT_FALSE(is_blocked_first_page(ShopKind::Taobao, "<html>timeout</html>"));
    EXPECT_FALSE(is_blocked_first_page(
        ShopKind::Taobao, "<span class=\"page-info\">1/2</span> https://login.taobao.com/"));
    EXPECT_FALSE(is_blocked_first_page(
        ShopKind::Tmall, "//detail.tmall.com/item.htm?id=5 https://login.taobao.com/"));
}

TEST(ItemAddress, WritesTheMarketplaceForm) {
    EXPECT_EQ(item_address(ShopKind::Tmall, "12"), "http://detail.tmall.com/item.htm?id=12");
    EXPECT_EQ(item_address(ShopKind::Taobao, "12"), "http://item.taobao.com/item.htm?id=12");
    EXPECT_EQ(item_address(ShopKind::Ali1688, "12"), "http://detail.1688.com/offer/12.html");
}

}  // namespace
}  // namespace qinghe
