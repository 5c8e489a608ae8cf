// Byte-text primitives over GBK text.
//
// Text is GBK bytes without zero bytes; Bytes may hold zero bytes. Both are
// std::string so that they convert freely. Positions are 1-based byte
// positions. The scanning operations step over double-byte characters: a
// byte of 0x80 or above is a lead byte and takes the next byte with it, so
// a match never starts on the second byte of a character.
//
// Every function is pure and reentrant; any thread may call any of them.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace qinghe {

using Text = std::string;
using Bytes = std::string;

// A list of texts numbered from 1.
class TextList {
public:
    TextList() = default;
    explicit TextList(std::vector<Text> items) : m_items(std::move(items)) {}

    int count() const { return static_cast<int>(m_items.size()); }
    // Element n (1-based); the empty text for a number outside 1..count.
    const Text& at(int n) const;
    const std::vector<Text>& items() const { return m_items; }

private:
    std::vector<Text> m_items;
};

// Length in bytes (1 or 2) of the character that starts at byte i < t.size()
// under the scanning rule above: a byte of 0x80 or above with a byte after it
// starts a double-byte character; a lead byte at the very end stands alone.
// This is the one rule of every text scan, cut and walk of the program, so
// that they all agree on where characters start. (File names that go to the
// file system follow code page 936 itself: see gbk_character_length in
// base/gbk.h.)
size_t character_length(std::string_view t, size_t i);

// Equal when ASCII letters are taken in either case; other bytes must match.
bool equal_ignoring_case(std::string_view a, std::string_view b);

Text join_text(std::initializer_list<std::string_view> parts);

// 1-based position of the first occurrence at a character start, or -1.
int find_text(std::string_view haystack, std::string_view needle);
// find_text found the needle: the marker test of the page-scraping code.
inline bool contains_text(std::string_view haystack, std::string_view needle) {
    return find_text(haystack, needle) > 0;
}
TextList split_text(std::string_view text, std::string_view delimiter);
Text replace_text(std::string_view text, std::string_view old_text, std::string_view new_text = {},
                  bool case_sensitive = true);

// The text after the first occurrence of start up to the first occurrence of
// end after it, or to the next occurrence of start, or to the end of t,
// whichever comes first; empty when t lacks start.
Text text_between(std::string_view t, std::string_view start, std::string_view end);
// The text before the first occurrence of marker, or all of t.
Text text_before(std::string_view t, std::string_view marker);
// t without any occurrence of marker.
Text remove_text(std::string_view t, std::string_view marker);
// t without a lead byte left dangling at its end by a cut page.
Text whole_characters(std::string_view t);
// The longest start and the longest end of t of at most max_bytes bytes that
// cut no character in half.
Text left_characters(std::string_view t, size_t max_bytes);
Text right_characters(std::string_view t, size_t max_bytes);

Text trim_text(std::string_view t);
Text to_upper_text(std::string_view t);
Text to_halfwidth(std::string_view t);

Bytes text_to_bytes(std::string_view t);
Text bytes_to_text(std::string_view b);

}  // namespace qinghe
