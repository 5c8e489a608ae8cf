// Item pages saved from the browser and named on the address list.
//
// A seller whose marketplace blocks scripted fetches opens the item in the
// browser, saves it as a web page and puts the saved file on the list (or
// drops it on the address box). The harvest then reads the page from disk
// and takes the item's address from the page itself.
#pragma once

#include "base/text.h"
#include "package/item_facts.h"

namespace qinghe {

// The program path of the saved page a line of the address list names, or
// the empty text when the line is no local ".html"/".htm" file: a native
// absolute path ("/…", "C:\…", "C:/…", "\\\\server\\…") or a "file://"
// address (percent escapes decoded).
Text saved_page_path(std::string_view line);

// The item's web address as the saved page names it, in this order: the
// canonical address or item id the page facts hold, the browser's
// "saved from url=" comment, the "id=" of the page's own item links. A bare
// id becomes the item address of the marketplace the page belongs to.
// Empty when the page names none.
Text saved_page_item_address(std::string_view page, const ItemFacts& facts);

}  // namespace qinghe
