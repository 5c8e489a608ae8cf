#include "harvest/description_stage.h"

#include "base/address_resolver.h"
#include "base/files.h"
#include "base/gbk_text.h"
#include "base/page_charset.h"
#include "base/pattern.h"
#include "base/prefetch.h"
#include "base/text_number.h"
#include "base/web.h"
#include "harvest/harvest_paths.h"
#include "harvest/picture_prefetch.h"
#include "harvest/save_picture.h"
#include "package/item_page.h"

namespace qinghe {

namespace {

const Text kStatus = gbk_text("正在下载宝贝描述中……");

// The three description sources, tried in this order on every page.
struct DescriptionSource {
    std::string_view test_marker;
    std::string_view split_marker;
    DescriptionNaming naming;
    bool reads_existing_page;
    int progress_before_pictures;  // 0: the progress bar is left alone
};

constexpr DescriptionSource kTaobaoSource{"g_config.dynamicScript(\"", "g_config.dynamicScript(\"",
                                          DescriptionNaming::FromZero, false, 0};
constexpr DescriptionSource kTmallSource{"descUrl", "descUrl\":\"", DescriptionNaming::FromZero,
                                         true, 0};
constexpr DescriptionSource k1688Source{"data-tfs-url=", "data-tfs-url=\"",
                                        DescriptionNaming::FromOne, true, 60};

// The description address of a newer page form, read into the facts: its
// pictures are named as the marketplace's classic descriptions name theirs.
constexpr DescriptionSource kTaobaoFactsSource{"", "", DescriptionNaming::FromZero, false, 0};
constexpr DescriptionSource k1688FactsSource{"", "", DescriptionNaming::FromOne, false, 0};

constexpr std::string_view kLinkPattern = "http(.*?)\"";
// The pictures of a description in a newer form: each <img>'s data-src (a
// lazy-loaded picture) or else its src, quoted or escaped as the text has it.
constexpr std::string_view kPictureTag = "<img";
constexpr std::string_view kPictureAttributes[] = {"data-src=", " src="};
constexpr std::string_view kValueEnds = "\"'\\ >";

// The script wrapper of a Taobao description: var desc='…';
constexpr std::string_view kScriptHead = "var desc='";
constexpr std::string_view kScriptTail = "';";
constexpr std::string_view kContinuedParagraph = "</p>\\";

constexpr std::string_view kQuoteChars[] = {")", "'", "\""};

// The letters of a group number: 1 → A, 26 → Z, 27 → AA, 28 → AB, …
Text group_letters(int group) {
    Text letters;
    while (group > 0) {
        int rest = (group - 1) % 26;
        letters.insert(letters.begin(), static_cast<char>('A' + rest));
        group = (group - 1) / 26;
    }
    return letters;
}

Text picture_extension(std::string_view address) {
    if (find_text(address, ".jpg") > 0) return ".jpg";
    if (find_text(address, ".gif") > 0) return ".gif";
    return ".png";
}

bool names_picture(std::string_view address) {
    return find_text(address, ".jpg") > 0 || find_text(address, ".gif") > 0 ||
           find_text(address, ".png") > 0;
}

// The classic rule: every "http…\"" of the answer, quote characters removed.
std::vector<Text> classic_picture_links(std::string_view raw) {
    std::vector<Text> links;
    PatternObject pattern;
    if (compile_pattern(pattern, kLinkPattern)) {
        for (const MatchResult& result : search_all(pattern, raw)) {
            Text link = match_text(result, raw);
            for (std::string_view c : kQuoteChars) link = replace_text(link, c);
            links.push_back(link);
        }
    }
    return links;
}

// A picture reference as a newer description writes it, and the address
// it stands for.
struct PictureReference {
    Text written;
    Text address;
};

std::vector<PictureReference> newer_picture_references(std::string_view raw,
                                                       std::string_view description_address) {
    std::vector<PictureReference> references;
    TextList tags = split_text(raw, kPictureTag);
    for (int i = 2; i <= tags.count(); ++i) {
        std::string_view tag = tags.at(i);
        tag = tag.substr(0, std::min(tag.size(), tag.find('>')));
        for (std::string_view attribute : kPictureAttributes) {
            int at = find_text(tag, attribute);
            if (at < 1) continue;
            std::string_view value = tag.substr(static_cast<size_t>(at) - 1 + attribute.size());
            size_t start = value.find_first_not_of("\\\"'");
            if (start == std::string_view::npos) break;
            value = value.substr(start);
            Text written(value.substr(0, value.find_first_of(kValueEnds)));
            Text address = resolve_address(description_address, written);
            if (is_web_address(address)) references.push_back({written, address});
            break;
        }
    }
    return references;
}

// address: as the page wrote it. classic: written as "http://…" by a
// classic source, read as it always was; any other (https, scheme-relative,
// from the facts) has its pictures read from the answer's picture tags and
// resolved against the description address.
void handle_source(MainWindow& window, ItemHarvest& harvest, const DescriptionSource& source,
                   const Text& written_address, bool classic, const Text& description_folder,
                   bool smart_layout) {
    const Text address = resolve_address(harvest.item_address, written_address);
    FetchResult answer = fetch_url_checked(address);
    Text raw = bytes_to_text(page_to_gbk(answer.body, answer.content_type));

    std::vector<PictureReference> references;
    if (classic) {
        for (Text& link : classic_picture_links(raw)) references.push_back({link, link});
    } else {
        references = newer_picture_references(raw, address);
    }

    Text text = replace_text(raw, kScriptHead);
    text = replace_text(text, kScriptTail);
    text = replace_text(text, kContinuedParagraph, "</p>");
    window.set_description_store(text);

    Text page_path = join_text({description_folder, kDescriptionPage});
    if (source.reads_existing_page && smart_layout && file_exists(page_path)) {
        text = bytes_to_text(read_file(page_path));
    }

    if (source.progress_before_pictures > 0) window.set_progress(source.progress_before_pictures);
    FetchPlan coming;
    int coming_count = 0;
    for (const PictureReference& reference : references) {
        const Text& picture_address = reference.address;
        if (!names_picture(picture_address)) continue;
        coming_count += 1;
        Text file_name =
            window.options().smart_category_save()
                ? description_picture_name(source.naming, coming_count, coming.next_number(),
                                           picture_extension(picture_address))
                : server_file_name(picture_address);
        coming.add(
            {.address = picture_address, .file_name = file_name, .folder = description_folder});
    }
    PrefetchScope ahead(coming.addresses());

    int picture_number = 1;
    int picture_count = 0;
    for (const PictureReference& reference : references) {
        const Text& picture_address = reference.address;
        if (!names_picture(picture_address)) continue;
        Text extension = picture_extension(picture_address);
        picture_count += 1;
        Text file_name =
            window.options().smart_category_save()
                ? description_picture_name(source.naming, picture_count, picture_number, extension)
                : server_file_name(picture_address);
        const PictureSave picture{.address = picture_address,
                                  .file_name = file_name,
                                  .folder = description_folder,
                                  .count = &harvest.new_download_count};
        if (!save_picture(window, picture).saved()) {
            continue;
        }
        if (smart_layout) {
            text = replace_text(text, reference.written,
                                local_file_link(join_text({description_folder, file_name})));
        }
        picture_number += 1;
    }

    if (smart_layout) {
        write_file(page_path, text_to_bytes(text));
        window.set_description_store(text);
    }
}

}  // namespace

Text description_picture_name(DescriptionNaming naming, int count, int number,
                              std::string_view extension) {
    // The group is count / 10 rounded up: A for 1 to 10, B for 11 to 20, …
    Text letters = group_letters((count + 9) / 10);
    int base = naming == DescriptionNaming::FromZero ? count : number;
    int digit = base % 10 == 0 ? 10 : base % 10;
    if (naming == DescriptionNaming::FromZero) digit -= 1;
    return join_text({letters, number_to_text(digit), extension});
}

void description_stage(MainWindow& window, ItemHarvest& harvest) {
    window.set_progress(20);
    window.set_status_text(status_message(window.job(), kStatus));
    // The store still holds the previous item's description; an item whose
    // page names no description source must export an empty one, not that.
    window.set_description_store(Text{});

    bool smart_layout = !harvest.item_folder_name.empty();
    Text description_folder = harvest.item_folder_path;
    if (smart_layout) {
        create_directory(without_separator(harvest.item_folder_path));
        description_folder = child_folder_path(harvest.item_folder_path, kDescriptionFolder);
        create_directory(without_separator(description_folder));
    }

    // A test marker without its split form ("descUrl" but no "descUrl\":\"")
    // names no address; that source is passed over.
    auto runs = [&](const DescriptionSource& source) {
        return find_text(harvest.page_text, source.test_marker) > 0 &&
               find_text(harvest.page_text, source.split_marker) > 0;
    };

    auto handle = [&](const DescriptionSource& source) {
        Text address =
            split_text(split_text(harvest.page_text, source.split_marker).at(2), "\"").at(1);
        bool classic = address.substr(0, 7) == "http://";
        handle_source(window, harvest, source, address, classic, description_folder, smart_layout);
    };

    bool any_source = false;
    if (runs(kTaobaoSource)) {
        handle(kTaobaoSource);
        any_source = true;
    }
    window.set_progress(25);
    if (runs(kTmallSource)) {
        handle(kTmallSource);
        any_source = true;
    }
    window.set_progress(50);
    if (runs(k1688Source)) {
        handle(k1688Source);
        any_source = true;
    }
    // Newer page forms name their description where no classic source looks.
    if (!any_source && !harvest.facts.description_address.empty()) {
        handle_source(window, harvest,
                      is_1688_address(harvest.item_address) ? k1688FactsSource : kTaobaoFactsSource,
                      harvest.facts.description_address, false, description_folder, smart_layout);
    }
}

}  // namespace qinghe
