// The package pictures and sale properties read out of an arbitrary page:
// sale values, their names and pictures, the thumbnail strip, the sale
// combinations and the column texts built from them.
#include "fuzz/fuzz_input.h"
#include "package/sale_properties.h"

using namespace qinghe;

namespace {

bool is_hex_name(const Text& name, bool upper) {
    if (name.size() != 32) return false;
    for (char c : name) {
        const bool digit = c >= '0' && c <= '9';
        const bool letter = upper ? (c >= 'A' && c <= 'F') : (c >= 'a' && c <= 'f');
        if (!digit && !letter) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Text page = replace_text(
        bytes_to_text(std::string_view(reinterpret_cast<const char*>(data), size)), ")", "\"");

    const SaleValues sale = find_sale_values(page);
    QINGHE_FUZZ_CHECK(sale.present || sale.values.empty());
    int pictures = 0;
    for (const SaleValue& value : sale.values) {
        if (value.picture_address.empty()) continue;
        const Text name = attribute_picture_name(value.picture_address);
        QINGHE_FUZZ_CHECK(is_hex_name(name, true));
        (void)attribute_picture_entry(name, value.value_id);
        ++pictures;
    }
    (void)sale_values_text(sale.values);
    (void)property_names_text(sale.values);

    int position = 0;
    for (const MainPicture& picture : find_main_pictures(page)) {
        QINGHE_FUZZ_CHECK(is_hex_name(picture.name, false));
        (void)main_picture_entry(picture.name, position++);
        ++pictures;
    }
    (void)sale_combinations_text(page);
    (void)picture_status_text(pictures > 0 ? 2 : 1, pictures);
    return 0;
}
