// What an item page tells about its item: the marketplace it belongs to and
// its title.
#pragma once

#include "base/text.h"

namespace qinghe {

enum class MarketplaceKind { Taobao, Tmall, Ali1688 };

// Pure identification helpers; the same rules serve every stage.
MarketplaceKind detect_marketplace(std::string_view page_text);
// The marketplace of a page fetched from (or saved from) address. The page's
// own markers decide while the page carries one in its long-standing form
// ("g_config.dynamicScript(" or "\"descUrl\":\""), so those pages keep the
// result of detect_marketplace whatever their host. A page without them (a
// Taobao page of 2020 names its description as `descUrl          : …` and
// would read as Tmall) takes the marketplace its address's host names:
// item.taobao.com, detail.tmall.com, detail.1688.com. Other hosts leave the
// page's own answer.
MarketplaceKind detect_marketplace(std::string_view page_text, std::string_view address);
bool is_1688_address(std::string_view address);
Text extract_title(std::string_view page_text);

}  // namespace qinghe
