// Package rows of item pages in the newer forms: the fixture pages of
// tests/fixtures/real (2017-2020 markup) and tests/fixtures/embedded (data in
// a script), read as the harvest reads them, give one record each with the
// item's own title, category, place, price, sale properties and pictures.
#include "package/item_package_row.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/encoding.h"
#include "base/gbk.h"
#include "base/page_charset.h"
#include "package/item_facts_reader.h"
#include "package/item_page.h"
#include "package/listing_facts_2020.h"
#include "package/listing_fields.h"
#include "support/file_bytes.h"

namespace qinghe {
namespace {

using Lines = std::vector<std::string>;

Text page_bytes(const std::string& dir, const std::string& name) {
    return test_support::file_bytes(std::filesystem::path(QINGHE_FIXTURES_DIR) / dir / name);
}

// The row's columns (from 1 at index 1) as UTF-8, its placeholder quotes
// taken as the quotes they stand for.
std::vector<std::string> columns(const Text& row) {
    std::vector<std::string> out{"", ""};
    bool quoted = false;
    for (size_t i = 0; i < row.size();) {
        if (row.compare(i, 3, "|||") == 0) {
            quoted = !quoted;
            i += 3;
        } else if (row[i] == ',' && !quoted) {
            out.push_back("");
            ++i;
        } else {
            out.back() += row[i++];
        }
    }
    for (std::string& column : out) column = gbk_to_utf8(column);
    return out;
}

struct Harvested {
    ItemFacts facts;
    Text page;  // prepared
    Text row;
};

// What the harvest and the package export do with a page, without the web:
// the sib answer, when the page names one, is the fixture.
Harvested harvest(const std::string& dir, const std::string& fixture, const std::string& address) {
    Harvested h;
    const Text source = page_to_gbk(page_bytes(dir, fixture));
    h.facts = read_item_facts(source, address);
    h.page = replace_text(source, ")", "\"");
    PackageRowInput input;
    input.page = h.page;
    input.address = address;
    input.facts = &h.facts;
    const MarketplaceKind kind = detect_marketplace(h.page, listing_address(address, &h.facts));
    input.location = location_text(h.page, kind, {});
    if (!input.location && !sib_location_address(h.page, address).empty()) {
        input.fetched_location =
            location_from_script(page_to_gbk(page_bytes("real", "taobao_sib.json")));
    }
    input.item_id = "1";
    h.row = build_package_row(input);
    return h;
}

// The picture name a row gives an attribute picture of this address.
std::string attribute_name(const std::string& address) {
    return to_upper_text(md5_hex(address.substr(address.rfind('/') + 1)));
}

struct RowCase {
    std::string dir;
    std::string fixture;
    std::string address;
    // Columns 1, 2, 5, 6, 8, 22, 35, 40.
    Lines listing;
    std::vector<std::string> sku_pictures;  // full size, page order
    int main_pictures;  // -1: not checked here (the gallery is the picture facts')
};

TEST(PackageRowFromFacts, OneRecordPerFixtureItem) {
    const std::string img = "https://img.alicdn.com/imgextra/";
    const std::string cbu = "https://cbu01.alicdn.com/img/ibank/";
    const RowCase cases[] = {
        {"real",
         "taobao_item_served_gbk.html",
         "https://item.taobao.com/item.htm?id=588001001001",
         {"复古真皮男士手提公文包", "50008899", "浙江", "杭州", "899.00",
          "20509:28315;20509:28314;1627207:28338;1627207:28341;",
          "20509:28315:大号;20509:28314:中号;1627207:28338:棕色;1627207:28341:黑色;", ""},
         {"https://gd3.alicdn.com/imgextra/i3/3900118801/TB2skuBlack_!!3900118801.jpg",
          "https://gd1.alicdn.com/imgextra/i1/3900118801/TB2skuBrown_!!3900118801.jpg"},
         -1},
        {"real",
         "taobao_item_saved_utf8.html",
         "https://item.taobao.com/item.htm?id=588001001002",
         {"2020新款女士真丝连衣裙", "50000671", "河南", "郑州", "149.00",
          "1627207:28320;1627207:28340;1627207:28326;",
          "1627207:28320:白色;1627207:28340:藏青;1627207:28326:红色;", ""},
         {"https://gd1.alicdn.com/imgextra/i4/2200711111/O1CN01skuRed_!!2200711111.jpg",
          "https://gd3.alicdn.com/imgextra/i1/2200711111/O1CN01skuNavy_!!2200711111.jpg"},
         -1},
        {"real",
         "tmall_item_served_utf8.html",
         "https://detail.tmall.com/item.htm?id=600002002001",
         {"【官方正品】青禾智能扫地机器人X9", "50012100", "江苏", "南京", "5499.00",
          "5919063:3266779;5919063:6536025;1627207:28332;1627207:28320;",
          "5919063:3266779:套餐一;5919063:6536025:官方标配;1627207:28332:星空灰;1627207:28320:白色;",
          ""},
         {img + "i3/2206655443/O1CN01skuW_!!2206655443.jpg",
          img + "i2/2206655443/O1CN01skuG_!!2206655443.jpg"},
         -1},
        {"real",
         "tmall_item_saved_utf8.html",
         "https://detail.tmall.com/item.htm?id=600002002002",
         {"青禾纯棉四件套床上用品", "50008779", "广东", "广州", "399.00", "1627207:3232480;",
          "1627207:3232480:浅灰;", ""},
         {img + "i3/2201234567/O1CN01skuL_!!2201234567.jpg"},
         -1},
        {"real",
         "ali1688_offer_served_gbk.html",
         "https://detail.1688.com/offer/610003003001.html",
         {"2019新款PU皮女士斜挎包批发", "0", "广东", "汕头", "14.80", "1:0", "", ""},
         {},
         -1},
        {"real",
         "ali1688_offer_saved_utf8.html",
         "https://detail.1688.com/offer/610003003002.html",
         {"义乌小商品 创意陶瓷马克杯", "0", "浙江", "金华", "9.90", "1:0", "", ""},
         {},
         -1},
        // 1688 names no value ids: each value gets -1000 - its place in its property.
        {"embedded",
         "ali1688_offer_served.html",
         "https://detail.1688.com/offer/710000000101.html",
         {"青禾推薦款 藍色陶瓷馬克杯 聖誕禮盒 燈籠", "125068008", "山东", "淄博", "3.80",
          "450:-1002;450:-1001;3216:-1003;3216:-1002;3216:-1001;",
          "450:-1002:500ml;450:-1001:350ml;3216:-1003:樱花粉&#127800;;3216:-1002:蔥綠;3216:-1001:藍色;",
          "qinghetaoci"},
         {cbu + "O1CN01qhSkuBlue_!!2209000000101-0-cib.jpg",
          cbu + "O1CN01qhSkuGreen_!!2209000000101-0-cib.jpg",
          cbu + "O1CN01qhSkuPink_!!2209000000101-0-cib.jpg"},
         4},
        {"embedded",
         "ali1688_plain_served.html",
         "https://detail.1688.com/offer/710000000202.html",
         {"加厚帆布收纳袋 搬家打包袋 大容量", "1031910", "广东", "汕头", "9.80",
          "1234:-1003;1234:-1002;1234:-1001;",
          "1234:-1003:大号 80*50;1234:-1002:中号 60*40;1234:-1001:小号 40*30;", "shantoubaozhuang"},
         {},
         3},
        {"embedded",
         "ali1688_logged_out_saved.html",
         "/home/u/积木.html",
         {"儿童木质积木玩具 100粒 桶装", "1043472", "浙江", "金华", "15.00",
          "3216:-1002;3216:-1001;", "3216:-1002:黄色桶;3216:-1001:红色桶;", "jinhuawanju"},
         {cbu + "O1CN01qhToyRed_!!2209000000303-0-cib.jpg",
          cbu + "O1CN01qhToyYellow_!!2209000000303-0-cib.jpg"},
         2},
        {"embedded",
         "tmall_ice_served.html",
         "https://detail.tmall.com/item.htm?id=700000300301",
         {"青禾智能扫地机器人X10 激光导航 扫拖一体&#10024;", "50012100", "江苏", "苏州", "5499.00",
          "122216343:3266781;122216343:3266779;1627207:28341;1627207:28320;",
          "122216343:3266781:套餐一;122216343:3266779:官方标配;1627207:28341:曜石黑;1627207:28320:月光白;",
          "青禾电器旗舰店"},
         {"https://gw.alicdn.com/bao/uploaded/i1/2201168000001/O1CN01qhSkuWhite_!!2201168000001.jpg",
          "https://gw.alicdn.com/bao/uploaded/i2/2201168000001/O1CN01qhSkuBlack_!!2201168000001.jpg"},
         3},
        {"embedded",
         "taobao_ice_saved.html",
         "/home/u/saved.html",
         {"2024新款 法式碎花連衣裙 收腰顯瘦長裙", "50010850", "浙江", "杭州", "79.00",
          "20509:28315;20509:28314;1627207:28340;1627207:28338;1627207:28326;",
          "20509:28315:M;20509:28314:S;1627207:28340:墨綠;1627207:28338:奶油白;1627207:28326:碎花藍;",
          "qinghe小铺"},
         {"https://gw.alicdn.com/bao/uploaded/i4/3900218802/O1CN01qhSkuBlue_!!3900218802.jpg",
          "https://gw.alicdn.com/bao/uploaded/i1/3900218802/O1CN01qhSkuCream_!!3900218802.jpg"},
         4},
    };
    for (const RowCase& c : cases) {
        const Harvested h = harvest(c.dir, c.fixture, c.address);
        const std::vector<std::string> col = columns(h.row);
        ASSERT_GT(col.size(), 40u) << c.fixture;
        EXPECT_EQ(Lines({col[1], col[2], col[5], col[6], col[8], col[22], col[35], col[40]}),
                  c.listing)
            << c.fixture;

        // The package saves what the row names: the SKU pictures at full size.
        std::vector<std::string> saved;
        std::string attribute_entries;
        for (const SaleValue& value : row_pictures(h.page, &h.facts).sale_values) {
            if (value.picture_address.empty()) continue;
            saved.push_back(value.picture_address);
            attribute_entries = attribute_name(value.picture_address) +
                                ":2:0:" + gbk_to_utf8(value.value_id) + "|;" + attribute_entries;
        }
        EXPECT_EQ(saved, c.sku_pictures) << c.fixture;
        const std::string pictures = col[29];
        EXPECT_TRUE(pictures.ends_with(attribute_entries)) << c.fixture << ": " << pictures;
        if (c.main_pictures >= 0) {
            const std::string main = pictures.substr(0, pictures.size() - attribute_entries.size());
            int count = 0;
            for (size_t at = 0; (at = main.find("|;", at)) != std::string::npos; ++at) ++count;
            EXPECT_EQ(count, c.main_pictures) << c.fixture;
            EXPECT_EQ(row_pictures(h.page, &h.facts).main_pictures.size(),
                      static_cast<size_t>(c.main_pictures));
        }
        const std::string status = c.sku_pictures.empty() ? "1;" : "2;";
        EXPECT_TRUE(col[27].empty() || col[27].starts_with(status)) << c.fixture << ": " << col[27];
    }
}

TEST(PackageRowFromFacts, CombinationsOfValuesNamedByName) {
    const Harvested h = harvest("embedded", "ali1688_offer_served.html",
                                "https://detail.1688.com/offer/710000000101.html");
    EXPECT_EQ(
        gbk_to_utf8(sale_combinations_from_facts(h.facts)),
        "3.80:0::3216:-1003;450:-1001;8.20:120::3216:-1002;450:-1002;3.80:75::3216:-1002;450:-1001;"
        "8.20:260::3216:-1001;450:-1002;3.80:500::3216:-1001;450:-1001;");
    // A 1688 row carries no combinations, whatever the page holds.
    EXPECT_EQ(columns(h.row)[31], "");

    const Harvested t = harvest("real", "tmall_item_served_utf8.html",
                                "https://detail.tmall.com/item.htm?id=600002002001");
    EXPECT_EQ(
        gbk_to_utf8(columns(t.row)[31]),
        "6799.00:0::1627207:28332;5919063:3266779;5499.00:9::1627207:28332;5919063:6536025;"
        "6799.00:4::1627207:28320;5919063:3266779;5499.00:12::1627207:28320;5919063:6536025;");
}

TEST(PackageRowFromFacts, ClassicPageGivesTheSameRowWithItsFacts) {
    // A classic page read through read_item_facts: the facts change nothing.
    for (const char* name : {"taobao_item.html", "tmall_item.html", "ali1688_item.html"}) {
        const Text source = page_bytes("package", name);
        const std::string address = std::string("http://item.taobao.com/item.htm?id=1&") + name;
        const ItemFacts facts = read_item_facts(source, address);
        const Text page = replace_text(source, ")", "\"");
        PackageRowInput input;
        input.page = page;
        input.address = address;
        input.location = Text("x");
        const Text without = build_package_row(input);
        input.facts = &facts;
        EXPECT_EQ(build_package_row(input), without) << name;
    }
}

}  // namespace
}  // namespace qinghe
