#include "base/native_path.h"

#include <gtest/gtest.h>

#include <string>

namespace qinghe {
namespace {

// GBK and UTF-8 forms of the characters used below.
#define GBK_SHANGHAI "\xC9\xCF\xBA\xA3"  // 上海
#define UTF8_SHANGHAI "\xE4\xB8\x8A\xE6\xB5\xB7"
#define GBK_YUN "\xDF\x5C"  // 運: second byte is "\\"
#define UTF8_YUN "\xE9\x81\x8B"
#define GBK_JIN "\xE5\x5C"  // 錦: second byte is "\\"
#define UTF8_JIN "\xE9\x8C\xA6"
#define UTF8_REPLACEMENT "\xEF\xBF\xBD"

TEST(ToNativePath, TurnsSeparatorsAndGbkIntoThePosixForm) {
    struct Case {
        std::string program;
        std::string native;
    };
    const Case cases[] = {
        {"/tmp/save\\batch\\1.jpg", "/tmp/save/batch/1.jpg"},
        {"/tmp/" GBK_SHANGHAI "\\" GBK_SHANGHAI ".txt",
         "/tmp/" UTF8_SHANGHAI "/" UTF8_SHANGHAI ".txt"},
        // A backslash that is the second byte of a character stays in it.
        {"/tmp/" GBK_YUN "\\" GBK_JIN ".jpg", "/tmp/" UTF8_YUN "/" UTF8_JIN ".jpg"},
        {GBK_YUN GBK_JIN, UTF8_YUN UTF8_JIN},
        {GBK_YUN "\\\\", UTF8_YUN "//"},
        // Code page 936: 0x80 is the euro sign.
        {"a\x80", "a\xE2\x82\xAC"},
        // Bytes that are no GBK stand as U+FFFD, and a lone lead byte never
        // takes the separator after it.
        {"a\xFF"
         "b",
         "a" UTF8_REPLACEMENT "b"},
        {"a\x81", "a" UTF8_REPLACEMENT},
        {"a\x81/b", "a" UTF8_REPLACEMENT "/b"},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(to_native_path(c.program), c.native) << c.program;
    }
}

TEST(FromNativePath, GivesGbkOrRefuses) {
    Text program;
    ASSERT_TRUE(from_native_path("/home/u/" UTF8_SHANGHAI "/" UTF8_YUN, program));
    EXPECT_EQ(program, "/home/u/" GBK_SHANGHAI "/" GBK_YUN);
    EXPECT_EQ(to_native_path(program + "\\x"), "/home/u/" UTF8_SHANGHAI "/" UTF8_YUN "/x");

    const char* refused[] = {
        "/home/u/\xE0\xB8\x81",  // a Thai letter: GBK has no form for it
        "/home/u/\xE4\xB8",      // cut UTF-8
        "/home/u/\xFF",
    };
    for (const char* native : refused) {
        EXPECT_FALSE(from_native_path(native, program)) << native;
    }
}

TEST(SafeName, DefusesHostileNamesAndKeepsOrdinaryOnes) {
    struct Case {
        std::string name;
        std::string safe;
    };
    const Case cases[] = {
        // Ordinary names pass unchanged.
        {"1.jpg", "1.jpg"},
        {"_.webp", "_.webp"},
        {"a.b.c.jpg", "a.b.c.jpg"},
        {GBK_SHANGHAI ".jpg", GBK_SHANGHAI ".jpg"},
        {GBK_YUN GBK_JIN ".jpg", GBK_YUN GBK_JIN ".jpg"},
        {"..x", "..x"},
        // Separators, drive colons, control bytes and wildcard characters.
        {"..\\..\\x.jpg", ".._.._x.jpg"},
        {"../x.jpg", ".._x.jpg"},
        {"a/b.jpg", "a_b.jpg"},
        {"/etc/passwd", "_etc_passwd"},
        {"C:x.jpg", "C_x.jpg"},
        {"a\r\nb\x01\x7F.jpg", "a__b__.jpg"},
        {"a*?.jpg", "a__.jpg"},
        {"\"<x>|.jpg", "__x__.jpg"},
        // A lone lead byte does not swallow the separator after it, and a
        // name never ends in half a character that would take the "\\"
        // joined after it.
        {"\x81/x", "__x"},
        {"ab\x95", "ab_"},
        {"\x80\xB0\xA1", "_\xB0\xA1"},
        {"\xFF\xDE ", "__ "},
        // Names that stand for the folder itself or its parent.
        {"", "_"},
        {".", "_"},
        {"..", "_"},
        {"...", "_"},
        {" . ", "_"},
    };
    for (const Case& c : cases) {
        const Text safe = safe_name(c.name);
        EXPECT_EQ(safe, c.safe) << c.name;
        // Whatever came in, the native name is one element below the folder.
        const std::string native = to_native_path(safe);
        EXPECT_EQ(native.find('/'), std::string::npos) << c.name;
        EXPECT_NE(native, ".");
        EXPECT_NE(native, "..");
        EXPECT_FALSE(native.empty());
    }
}

TEST(SafeName, NoTwoByteNameEscapesTheFolder) {
    // Every pair of bytes, alone and around dots: the native form never holds
    // a separator and is never "." or "..".
    for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) {
            const std::string pair{static_cast<char>(a), static_cast<char>(b)};
            for (const std::string& name :
                 {pair, ".." + pair, pair + "..", pair.substr(0, 1) + "."}) {
                const std::string native = to_native_path(safe_name(name));
                ASSERT_EQ(native.find('/'), std::string::npos) << a << " " << b;
                ASSERT_TRUE(native != "." && native != ".." && !native.empty()) << a << " " << b;
            }
        }
    }
}

}  // namespace
}  // namespace qinghe
