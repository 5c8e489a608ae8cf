// Charset decision by a strict UTF-8 walk; conversion through iconv's
// CP936 (GBK as code page 936 has it, with 0x80 the euro sign).
#include "base/page_charset.h"

#include <iconv.h>

#include <array>
#include <string>

namespace qinghe {
namespace {

char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = ascii_lower(c);
    return out;
}

std::optional<PageCharset> charset_by_name(std::string_view name) {
    const std::string n = lower(name);
    if (n == "utf-8" || n == "utf8") return PageCharset::Utf8;
    if (n == "gbk" || n == "gb2312" || n == "gb18030" || n == "cp936" || n == "x-gbk" ||
        n == "windows-936") {
        return PageCharset::Gbk;
    }
    return std::nullopt;
}

// The value after the first "charset" (any case), skipping spaces, "=" and
// quotes; the empty text when there is none.
std::string_view charset_value(std::string_view text) {
    const std::string lowered = lower(text);
    const size_t at = lowered.find("charset");
    if (at == std::string::npos) return {};
    size_t i = at + 7;
    auto skip = [&](std::string_view chars) {
        while (i < text.size() && chars.find(text[i]) != std::string_view::npos) ++i;
    };
    skip(" \t");
    if (i >= text.size() || text[i] != '=') return {};
    ++i;
    skip(" \t\"'");
    const size_t start = i;
    while (i < text.size()) {
        const char c = text[i];
        const bool name_char = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                               (c >= '0' && c <= '9') || c == '-' || c == '_';
        if (!name_char) break;
        ++i;
    }
    return text.substr(start, i - start);
}

// Where meta tags stand: the start of the page.
constexpr size_t kMetaScanBytes = 8192;

bool declares_gbk(std::string_view bytes) {
    std::string_view head = bytes.substr(0, kMetaScanBytes);
    // Look at every "charset=" of the head, not only the first: a page may
    // name a charset in a script before its meta tag.
    while (!head.empty()) {
        const std::string lowered = lower(head);
        const size_t at = lowered.find("charset");
        if (at == std::string::npos) return false;
        if (charset_by_name(charset_value(head.substr(at))) == PageCharset::Gbk) return true;
        head.remove_prefix(at + 7);
    }
    return false;
}

struct Utf8Scan {
    bool valid = true;
    int multi_byte_sequences = 0;
};

// The length of the UTF-8 sequence at `at` (1 to 4), or 0 when the bytes
// there are no well-formed sequence (overlong forms, surrogates and code
// points above U+10FFFF are not). `cut` tells that the sequence was
// well-formed as far as the bytes go but the bytes end inside it.
size_t sequence_length(std::string_view bytes, size_t at, bool& cut) {
    cut = false;
    const auto b0 = static_cast<unsigned char>(bytes[at]);
    if (b0 < 0x80) return 1;
    size_t n = 0;
    unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        n = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        n = 3;
        if (b0 == 0xE0) low = 0xA0;
        if (b0 == 0xED) high = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        n = 4;
        if (b0 == 0xF0) low = 0x90;
        if (b0 == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    for (size_t k = 1; k < n; ++k) {
        if (at + k >= bytes.size()) {
            cut = true;
            return 0;
        }
        const auto b = static_cast<unsigned char>(bytes[at + k]);
        const unsigned char lo = k == 1 ? low : 0x80;
        const unsigned char hi = k == 1 ? high : 0xBF;
        if (b < lo || b > hi) return 0;
    }
    return n;
}

Utf8Scan scan_utf8(std::string_view bytes) {
    Utf8Scan scan;
    size_t at = 0;
    while (at < bytes.size()) {
        bool cut = false;
        const size_t n = sequence_length(bytes, at, cut);
        if (n == 0) {
            scan.valid = cut;  // only a sequence cut off by the end is forgiven
            return scan;
        }
        if (n > 1) ++scan.multi_byte_sequences;
        at += n;
    }
    return scan;
}

bool starts_with_bom(std::string_view bytes) { return bytes.substr(0, 3) == "\xEF\xBB\xBF"; }

// The code point of a well-formed sequence of n bytes.
char32_t decode(std::string_view sequence) {
    const auto b0 = static_cast<unsigned char>(sequence[0]);
    const size_t n = sequence.size();
    char32_t c = n == 1 ? b0 : n == 2 ? (b0 & 0x1F) : n == 3 ? (b0 & 0x0F) : (b0 & 0x07);
    for (size_t k = 1; k < n; ++k) c = (c << 6) | (static_cast<unsigned char>(sequence[k]) & 0x3F);
    return c;
}

class GbkConverter {
public:
    GbkConverter() : m_handle(iconv_open("CP936", "UTF-8")) {}
    ~GbkConverter() {
        if (ok()) iconv_close(m_handle);
    }
    GbkConverter(const GbkConverter&) = delete;
    GbkConverter& operator=(const GbkConverter&) = delete;
    bool ok() const { return m_handle != reinterpret_cast<iconv_t>(-1); }

    // Appends the GBK form of one UTF-8 sequence; false when GBK lacks it.
    bool append(std::string_view sequence, Text& out) {
        std::array<char, 8> buffer{};
        char* in = const_cast<char*>(sequence.data());  // iconv's interface is not const-correct
        size_t in_left = sequence.size();
        char* target = buffer.data();
        size_t target_left = buffer.size();
        if (iconv(m_handle, &in, &in_left, &target, &target_left) == static_cast<size_t>(-1)) {
            iconv(m_handle, nullptr, nullptr, nullptr, nullptr);
            return false;
        }
        out.append(buffer.data(), buffer.size() - target_left);
        return true;
    }

private:
    iconv_t m_handle;
};

}  // namespace

std::optional<PageCharset> charset_from_content_type(std::string_view content_type) {
    const std::string_view name = charset_value(content_type);
    if (name.empty()) return std::nullopt;
    return charset_by_name(name);
}

PageCharset detect_page_charset(std::string_view bytes, std::string_view content_type) {
    if (const auto declared = charset_from_content_type(content_type)) return *declared;
    if (starts_with_bom(bytes)) return PageCharset::Utf8;
    const Utf8Scan scan = scan_utf8(bytes);
    if (!scan.valid || scan.multi_byte_sequences == 0) return PageCharset::Gbk;
    if (scan.multi_byte_sequences < kFewUtf8Sequences && declares_gbk(bytes)) {
        return PageCharset::Gbk;
    }
    return PageCharset::Utf8;
}

Text utf8_page_to_gbk(std::string_view utf8) {
    if (starts_with_bom(utf8)) utf8.remove_prefix(3);
    Text out;
    out.reserve(utf8.size());
    GbkConverter converter;
    size_t at = 0;
    while (at < utf8.size()) {
        const char c = utf8[at];
        if (static_cast<unsigned char>(c) < 0x80) {
            out.push_back(c);
            ++at;
            continue;
        }
        bool cut = false;
        const size_t n = sequence_length(utf8, at, cut);
        if (n == 0) {
            out.push_back('?');
            ++at;
            // A cut-off sequence at the end is one character, not several.
            if (cut) break;
            continue;
        }
        const std::string_view sequence = utf8.substr(at, n);
        if (!converter.ok() || !converter.append(sequence, out)) {
            out += "&#" + std::to_string(static_cast<unsigned long>(decode(sequence))) + ";";
        }
        at += n;
    }
    return out;
}

Text page_to_gbk(std::string_view bytes, std::string_view content_type) {
    if (detect_page_charset(bytes, content_type) == PageCharset::Utf8) {
        return utf8_page_to_gbk(bytes);
    }
    return Text(bytes);
}

}  // namespace qinghe
