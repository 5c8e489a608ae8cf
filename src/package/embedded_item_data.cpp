#include "package/embedded_item_data.h"

#include "base/address_resolver.h"
#include "package/script_object.h"

namespace qinghe {
namespace {

// <link rel="canonical" href="https://detail.1688.com/offer/823801520021.html">
constexpr std::string_view kLinkTag = "<link";
constexpr std::string_view kCanonical = "rel=\"canonical\"";
constexpr std::string_view kHref = "href=\"";

}  // namespace

Text canonical_link(std::string_view page, std::string_view page_address) {
    for (size_t at = find_marker(page, kLinkTag); at != std::string_view::npos;) {
        const size_t end = find_marker(page, ">", at);
        if (end == std::string_view::npos) break;
        const std::string_view tag = page.substr(at, end - at);
        const size_t href = find_marker(tag, kHref);
        if (find_marker(tag, kCanonical) != std::string_view::npos &&
            href != std::string_view::npos) {
            const size_t start = href + kHref.size();
            const size_t stop = tag.find('"', start);
            if (stop == std::string_view::npos) break;
            Text address = resolve_address(page_address, tag.substr(start, stop - start));
            return is_web_address(address) ? address : Text();
        }
        at = find_marker(page, kLinkTag, end);
    }
    return {};
}

ItemFacts read_embedded_item_data(std::string_view page, std::string_view page_address) {
    if (ItemFacts facts = read_1688_context_data(page, page_address); facts.found) return facts;
    return read_ice_app_context_data(page, page_address);
}

}  // namespace qinghe
