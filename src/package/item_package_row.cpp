#include "package/item_package_row.h"

#include "package/item_page.h"
#include "package/listing_fields.h"
#include "package/package_row.h"
#include "package/sale_properties.h"

namespace qinghe {

Text build_package_row(const PackageRowInput& input) {
    const std::string_view page = input.page;
    const MarketplaceKind kind = detect_marketplace(page);
    PackageRowFields fields;
    fields.title = extract_title(page);
    fields.category_run = category_and_shop_run(page);
    fields.location_run = location_run(input.location);
    fields.price = price_text(page, kind);
    fields.list_time = input.list_time;
    fields.description = Text(input.description);

    // Attribute pictures count towards the picture column's status; any of
    // them makes the status 2.
    int picture_count = 0;
    int status_value = 1;
    const SaleValues sale = find_sale_values(page);
    fields.has_sale_values = sale.present;
    if (sale.present) {
        Text entries;  // newest first
        for (const SaleValue& value : sale.values) {
            if (value.picture_address.empty()) continue;
            const Text name = attribute_picture_name(value.picture_address);
            entries = attribute_picture_entry(name, value.value_id) + entries;
            ++picture_count;
            status_value = 2;
        }
        fields.sale_values = sale_values_text(sale.values);
        fields.property_names = property_names_text(sale.values);
        fields.attribute_picture_entries = entries;
    }
    const std::vector<MainPicture> pictures = find_main_pictures(page);
    for (size_t k = 0; k < pictures.size(); ++k) {
        fields.main_picture_entries += main_picture_entry(pictures[k].name, static_cast<int>(k));
        ++picture_count;
    }

    fields.sku_props = sale_combinations_text(page);
    const BrandAndModel brand = brand_and_model(page);
    fields.input_values = brand.input_values;
    if (is_1688_address(input.address)) {
        fields.sku_props.clear();
        fields.input_values.clear();
    }
    fields.picture_status = picture_status_text(status_value, picture_count);
    fields.outer_id = finish_outer_id(brand.outer_id);
    fields.modified = input.modified;
    fields.user_name = user_name(page, input.address);
    fields.subtitle = selling_point(page);
    fields.item_id = input.item_id;
    return assemble_package_row(fields);
}

}  // namespace qinghe
