// Byte-text primitives: search, split, replace, cutting, trims and byte helpers.
#include "base/text.h"

#include <algorithm>
#include <cstring>

namespace qinghe {

namespace {

// Full-width space, the one double-byte character trim_text removes.
constexpr unsigned char kWideSpaceLead = 0xA1;
constexpr unsigned char kWideSpaceTrail = 0xA1;

bool is_lead(char c) { return static_cast<unsigned char>(c) >= 0x80; }

bool is_trim_space(std::string_view t, size_t i) {
    if (t[i] == ' ') return true;
    return i + 1 < t.size() && static_cast<unsigned char>(t[i]) == kWideSpaceLead &&
           static_cast<unsigned char>(t[i + 1]) == kWideSpaceTrail;
}

char ascii_lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Byte-by-byte comparison where ASCII letters match either case.
bool equal_any_case(const char* a, std::string_view b) {
    for (size_t i = 0; i < b.size(); ++i)
        if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
    return true;
}

// How often a byte turns up in a marketplace page: 0 rare .. 7 everywhere.
// Control bytes are rare, upper case and rare signs uncommon, GBK bytes are
// many but spread over some 90 values each, lower case and markup common.
int byte_commonness(unsigned char b) {
    if (b >= 0x80) return 3;
    if (b >= 'A' && b <= 'Z') return 2;
    if (b >= '0' && b <= '9') return 4;
    if (std::strchr("etaoinsrcldmph", b) != nullptr && b != 0) return 7;
    if (b >= 'a' && b <= 'z') return 6;
    if (std::strchr("<>\"=/ .:-\r\n\t,;'()&?+*", b) != nullptr && b != 0) return 6;
    if (b < 0x20) return 0;
    return 2;
}

// Raw (byte-exact, alignment-blind) occurrences of a needle in a haystack.
// A short needle is looked for by memchr on its least common byte and then
// compared whole; when that byte turns out common in this haystack (more than
// one miss per kBytesPerMiss bytes), the search moves to memmem for good.
// Compared bytes per miss are at most kMaxPrefilterNeedle, so both ways stay
// linear in the haystack.
class ByteSearch {
public:
    ByteSearch(std::string_view haystack, std::string_view needle, size_t origin)
        : m_haystack(haystack), m_needle(needle), m_origin(origin) {
        m_use_memmem = needle.size() > kMaxPrefilterNeedle;
        if (m_use_memmem) return;
        for (size_t i = 1; i < needle.size(); ++i)
            if (byte_commonness(static_cast<unsigned char>(needle[i])) <
                byte_commonness(static_cast<unsigned char>(needle[m_rare])))
                m_rare = i;
    }

    // First raw occurrence starting at or after pos, or npos.
    size_t next(size_t pos) {
        const size_t size = m_haystack.size(), length = m_needle.size();
        const char* base = m_haystack.data();
        if (size - pos < length) return std::string_view::npos;
        while (!m_use_memmem) {
            // The rare byte of an occurrence at start s sits at s + m_rare.
            size_t from = pos + m_rare, end = size - length + m_rare + 1;
            if (from >= end) return std::string_view::npos;
            const void* hit = std::memchr(base + from, m_needle[m_rare], end - from);
            if (hit == nullptr) return std::string_view::npos;
            size_t start = static_cast<size_t>(static_cast<const char*>(hit) - base) - m_rare;
            if (std::memcmp(base + start, m_needle.data(), length) == 0) return start;
            pos = start + 1;
            if (++m_misses > kMissAllowance && m_misses * kBytesPerMiss > pos - m_origin)
                m_use_memmem = true;
        }
        const void* hit = memmem(base + pos, size - pos, m_needle.data(), length);
        return hit == nullptr ? std::string_view::npos
                              : static_cast<size_t>(static_cast<const char*>(hit) - base);
    }

private:
    static constexpr size_t kMaxPrefilterNeedle = 64;
    static constexpr size_t kBytesPerMiss = 64;
    static constexpr size_t kMissAllowance = 16;

