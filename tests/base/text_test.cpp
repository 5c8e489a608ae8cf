// Search, split, replace, cutting, trims and byte helpers over GBK text.
#include "base/text.h"

#include <gtest/gtest.h>

#include <random>

#include "base/gbk_text.h"

namespace qinghe {
namespace {

// GBK bytes used below.
const std::string kZhong = gbk_text("中");
const std::string kWen = gbk_text("文");
const std::string kYun = "\xDF\x5C";  // 運: its second byte is a backslash
const std::string kA = gbk_text("啊");

struct FindCase {
    std::string haystack, needle;
    int expected;
};

std::ostream& operator<<(std::ostream& out, const FindCase& c) {
    return out << testing::PrintToString(c.haystack) << " / " << testing::PrintToString(c.needle);
}

class FindTextTest : public ::testing::TestWithParam<FindCase> {};

TEST_P(FindTextTest, FindsOnlyAtCharacterStarts) {
    const auto& c = GetParam();
    EXPECT_EQ(find_text(c.haystack, c.needle), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FindTextTest,
    ::testing::Values(FindCase{"<a href>", "a", 2}, FindCase{"<a href>", "b", -1},
                      FindCase{"", "x", -1}, FindCase{"abc", "", 1}, FindCase{"", "", -1},
                      FindCase{"ab", "abc", -1}, FindCase{"abcabc", "ca", 3},
                      // 中文: D0 CE straddles the two characters.
                      FindCase{kZhong + kWen, "\xD0\xCE", -1}, FindCase{kZhong + kWen, kWen, 3},
                      // A trail byte in the ASCII range is not a character of its own.
                      FindCase{kYun + "\\", "\\", 3},
                      FindCase{"\x81\x61"
                               "a",
                               "a", 3},
                      FindCase{"\xB0\x41\x41", "\x41", 3},
                      // Parity of a run of lead-range bytes decides the character start.
                      FindCase{kA + kA, "\xA1\xB0", -1}, FindCase{"x" + kA + kA, kA, 2},
                      FindCase{"\xA1" + kA + "\xB0", "\xB0", -1},
                      FindCase{"\xB0" + kA + kA, "\xA1\xB0", 3},
                      // A lead byte at the very end ends the walk.
                      FindCase{"ab\xB0", "\xB0", -1}, FindCase{"ab\xB0", "b\xB0", 2}));

struct SplitCase {
    std::string text, delimiter;
    std::vector<std::string> expected;
};

std::ostream& operator<<(std::ostream& out, const SplitCase& c) {
    return out << testing::PrintToString(c.text) << " / " << testing::PrintToString(c.delimiter);
}

class SplitTextTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitTextTest, Pieces) {
    const auto& c = GetParam();
    TextList list = split_text(c.text, c.delimiter);
    EXPECT_EQ(list.items(), c.expected);
    EXPECT_EQ(list.count(), static_cast<int>(c.expected.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitTextTest,
    ::testing::Values(SplitCase{"", ",", {}}, SplitCase{"", "", {}}, SplitCase{"x", ",", {"x"}},
                      SplitCase{"abc", "", {"abc"}}, SplitCase{"a,b", ",", {"a", "b"}},
                      SplitCase{"a,,b", ",", {"a", "", "b"}}, SplitCase{",a", ",", {"", "a"}},
                      SplitCase{"a,b,", ",", {"a", "b"}}, SplitCase{",", ",", {""}},
                      SplitCase{",,", ",", {"", ""}},
                      SplitCase{"<a 1><a 2>", "<a ", {"", "1>", "2>"}},
                      SplitCase{"a\r\nb\r\n\r\nc", "\r\n", {"a", "b", "", "c"}},
                      SplitCase{kZhong + kWen, "\xD0\xCE", {kZhong + kWen}},
                      SplitCase{"\xB0,a,b", ",", {"\xB0,a", "b"}},
                      // The walk restarts right after a delimiter that ends in a lead byte.
                      SplitCase{"x\xB0y\xB0\xA1", "\xB0", {"x", "y", "\xA1"}},
                      SplitCase{kZhong + "," + kWen + ",", ",", {kZhong, kWen}}));

TEST(TextListTest, NumbersOutsideTheListGiveTheEmptyText) {
    TextList list = split_text("a,b", ",");
    EXPECT_EQ(list.at(1), "a");
    EXPECT_EQ(list.at(2), "b");
    for (int n : {0, -1, 3, 1000}) EXPECT_EQ(list.at(n), "") << n;
    EXPECT_EQ(TextList{}.at(1), "");
}

struct ReplaceCase {
    std::string text, old_text, new_text;
    bool case_sensitive;
    std::string expected;
};

std::ostream& operator<<(std::ostream& out, const ReplaceCase& c) {
    return out << testing::PrintToString(c.text) << " / " << testing::PrintToString(c.old_text);
}

class ReplaceTextTest : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceTextTest, Result) {
    const auto& c = GetParam();
    EXPECT_EQ(replace_text(c.text, c.old_text, c.new_text, c.case_sensitive), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplaceTextTest,
    ::testing::Values(ReplaceCase{"aaa", "aa", "b", true, "ba"},
                      ReplaceCase{"\r\n\r\n\r\n", "\r\n\r\n", "\r\n", true, "\r\n\r\n"},
                      ReplaceCase{"aXa", "a", "aa", true, "aaXaa"},
                      ReplaceCase{"x.CSV", ".csv", "", false, "x"},
                      ReplaceCase{"x.CSV", ".csv", "", true, "x.CSV"},
                      ReplaceCase{"", "a", "b", true, ""}, ReplaceCase{"abc", "", "x", true, "abc"},
                      ReplaceCase{"abc", "abcd", "x", true, "abc"},
                      ReplaceCase{kZhong + kWen, "\xD0\xCE", "x", true, kZhong + kWen},
                      ReplaceCase{kYun + "\\x\\", "\\", "/", true, kYun + "/x/"},
                      // Only letters fold: "[" and "{" differ by the same bit as "A" and "a".
                      ReplaceCase{"a[b", "A{B", "", false, "a[b"},
                      ReplaceCase{"Ab" + kA + "aB", "ab", "-", false, "-" + kA + "-"},
                      // An ASCII trail byte does not match, whatever its case.
                      ReplaceCase{"\xC1\x41"
                                  "A",
                                  "a", "-", false, "\xC1\x41-"}));

struct OneTextCase {
    std::string input, expected;
};

std::ostream& operator<<(std::ostream& out, const OneTextCase& c) {
    return out << testing::PrintToString(c.input);
}

class TrimTextTest : public ::testing::TestWithParam<OneTextCase> {};
TEST_P(TrimTextTest, Result) { EXPECT_EQ(trim_text(GetParam().input), GetParam().expected); }
INSTANTIATE_TEST_SUITE_P(
    Cases, TrimTextTest,
    ::testing::Values(OneTextCase{" \t a \xA1\xA1", "\t a"},
                      OneTextCase{"\xA1\xA1 x \xA1\xA1", "x"}, OneTextCase{"   ", ""},
                      OneTextCase{"\xA1\xA1\xA1\xA1", ""}, OneTextCase{"", ""},
                      OneTextCase{"a\r\n", "a\r\n"}, OneTextCase{kA + "\xA1\xA1", kA},
                      // A1 A1 that straddles two characters is no space, and a lead byte takes
                      // the space after it.
                      OneTextCase{"\xC1\xA1\xA1", "\xC1\xA1\xA1"},
                      OneTextCase{" \xC1\xA1\xA1 ", "\xC1\xA1\xA1 "}));

class ToHalfwidthTest : public ::testing::TestWithParam<OneTextCase> {};
TEST_P(ToHalfwidthTest, Result) { EXPECT_EQ(to_halfwidth(GetParam().input), GetParam().expected); }
INSTANTIATE_TEST_SUITE_P(
    Cases, ToHalfwidthTest,
    ::testing::Values(OneTextCase{"\xA3\xB1\xA3\xB2", "12"},                    // １２
                      OneTextCase{"\xA3\xAD\xA3\xB3\xA3\xAE\xA3\xB5", "-3.5"},  // －３．５
                      OneTextCase{"\xA3\xC1", "A"}, OneTextCase{"\xA1\xA1", " "},
                      OneTextCase{"\xA1\xAB", "~"}, OneTextCase{"\xA1\xEE\xA1\xEF", "**"},
                      OneTextCase{"\xA3\xA0\xA3\xFF", "\xA3\xA0\xA3\xFF"},
                      OneTextCase{kZhong + "1", kZhong + "1"}, OneTextCase{"a\xA3", "a\xA3"},
                      // The second byte of a character is never read as a lead byte.
                      OneTextCase{"\xB0\xA3\xB1", "\xB0\xA3\xB1"}));

// The byte tables of the full-width forms stand for these characters.
TEST(FullWidthFormsTest, ByteTablesMatchTheCharacters) {
    EXPECT_EQ(to_halfwidth(gbk_text("１２．５－Ａ～★☆　")), "12.5-A~** ");
    EXPECT_EQ(trim_text(gbk_text("　中文　")), gbk_text("中文"));
}

TEST(ToUpperTextTest, ChangesOnlySingleByteLetters) {
    EXPECT_EQ(to_upper_text("abc\xB0\x61z{"), "ABC\xB0\x61Z{");
    EXPECT_EQ(to_upper_text(kZhong + "x"), kZhong + "X");
}

TEST(JoinTest, KeepsEveryByte) {
    EXPECT_EQ(join_text({"a", "", kZhong, "b"}), "a" + kZhong + "b");
    EXPECT_EQ(join_text({}), "");
}

TEST(BytesTest, Conversions) {
    EXPECT_EQ(bytes_to_text(std::string("A\0B", 3)), "A");
    EXPECT_EQ(bytes_to_text("AB"), "AB");
    EXPECT_EQ(text_to_bytes(""), "");
}

const std::string kZhejiang = gbk_text("浙江");

struct BetweenCase {
    const char* text;
    const char* start;
    const char* end;
    const char* expected;
};

TEST(TextBetween, CutsAfterFirstStartUpToNextEnd) {
    const BetweenCase cases[] = {
        {"a[b]c[d]", "[", "]", "b"}, {"a[bc", "[", "]", "bc"},  // no end: to the end of the text
        {"abc", "[", "]", ""},                                  // no start
        {"abc[", "[", "]", ""},                                 // start as the very last bytes
        {"x]y[z]", "[", "]", "z"},                              // end before start is not used
        {"a[b[c]", "[", "]", "b"},  // a second start ends the text first
        {"[]", "[", "]", ""},        {"k=1;k=2;", "k=", ";", "1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(text_between(c.text, c.start, c.end), c.expected) << c.text;
    }
}

TEST(TextBetween, MarkerInsideADoubleByteCharacterIsNotMatched) {
    // 0x81 0x5B is one GBK character whose second byte is "[".
    const std::string page = "\x81[x[yes]";
    EXPECT_EQ(text_between(page, "[", "]"), "yes");
}

TEST(WholeCharacters, DropsOnlyADanglingLeadByte) {
    EXPECT_EQ(whole_characters(kZhejiang), kZhejiang);
    EXPECT_EQ(whole_characters(kZhejiang + "\xBD"), kZhejiang);
    EXPECT_EQ(whole_characters("ab"), "ab");
    EXPECT_EQ(whole_characters(""), "");
}

TEST(TextBeforeAndRemoveTextTest, MatchOnlyAtCharacterStarts) {
    EXPECT_EQ(text_before("ab;cd;", ";"), "ab");
    EXPECT_EQ(text_before("abc", ";"), "abc");
    EXPECT_EQ(text_before("\x81;x;", ";"), "\x81;x");  // 81 3B is one character
    EXPECT_EQ(remove_text("a b  c", " "), "abc");
    EXPECT_EQ(remove_text("\x81 a b", " "), "\x81 ab");
}

TEST(CharacterCutsTest, NeverSplitACharacter) {
    const std::string text = "A" + kZhejiang;  // A, 浙, 江: five bytes
    EXPECT_EQ(left_characters(text, 4), "A" + kZhejiang.substr(0, 2));
    EXPECT_EQ(left_characters(text, 5), text);
    EXPECT_EQ(left_characters(text, 0), "");
    EXPECT_EQ(right_characters(text, 4), kZhejiang);
    EXPECT_EQ(right_characters(text, 3), kZhejiang.substr(2));
    EXPECT_EQ(right_characters(kZhejiang + "A", 4), kZhejiang.substr(2) + "A");
    EXPECT_EQ(right_characters(text, 9), text);
    // A lead byte at the very end counts as one byte.
    EXPECT_EQ(left_characters("ab\xBD", 3), "ab\xBD");
    EXPECT_EQ(right_characters("ab\xBD", 1), "\xBD");
}

TEST(EqualIgnoringCaseTest, OnlyAsciiLettersFold) {
    EXPECT_TRUE(equal_ignoring_case("HttpS", "https"));
    EXPECT_TRUE(equal_ignoring_case("", ""));
    EXPECT_FALSE(equal_ignoring_case("http", "https"));
    EXPECT_FALSE(equal_ignoring_case("a[", "A{"));  // "[" and "{" are 0x20 apart, but no letters
    EXPECT_FALSE(equal_ignoring_case("\xC1", "\xE1"));
}

// A literal character walk, the slow and obvious form of the scanning rules,
// compared with the library on random GBK-like texts.
int reference_find(const std::string& h, const std::string& n) {
    if (n.empty()) return h.empty() ? -1 : 1;
    size_t i = 0;
    while (h.size() - i >= n.size()) {
        bool lead = static_cast<unsigned char>(h[i]) >= 0x80;
        if (lead && i + 1 == h.size()) break;
        if (h.compare(i, n.size(), n) == 0) return static_cast<int>(i + 1);
        i += lead ? 2 : 1;
        if (i > h.size()) break;
    }
    return -1;
}

std::vector<std::string> reference_split(const std::string& text, const std::string& d) {
    std::vector<std::string> out;
    if (text.empty()) return out;
    size_t start = 0;
    while (true) {
        int at = reference_find(text.substr(start), d);
        if (at < 0) break;
        out.push_back(text.substr(start, static_cast<size_t>(at - 1)));
        start += static_cast<size_t>(at - 1) + d.size();
    }
    if (start < text.size()) out.push_back(text.substr(start));
    return out;
}

struct RandomScan {
    int rounds;
    size_t max_haystack, max_needle;
};

class ScanningTest : public ::testing::TestWithParam<RandomScan> {};

// Short texts reach every branch of the walk; long ones with long and short
// needles also reach the search's switch to memmem after many false hits.
INSTANTIATE_TEST_SUITE_P(Sizes, ScanningTest,
                         ::testing::Values(RandomScan{4000, 24, 3}, RandomScan{150, 3000, 5},
                                           RandomScan{60, 3000, 80}));

TEST_P(ScanningTest, AgreesWithACharacterWalkOnRandomTexts) {
    std::mt19937 random(20240521);
    // Few distinct bytes so that matches, near-misses and misaligned hits abound.
    const std::string alphabet = "a,\xB0\xA1\x41";
    auto random_text = [&](size_t max_length) {
        std::string s(random() % (max_length + 1), ' ');
        for (char& c : s) c = alphabet[random() % alphabet.size()];
        return s;
    };
    const RandomScan& scan = GetParam();
    for (int round = 0; round < scan.rounds; ++round) {
        std::string h = random_text(scan.max_haystack), n = random_text(scan.max_needle);
        if (n.size() > 8 && h.size() > n.size() && round % 2 == 0) {
            // Plant the long needle so that it is found at least sometimes.
            size_t at = random() % (h.size() - n.size());
            h.replace(at, n.size(), n);
        }
        ASSERT_EQ(find_text(h, n), reference_find(h, n))
            << testing::PrintToString(h) << " / " << testing::PrintToString(n);
        if (n.empty()) continue;
        ASSERT_EQ(split_text(h, n).items(), reference_split(h, n)) << testing::PrintToString(h);
        for (bool case_sensitive : {true, false}) {
            // Matches found on lowercased copies, bytes taken from the original.
            auto fold = [&](std::string t) {
                if (!case_sensitive)
                    for (char& c : t) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
                return t;
            };
            std::string expected;
            size_t pos = 0;
            auto pieces = reference_split(fold(h), fold(n));
            for (size_t i = 0; i < pieces.size(); ++i) {
                if (i > 0) expected += "#", pos += n.size();
                expected += h.substr(pos, pieces[i].size());
                pos += pieces[i].size();
            }
            if (pos < h.size()) expected += "#";  // a match at the very end
            ASSERT_EQ(replace_text(h, n, "#", case_sensitive), expected)
                << testing::PrintToString(h) << " / " << testing::PrintToString(n) << " "
                << case_sensitive;
        }
    }
}

}  // namespace
}  // namespace qinghe
