// The mapping of program paths to native ones and back, and the names made
// safe for joining: a web name never becomes more than one path element.
#include "base/native_path.h"
#include "fuzz/fuzz_input.h"
#include "harvest/harvest_paths.h"

using namespace qinghe;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto parts = fuzz::input_parts(data, size, 2);
    const std::string_view name = parts[1];
    const int max_bytes = fuzz::small_number(parts[0]);

    for (const Text& safe : {safe_name(name), usable_name(name), usable_name(name, max_bytes)}) {
        const std::string native = to_native_path(safe);
        QINGHE_FUZZ_CHECK(!native.empty() && native != "." && native != "..");
        QINGHE_FUZZ_CHECK(native.find('/') == std::string::npos);
        QINGHE_FUZZ_CHECK(native.find('\0') == std::string::npos);
    }
    QINGHE_FUZZ_CHECK(usable_name(name).size() <= 160);
    QINGHE_FUZZ_CHECK(usable_name(name, max_bytes).size() <=
                      static_cast<size_t>(std::max(max_bytes, 8)));

    // A folder joined from the program's parts keeps the web name inside it.
    const Text folder = child_folder_path("\\save\\batch\\", usable_name(name));
    QINGHE_FUZZ_CHECK(ends_in_separator(folder));
    const std::string native_folder = to_native_path(folder);
    QINGHE_FUZZ_CHECK(native_folder.rfind("/save/batch/", 0) == 0);
    QINGHE_FUZZ_CHECK(native_folder.find('/', 12) == native_folder.size() - 1);
    (void)without_separator(folder);
    (void)batch_folder_path(name, name);
    (void)item_id_from_address(name);
    (void)local_file_link(name);

    // A native path that maps to the program's form maps back to itself.
    Text program;
    if (from_native_path(name, program)) {
        QINGHE_FUZZ_CHECK(to_native_path(program) == std::string(name) ||
                          name.find('\\') != std::string_view::npos);
    }
    return 0;
}
