// The item shapes of the package benchmarks: a Tmall-shaped page with no
// location script to fetch, five main pictures, three sale values and a
// sale-combination map, and a 20 KB description.
#pragma once

#include <string>

#include "base/text.h"

namespace qinghe::bench_items {

inline Text item_page(int n) {
    Text page =
        "<title>Item " + std::to_string(n) + "-tmall.com</title>\"descUrl\":\"http://d.test/x\"";
    page +=
        "<a href=\"?q=1%5f50010850&s=1\">shopId=60129786;<input name=\"region\" value=\"ABCDEFGH\">";
    page += "<span>&yen;199.00</span>";
    for (int v = 0; v < 3; ++v) {
        page += "<li data-value=\"20509:" + std::to_string(v) + "\" title=\"v" + std::to_string(v) +
                "\"></li>";
    }
    page += "<ul class=\"tb-selected\">";
    for (int p = 0; p < 5; ++p) {
        page += "<img src=\"http://img.invalid/i" + std::to_string(p) + ".jpg_50x50.jpg\">";
    }
    page += "</ul><p>selling point</p>";
    page += "skuMap\":{\";20509:0;\":{\"price\":\"1.00\",\"stock\":3}}";
    return page;
}

inline Text description() {
    Text d;
    while (d.size() < 20 * 1024)
        d += "<p><img alt=\"\" src=\"http://img.invalid/d.jpg\"> text, \"quoted\"</p>\r\n";
    return d;
}

}  // namespace qinghe::bench_items
