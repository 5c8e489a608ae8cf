// Package pictures and sale properties, read out of the prepared item page.
//
// Pure functions of texts: they find the sale values, the main pictures and
// the sale combinations and build the column texts; the export fetches and
// writes the pictures they name.
#pragma once

#include <string_view>
#include <vector>

#include "base/text.h"

namespace qinghe {

// One "<li data-value=...>" element of the page's sale property list.
struct SaleValue {
    Text value_id;          // "pid:vid"
    Text name;              // title attribute or span text, quotes removed; may be empty
    Text picture_address;   // "background:url(" address without its thumbnail ending; may be empty
};

struct SaleValues {
    bool present = false;  // the page has "<li data-value=\""
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

}  // namespace qinghe
