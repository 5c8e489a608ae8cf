#include "package/sale_properties.h"

#include "base/encoding.h"
#include "base/text_number.h"

namespace qinghe {

namespace {

constexpr std::string_view kSaleValueStart = "<li data-value=\"";
constexpr std::string_view kTitleAttribute = "title=";
constexpr std::string_view kTitleStart = "title=\"";
constexpr std::string_view kSpanStart = "<span>";
constexpr std::string_view kSpanEnd = "</span>";
// The page's ")" became a double quote, so url(x) reads url(x".
constexpr std::string_view kPictureStart = "background:url(";
constexpr std::string_view kAttributeThumbnailEndings[] = {
    "_30x30.jpg", "_30x30q90.jpg", "_40x40.jpg", "_40x40q90.jpg", "_50x50.jpg", "_50x50q90.jpg"};

struct MainPictureBranch {
    std::string_view test_marker;
    std::string_view region_start;
    std::string_view split_marker;
    std::string_view cut_marker;
    std::string_view fetch_prefix;
    std::string_view fetch_suffix;
};
// Taobao, Tmall and 1688 thumbnail strips, tried in this order.
constexpr MainPictureBranch kMainPictureBranches[] = {
    {"_60x60q90.jpg", "tb-selected", "http://", "_60x60q90.jpg", "http://", ""},
    {"_50x50.jpg", "tb-selected", "http://", "_50x50.jpg", "http://", ""},
    {".64x64.jpg", "nav nav-tabs fd-clr", "<img src=\"", ".64x64.jpg", "", ".jpg"},
};
constexpr std::string_view kRegionEnd = "</ul>";

constexpr std::string_view kSkuMap = "skuMap";
constexpr std::string_view kSkuMapEnd = "http://";
constexpr std::string_view kSkuEntrySplit = "\";";
constexpr std::string_view kSkuKeyEnd = ";\"";
constexpr std::string_view kSkuPrice = "price\":\"";
constexpr std::string_view kSkuStock = "stock\":";

Text last_segment(std::string_view address) {
    const TextList parts = split_text(address, "/");
    return parts.count() > 0 ? parts.at(parts.count()) : Text{};
}

SaleValue read_sale_value(const Text& piece) {
    SaleValue value;
    value.value_id = text_before(piece, "\"");
    if (contains_text(piece, kTitleAttribute)) {
        value.name = text_between(piece, kTitleStart, "\"");
    } else if (contains_text(piece, kSpanStart)) {
        value.name = text_between(piece, kSpanStart, kSpanEnd);
    }
    value.name = remove_text(value.name, "\"");
    if (contains_text(piece, kPictureStart)) {
        Text address = text_between(piece, kPictureStart, "\"");
        for (const std::string_view ending : kAttributeThumbnailEndings) address = remove_text(address, ending);
        value.picture_address = address;
    }
    return value;
}

}  // namespace

SaleValues find_sale_values(std::string_view page) {
    SaleValues result;
    if (!contains_text(page, kSaleValueStart)) return result;
    result.present = true;
    const TextList pieces = split_text(page, kSaleValueStart);
    for (int i = 2; i <= pieces.count(); ++i) result.values.push_back(read_sale_value(pieces.at(i)));
    return result;
}

Text sale_values_text(const std::vector<SaleValue>& values) {
    // Newest first; walking backward and appending keeps the cost linear.
    Text text;
    for (auto it = values.rbegin(); it != values.rend(); ++it) text += it->value_id + ";";
    return remove_text(text, "title=;");
}

Text property_names_text(const std::vector<SaleValue>& values) {
    Text text;
    for (auto it = values.rbegin(); it != values.rend(); ++it) {
        if (!it->name.empty()) text += join_text({it->value_id, ":", it->name, ";"});
    }
    return text;
}

Text main_picture_name(std::string_view address) { return md5_hex(text_to_bytes(last_segment(address))); }

Text attribute_picture_name(std::string_view address) { return to_upper_text(main_picture_name(address)); }

Text attribute_picture_entry(const Text& picture_name, const Text& value_id) {
    return join_text({picture_name, ":2:0:", value_id, "|;"});
}

Text main_picture_entry(const Text& picture_name, int position) {
    return join_text({picture_name, ":1:", number_to_text(position), ":|;"});
}

std::vector<MainPicture> find_main_pictures(std::string_view page) {
    std::vector<MainPicture> pictures;
    for (const MainPictureBranch& branch : kMainPictureBranches) {
        if (!contains_text(page, branch.test_marker)) continue;
        // A page with the thumbnail ending but without the strip gives no pictures.
        if (!contains_text(page, branch.region_start)) return pictures;
        const Text region = text_between(page, branch.region_start, kRegionEnd);
        const TextList pieces = split_text(region, branch.split_marker);
        for (int i = 2; i <= pieces.count(); ++i) {
            const Text cut = text_before(pieces.at(i), branch.cut_marker);
            pictures.push_back({join_text({branch.fetch_prefix, cut, branch.fetch_suffix}), main_picture_name(cut)});
        }
        return pictures;
    }
    return pictures;
}

Text sale_combinations_text(std::string_view page) {
    if (!contains_text(page, kSkuMap)) return {};
    Text map = text_between(page, kSkuMap, kSkuMapEnd);
    map = remove_text(map, " ");
    map = remove_text(map, "\r\n");
    map = remove_text(map, ";Hub");
    Text text;
    const TextList pieces = split_text(map, kSkuEntrySplit);
    for (int i = pieces.count(); i >= 2; --i) {  // newest first
        const Text& piece = pieces.at(i);
        // An entry without its price or stock is not a sale combination.
        if (!contains_text(piece, kSkuPrice) || !contains_text(piece, kSkuStock)) continue;
        const Text key = text_before(piece, kSkuKeyEnd);
        const Text price = text_between(piece, kSkuPrice, "\"");
        const Text stock = text_between(piece, kSkuStock, "}");
        text += join_text({price, ":", stock, "::", key, ";"});
    }
    return text;
}

Text picture_status_text(int status_value, int picture_count) {
    const Text item = number_to_text(status_value) + ";";
    Text text;
    for (int i = 0; i < picture_count; ++i) text += item;
    return text;
}

}  // namespace qinghe
