// Page fragments to plain GBK text: hyperlinks, character references and
// percent escapes.
#include "base/html.h"

#include "base/gbk.h"
#include "base/text_buffer.h"
#include "base/text_number.h"

namespace qinghe {

namespace {

constexpr std::string_view kLinkOpen = "<a ";  // a lowercase opening link tag
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
        Text single = code_points_to_gbk(std::u32string(1, c));
        if (single != Text(1, kReplacement)) code_points.push_back(c);
    }
}

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
        std::string_view piece = next < 0 ? after : after.substr(0, static_cast<size_t>(next - 1));
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
    buffer.write_text(code_points_to_gbk(code_points));
    buffer.rewind();
    Text result = buffer.read_text();
    buffer.close();
    return result;
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

}  // namespace qinghe
