#include "harvest/export_item_package.h"

#include <set>
#include <utility>
#include <vector>

#include "base/date_time.h"
#include "base/files.h"
#include "base/gbk_text.h"
#include "base/html.h"
#include "base/page_charset.h"
#include "base/prefetch.h"
#include "base/text_number.h"
#include "base/web.h"
#include "harvest/composite_package.h"
#include "harvest/save_picture.h"
#include "package/data_package.h"
#include "package/item_package_row.h"
#include "package/item_page.h"
#include "package/listing_facts_2020.h"
#include "package/listing_fields.h"
#include "package/package_format.h"
#include "package/sale_properties.h"

namespace qinghe {

namespace {

// A page that shows price ladders (a wholesale offer) is never exported.
constexpr std::string_view kPriceLadder = "price-title ladder-1";
constexpr std::string_view kItemIdKey = "id=";
// 1688 item pages carry their offer number in the path, not in "id=".
constexpr std::string_view kAliItemHost = "detail.1688.com";

constexpr std::string_view kPictureExtension = ".tbi";

Text ascii_lower(std::string_view t) {
    Text out(t);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

// Fetches a package picture into the package folder unless a file of that
// name is already there. A failed transfer (status >= 400 too) writes
// nothing, so a later item fetches the picture again instead of finding a
// broken file. Package pictures are not listed in the file list box and do
// not raise the download count: the label shows the count the earlier
// stages reached.
//
// A main picture and an attribute picture of the same file have names that
// differ only in letter case; Taobao Assistant's case-blind file system takes
// them for one file. On a case-sensitive one both names must exist, so the
// second spelling is a copy of the first rather than a second download.
void save_package_picture(MainWindow& window, ItemHarvest& harvest, const Text& picture_name,
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
    save_picture(window, {.address = Text(address),
                          .file_name = join_text({picture_name, kPictureExtension}),
                          .folder = harvest.package_folder_path,
                          .listing = FileListing::Never,
                          .http_error_fails = true,
                          .count = &harvest.new_download_count,
                          .counting = Counting::ShowOnly});
}

// The addresses save_package_picture fetches for these pictures, in their
// order: a name that is on disk already, in either spelling, or that an
// earlier picture of the list brings is passed over there.
std::vector<std::string> coming_package_pictures(
    const ItemHarvest& harvest, const std::vector<std::pair<Text, Text>>& pictures) {
    std::vector<std::string> addresses;
    std::set<Text> brought;  // lower-case names
    for (const auto& [name, address] : pictures) {
        if (!brought.insert(ascii_lower(name)).second) continue;
        bool on_disk = false;
        for (const Text& spelling : {name, ascii_lower(name), to_upper_text(name)}) {
            on_disk =
                on_disk ||
                file_exists(join_text({harvest.package_folder_path, spelling, kPictureExtension}));
        }
        if (!on_disk) addresses.push_back(address);
    }
    return addresses;
}

// The sale values' attribute pictures, then the main pictures of the
// thumbnail strip: the pictures the row's picture column names.
void save_package_pictures(MainWindow& window, ItemHarvest& harvest) {
    static const Text analysing = gbk_text("正在分析CSV数据包的主图及属性图中……");
    const RowPictures row = row_pictures(harvest.page_text, &harvest.facts);
    std::vector<std::pair<Text, Text>> pictures;  // name, address
    if (row.has_sale_values) {
        for (const SaleValue& value : row.sale_values) {
            if (value.picture_address.empty()) continue;
            pictures.emplace_back(attribute_picture_name(value.picture_address),
                                  value.picture_address);
        }
    }
    for (const MainPicture& picture : row.main_pictures) {
        pictures.emplace_back(picture.name, picture.fetch_address);
    }
    PrefetchScope ahead(coming_package_pictures(harvest, pictures));
    if (row.has_sale_values) window.set_status_text(status_message(window.job(), analysing));
    for (const auto& [name, address] : pictures) {
        save_package_picture(window, harvest, name, address);
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
    const Text path = join_text({window.save_folder_text(), "\\", window.job().batch_folder_name,
                                 "\\", kCompositePackageFileName});
    // A batch's file may grow to tens of megabytes and takes each new row at
    // its start: it is written whole, not at every item (finish_batch
    // completes it).
    const std::string_view rows = package.composite_rows();
    add_composite_package_row(path, package.package_row(),
                              rows.substr(package.package_row().size() + 2));
}

}  // namespace

void export_item_package(MainWindow& window, ItemHarvest& harvest) {
    static const Text exporting = gbk_text("正在导出CSV数据包中……");
    static const Text stripping = gbk_text("正在删除CSV数据包中的超链接，很快就可以完成了。");
    const Text& page = harvest.page_text;
    JobOptions options = window.options();
    if (!options.export_data_package() || contains_text(page, kPriceLadder)) return;
    window.set_status_text(status_message(window.job(), exporting));

    // The item's own address: the line itself, or for a page saved from the
    // browser the address the page names.
    const Text address =
        harvest.item_address.empty() ? window.job().current_address : harvest.item_address;
    if (!contains_text(address, kItemIdKey) && !contains_text(address, kAliItemHost)) return;

    PackageRowInput row;
    row.page = page;
    row.address = address;
    const ScriptFetcher fetch_script = [](std::string_view script_address) {
        return fetch_url(script_address);
    };
    const MarketplaceKind kind = detect_marketplace(page, listing_address(address, &harvest.facts));
    row.location = location_text(page, kind, fetch_script);
    row.facts = &harvest.facts;
    if (!row.location && kind == MarketplaceKind::Taobao && harvest.facts.location.empty()) {
        // Taobao pages of 2017 to 2020 name their location in the sib answer.
        const Text sib = sib_location_address(page, listing_address(address, &harvest.facts));
        if (!sib.empty())
            row.fetched_location = location_from_script(page_to_gbk(fetch_script(sib)));
    }
    if (options.remove_hyperlinks()) {
        window.set_status_text(status_message(window.job(), stripping));
        window.set_description_store(strip_hyperlinks(window.description_store()));
    }
    row.list_time = format_date_time(now());
    const Text description = window.description_store();
    row.description = description;

    save_package_pictures(window, harvest);
    row.modified = format_date_time(now());
    row.item_id = harvest.item_id;

    data_package().package_row() = build_package_row(row);
    write_package(window, harvest);
}

}  // namespace qinghe
