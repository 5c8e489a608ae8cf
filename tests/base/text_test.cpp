// Search, split, replace, cutting, trims and byte helpers over GBK text.
#include "base/text.h"

#include <gtest/gtest.h>

#include <random>

namespace qinghe {
namespace {

// GBK bytes used below.
const std::string kZhong = "\xD6\xD0";  // 中
const std::string kWen = "\xCE\xC4";    // 文
const std::string kYun = "\xDF\x5C";    // 運: its second byte is a backslash
const std::string kA = "\xB0\xA1";      // 啊

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
    ::testing::Values(
        FindCase{"<a href>", "a", 2}, FindCase{"<a href>", "b", -1}, FindCase{"", "x", -1},
        FindCase{"abc", "", 1}, FindCase{"", "", -1}, FindCase{"ab", "abc", -1},
        FindCase{"abcabc", "ca", 3},
        // 中文: D0 CE straddles the two characters.
        FindCase{kZhong + kWen, "\xD0\xCE", -1}, FindCase{kZhong + kWen, kWen, 3},
        // A trail byte in the ASCII range is not a character of its own.
        FindCase{kYun + "\\", "\\", 3}, FindCase{"\x81\x61" "a", "a", 3},
        FindCase{"\xB0\x41\x41", "\x41", 3},
        // Parity of a run of lead-range bytes decides the character start.
        FindCase{kA + kA, "\xA1\xB0", -1}, FindCase{"x" + kA + kA, kA, 2},
        FindCase{"\xA1" + kA + "\xB0", "\xB0", -1}, FindCase{"\xB0" + kA + kA, "\xA1\xB0", 3},
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
    ::testing::Values(
        SplitCase{"", ",", {}}, SplitCase{"", "", {}}, SplitCase{"x", ",", {"x"}},
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
    ::testing::Values(
        ReplaceCase{"aaa", "aa", "b", true, "ba"},
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
        ReplaceCase{"\xC1\x41" "A", "a", "-", false, "\xC1\x41-"}));

struct CutCase {
    std::string name;
    Text result, expected;
};

TEST(CuttingTest, CountsRawBytes) {
    const std::vector<CutCase> cases = {
        {"mid past end", text_mid("abc", 3, 5), "c"},
        {"mid start after end", text_mid("abc", 4, 1), ""},
        {"mid start 0", text_mid("abc", 0, 1), ""},
        {"mid count 0", text_mid("abc", 1, 0), ""},
        {"mid inner", text_mid("abcd", 2, 2), "bc"},
        {"mid huge count", text_mid("abc", 2, INT_MAX), "bc"},
        {"right longer", text_right("ab", 4), "ab"},
        {"right 0", text_right("abc", 0), ""},
        {"right 2", text_right("abc", 2), "bc"},
        {"left negative", text_left("abc", -1), ""},
        {"left 2", text_left("abc", 2), "ab"},
        {"left cuts a character", text_left(kZhong, 1), "\xD6"},
        {"bytes left longer", bytes_left("ab", 5), "ab"},
        {"bytes left negative", bytes_left("ab", -1), ""},
        {"bytes right", bytes_right(std::string("a\0c", 3), 2), std::string("\0c", 2)},
        {"bytes right negative", bytes_right("ab", -3), ""},
    };
    for (const auto& c : cases) EXPECT_EQ(c.result, c.expected) << c.name;
}

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
    ::testing::Values(
        OneTextCase{" \t a \xA1\xA1", "\t a"}, OneTextCase{"\xA1\xA1 x \xA1\xA1", "x"},
        OneTextCase{"   ", ""}, OneTextCase{"\xA1\xA1\xA1\xA1", ""}, OneTextCase{"", ""},
        OneTextCase{"a\r\n", "a\r\n"}, OneTextCase{kA + "\xA1\xA1", kA},
        // A1 A1 that straddles two characters is no space, and a lead byte takes
        // the space after it.
        OneTextCase{"\xC1\xA1\xA1", "\xC1\xA1\xA1"}, OneTextCase{" \xC1\xA1\xA1 ", "\xC1\xA1\xA1 "}));

class ToHalfwidthTest : public ::testing::TestWithParam<OneTextCase> {};
TEST_P(ToHalfwidthTest, Result) { EXPECT_EQ(to_halfwidth(GetParam().input), GetParam().expected); }
INSTANTIATE_TEST_SUITE_P(
    Cases, ToHalfwidthTest,
    ::testing::Values(
        OneTextCase{"\xA3\xB1\xA3\xB2", "12"},                  // １２
        OneTextCase{"\xA3\xAD\xA3\xB3\xA3\xAE\xA3\xB5", "-3.5"},  // －３．５
        OneTextCase{"\xA3\xC1", "A"}, OneTextCase{"\xA1\xA1", " "}, OneTextCase{"\xA1\xAB", "~"},
        OneTextCase{"\xA1\xEE\xA1\xEF", "**"}, OneTextCase{"\xA3\xA0\xA3\xFF", "\xA3\xA0\xA3\xFF"},
        OneTextCase{kZhong + "1", kZhong + "1"}, OneTextCase{"a\xA3", "a\xA3"},
        // The second byte of a character is never read as a lead byte.
        OneTextCase{"\xB0\xA3\xB1", "\xB0\xA3\xB1"}));

TEST(ToUpperTextTest, ChangesOnlySingleByteLetters) {
    EXPECT_EQ(to_upper_text("abc\xB0\x61z{"), "ABC\xB0\x61Z{");
    EXPECT_EQ(to_upper_text(kZhong + "x"), kZhong + "X");
}

TEST(CharCodeTest, SignedFirstByteAndBack) {
    EXPECT_EQ(char_code("\xB0\xA1"), -80);
    EXPECT_EQ(char_code("A"), 65);
    EXPECT_EQ(char_code(""), 0);
    EXPECT_EQ(char_from_code(65), "A");
    EXPECT_EQ(char_from_code(0), "");
    EXPECT_EQ(char_from_code(-80), "\xB0");
    EXPECT_EQ(char_from_code(0xB0), "\xB0");
}

TEST(BlankTest, SpacesAndZeros) {
    EXPECT_EQ(blank_text(3), "   ");
    EXPECT_EQ(blank_text(0), "");
    EXPECT_EQ(blank_text(-2), "");
    EXPECT_EQ(blank_bytes(3), std::string(3, '\0'));
    EXPECT_EQ(blank_bytes(0), "");
}

TEST(JoinTest, KeepsEveryByte) {
    EXPECT_EQ(join_text({"a", "", kZhong, "b"}), "a" + kZhong + "b");
    EXPECT_EQ(join_text({}), "");
    EXPECT_EQ(join_bytes({std::string("\0a", 2), "", std::string("\0", 1)}), std::string("\0a\0", 3));
}

TEST(BytesTest, Conversions) {
    EXPECT_EQ(bytes_to_text(std::string("A\0B", 3)), "A");
    EXPECT_EQ(bytes_to_text("AB"), "AB");
    EXPECT_EQ(text_to_bytes(""), "");
    EXPECT_EQ(int_to_bytes(0x04030201), "\x01\x02\x03\x04");
    EXPECT_EQ(int_to_bytes(-2), "\xFE\xFF\xFF\xFF");
    EXPECT_EQ(bytes_to_int("\x01\x02"), 0x0201);
    EXPECT_EQ(bytes_to_int("\xFE\xFF\xFF\xFF\x07"), -2);
    EXPECT_EQ(bytes_to_int(""), 0);
    for (int32_t n : {0, 1, -1, 20320, INT32_MAX, INT32_MIN}) EXPECT_EQ(bytes_to_int(int_to_bytes(n)), n);
}

TEST(BytesTest, EqualityOverAPrefix) {
    EXPECT_TRUE(bytes_equal("abc", "abd", 2));
    EXPECT_FALSE(bytes_equal("abc", "abd", 3));
    EXPECT_FALSE(bytes_equal("ab", "abc", 3));
    EXPECT_TRUE(bytes_equal(std::string("a\0x", 3), std::string("a\0y", 3), 2));
    EXPECT_FALSE(bytes_equal(std::string("a\0x", 3), std::string("a\1x", 3), 2));
    EXPECT_TRUE(bytes_equal("x", "y", 0));
    EXPECT_TRUE(texts_equal("", std::string()));
    EXPECT_FALSE(texts_equal("a", "A"));
    EXPECT_EQ(text_length(kZhong + "a"), 3);
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
        ASSERT_EQ(find_text(h, n), reference_find(h, n)) << testing::PrintToString(h) << " / "
                                                           << testing::PrintToString(n);
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
