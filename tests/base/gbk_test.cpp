// GBK <-> UTF-8 for the native side.
#include <gtest/gtest.h>

#include "base/html.h"

namespace qinghe {
namespace {

TEST(GbkToUtf8Test, ConvertsAndReplacesBrokenBytes) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"\xD6\xD0\xCE\xC4", "\xE4\xB8\xAD\xE6\x96\x87"},  // 中文
        {"\xDF\x5C", "\xE9\x81\x8B"},                      // 運
        {"\x80", "\xE2\x82\xAC"},                          // euro sign
        {"a\\b", "a\\b"}, {"", ""},
        {"\xFF" "a", "\xEF\xBF\xBD" "a"}, {"a\x81", "a\xEF\xBF\xBD"},
    };
    for (const auto& [gbk, utf8] : cases) EXPECT_EQ(gbk_to_utf8(gbk), utf8) << testing::PrintToString(gbk);
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

}  // namespace
}  // namespace qinghe
