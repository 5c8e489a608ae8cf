// The listing fields of the export cut out of an arbitrary page, assembled
// into a package row and turned into the bytes of a package file, as the
// export stage does without its fetches and writes.
#include "base/html.h"
#include "fuzz/fuzz_input.h"
#include "package/item_package_row.h"
#include "package/item_page.h"
#include "package/listing_fields.h"
#include "package/package_format.h"

using namespace qinghe;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // address, location script, description, page
    const auto parts = fuzz::input_parts(data, size, 4);
    const std::string_view address = parts[0];
    const Text script(parts[1]);
    const std::string_view description = parts[2];
    const Text page = replace_text(bytes_to_text(parts[3]), ")", "\"");

    int script_fetches = 0;
    const auto location = location_text(page, detect_marketplace(page), [&](std::string_view) {
        ++script_fetches;
        return script;
    });
    QINGHE_FUZZ_CHECK(script_fetches <= 1);
    (void)location_from_script(script);
    // No space or tab is left at a character start (after a lead byte it is
    // the second half of a character).
    const Text subtitle = selling_point(page);
    for (size_t i = 0; i < subtitle.size();
         i += static_cast<unsigned char>(subtitle[i]) >= 0x80 ? 2 : 1) {
        QINGHE_FUZZ_CHECK(subtitle[i] != ' ' && subtitle[i] != '\t');
    }
    const Text stripped = strip_hyperlinks(description);
    PackageRowInput input;
    input.page = page;
    input.address = address;
    input.description = stripped;
    input.location = location;
    input.item_id = text_between(address, "id=", "&");

    // The helpers the fields are built with, on the page's own pieces.
    (void)text_before(page, address);
    (void)remove_text(page, address);
    const Text whole = whole_characters(page);
    QINGHE_FUZZ_CHECK(whole.size() <= page.size() && page.compare(0, whole.size(), whole) == 0);
    QINGHE_FUZZ_CHECK(left_characters(page, 4).size() <= 4);
    QINGHE_FUZZ_CHECK(right_characters(page, 4).size() <= 4);

    Text row = build_package_row(input);
    const Text final_row = final_row_form(row);
    Bytes file = package_file_bytes(row);
    QINGHE_FUZZ_CHECK(file.compare(0, package_header().size(), package_header()) == 0);
    QINGHE_FUZZ_CHECK(file.substr(package_header().size() + 2) == final_row);
    QINGHE_FUZZ_CHECK(package_file_bytes_of_final(final_row) == file);
    return 0;
}
