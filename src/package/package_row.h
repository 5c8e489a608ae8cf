// Assembly of one package row, in placeholder form, from the texts the
// export collected for it.
#pragma once

#include "base/text.h"

namespace qinghe {

// The collected texts of one row; each holds its column's value as it goes
// into the row (runs already built where a column's form depends on the page).
struct PackageRowFields {
    Text title;         // 1
    Text category_run;  // 2 to 4, as built by category_and_shop_run
    Text location_run;  // 5 and 6, as built by location_run
    Text price;         // 8
    Text list_time;     // 20
    Text description;   // 21, before its double quotes are doubled
    bool has_sale_values = false;
    Text sale_values;                // 22
    Text modified;                   // 25
    Text picture_status;             // 27
    Text main_picture_entries;       // 29, first part
    Text attribute_picture_entries;  // 29, second part
    Text sku_props;                  // 31
    Text input_values;               // 33
    Text outer_id;                   // 34
    Text property_names;             // 35
    Text item_id;                    // 37
    Text user_name;                  // 40
    Text subtitle;                   // 58
};

// The row with "|||" for every delimiting quote, "," after every column but
// the last and no line end. Double quotes of the description are doubled;
// a value cut off in the middle of a double-byte character loses the
// dangling byte, so it cannot swallow the quote that follows it.
Text assemble_package_row(const PackageRowFields& f);

}  // namespace qinghe
