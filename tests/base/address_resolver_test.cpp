#include "base/address_resolver.h"

#include <gtest/gtest.h>

#include <string>

#include "support/gbk_literal.h"

namespace qinghe {
namespace {

using test_support::gbk;

struct ResolveCase {
    const char* base;
    const char* reference;
    const char* expected;
};

constexpr const char* kItem = "https://item.taobao.com/a/b/item.htm?id=7#top";

TEST(ResolveAddress, RelativeReferencesAsABrowserResolvesThem) {
    const ResolveCase cases[] = {
        // Scheme-relative: the page's scheme.
        {kItem, "//img.alicdn.com/i1/x.jpg", "https://img.alicdn.com/i1/x.jpg"},
        {"http://item.taobao.com/item.htm", "//img.alicdn.com/x.jpg",
         "http://img.alicdn.com/x.jpg"},
        {"HTTP://item.taobao.com/", "//img.alicdn.com/x.jpg", "http://img.alicdn.com/x.jpg"},
        {kItem, "//desc.alicdn.com/i2/d.desc%7Cvar%5Edesc?x=1#f",
         "https://desc.alicdn.com/i2/d.desc%7Cvar%5Edesc?x=1#f"},
        {kItem, "//img.alicdn.com", "https://img.alicdn.com/"},
        {kItem, "//img.alicdn.com/a/./b/../c.jpg", "https://img.alicdn.com/a/c.jpg"},
        // Path-absolute and relative paths.
        {kItem, "/shop/bg.png", "https://item.taobao.com/shop/bg.png"},
        {kItem, "c.jpg", "https://item.taobao.com/a/b/c.jpg"},
        {kItem, "./c.jpg", "https://item.taobao.com/a/b/c.jpg"},
        {kItem, "../c.jpg", "https://item.taobao.com/a/c.jpg"},
        {kItem, "../../../../c.jpg", "https://item.taobao.com/c.jpg"},
        {kItem, "d/../e/./f.css", "https://item.taobao.com/a/b/e/f.css"},
        {kItem, "/a/b/../c/.", "https://item.taobao.com/a/c/"},
        {"https://h.com", "x.jpg", "https://h.com/x.jpg"},
        // Query and fragment.
        {kItem, "?id=8", "https://item.taobao.com/a/b/item.htm?id=8"},
        {kItem, "#tab", "https://item.taobao.com/a/b/item.htm?id=7#tab"},
        {kItem, "", "https://item.taobao.com/a/b/item.htm?id=7"},
        {kItem, "x.htm?a=1&amp;b=2", "https://item.taobao.com/a/b/x.htm?a=1&amp;b=2"},
        // Spaces and line breaks around an attribute value.
        {kItem, "  //img.alicdn.com/x.jpg\r\n", "https://img.alicdn.com/x.jpg"},
        // "https:" without "//", as browsers read it.
        {kItem, "https:/img.alicdn.com/x.jpg", "https://item.taobao.com/img.alicdn.com/x.jpg"},
        {kItem, "https:x.jpg", "https://item.taobao.com/a/b/x.jpg"},
        {kItem, "http:img.alicdn.com/x.jpg", "http://img.alicdn.com/x.jpg"},
        {"http://h.com/p/", "https:/img.alicdn.com/x.jpg", "https://img.alicdn.com/x.jpg"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(resolve_address(c.base, c.reference), c.expected)
            << c.base << " + " << c.reference;
    }
}

TEST(ResolveAddress, AnAddressWithASchemeComesBackByteForByte) {
    // The long-standing "http://" form: whatever it holds, it is not touched.
    const char* const references[] = {
        "http://img.alicdn.com/a/../b.jpg_60x60.jpg",
        "HTTP://Img.Alicdn.com/x.jpg ",
        "https://img.alicdn.com/tfscom/TB1x.jpg?a=1&amp;b=2",
        "http://a.com/x.jpg\r\n\" data-x=\"y",
        "javascript:void(0)",
        "data:image/png;base64,AAAA",
        "ftp://files.example/x.jpg",
    };
    for (const char* reference : references) {
        EXPECT_EQ(resolve_address(kItem, reference), reference);
        EXPECT_EQ(resolve_address("", reference), reference);
    }
}

TEST(ResolveAddress, APageWithoutAWebAddressCompletesOnlySchemeRelativeAddresses) {
    const char* const bases[] = {"", "file:///home/u/item.html", "/home/u/item.html",
                                 "C:\\Users\\u\\item.html"};
    for (const char* base : bases) {
        EXPECT_EQ(resolve_address(base, "//gd2.alicdn.com/x.jpg"), "https://gd2.alicdn.com/x.jpg")
            << base;
        EXPECT_EQ(resolve_address(base, "images/x.jpg"), "") << base;
        EXPECT_EQ(resolve_address(base, "/x.jpg"), "") << base;
    }
}

TEST(ResolveAddress, GbkCharactersInPathsStayWhole) {
    // "運" ends in 0x5C ("\\"); trail bytes are never a separator of the resolver.
    const std::string name = gbk("運動鞋") + ".jpg";
    EXPECT_EQ(resolve_address(kItem, "//img.alicdn.com/" + name), "https://img.alicdn.com/" + name);
    EXPECT_EQ(resolve_address(kItem, "../" + name), "https://item.taobao.com/a/" + name);
}

TEST(IsWebAddress, HttpAndHttpsInAnyCase) {
    EXPECT_TRUE(is_web_address("http://a"));
    EXPECT_TRUE(is_web_address("HTTPS://a"));
    EXPECT_FALSE(is_web_address("//a"));
    EXPECT_FALSE(is_web_address("https:/a"));
    EXPECT_FALSE(is_web_address("file:///a"));
}

struct StartCase {
    std::string text;
    size_t at;
    size_t expected;
};

TEST(AddressStart, RecognisesTheThreeFormsOnly) {
    const StartCase cases[] = {
        {"src=\"http://a/x.jpg\"", 5, 7},
        {"src=\"HTTPS://a/x.jpg\"", 5, 8},
        {"url(//img.alicdn.com/x.jpg)", 4, 2},
        {"'//9.cn/x.jpg'", 1, 2},
        {"// a comment", 0, 0},  // not followed by a host
        {"ftp://host/x", 4, 0},  // the "//" of another scheme
        {"http://a", 5, 0},      // inside "http://"
        {"https:/a", 0, 0},
        {"//", 0, 0},
        {"x", 3, 0},  // past the end
    };
    for (const auto& c : cases) {
        EXPECT_EQ(address_start_length(c.text, c.at), c.expected) << c.text << " at " << c.at;
    }
}

TEST(AddressStart, FindsEachStartOnceInPageOrder) {
    const std::string page = "<img src=\"//gd2.alicdn.com/a.jpg\"><a href=\"https://b.com/\">" +
                             gbk("宝贝") + "</a>url(http://c.com/x.png)// end";
    std::vector<std::string> found;
    size_t at = find_address_start(page);
    while (at != std::string::npos) {
        const size_t length = address_start_length(page, at);
        found.push_back(page.substr(at, length + 5));
        at = find_address_start(page, at + length);
    }
    const std::vector<std::string> expected = {"//gd2.a", "https://b.com", "http://c.com"};
    EXPECT_EQ(found, expected);
}

TEST(AddressStart, ATrailByteIsNeverTakenForTheStartOfHttp) {
    // GBK characters whose second byte is "h" (0x68), followed by "ttp://".
    const std::string text = "\x81http://a.com/ http://b.com/";
    EXPECT_EQ(find_address_start(text), text.find(" http") + 1);
}

}  // namespace
}  // namespace qinghe
