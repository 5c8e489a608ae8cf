#include "package/item_package_row.h"

#include "package/item_page.h"
#include "package/listing_fields.h"
#include "package/package_row.h"

namespace qinghe {

namespace {

constexpr std::string_view kCategoryStart = "%5f";
constexpr std::string_view kNick = "data-nick=\"";

bool classic_pictures(const std::vector<SaleValue>& values) {
    for (const SaleValue& value : values) {
        if (!value.picture_address.empty() && !value.picture_address.starts_with("http://"))
            return false;
    }
    return true;
}

// Columns 2 to 4 with the category of a newer page form. The classic run
// had an empty category (it starts with its comma); the shop number stays
// what the page's long-standing marker gives.
Text category_run_from_facts(const Text& classic_run, const Text& category) {
    if (classic_run == "0,0,0,") return join_text({whole_characters(category), ",0,0,"});
    return whole_characters(category) + classic_run;
}

}  // namespace

std::string_view listing_address(std::string_view address, const ItemFacts* facts) {
    if (facts != nullptr && facts->found && !facts->item_address.empty())
        return facts->item_address;
    return address;
}

RowPictures row_pictures(std::string_view page, const ItemFacts* facts) {
    RowPictures pictures;
    const bool newer = facts != nullptr && facts->found;
    SaleValues sale = find_sale_values(page);
    if (newer && !facts->sku_properties.empty() &&
        (!sale.present || !classic_pictures(sale.values))) {
        sale = {true, sale_values_from_facts(*facts)};
    }
    pictures.has_sale_values = sale.present;
    pictures.sale_values = std::move(sale.values);
    pictures.main_pictures = find_main_pictures(page);
    if (newer && pictures.main_pictures.empty())
        pictures.main_pictures = main_pictures_from_facts(*facts);
    return pictures;
}

Text build_package_row(const PackageRowInput& input) {
    const std::string_view page = input.page;
    const ItemFacts* newer = input.facts != nullptr && input.facts->found ? input.facts : nullptr;
    const MarketplaceKind kind = detect_marketplace(page, listing_address(input.address, newer));
    PackageRowFields fields;
    fields.title = extract_title(page);
    // The facts' title is the item's own, not the page's: kept as it is but
    // for double quotes, which the quoted title column cannot hold.
    if (newer && !newer->title.empty()) fields.title = remove_text(newer->title, "\"");
    fields.category_run = category_and_shop_run(page);
    if (newer && !newer->category_id.empty() && text_between(page, kCategoryStart, "&").empty()) {
        fields.category_run = category_run_from_facts(fields.category_run, newer->category_id);
    }
    if (input.location) {
        fields.location_run = names_division_suffix(*input.location)
                                  ? split_location_run(*input.location)
                                  : location_run(input.location);
    } else if (input.fetched_location && !input.fetched_location->empty()) {
        fields.location_run = split_location_run(*input.fetched_location);
    } else if (newer && !newer->location.empty()) {
        fields.location_run = split_location_run(newer->location);
    } else {
        fields.location_run = location_run(std::nullopt);
    }
    fields.price = price_text(page, kind);
    if (newer && !newer->price.empty() && !has_classic_price(page, kind)) {
        fields.price = lower_price(newer->price);
    }
    fields.list_time = input.list_time;
    fields.description = Text(input.description);

    // Attribute pictures count towards the picture column's status; any of
    // them makes the status 2.
    int picture_count = 0;
    int status_value = 1;
    const RowPictures pictures = row_pictures(page, newer);
    fields.has_sale_values = pictures.has_sale_values;
    if (pictures.has_sale_values) {
        Text entries;  // newest first
        for (const SaleValue& value : pictures.sale_values) {
            if (value.picture_address.empty()) continue;
            const Text name = attribute_picture_name(value.picture_address);
            entries = attribute_picture_entry(name, value.value_id) + entries;
            ++picture_count;
            status_value = 2;
        }
        fields.sale_values = sale_values_text(pictures.sale_values);
        fields.property_names = property_names_text(pictures.sale_values);
        fields.attribute_picture_entries = entries;
    }
    for (size_t k = 0; k < pictures.main_pictures.size(); ++k) {
        fields.main_picture_entries +=
            main_picture_entry(pictures.main_pictures[k].name, static_cast<int>(k));
        ++picture_count;
    }

    fields.sku_props = sale_combinations_text(page);
    if (newer && !newer->sku_combinations.empty())
        fields.sku_props = sale_combinations_from_facts(*newer);
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
    if (newer && !contains_text(page, kNick)) fields.user_name = newer->seller_nick;
    fields.subtitle = selling_point(page);
    fields.item_id = input.item_id;
    return assemble_package_row(fields);
}

}  // namespace qinghe
