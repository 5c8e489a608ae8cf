#include "harvest/main_picture_stage.h"

#include "base/address_resolver.h"
#include "base/files.h"
#include "base/gbk_text.h"
#include "base/prefetch.h"
#include "base/text_number.h"
#include "harvest/harvest_paths.h"
#include "harvest/picture_prefetch.h"
#include "harvest/save_picture.h"
#include "package/picture_facts_2020.h"

namespace qinghe {

namespace {

const Text kStatus = gbk_text("正在下载主图与属性图……");

// Removed from a link before anything else.
constexpr std::string_view kQuoteChars[] = {")", "'", "\""};

constexpr std::string_view kPictureExtensions[] = {".jpg", ".png", ".gif"};

}  // namespace

Text clean_main_picture_address(std::string_view page_link) {
    Text address(page_link);
    for (std::string_view c : kQuoteChars) address = replace_text(address, c);
    return remove_thumbnail_suffixes(address);
}

namespace {

// The main and attribute pictures of a page whose gallery is recognised in a
// newer form: the gallery, then the pictures of the sale values, full size,
// each once. The page's other pictures (recommended items, icons, banners,
// trackers) are not the item's.
std::vector<Text> gallery_and_sku_pictures(const ItemHarvest& harvest) {
    std::vector<Text> pictures;
    auto add = [&](std::string_view picture) {
        Text address = resolve_address(harvest.item_address, full_size_picture_address(picture));
        if (!is_web_address(address)) return;
        for (const Text& listed : pictures) {
            if (listed == address) return;
        }
        pictures.push_back(address);
    };
    for (const Text& picture : harvest.facts.gallery) add(picture);
    for (const SkuProperty& property : harvest.facts.sku_properties) {
        for (const SkuValue& value : property.values) {
            if (!value.picture.empty()) add(value.picture);
        }
    }
    return pictures;
}

// The extension a picture is saved under: the first the address holds.
std::string_view saved_extension(std::string_view address) {
    for (std::string_view extension : kPictureExtensions) {
        if (find_text(address, extension) > 0) return extension;
    }
    return kPictureExtensions[0];
}

}  // namespace

void main_picture_stage(MainWindow& window, ItemHarvest& harvest) {
    window.set_status_text(status_message(window.job(), kStatus));

    Text picture_folder = harvest.item_folder_path;
    if (!harvest.item_folder_name.empty()) {
        create_directory(without_separator(harvest.item_folder_path));
        write_file(join_text({harvest.item_folder_path, kRecordFileName}),
                   {harvest.title, "\r\n", harvest.item_address});
        picture_folder = child_folder_path(harvest.item_folder_path, kMainPictureFolder);
        create_directory(without_separator(picture_folder));
    }

    window.set_progress(10);
    FetchPlan coming;
    for (const Text& link : harvest.page_links) {
        const Text address = clean_main_picture_address(link);
        for (std::string_view extension : kPictureExtensions) {
            if (find_text(address, extension) < 1) continue;
            coming.add(
                {.address = address,
                 .file_name = window.options().smart_category_save()
                                  ? join_text({number_to_text(coming.next_number()), extension})
                                  : server_file_name(address),
                 .folder = picture_folder,
                 .checked_folder = harvest.item_folder_path});
        }
    }
    PrefetchScope ahead(coming.addresses());

    int picture_number = 1;
    auto save = [&](const Text& address, std::string_view extension) {
        Text file_name = window.options().smart_category_save()
                             ? join_text({number_to_text(picture_number), extension})
                             : server_file_name(address);
        const PictureSave picture{.address = address,
                                  .file_name = file_name,
                                  .folder = picture_folder,
                                  .checked_folder = harvest.item_folder_path,
                                  .count = &harvest.new_download_count};
        if (save_picture(window, picture).saved()) {
            picture_number += 1;
        }
    };

    // A gallery the facts recognised exists only in the newer page forms;
    // classic pages keep the rule of every picture link of the page.
    if (harvest.facts.found && !harvest.facts.gallery.empty()) {
        for (const Text& address : gallery_and_sku_pictures(harvest)) {
            save(address, saved_extension(address));
        }
        return;
    }
    for (const Text& link : harvest.page_links) {
        Text address = clean_main_picture_address(link);
        // Three independent tests: an address holding two extensions is
        // saved once for each.
        for (std::string_view extension : kPictureExtensions) {
            if (find_text(address, extension) < 1) continue;
            save(address, extension);
        }
    }
}

}  // namespace qinghe
