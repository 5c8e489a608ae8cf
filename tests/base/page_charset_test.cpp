#include "base/page_charset.h"

#include <gtest/gtest.h>

#include <string>

#include "support/gbk_literal.h"

namespace qinghe {
namespace {

using test_support::gbk;

const std::string kGbkMeta = "<meta charset=\"gbk\" />";
const std::string kUtf8Meta =
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">";

struct ContentTypeCase {
    const char* value;
    std::optional<PageCharset> expected;
};

TEST(CharsetFromContentType, NamesUtf8OrTheGbkFamily) {
    const ContentTypeCase cases[] = {
        {"text/html; charset=UTF-8", PageCharset::Utf8},
        {"text/html;charset=\"utf8\"", PageCharset::Utf8},
        {"text/html; Charset = GBK", PageCharset::Gbk},
        {"text/html; charset=gb2312", PageCharset::Gbk},
        {"application/json; charset=GB18030", PageCharset::Gbk},
        {"text/html", std::nullopt},
        {"text/html; charset=ISO-8859-1", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(charset_from_content_type(c.value), c.expected) << c.value;
    }
}

struct DetectCase {
    const char* name;
    std::string bytes;
    std::string content_type;
    PageCharset expected;
};

TEST(DetectPageCharset, HeaderFirstThenTheBytes) {
    const std::string utf8_page = "<html><head>" + kGbkMeta + "<title>新款连衣裙-淘宝网</title>";
    const std::string gbk_page =
        "<html><head>" + kGbkMeta + gbk("<title>新款连衣裙-淘宝网</title>");
    // "牛皮" in GBK is C5A3 C6A4: two valid two-byte UTF-8 sequences by chance.
    const std::string lucky_gbk = gbk("牛皮");
    const DetectCase cases[] = {
        {"saved page: UTF-8 bytes under a gbk meta tag", utf8_page, "", PageCharset::Utf8},
        {"served GBK page", gbk_page, "", PageCharset::Gbk},
        {"served UTF-8 page with its own meta", kUtf8Meta + "天猫", "", PageCharset::Utf8},
        {"ASCII only", "<html><title>a</title></html>", "", PageCharset::Gbk},
        {"header decides over UTF-8 bytes", utf8_page, "text/html; charset=GBK", PageCharset::Gbk},
        {"header decides over GBK bytes", gbk_page, "text/html; charset=utf-8", PageCharset::Utf8},
        {"unknown header charset: the bytes", utf8_page, "text/html; charset=latin1",
         PageCharset::Utf8},
        {"byte-order mark alone", "\xEF\xBB\xBF<html>", "", PageCharset::Utf8},
        {"4-byte character", "<p>\xF0\x9F\x98\x80</p>", "", PageCharset::Utf8},
        {"cut off at the end", "<p>好" + std::string("\xE5\xA5"), "", PageCharset::Utf8},
        {"invalid sequence inside", "<p>\xE5\xA5<b>好</b>", "", PageCharset::Gbk},
        {"overlong form", "<p>\xC0\xAF</p>", "", PageCharset::Gbk},
        {"surrogate", "<p>\xED\xA0\x80</p>", "", PageCharset::Gbk},
        // The doubtful case: few sequences that are valid UTF-8 by chance.
        {"lucky GBK under a gbk meta tag", kGbkMeta + lucky_gbk, "", PageCharset::Gbk},
        {"lucky GBK without a declaration", "<p>" + lucky_gbk, "", PageCharset::Utf8},
        {"short UTF-8 under a utf-8 meta tag", kUtf8Meta + "牛皮", "", PageCharset::Utf8},
        {"saved page: many characters under a gbk meta tag",
         kGbkMeta + "亲，小二正忙，滑动一下马上回来", "", PageCharset::Utf8},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(detect_page_charset(c.bytes, c.content_type), c.expected) << c.name;
    }
}

struct ConvertCase {
    const char* name;
    std::string utf8;
    std::string expected;
};

TEST(Utf8PageToGbk, CharactersGbkLacksBecomeNumericReferences) {
    const ConvertCase cases[] = {
        {"Chinese and ASCII", "<title>连衣裙 A-B</title>", gbk("<title>连衣裙 A-B</title>")},
        {"euro sign of code page 936", "€", "\x80"},
        {"yen sign GBK lacks", "<em>¥</em>", "<em>&#165;</em>"},
        {"4-byte character",
         "a\xF0\x9F\x98\x80"
         "b",
         "a&#128512;b"},
        {"Korean", "한", "&#54620;"},
        {"byte-order mark dropped",
         "\xEF\xBB\xBF"
         "好",
         gbk("好")},
        {"cut-off sequence at the end", "好\xE5\xA5", gbk("好") + "?"},
        {"invalid bytes",
         "a\xFF"
         "b",
         "a?b"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(utf8_page_to_gbk(c.utf8), c.expected) << c.name;
    }
}

TEST(PageToGbk, ConvertsOnlyUtf8Pages) {
    const std::string gbk_page = kGbkMeta + gbk("<title>新款连衣裙夏季女装</title>");
    EXPECT_EQ(page_to_gbk(gbk_page), gbk_page);
    EXPECT_EQ(page_to_gbk(kGbkMeta + "<title>新款连衣裙夏季女装</title>"), gbk_page);
    EXPECT_EQ(page_to_gbk("<title>新款</title>", "text/html; charset=gbk"), "<title>新款</title>");
}

}  // namespace
}  // namespace qinghe
