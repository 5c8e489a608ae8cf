// GBK (code page 936) conversions through glibc iconv, and UTF-8 decoding.
//
// "CP936" rather than "GBK" so that the byte 0x80 is the euro sign, as on
// code page 936.
#include <iconv.h>

#include <algorithm>
#include <cerrno>

#include "base/gbk.h"

namespace qinghe {

namespace {

constexpr const char* kGbkCharset = "CP936";
// The replacement a GBK conversion writes for a character it cannot hold.
constexpr char kGbkReplacement = '?';
// U+FFFD REPLACEMENT CHARACTER in UTF-8.
constexpr std::string_view kUtf8Replacement = "\xEF\xBF\xBD";

class Converter {
public:
    Converter(const char* to, const char* from) : m_handle(iconv_open(to, from)) {}
    ~Converter() {
        if (ok()) iconv_close(m_handle);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool ok() const { return m_handle != reinterpret_cast<iconv_t>(-1); }

    // Converts as much of in as it can, appending to out. Returns true when
    // all of it was converted; otherwise `in` is left at the offending byte.
    bool convert(std::string_view& in, std::string& out) {
        while (!in.empty()) {
            char buffer[4096];
            char* source = const_cast<char*>(in.data());
            size_t source_left = in.size();
            char* target = buffer;
            size_t target_left = sizeof buffer;
            size_t result = iconv(m_handle, &source, &source_left, &target, &target_left);
            int error = errno;
            out.append(buffer, static_cast<size_t>(target - buffer));
            in.remove_prefix(in.size() - source_left);
            if (result != static_cast<size_t>(-1)) continue;
            if (error == E2BIG) continue;
            // EILSEQ or EINVAL: an invalid or incomplete sequence at in.
            iconv(m_handle, nullptr, nullptr, nullptr, nullptr);
            return false;
        }
        return true;
    }

private:
    iconv_t m_handle;
};

bool is_valid_code_point(char32_t c) { return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF); }

bool in_range(unsigned char b, unsigned char low, unsigned char high) {
    return b >= low && b <= high;
}

// Code page 936: a lead byte 0x81..0xFE followed by a trail byte
// 0x40..0x7E or 0x80..0xFE forms one character. The trail range holds 0x5C,
// so "\\" after a lead byte is part of a character (運 is DF 5C), never a
// separator. "/" (0x2F) and the control bytes are never trail bytes.
bool is_gbk_lead_byte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
bool is_gbk_trail_byte(unsigned char b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }

}  // namespace

Text code_points_to_gbk(const std::u32string& code_points) {
    Text out;
    out.reserve(code_points.size() * 2);
    Converter converter(kGbkCharset, "UTF-32LE");
    std::string units;
    units.reserve(code_points.size() * 4);
    for (char32_t c : code_points) {
        // Characters iconv must not see become the replacement up front.
        if (!is_valid_code_point(c)) c = kGbkReplacement;
        for (int i = 0; i < 4; ++i) units.push_back(static_cast<char>((c >> (8 * i)) & 0xFF));
    }
    if (!converter.ok()) {
        // Without the converter only ASCII can be written.
        for (char32_t c : code_points)
            out.push_back(c > 0 && c < 0x80 ? static_cast<char>(c) : kGbkReplacement);
        return out;
    }
    std::string_view in(units);
    while (!converter.convert(in, out)) {
        out.push_back(kGbkReplacement);
        in.remove_prefix(std::min<size_t>(4, in.size()));
    }
    return out;
}

Text utf8_to_text(std::string_view data) {
    // Each ill-formed sequence (its longest valid-looking start, or one
    // stray byte) becomes one "?", as a UTF-8 decoder that writes U+FFFD
    // does before the GBK step.
    std::u32string code_points;
    size_t i = 0;
    while (i < data.size()) {
        auto b0 = static_cast<unsigned char>(data[i]);
        if (b0 < 0x80) {
            if (b0 == 0) break;
            code_points.push_back(b0);
            ++i;
            continue;
        }
        int need = 0;
        unsigned char low = 0x80, high = 0xBF;
        char32_t c = 0;
        if (in_range(b0, 0xC2, 0xDF)) {
            need = 1, c = b0 & 0x1F;
        } else if (in_range(b0, 0xE0, 0xEF)) {
            need = 2, c = b0 & 0x0F;
            if (b0 == 0xE0) low = 0xA0;
            if (b0 == 0xED) high = 0x9F;
        } else if (in_range(b0, 0xF0, 0xF4)) {
            need = 3, c = b0 & 0x07;
            if (b0 == 0xF0) low = 0x90;
            if (b0 == 0xF4) high = 0x8F;
        } else {
            code_points.push_back(kGbkReplacement);
            ++i;
            continue;
        }
        size_t j = i + 1;
        bool complete = true;
        for (int k = 0; k < need; ++k, ++j) {
            if (j >= data.size() || !in_range(static_cast<unsigned char>(data[j]), low, high)) {
                complete = false;
                break;
            }
            c = (c << 6) | (static_cast<unsigned char>(data[j]) & 0x3F);
            low = 0x80, high = 0xBF;
        }
        code_points.push_back(complete ? c : static_cast<char32_t>(kGbkReplacement));
        i = j;
    }
    return code_points_to_gbk(code_points);
}

std::string gbk_to_utf8(std::string_view gbk) {
    std::string out;
    out.reserve(gbk.size() * 3 / 2);
    Converter converter("UTF-8", kGbkCharset);
    if (!converter.ok()) return out;
    std::string_view in = gbk;
    while (!converter.convert(in, out)) {
        out.append(kUtf8Replacement);
        in.remove_prefix(1);
    }
    return out;
}

bool utf8_to_gbk(std::string_view utf8, Text& out) {
    out.clear();
    Converter converter(kGbkCharset, "UTF-8");
    if (!converter.ok()) return false;
    std::string_view in = utf8;
    if (!converter.convert(in, out)) {
        out.clear();
        return false;
    }
    return true;
}

size_t gbk_character_length(std::string_view t, size_t i) {
    if (i + 1 < t.size() && is_gbk_lead_byte(static_cast<unsigned char>(t[i])) &&
        is_gbk_trail_byte(static_cast<unsigned char>(t[i + 1]))) {
        return 2;
    }
    return 1;
}

}  // namespace qinghe
