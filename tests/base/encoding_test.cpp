#include "base/encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace qinghe {
namespace {

std::string bytes(std::initializer_list<unsigned char> list) {
    return std::string(list.begin(), list.end());
}

TEST(ConvertEncoding, ReadsUcs2ByItsByteOrderMark) {
    struct Case {
        const char* name;
        std::string input;
        std::string expected;
    };
    const Case cases[] = {
        {"little-endian mark", bytes({0xFF, 0xFE, 0x41, 0x00}), "A"},
        {"big-endian mark", bytes({0xFE, 0xFF, 0x00, 0x41}), "A"},
        {"no mark is big-endian", bytes({0x00, 0x41, 0x4E, 0x0A}), "A\xC9\xCF"},  // A上
        {"chinese little-endian", bytes({0xFF, 0xFE, 0x0A, 0x4E, 0x77, 0x6D}),
         "\xC9\xCF\xBA\xA3"},  // 上海
        {"euro sign is 0x80 in code page 936", bytes({0xFF, 0xFE, 0xAC, 0x20}), "\x80"},
        {"line breaks and tabs", bytes({0xFF, 0xFE, 0x09, 0x00, 0x0D, 0x00, 0x0A, 0x00}), "\t\r\n"},
        {"zero units are kept", bytes({0xFF, 0xFE, 0x41, 0x00, 0x00, 0x00, 0x42, 0x00}),
         std::string("A\0B", 3)},
        // A mark only, or nothing: nothing to convert.
        {"mark only", bytes({0xFF, 0xFE}), ""},
        {"empty", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(convert_encoding(c.input, "UCS-2", "GBK"), c.expected) << c.name;
    }
}

TEST(ConvertEncoding, FailsAsAWholeOnAnyBadCharacter) {
    struct Case {
        const char* name;
        std::string input;
        const char* from;
        const char* to;
    };
    const Case cases[] = {
        {"Thai letter GBK lacks", bytes({0xFF, 0xFE, 0x41, 0x00, 0x01, 0x0E, 0x42, 0x00}), "UCS-2",
         "GBK"},
        {"lone surrogate", bytes({0xFF, 0xFE, 0x41, 0x00, 0x3D, 0xD8}), "UCS-2", "GBK"},
        {"odd length", bytes({0xFF, 0xFE, 0x41, 0x00, 0x42}), "UCS-2", "GBK"},
        {"lead byte without trail", "ab\xC9", "GBK", "UTF-8"},
        {"byte 0xFF",
         "a\xFF"
         "b",
         "GBK", "UTF-8"},
        {"broken UTF-8", "a\xE4\xB8", "UTF-8", "GBK"},
        {"unknown character set", "abc", "NO-SUCH-SET", "GBK"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(convert_encoding(c.input, c.from, c.to), "") << c.name;
    }
}

TEST(ConvertEncoding, ConvertsBetweenOtherSets) {
    // 上海 and the euro sign.
    EXPECT_EQ(convert_encoding("\xC9\xCF\xBA\xA3\x80", "GBK", "UTF-8"),
              "\xE4\xB8\x8A\xE6\xB5\xB7\xE2\x82\xAC");
    EXPECT_EQ(convert_encoding("\xE4\xB8\x8A\xE6\xB5\xB7", "UTF-8", "gbk"), "\xC9\xCF\xBA\xA3");
    // Written as UCS-2, the program's text reads back unchanged.
    const std::string gbk = "A\xC9\xCF\xBA\xA3 1\r\n";
    const Bytes ucs2 = convert_encoding(gbk, "GBK", "UCS-2");
    EXPECT_EQ(ucs2.size(), 2 * 7u);
    EXPECT_EQ(convert_encoding(ucs2, "UCS-2", "GBK"), gbk);
}

TEST(ConvertEncoding, GrowsTheOutputWhenTheResultIsLarger) {
    // Four bytes out for every byte in: the output buffer must grow several times.
    std::string ascii(100000, 'a');
    for (size_t i = 0; i < ascii.size(); i += 7) ascii[i] = static_cast<char>('0' + i % 10);
    const Bytes wide = convert_encoding(ascii, "GBK", "UCS-4BE");
    ASSERT_EQ(wide.size(), 4 * ascii.size());
    for (size_t i = 0; i < ascii.size(); ++i) {
        ASSERT_EQ(wide.compare(4 * i, 4, std::string(3, '\0') + ascii[i]), 0) << i;
    }
    // A short input whose output is far larger than it.
    EXPECT_EQ(convert_encoding("a", "GBK", "UCS-4LE"), bytes({'a', 0, 0, 0}));
}

TEST(Md5Hex, GivesTheRfc1321Digests) {
    struct Case {
        std::string data;
        const char* digest;
    };
    const Case cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
        {std::string(1, '\0'), "93b885adfe0da089cdf634904fd59f71"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(md5_hex(c.data), c.digest) << c.data;
    }
}

}  // namespace
}  // namespace qinghe
