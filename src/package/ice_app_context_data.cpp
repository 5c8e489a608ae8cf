// Taobao and Tmall item pages of 2023 on: the item read from the data the
// server hands to the page's __ICE_APP_CONTEXT__ script.
#include "package/embedded_item_data.h"
#include "package/embedded_json.h"
#include "package/script_object.h"

namespace qinghe {
namespace {

// <script>!(function () {var a = window.__ICE_APP_CONTEXT__ || {};
// var b = {"loaderData": {"home": {"data": {"ssrItemId": …, "res": {…}}}}};…
constexpr std::string_view kIceContext = "__ICE_APP_CONTEXT__";
constexpr std::string_view kLoaderData = "\"loaderData\"";

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The byte position of the '{' that opens the object whose first key is
// "loaderData", or npos.
size_t loader_data_open(std::string_view page) {
    const size_t context = find_marker(page, kIceContext);
    if (context == std::string_view::npos) return std::string_view::npos;
    const size_t key = find_marker(page, kLoaderData, context + kIceContext.size());
    if (key == std::string_view::npos) return std::string_view::npos;
    size_t open = key;
    while (open > context && is_space(page[open - 1])) --open;
    return open > context && page[open - 1] == '{' ? open - 1 : std::string_view::npos;
}

std::vector<Text> gallery_of(const Json* images, std::string_view page_address) {
    std::vector<Text> gallery;
    for (const Json& image : json_elements(images)) {
        Text address = json_address(&image, page_address);
        if (!address.empty()) gallery.push_back(std::move(address));
    }
    return gallery;
}

// skuBase.props: [{"pid":"1627207","name":"颜色分类","values":[{"vid":"28341","name":"黑色","image":"…"}]}]
std::vector<SkuProperty> sale_properties(const Json* props, std::string_view page_address) {
    std::vector<SkuProperty> properties;
    for (const Json& prop : json_elements(props)) {
        SkuProperty property;
        property.property_id = json_text(json_at(prop, {"pid"}));
        property.name = json_text(json_at(prop, {"name"}));
        for (const Json& value : json_elements(json_at(prop, {"values"}))) {
            SkuValue sku_value;
            sku_value.value_id = json_text(json_at(value, {"vid"}));
            sku_value.name = json_text(json_at(value, {"name"}));
            sku_value.picture = json_address(json_at(value, {"image"}), page_address);
            property.values.push_back(std::move(sku_value));
        }
        properties.push_back(std::move(property));
    }
    return properties;
}

// skuBase.skus: [{"propPath":"1627207:28341;20509:28314","skuId":"5012345678901"}], each with
// skuCore.sku2info.<skuId>: {"price":{"priceText":"899.00"},"quantity":"200"}.
std::vector<SkuCombination> sale_combinations(const Json& res) {
    const Json* sku_info = json_at(res, {"skuCore", "sku2info"});
    std::vector<SkuCombination> combinations;
    for (const Json& sku : json_elements(json_at(res, {"skuBase", "skus"}))) {
        SkuCombination combination;
        combination.value_path = json_text(json_at(sku, {"propPath"}));
        if (combination.value_path.empty()) continue;
        const Text sku_id = json_text(json_at(sku, {"skuId"}));
        const Json* info = sku_id.empty() ? nullptr : json_at(sku_info, {sku_id});
        combination.price = json_text(json_at(info, {"price", "priceText"}));
        combination.quantity = json_text(json_at(info, {"quantity"}));
        combinations.push_back(std::move(combination));
    }
    return combinations;
}

}  // namespace

ItemFacts read_ice_app_context_data(std::string_view page, std::string_view page_address) {
    ItemFacts facts;
    const size_t open = loader_data_open(page);
    if (open == std::string_view::npos) return facts;
    const auto literal = cut_script_object(page, open);
    if (!literal) return facts;
    const Json context = parse_script_object(*literal);
    if (context.is_discarded()) return facts;
    const Json* data = json_at(context, {"loaderData", "home", "data"});
    const Json* res = json_at(data, {"res"});
    if (!res || !res->is_object()) return facts;

    const Json* item = json_at(res, {"item"});
    facts.title = json_text(json_at(item, {"title"}));
    facts.item_id = json_text(json_at(item, {"itemId"}));
    if (facts.item_id.empty()) facts.item_id = json_text(json_at(data, {"ssrItemId"}));
    facts.gallery = gallery_of(json_at(item, {"images"}), page_address);
    facts.description_address = json_address(json_at(item, {"pcADescUrl"}), page_address);
    facts.category_id = json_text(json_at(item, {"categoryId"}));
    facts.price = json_text(json_at(res, {"componentsVO", "priceVO", "price", "priceText"}));
    if (facts.price.empty()) {
        // The item's own entry of sku2info ("0") holds the price of an item without SKUs.
        facts.price = json_text(json_at(res, {"skuCore", "sku2info", "0", "price", "priceText"}));
    }
    facts.location = json_text(json_at(res, {"componentsVO", "deliveryVO", "deliveryFromAddr"}));
    facts.seller_nick = json_text(json_at(res, {"seller", "sellerNick"}));
    facts.shop_name = json_text(json_at(res, {"seller", "shopName"}));
    facts.sku_properties = sale_properties(json_at(res, {"skuBase", "props"}), page_address);
    facts.sku_combinations = sale_combinations(*res);
    facts.item_address = canonical_link(page, page_address);
    facts.found = !facts.title.empty() || !facts.gallery.empty();
    return facts;
}

}  // namespace qinghe
