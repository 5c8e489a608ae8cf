#include "package/sale_properties.h"

#include <gtest/gtest.h>

#include "support/gbk_literal.h"

namespace qinghe {
namespace {

using test_support::gbk;

// Digests below were taken with md5sum over the file names.
constexpr const char* kRedMd5 = "807bed29da4fdd79e200eff36734d3d7";    // TB2red.jpg
constexpr const char* kMainMd5 = "045f54d378a6817966d95d21469023b9";   // TB1main.jpg
constexpr const char* kMain2Md5 = "db60d8bebe0e2b11e319bb13d0f7bb10";  // TB1main2.jpg
constexpr const char* kAbcMd5 = "900150983cd24fb0d6963f7d28e17f72";    // abc

// Three sale values A, B, C; B has a picture (its ")" already a quote).
const std::string kSalePage =
    "<ul><li data-value=\"1627207:1\" title=\"" + gbk("红色") +
    "\"><a><span>x</span></a></li>"
    "<li data-value=\"1627207:2\"><a style=\"background:url(http://img.example/a/TB2red.jpg_30x30.jpg\" >"
    "<span>" +
    gbk("蓝色") +
    "</span></a></li>"
    "<li data-value=\"1627207:3\"><a>plain</a></li></ul>";

TEST(SaleValues, ValuesNamesAndPicturesInPageOrder) {
    const SaleValues sale = find_sale_values(kSalePage);
    ASSERT_TRUE(sale.present);
    ASSERT_EQ(sale.values.size(), 3u);
    EXPECT_EQ(sale.values[0].value_id, "1627207:1");
    EXPECT_EQ(sale.values[0].name, gbk("红色"));
    EXPECT_EQ(sale.values[0].picture_address, "");
    EXPECT_EQ(sale.values[1].value_id, "1627207:2");
    EXPECT_EQ(sale.values[1].name, gbk("蓝色"));
    EXPECT_EQ(sale.values[1].picture_address, "http://img.example/a/TB2red.jpg");
    EXPECT_EQ(sale.values[2].name, "");

    EXPECT_EQ(sale_values_text(sale.values), "1627207:3;1627207:2;1627207:1;");
    EXPECT_EQ(property_names_text(sale.values),
              "1627207:2:" + gbk("蓝色") + ";1627207:1:" + gbk("红色") + ";");
}

TEST(SaleValues, PageWithoutListIsAbsent) {
    const SaleValues sale = find_sale_values("<ul><li>no values</li></ul>");
    EXPECT_FALSE(sale.present);
    EXPECT_TRUE(sale.values.empty());
}

TEST(SaleValues, ThumbnailEndingsRemovedAndOddPiecesTolerated) {
    struct Case {
        std::string piece;
        std::string value_id;
        std::string name;
        std::string picture;
    };
    const Case cases[] = {
        {"9:1\"><a style=\"background:url(//img/b_40x40q90.jpg\">", "9:1", "", "//img/b"},
        {"9:2\"><a style=\"background:url(_50x50.jpg\">", "9:2", "", ""},
        {"9:3\" title=x><span>s</span>", "9:3", "", ""},  // "title=" without a quote
        {"9:4\" title=\"a\"b\">", "9:4", "a", ""},
        {"9:5", "9:5", "", ""},  // the page ends inside the element
    };
    for (const auto& c : cases) {
        const SaleValues sale = find_sale_values("<li data-value=\"" + c.piece);
        ASSERT_EQ(sale.values.size(), 1u) << c.piece;
        EXPECT_EQ(sale.values[0].value_id, c.value_id) << c.piece;
        EXPECT_EQ(sale.values[0].name, c.name) << c.piece;
        EXPECT_EQ(sale.values[0].picture_address, c.picture) << c.piece;
    }
}

TEST(SaleValues, TitleValueIdsAreDropped) {
    const std::vector<SaleValue> values = {{"1:1", "", ""}, {"title=", "", ""}};
    EXPECT_EQ(sale_values_text(values), "1:1;");
}

TEST(PictureNames, DigestOfLastSegmentLowerForMainUpperForAttribute) {
    EXPECT_EQ(main_picture_name("http://img.example/a/TB2red.jpg"), kRedMd5);
    EXPECT_EQ(attribute_picture_name("http://img.example/a/TB2red.jpg"),
              "807BED29DA4FDD79E200EFF36734D3D7");
    EXPECT_EQ(main_picture_name("abc"), kAbcMd5);
    EXPECT_EQ(main_picture_entry(kAbcMd5, 0), std::string(kAbcMd5) + ":1:0:|;");
    EXPECT_EQ(main_picture_entry(kAbcMd5, 12), std::string(kAbcMd5) + ":1:12:|;");
    EXPECT_EQ(attribute_picture_entry("ABC", "1:2"), "ABC:2:0:1:2|;");
}

TEST(MainPictures, ThreeBranchesChosenByFirstMarker) {
    const std::string taobao =
        "<ul class=\"tb-selected\"><li><img src=\"http://img.example/x/TB1main.jpg_60x60q90.jpg\">"
        "<li><img src=\"http://img.example/x/TB1main2.jpg_60x60q90.jpg\"></ul>_50x50.jpg";
    auto pictures = find_main_pictures(taobao);
    ASSERT_EQ(pictures.size(), 2u);
    EXPECT_EQ(pictures[0].fetch_address, "http://img.example/x/TB1main.jpg");
    EXPECT_EQ(pictures[0].name, kMainMd5);
    EXPECT_EQ(pictures[1].fetch_address, "http://img.example/x/TB1main2.jpg");
    EXPECT_EQ(pictures[1].name, kMain2Md5);

    const std::string tmall =
        "<ul id=\"J_UlThumb\" class=\"tb-selected\"><img src=\"http://img.example/TB1main.jpg_50x50.jpg\"></ul>";
    pictures = find_main_pictures(tmall);
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(pictures[0].fetch_address, "http://img.example/TB1main.jpg");
    EXPECT_EQ(pictures[0].name, kMainMd5);

    const std::string ali =
        "<ul class=\"nav nav-tabs fd-clr\"><li><img src=\"https://cbu.example/img/abc.64x64.jpg\">"
        "</li></ul>";
    pictures = find_main_pictures(ali);
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(pictures[0].fetch_address, "https://cbu.example/img/abc.jpg");
    EXPECT_EQ(pictures[0].name, kAbcMd5);
}

TEST(MainPictures, MissingStripOrCutMarker) {
    // The thumbnail ending without the strip: no pictures, no later branch.
    EXPECT_TRUE(find_main_pictures("x_60x60q90.jpg and _50x50.jpg but no strip").empty());
    EXPECT_TRUE(find_main_pictures("no thumbnails at all").empty());
    // A piece without the cut marker is taken whole; every piece counts.
    const auto pictures =
        find_main_pictures("tb-selected http://a/abc http://b/c_60x60q90.jpg</ul>");
    ASSERT_EQ(pictures.size(), 2u);
    EXPECT_EQ(pictures[0].fetch_address, "http://a/abc ");
    EXPECT_EQ(pictures[1].fetch_address, "http://b/c");
}

TEST(SaleCombinations, NewestFirstFromSkuMap) {
    struct Case {
        std::string page;
        std::string expected;
    };
    const Case cases[] = {
        {"\"skuMap\":{\";1:10;\":{\"price\":\"29.00\",\"stock\":5},\";1:11;\":{\"price\":\"31.00\",\"stock\":0}}",
         "31.00:0::1:11;29.00:5::1:10;"},
        {"\"skuMap\" : {\r\n\";1:10;2:20;\" : {\"price\":\"9.90\",\"stock\":\"7\"}}",
         "9.90:\"7\"::1:10;2:20;"},
        {"skuMap\":{\";1:10;Hub;\":{\"price\":\"1\",\"stock\":2}} http://x \";9:9;\":{\"price\":\"5\",\"stock\":5}",
         "1:2::1:10;"},
        {"\"skuMap\":{\";1:10;\":{\"oops\":1},\";1:11;\":{\"price\":\"2\",\"stock\":3}}",
         "2:3::1:11;"},
        {"no map", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(sale_combinations_text(c.page), c.expected) << c.page;
}

TEST(PictureStatus, ValueRepeatedPerPicture) {
    EXPECT_EQ(picture_status_text(1, 3), "1;1;1;");
    EXPECT_EQ(picture_status_text(2, 4), "2;2;2;2;");
    EXPECT_EQ(picture_status_text(1, 0), "");
}

}  // namespace
}  // namespace qinghe
