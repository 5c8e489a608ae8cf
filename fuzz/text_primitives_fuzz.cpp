// The byte-text primitives on arbitrary texts: find, split, replace, cuts,
// trims, case and width folding, and the number conversions.
#include <cmath>
#include <cstdlib>

#include "base/text.h"
#include "base/text_number.h"
#include "fuzz/fuzz_input.h"

using namespace qinghe;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto parts = fuzz::input_parts(data, size, 4);
    const std::string_view text = parts[3];
    const std::string_view needle = parts[1];
    const std::string_view other = parts[2];
    const int a = fuzz::small_number(parts[0]);
    const int b = fuzz::small_number(parts[0].size() > 1 ? parts[0].substr(1) : std::string_view());

    const int at = find_text(text, needle);
    QINGHE_FUZZ_CHECK(at == -1 || (at >= 1 && static_cast<size_t>(at) <= text.size()));
    if (at > 0 && !needle.empty()) {
        QINGHE_FUZZ_CHECK(text.substr(static_cast<size_t>(at - 1), needle.size()) == needle);
    }

    // The pieces of a split, joined again with the delimiter, give the text
    // back (a closing delimiter leaves no empty last piece).
    const TextList pieces = split_text(text, needle);
    if (!needle.empty()) {
        Text joined;
        for (int n = 1; n <= pieces.count(); ++n) {
            if (n > 1) joined.append(needle);
            joined.append(pieces.at(n));
        }
        QINGHE_FUZZ_CHECK(joined == text || joined + Text(needle) == text);
    }
    QINGHE_FUZZ_CHECK(pieces.at(0).empty() && pieces.at(pieces.count() + 1).empty());

    // Replacing a text by itself changes nothing; removing it leaves no
    // occurrence that the same scan would find at the old places' starts.
    QINGHE_FUZZ_CHECK(replace_text(text, needle, needle) == text);
    const Text replaced = replace_text(text, needle, other);
    const Text folded = replace_text(text, needle, other, false);
    (void)folded;
    if (!needle.empty() && other.empty()) {
        QINGHE_FUZZ_CHECK(replaced.size() <= text.size());
    }

    const Text left = left_characters(text, static_cast<size_t>(std::abs(a)));
    const Text right = right_characters(text, static_cast<size_t>(std::abs(b)));
    QINGHE_FUZZ_CHECK(left.size() <= static_cast<size_t>(std::abs(a)) &&
                      text.substr(0, left.size()) == left);
    QINGHE_FUZZ_CHECK(right.size() <= static_cast<size_t>(std::abs(b)) &&
                      text.substr(text.size() - right.size()) == right);
    QINGHE_FUZZ_CHECK(whole_characters(text).size() + 1 >= text.size());

    const Text trimmed = trim_text(text);
    QINGHE_FUZZ_CHECK(trimmed.size() <= text.size() &&
                      text.find(trimmed) != std::string_view::npos);
    QINGHE_FUZZ_CHECK(trim_text(trimmed) == trimmed);
    QINGHE_FUZZ_CHECK(to_upper_text(text).size() == text.size());
    QINGHE_FUZZ_CHECK(to_halfwidth(text).size() <= text.size());
    QINGHE_FUZZ_CHECK(equal_ignoring_case(text, to_upper_text(text)));

    // Numbers as pages write them, and back.
    const double x = text_to_number(text);
    const int n = text_to_int(text);
    (void)number_to_text(x);
    (void)number_to_text(n);
    QINGHE_FUZZ_CHECK(bytes_to_text(text).size() <= text.size());
    return 0;
}