    std::string_view m_haystack, m_needle;
    size_t m_origin;
    size_t m_rare = 0;
    size_t m_misses = 0;
    bool m_use_memmem = false;
};

// First occurrence of needle at a character start of the walk that begins
// at `from`, or npos.
size_t find_at_char_start(std::string_view haystack, std::string_view needle, size_t from) {
    if (needle.empty() || from >= haystack.size()) return std::string_view::npos;
    // `known` is always a character start of the walk: the search origin or
    // the byte after a rejected trail byte. Every byte below 0x80 ends a
    // character (alone or as a trail byte), so a candidate is a character
    // start when the run of lead-range bytes right before it, counted back
    // to such a byte or to `known`, has even length. The backward counts
    // never overlap, which keeps the whole search linear.
    size_t known = from;
    size_t pos = from;
    const char* base = haystack.data();
    ByteSearch search(haystack, needle, from);
    while (haystack.size() - pos >= needle.size()) {
        size_t candidate = search.next(pos);
        if (candidate == std::string_view::npos) return std::string_view::npos;
        size_t run_start = candidate;
        while (run_start > known && is_lead(base[run_start - 1])) --run_start;
        if ((candidate - run_start) % 2 == 0) {
            // A lead byte with nothing after it ends the walk.
            if (is_lead(base[candidate]) && candidate + 1 == haystack.size())
                return std::string_view::npos;
            return candidate;
        }
        // The candidate is a trail byte, so the byte after it starts a character.
        known = candidate + 1;
        pos = candidate + 1;
    }
    return std::string_view::npos;
}

// As find_at_char_start, with ASCII letters matching either case. A plain
// character walk: this form serves short markers such as file endings.
size_t find_any_case_at_char_start(std::string_view haystack, std::string_view needle,
                                   size_t from) {
    const char first = ascii_lower(needle[0]);
    for (size_t i = from; haystack.size() - i >= needle.size();) {
        bool lead = is_lead(haystack[i]);
        if (lead && i + 1 == haystack.size()) break;
        if (ascii_lower(haystack[i]) == first && equal_any_case(haystack.data() + i, needle))
            return i;
        i += lead ? 2 : 1;
        if (i >= haystack.size()) break;
    }
    return std::string_view::npos;
}

}  // namespace

const Text& TextList::at(int n) const {
    static const Text empty;
    if (n < 1 || n > count()) return empty;
    return m_items[static_cast<size_t>(n - 1)];
}

size_t character_length(std::string_view t, size_t i) {
    return (is_lead(t[i]) && i + 1 < t.size()) ? 2 : 1;
}

bool equal_ignoring_case(std::string_view a, std::string_view b) {
    return a.size() == b.size() && equal_any_case(a.data(), b);
}

Text join_text(std::initializer_list<std::string_view> parts) {
    size_t total = 0;
    for (auto p : parts) total += p.size();
    Text out;
    out.reserve(total);
    for (auto p : parts) out.append(p);
    return out;
}

int find_text(std::string_view haystack, std::string_view needle) {
    if (needle.empty()) return haystack.empty() ? -1 : 1;
    size_t at = find_at_char_start(haystack, needle, 0);
    return at == std::string_view::npos ? -1 : static_cast<int>(at + 1);
}

TextList split_text(std::string_view text, std::string_view delimiter) {
    std::vector<Text> items;
    if (text.empty()) return TextList{};
    if (delimiter.empty()) {
        items.emplace_back(text);
        return TextList(std::move(items));
    }
    size_t piece_start = 0;
    while (true) {
        size_t at = find_at_char_start(text, delimiter, piece_start);
        if (at == std::string_view::npos) break;
        items.emplace_back(text.substr(piece_start, at - piece_start));
        piece_start = at + delimiter.size();
    }
    if (piece_start < text.size()) items.emplace_back(text.substr(piece_start));
    return TextList(std::move(items));
}

Text replace_text(std::string_view text, std::string_view old_text, std::string_view new_text,
                  bool case_sensitive) {
    if (text.empty() || old_text.empty()) return Text(text);
    Text out;
    out.reserve(text.size());
    size_t copied = 0;
    while (true) {
        size_t at = case_sensitive ? find_at_char_start(text, old_text, copied)
                                   : find_any_case_at_char_start(text, old_text, copied);
        if (at == std::string_view::npos) break;
        out.append(text.substr(copied, at - copied));
        out.append(new_text);
        copied = at + old_text.size();
    }
    out.append(text.substr(copied));
    return out;
}

Text text_between(std::string_view t, std::string_view start, std::string_view end) {
    // The split idiom: element 2 of t split at start runs from the first
    // start to the second one (or the end), then it is cut at end.
    const int at = find_text(t, start);
    if (at < 1) return {};
    std::string_view rest = t.substr(static_cast<size_t>(at - 1) + start.size());
    const int next = find_text(rest, start);
    if (next > 0) rest = rest.substr(0, static_cast<size_t>(next - 1));
    return text_before(rest, end);
}

Text text_before(std::string_view t, std::string_view marker) {
    const int at = find_text(t, marker);
    if (at < 1) return Text(t);
    return Text(t.substr(0, static_cast<size_t>(at - 1)));
}

Text remove_text(std::string_view t, std::string_view marker) {
    return replace_text(t, marker, {});
}

Text whole_characters(std::string_view t) {
    for (size_t i = 0; i < t.size(); i += character_length(t, i)) {
        if (is_lead(t[i]) && i + 1 == t.size()) return Text(t.substr(0, i));
    }
    return Text(t);
}

Text left_characters(std::string_view t, size_t max_bytes) {
    size_t i = 0;
    while (i < t.size()) {
        const size_t width = character_length(t, i);
        if (i + width > max_bytes) break;
        i += width;
    }
    return Text(t.substr(0, i));
}

Text right_characters(std::string_view t, size_t max_bytes) {
    // The first character start from which at most max_bytes remain.
    size_t i = 0;
    while (i < t.size() && t.size() - i > max_bytes) i += character_length(t, i);
    return Text(t.substr(i));
}

Text trim_text(std::string_view t) {
    size_t i = 0;
    while (i < t.size() && is_trim_space(t, i)) i += character_length(t, i);
    size_t begin = i;
    size_t end = begin;  // one past the last character that is not a space
    while (i < t.size()) {
        size_t len = character_length(t, i);
        if (!is_trim_space(t, i)) end = i + len;
        i += len;
    }
    return Text(t.substr(begin, end - begin));
}

Text to_upper_text(std::string_view t) {
    Text out(t);
    for (size_t i = 0; i < out.size(); i += character_length(out, i)) {
        if (out[i] >= 'a' && out[i] <= 'z') out[i] = static_cast<char>(out[i] - 'a' + 'A');
    }
    return out;
}

Text to_halfwidth(std::string_view t) {
    Text out;
    out.reserve(t.size());
    for (size_t i = 0; i < t.size();) {
        if (character_length(t, i) == 1) {
            out.push_back(t[i]);
            ++i;
            continue;
        }
        auto lead = static_cast<unsigned char>(t[i]);
        auto trail = static_cast<unsigned char>(t[i + 1]);
        if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
            out.push_back(static_cast<char>(trail - 0x80));
        } else if (lead == 0xA1 && trail == 0xA1) {
            out.push_back(' ');
        } else if (lead == 0xA1 && trail == 0xAB) {
            out.push_back('~');
        } else if (lead == 0xA1 && (trail == 0xEE || trail == 0xEF)) {
            out.push_back('*');
        } else {
            out.push_back(t[i]);
            out.push_back(t[i + 1]);
        }
        i += 2;
    }
    return out;
}

Bytes text_to_bytes(std::string_view t) { return Bytes(t); }

Text bytes_to_text(std::string_view b) {
    size_t zero = b.find('\0');
    return Text(b.substr(0, zero));
}

}  // namespace qinghe
