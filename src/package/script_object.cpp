#include "package/script_object.h"

#include <algorithm>

#include "base/text.h"

namespace qinghe {
namespace {

// A lead byte of a GBK double-byte character (code page 936: 0x81-0xFE;
// 0x80 stands alone as the euro sign).
bool is_gbk_lead(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x81 && byte <= 0xFE;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

size_t find_marker(std::string_view text, std::string_view marker, size_t from) {
    if (from > text.size()) return std::string_view::npos;
    const int at = find_text(text.substr(from), marker);
    return at > 0 ? from + static_cast<size_t>(at - 1) : std::string_view::npos;
}

std::optional<std::string_view> cut_script_object(std::string_view text, size_t open) {
    if (open >= text.size() || (text[open] != '{' && text[open] != '[')) return std::nullopt;
    const size_t limit = std::min(text.size(), open + kMaxScriptObjectBytes);
    // The closing bracket each open one waits for.
    char expected[kMaxScriptObjectNesting];
    int depth = 0;
    bool in_string = false;
    for (size_t at = open; at < limit; ++at) {
        const char c = text[at];
        if (is_gbk_lead(c)) {
            ++at;  // the second byte is part of the character, whatever it is
            continue;
        }
        if (in_string) {
            if (c == '\\') {
                ++at;
            } else if (c == '"') {
                in_string = false;
            }
            continue;
        }
        switch (c) {
            case '"': in_string = true; break;
            case '{':
            case '[':
                if (depth == kMaxScriptObjectNesting) return std::nullopt;
                expected[depth++] = c == '{' ? '}' : ']';
                break;
            case '}':
            case ']':
                if (c != expected[--depth]) return std::nullopt;
                if (depth == 0) return text.substr(open, at - open + 1);
                break;
            default: break;
        }
    }
    return std::nullopt;
}

std::string quote_bare_number_keys(std::string_view literal) {
    std::string out;
    out.reserve(literal.size() + 64);
    bool in_string = false;
    // The last byte outside strings that was not a space: a key can only
    // follow '{' or ','.
    char last = '\0';
    size_t at = 0;
    while (at < literal.size()) {
        const char c = literal[at];
        if (in_string) {
            out.push_back(c);
            if (c == '\\' && at + 1 < literal.size()) {
                out.push_back(literal[++at]);
            } else if (c == '"') {
                in_string = false;
                last = '"';
            }
            ++at;
            continue;
        }
        if (is_digit(c) && (last == '{' || last == ',')) {
            size_t end = at;
            while (end < literal.size() && is_digit(literal[end])) ++end;
            size_t after = end;
            while (after < literal.size() && is_space(literal[after])) ++after;
            const std::string_view digits = literal.substr(at, end - at);
            if (after < literal.size() && literal[after] == ':') {
                out.push_back('"');
                out.append(digits);
                out.push_back('"');
            } else {
                out.append(digits);  // a number in an array: [1,2]
            }
            last = digits.back();
            at = end;
            continue;
        }
        out.push_back(c);
        if (c == '"') {
            in_string = true;
        } else if (!is_space(c)) {
            last = c;
        }
        ++at;
    }
    return out;
}

}  // namespace qinghe
