// What an item page tells about its item: the marketplace it belongs to and
// its title.
#pragma once

#include "base/text.h"

namespace qinghe {

enum class MarketplaceKind { Taobao, Tmall, Ali1688 };

// Pure identification helpers; the same rules serve every stage.
MarketplaceKind detect_marketplace(std::string_view page_text);
bool is_1688_address(std::string_view address);
Text extract_title(std::string_view page_text);

}  // namespace qinghe
