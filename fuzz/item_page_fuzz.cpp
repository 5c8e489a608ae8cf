// The identification of an item page and the link search over it: the title,
// the marketplace, every "http…\"" link and the full-size picture address
// made from each, and the names that the harvest derives from page text.
#include "base/native_path.h"
#include "base/pattern.h"
#include "fuzz/fuzz_input.h"
#include "harvest/description_stage.h"
#include "harvest/harvest_paths.h"
#include "harvest/main_picture_stage.h"
#include "package/item_page.h"

using namespace qinghe;

namespace {

// The link pattern of the harvest.
constexpr std::string_view kLinkPattern = "http(.*?)\"";

// A name that the file layer will join to a folder must stay one element.
void check_one_element(const Text& name) {
    const std::string native = to_native_path(name);
    QINGHE_FUZZ_CHECK(!native.empty() && native != "." && native != "..");
    QINGHE_FUZZ_CHECK(native.find('/') == std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto parts = fuzz::input_parts(data, size, 2);
    const std::string_view address = parts[0];
    // The page as the harvest prepares it: text up to the first zero byte,
    // every ")" turned into a double quote.
    const Text page = replace_text(bytes_to_text(parts[1]), ")", "\"");

    (void)detect_marketplace(page);
    (void)is_1688_address(address);
    const Text title = extract_title(page);
    check_one_element(usable_name(title));
    QINGHE_FUZZ_CHECK(usable_name(title).size() <= 160);

    const Text item_id = item_id_from_address(address);
    check_one_element(usable_name(join_text({item_id, kItemFolderTail, "_", title})));

    static PatternObject pattern;
    static const bool compiled = compile_pattern(pattern, kLinkPattern);
    QINGHE_FUZZ_CHECK(compiled);
    int count = 0;
    for (const MatchResult& result : search_all(pattern, page)) {
        QINGHE_FUZZ_CHECK(!result.groups.empty() && result.groups[0].matched);
        QINGHE_FUZZ_CHECK(result.groups[0].offset >= 0 &&
                          static_cast<size_t>(result.groups[0].offset) + result.groups[0].length <=
                              page.size());
        const Text link = match_text(result, page);
        QINGHE_FUZZ_CHECK(link.size() >= 5 && link.compare(0, 4, "http") == 0 &&
                          link.back() == '"');
        const Text picture = clean_main_picture_address(link);
        QINGHE_FUZZ_CHECK(picture.size() <= link.size());
        check_one_element(server_file_name(picture));
        ++count;
        (void)description_picture_name(
            count % 2 ? DescriptionNaming::FromZero : DescriptionNaming::FromOne, count, count,
            ".jpg");
    }
    return 0;
}
