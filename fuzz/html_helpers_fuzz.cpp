// The HTML and address decoding helpers and the character-set conversions on
// arbitrary page fragments and byte strings.
#include "base/encoding.h"
#include "base/gbk.h"
#include "base/html.h"
#include "fuzz/fuzz_input.h"

using namespace qinghe;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view whole(reinterpret_cast<const char*>(data), size);
    const auto parts = fuzz::input_parts(data, size, 3);
    const std::string_view text = parts[2];

    QINGHE_FUZZ_CHECK(strip_hyperlinks(text).size() <= text.size());
    (void)decode_numeric_entities(text);
    (void)decode_numeric_entities(text, "\\u", "");
    if (!parts[0].empty() && !parts[1].empty()) {
        (void)decode_numeric_entities(text, parts[0], parts[1]);
    }
    QINGHE_FUZZ_CHECK(percent_decode(text).size() <= text.size());

    // Byte strings from the web and from package files may hold anything,
    // zero bytes included.
    const Text from_utf8 = utf8_to_text(whole);
    QINGHE_FUZZ_CHECK(from_utf8.find('\0') == Text::npos);
    (void)gbk_to_utf8(text);
    Text gbk;
    (void)utf8_to_gbk(whole, gbk);
    (void)convert_encoding(whole, "UCS-2", "CP936");
    (void)convert_encoding(whole, "CP936", "UTF-8");
    (void)md5_hex(whole);
    return 0;
}
