#include "harvest/saved_item_page.h"

#include <gtest/gtest.h>

#include "support/gbk_literal.h"

namespace qinghe {
namespace {

using test_support::gbk;

TEST(SavedItemPage, LinesThatNameALocalPage) {
    const std::pair<std::string, std::string> cases[] = {
        {"/home/seller/item.html", "/home/seller/item.html"},
        {"/home/seller/ITEM.HTM", "/home/seller/ITEM.HTM"},
        {"file:///home/seller/item.html", "/home/seller/item.html"},
        {"file:///home/seller/%E5%AE%9D%E8%B4%9D.html", gbk("/home/seller/宝贝.html")},
        {"file:///C:/Users/seller/item.htm", "C:/Users/seller/item.htm"},
        {"C:\\Users\\seller\\item.html", "C:\\Users\\seller\\item.html"},
        // Web addresses, relative paths and other files are no saved pages.
        {"https://detail.1688.com/offer/610003003001.html", ""},
        {"http://item.taobao.com/item.htm?id=1", ""},
        {"item.html", ""},
        {"/home/seller/item.csv", ""},
    };
    for (const auto& [line, path] : cases) EXPECT_EQ(saved_page_path(line), path) << line;
}

TEST(SavedItemPage, ItemAddressFromThePage) {
    ItemFacts canonical;
    canonical.item_address = "https://detail.tmall.com/item.htm?id=600002002002";
    ItemFacts id_only;
    id_only.item_id = "700000400401";
    const struct {
        const char* page;
        const ItemFacts* facts;
        const char* address;
    } cases[] = {
        {"<a href=\"//item.taobao.com/item.htm?id=9\">", &canonical,
         "https://detail.tmall.com/item.htm?id=600002002002"},
        {"<!-- saved from url=(0049)https://item.taobao.com/item.htm?id=700000400401 -->\n<a "
         "href=\"//detail.tmall.com/item.htm?id=9\">",
         &id_only, "https://item.taobao.com/item.htm?id=700000400401"},
        {"<a href=\"//detail.tmall.com/item.htm?id=9\">", &id_only,
         "https://detail.tmall.com/item.htm?id=700000400401"},
        {"<a href=\"https://detail.1688.com/offer/610003003002.html\">", &id_only,
         "https://detail.1688.com/offer/700000400401.html"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(saved_page_item_address(c.page, *c.facts), c.address) << c.page;
    EXPECT_EQ(
        saved_page_item_address("<a href=\"//item.taobao.com/item.htm?id=5881\">", ItemFacts{}),
        "https://item.taobao.com/item.htm?id=5881");
    EXPECT_EQ(saved_page_item_address("<p>nothing</p>", ItemFacts{}), "");
}

}  // namespace
}  // namespace qinghe
