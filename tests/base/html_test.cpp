// Hyperlinks, character references and percent escapes.
#include "base/html.h"
#include "base/gbk_text.h"

#include "base/gbk.h"

#include <gtest/gtest.h>

namespace qinghe {
namespace {

const std::string kNi = gbk_text("你");
const std::string kHao = gbk_text("好");

struct TextCase {
    std::string input, expected;
};

std::ostream& operator<<(std::ostream& out, const TextCase& c) {
    return out << testing::PrintToString(c.input);
}

class StripHyperlinksTest : public ::testing::TestWithParam<TextCase> {};
TEST_P(StripHyperlinksTest, Result) {
    EXPECT_EQ(strip_hyperlinks(GetParam().input), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(
    Cases, StripHyperlinksTest,
    ::testing::Values(
        TextCase{"<a href=1>x</a><p><a href=1>y</a><a href=2>z</a></p>", "x<p>yz</p>"},
        TextCase{"no links</a> here</a>", "no links here"},
        TextCase{"<A href=1>x</A><area x><abbr>y</abbr>", "<A href=1>x</A><area x><abbr>y</abbr>"},
        TextCase{"<a href='>'>x</a>", "'>x"},          // cut at the first ">"
        TextCase{"<a <a href=1>x</a>", "<a x"},        // an empty piece keeps its "<a "
        TextCase{"text <a href=1", "text <a href=1"},  // truncated tag
        TextCase{"x<a ", "x<a "}, TextCase{"<a >x</a>", "x"}, TextCase{"", ""},
        TextCase{"<a title=\xD6\xD0>\xCE\xC4</a>", "\xCE\xC4"},
        // A ">" that is the second byte of a character does not end the tag.
        TextCase{"<a t=\xB0>>x</a>", "x"}));

class DecodeEntitiesTest : public ::testing::TestWithParam<TextCase> {};
TEST_P(DecodeEntitiesTest, Result) {
    EXPECT_EQ(decode_numeric_entities(GetParam().input), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(
    Cases, DecodeEntitiesTest,
    ::testing::Values(TextCase{"", ""}, TextCase{"abc", ""}, TextCase{"&#65;&#66;", "AB"},
                      TextCase{"&#20320;", kNi}, TextCase{"&#20320;&#22909;", kNi + kHao},
                      TextCase{"&#65;&#26;&#66;", "A"},  // 0x1A ends the read-back
                      TextCase{"&#65;&#0;&#66;", "AB"},  // code 0 gives nothing
                      TextCase{"abc&#65;", ""},          // the text before a reference spoils it
                      TextCase{"&#65;abc&#66;", "A"}, TextCase{"&#65", "A"}, TextCase{"&#x41;", ""},
                      TextCase{"&#8364;", "\x80"},      // euro sign
                      TextCase{"&#3585;", "?"},         // Thai, not in GBK
                      TextCase{"&#55357;", "?"},        // a lone surrogate
                      TextCase{"&#128512;&#65;", "A"},  // beyond 65535 and not in GBK: nothing
                      TextCase{"&#-65;&#66;", "B"}, TextCase{"&#99999999999;&#66;", "B"},
                      TextCase{"&#\xA3\xB6\xA3\xB5;", "A"}));  // full-width digits

TEST(DecodeEntitiesTest, OtherPrefixAndTerminator) {
    EXPECT_EQ(decode_numeric_entities("[65][20320]", "[", "]"), "A" + kNi);
}

class PercentDecodeTest : public ::testing::TestWithParam<TextCase> {};
TEST_P(PercentDecodeTest, Result) {
    EXPECT_EQ(percent_decode(GetParam().input), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Cases, PercentDecodeTest,
                         ::testing::Values(TextCase{"%E4%BD%A0", "\xE4\xBD\xA0"},
                                           TextCase{"a%00b", "a"}, TextCase{"a+b", "a+b"},
                                           TextCase{"%2f%2F", "//"}, TextCase{"%4g", "%4g"},
                                           TextCase{"100%", "100%"}, TextCase{"%4", "%4"},
                                           TextCase{"%%41", "%A"},
                                           TextCase{"%\xD6\xD0", "%\xD6\xD0"},
                                           TextCase{"\xD6\xD0%41",
                                                    "\xD6\xD0"
                                                    "A"},
                                           TextCase{"", ""}));

TEST(PercentEscapedUtf8Test, BecomesGbk) {
    EXPECT_EQ(utf8_to_text(text_to_bytes(percent_decode("%E4%BD%A0%E5%A5%BD"))), kNi + kHao);
}

}  // namespace
}  // namespace qinghe
