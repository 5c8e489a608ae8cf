#include "harvest/main_picture_stage.h"

#include "base/files.h"
#include "base/gbk_text.h"
#include "base/prefetch.h"
#include "base/text_number.h"
#include "harvest/harvest_paths.h"
#include "harvest/picture_prefetch.h"
#include "harvest/save_picture.h"

namespace qinghe {

namespace {

const Text kStatus = gbk_text("正在下载主图与属性图……");

// Removed from a link before anything else.
constexpr std::string_view kQuoteChars[] = {")", "'", "\""};

// The size markers the picture servers add for scaled copies, removed in
// this order: an entry that holds another comes first (_310x310.jpg before
// 310x310., _64x64.jpg before 64x64.), so a whole suffix goes at once.
constexpr std::string_view kThumbnailSuffixes[] = {
    "_60x60.jpg",   "_230x230.jpg",  "_180x180.jpg",  "_310x310.jpg", "_130x130.jpg",
    "_240x240.jpg", "_270x270.jpg",  "_50x50.jpg",    "_40x40q90.jpg", "_150x150.jpg",
    "_60x60q90.jpg", "_30x30q90.jpg", "_30x30.jpg",   "_40x40.jpg",   "_120x120.jpg",
    "_64x64.jpg",   "_400x400.jpg",  "64x64.",        "32x32.",       "310x310.",
    ".80x80",       ".400x400",      "summ.",         "_.webp",
};

constexpr std::string_view kPictureExtensions[] = {".jpg", ".png", ".gif"};

}  // namespace

Text clean_main_picture_address(std::string_view page_link) {
    Text address(page_link);
    for (std::string_view c : kQuoteChars) address = replace_text(address, c);
    for (std::string_view suffix : kThumbnailSuffixes) address = replace_text(address, suffix);
    return address;
}

void main_picture_stage(MainWindow& window, ItemHarvest& harvest) {
    window.set_status_text(status_message(window.job(), kStatus));

    Text picture_folder = harvest.item_folder_path;
    if (!harvest.item_folder_name.empty()) {
        create_directory(without_separator(harvest.item_folder_path));
        write_file(join_text({harvest.item_folder_path, kRecordFileName}),
                   {harvest.title, "\r\n", window.job().current_address});
        picture_folder = child_folder_path(harvest.item_folder_path, kMainPictureFolder);
        create_directory(without_separator(picture_folder));
    }

    window.set_progress(10);
    FetchPlan coming;
    for (const Text& link : harvest.page_links) {
        const Text address = clean_main_picture_address(link);
        for (std::string_view extension : kPictureExtensions) {
            if (find_text(address, extension) < 1) continue;
            coming.add({.address = address,
                        .file_name = window.options().smart_category_save()
                                         ? join_text({number_to_text(coming.next_number()), extension})
                                         : server_file_name(address),
                        .folder = picture_folder,
                        .checked_folder = harvest.item_folder_path});
        }
    }
    PrefetchScope ahead(coming.addresses());

    int picture_number = 1;
    for (const Text& link : harvest.page_links) {
        Text address = clean_main_picture_address(link);
        // Three independent tests: an address holding two extensions is
        // saved once for each.
        for (std::string_view extension : kPictureExtensions) {
            if (find_text(address, extension) < 1) continue;
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
        }
    }
}

}  // namespace qinghe
