#include "harvest/export_item_package.h"

#include "base/date_time.h"
#include "base/files.h"
#include "base/html.h"
#include "base/text_number.h"
#include "base/web.h"
#include "package/item_page.h"
#include "package/data_package.h"
#include "package/listing_fields.h"
#include "package/package_format.h"
#include "package/package_row.h"
#include "package/sale_properties.h"

namespace qinghe {

namespace {

// A page that shows price ladders (a wholesale offer) is never exported.
constexpr std::string_view kPriceLadder = "price-title ladder-1";
constexpr std::string_view kItemIdKey = "id=";
// 1688 item pages carry their offer number in the path, not in "id=".
constexpr std::string_view kAliItemHost = "detail.1688.com";

// "正在导出CSV数据包中……"
constexpr std::string_view kExportingMessage =
    "\xD5\xFD\xD4\xDA\xB5\xBC\xB3\xF6" "CSV\xCA\xFD\xBE\xDD\xB0\xFC\xD6\xD0\xA1\xAD\xA1\xAD";
// "正在删除CSV数据包中的超链接，很快就可以完成了。"
constexpr std::string_view kStrippingMessage =
    "\xD5\xFD\xD4\xDA\xC9\xBE\xB3\xFD" "CSV\xCA\xFD\xBE\xDD\xB0\xFC\xD6\xD0\xB5\xC4\xB3\xAC\xC1\xB4\xBD\xD3"
    "\xA3\xAC\xBA\xDC\xBF\xEC\xBE\xCD\xBF\xC9\xD2\xD4\xCD\xEA\xB3\xC9\xC1\xCB\xA1\xA3";
// "正在分析CSV数据包的主图及属性图中……"
constexpr std::string_view kPicturesMessage =
    "\xD5\xFD\xD4\xDA\xB7\xD6\xCE\xF6" "CSV\xCA\xFD\xBE\xDD\xB0\xFC\xB5\xC4\xD6\xF7\xCD\xBC\xBC\xB0\xCA\xF4"
    "\xD0\xD4\xCD\xBC\xD6\xD0\xA1\xAD\xA1\xAD";
// "新下载：" count "个文件"
constexpr std::string_view kCounterBefore = "\xD0\xC2\xCF\xC2\xD4\xD8\xA3\xBA";
constexpr std::string_view kCounterAfter = "\xB8\xF6\xCE\xC4\xBC\xFE";

constexpr std::string_view kPictureExtension = ".tbi";

Text ascii_lower(std::string_view t) {
    Text out(t);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

// Fetches a package picture into the package folder unless a file of that
// name is already there. A failed transfer writes nothing, so a later item
// fetches the picture again instead of finding a broken file.
//
// A main picture and an attribute picture of the same file have names that
// differ only in letter case; Taobao Assistant's case-blind file system takes
// them for one file. On a case-sensitive one both names must exist, so the
// second spelling is a copy of the first rather than a second download.
void save_package_picture(MainWindow& window, const ItemHarvest& harvest, const Text& picture_name,
                          std::string_view address) {
    const Text path = join_text({harvest.package_folder_path, picture_name, kPictureExtension});
    if (file_exists(path)) return;
    for (const Text& spelling : {ascii_lower(picture_name), to_upper_text(picture_name)}) {
        const Text other = join_text({harvest.package_folder_path, spelling, kPictureExtension});
        if (spelling != picture_name && file_exists(other)) {
            const Bytes copy = read_file(other);
            if (!copy.empty()) write_file(path, copy);
            return;
        }
    }
    const FetchResult fetched = fetch_url_checked(address);
    if (!fetched.complete || fetched.body.empty() || fetched.status >= 400) return;
    write_file(path, fetched.body);
    window.set_counter_text(join_text({kCounterBefore, number_to_text(harvest.new_download_count), kCounterAfter}));
}

// Step 11: sale values with their names and attribute pictures.
void collect_sale_values(MainWindow& window, const ItemHarvest& harvest, PackageRowFields& fields,
                         int& picture_count, int& status_value) {
    const SaleValues sale = find_sale_values(harvest.page_text);
    fields.has_sale_values = sale.present;
    if (!sale.present) return;
    window.set_status_text(status_message(window.job(), kPicturesMessage));
    Text entries;  // newest first
    for (const SaleValue& value : sale.values) {
        if (value.picture_address.empty()) continue;
        const Text name = attribute_picture_name(value.picture_address);
        save_package_picture(window, harvest, name, value.picture_address);
        entries = attribute_picture_entry(name, value.value_id) + entries;
        ++picture_count;
        status_value = 2;
    }
    fields.sale_values = sale_values_text(sale.values);
    fields.property_names = property_names_text(sale.values);
    fields.attribute_picture_entries = entries;
}

// Step 12: the main pictures of the thumbnail strip.
void collect_main_pictures(MainWindow& window, const ItemHarvest& harvest, PackageRowFields& fields,
                           int& picture_count) {
    const std::vector<MainPicture> pictures = find_main_pictures(harvest.page_text);
    for (size_t k = 0; k < pictures.size(); ++k) {
        save_package_picture(window, harvest, pictures[k].name, pictures[k].fetch_address);
        fields.main_picture_entries += main_picture_entry(pictures[k].name, static_cast<int>(k));
        ++picture_count;
    }
}

void write_package(MainWindow& window, const ItemHarvest& harvest) {
    DataPackage& package = data_package();
    JobOptions options = window.options();
    if (options.package_kind() == PackageKind::Independent && options.export_data_package()) {
        const Bytes bytes = package_file_bytes(package.package_row());
        write_file(join_text({harvest.item_folder_path, "\\", kIndependentPackageFileName}), bytes);
        return;
    }
    package.add_composite_row();
    const Text path = join_text(
        {window.save_folder_text(), "\\", window.job().batch_folder_name, "\\", kCompositePackageFileName});
    // The rows are written straight from the package's buffer: a batch's
    // file is rewritten whole at every item and may be tens of megabytes.
    write_file(path, {package_header(), "\r\n", package.composite_rows()});
}

}  // namespace

void export_item_package(MainWindow& window, ItemHarvest& harvest) {
    const Text& page = harvest.page_text;
    JobOptions options = window.options();
    if (!options.export_data_package() || contains_text(page, kPriceLadder)) return;
    window.set_status_text(status_message(window.job(), kExportingMessage));

    const Text address = window.job().current_address;
    if (!contains_text(address, kItemIdKey) && !contains_text(address, kAliItemHost)) return;

    const MarketplaceKind kind = detect_marketplace(page);
    PackageRowFields fields;
    fields.title = extract_title(page);
    fields.category_run = category_and_shop_run(page);
    fields.location_run = location_run(location_text(page, kind, [](std::string_view script_address) {
        return fetch_url(script_address);
    }));
    fields.price = price_text(page, kind);

    if (options.remove_hyperlinks()) {
        window.set_status_text(status_message(window.job(), kStrippingMessage));
        window.set_description_store(strip_hyperlinks(window.description_store()));
    }
    fields.list_time = format_date_time(now());
    fields.description = window.description_store();

    int picture_count = 0;
    int status_value = 1;
    collect_sale_values(window, harvest, fields, picture_count, status_value);
    collect_main_pictures(window, harvest, fields, picture_count);
    fields.sku_props = sale_combinations_text(page);
    const BrandAndModel brand = brand_and_model(page);
    fields.input_values = brand.input_values;
    if (is_1688_address(address)) {
        fields.sku_props.clear();
        fields.input_values.clear();
    }
    fields.picture_status = picture_status_text(status_value, picture_count);
    fields.outer_id = finish_outer_id(brand.outer_id);
    fields.modified = format_date_time(now());
    fields.user_name = user_name(page, address);
    fields.subtitle = selling_point(page);
    fields.item_id = harvest.item_id;

    data_package().package_row() = assemble_package_row(fields);
    write_package(window, harvest);
}

}  // namespace qinghe
