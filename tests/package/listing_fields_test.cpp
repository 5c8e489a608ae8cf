#include "package/listing_fields.h"

#include <gtest/gtest.h>

#include <optional>

#include "support/gbk_literal.h"

namespace qinghe {
namespace {

using test_support::gbk;

TEST(CategoryAndShop, TaobaoAndTmallPagesGiveNumbersOtherPagesZeros) {
    const std::string numbers = "cat%5f50010850&x=1 shopId=12345;";
    EXPECT_EQ(category_and_shop_run("descUrl " + numbers), "50010850,|||12345|||,0,");
    EXPECT_EQ(category_and_shop_run("g_config.dynamicScript( " + numbers),
              "50010850,|||12345|||,0,");
    EXPECT_EQ(category_and_shop_run("offer " + numbers), "0,0,0,");
    // Markers used without a test give empty numbers, never a stop.
    EXPECT_EQ(category_and_shop_run("descUrl"), ",||||||,0,");
}

TEST(Location, CutsFirstAndLastFourBytesWithoutSplittingCharacters) {
    struct Case {
        std::optional<std::string> location;
        std::string expected;
    };
    const Case cases[] = {
        {gbk("浙江杭州"), "|||" + gbk("浙江") + "|||,|||" + gbk("杭州") + "|||,"},
        {gbk("上海"), "|||" + gbk("上海") + "|||,|||" + gbk("上海") + "|||,"},
        {gbk("黑龙江哈尔滨"), "|||" + gbk("黑龙") + "|||,|||" + gbk("尔滨") + "|||,"},
        {"Hangzhou", "|||Hang|||,|||zhou|||,"},
        {gbk("沪A"), "|||" + gbk("沪A") + "|||,|||" + gbk("沪A") + "|||,"},
        // Four bytes would end inside 江 (left) or start inside 浙 (right).
        {gbk("A浙江"), "|||" + gbk("A浙") + "|||,|||" + gbk("浙江") + "|||,"},
        {gbk("上海") + "\xBD", "|||" + gbk("上海") + "|||,|||" + gbk("上海") + "|||,"},
        {std::string(), "||||||,||||||,"},
        {std::nullopt, "||||||,||||||,"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(location_run(c.location), c.expected) << c.location.value_or("(none)");
    }
}

TEST(Location, ChosenByMarketplace) {
    int fetches = 0;
    std::string fetched_address;
    std::string script;
    const ScriptFetcher fetch = [&](std::string_view address) {
        ++fetches;
        fetched_address = std::string(address);
        return Bytes(script);
    };

    const std::string tmall = "<input name=\"region\" value=\"" + gbk("浙江杭州") + "\">";
    EXPECT_EQ(location_text(tmall, MarketplaceKind::Tmall, fetch), gbk("浙江杭州"));
    EXPECT_EQ(location_text("no region", MarketplaceKind::Tmall, fetch), std::nullopt);

    const std::string ali = "<span class=\"delivery-addr\">" + gbk("浙江 金华") + "</span>";
    EXPECT_EQ(location_text(ali, MarketplaceKind::Ali1688, fetch), gbk("浙江金华"));
    EXPECT_EQ(location_text("nothing", MarketplaceKind::Ali1688, fetch), std::nullopt);

    EXPECT_EQ(location_text("no script", MarketplaceKind::Taobao, fetch), std::nullopt);
    EXPECT_EQ(fetches, 0);

    const std::string taobao = "x{var b=\"http://l.example/loc.js\";";
    script = "{\"sendCity\":\"" + gbk("广东深圳") + "\",location:'" + gbk("上海") + "'}";
    EXPECT_EQ(location_text(taobao, MarketplaceKind::Taobao, fetch), gbk("广东深圳"));
    EXPECT_EQ(fetched_address, "http://l.example/loc.js");
    script = "var x={location:'" + gbk("上海") + "'}";
    EXPECT_EQ(location_text(taobao, MarketplaceKind::Taobao, fetch), gbk("上海"));
    script.clear();  // the script could not be fetched
    EXPECT_EQ(location_text(taobao, MarketplaceKind::Taobao, fetch), std::string());
    EXPECT_EQ(fetches, 3);
}

TEST(Price, MarkerByMarketplaceAndLowerEndOfARange) {
    struct Case {
        std::string page;
        MarketplaceKind kind;
        std::string expected;
    };
    const Case cases[] = {
        {"<em>&yen;</em><span>&yen;199.00</span>", MarketplaceKind::Tmall, "</em><span>"},
        {"<span>&yen;199.00</span>", MarketplaceKind::Tmall, "199.00"},
        {"<em class=\"tb-rmb-num\">88.00 - 120.00</em>", MarketplaceKind::Taobao, "88.00"},
        {"<em class=\"tb-rmb-num\">88.00-120.00</em>", MarketplaceKind::Taobao, "88.00-120.00"},
        {"<em class=\"tb-rmb-num\">1,299.00</em>", MarketplaceKind::Taobao, "1,299.00"},
        {"no price", MarketplaceKind::Taobao, ""},
        {"<span class=\"price\">3.50</span>", MarketplaceKind::Ali1688, "3.50"},
        {"no price", MarketplaceKind::Ali1688, "0"},
    };
    for (const auto& c : cases) EXPECT_EQ(price_text(c.page, c.kind), c.expected) << c.page;
}

TEST(BrandAndModel, InputValuesAndOuterId) {
    struct Case {
        std::string page;
        std::string input_values;
        std::string outer_id;
    };
    const std::string model_part = gbk(";型号;");
    const Case cases[] = {
        {"<li>" + gbk("品牌:") + " Acme</li><li>" + gbk("型号:") + " X1 </li>",
         "Acme" + model_part + "X1;", "X1"},
        {"<li>" + gbk("品牌:") + "&nbsp;Acme </li>", "Acme", ""},
        {"<li>" + gbk("型号:") + "X1</li>", model_part + "X1;", "X1"},
        {"<li>" + gbk("品牌:") + "Acme</li><li>" + gbk("型号:") + "&nbsp; </li>", "Acme", ""},
        {"<li>" + gbk("品牌:") + "&#20320;&#22909;</li>", gbk("你好"), ""},
        {"<li>" + gbk("型号:") + "&#65;&#66;</li>", model_part + "AB;", "AB"},
        {"<li>" + gbk("品牌:") + "Acme", "Acme", ""},  // no "</li>": to the end
        {"no properties", "", ""},
    };
    for (const auto& c : cases) {
        const BrandAndModel r = brand_and_model(c.page);
        EXPECT_EQ(r.input_values, c.input_values) << c.page;
        EXPECT_EQ(r.outer_id, c.outer_id) << c.page;
    }
    EXPECT_EQ(finish_outer_id("X1"), "X1");
    EXPECT_EQ(finish_outer_id("{\"a\":1}"), " ");
    EXPECT_EQ(finish_outer_id(""), "");
}

TEST(UserName, PercentEscapedUtf8DecodedExceptOn1688Addresses) {
    // "%E5%B0%8F%E7%8E%8B" is 小王 in UTF-8.
    const std::string page = "<a data-nick=\"&nbsp;%E5%B0%8F%E7%8E%8B \">";
    struct Case {
        std::string page;
        std::string address;
        std::string expected;
    };
    const Case cases[] = {
        {page, "http://item.taobao.com/item.htm?id=1", gbk("小王")},
        {page, "http://detail.tmall.com/item.htm?id=1", gbk("小王")},
        {page, "http://detail.1688.com/offer/1.html", "%E5%B0%8F%E7%8E%8B"},
        {"<a data-nick=\"" + gbk("小王") + "\">", "http://item.taobao.com/item.htm?id=1",
         gbk("小王")},
        {"<a data-nick=\"a,b\">", "http://item.taobao.com/item.htm?id=1", "a,b"},
        {"no nick", "http://item.taobao.com/item.htm?id=1", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(user_name(c.page, c.address), c.expected) << c.page;
}

TEST(SellingPoint, AllSpacesTabsAndLineEndsTakenOut) {
    struct Case {
        std::string page;
        std::string expected;
    };
    const Case cases[] = {
        {"<p class=\"tb-subtitle\"> Soft and\twarm \t</p>", "Softandwarm"},
        {"<p class=\"tb-subtitle\">&nbsp;new\r\n season</p><p>other</p>", "newseason"},
        {"<div><p> plain text </p></div>", "plaintext"},
        {"<p class=\"tb-subtitle\">" + gbk("新款 上市") + "</p>", gbk("新款上市")},
        {"no paragraph", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(selling_point(c.page), c.expected) << c.page;
}

}  // namespace
}  // namespace qinghe
