#include "harvest/style_sheet_links.h"

#include <algorithm>

#include "base/address_resolver.h"

namespace qinghe {
namespace {

constexpr std::string_view kBlanks = " \t\r\n\f";

// Characters that end a reference standing in a page.
constexpr std::string_view kReferenceEnds = "\"'()<> \t\r\n\f";

std::string_view trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool has_picture_extension(std::string_view address) {
    return find_text(address, ".jpg") > 0 || find_text(address, ".gif") > 0 ||
           find_text(address, ".png") > 0;
}

void add_once(std::vector<Text>& list, Text item) {
    if (item.empty() || std::find(list.begin(), list.end(), item) != list.end()) return;
    list.push_back(std::move(item));
}

}  // namespace

std::vector<Text> scheme_relative_style_sheets(const Text& page, std::string_view page_address) {
    std::vector<Text> sheets;
    const std::string_view text = page;
    for (size_t at = find_address_start(text); at != std::string_view::npos;) {
        const size_t start_length = address_start_length(text, at);
        if (start_length == 2) {
            size_t end = text.find_first_of(kReferenceEnds, at);
            if (end == std::string_view::npos) end = text.size();
            const std::string_view reference = text.substr(at, end - at);
            if (find_text(reference, ".css") > 0) {
                add_once(sheets, resolve_address(page_address, reference));
            }
        }
        at = find_address_start(text, at + start_length);
    }
    return sheets;
}

std::vector<Text> newer_style_sheet_pictures(const Text& sheet, std::string_view sheet_address) {
    std::vector<Text> pictures;
    const std::string_view text = sheet;
    for (size_t open = text.find("url("); open != std::string_view::npos;
         open = text.find("url(", open + 4)) {
        const size_t close = text.find(')', open + 4);
        if (close == std::string_view::npos) break;
        std::string_view reference = trimmed(text.substr(open + 4, close - open - 4));
        if (reference.size() >= 2 && (reference.front() == '\'' || reference.front() == '"') &&
            reference.back() == reference.front()) {
            reference = trimmed(reference.substr(1, reference.size() - 2));
        }
        if (find_text(reference, "http://") > 0) continue;
        if (address_start_length(reference, 0) == 0) continue;
        if (!has_picture_extension(reference)) continue;
        const Text address = resolve_address(sheet_address, reference);
        if (!address.empty()) pictures.push_back(address);
    }
    return pictures;
}

bool reads_newer_picture_forms(std::string_view sheet_address) {
    return sheet_address.substr(0, 7) != "http://";
}

}  // namespace qinghe
