#include "base/pattern.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qinghe {
namespace {

// The patterns the harvester compiles (see the harvest stages).
constexpr std::string_view kQuotedAddress = "http(.*?)\"";
constexpr std::string_view kStyleSheetAddress = "http:\\/\\/(.*?)\\)";

std::vector<std::string> all_texts(std::string_view pattern_text, std::string_view text,
                                   bool case_sensitive = true) {
    PatternObject p;
    compile_pattern(p, pattern_text, case_sensitive);
    std::vector<std::string> out;
    for (const MatchResult& m : search_all(p, text)) {
        out.push_back(match_text(m, text));
    }
    return out;
}

std::vector<int> all_offsets(std::string_view pattern_text, std::string_view text) {
    PatternObject p;
    compile_pattern(p, pattern_text);
    std::vector<int> out;
    for (const MatchResult& m : search_all(p, text)) {
        out.push_back(m.groups[0].offset);
    }
    return out;
}

using Texts = std::vector<std::string>;

TEST(SearchAll, FindsTheHarvestersAddresses) {
    struct Case {
        std::string_view pattern;
        std::string text;
        Texts expected;
    };
    const Case cases[] = {
        {kQuotedAddress,
         "<img src=\"http://img.cn/a.jpg\"><a href=\"https://x.cn/b?c=1\">",
         {"http://img.cn/a.jpg\"", "https://x.cn/b?c=1\""}},
        // Lazy: each address stops at the nearest quote, across line breaks.
        {kQuotedAddress, "\"http://a\r\n/b\" \"http://c\"", {"http://a\r\n/b\"", "http://c\""}},
        {kQuotedAddress, "http://no-closing-quote", {}},
        {kStyleSheetAddress, ".x{background:url(http://x/a.gif) no-repeat}", {"http://x/a.gif)"}},
        {kStyleSheetAddress, "url(https://x/a.gif) url(http://y/b.png)", {"http://y/b.png)"}},
        {kStyleSheetAddress, "url(http://x/a.gif", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(all_texts(c.pattern, c.text), c.expected) << c.text;
    }
}

TEST(SearchAll, ReportsGroupsByOffsetAndLength) {
    const std::string text = "a=\"http://p/1.jpg\"";
    PatternObject p;
    ASSERT_TRUE(compile_pattern(p, kQuotedAddress));
    const auto matches = search_all(p, text);
    ASSERT_EQ(matches.size(), 1u);
    ASSERT_EQ(matches[0].groups.size(), 2u);
    EXPECT_EQ(matches[0].groups[0].offset, 3);
    EXPECT_EQ(matches[0].groups[0].length, 15);
    EXPECT_EQ(text.substr(static_cast<size_t>(matches[0].groups[1].offset),
                          static_cast<size_t>(matches[0].groups[1].length)),
              "://p/1.jpg");

    // A group that takes no part in the match says so.
    ASSERT_TRUE(compile_pattern(p, "(a)|(b)"));
    const auto alt = search_all(p, "b");
    ASSERT_EQ(alt.size(), 1u);
    EXPECT_FALSE(alt[0].groups[1].matched);
    EXPECT_TRUE(alt[0].groups[2].matched);
    EXPECT_EQ(alt[0].groups[2].offset, 0);
}

TEST(SearchAll, EachSearchStartsAfreshAtTheEndOfTheLastMatch) {
    struct Case {
        std::string_view pattern;
        std::string_view text;
        std::vector<int> offsets;
    };
    const Case cases[] = {
        // "^" and "\b" hold again where the previous match ended.
        {"^a", "aaa", {0, 1, 2}},
        {"\\ba", "aaa", {0, 1, 2}},
        {"^a", "bab", {}},
        // Matches never overlap.
        {"aa", "aaaaa", {0, 2}},
        // Empty matches step one byte on instead of repeating.
        {"x*", "ab", {0, 1, 2}},
        {"a*", "baa", {0, 1, 3}},
        // Byte-wise over GBK: 運 is DF 5C, and its second byte is a backslash.
        {"\\\\", "\xDF\x5C\\", {1, 2}},
        {"\xBA\xA3", "\xC9\xCF\xBA\xA3", {2}},
        // Zero bytes are ordinary bytes of the text.
        {"b", std::string_view("a\0b", 3), {2}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(all_offsets(c.pattern, c.text), c.offsets) << c.pattern << " in " << c.text;
    }
}

TEST(SearchAll, DotMatchesLineBreaksAndCaseFollowsTheFlag) {
    EXPECT_EQ(all_texts("a.b", "a\nb a\rb"), (Texts{"a\nb", "a\rb"}));
    EXPECT_EQ(all_texts("HTTP", "http Http HTTP"), (Texts{"HTTP"}));
    EXPECT_EQ(all_texts("HTTP", "http Http HTTP", false), (Texts{"http", "Http", "HTTP"}));
}

TEST(SearchAll, NothingToSearchGivesNothing) {
    PatternObject never_compiled;
    EXPECT_TRUE(search_all(never_compiled, "abc").empty());

    PatternObject p;
    ASSERT_TRUE(compile_pattern(p, "a"));
    EXPECT_TRUE(search_all(p, "").empty());
    // A failed compile replaces the pattern that was there.
    EXPECT_FALSE(compile_pattern(p, "(unclosed"));
    EXPECT_TRUE(search_all(p, "a").empty());
    EXPECT_FALSE(compile_pattern(p, "a{2,1}"));
    EXPECT_TRUE(compile_pattern(p, "b"));
    EXPECT_EQ(search_all(p, "abc").size(), 1u);
}

TEST(SearchAll, KeepsTheMatchesFoundBeforeTheMatcherGivesUp) {
    // The second search backtracks without end over the run of x's; the
    // matcher's complexity limit stops it, and the first match survives.
    const std::string text = "xxy" + std::string(64, 'x');
    const Texts found = all_texts("(x+x+)+y", text);
    ASSERT_FALSE(found.empty());
    EXPECT_EQ(found[0], "xxy");
}

TEST(MatchText, CutsTheWholeMatchOnly) {
    const std::string text = "abcdef";
    MatchResult r;
    r.groups = {{2, 3, true}};
    EXPECT_EQ(match_text(r, text), "cde");
    struct Case {
        MatchGroup group;
        std::string expected;
    };
    const Case cases[] = {
        {{2, 0, true}, ""},     // an empty match
        {{2, 3, false}, ""},    // did not take part
        {{4, 10, true}, "ef"},  // runs past the end of a shorter text
        {{9, 1, true}, ""},     // starts past the end
        {{-1, 2, true}, ""},
    };
    for (const Case& c : cases) {
        r.groups = {c.group};
        EXPECT_EQ(match_text(r, text), c.expected) << c.group.offset << "," << c.group.length;
    }
    EXPECT_EQ(match_text(MatchResult{}, text), "");
}

TEST(PatternObject, MovesWithItsPattern) {
    PatternObject a;
    ASSERT_TRUE(compile_pattern(a, "b+"));
    PatternObject b(std::move(a));
    EXPECT_EQ(search_all(b, "abbc").size(), 1u);
    PatternObject c;
    c = std::move(b);
    EXPECT_EQ(search_all(c, "abbc").size(), 1u);
}

}  // namespace
}  // namespace qinghe
