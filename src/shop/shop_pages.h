// Reading shop addresses and shop list pages. Pure functions of texts; the
// collectors in shop_link_session.cpp fetch the pages and call these.
#pragma once

#include <vector>

#include "base/text.h"

namespace qinghe {

enum class ShopKind { Tmall, Taobao, Ali1688 };

// The literal parts of one marketplace's shop pages and item addresses.
struct ShopMarkers {
    const char* first_page_path;  // after the shop address
    const char* count_marker;     // the page-count text follows it
    const char* list_page_path;   // after the shop address, before the page number
    const char* clean_up;         // removed from every list page; may be empty
    const char* item_prefix;      // the item address up to the id; also the item marker
    const char* id_end;           // the id ends before this
    const char* item_suffix;      // written after the id
    // Item links of the newer list pages, read after the item marker: the
    // item address without its scheme, so that "https://…" and "//…" links
    // are found ("http://…" links are the item marker's).
    const char* newer_item_marker;
};

const ShopMarkers& shop_markers(ShopKind kind);

enum class AddressVerdict { Empty, NotAShop, Accepted };

struct ShopAddressCheck {
    AddressVerdict verdict = AddressVerdict::Empty;
    // What the shop address box holds afterwards: the typed text, with
    // "http://" put in front when it held none, and on acceptance only
    // "http://" and the host.
    Text box_text;
    ShopKind kind = ShopKind::Ali1688;  // meaningful when Accepted
};

// Validates and normalises the text of the shop address box.
ShopAddressCheck check_shop_address(const Text& typed);

// The number of list pages told by a shop's first page, or -1 when the
// page-count marker is missing. A marker at the very end of the page, or
// (Tmall, Taobao) a count text without "/", means one page; an empty or
// non-numeric count means 0 pages. The count is never below 0 and is
// capped at kMaxShopPages so that a hostile page cannot make it absurd.
inline constexpr int kMaxShopPages = 100000;
int list_page_count(ShopKind kind, const Text& first_page);

// The item ids of a list page, the clean-up applied first: those behind the
// item marker in page order (an empty id, of two adjacent item markers, is
// skipped), then the ids of "https://" and scheme-relative links that the
// first ones do not hold, in page order. Such an id is the run of digits
// behind the newer item marker.
std::vector<Text> list_page_item_ids(ShopKind kind, const Text& page);

// The first page of a shop answered with a sign of blocking (an anti-spider
// answer, a login redirect, a captcha) instead of its page count and items.
bool is_blocked_first_page(ShopKind kind, const Text& first_page);

// The item address of an id, without a line end.
Text item_address(ShopKind kind, const Text& id);

}  // namespace qinghe
