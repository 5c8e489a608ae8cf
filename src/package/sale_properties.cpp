#include "package/sale_properties.h"

#include <algorithm>

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
        for (const std::string_view ending : kAttributeThumbnailEndings)
            address = remove_text(address, ending);
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
    for (int i = 2; i <= pieces.count(); ++i)
        result.values.push_back(read_sale_value(pieces.at(i)));
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

Text main_picture_name(std::string_view address) {
    return md5_hex(text_to_bytes(last_segment(address)));
}

Text attribute_picture_name(std::string_view address) {
    return to_upper_text(main_picture_name(address));
}

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
            pictures.push_back({join_text({branch.fetch_prefix, cut, branch.fetch_suffix}),
                                main_picture_name(cut)});
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

namespace qinghe {

namespace {

// Between the value names of a 1688 combination key.
constexpr std::string_view kCombinationNameSeparator = "&gt;";

Text made_up_id(const Text& id, int position, int base) {
    if (!id.empty()) return id;
    return base == 0 ? number_to_text(position) : "-" + number_to_text(base + position);
}

Text property_id_at(const ItemFacts& facts, size_t p) {
    return made_up_id(facts.sku_properties[p].property_id, static_cast<int>(p) + 1, 0);
}

Text value_id_at(const ItemFacts& facts, size_t p, size_t v) {
    const SkuValue& value = facts.sku_properties[p].values[v];
    const Text value_id = made_up_id(value.value_id, static_cast<int>(v) + 1, 1000);
    return join_text({property_id_at(facts, p), ":", value_id});
}

// "pid:vid;pid:vid" of a combination; empty when a named value is unknown.
Text combination_key(const ItemFacts& facts, const Text& value_path) {
    if (contains_text(value_path, ":")) return value_path;
    const TextList names = split_text(value_path, kCombinationNameSeparator);
    if (names.count() > static_cast<int>(facts.sku_properties.size())) return {};
    Text key;
    for (int i = 1; i <= names.count(); ++i) {
        const size_t p = static_cast<size_t>(i - 1);
        const std::vector<SkuValue>& values = facts.sku_properties[p].values;
        const auto found = std::find_if(values.begin(), values.end(),
                                        [&](const SkuValue& v) { return v.name == names.at(i); });
        if (found == values.end()) return {};
        if (!key.empty()) key += ";";
        key += value_id_at(facts, p, static_cast<size_t>(found - values.begin()));
    }
    return key;
}

}  // namespace

std::vector<SaleValue> sale_values_from_facts(const ItemFacts& facts) {
    std::vector<SaleValue> values;
    for (size_t p = 0; p < facts.sku_properties.size(); ++p) {
        for (size_t v = 0; v < facts.sku_properties[p].values.size(); ++v) {
            const SkuValue& value = facts.sku_properties[p].values[v];
            values.push_back(
                {value_id_at(facts, p, v), remove_text(value.name, "\""), value.picture});
        }
    }
    return values;
}

Text sale_combinations_from_facts(const ItemFacts& facts) {
    Text text;
    for (auto it = facts.sku_combinations.rbegin(); it != facts.sku_combinations.rend(); ++it) {
        const Text key = combination_key(facts, it->value_path);
        if (key.empty()) continue;
        text += join_text({it->price, ":", it->quantity, "::", key, ";"});
    }
    return text;
}

std::vector<MainPicture> main_pictures_from_facts(const ItemFacts& facts) {
    std::vector<MainPicture> pictures;
    for (const Text& address : facts.gallery)
        pictures.push_back({address, main_picture_name(address)});
    return pictures;
}

}  // namespace qinghe
