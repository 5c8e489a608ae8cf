// The fixtures of tests/fixtures/real read as the program reads pages:
// charset decided, UTF-8 turned into GBK, so that the markers of the
// harvester can be found in them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/address_resolver.h"
#include "base/encoding.h"
#include "base/page_charset.h"
#include "base/text.h"
#include "support/file_bytes.h"
#include "support/gbk_literal.h"

namespace qinghe {
namespace {

using test_support::gbk;

std::string real_fixture(const std::string& name) {
    return test_support::file_bytes(std::filesystem::path(QINGHE_FIXTURES_DIR) / "real" / name);
}

struct PageCase {
    const char* fixture;
    PageCharset charset;
    const char* marker;  // UTF-8; found in the page once it is GBK text
};

TEST(RealPages, EachPageReadsAsGbkTextWithItsMarkers) {
    const PageCase cases[] = {
        {"taobao_item_served_gbk.html", PageCharset::Gbk,
         "<title>复古真皮男士手提公文包-淘宝网</title>"},
        {"taobao_item_saved_utf8.html", PageCharset::Utf8,
         "<title>2020新款女士真丝连衣裙-淘宝网</title>"},
        {"taobao_item_saved_utf8.html", PageCharset::Utf8, "<span id=\"J-From\">河南郑州</span>"},
        {"taobao_item_saved_utf8.html", PageCharset::Utf8, "<em class=\"tb-rmb\">&#165;</em>"},
        {"tmall_item_served_utf8.html", PageCharset::Utf8,
         "<title>【官方正品】青禾智能扫地机器人X9-tmall.com天猫</title>"},
        {"tmall_item_served_utf8.html", PageCharset::Utf8, "name=\"region\" value=\"江苏南京\""},
        {"tmall_item_saved_utf8.html", PageCharset::Utf8,
         "<title>青禾纯棉四件套床上用品-tmall.com天猫</title>"},
        {"ali1688_offer_served_gbk.html", PageCharset::Gbk,
         "<span class=\"delivery-addr\">广东省 汕头市</span>"},
        {"ali1688_offer_saved_utf8.html", PageCharset::Utf8,
         "<title>义乌小商品 创意陶瓷马克杯</title>"},
        {"taobao_desc.js", PageCharset::Gbk, "<p>头层牛皮，手工缝制</p>"},
        {"tmall_desc.js", PageCharset::Gbk, "<p>激光导航，扫拖一体</p>"},
        {"ali1688_desc.js", PageCharset::Gbk, "<p>PU皮面料，防水耐磨</p>"},
        {"taobao_sib.json", PageCharset::Gbk, "\"sendCity\":\"浙江杭州\""},
        {"taobao_shop_search_page1.html", PageCharset::Gbk, "<span class=\"page-info\">1/2</span>"},
        {"blocked_1688_security_x5.html", PageCharset::Utf8, "亲，小二正忙，滑动一下马上回来"},
    };
    for (const auto& c : cases) {
        const std::string bytes = real_fixture(c.fixture);
        ASSERT_FALSE(bytes.empty()) << c.fixture;
        EXPECT_EQ(detect_page_charset(bytes), c.charset) << c.fixture;
        EXPECT_TRUE(contains_text(page_to_gbk(bytes), gbk(c.marker)))
            << c.fixture << ": " << c.marker;
    }
}

// The addresses after each marker, cut where the localizer cuts them.
std::vector<std::string> addresses_after(const Text& text, const std::string& marker,
                                         const std::string& end) {
    std::vector<std::string> out;
    const TextList pieces = split_text(text, marker);
    for (int i = 2; i <= pieces.count(); ++i) {
        out.push_back("https://" + split_text(pieces.at(i), end).at(1));
    }
    return out;
}

TEST(RealPages, TheAssistantExportHoldsHttpsPicturesOnly) {
    const Text text = bytes_to_text(
        convert_encoding(real_fixture("taobao_assistant_export.csv"), "UCS-2", "GBK"));
    ASSERT_TRUE(contains_text(text, gbk("复古真皮男士手提公文包")));
    EXPECT_FALSE(contains_text(text, "http://"));
    const std::vector<std::string> description = {
        "https://img.alicdn.com/imgextra/i1/1700000001/TB2expDesc1_!!1700000001.jpg",
        "https://img.alicdn.com/imgextra/i2/1700000001/TB2expDesc2_!!1700000001.gif",
        "https://img.alicdn.com/imgextra/i3/1700000001/TB2expDesc3_!!1700000001.png",
    };
    EXPECT_EQ(addresses_after(text, "\"https://", "\""), description);
    const std::vector<std::string> main_and_attribute = {
        "https://img.alicdn.com/bao/uploaded/i1/1700000001/TB1expMain1_!!1700000001.jpg",
        "https://img.alicdn.com/bao/uploaded/i2/1700000001/TB1expMain2_!!1700000001.jpg",
        "https://img.alicdn.com/bao/uploaded/i3/1700000001/TB1expMain3_!!1700000001.jpg",
        "https://img.alicdn.com/bao/uploaded/i4/1700000001/TB1expSku1_!!1700000001.jpg",
    };
    EXPECT_EQ(addresses_after(text, "|https://", ";"), main_and_attribute);
}

// Every picture address a scan of the text finds in any of the three forms,
// cut at the quote, parenthesis or space that closes it and resolved against
// the address the text came from.
std::vector<std::string> picture_addresses(const Text& text, std::string_view base) {
    std::vector<std::string> out;
    for (size_t at = find_address_start(text); at != std::string::npos;) {
        const size_t end = text.find_first_of("\"') \t\r\n", at);
        const std::string reference = text.substr(at, end - at);
        const std::string address = resolve_address(base, reference);
        if (contains_text(address, ".jpg") || contains_text(address, ".png") ||
            contains_text(address, ".gif")) {
            out.push_back(address);
        }
        at = find_address_start(text, at + address_start_length(text, at));
    }
    return out;
}

struct PicturesCase {
    const char* fixture;
    const char* base;
    std::vector<std::string> expected;
};

TEST(RealPages, DescriptionsAndStyleSheetsNamePicturesInAllThreeForms) {
    const PicturesCase cases[] = {
        {"taobao_desc.js",
         "https://desc.alicdn.com/i2/588/001/588001001001/TB1dQtb01.desc",
         {"https://img.alicdn.com/imgextra/i1/3900118801/TB2tbDesc1_!!3900118801.jpg",
          "https://img.alicdn.com/imgextra/i2/3900118801/TB2tbDesc2_!!3900118801.jpg",
          "http://img.alicdn.com/imgextra/i3/3900118801/TB2tbDesc3_!!3900118801.gif"}},
        {"tmall_desc.js",
         "https://dscnew.taobao.com/i4/600/002/600002002001/TB1tmdesc01.desc",
         {"https://img.alicdn.com/imgextra/i1/2206655443/O1CN01tmDesc1_!!2206655443.jpg",
          "https://img.alicdn.com/imgextra/i2/2206655443/O1CN01tmDesc2_!!2206655443.jpg",
          "https://img.alicdn.com/imgextra/i3/2206655443/O1CN01tmDesc3_!!2206655443.gif",
          "http://img.alicdn.com/imgextra/i4/2206655443/O1CN01tmDesc4_!!2206655443.png"}},
        {"ali1688_desc.js",
         "https://img.alicdn.com/tfscom/TB1d1688desc01",
         {"https://cbu01.alicdn.com/img/ibank/2019/150/552/11844255250_2126953827.jpg",
          "https://cbu01.alicdn.com/img/ibank/2019/151/552/11844255251_2126953827.jpg",
          "http://cbu01.alicdn.com/img/ibank/2019/152/552/11844255252_2126953827.jpg"}},
        {"tmall_shop.css",
         "https://g.alicdn.com/tm/detail-b/1.9.17/page/shop-2206655443.css",
         {"https://img.alicdn.com/imgextra/i1/2206655443/TB2shopBanner.jpg",
          "https://img.alicdn.com/imgextra/i2/2206655443/TB2shopLogo.png",
          "https://gdp.alicdn.com/imgextra/i3/2206655443/TB2shopNav.gif",
          "https://img.alicdn.com/tfs/TB1shopIcon-16-16.png",
          "http://img.alicdn.com/tps/i1/T1shopOld.jpg",
          "https://img.alicdn.com/imgextra/i4/2206655443/TB2shopFooter.jpg"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(picture_addresses(page_to_gbk(real_fixture(c.fixture)), c.base), c.expected)
            << c.fixture;
    }
}

}  // namespace
}  // namespace qinghe
