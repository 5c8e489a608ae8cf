#include "harvest/other_picture_stage.h"

#include <algorithm>

#include "base/files.h"
#include "base/pattern.h"
#include "base/prefetch.h"
#include "base/text_number.h"
#include "base/web.h"
#include "harvest/harvest_paths.h"
#include "harvest/picture_prefetch.h"
#include "harvest/save_picture.h"
#include "harvest/style_sheet_links.h"

namespace qinghe {

namespace {

constexpr std::string_view kLinkPattern = "http(.*?)\"";
// url(http://…/bg.png) in a style rule: from "http://" up to the first ")".
constexpr std::string_view kSheetPattern = "http:\\/\\/(.*?)\\)";

constexpr std::string_view kQuoteChars[] = {")", "'", "\""};
constexpr std::string_view kPageLinkSuffixes[] = {"_30x30.jpg", "_160x160.jpg", "_40x40.jpg",
                                                  "_.webp"};

std::vector<Text> all_matches(std::string_view pattern_text, const Text& text) {
    std::vector<Text> matches;
    PatternObject pattern;
    if (!compile_pattern(pattern, pattern_text)) return matches;
    for (const MatchResult& result : search_all(pattern, text))
        matches.push_back(match_text(result, text));
    return matches;
}

Text without_quotes(std::string_view entry) {
    Text address(entry);
    for (std::string_view c : kQuoteChars) address = replace_text(address, c);
    return address;
}

Text picture_extension(std::string_view address) {
    if (find_text(address, ".jpg") > 0) return ".jpg";
    if (find_text(address, ".gif") > 0) return ".gif";
    return ".png";
}

// Where the pictures of an item's style sheets go, and the number the next
// one is saved under in the smart layout.
struct SheetPictures {
    Text item_folder_path;
    Text other_folder;
    int* picture_number;
};

void save_sheet_picture(MainWindow& window, ItemHarvest& harvest, const Text& picture_address,
                        const Text& extension, const SheetPictures& into) {
    Text file_name = window.options().smart_category_save()
                         ? join_text({number_to_text(*into.picture_number), extension})
                         : server_file_name(picture_address);
    const PictureSave picture{.address = picture_address,
                              .file_name = file_name,
                              .folder = into.other_folder,
                              .checked_folder = into.item_folder_path,
                              .count = &harvest.new_download_count};
    if (save_picture(window, picture).saved()) *into.picture_number += 1;
}

// The pictures of one style sheet: those the long-standing pattern finds,
// then (for a sheet not at an "http://" address) the newer url(…) forms.
// They are handed to a prefetch window first, in the order they are saved.
void save_sheet_pictures(MainWindow& window, ItemHarvest& harvest, const Text& sheet,
                         const Text& sheet_address, const SheetPictures& into) {
    std::vector<Text> addresses;
    for (const Text& entry : all_matches(kSheetPattern, sheet)) {
        if (find_text(entry, ".jpg") < 1 && find_text(entry, ".gif") < 1 &&
            find_text(entry, ".png") < 1) {
            continue;
        }
        addresses.push_back(without_quotes(entry));
    }
    if (reads_newer_picture_forms(sheet_address)) {
        for (const Text& picture_address : newer_style_sheet_pictures(sheet, sheet_address)) {
            addresses.push_back(picture_address);
        }
    }
    FetchPlan coming(*into.picture_number);
    for (const Text& picture_address : addresses) {
        coming.add({.address = picture_address,
                    .file_name = window.options().smart_category_save()
                                     ? join_text({number_to_text(coming.next_number()),
                                                  picture_extension(picture_address)})
                                     : server_file_name(picture_address),
                    .folder = into.other_folder,
                    .checked_folder = into.item_folder_path});
    }
    PrefetchScope ahead(coming.addresses());
    for (const Text& picture_address : addresses) {
        save_sheet_picture(window, harvest, picture_address, picture_extension(picture_address),
                           into);
    }
}

// The item folder and the other-picture folder as the save folder box names
// them now; the smart layout creates both.
SheetPictures sheet_folders(MainWindow& window, const ItemHarvest& harvest, int* picture_number) {
    const BatchJob& job = window.job();
    Text item_folder_path =
        child_folder_path(batch_folder_path(window.save_folder_text(), job.batch_folder_name),
                          harvest.item_folder_name);
    Text other_folder = item_folder_path;
    if (!harvest.item_folder_name.empty()) {
        other_folder = child_folder_path(item_folder_path, kOtherPictureFolder);
        create_directory(without_separator(item_folder_path));
        create_directory(without_separator(other_folder));
    }
    return {item_folder_path, other_folder, picture_number};
}

}  // namespace

void other_picture_stage(MainWindow& window, ItemHarvest& harvest) {
    int progress = 90;
    window.set_progress(progress);

    BatchJob& job = window.job();
    // The stage reads the item page again; a page saved from the browser
    // (its item address differs from the line) is read as it was already.
    const bool saved_page =
        !harvest.item_address.empty() && harvest.item_address != job.current_address;
    const Text& item_address = saved_page ? harvest.item_address : job.current_address;
    Text page = saved_page ? harvest.page_source : bytes_to_text(fetch_url(job.current_address));
    std::vector<Text> links = all_matches(kLinkPattern, page);

    // The pictures of every style sheet of the item number on from where the
    // previous sheet stopped, so that no sheet's file replaces another's.
    int picture_number = 1;
    int position = 0;
    std::vector<Text> sheet_addresses;  // read so far, each once
    for (const Text& link : links) {
        position += 1;
        Text address = without_quotes(link);
        for (std::string_view suffix : kPageLinkSuffixes) address = replace_text(address, suffix);

        // The folders follow the save folder box as it is now.
        const SheetPictures into = sheet_folders(window, harvest, &picture_number);

        if (find_text(address, ".css") < 1) continue;
        progress += position;
        window.set_progress(progress);
        window.append_style_sheet_box(join_text({address, "\r\n\r\n"}));

        Text sheet = bytes_to_text(fetch_url(address));
        save_sheet_pictures(window, harvest, sheet, address, into);
        sheet_addresses.push_back(address);
    }

    // Style sheets linked as "//host/….css", after those the link pattern found.
    for (const Text& address : scheme_relative_style_sheets(page, item_address)) {
        if (std::find(sheet_addresses.begin(), sheet_addresses.end(), address) !=
            sheet_addresses.end()) {
            continue;
        }
        sheet_addresses.push_back(address);
        const SheetPictures into = sheet_folders(window, harvest, &picture_number);
        window.append_style_sheet_box(join_text({address, "\r\n\r\n"}));
        save_sheet_pictures(window, harvest, bytes_to_text(fetch_url(address)), address, into);
    }
}

}  // namespace qinghe
