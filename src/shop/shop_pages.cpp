#include "shop/shop_pages.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "base/block_signs.h"
#include "base/text_number.h"

namespace qinghe {
namespace {

constexpr char kScheme[] = "http://";
constexpr char kSecureScheme[] = "https://";

// Shop addresses are recognised by these domains anywhere in the text.
constexpr char kTmallDomain[] = "tmall.com";
constexpr char kTaobaoDomain[] = "taobao.com";
constexpr char k1688Domain[] = "1688.com";

// <b class="ui-page-s-len">1/23</b>
constexpr ShopMarkers kTmallMarkers{
    "/search.htm?search=y", "ui-page-s-len\">", "/search.htm?search=y&pageNo=", "",
    "http://detail.tmall.com/item.htm?id=", "&", "",
    // <a href="//detail.tmall.com/item.htm?id=…"> and "https://detail.tmall.com/…"
    "//detail.tmall.com/item.htm?id="};
// <span class="page-info">1/23</span>; item links may carry "&on_comment=1".
constexpr ShopMarkers kTaobaoMarkers{
    "/search.htm?search=y", "page-info\">", "/search.htm?search=y&pageNo=", "&on_comment=1",
    "http://item.taobao.com/item.htm?id=", "\"", "",
    // <a href="//item.taobao.com/item.htm?id=554113831403"> and "https://item.taobao.com/…"
    "//item.taobao.com/item.htm?id="};
// <em class="page-count">12</em>
constexpr ShopMarkers k1688Markers{
    "/page/offerlist.htm", "page-count\">", "/page/offerlist.htm?pageNum=", "",
    "http://detail.1688.com/offer/", ".html", ".html",
    // <a href="//detail.1688.com/offer/….html"> and "https://detail.1688.com/offer/….html"
    "//detail.1688.com/offer/"};

// An empty or non-numeric count reads as 0 pages.
int whole_pages(const Text& count_text) {
    double pages = std::trunc(text_to_number(count_text));
    if (!(pages > 0)) return 0;  // also NaN
    if (pages > kMaxShopPages) return kMaxShopPages;
    return static_cast<int>(pages);
}

// The leading ASCII digits of text.
Text leading_digits(const Text& text) {
    size_t n = 0;
    while (n < text.size() && text[n] >= '0' && text[n] <= '9') ++n;
    return text.substr(0, n);
}

bool ends_with(const Text& text, std::string_view end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Ids of the links behind the newer item marker that are not in the
// "http://" form the item marker reads, and not yet in ids.
void add_newer_item_ids(const ShopMarkers& markers, const Text& page, std::vector<Text>& ids) {
    TextList pieces = split_text(page, markers.newer_item_marker);
    for (int n = 2; n <= pieces.count(); ++n) {
        if (ends_with(pieces.at(n - 1), "http:")) continue;
        Text id = leading_digits(pieces.at(n));
        if (id.empty() || std::find(ids.begin(), ids.end(), id) != ids.end()) continue;
        ids.push_back(std::move(id));
    }
}

}  // namespace

const ShopMarkers& shop_markers(ShopKind kind) {
    switch (kind) {
        case ShopKind::Tmall: return kTmallMarkers;
        case ShopKind::Taobao: return kTaobaoMarkers;
        case ShopKind::Ali1688: break;
    }
    return k1688Markers;
}

ShopAddressCheck check_shop_address(const Text& typed) {
    ShopAddressCheck check;
    check.box_text = typed;
    if (typed.empty()) return check;
    // An address copied from the browser's address bar ("https://…") keeps
    // its scheme; any other gets "http://" unless it holds one somewhere.
    const bool secure = typed.rfind(kSecureScheme, 0) == 0;
    if (!secure && !contains_text(typed, kScheme)) check.box_text = kScheme + typed;
    const Text& address = check.box_text;
    if (!contains_text(address, kTmallDomain) && !contains_text(address, k1688Domain) &&
        !contains_text(address, kTaobaoDomain)) {
        check.verdict = AddressVerdict::NotAShop;
        return check;
    }
    // "http:", "", host, path...: only the host is kept.
    check.box_text = (secure ? kSecureScheme : kScheme) + split_text(address, "/").at(3);
    check.verdict = AddressVerdict::Accepted;
    if (contains_text(check.box_text, kTmallDomain)) {
        check.kind = ShopKind::Tmall;
    } else if (contains_text(check.box_text, kTaobaoDomain)) {
        check.kind = ShopKind::Taobao;
    } else {
        check.kind = ShopKind::Ali1688;
    }
    return check;
}

int list_page_count(ShopKind kind, const Text& first_page) {
    const ShopMarkers& markers = shop_markers(kind);
    if (!contains_text(first_page, markers.count_marker)) return -1;
    Text after_marker = split_text(first_page, markers.count_marker).at(2);
    // A page cut off right behind the marker holds no count at all.
    if (after_marker.empty()) return 1;
    Text count_text = split_text(after_marker, "<").at(1);
    if (kind == ShopKind::Ali1688) return whole_pages(count_text);
    // "1/23": the part after "/" is the number of pages.
    if (!contains_text(count_text, "/")) return 1;
    return whole_pages(split_text(count_text, "/").at(2));
}

std::vector<Text> list_page_item_ids(ShopKind kind, const Text& page) {
    const ShopMarkers& markers = shop_markers(kind);
    Text cleaned = *markers.clean_up ? replace_text(page, markers.clean_up) : page;
    TextList pieces = split_text(cleaned, markers.item_prefix);
    std::vector<Text> ids;
    for (int n = 2; n <= pieces.count(); ++n) {
        Text id = split_text(pieces.at(n), markers.id_end).at(1);
        if (!id.empty()) ids.push_back(std::move(id));
    }
    add_newer_item_ids(markers, cleaned, ids);
    return ids;
}

bool is_blocked_first_page(ShopKind kind, const Text& first_page) {
    const bool has_listing =
        list_page_count(kind, first_page) >= 0 || !list_page_item_ids(kind, first_page).empty();
    return is_blocked_shop_page(first_page, has_listing);
}

Text item_address(ShopKind kind, const Text& id) {
    const ShopMarkers& markers = shop_markers(kind);
    return markers.item_prefix + id + markers.item_suffix;
}

}  // namespace qinghe
