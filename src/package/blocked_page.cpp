#include "package/blocked_page.h"

namespace qinghe {

bool is_block_page_title(std::string_view title) {
    return contains_text(title, "security-X5") || contains_text(title, "securityX5");
}

bool is_blocked_item_page(std::string_view page_text, const ItemPageFacts& facts) {
    if (facts.has_title || facts.has_gallery || facts.has_description_address) return false;
    return find_block_sign(page_text) != BlockSign::None;
}

}  // namespace qinghe
