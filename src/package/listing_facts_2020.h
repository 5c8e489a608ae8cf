// The listing fields of item pages of 2017 to 2020.
#pragma once

#include "package/item_facts.h"

namespace qinghe {

// Fills title, price, location, category_id, seller_nick, sku_properties
// (with their pictures) and sku_combinations of facts when the page holds
// them in one of the 2017-2020 forms, and sets found then.
void read_2020_listing_facts(std::string_view page, std::string_view page_address,
                             ItemFacts& facts);

}  // namespace qinghe
