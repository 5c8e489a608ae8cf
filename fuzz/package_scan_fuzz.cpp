// The scan of a dropped data package: UCS-2 bytes converted to GBK, the
// picture addresses after the description and picture-column markers, and
// the file and folder names made from them. The localizer runs these steps
// between its fetches and writes; here they run on arbitrary package bytes.
#include "base/encoding.h"
#include "base/native_path.h"
#include "fuzz/fuzz_input.h"
#include "harvest/harvest_paths.h"

using namespace qinghe;

namespace {

// Description pictures stand in HTML attributes (src="http://..."), main and
// property pictures in the picture column (...|http://...;).
constexpr std::string_view kDetailMarker = "\"http://";
constexpr std::string_view kDetailEnd = "\"";
constexpr std::string_view kMainMarker = "|http://";
constexpr std::string_view kMainEnd = ";";

void check_one_element(const Text& name) {
    const std::string native = to_native_path(name);
    QINGHE_FUZZ_CHECK(!native.empty() && native != "." && native != "..");
    QINGHE_FUZZ_CHECK(native.find('/') == std::string::npos);
}

void scan(const Text& package_text, std::string_view marker, std::string_view end) {
    const TextList elements = split_text(package_text, marker);
    for (int n = 2; n <= elements.count(); ++n) {
        const Text piece = split_text(elements.at(n), end).at(1);
        if (piece.empty()) continue;
        const Text address = join_text({"http://", piece});
        const TextList segments = split_text(address, "/");
        const Text raw_name = segments.at(segments.count());
        if (raw_name.empty()) continue;
        check_one_element(usable_name(raw_name));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto parts = fuzz::input_parts(data, size, 2);
    // The package's own path names its folder.
    const Text path(parts[0]);
    const Text stripped = replace_text(path, ".csv", "", false);
    const TextList by_backslash = split_text(stripped, "\\");
    const TextList by_slash = split_text(by_backslash.at(by_backslash.count()), "/");
    check_one_element(usable_name(by_slash.at(by_slash.count())));

    const Text package_text = bytes_to_text(convert_encoding(parts[1], "UCS-2", "CP936"));
    scan(package_text, kDetailMarker, kDetailEnd);
    scan(package_text, kMainMarker, kMainEnd);
    return 0;
}
