#include "harvest/saved_item_page.h"

#include "base/address_resolver.h"
#include "base/native_path.h"

namespace qinghe {

namespace {

constexpr std::string_view kFileScheme = "file://";
constexpr std::string_view kSavedFromStart = "<!-- saved from url=(";

// The item links a page holds to itself, with the item address each makes
// of an id: Taobao and Tmall item pages, 1688 offers.
struct ItemLinkForm {
    std::string_view link_start;  // followed by the id
    std::string_view address_head;
    std::string_view address_tail;
};
constexpr ItemLinkForm kItemLinks[] = {
    {"detail.tmall.com/item.htm?id=", "https://detail.tmall.com/item.htm?id=", ""},
    {"item.taobao.com/item.htm?id=", "https://item.taobao.com/item.htm?id=", ""},
    {"detail.1688.com/offer/", "https://detail.1688.com/offer/", ".html"},
};

bool ends_with_ignoring_case(std::string_view text, std::string_view ending) {
    return text.size() >= ending.size() &&
           equal_ignoring_case(text.substr(text.size() - ending.size()), ending);
}

bool is_hex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

std::string percent_decoded(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && is_hex(text[i + 1]) && is_hex(text[i + 2])) {
            out += static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

bool is_absolute_native_path(std::string_view path) {
    if (!path.empty() && path[0] == '/') return true;
    if (path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) return true;
    return path.size() >= 2 && path[0] == '\\' && path[1] == '\\';
}

Text leading_digits(std::string_view text) {
    size_t n = 0;
    while (n < text.size() && text[n] >= '0' && text[n] <= '9') ++n;
    return Text(text.substr(0, n));
}

// The first item link of the page, as an item address; empty when none.
Text item_link_address(std::string_view page) {
    for (const ItemLinkForm& form : kItemLinks) {
        int at = find_text(page, form.link_start);
        if (at < 1) continue;
        Text id = leading_digits(page.substr(static_cast<size_t>(at) - 1 + form.link_start.size()));
        if (!id.empty()) return join_text({form.address_head, id, form.address_tail});
    }
    return {};
}

// The item address of a bare id, on the marketplace the page names.
Text address_of_id(std::string_view page, std::string_view id) {
    for (const ItemLinkForm& form : kItemLinks) {
        if (contains_text(page, form.link_start))
            return join_text({form.address_head, id, form.address_tail});
    }
    if (contains_text(page, "1688.com"))
        return join_text({kItemLinks[2].address_head, id, ".html"});
    if (contains_text(page, "tmall.com")) return join_text({kItemLinks[0].address_head, id});
    return join_text({kItemLinks[1].address_head, id});
}

}  // namespace

Text saved_page_path(std::string_view line) {
    Text trimmed = trim_text(line);
    if (!ends_with_ignoring_case(trimmed, ".html") && !ends_with_ignoring_case(trimmed, ".htm"))
        return {};
    std::string_view path = trimmed;
    if (path.size() >= kFileScheme.size() &&
        equal_ignoring_case(path.substr(0, kFileScheme.size()), kFileScheme)) {
        // file:///home/…, file:///C:/…, file://localhost/…
        std::string_view rest = path.substr(kFileScheme.size());
        if (rest.substr(0, 9) == "localhost") rest.remove_prefix(9);
        std::string native = percent_decoded(rest);
        if (native.size() >= 4 && native[0] == '/' && native[2] == ':') native.erase(0, 1);
        Text program_path;
        if (!is_absolute_native_path(native) || !from_native_path(native, program_path)) return {};
        return program_path;
    }
    return is_absolute_native_path(path) ? Text(path) : Text{};
}

Text saved_page_item_address(std::string_view page, const ItemFacts& facts) {
    if (is_web_address(facts.item_address)) return facts.item_address;
    // <!-- saved from url=(0049)https://item.taobao.com/item.htm?id=… -->
    int at = find_text(page, kSavedFromStart);
    if (at > 0) {
        std::string_view rest = page.substr(static_cast<size_t>(at) - 1 + kSavedFromStart.size());
        Text address = trim_text(text_before(split_text(rest, ")").at(2), "-->"));
        Text link = item_link_address(address);
        if (!link.empty()) return link;
    }
    if (!facts.item_id.empty()) return address_of_id(page, facts.item_id);
    return item_link_address(page);
}

}  // namespace qinghe
