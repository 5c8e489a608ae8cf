// Item pages that are answers of blocking instead of the item. The signs
// themselves (BlockSign, find_block_sign) are shared with the shop
// collectors and live in base/block_signs.h.
#pragma once

#include <string_view>

#include "base/block_signs.h"
#include "base/text.h"

namespace qinghe {

// What the marker tables found of the item itself. A title counts only
// when it is not the title of a block page (is_block_page_title).
struct ItemPageFacts {
    bool has_title = false;
    bool has_gallery = false;
    bool has_description_address = false;
};

// A title that block pages carry ("security-X5", or "securityX5" once the
// title cleaning has taken its "-" out), not an item's.
bool is_block_page_title(std::string_view title);

// An item page is blocked when it lacks the item (no title, gallery or
// description address of any form) and carries a sign of blocking.
bool is_blocked_item_page(std::string_view page_text, const ItemPageFacts& facts);

}  // namespace qinghe
