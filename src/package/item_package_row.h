// An item's package row built from its page alone: the pure part of the
// package export, with no fetch and no window.
#pragma once

#include <optional>
#include <vector>

#include "base/text.h"
#include "package/item_facts.h"
#include "package/sale_properties.h"

namespace qinghe {

// What the row needs besides the page: values the export gets from the
// window, the clock and the web.
struct PackageRowInput {
    std::string_view page;         // the prepared page text
    std::string_view address;      // the item address
    std::string_view description;  // the description store, hyperlinks already removed where chosen
    std::optional<Text> location;  // as location_text found it (it may fetch a script)
    Text list_time;                // column 20, taken before the package pictures are saved
    Text modified;                 // column 25, taken after them
    Text item_id;                  // column 37
    // What a newer page form told of the item (read_item_facts). Consulted
    // only when facts->found, and then only for the columns whose
    // long-standing marker the page lacks: a page in the classic forms gives
    // the same row with or without it.
    const ItemFacts* facts = nullptr;
    // The seller's location from an answer the export fetched for a newer
    // page form (Taobao's sib answer); used when location is empty.
    std::optional<Text> fetched_location;
};

// The row in placeholder form (see assemble_package_row). Its picture
// entries name the package pictures that the export saves as ".tbi" files.
Text build_package_row(const PackageRowInput& input);

// The address whose host names the marketplace of a page: the item address
// a newer page form names (a page saved from the browser, read from disk,
// names its own), else the address the page came from.
std::string_view listing_address(std::string_view address, const ItemFacts* facts);

// The pictures a row names, which the export saves into the package folder.
struct RowPictures {
    bool has_sale_values = false;        // column 22 lists sale values
    std::vector<SaleValue> sale_values;  // page order
    std::vector<MainPicture> main_pictures;
};
// From the page's "<li data-value" list and thumbnail strip; from the facts
// of a newer page form instead where the page has no strip, no sale list,
// or a sale list whose pictures are not in the long-standing "http://" form.
RowPictures row_pictures(std::string_view page, const ItemFacts* facts);

}  // namespace qinghe
