#include "harvest/other_picture_stage.h"

#include "base/files.h"
#include "base/pattern.h"
#include "base/prefetch.h"
#include "base/text_number.h"
#include "base/web.h"
#include "harvest/harvest_paths.h"
#include "harvest/picture_prefetch.h"
#include "harvest/save_picture.h"

namespace qinghe {

namespace {

constexpr std::string_view kLinkPattern = "http(.*?)\"";
// url(http://…/bg.png) in a style rule: from "http://" up to the first ")".
constexpr std::string_view kSheetPattern = "http:\\/\\/(.*?)\\)";

constexpr std::string_view kQuoteChars[] = {")", "'", "\""};
constexpr std::string_view kPageLinkSuffixes[] = {"_30x30.jpg", "_160x160.jpg", "_40x40.jpg", "_.webp"};

std::vector<Text> all_matches(std::string_view pattern_text, const Text& text) {
    std::vector<Text> matches;
    PatternObject pattern;
    if (!compile_pattern(pattern, pattern_text)) return matches;
    for (const MatchResult& result : search_all(pattern, text)) matches.push_back(match_text(result, text));
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

}  // namespace

void other_picture_stage(MainWindow& window, ItemHarvest& harvest) {
    int progress = 90;
    window.set_progress(progress);

    BatchJob& job = window.job();
    Text page = bytes_to_text(fetch_url(job.current_address));
    std::vector<Text> links = all_matches(kLinkPattern, page);

    bool smart_layout = !harvest.item_folder_name.empty();
    // The pictures of every style sheet of the item number on from where the
    // previous sheet stopped, so that no sheet's file replaces another's.
    int picture_number = 1;
    int position = 0;
    for (const Text& link : links) {
        position += 1;
        Text address = without_quotes(link);
        for (std::string_view suffix : kPageLinkSuffixes) address = replace_text(address, suffix);

        // The folders follow the save folder box as it is now.
        Text item_folder_path = child_folder_path(
            batch_folder_path(window.save_folder_text(), job.batch_folder_name), harvest.item_folder_name);
        Text other_folder = item_folder_path;
        if (smart_layout) {
            other_folder = child_folder_path(item_folder_path, kOtherPictureFolder);
            create_directory(without_separator(item_folder_path));
            create_directory(without_separator(other_folder));
        }

        if (find_text(address, ".css") < 1) continue;
        progress += position;
        window.set_progress(progress);
        window.append_style_sheet_box(join_text({address, "\r\n\r\n"}));

        Text sheet = bytes_to_text(fetch_url(address));
        const std::vector<Text> entries = all_matches(kSheetPattern, sheet);
        FetchPlan coming(picture_number);
        for (const Text& entry : entries) {
            if (find_text(entry, ".jpg") < 1 && find_text(entry, ".gif") < 1 && find_text(entry, ".png") < 1) {
                continue;
            }
            const Text picture_address = without_quotes(entry);
            coming.add({.address = picture_address,
                        .file_name = window.options().smart_category_save()
                                         ? join_text({number_to_text(coming.next_number()),
                                                      picture_extension(entry)})
                                         : server_file_name(picture_address),
                        .folder = other_folder,
                        .checked_folder = item_folder_path});
        }
        PrefetchScope ahead(coming.addresses());
        for (const Text& entry : entries) {
            if (find_text(entry, ".jpg") < 1 && find_text(entry, ".gif") < 1 && find_text(entry, ".png") < 1) {
                continue;
            }
            Text extension = picture_extension(entry);
            Text picture_address = without_quotes(entry);
            Text file_name = window.options().smart_category_save()
                                 ? join_text({number_to_text(picture_number), extension})
                                 : server_file_name(picture_address);
            const PictureSave picture{.address = picture_address,
                                      .file_name = file_name,
                                      .folder = other_folder,
                                      .checked_folder = item_folder_path,
                                      .count = &harvest.new_download_count};
            if (save_picture(window, picture).saved()) {
                picture_number += 1;
            }
        }
    }
}

}  // namespace qinghe
