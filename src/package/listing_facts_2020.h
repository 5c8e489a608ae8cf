// The listing fields of item pages of 2017 to 2020.
#pragma once

#include "package/item_facts.h"

namespace qinghe {

// Fills title, price, location, category_id, seller_nick, sku_properties
// (with their pictures) and sku_combinations of facts when the page holds
// them in one of the 2017-2020 forms, and sets found then.
//
// Fields the classic markup gives are read too (the classic row of each
// table comes first), but only a field found in a newer form sets found: a
// page in the classic forms leaves found false, and its package row is
// built from the page alone, as always. The title is extract_title's.
void read_2020_listing_facts(std::string_view page, std::string_view page_address,
                             ItemFacts& facts);

// The address of the seller-location answer ("sib") that Taobao pages of
// 2017 to 2020 name in g_config (`sibUrl           : '//detailskip…'`),
// resolved against page_address; empty when the page names none. Its JSON
// answer holds "sendCity":"浙江杭州".
Text sib_location_address(std::string_view page, std::string_view page_address);

}  // namespace qinghe
