// The readers of the item data newer pages embed in a script (1688's
// window.context, Taobao's and Tmall's __ICE_APP_CONTEXT__): cutting the
// object out of the page, repairing it into JSON and reading the facts.
//
// Input: the page's address, a zero byte, the page's bytes as served or
// saved. Without a zero byte the whole input is the page (so that the test
// fixtures replay as pages).
#include "base/address_resolver.h"
#include "base/page_charset.h"
#include "fuzz/fuzz_input.h"
#include "package/embedded_item_data.h"
#include "package/script_object.h"

using namespace qinghe;

namespace {

// A text of the facts: never a zero byte or another control character.
void check_clean(const Text& text) {
    for (char c : text) QINGHE_FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20);
}

// An address of the facts: empty or one the web fetch can use.
void check_address(const Text& address) {
    QINGHE_FUZZ_CHECK(address.empty() || is_web_address(address));
}

void check_script_object(std::string_view page) {
    const size_t open = page.find_first_of("{[");
    if (open == std::string_view::npos) return;
    const auto literal = cut_script_object(page, open);
    if (!literal) return;
    QINGHE_FUZZ_CHECK(literal->data() == page.data() + open);
    QINGHE_FUZZ_CHECK(literal->size() >= 2 && literal->size() <= kMaxScriptObjectBytes);
    QINGHE_FUZZ_CHECK(literal->back() == (literal->front() == '{' ? '}' : ']'));
    QINGHE_FUZZ_CHECK(quote_bare_number_keys(*literal).size() >= literal->size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t zero = input.find('\0');
    const std::string_view address = zero == std::string_view::npos ? "" : input.substr(0, zero);
    const std::string_view bytes = zero == std::string_view::npos ? input : input.substr(zero + 1);
    // The page as the harvest reads it: charset decided, UTF-8 turned into
    // GBK, text up to the first zero byte.
    const Text page = bytes_to_text(page_to_gbk(bytes));

    check_script_object(page);
    const ItemFacts facts = read_embedded_item_data(page, address);
    if (!facts.found) return 0;
    QINGHE_FUZZ_CHECK(!facts.title.empty() || !facts.gallery.empty());
    for (const Text* text : {&facts.item_id, &facts.title, &facts.price, &facts.location,
                             &facts.category_id, &facts.seller_nick, &facts.shop_name}) {
        check_clean(*text);
    }
    check_address(facts.item_address);
    check_address(facts.description_address);
    for (const Text& picture : facts.gallery) {
        QINGHE_FUZZ_CHECK(!picture.empty());
        check_address(picture);
    }
    for (const SkuProperty& property : facts.sku_properties) {
        check_clean(property.property_id);
        check_clean(property.name);
        for (const SkuValue& value : property.values) {
            check_clean(value.value_id);
            check_clean(value.name);
            check_address(value.picture);
        }
    }
    for (const SkuCombination& combination : facts.sku_combinations) {
        check_clean(combination.value_path);
        check_clean(combination.price);
        check_clean(combination.quantity);
    }
    return 0;
}
