// GBK <-> UTF-8 for the native side, UTF-8 page text, and code page 936 characters.
#include "base/gbk.h"

#include <gtest/gtest.h>

namespace qinghe {
namespace {

TEST(GbkToUtf8Test, ConvertsAndReplacesBrokenBytes) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"\xD6\xD0\xCE\xC4", "\xE4\xB8\xAD\xE6\x96\x87"},  // 中文
        {"\xDF\x5C", "\xE9\x81\x8B"},                      // 運
        {"\x80", "\xE2\x82\xAC"},                          // euro sign
        {"a\\b", "a\\b"},
        {"", ""},
        {"\xFF"
         "a",
         "\xEF\xBF\xBD"
         "a"},
        {"a\x81", "a\xEF\xBF\xBD"},
    };
    for (const auto& [gbk, utf8] : cases)
        EXPECT_EQ(gbk_to_utf8(gbk), utf8) << testing::PrintToString(gbk);
}

TEST(Utf8ToGbkTest, RoundTripAndFailures) {
    Text out = "stale";
    EXPECT_TRUE(utf8_to_gbk("\xE4\xB8\xAD\xE6\x96\x87", out));
    EXPECT_EQ(out, "\xD6\xD0\xCE\xC4");
    EXPECT_TRUE(utf8_to_gbk("", out));
    EXPECT_EQ(out, "");
    EXPECT_TRUE(utf8_to_gbk(gbk_to_utf8("\xDF\x5C\x80x"), out));
    EXPECT_EQ(out, "\xDF\x5C\x80x");
    for (std::string bad : {"\xF0\x9F\x98\x80", "\xFF", "\xE4\xB8", "a\xE0\xB8\x81"}) {
        out = "stale";
        EXPECT_FALSE(utf8_to_gbk(bad, out)) << testing::PrintToString(bad);
        EXPECT_EQ(out, "");
    }
}

const std::string kNi = "\xC4\xE3";   // 你
const std::string kHao = "\xBA\xC3";  // 好

struct BytesCase {
    std::string input, expected;
};
std::ostream& operator<<(std::ostream& out, const BytesCase& c) {
    return out << testing::PrintToString(c.input);
}

class Utf8ToTextTest : public ::testing::TestWithParam<BytesCase> {};
TEST_P(Utf8ToTextTest, Result) { EXPECT_EQ(utf8_to_text(GetParam().input), GetParam().expected); }
INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8ToTextTest,
    ::testing::Values(BytesCase{"\xC3\xA9", "\xA8\xA6"},
                      BytesCase{"\xE4\xBD\xA0\xE5\xA5\xBD", kNi + kHao},
                      BytesCase{std::string("A\0B", 3), "A"}, BytesCase{"\xE2\x82\xAC", "\x80"},
                      BytesCase{"\xF0\x9F\x98\x80"
                                "A",
                                "?A"},  // not in GBK
                      // Ill-formed input: one "?" per broken sequence or stray byte.
                      BytesCase{"\xC0\x80", "??"}, BytesCase{"\xE4\xBD", "?"},
                      BytesCase{"\xE4\xBD"
                                "A",
                                "?A"},
                      BytesCase{"\xED\xA0\x80", "???"},
                      BytesCase{"\xFF"
                                "A",
                                "?A"},
                      BytesCase{"\x80", "?"}, BytesCase{"\xF4\x90\x80\x80", "????"},
                      BytesCase{"", ""}));

// The scanning rule pairs any byte of 0x80 or above with the byte after it;
// code page 936 pairs only a real lead byte with a real trail byte.
struct LengthCase {
    std::string text;
    size_t at, scanning, code_page;
};

TEST(CharacterLengthTest, ScanningRuleAndCodePage936) {
    const std::vector<LengthCase> cases = {
        {"\xD6\xD0", 0, 2, 2},  // 中
        {"\xDF\x5C", 0, 2, 2},  // 運: its trail byte is a backslash
        {"a\xD6\xD0", 1, 2, 2},
        {"a\xD6\xD0", 0, 1, 1},
        {"\x81\x40", 0, 2, 2},
        {"\xFE\xFE", 0, 2, 2},
        // A lead byte at the end stands alone under both rules.
        {"\xD6", 0, 1, 1},
        {"a\xD6", 1, 1, 1},
        // Bytes that are no lead byte of code page 936, and lead bytes before
        // a byte that is no trail byte.
        {"\x80\\", 0, 2, 1},
        {"\xFF"
         "A",
         0, 2, 1},
        {"\x81\x7F", 0, 2, 1},
        {"\xD6"
         "0",
         0, 2, 1},
        {"\x81\xFF", 0, 2, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(character_length(c.text, c.at), c.scanning)
            << testing::PrintToString(c.text) << c.at;
        EXPECT_EQ(gbk_character_length(c.text, c.at), c.code_page)
            << testing::PrintToString(c.text) << c.at;
    }
}

}  // namespace
}  // namespace qinghe
