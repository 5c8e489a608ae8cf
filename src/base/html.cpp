// Page fragments to plain GBK text: hyperlinks, date stamps, character
// references, percent escapes, UTF-16 and UTF-8.
#include "base/html.h"

#include "base/files.h"
#include "base/gbk_detail.h"

namespace qinghe {

namespace {

constexpr std::string_view kLinkOpen = "<a ";    // a lowercase opening link tag
constexpr std::string_view kLinkClose = "</a>";
constexpr std::string_view kTagEnd = ">";
constexpr char kReplacement = '?';
constexpr char32_t kLastBmpCode = 0xFFFF;
constexpr char32_t kLastCode = 0x10FFFF;

bool is_hex_digit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return c - 'A' + 10;
}

// The GBK text of a decimal reference's code: 1..65535 as a UTF-16 unit
// (a character GBK lacks, or a lone surrogate, is "?"); a code beyond the
// first plane only when GBK has that character; zero, negative and
// out-of-range codes give nothing.
void append_reference_code(int code, std::u32string& code_points) {
    if (code <= 0) return;
    auto c = static_cast<char32_t>(code);
    if (c <= kLastBmpCode) {
        code_points.push_back(c);
    } else if (c <= kLastCode) {
        Text single = detail::code_points_to_gbk(std::u32string(1, c));
        if (single != Text(1, kReplacement)) code_points.push_back(c);
    }
}

bool in_range(unsigned char b, unsigned char low, unsigned char high) { return b >= low && b <= high; }

}  // namespace

Text strip_hyperlinks(std::string_view description) {
    // One walk over the pieces between "<a " markers: each piece's tag body
    // runs to its first ">", and the tag "<a " + body + ">" is dropped. This
    // is what removing every occurrence of each such tag in turn gives,
    // since each occurrence starts a piece, but it stays linear however many
    // links a page holds. An empty piece (two markers in a row) and a piece
    // without ">" keep their "<a ".
    int first = find_text(description, kLinkOpen);
    if (first < 0) return replace_text(description, kLinkClose, "");
    Text out(description.substr(0, static_cast<size_t>(first - 1)));
    std::string_view rest = description.substr(static_cast<size_t>(first - 1));
    while (!rest.empty()) {
        // rest starts with "<a ".
        std::string_view after = rest.substr(kLinkOpen.size());
        int next = find_text(after, kLinkOpen);
        std::string_view piece =
            next < 0 ? after : after.substr(0, static_cast<size_t>(next - 1));
        int tag_end = piece.empty() ? -1 : find_text(piece, kTagEnd);
        if (tag_end < 0) {
            out.append(kLinkOpen);
            out.append(piece);
        } else {
            out.append(piece.substr(static_cast<size_t>(tag_end)));
        }
        rest = after.substr(piece.size());
    }
    return replace_text(out, kLinkClose, "");
}

Text format_date_time(DateTime d) {
    return join_text({number_to_text(year_of(d)), "-", number_to_text(month_of(d)), "-",
                      number_to_text(day_of(d)), " ", number_to_text(hour_of(d)), ":",
                      number_to_text(minute_of(d)), ":", number_to_text(second_of(d))});
}

Text decode_numeric_entities(std::string_view text, std::string_view prefix,
                             std::string_view terminator) {
    if (text.empty() || find_text(text, prefix) < 0) return {};
    Text rest = replace_text(text, prefix, "");
    TextList pieces = split_text(rest, terminator);
    std::u32string code_points;
    for (const Text& piece : pieces.items()) append_reference_code(text_to_int(piece), code_points);
    // Reading back through the buffer ends the result before a zero byte or
    // 0x1A (a reference to code 26).
    TextBuffer buffer;
    buffer.open();
    buffer.write_text(detail::code_points_to_gbk(code_points));
    buffer.rewind();
    Text result = buffer.read_text();
    buffer.close();
    return result;
}

Text ucs2_to_text(std::string_view data) {
    std::u32string code_points;
    size_t units = data.size() / 2;
    auto unit_at = [&](size_t i) -> char32_t {
        return static_cast<unsigned char>(data[2 * i]) |
               (static_cast<char32_t>(static_cast<unsigned char>(data[2 * i + 1])) << 8);
    };
    for (size_t i = 0; i < units; ++i) {
        char32_t unit = unit_at(i);
        if (unit == 0) break;
        bool high = unit >= 0xD800 && unit <= 0xDBFF;
        if (high && i + 1 < units) {
            char32_t low = unit_at(i + 1);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                code_points.push_back(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        // A lone surrogate stays as it is and comes out as "?".
        code_points.push_back(unit);
    }
    return detail::code_points_to_gbk(code_points);
}

Text percent_decode(std::string_view text) {
    Bytes out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && is_hex_digit(text[i + 1]) &&
            is_hex_digit(text[i + 2])) {
            out.push_back(static_cast<char>(hex_value(text[i + 1]) * 16 + hex_value(text[i + 2])));
            i += 2;
        } else {
            // Any other byte, and a "%" without two hex digits after it, stays.
            out.push_back(text[i]);
        }
    }
    return bytes_to_text(out);
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
            code_points.push_back(kReplacement);
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
        code_points.push_back(complete ? c : static_cast<char32_t>(kReplacement));
        i = j;
    }
    return detail::code_points_to_gbk(code_points);
}

}  // namespace qinghe
