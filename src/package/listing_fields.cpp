#include "package/listing_fields.h"

#include "base/gbk.h"
#include "base/gbk_text.h"
#include "base/html.h"
#include "package/location_split.h"
#include "package/package_format.h"

namespace qinghe {

namespace {

constexpr std::string_view kDescUrl = "descUrl";                        // Tmall page
constexpr std::string_view kDynamicScript = "g_config.dynamicScript(";  // Taobao page
constexpr std::string_view kCategoryStart = "%5f";
constexpr std::string_view kShopStart = "shopId=";

constexpr std::string_view kTmallRegion = "region\" value=\"";
constexpr std::string_view kTaobaoScriptAddress = "{var b=\"";
constexpr std::string_view kScriptSendCity = "sendCity\":\"";
constexpr std::string_view kScriptLocation = "location:'";
constexpr std::string_view kAliDeliveryAddress = "delivery-addr\">";

constexpr std::string_view kTmallPrice = "&yen;";
constexpr std::string_view kTaobaoPrice = "tb-rmb-num\">";
constexpr std::string_view kAliPrice = "\"price\">";
constexpr std::string_view kPriceRange = " - ";

constexpr std::string_view kListItemEnd = "</li>";
constexpr std::string_view kNbsp = "&nbsp;";
constexpr std::string_view kEntity = "&#";

constexpr std::string_view kNick = "data-nick=\"";
constexpr std::string_view kSubtitle = "<p class=\"tb-subtitle\">";
constexpr std::string_view kParagraph = "<p>";
constexpr std::string_view kParagraphEnd = "</p>";

// A cleaned-up property text: "&nbsp;" removed, trimmed, decimal character
// references decoded.
Text property_text(std::string_view page, std::string_view marker) {
    Text t = trim_text(remove_text(text_between(page, marker, kListItemEnd), kNbsp));
    if (contains_text(t, kEntity)) t = decode_numeric_entities(t);
    return t;
}

}  // namespace

Text category_and_shop_run(std::string_view page) {
    if (!contains_text(page, kDescUrl) && !contains_text(page, kDynamicScript)) return "0,0,0,";
    return join_text({whole_characters(text_between(page, kCategoryStart, "&")), ",",
                      kQuotePlaceholder, whole_characters(text_between(page, kShopStart, ";")),
                      kQuotePlaceholder, ",", "0,"});
}

std::optional<Text> location_text(std::string_view page, MarketplaceKind kind,
                                  const ScriptFetcher& fetch_script) {
    switch (kind) {
        case MarketplaceKind::Tmall:
            if (!contains_text(page, kTmallRegion)) return std::nullopt;
            return text_between(page, kTmallRegion, "\"");
        case MarketplaceKind::Taobao: {
            if (!contains_text(page, kTaobaoScriptAddress)) return std::nullopt;
            const Text address = text_between(page, kTaobaoScriptAddress, "\"");
            const Text script = fetch_script ? bytes_to_text(fetch_script(address)) : Text{};
            return location_from_script(script);
        }
        case MarketplaceKind::Ali1688:
            if (!contains_text(page, kAliDeliveryAddress)) return std::nullopt;
            return remove_text(text_between(page, kAliDeliveryAddress, "</span>"), " ");
    }
    return std::nullopt;
}

Text location_from_script(std::string_view script) {
    if (contains_text(script, kScriptSendCity)) return text_between(script, kScriptSendCity, "\"");
    return text_between(script, kScriptLocation, "'");
}

Text location_run(const std::optional<Text>& location) {
    if (!location) return "||||||,||||||,";
    const Text whole = whole_characters(*location);
    return join_text({kQuotePlaceholder, left_characters(whole, 4), "|||,|||",
                      right_characters(whole, 4), kQuotePlaceholder, ","});
}

Text split_location_run(std::string_view location) {
    const std::optional<SplitLocation> split = split_location(location);
    if (!split) return location_run(Text(location));
    return join_text({kQuotePlaceholder, whole_characters(split->province), "|||,|||",
                      whole_characters(split->city), kQuotePlaceholder, ","});
}

bool names_division_suffix(std::string_view location) {
    static const Text kSuffixes[] = {gbk_text("省"), gbk_text("市"), gbk_text("自治区")};
    for (const Text& suffix : kSuffixes) {
        if (contains_text(location, suffix)) return true;
    }
    return false;
}

Text price_text(std::string_view page, MarketplaceKind kind) {
    Text p;
    switch (kind) {
        case MarketplaceKind::Tmall: p = text_between(page, kTmallPrice, "</span>"); break;
        case MarketplaceKind::Taobao: p = text_between(page, kTaobaoPrice, "</"); break;
        case MarketplaceKind::Ali1688:
            if (!contains_text(page, kAliPrice)) return "0";
            p = text_between(page, kAliPrice, "</");
            break;
    }
    if (contains_text(p, kPriceRange)) p = text_before(p, kPriceRange);
    return p;
}

bool has_classic_price(std::string_view page, MarketplaceKind kind) {
    const std::string_view marker = kind == MarketplaceKind::Tmall    ? kTmallPrice
                                    : kind == MarketplaceKind::Taobao ? kTaobaoPrice
                                                                      : kAliPrice;
    if (!contains_text(page, marker)) return false;
    const Text p = price_text(page, kind);
    if (p.empty()) return false;
    for (const char c : p) {
        if (!(c >= '0' && c <= '9') && c != '.' && c != '-' && c != ' ') return false;
    }
    return true;
}

Text lower_price(std::string_view price) {
    const Text plain = remove_text(price, " ");
    return contains_text(plain, "-") ? text_before(plain, "-") : plain;
}

BrandAndModel brand_and_model(std::string_view page) {
    static const Text kBrand = gbk_text("品牌:");
    static const Text kModel = gbk_text("型号:");
    static const Text kModelPart = gbk_text(";型号;");
    BrandAndModel result;
    if (contains_text(page, kBrand)) result.input_values = property_text(page, kBrand);
    if (contains_text(page, kModel)) {
        const Text model = property_text(page, kModel);
        if (!model.empty()) result.input_values += join_text({kModelPart, model, ";"});
        result.outer_id = model;
    }
    return result;
}

Text finish_outer_id(std::string_view outer_id) {
    if (contains_text(outer_id, "{")) return " ";
    return Text(outer_id);
}

Text user_name(std::string_view page, std::string_view address) {
    if (!contains_text(page, kNick)) return {};
    const Text nick = trim_text(remove_text(text_between(page, kNick, "\""), kNbsp));
    if (contains_text(nick, "%") && !is_1688_address(address)) {
        return utf8_to_text(text_to_bytes(percent_decode(nick)));
    }
    return nick;
}

Text selling_point(std::string_view page) {
    Text s;
    for (const std::string_view start : {kSubtitle, kParagraph}) {
        if (!contains_text(page, start)) continue;
        s = trim_text(
            remove_text(remove_text(text_between(page, start, kParagraphEnd), kNbsp), "\r\n"));
        break;
    }
    s = remove_text(s, " ");
    s = remove_text(s, "\t");
    return remove_text(s, "\r\n");
}

}  // namespace qinghe
