#include "package/picture_facts_2020.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/page_charset.h"
#include "support/file_bytes.h"
#include "support/gbk_literal.h"

namespace qinghe {
namespace {

std::string page_of(const std::string& name) {
    return page_to_gbk(test_support::file_bytes(std::filesystem::path(QINGHE_FIXTURES_DIR) / name));
}

struct FactsCase {
    const char* fixture;
    const char* page_address;  // empty: read from disk
    std::vector<std::string> gallery;
    const char* description_address;
    const char* item_id;
    const char* item_address;
};

TEST(PictureFacts2020, GalleryDescriptionAndItemOfEachForm) {
    const FactsCase cases[] = {
        {"real/taobao_item_served_gbk.html",
         "https://item.taobao.com/item.htm?id=588001001001",
         {"https://gd2.alicdn.com/imgextra/i2/3900118801/TB2tbA_!!3900118801.jpg",
          "https://gd3.alicdn.com/imgextra/i3/3900118801/TB2tbB_!!3900118801.jpg",
          "https://gd1.alicdn.com/imgextra/i1/3900118801/TB2tbC_!!3900118801.png",
          "https://gd4.alicdn.com/imgextra/i4/3900118801/TB2tbD_!!3900118801.jpg"},
         "https://desc.alicdn.com/i2/588/001/588001001001/"
         "TB1dQtb01.desc%7Cvar%5Edesc%3Bsign%5Eab12cd34%3Blang%5Egbk%3Bt%5E1577836800",
         "588001001001",
         "https://item.taobao.com/item.htm?id=588001001001"},
        // An http page takes the http branch of the protocol switch.
        {"real/taobao_item_served_gbk.html",
         "http://item.taobao.com/item.htm?id=588001001001",
         {"http://gd2.alicdn.com/imgextra/i2/3900118801/TB2tbA_!!3900118801.jpg",
          "http://gd3.alicdn.com/imgextra/i3/3900118801/TB2tbB_!!3900118801.jpg",
          "http://gd1.alicdn.com/imgextra/i1/3900118801/TB2tbC_!!3900118801.png",
          "http://gd4.alicdn.com/imgextra/i4/3900118801/TB2tbD_!!3900118801.jpg"},
         "http://dsc.taobaocdn.com/i2/588/001/588001001001/"
         "TB1dQtb01.desc%7Cvar%5Edesc%3Bsign%5Eab12cd34%3Blang%5Egbk%3Bt%5E1577836800",
         "588001001001",
         "http://item.taobao.com/item.htm?id=588001001001"},
        {"real/taobao_item_saved_utf8.html",
         "",
         {"https://gd2.alicdn.com/imgextra/i1/2200711111/O1CN01sdA_!!2200711111.jpg",
          "https://gd2.alicdn.com/imgextra/i2/2200711111/O1CN01sdB_!!2200711111.jpg",
          "https://gd2.alicdn.com/imgextra/i3/2200711111/O1CN01sdC_!!2200711111.jpg"},
         "https://desc.alicdn.com/i1/588/001/588001001002/"
         "TB1dQtb02.desc%7Cvar%5Edesc%3Bsign%5Eef56ab78%3Blang%5Egbk%3Bt%5E1590969600",
         "588001001002",
         "https://item.taobao.com/item.htm?id=588001001002"},
        {"real/tmall_item_saved_utf8.html",
         "",
         {"https://img.alicdn.com/imgextra/i1/2201234567/O1CN01bedA_!!2201234567.jpg",
          "https://img.alicdn.com/imgextra/i2/2201234567/O1CN01bedB_!!2201234567.jpg"},
         "https://dscnew.taobao.com/i2/600/002/600002002002/"
         "TB1tmdesc02.desc%7Cvar%5Edesc%3Bsign%5E9a8b7c6d%3Blang%5Egbk%3Bt%5E1590969600",
         "600002002002",
         "https://detail.tmall.com/item.htm?id=600002002002"},
        {"real/ali1688_offer_served_gbk.html",
         "https://detail.1688.com/offer/610003003001.html",
         {"https://cbu01.alicdn.com/img/ibank/2019/142/552/11844255241_2126953827.jpg",
          "https://cbu01.alicdn.com/img/ibank/2019/143/552/11844255242_2126953827.jpg",
          "https://cbu01.alicdn.com/img/ibank/2019/144/552/11844255243_2126953827.jpg"},
         "https://img.alicdn.com/tfscom/TB1d1688desc01",
         "610003003001",
         "https://detail.1688.com/offer/610003003001.html"},
    };
    for (const FactsCase& c : cases) {
        SCOPED_TRACE(std::string(c.fixture) + " " + c.page_address);
        ItemFacts facts;
        read_2020_picture_facts(page_of(c.fixture), c.page_address, facts);
        EXPECT_TRUE(facts.found);
        EXPECT_EQ(facts.gallery, c.gallery);
        EXPECT_EQ(facts.description_address, c.description_address);
        EXPECT_EQ(facts.item_id, c.item_id);
        EXPECT_EQ(facts.item_address, c.item_address);
    }
}

// The classic forms stay with the stages that have always read them: their
// galleries and http:// description addresses are not facts.
TEST(PictureFacts2020, ClassicPagesGiveNoFacts) {
    for (const char* name :
         {"package/taobao_item.html", "package/tmall_item.html", "package/ali1688_item.html"}) {
        SCOPED_TRACE(name);
        ItemFacts facts;
        read_2020_picture_facts(page_of(name), "http://item.taobao.com/item.htm?id=1", facts);
        EXPECT_FALSE(facts.found);
        EXPECT_TRUE(facts.gallery.empty());
        EXPECT_TRUE(facts.description_address.empty());
    }
    // A classic 1688 gallery has the newer list but ".64x64.jpg" thumbnails.
    ItemFacts facts;
    read_2020_picture_facts(
        "<ul class=\"nav nav-tabs fd-clr\"><li><img src=\"http://cbu01.alicdn.com/a.64x64.jpg\"></li></ul>"
        "<div data-tfs-url=\"http://img.china.alibaba.com/desc/3003.html\"></div>",
        "http://detail.1688.com/offer/3003.html", facts);
    EXPECT_FALSE(facts.found);
}

TEST(PictureFacts2020, FullSizeAddresses) {
    const std::pair<const char*, const char*> cases[] = {
        {"//gd2.alicdn.com/a/TB2_!!1.jpg_50x50.jpg", "//gd2.alicdn.com/a/TB2_!!1.jpg"},
        {"//gd4.alicdn.com/a/TB2_!!1.jpg_50x50.jpg_.webp", "//gd4.alicdn.com/a/TB2_!!1.jpg"},
        {"https://img.alicdn.com/a/O1_!!2.png_60x60q90.jpg", "https://img.alicdn.com/a/O1_!!2.png"},
        {"https://img.alicdn.com/a/O1_!!2.jpg_60x60q90.jpg_.webp",
         "https://img.alicdn.com/a/O1_!!2.jpg"},
        {"https://cbu01.alicdn.com/img/ibank/2019/1_2.60x60.jpg",
         "https://cbu01.alicdn.com/img/ibank/2019/1_2.jpg"},
        {"https://img.alicdn.com/a/O1_!!2.jpg_60x60_q50.jpg",
         "https://img.alicdn.com/a/O1_!!2.jpg"},
    };
    for (const auto& [thumbnail, full] : cases)
        EXPECT_EQ(full_size_picture_address(thumbnail), full);
}

}  // namespace
}  // namespace qinghe
