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

// Columns 5 and 6 for a location in a newer form ("广东省 汕头市",
// "江苏南京"): province and city through the province table; a text the
// table does not know is cut as location_run cuts it.
Text split_location_run(std::string_view location);
// The location text names an administrative suffix (省, 市, 自治区): the
// 1688 form "广东省 汕头市", which the four-byte cut would turn into 广东 /
// 头市. Such a text is split through the province table even when it comes
// through a long-standing marker.
bool names_division_suffix(std::string_view location);

// Column 8 without its comma: the lower end of a " - " range; "0" on a 1688
// page that names no price.
Text price_text(std::string_view page, MarketplaceKind kind);

// The page names its price in the marketplace's long-standing form: the
// marker is there and what it gives is a price (digits, points, a range).
bool has_classic_price(std::string_view page, MarketplaceKind kind);
// Column 8 from a price read out of a newer form: the lower end of a range
// ("5499.00-6799.00" gives 5499.00).
Text lower_price(std::string_view price);

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
