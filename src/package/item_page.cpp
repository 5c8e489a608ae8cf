#include "package/item_page.h"

#include "base/gbk_text.h"

namespace qinghe {

namespace {

// The markers that tell the marketplaces apart on a prepared item page.
constexpr std::string_view kTmallMarker = "descUrl";
constexpr std::string_view kTaobaoMarker = "g_config.dynamicScript(";
constexpr std::string_view kDomain1688 = "1688.com";

// The long-standing form of the Tmall description marker.
constexpr std::string_view kTmallClassicMarker = "\"descUrl\":\"";

constexpr std::string_view kTitleOpen = "<title>";
constexpr std::string_view kTitleClose = "</title>";

}  // namespace

MarketplaceKind detect_marketplace(std::string_view page_text) {
    if (find_text(page_text, kTmallMarker) > 0) return MarketplaceKind::Tmall;
    if (find_text(page_text, kTaobaoMarker) > 0) return MarketplaceKind::Taobao;
    return MarketplaceKind::Ali1688;
}

namespace {

// The host of an address ("http://h/…", "https://h/…", "//h/…"), lowercase;
// empty when the address names none.
Text address_host(std::string_view address) {
    size_t start = address.find("//");
    if (start == std::string_view::npos) return {};
    start += 2;
    const size_t end = address.find_first_of("/:?#", start);
    Text host(address.substr(start, end == std::string_view::npos ? address.npos : end - start));
    for (char& c : host) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return host;
}

struct MarketplaceHost {
    std::string_view host;
    MarketplaceKind kind;
};
constexpr MarketplaceHost kMarketplaceHosts[] = {
    {"item.taobao.com", MarketplaceKind::Taobao},
    {"detail.tmall.com", MarketplaceKind::Tmall},
    {"detail.1688.com", MarketplaceKind::Ali1688},
};

}  // namespace

MarketplaceKind detect_marketplace(std::string_view page_text, std::string_view address) {
    const MarketplaceKind by_page = detect_marketplace(page_text);
    if (contains_text(page_text, kTaobaoMarker) || contains_text(page_text, kTmallClassicMarker)) {
        return by_page;
    }
    const Text host = address_host(address);
    for (const MarketplaceHost& known : kMarketplaceHosts) {
        if (host == known.host) return known.kind;
    }
    return by_page;
}

bool is_1688_address(std::string_view address) { return find_text(address, kDomain1688) > 0; }

Text extract_title(std::string_view page_text) {
    // A "<title>" with nothing after it has no second element; TextList::at
    // gives the empty text then, so such a page has the empty title.
    Text title = split_text(split_text(page_text, kTitleOpen).at(2), kTitleClose).at(1);
    // Suffixes and separators removed from a title, in this order.
    static const Text kRemoved[] = {gbk_text("-淘宝网"), gbk_text("-tmall.com天猫"), "...", "-"};
    // Characters a folder name cannot hold; each becomes one space, in this order.
    static const Text kBlanked[] = {"/", "\\",           "|",           "*", "&", ".", "@", ">",
                                    "<", gbk_text("《"), gbk_text("》")};
    for (const Text& removed : kRemoved) title = replace_text(title, removed);
    for (const Text& blanked : kBlanked) title = replace_text(title, blanked, " ");
    // Page preparation turned every ")" into a double quote; give it back.
    return replace_text(title, "\"", ")");
}

}  // namespace qinghe
