// 1688 offer pages of 2024 on: the offer read from the window.context data.
#include <algorithm>
#include <limits>
#include <string>
#include <unordered_map>

#include "base/text_number.h"
#include "package/embedded_item_data.h"
#include "package/embedded_json.h"
#include "package/script_object.h"

namespace qinghe {
namespace {

// window.context=(function(b,d){…})(window.contextPath,{"result":{"data":{…},"global":{…}}})
// The data is the second argument of the call.
constexpr std::string_view kContextCall = "(window.contextPath,";

// The keys read, in the order of kKeys.
enum KeyIndex : size_t {
    kMainImage,       // "mainImage":["https://cbu01.alicdn.com/img/ibank/….jpg",…]
    kOfferImgList,    // "offerImgList":[…], the same pictures in another module
    kSubject,         // "subject":"…"
    kSkuPriceScale,   // "skuPriceScale":"3.80-8.20"
    kCurrentPrices,   // "currentPrices":[{"price":"3.80","beginAmount":2},…]
    kLocation,        // "location":"山东省济宁市"
    kLeafCategoryId,  // "leafCategoryId":125068008
    kDetailUrl,       // "detailUrl":"https://itemcdn.tmall.com/1688offer/icoss…"
    kSkuProps,        // "skuProps":[{"fid":…,"prop":"…","value":[{"name":…,"imageUrl":…}]}]
    kSkuInfoMap,      // "skuInfoMap":{"红色&gt;S":{"price":"…","canBookCount":…},…}
    kOfferId,         // "offerId":823801520021
    kSellerLoginId,   // "sellerLoginId":"…", the seller's member name
    kCompanyName,     // "companyName":"…", the shop's name
};

const std::vector<JsonKey> kKeys = {
    {"mainImage", JsonKind::Array},       {"offerImgList", JsonKind::Array},
    {"subject", JsonKind::Scalar},        {"skuPriceScale", JsonKind::Scalar},
    {"currentPrices", JsonKind::Array},   {"location", JsonKind::Scalar},
    {"leafCategoryId", JsonKind::Scalar}, {"detailUrl", JsonKind::Scalar},
    {"skuProps", JsonKind::Array},        {"skuInfoMap", JsonKind::Object},
    {"offerId", JsonKind::Scalar},        {"sellerLoginId", JsonKind::Scalar},
    {"companyName", JsonKind::Scalar},
};

// The separator of the value names in a skuInfoMap key, as the data writes it.
constexpr std::string_view kNameSeparator = "&gt;";

// Canonical offer address: https://detail.1688.com/offer/823801520021.html
constexpr std::string_view kOfferPath = "/offer/";

std::vector<Text> picture_list(const Json* list, std::string_view page_address) {
    std::vector<Text> pictures;
    for (const Json& element : json_elements(list)) {
        Text address = json_address(&element, page_address);
        if (!address.empty() &&
            std::find(pictures.begin(), pictures.end(), address) == pictures.end()) {
            pictures.push_back(std::move(address));
        }
    }
    return pictures;
}

// The price range over the SKUs when the data names one; otherwise the range
// of the quantity tiers ("3.80-8.20"), or their one price.
Text offer_price(const Json* scale, const Json* tiers) {
    if (Text text = json_text(scale); !text.empty()) return text;
    Text low, high;
    double low_value = std::numeric_limits<double>::max();
    double high_value = std::numeric_limits<double>::lowest();
    for (const Json& tier : json_elements(tiers)) {
        const Text price = json_text(json_at(tier, {"price"}));
        if (price.empty()) continue;
        const double value = text_to_number(price);
        if (value < low_value) low_value = value, low = price;
        if (value > high_value) high_value = value, high = price;
    }
    if (low.empty() || low == high) return low;
    return join_text({low, "-", high});
}

std::vector<SkuProperty> sale_properties(const Json* props, std::string_view page_address) {
    std::vector<SkuProperty> properties;
    for (const Json& prop : json_elements(props)) {
        SkuProperty property;
        property.property_id = json_text(json_at(prop, {"fid"}));
        property.name = json_text(json_at(prop, {"prop"}));
        for (const Json& value : json_elements(json_at(prop, {"value"}))) {
            SkuValue sku_value;
            sku_value.name = json_text(json_at(value, {"name"}));
            sku_value.picture = json_address(json_at(value, {"imageUrl"}), page_address);
            if (!sku_value.name.empty() || !sku_value.picture.empty()) {
                property.values.push_back(std::move(sku_value));
            }
        }
        properties.push_back(std::move(property));
    }
    return properties;
}

// The combinations of skuInfoMap, in the order the sale values give them
// (first property outermost); keys that do not name known values go last.
std::vector<SkuCombination> sale_combinations(const Json* info_map,
                                              const std::vector<SkuProperty>& properties) {
    std::vector<std::unordered_map<Text, size_t>> positions(properties.size());
    for (size_t p = 0; p < properties.size(); ++p) {
        for (size_t v = 0; v < properties[p].values.size(); ++v) {
            positions[p].emplace(properties[p].values[v].name, v);
        }
    }
    constexpr size_t kUnknown = std::numeric_limits<size_t>::max();
    std::vector<std::pair<std::vector<size_t>, SkuCombination>> ranked;
    if (info_map && info_map->is_object()) {
        for (const auto& [key, entry] : info_map->items()) {
            SkuCombination combination;
            combination.value_path = data_text(key);
            combination.price = json_text(json_at(entry, {"price"}));
            if (combination.price.empty()) {
                combination.price = json_text(json_at(entry, {"discountPrice"}));
            }
            combination.quantity = json_text(json_at(entry, {"canBookCount"}));
            std::vector<size_t> rank;
            const TextList names = split_text(combination.value_path, kNameSeparator);
            for (int n = 1; n <= names.count(); ++n) {
                const size_t p = static_cast<size_t>(n - 1);
                size_t position = kUnknown;
                if (p < positions.size()) {
                    const auto found = positions[p].find(names.at(n));
                    if (found != positions[p].end()) position = found->second;
                }
                rank.push_back(position);
            }
            ranked.emplace_back(std::move(rank), std::move(combination));
        }
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<SkuCombination> combinations;
    for (auto& entry : ranked) combinations.push_back(std::move(entry.second));
    return combinations;
}

// The offer id of a canonical address ".../offer/823801520021.html".
Text offer_id_of(std::string_view address) {
    const size_t at = address.rfind(kOfferPath);
    if (at == std::string_view::npos) return {};
    size_t end = at + kOfferPath.size();
    while (end < address.size() && address[end] >= '0' && address[end] <= '9') ++end;
    return Text(address.substr(at + kOfferPath.size(), end - at - kOfferPath.size()));
}

}  // namespace

ItemFacts read_1688_context_data(std::string_view page, std::string_view page_address) {
    ItemFacts facts;
    const size_t call = find_marker(page, kContextCall);
    if (call == std::string_view::npos) return facts;
    size_t open = call + kContextCall.size();
    while (open < page.size() &&
           (page[open] == ' ' || page[open] == '\n' || page[open] == '\r' || page[open] == '\t')) {
        ++open;
    }
    const auto literal = cut_script_object(page, open);
    if (!literal) return facts;
    const Json data = parse_script_object(*literal);
    if (data.is_discarded()) return facts;

    const std::vector<const Json*> found = find_shallowest(data, kKeys);
    facts.gallery = picture_list(found[kMainImage], page_address);
    if (facts.gallery.empty()) facts.gallery = picture_list(found[kOfferImgList], page_address);
    facts.title = json_text(found[kSubject]);
    facts.price = offer_price(found[kSkuPriceScale], found[kCurrentPrices]);
    facts.location = json_text(found[kLocation]);
    facts.category_id = json_text(found[kLeafCategoryId]);
    facts.description_address = json_address(found[kDetailUrl], page_address);
    facts.sku_properties = sale_properties(found[kSkuProps], page_address);
    facts.sku_combinations = sale_combinations(found[kSkuInfoMap], facts.sku_properties);
    facts.seller_nick = json_text(found[kSellerLoginId]);
    facts.shop_name = json_text(found[kCompanyName]);
    facts.item_address = canonical_link(page, page_address);
    facts.item_id = json_text(found[kOfferId]);
    if (facts.item_id.empty()) facts.item_id = offer_id_of(facts.item_address);
    facts.found = !facts.title.empty() || !facts.gallery.empty();
    return facts;
}

}  // namespace qinghe
