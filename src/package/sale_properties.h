// Package pictures and sale properties, read out of the prepared item page.
//
// Pure functions of texts: they find the sale values, the main pictures and
// the sale combinations and build the column texts; the export fetches and
// writes the pictures they name.
#pragma once

#include <string_view>
#include <vector>

#include "base/text.h"
#include "package/item_facts.h"

namespace qinghe {

// One "<li data-value=...>" element of the page's sale property list.
struct SaleValue {
    Text value_id;         // "pid:vid"
    Text name;             // title attribute or span text, quotes removed; may be empty
    Text picture_address;  // "background:url(" address without its thumbnail ending; may be empty
};

struct SaleValues {
    bool present = false;           // the page has "<li data-value=\""
    std::vector<SaleValue> values;  // page order
};

SaleValues find_sale_values(std::string_view page);

// Column 22 without placeholders: value ids newest first, each followed by ";".
Text sale_values_text(const std::vector<SaleValue>& values);
// Column 35: "pid:vid:name;" items newest first, for values with a name.
Text property_names_text(const std::vector<SaleValue>& values);

// The name of a package picture: MD5 of the last "/" segment of the address,
// lowercase for main pictures, uppercase for attribute pictures.
Text main_picture_name(std::string_view address);
Text attribute_picture_name(std::string_view address);

// "NAME:2:0:pid:vid|;"
Text attribute_picture_entry(const Text& picture_name, const Text& value_id);
// "name:1:k:|;"
Text main_picture_entry(const Text& picture_name, int position);

struct MainPicture {
    Text fetch_address;  // what is fetched
    Text name;           // lowercase picture name
};
// The main pictures of the first thumbnail branch whose marker the page
// holds, in page order; empty when none applies.
std::vector<MainPicture> find_main_pictures(std::string_view page);

// Column 31: "price:stock::key;" items from the "skuMap" object, newest first.
Text sale_combinations_text(std::string_view page);

// Column 27: status value + ";" repeated count times.
Text picture_status_text(int status_value, int picture_count);

// The sale values of facts read from a newer page form, in page order, in
// the classic shape: value id "pid:vid", name, full-size picture address.
// A value without an id of its own (1688 names none) gets a made-up one:
// "-" and 1000 + its position in its property (from 1), "1627207:-1001",
// the form Taobao Assistant gives a seller's own values; a property without
// an id gets its position among the properties (from 1). The same page
// therefore always gives the same ids.
std::vector<SaleValue> sale_values_from_facts(const ItemFacts& facts);

// Column 31 from facts: "price:stock::pid:vid;pid:vid;" items, newest first.
// A combination whose path names values by name (1688: "藍色&gt;350ml")
// takes the ids sale_values_from_facts gives them; one naming a value that
// is not among the sale values is left out.
Text sale_combinations_from_facts(const ItemFacts& facts);

// The gallery of facts as main pictures: fetched as it stands, named by the
// last segment of its address.
std::vector<MainPicture> main_pictures_from_facts(const ItemFacts& facts);

}  // namespace qinghe
