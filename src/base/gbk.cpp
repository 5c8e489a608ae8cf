// GBK (code page 936) conversions through glibc iconv.
//
// "CP936" rather than "GBK" so that the byte 0x80 is the euro sign, as on
// code page 936.
#include <iconv.h>

#include <algorithm>
#include <cerrno>

#include "base/gbk_detail.h"
#include "base/html.h"

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

}  // namespace

namespace detail {

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

}  // namespace detail

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

}  // namespace qinghe
