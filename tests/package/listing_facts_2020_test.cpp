// The listing fields of item pages of 2017 to 2020: the fixture pages of
// tests/fixtures/real read as the harvest reads them (charset decided, UTF-8
// turned into GBK), and the marker rows one by one.
#include "package/listing_facts_2020.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/gbk.h"
#include "base/page_charset.h"
#include "package/item_page.h"
#include "support/file_bytes.h"
#include "support/gbk_literal.h"

namespace qinghe {
namespace {

using test_support::gbk;
using Lines = std::vector<std::string>;

Text real_page(const std::string& name) {
    return page_to_gbk(
        test_support::file_bytes(std::filesystem::path(QINGHE_FIXTURES_DIR) / "real" / name));
}

// The listing facts as lines of UTF-8: a table states them readably and a
// failure shows what differs.
Lines describe(const ItemFacts& facts) {
    const auto u = [](const Text& t) { return gbk_to_utf8(t); };
    Lines lines{"found " + std::to_string(facts.found),
                "title " + u(facts.title),
                "price " + u(facts.price),
                "location " + u(facts.location),
                "category " + u(facts.category_id),
                "nick " + u(facts.seller_nick)};
    for (const SkuProperty& property : facts.sku_properties) {
        for (const SkuValue& value : property.values) {
            lines.push_back("sku " + u(property.property_id) + ":" + u(value.value_id) + " " +
                            u(value.name) + " " + u(value.picture));
        }
    }
    for (const SkuCombination& c : facts.sku_combinations) {
        lines.push_back("combination " + u(c.value_path) + " " + u(c.price) + " " + u(c.quantity));
    }
    return lines;
}

struct FactsCase {
    const char* fixture;
    const char* address;
    Lines expected;
};

TEST(ListingFacts2020, ReadsTheFixturePages) {
    const std::string gd = "https://gd";
    const FactsCase cases[] = {
        {"taobao_item_served_gbk.html",
         "https://item.taobao.com/item.htm?id=588001001001",
         {"found 1", "title 复古真皮男士手提公文包", "price 899.00", "location ",
          "category 50008899", "nick ",
          "sku 1627207:28341 黑色 " + gd +
              "3.alicdn.com/imgextra/i3/3900118801/TB2skuBlack_!!3900118801.jpg",
          "sku 1627207:28338 棕色 " + gd +
              "1.alicdn.com/imgextra/i1/3900118801/TB2skuBrown_!!3900118801.jpg",
          "sku 20509:28314 中号 ", "sku 20509:28315 大号 ",
          "combination 1627207:28341;20509:28314 899.00 5",
          "combination 1627207:28341;20509:28315 929.00 3",
          "combination 1627207:28338;20509:28314 899.00 0",
          "combination 1627207:28338;20509:28315 929.00 7"}},
        // Saved by a browser: "¥" became "&#165;", the range is written with " - ".
        {"taobao_item_saved_utf8.html",
         "https://item.taobao.com/item.htm?id=588001001002",
         {"found 1", "title 2020新款女士真丝连衣裙", "price 149.00-159.00", "location 河南郑州",
          "category 50000671", "nick ",
          "sku 1627207:28326 红色 " + gd +
              "1.alicdn.com/imgextra/i4/2200711111/O1CN01skuRed_!!2200711111.jpg",
          "sku 1627207:28340 藏青 " + gd +
              "3.alicdn.com/imgextra/i1/2200711111/O1CN01skuNavy_!!2200711111.jpg",
          "sku 1627207:28320 白色 "}},
        {"tmall_item_served_utf8.html",
         "https://detail.tmall.com/item.htm?id=600002002001",
         {"found 1", "title 【官方正品】青禾智能扫地机器人X9", "price 5499.00-6799.00",
          "location 江苏南京", "category 50012100", "nick ",
          "sku 1627207:28320 白色 https://img.alicdn.com/imgextra/i3/2206655443/O1CN01skuW_!!2206655443.jpg",
          "sku 1627207:28332 星空灰 https://img.alicdn.com/imgextra/i2/2206655443/O1CN01skuG_!!2206655443.jpg",
          "sku 5919063:6536025 官方标配 ", "sku 5919063:3266779 套餐一 ",
          "combination 1627207:28320;5919063:6536025 5499.00 12",
          "combination 1627207:28320;5919063:3266779 6799.00 4",
          "combination 1627207:28332;5919063:6536025 5499.00 9",
          "combination 1627207:28332;5919063:3266779 6799.00 0"}},
        {"tmall_item_saved_utf8.html",
         "https://detail.tmall.com/item.htm?id=600002002002",
         {"found 1", "title 青禾纯棉四件套床上用品", "price 399.00", "location 广东广州",
          "category 50008779", "nick ",
          "sku 1627207:3232480 浅灰 https://img.alicdn.com/imgextra/i3/2201234567/O1CN01skuL_!!2201234567.jpg"}},
        // The price cell's first "\"price\">" opens a table row, not a price:
        // the value row gives it (the reference price does not).
        {"ali1688_offer_served_gbk.html",
         "https://detail.1688.com/offer/610003003001.html",
         {"found 1", "title 2019新款PU皮女士斜挎包批发", "price 14.80", "location 广东省 汕头市",
          "category ", "nick "}},
        {"ali1688_offer_saved_utf8.html",
         "https://detail.1688.com/offer/610003003002.html",
         {"found 1", "title 义乌小商品 创意陶瓷马克杯", "price 9.90", "location 浙江省 金华市",
          "category ", "nick "}},
    };
    for (const FactsCase& c : cases) {
        ItemFacts facts;
        read_2020_listing_facts(real_page(c.fixture), c.address, facts);
        EXPECT_EQ(describe(facts), c.expected) << c.fixture;
    }
}

TEST(ListingFacts2020, ClassicFormsAloneLeaveFoundFalse) {
    // Each field in its long-standing form: the row reads these pages itself.
    const std::string cases[] = {
        "g_config.dynamicScript(\"x\") <em class=\"tb-rmb-num\">59.00</em> cat%5f5001&a data-nick=\"nick\"",
        "\"descUrl\":\"http://d\" <span class=\"tm-price\">&yen;199.00</span> region\" value=\"浙江杭州\"",
        "<span class=\"price\">3.50</span><span class=\"delivery-addr\">浙江 金华</span>",
        "<li data-value=\"1:2\" title=\"红\"><a style=\"background:url(http://i.test/a.jpg_30x30.jpg)\"></a></li>",
    };
    for (const std::string& page : cases) {
        ItemFacts facts;
        read_2020_listing_facts(gbk(page), "https://item.taobao.com/item.htm?id=1", facts);
        EXPECT_FALSE(facts.found) << page;
    }
}

TEST(ListingFacts2020, NewerRowsOneByOne) {
    struct RowCase {
        std::string page;
        std::string address;
        Lines picked;  // lines of describe() that must be there
    };
    const RowCase cases[] = {
        {"<span class=\"tm-price\">￥ 88.00</span>",
         "https://detail.tmall.com/item.htm?id=1",
         {"price 88.00"}},
        {"'refPrice':'16.50'", "https://detail.1688.com/offer/1.html", {"price 16.50"}},
        {"<em class=\"value\">abc</em>'refPrice':'16.50'",
         "https://detail.1688.com/offer/1.html",
         {"price 16.50"}},
        {"var g_config = { cid:'123', sellerNick      : 'qinghe' };",
         "https://item.taobao.com/item.htm?id=1",
         {"category 123", "nick qinghe"}},
        // A key that only ends like the one looked for is another key.
        {"var g_config = { rcid : '9', cid : '77' };",
         "https://item.taobao.com/item.htm?id=1",
         {"category 77"}},
        {"{\"sellerNick\":\"qh\"}", "https://detail.tmall.com/item.htm?id=1", {"nick qh"}},
    };
    for (const RowCase& c : cases) {
        ItemFacts facts;
        read_2020_listing_facts(gbk(c.page), c.address, facts);
        const Lines lines = describe(facts);
        EXPECT_TRUE(facts.found) << c.page;
        for (const std::string& line : c.picked) {
            EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end())
                << c.page << ": " << line;
        }
    }
}

TEST(ListingFacts2020, SibAddressTakesThePagesScheme) {
    const Text page = real_page("taobao_item_served_gbk.html");
    const std::string path =
        "//detailskip.taobao.com/service/getData/1/p1/item/detail/sib.htm?itemId=588001001001&sellerId=3900118801";
    EXPECT_TRUE(sib_location_address(page, "http://item.taobao.com/item.htm?id=588001001001")
                    .starts_with("http:" + path));
    EXPECT_TRUE(sib_location_address(page, "/home/u/saved.html").starts_with("https:" + path));
    EXPECT_EQ(sib_location_address("g_config = {}", "https://item.taobao.com/"), "");
}

}  // namespace
}  // namespace qinghe
