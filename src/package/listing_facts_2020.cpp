#include "package/listing_facts_2020.h"

#include <algorithm>
#include <cctype>

#include "base/address_resolver.h"
#include "base/gbk_text.h"
#include "package/item_page.h"
#include "package/sale_properties.h"

namespace qinghe {

namespace {

// One way a page writes a field: the text between start and end, or (end
// empty) the quoted value of the g_config entry named start. A classic row
// reads the long-standing form, which the package row reads itself; finding
// a field only through classic rows does not make the page one of the newer
// forms.
struct MarkerRow {
    std::string_view start;
    std::string_view end;
    bool classic;
};

// Price, per marketplace, tried in order.
constexpr MarkerRow kTaobaoPrice[] = {
    {"tb-rmb-num\">", "</", true},  // <em class="tb-rmb-num">899.00</em>, also "149.00 - 159.00"
};
constexpr MarkerRow kTmallPrice[] = {
    {"&yen;", "</span>", true},  // <span class="tm-price">&yen;199.00</span>
    {"tm-price\">", "</span>",
     false},  // <em class="tm-yen">¥</em> <span class="tm-price">5499.00-6799.00</span>
};
constexpr MarkerRow k1688Price[] = {
    {"\"price\">", "</", true},  // <span class="price">14.80</span>
    {"<em class=\"value\">", "</em>",
     false},                       // <td class="price"> <span><em class="value">14.80</em>
    {"'refPrice':'", "'", false},  // 'refPrice':'16.50': a reference price, the last resort
};

// Location. Taobao's served page names its location only through the sib
// answer, which the package export fetches (sib_location_address).
constexpr MarkerRow kTaobaoLocation[] = {
    {"<span id=\"J-From\">", "</span>",
     false},  // saved page: 发货地 <span id="J-From">河南郑州</span>
};
constexpr MarkerRow kTmallLocation[] = {
    {"region\" value=\"", "\"", true},  // <input type="hidden" name="region" value="江苏南京">
};
constexpr MarkerRow k1688Location[] = {
    {"delivery-addr\">", "</span>", true},  // <span class="delivery-addr">广东省 汕头市</span>
};

// Category.
constexpr MarkerRow kTaobaoCategory[] = {
    {"%5f", "&", true},  // list.taobao.com/browse/cat%5f50000671&amp;…
    {"cid", "", false},  // g_config: cid             : '50008899',
};
constexpr MarkerRow kTmallCategory[] = {
    {"%5f", "&", true},                  // list.tmall.com/search_product.htm?cat%5f50010410&…
    {"\"categoryId\":\"", "\"", false},  // TShop.Setup({…"itemDO":{"categoryId":"50012100",…
};

// Seller nickname.
constexpr MarkerRow kNick[] = {
    {"data-nick=\"", "\"", true},        // <a data-nick="…">
    {"sellerNick", "", false},           // g_config: sellerNick      : '…',
    {"\"sellerNick\":\"", "\"", false},  // TShop.Setup({…"sellerNick":"…"
};

struct Found {
    Text value;
    bool classic = false;
};

// The value of a g_config entry `key   :   'value'` (spaces of any width
// between the key, the colon and the quote).
Text script_key_value(std::string_view page, std::string_view key) {
    size_t at = 0;
    while ((at = page.find(key, at)) != std::string_view::npos) {
        const bool starts_word =
            at == 0 || !(std::isalnum(static_cast<unsigned char>(page[at - 1])) ||
                         page[at - 1] == '_' || page[at - 1] == '"');
        size_t i = at + key.size();
        at = i;
        if (!starts_word) continue;
        while (i < page.size() && page[i] == ' ') ++i;
        if (i >= page.size() || page[i] != ':') continue;
        ++i;
        while (i < page.size() && page[i] == ' ') ++i;
        if (i >= page.size() || page[i] != '\'') continue;
        const size_t end = page.find('\'', i + 1);
        if (end == std::string_view::npos) return {};
        return Text(page.substr(i + 1, end - i - 1));
    }
    return {};
}

Text read_row(std::string_view page, const MarkerRow& row) {
    if (row.end.empty()) return script_key_value(page, row.start);
    if (!contains_text(page, row.start)) return {};
    return text_between(page, row.start, row.end);
}

template <size_t N, typename Accept>
Found first_row(std::string_view page, const MarkerRow (&rows)[N], Accept accept) {
    for (const MarkerRow& row : rows) {
        Text value = read_row(page, row);
        if (accept(value)) return {std::move(value), row.classic};
    }
    return {};
}

bool not_empty(Text& value) {
    value = trim_text(value);
    return !value.empty();
}

// A price as the page writes it, made plain: currency signs and spaces
// removed ("149.00 - 159.00" gives "149.00-159.00"). Anything but digits,
// points and one hyphen is no price.
bool plain_price(Text& value) {
    static const Text kYuan = gbk_text("￥");  // full-width; "¥" reads "&#165;" in GBK text
    for (const std::string_view sign : {std::string_view("&yen;"), std::string_view("&#165;"),
                                        std::string_view(kYuan), std::string_view(" ")}) {
        value = remove_text(value, sign);
    }
    if (value.empty() || value.front() == '-' || value.back() == '-') return false;
    int hyphens = 0;
    for (const char c : value) {
        if (c == '-')
            ++hyphens;
        else if (!(c >= '0' && c <= '9') && c != '.')
            return false;
    }
    return hyphens <= 1;
}

bool digits(Text& value) {
    value = trim_text(value);
    if (value.empty()) return false;
    for (const char c : value) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

// The sale values of a "<li data-value=\"pid:vid\"" list, grouped by
// property in page order, pictures resolved against the page's address.
// Tells whether a picture stood in a newer form (scheme-relative or https).
bool read_sku_properties(std::string_view page, std::string_view page_address, ItemFacts& facts) {
    // The sale-value reader expects the prepared page, where url(x) reads url(x".
    const SaleValues sale = find_sale_values(replace_text(page, ")", "\""));
    bool newer = false;
    for (const SaleValue& value : sale.values) {
        const Text property_id = text_before(value.value_id, ":");
        const Text value_id = split_text(value.value_id, ":").at(2);
        if (property_id.empty() || value_id.empty()) continue;
        SkuValue sku{value_id, value.name, {}};
        if (!value.picture_address.empty()) {
            Text address = value.picture_address;
            // Newer pages add these thumbnail endings to the long-standing ones.
            for (const std::string_view ending : {"_40x40q90.jpg", "_60x60q90.jpg"}) {
                address = remove_text(address, ending);
            }
            if (!address.starts_with("http://")) newer = true;
            sku.picture = resolve_address(page_address, address);
        }
        auto property =
            std::find_if(facts.sku_properties.begin(), facts.sku_properties.end(),
                         [&](const SkuProperty& p) { return p.property_id == property_id; });
        if (property == facts.sku_properties.end()) {
            facts.sku_properties.push_back({property_id, {}, {}});
            property = facts.sku_properties.end() - 1;
        }
        property->values.push_back(std::move(sku));
    }
    return newer;
}

// skuMap: {";1627207:28341;20509:28314;":{"price":"899.00","stock":"5",…},…}
void read_sku_map(std::string_view page, ItemFacts& facts) {
    if (!contains_text(page, "skuMap")) return;
    const Text map = text_between(page, "skuMap", "}}");
    const TextList entries = split_text(map, "\";");
    for (int i = 2; i <= entries.count(); ++i) {
        const Text& entry = entries.at(i);
        if (!contains_text(entry, ";\"") || !contains_text(entry, "price\":\"")) continue;
        SkuCombination combination;
        combination.value_path = text_before(entry, ";\"");
        combination.price = text_between(entry, "price\":\"", "\"");
        Text stock = text_between(entry, "stock\":", ",");
        if (contains_text(stock, "}")) stock = text_before(stock, "}");
        combination.quantity = remove_text(trim_text(stock), "\"");
        facts.sku_combinations.push_back(std::move(combination));
    }
}

}  // namespace

Text sib_location_address(std::string_view page, std::string_view page_address) {
    const Text sib = script_key_value(page, "sibUrl");
    if (sib.empty()) return {};
    return resolve_address(page_address, sib);
}

void read_2020_listing_facts(std::string_view page, std::string_view page_address,
                             ItemFacts& facts) {
    const MarketplaceKind kind = detect_marketplace(page, page_address);
    bool newer = false;
    auto take = [&](Text& field, const Found& found) {
        if (found.value.empty()) return;
        if (field.empty()) field = found.value;
        if (!found.classic) newer = true;
    };
    switch (kind) {
        case MarketplaceKind::Taobao:
            take(facts.price, first_row(page, kTaobaoPrice, plain_price));
            take(facts.location, first_row(page, kTaobaoLocation, not_empty));
            take(facts.category_id, first_row(page, kTaobaoCategory, digits));
            break;
        case MarketplaceKind::Tmall:
            take(facts.price, first_row(page, kTmallPrice, plain_price));
            take(facts.location, first_row(page, kTmallLocation, not_empty));
            take(facts.category_id, first_row(page, kTmallCategory, digits));
            break;
        case MarketplaceKind::Ali1688:
            take(facts.price, first_row(page, k1688Price, plain_price));
            take(facts.location, first_row(page, k1688Location, not_empty));
            break;
    }
    take(facts.seller_nick, first_row(page, kNick, not_empty));
    if (facts.title.empty() && contains_text(page, "<title>")) facts.title = extract_title(page);
    if (facts.sku_properties.empty()) {
        if (read_sku_properties(page, page_address, facts)) newer = true;
        if (facts.sku_combinations.empty()) read_sku_map(page, facts);
    }
    if (newer) facts.found = true;
}

}  // namespace qinghe
