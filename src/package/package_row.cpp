#include "package/package_row.h"

#include "package/listing_fields.h"

namespace qinghe {

namespace {

// Fixed runs of the row in placeholder form.
constexpr std::string_view kColumn7 = "1,";
constexpr std::string_view kColumns9To19 = "|||0|||,1000,7,2,0.1,0,0.1,0,0,1,1,|||";
constexpr std::string_view kBetweenQuoted = "|||,|||";
constexpr std::string_view kCloseQuoted = "|||,";
constexpr std::string_view kNoSaleValues = "|||1:0|||,";
constexpr std::string_view kColumns23To25 = "0,0,|||";
constexpr std::string_view kColumns25To27 = "|||,|||200|||,|||";
constexpr std::string_view kColumns27To29 = "|||,0,|||";
constexpr std::string_view kColumns29To31 = "|||,||||||,|||";
constexpr std::string_view kColumns31To33 = "|||,|||20000|||,|||";
constexpr std::string_view kColumns35To36 = "|||,0,";
constexpr std::string_view kColumns38To39 = ",0,2,";
constexpr std::string_view kColumns41To58 = ",1,20,248,,,0,-1,,2,,,1,,||||||,,;,1,|||";
constexpr std::string_view kQuote = "|||";

// Every double quote doubled, bytewise for the same reason as the quote-run
// collapse: in GBK a quote is always a character of its own, and in text
// that is not GBK it must still be doubled.
Text double_quotes(std::string_view text) {
    Text out;
    out.reserve(text.size() + text.size() / 16);
    for (const char c : text) {
        out += c;
        if (c == '"') out += '"';
    }
    return out;
}

}  // namespace

Text assemble_package_row(const PackageRowFields& f) {
    const Text description = double_quotes(whole_characters(f.description));
    const Text sale_values =
        f.has_sale_values ? join_text({kQuote, whole_characters(f.sale_values), kCloseQuoted})
                          : Text(kNoSaleValues);
    Text row;
    row.reserve(description.size() + 2048);
    row += join_text({kQuote, whole_characters(f.title), kCloseQuoted});
    row += join_text({f.category_run, f.location_run, kColumn7, whole_characters(f.price), ","});
    row += join_text({kColumns9To19, f.list_time, kBetweenQuoted});
    row += description;
    row += kCloseQuoted;
    row += sale_values;
    row +=
        join_text({kColumns23To25, f.modified, kColumns25To27, f.picture_status, kColumns27To29,
                   f.main_picture_entries, f.attribute_picture_entries, kColumns29To31,
                   whole_characters(f.sku_props), kColumns31To33, whole_characters(f.input_values),
                   kBetweenQuoted, whole_characters(f.outer_id), kBetweenQuoted,
                   whole_characters(f.property_names), kColumns35To36});
    row += join_text({whole_characters(f.item_id), kColumns38To39, whole_characters(f.user_name),
                      kColumns41To58, whole_characters(f.subtitle), kQuote});
    return row;
}

}  // namespace qinghe
