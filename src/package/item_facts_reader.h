// Reads an item page in the newer forms into ItemFacts. The classic page
// forms are not read here: their stages keep reading the page themselves,
// and the facts are consulted only where the classic markers are absent.
#pragma once

#include "package/item_facts.h"

namespace qinghe {

// page: the item page as GBK text, before the ")" preparation of the
// harvest (data in scripts must stay intact). page_address: the item address
// the page came from, or the canonical address of a page read from disk.
ItemFacts read_item_facts(std::string_view page, std::string_view page_address);

}  // namespace qinghe
