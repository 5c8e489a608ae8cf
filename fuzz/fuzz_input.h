// Shared helpers of the fuzz targets.
//
// A fuzz input is cut into texts at zero bytes: a Text never holds a zero
// byte, so every part is a text the program could meet, and the fuzzer can
// grow or shrink each argument of a call independently.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace qinghe::fuzz {

// The first count - 1 parts are cut at zero bytes; the last part is the rest
// of the input (zero bytes included). Missing parts are empty.
inline std::vector<std::string_view> input_parts(const uint8_t* data, size_t size, size_t count) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> parts;
    while (parts.size() + 1 < count) {
        const size_t zero = rest.find('\0');
        if (zero == std::string_view::npos) {
            parts.push_back(rest);
            rest = {};
        } else {
            parts.push_back(rest.substr(0, zero));
            rest.remove_prefix(zero + 1);
        }
    }
    parts.push_back(rest);
    return parts;
}

// A small signed number taken from a text, for positions and lengths: the
// first byte gives -8..247, so the edges around zero are well covered.
inline int small_number(std::string_view t) {
    return t.empty() ? 0 : static_cast<int>(static_cast<unsigned char>(t[0])) - 8;
}

// A broken invariant: print it and abort so that the fuzzer keeps the input.
[[noreturn]] inline void invariant_failed(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: invariant failed: %s\n", file, line, condition);
    std::abort();
}

}  // namespace qinghe::fuzz

#define QINGHE_FUZZ_CHECK(condition) \
    ((condition) ? (void)0 : ::qinghe::fuzz::invariant_failed(#condition, __FILE__, __LINE__))
