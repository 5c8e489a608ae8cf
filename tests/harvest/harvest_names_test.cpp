// The pure deciding functions of the harvester, as tables of cases.
#include <gtest/gtest.h>

#include <set>

#include "harvest/description_stage.h"
#include "harvest/harvest_paths.h"
#include "harvest/main_picture_stage.h"
#include "support/gbk_literal.h"

namespace qinghe {
namespace {

using test_support::gbk;

TEST(CleanMainPictureAddress, TurnsThumbnailsIntoFullSizeAddresses) {
    const std::pair<std::string, std::string> cases[] = {
        {"http://x/b.jpg_60x60q90.jpg\"", "http://x/b.jpg"},
        {"http://x/b.jpg_60x60.jpg\"", "http://x/b.jpg"},
        {"http://x/x.jpg_.webp\"", "http://x/x.jpg"},
        {"http://x/x.png_400x400.jpg\"", "http://x/x.png"},
        {"http://x/y.400x400.jpg\"", "http://x/y.jpg"},
        {"http://x/z.summ.jpg\"", "http://x/z.jpg"},
        {"http://x/a.jpg_310x310.jpg\"", "http://x/a.jpg"},
        {"http://x/a.jpg_64x64.jpg\"", "http://x/a.jpg"},
        {"http://x/c.64x64.jpg\"", "http://x/c.jpg"},
        {"http://x/c.32x32.png\"", "http://x/c.png"},
        {"http://x/f.80x80.jpg\"", "http://x/f.jpg"},
        {"http://x/d.jpg_30x30q90.jpg'\"", "http://x/d.jpg"},
        {"http://x/e.jpg_40x40q90.jpg\"\"", "http://x/e.jpg"},
        {"http://x/page.htm\"", "http://x/page.htm"},
    };
    for (const auto& [link, address] : cases)
        EXPECT_EQ(clean_main_picture_address(link), address) << link;
}

struct NameCase {
    DescriptionNaming naming;
    int count;
    int number;
    std::string extension;
    std::string expected;
};

TEST(DescriptionPictureName, LettersByTensDigitsByRule) {
    const NameCase cases[] = {
        {DescriptionNaming::FromZero, 1, 1, ".jpg", "A0.jpg"},
        {DescriptionNaming::FromZero, 10, 10, ".gif", "A9.gif"},
        {DescriptionNaming::FromZero, 11, 11, ".jpg", "B0.jpg"},
        {DescriptionNaming::FromZero, 12, 5, ".png", "B1.png"},  // the digit follows the count
        {DescriptionNaming::FromZero, 260, 260, ".jpg", "Z9.jpg"},
        {DescriptionNaming::FromZero, 261, 261, ".jpg", "AA0.jpg"},
        {DescriptionNaming::FromZero, 271, 271, ".jpg", "AB0.jpg"},
        {DescriptionNaming::FromZero, 7021, 1, ".jpg", "AAA0.jpg"},
        {DescriptionNaming::FromOne, 1, 1, ".jpg", "A1.jpg"},
        {DescriptionNaming::FromOne, 10, 10, ".jpg", "A10.jpg"},
        {DescriptionNaming::FromOne, 11, 11, ".jpg", "B1.jpg"},
        {DescriptionNaming::FromOne, 12, 11, ".jpg",
         "B1.jpg"},  // the digit follows the written number
        {DescriptionNaming::FromOne, 20, 20, ".gif", "B10.gif"},
        {DescriptionNaming::FromOne, 265, 265, ".jpg", "AA5.jpg"},
    };
    for (const NameCase& c : cases) {
        EXPECT_EQ(description_picture_name(c.naming, c.count, c.number, c.extension), c.expected)
            << c.count << " " << c.number;
    }
}

TEST(DescriptionPictureName, NamesPast260NeverHoldASeparatorOrRepeat) {
    std::set<std::string> seen;
    for (int count = 1; count <= 3000; ++count) {
        Text name = description_picture_name(DescriptionNaming::FromZero, count, count, ".jpg");
        EXPECT_EQ(name.find_first_of("\\/[]^_`"), std::string::npos) << name;
        EXPECT_TRUE(seen.insert(name).second) << name;
    }
}

TEST(ItemIdFromAddress, TakesTheTextAfterTheFirstIdKey) {
    const std::pair<std::string, std::string> cases[] = {
        {"http://item.taobao.com/item.htm?id=123&spm=x", "123"},
        {"http://item.taobao.com/item.htm?id=", ""},
        {"http://item.taobao.com/item.htm?pvid=abc&id=9", "abc"},
        {"http://detail.tmall.com/item.htm?id=2002", "2002"},
        {"http://detail.1688.com/offer/3003.html", ""},
    };
    for (const auto& [address, id] : cases) EXPECT_EQ(item_id_from_address(address), id) << address;
}

TEST(DateTimeStem, WritesEachPartWithoutLeadingZeros) {
    EXPECT_EQ(date_time_stem(make_date_time(2026, 12, 9, 13, 5, 7)), "20261291357");
    EXPECT_EQ(date_time_stem(make_date_time(2013, 1, 2, 0, 0, 0)), "201312000");
}

TEST(FolderPaths, JoinWithOneBackslash) {
    EXPECT_EQ(batch_folder_path("/home/u/pics", "B"), "/home/u/pics\\B\\");
    EXPECT_EQ(batch_folder_path("/home/u/pics\\", "B"), "/home/u/pics\\B\\");
    // A save folder ending in 運 (DF 5C) does not end in a separator.
    EXPECT_EQ(batch_folder_path("/p/\xDF\x5C", "B"), "/p/\xDF\x5C\\B\\");
    EXPECT_EQ(child_folder_path("/p\\B\\", "123_x"), "/p\\B\\123_x\\");
    EXPECT_EQ(child_folder_path("/p\\B\\", ""), "/p\\B\\");
    EXPECT_EQ(without_separator("/p\\B\\"), "/p\\B");
    EXPECT_EQ(local_file_link("/home/u\\B\\\xDF\x5C\\A0.jpg"), "file:///home/u/B/\xDF\x5C/A0.jpg");
}

TEST(UsableName, NeverLeavesTheFolderAndFitsTheFileSystem) {
    const std::string cases[] = {
        "..", "../../etc/passwd", "..\\..\\x.jpg", "/abs/x.jpg", "C:\\x.jpg",
        std::string(2000, 'n') + ".jpg",
        // Long double-byte text (B0B0 … B0A1): cut only between characters.
        std::string(999, '\xB0') + "\xA1.png"};
    for (const std::string& name : cases) {
        Text usable = usable_name(name);
        EXPECT_FALSE(usable.empty());
        EXPECT_LE(usable.size(), 160u);
        EXPECT_NE(usable, "..");
        EXPECT_NE(usable, ".");
        EXPECT_EQ(usable.find('/'), std::string::npos) << usable;
        EXPECT_EQ(usable.find('\\'), std::string::npos) << usable;
    }
    EXPECT_EQ(usable_name(std::string(2000, 'n') + ".jpg").substr(156), ".jpg");
    EXPECT_EQ(server_file_name("http://x/a/b.jpg"), "b.jpg");
}

}  // namespace
}  // namespace qinghe
