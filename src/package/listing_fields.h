// The listing fields of a package row, cut out of the prepared item page.
//
// Pure functions of texts. A marker that a rule needs and the page lacks
// gives the empty value for that field; nothing here stops the export.
#pragma once

#include <functional>
#include <optional>
#include <string_view>

#include "base/text.h"
#include "package/item_page.h"

namespace qinghe {

// Columns 2 to 4 as appended to the row: category number, quoted shop
// number and 0 on Taobao and Tmall pages; "0,0,0," on other pages.
Text category_and_shop_run(std::string_view page);

// Fetches the Taobao seller-location script; the export passes fetch_url.
using ScriptFetcher = std::function<Bytes(std::string_view address)>;

// The seller's location text, or nothing when the page lacks its marker.
// Only Taobao pages fetch the location script.
std::optional<Text> location_text(std::string_view page, MarketplaceKind kind,
                                  const ScriptFetcher& fetch_script);
// The location inside the Taobao location script.
Text location_from_script(std::string_view script);
// Columns 5 and 6 as appended to the row: province and city, the first and
// the last two double-byte characters (four bytes) of the location text,
// never cutting a character in half.
Text location_run(const std::optional<Text>& location);

// Column 8 without its comma: the lower end of a " - " range; "0" on a 1688
// page that names no price.
Text price_text(std::string_view page, MarketplaceKind kind);

struct BrandAndModel {
    Text input_values;  // brand, then ";型号;" + model + ";" when there is a model
    Text outer_id;      // the model
};
BrandAndModel brand_and_model(std::string_view page);

// Column 34 as written: a model holding "{" (script text, not a model) is one space.
Text finish_outer_id(std::string_view outer_id);

// Column 40: the seller nickname; percent-escaped UTF-8 is decoded to GBK
// except on 1688 addresses.
Text user_name(std::string_view page, std::string_view address);

// Column 58: the selling-point line with every space and tab taken out.
Text selling_point(std::string_view page);

}  // namespace qinghe
