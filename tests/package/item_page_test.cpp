// What an item page tells about its item, as tables of cases.
#include <gtest/gtest.h>

#include "package/item_page.h"
#include "support/gbk_literal.h"

namespace qinghe {
namespace {

using test_support::gbk;

struct TitleCase {
    std::string page;      // UTF-8, prepared (")" already turned into "\"")
    std::string expected;  // UTF-8
};

TEST(ExtractTitle, CleansTheTitleOfEachMarketplace) {
    const TitleCase cases[] = {
        {"<html><title>新款 T恤-淘宝网</title>", "新款 T恤"},
        {"<title>丝巾 春款-tmall.com天猫</title>", "丝巾 春款"},
        {"<title>A-B/C.D</title>", "AB C D"},
        {"<title>x《y》</title>", "x y "},
        {"<title>a\"b</title>", "a)b"},
        {"<title>a|b*c&d@e>f<g\\h</title>", "a b c d e f g h"},
        {"<title>a....b</title>", "a b"},
        {"<title>  (促销: 包邮?) </title>", "  (促销: 包邮?) "},
        {"<title>first<title>second</title>", "first"},
        {"<title>no end", "no end"},
        {"<html>no title</html>", ""},
        {"<html><title>", ""},
    };
    for (const TitleCase& c : cases) {
        EXPECT_EQ(extract_title(gbk(c.page)), gbk(c.expected)) << c.page;
    }
}

TEST(ExtractTitle, KeepsDoubleByteCharactersWhoseTrailByteIsABackslash) {
    // 運 is DF 5C in GBK: its trail byte must not be taken for "\\".
    EXPECT_EQ(extract_title("<title>\xDF\x5C\\x</title>"), "\xDF\x5C x");
}

TEST(DetectMarketplace, TmallMarkerWinsThenTaobaoThen1688) {
    const std::pair<std::string, MarketplaceKind> cases[] = {
        {"g_config.dynamicScript(\" \"descUrl\":\"", MarketplaceKind::Tmall},
        {"\"descUrl\":\"//dsc", MarketplaceKind::Tmall},
        {"g_config.dynamicScript(\"http", MarketplaceKind::Taobao},
        {"g_config.dynamicscript(\"http descurl", MarketplaceKind::Ali1688},
        {"data-tfs-url=\"http", MarketplaceKind::Ali1688},
        {"", MarketplaceKind::Ali1688},
    };
    for (const auto& [page, kind] : cases) EXPECT_EQ(detect_marketplace(page), kind) << page;
}

TEST(DetectMarketplace, TheHostDecidesForPagesWithoutTheLongStandingMarkers) {
    struct Case {
        std::string page;
        std::string address;
        MarketplaceKind kind;
    };
    const Case cases[] = {
        // A Taobao page of 2020 names "descUrl" in g_config, not in the Tmall form.
        {"descUrl          : location.protocol", "https://item.taobao.com/item.htm?id=1",
         MarketplaceKind::Taobao},
        {"descUrl          : location.protocol", "//ITEM.taobao.com:443/item.htm?id=1",
         MarketplaceKind::Taobao},
        {"descUrl          : location.protocol", "https://detail.1688.com/offer/1.html",
         MarketplaceKind::Ali1688},
        {"", "https://detail.tmall.com/item.htm?id=1", MarketplaceKind::Tmall},
        // Other hosts, and pages in the long-standing forms, keep the page's answer.
        {"descUrl          : location.protocol", "https://item.taobao.test/x?id=1",
         MarketplaceKind::Tmall},
        {"descUrl          : location.protocol", "/home/u/saved item.taobao.com.html",
         MarketplaceKind::Tmall},
        {"g_config.dynamicScript(\" \"descUrl\":\"", "http://item.taobao.com/item.htm?id=1",
         MarketplaceKind::Tmall},
        {"\"descUrl\":\"//dsc", "http://item.taobao.com/item.htm?id=1", MarketplaceKind::Tmall},
        {"g_config.dynamicScript(\"http", "http://detail.tmall.com/item.htm?id=1",
         MarketplaceKind::Taobao},
    };
    for (const Case& c : cases)
        EXPECT_EQ(detect_marketplace(c.page, c.address), c.kind) << c.page << " " << c.address;
}

TEST(Is1688Address, LooksForTheDomain) {
    EXPECT_TRUE(is_1688_address("http://detail.1688.com/offer/3003.html"));
    EXPECT_TRUE(is_1688_address("https://m.1688.com/x"));
    EXPECT_FALSE(is_1688_address("http://item.taobao.com/item.htm?id=1688"));
    EXPECT_FALSE(is_1688_address(""));
}

}  // namespace
}  // namespace qinghe
