// An item's package row built from its page alone: the pure part of the
// package export, with no fetch and no window.
#pragma once

#include <optional>

#include "base/text.h"

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
};

// The row in placeholder form (see assemble_package_row). Its picture
// entries name the package pictures that the export saves as ".tbi" files.
Text build_package_row(const PackageRowInput& input);

}  // namespace qinghe
