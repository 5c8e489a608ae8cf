// The item read from the data newer pages embed in a script: the fixture
// pages of tests/fixtures/embedded as served and as saved by a browser, the
// cutting and repair of the script object, and hostile data.
#include "package/embedded_item_data.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "base/gbk.h"
#include "base/page_charset.h"
#include "package/blocked_page.h"
#include "package/location_split.h"
#include "package/script_object.h"
#include "support/gbk_literal.h"
#include "support/package_fixtures.h"

namespace qinghe {
namespace {

using test_support::gbk;
using Lines = std::vector<std::string>;

// The page as the harvest reads it: charset decided, UTF-8 turned into GBK.
Text embedded_page(const std::string& name) {
    return page_to_gbk(
        test_support::file_bytes(std::filesystem::path(QINGHE_FIXTURES_DIR) / "embedded" / name));
}

// Every fact as a line of UTF-8, so that a table states them readably and a
// failure shows what differs.
Lines describe(const ItemFacts& facts) {
    const auto u = [](const Text& t) { return gbk_to_utf8(t); };
    Lines lines{
        "found " + std::to_string(facts.found),
        "id " + u(facts.item_id),
        "address " + u(facts.item_address),
        "title " + u(facts.title),
        "price " + u(facts.price),
        "location " + u(facts.location),
        "category " + u(facts.category_id),
        "description " + u(facts.description_address),
        "nick " + u(facts.seller_nick),
        "shop " + u(facts.shop_name),
    };
    if (const auto split = split_location(facts.location)) {
        lines.push_back("province/city " + u(split->province) + "/" + u(split->city));
    }
    for (const Text& picture : facts.gallery) lines.push_back("gallery " + u(picture));
    for (const SkuProperty& property : facts.sku_properties) {
        lines.push_back("property " + u(property.property_id) + " " + u(property.name));
        for (const SkuValue& value : property.values) {
            lines.push_back("  value " + u(value.value_id) + " " + u(value.name) + " " +
                            u(value.picture));
        }
    }
    for (const SkuCombination& c : facts.sku_combinations) {
        lines.push_back("combination " + u(c.value_path) + " " + u(c.price) + " " + u(c.quantity));
    }
    return lines;
}

constexpr const char* kCbu = "https://cbu01.alicdn.com/img/ibank/";

const Lines& ali1688_offer() {
    static const Lines lines = [] {
        const std::string c = kCbu;
        return Lines{
            "found 1",
            "id 710000000101",
            "address https://detail.1688.com/offer/710000000101.html",
            "title 青禾推薦款 藍色陶瓷馬克杯 聖誕禮盒 燈籠",
            "price 3.80-8.20",
            "location 山东省淄博市",
            "category 125068008",
            "description https://itemcdn.tmall.com/1688offer/icoss71000000010100qh0a1b2c3d",
            "nick qinghetaoci",
            "shop 淄博青禾陶瓷有限公司",
            "province/city 山东/淄博",
            "gallery " + c + "O1CN01qhMugA_!!2209000000101-0-cib.jpg",
            "gallery " + c + "O1CN01qhMugB_!!2209000000101-0-cib.jpg",
            "gallery " + c + "O1CN01qhMugC_!!2209000000101-0-cib.png",
            "gallery " + c + "O1CN01qhMugD_!!2209000000101-0-cib.jpg",
            "property 3216 颜色",
            "  value  藍色 " + c + "O1CN01qhSkuBlue_!!2209000000101-0-cib.jpg",
            "  value  蔥綠 " + c + "O1CN01qhSkuGreen_!!2209000000101-0-cib.jpg",
            "  value  樱花粉&#127800; " + c + "O1CN01qhSkuPink_!!2209000000101-0-cib.jpg",
            "property 450 容量",
            "  value  350ml ",
            "  value  500ml ",
            "combination 藍色&gt;350ml 3.80 500",
            "combination 藍色&gt;500ml 8.20 260",
            "combination 蔥綠&gt;350ml 3.80 75",
            "combination 蔥綠&gt;500ml 8.20 120",
            "combination 樱花粉&#127800;&gt;350ml 3.80 0",
        };
    }();
    return lines;
}

const Lines& ali1688_plain() {
    static const Lines lines = [] {
        const std::string c = kCbu;
        return Lines{
            "found 1",
            "id 710000000202",
            "address https://detail.1688.com/offer/710000000202.html",
            "title 加厚帆布收纳袋 搬家打包袋 大容量",
            "price 9.80-12.50",
            "location 广东省 汕头市",
            "category 1031910",
            "description https://itemcdn.tmall.com/1688offer/icoss71000000020200qh4e5f6a7b",
            "nick shantoubaozhuang",
            "shop 汕头市青禾包装厂",
            "province/city 广东/汕头",
            "gallery " + c + "O1CN01qhBagA_!!2209000000202-0-cib.jpg",
            "gallery " + c + "O1CN01qhBagB_!!2209000000202-0-cib.jpg",
            "gallery " + c + "O1CN01qhBagC_!!2209000000202-0-cib.jpg",
            "property 1234 规格",
            "  value  小号 40*30 ",
            "  value  中号 60*40 ",
            "  value  大号 80*50 ",
            "combination 小号 40*30  8000",
            "combination 中号 60*40 11.00 6500",
            "combination 大号 80*50  3000",
        };
    }();
    return lines;
}

const Lines& ali1688_logged_out() {
    static const Lines lines = [] {
        const std::string c = kCbu;
        return Lines{
            "found 1",
            "id 710000000303",
            "address https://detail.1688.com/offer/710000000303.html",
            "title 儿童木质积木玩具 100粒 桶装",
            "price 15.00",
            "location 浙江省金华市",
            "category 1043472",
            "description https://itemcdn.tmall.com/1688offer/icoss71000000030300qh8c9d0e1f",
            "nick jinhuawanju",
            "shop 金华青禾玩具厂",
            "province/city 浙江/金华",
            "gallery " + c + "O1CN01qhToyA_!!2209000000303-0-cib.jpg",
            "gallery " + c + "O1CN01qhToyB_!!2209000000303-0-cib.jpg",
            "property 3216 颜色",
            "  value  红色桶 " + c + "O1CN01qhToyRed_!!2209000000303-0-cib.jpg",
            "  value  黄色桶 " + c + "O1CN01qhToyYellow_!!2209000000303-0-cib.jpg",
            "combination 红色桶 15.00 900",
            "combination 黄色桶 15.00 0",
        };
    }();
    return lines;
}

// Tmall's item; `scheme` is the scheme scheme-relative addresses take.
Lines tmall_item(const std::string& scheme) {
    const std::string i = "https://img.alicdn.com/imgextra/";
    const std::string g = "gw.alicdn.com/bao/uploaded/";
    return Lines{
        "found 1",
        "id 700000300301",
        "address https://detail.tmall.com/item.htm?id=700000300301",
        "title 青禾智能扫地机器人X10 激光导航 扫拖一体&#10024;",
        "price 5499.00-6799.00",
        "location 江苏苏州",
        "category 50012100",
        "description " + scheme +
            "://market.m.taobao.com/app/detail-project/desc/"
            "index.html?id=700000300301&descVersion=7.0&type=1&f=icoss!0700000300301!qh12345&"
            "sellerType=B",
        "nick 青禾电器旗舰店",
        "shop 青禾电器旗舰店",
        "province/city 江苏/苏州",
        "gallery " + i + "i1/2201168000001/O1CN01qhRobA_!!2201168000001.jpg",
        "gallery " + i + "i2/2201168000001/O1CN01qhRobB_!!2201168000001.jpg",
        "gallery " + i + "i3/2201168000001/O1CN01qhRobC_!!2201168000001.jpg",
        "property 1627207 颜色分类",
        "  value 28320 月光白 https://" + g +
            "i1/2201168000001/O1CN01qhSkuWhite_!!2201168000001.jpg",
        "  value 28341 曜石黑 " + scheme + "://" + g +
            "i2/2201168000001/O1CN01qhSkuBlack_!!2201168000001.jpg",
        "property 122216343 套餐类型",
        "  value 3266779 官方标配 ",
        "  value 3266781 套餐一 ",
        "combination 1627207:28320;122216343:3266779 5499.00 200",
        "combination 1627207:28320;122216343:3266781 6799.00 150",
        "combination 1627207:28341;122216343:3266779 5499.00 300",
        "combination 1627207:28341;122216343:3266781 6799.00 0",
    };
}

Lines taobao_item(const std::string& scheme) {
    const std::string i = "img.alicdn.com/imgextra/";
    const std::string g = "https://gw.alicdn.com/bao/uploaded/";
    return Lines{
        "found 1",
        "id 700000400401",
        "address ",
        "title 2024新款 法式碎花連衣裙 收腰顯瘦長裙",
        "price 79.00-89.00",
        "location 浙江杭州",
        "category 50010850",
        "description " + scheme +
            "://market.m.taobao.com/app/detail-project/desc/"
            "index.html?id=700000400401&descVersion=7.0&type=1&f=icoss!0700000400401!qh67890&"
            "sellerType=C",
        "nick qinghe小铺",
        "shop 小青禾的衣橱",
        "province/city 浙江/杭州",
        "gallery https://" + i + "i4/3900218802/O1CN01qhDressA_!!3900218802.jpg",
        "gallery " + scheme + "://" + i + "i1/3900218802/O1CN01qhDressB_!!3900218802.jpg",
        "gallery https://" + i + "i2/3900218802/O1CN01qhDressC_!!3900218802.png",
        "gallery https://" + i + "i3/3900218802/O1CN01qhDressD_!!3900218802.jpg",
        "property 1627207 颜色分类",
        "  value 28326 碎花藍 " + g + "i4/3900218802/O1CN01qhSkuBlue_!!3900218802.jpg",
        "  value 28338 奶油白 " + g + "i1/3900218802/O1CN01qhSkuCream_!!3900218802.jpg",
        "  value 28340 墨綠 ",
        "property 20509 尺码",
        "  value 28314 S ",
        "  value 28315 M ",
        "combination 1627207:28326;20509:28314 79.00 30",
        "combination 1627207:28326;20509:28315 79.00 25",
        "combination 1627207:28338;20509:28314 89.00 41",
        "combination 1627207:28340;20509:28315 89.00 0",
    };
}

struct FixtureCase {
    const char* fixture;
    const char* page_address;  // where it was served from, or where it lies on disk
    Lines expected;
};

std::vector<FixtureCase> fixture_cases() {
    const char* disk = "/home/seller/下载/saved.html";
    return {
        {"ali1688_offer_served.html", "https://detail.1688.com/offer/710000000101.html",
         ali1688_offer()},
        {"ali1688_offer_saved.html", disk, ali1688_offer()},
        {"ali1688_plain_served.html", "https://detail.1688.com/offer/710000000202.html",
         ali1688_plain()},
        {"ali1688_logged_out_saved.html", "file:///home/seller/saved.html", ali1688_logged_out()},
        {"tmall_ice_served.html", "https://detail.tmall.com/item.htm?id=700000300301",
         tmall_item("https")},
        {"tmall_ice_served.html", "http://detail.tmall.com/item.htm?id=700000300301",
         tmall_item("http")},
        {"tmall_ice_saved.html", disk, tmall_item("https")},
        {"taobao_ice_served.html", "https://item.taobao.com/item.htm?id=700000400401",
         taobao_item("https")},
        {"taobao_ice_served.html", "http://item.taobao.com/item.htm?id=700000400401",
         taobao_item("http")},
        {"taobao_ice_saved.html", disk, taobao_item("https")},
    };
}

TEST(EmbeddedItemData, ReadsEachFixtureServedAndSaved) {
    for (const FixtureCase& c : fixture_cases()) {
        const Text page = embedded_page(c.fixture);
        ASSERT_FALSE(page.empty()) << c.fixture;
        EXPECT_EQ(describe(read_embedded_item_data(page, gbk(c.page_address))), c.expected)
            << c.fixture << " from " << c.page_address;
    }
}

TEST(EmbeddedItemData, EachFormIsReadByItsOwnReaderOnly) {
    const Text ali = embedded_page("ali1688_offer_served.html");
    const Text tmall = embedded_page("tmall_ice_served.html");
    EXPECT_TRUE(read_1688_context_data(ali, "").found);
    EXPECT_FALSE(read_ice_app_context_data(ali, "").found);
    EXPECT_TRUE(read_ice_app_context_data(tmall, "").found);
    EXPECT_FALSE(read_1688_context_data(tmall, "").found);
    // Pages of the older forms carry neither: their readers stay in charge.
    const char* older[] = {
        "real/taobao_item_served_gbk.html",   "real/taobao_item_saved_utf8.html",
        "real/tmall_item_served_utf8.html",   "real/tmall_item_saved_utf8.html",
        "real/ali1688_offer_served_gbk.html", "real/ali1688_offer_saved_utf8.html",
        "package/taobao_item.html",           "package/tmall_item.html",
        "package/ali1688_item.html",
    };
    for (const char* name : older) {
        const Text page = page_to_gbk(
            test_support::file_bytes(std::filesystem::path(QINGHE_FIXTURES_DIR) / name));
        ASSERT_FALSE(page.empty()) << name;
        EXPECT_FALSE(read_embedded_item_data(page, "").found) << name;
    }
}

TEST(EmbeddedItemData, TheLoggedOutPageWithItsCaptchaFrameIsNoBlockedPage) {
    const Text page = embedded_page("ali1688_logged_out_saved.html");
    ASSERT_TRUE(contains_text(page, gbk("登录查看全部")));
    ASSERT_NE(find_block_sign(page), BlockSign::None);
    EXPECT_TRUE(is_blocked_item_page(page, {}));  // without the data it would be

    const ItemFacts facts = read_embedded_item_data(page, "");
    const ItemPageFacts found{!facts.title.empty(), !facts.gallery.empty(),
                              !facts.description_address.empty()};
    EXPECT_TRUE(found.has_title && found.has_gallery && found.has_description_address);
    EXPECT_FALSE(is_blocked_item_page(page, found));
}

TEST(EmbeddedItemData, APageCutAnywhereBeforeTheDataEndsGivesNoItem) {
    struct CutCase {
        const char* fixture;
        const char* after_data;  // what follows the data's closing bracket
    };
    const CutCase cases[] = {
        {"ali1688_offer_served.html", ");</script>"},
        {"ali1688_plain_served.html", ");</script>"},
        {"tmall_ice_saved.html", ";for (var k in a)"},
        {"taobao_ice_served.html", ";for (var k in a)"},
    };
    for (const CutCase& c : cases) {
        const Text page = embedded_page(c.fixture);
        const size_t data_end = page.find(c.after_data);
        ASSERT_NE(data_end, std::string::npos) << c.fixture;
        const ItemFacts full = read_embedded_item_data(page, "");
        ASSERT_TRUE(full.found) << c.fixture;
        const Lines whole = describe(full);
        std::vector<size_t> cuts{data_end - 1, data_end};
        for (size_t cut = 0; cut < page.size(); cut += 100) cuts.push_back(cut);
        for (size_t cut : cuts) {
            const ItemFacts facts = read_embedded_item_data(page.substr(0, cut), "");
            if (cut < data_end) {
                EXPECT_FALSE(facts.found) << c.fixture << " cut at " << cut;
            } else {
                EXPECT_EQ(describe(facts), whole) << c.fixture << " cut at " << cut;
            }
        }
    }
}

// A 1688 page around the given data.
Text context_page(const std::string& data) {
    return "<script>window.context=(function(b,d){return d})(window.contextPath," + data +
           ");</script>";
}

// A Taobao page around the given res object.
Text ice_page(const std::string& res) {
    return "<script>var a = window.__ICE_APP_CONTEXT__ || {};var b = "
           "{\"loaderData\":{\"home\":{\"data\":{\"res\":" +
           res + "}}}};</script>";
}

TEST(EmbeddedItemData, BrokenOrEmptyDataGivesNoItem) {
    const std::string item = "{\"subject\":\"t\"}";
    ASSERT_TRUE(read_embedded_item_data(context_page(item), "").found);
    ASSERT_TRUE(read_embedded_item_data(ice_page("{\"item\":{\"title\":\"t\"}}"), "").found);
    const Text pages[] = {
        context_page("{'subject':'t'}"),                               // script, not JSON
        context_page("{\"subject\":\"t\",}"),                          // a trailing comma
        context_page("{\"subject\":\"t\"]"),                           // brackets that do not pair
        context_page("{\"subject\":t}"),                               // a bare word
        context_page("{\"subject\":\"\\ud83c\"}"),                     // half a surrogate pair
        context_page("{\"other\":\"t\"}"),                             // no title, no gallery
        context_page("[\"subject\",\"t\"]"),                           // no keys at all
        context_page("\"subject\""),                                   // no object
        ice_page("{\"item\":{\"images\":[\"javascript:void(0)\"]}}"),  // no usable picture
        ice_page("[]"),
        "<script>var a = window.__ICE_APP_CONTEXT__;var b = \"loaderData\";</script>",
        "",
    };
    for (const Text& page : pages) EXPECT_FALSE(read_embedded_item_data(page, "").found) << page;
}

TEST(EmbeddedItemData, EscapesBecomeGbkText) {
    // \u9752 is 青; U+1F338 is outside GBK; \u0000 cannot stand in a text.
    const ItemFacts facts = read_embedded_item_data(
        context_page("{\"subject\":\"\\u9752\\ud83c\\udf38 \\\"A\\\\B\\\"\\u0000\"}"), "");
    EXPECT_EQ(facts.title, gbk("青&#127800; \"A\\B\""));
}

std::string nested(int depth, const std::string& inner) {
    std::string s;
    for (int i = 0; i < depth; ++i) s += "{\"a\":";
    s += inner;
    s.append(depth, '}');
    return s;
}

TEST(EmbeddedItemData, HostileDataGivesNoItemInBoundedTime) {
    const auto started = std::chrono::steady_clock::now();
    // Nesting up to the limit is read; beyond it the data is refused.
    const std::string item = "\"subject\":\"t\"";
    EXPECT_TRUE(
        read_embedded_item_data(
            context_page("{" + item + ",\"x\":" + nested(kMaxScriptObjectNesting - 2, "1") + "}"),
            "")
            .found);
    EXPECT_FALSE(
        read_embedded_item_data(context_page("{" + item + ",\"x\":" + nested(1000, "1") + "}"), "")
            .found);
    EXPECT_FALSE(
        read_embedded_item_data(context_page("{" + item + ",\"x\":" + std::string(100000, '[')), "")
            .found);
    EXPECT_FALSE(read_embedded_item_data(ice_page(nested(1000, "{}")), "").found);

    // 100 MB: a string that never ends, brackets that never close, data
    // larger than the limit. A small item after 100 MB of markup is still read.
    const std::string filler(100 * 1024 * 1024, 'x');
    EXPECT_FALSE(read_embedded_item_data(context_page("{\"subject\":\"" + filler), "").found);
    std::string brackets(100 * 1024 * 1024, '{');
    EXPECT_FALSE(read_embedded_item_data(context_page(brackets), "").found);
    brackets.clear();
    EXPECT_FALSE(
        read_embedded_item_data(context_page("{" + item + ",\"x\":\"" + filler + "\"}"), "").found);
    EXPECT_TRUE(
        read_embedded_item_data("<p>" + filler + "</p>" + context_page("{" + item + "}"), "")
            .found);
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started);
    EXPECT_LT(seconds.count(), 60.0);
}

TEST(ScriptObject, CutsTheLiteralAtItsMatchingBracket) {
    struct CutCase {
        std::string text;
        const char* literal;  // nullptr: nothing is cut
    };
    const CutCase cases[] = {
        {"{\"a\":1});", "{\"a\":1}"},
        {"[1,[2],{\"b\":[]}] tail", "[1,[2],{\"b\":[]}]"},
        {"{\"a\":\"}]\"}}", "{\"a\":\"}]\"}"},        // brackets in a string
        {"{\"a\":\"\\\"}\"}x", "{\"a\":\"\\\"}\"}"},  // an escaped quote
        {"{\"a\":\"\\\\\"}x", "{\"a\":\"\\\\\"}"},    // an escaped backslash
        {"{\"a\":{\"b\":1}", nullptr},                // cut off
        {"{\"a\":\"}", nullptr},                      // cut off in a string
        {"[{\"a\":1]}", nullptr},                     // brackets that do not pair
        {"x{}", nullptr},                             // not at a bracket
        {"", nullptr},
    };
    for (const CutCase& c : cases) {
        const auto cut = cut_script_object(c.text, 0);
        if (c.literal) {
            ASSERT_TRUE(cut) << c.text;
            EXPECT_EQ(*cut, c.literal);
        } else {
            EXPECT_FALSE(cut) << c.text;
        }
    }
    // GBK characters whose second byte is a bracket or a backslash stay whole:
    // 燈籠 ends in 0x5C, 藍 in '{', 聖 in '}', 蔥 in '[', 薦 in ']'.
    for (const char* word : {"燈籠", "藍", "聖", "蔥", "薦"}) {
        const std::string literal = "{\"a\":\"" + gbk(word) + "\",\"b\":[" + "]}";
        const std::string text = literal + "});";
        const auto cut = cut_script_object(text, 0);
        ASSERT_TRUE(cut) << word;
        EXPECT_EQ(*cut, literal) << word;
    }
    EXPECT_TRUE(cut_script_object(nested(kMaxScriptObjectNesting, "1"), 0));
    EXPECT_FALSE(cut_script_object(nested(kMaxScriptObjectNesting + 1, "1"), 0));
}

TEST(ScriptObject, QuotesBareNumberKeysOnly) {
    struct QuoteCase {
        const char* literal;
        const char* json;
    };
    const QuoteCase cases[] = {
        {"{5931007583129:0.6000,5931007583130:0.8}",
         "{\"5931007583129\":0.6000,\"5931007583130\":0.8}"},
        {"{ 12 : 1 ,\n34:2}", "{ \"12\" : 1 ,\n\"34\":2}"},
        {"{\"a\":[1,2,{3:4}]}", "{\"a\":[1,2,{\"3\":4}]}"},
        {"[1, 2 ,3]", "[1, 2 ,3]"},
        {"{\"a\":\"{5:6}\",\"b\":\"\\\",7:\"}", "{\"a\":\"{5:6}\",\"b\":\"\\\",7:\"}"},
        {"{\"5\":1}", "{\"5\":1}"},
        {"{a:1}", "{a:1}"},  // other bare keys are no part of these forms
        {"{12", "{12"},
    };
    for (const QuoteCase& c : cases)
        EXPECT_EQ(quote_bare_number_keys(c.literal), c.json) << c.literal;
}

}  // namespace
}  // namespace qinghe
