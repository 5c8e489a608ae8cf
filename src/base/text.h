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

#include <cstdint>
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
    void append(Text t) { m_items.push_back(std::move(t)); }
    const std::vector<Text>& items() const { return m_items; }

private:
    std::vector<Text> m_items;
};

bool texts_equal(std::string_view a, std::string_view b);
int text_length(std::string_view t);
Text join_text(std::initializer_list<std::string_view> parts);
bool bytes_equal(std::string_view a, std::string_view b, int n);
Bytes join_bytes(std::initializer_list<std::string_view> parts);

// 1-based position of the first occurrence at a character start, or -1.
int find_text(std::string_view haystack, std::string_view needle);
// find_text found the needle: the marker test of the page-scraping code.
inline bool contains_text(std::string_view haystack, std::string_view needle) {
    return find_text(haystack, needle) > 0;
}
TextList split_text(std::string_view text, std::string_view delimiter);
Text replace_text(std::string_view text, std::string_view old_text,
                  std::string_view new_text = {}, bool case_sensitive = true);

Text text_left(std::string_view t, int n);
Text text_right(std::string_view t, int n);
Text text_mid(std::string_view t, int start, int n);
Text trim_text(std::string_view t);
Text to_upper_text(std::string_view t);
Text to_halfwidth(std::string_view t);
Text char_from_code(int code);
int char_code(std::string_view t);
Text blank_text(int n);

Text number_to_text(int n);
Text number_to_text(double x);
double text_to_number(std::string_view t);
int text_to_int(std::string_view t);
int floor_to_int(double x);
double modulo(double a, double b);
// Two reals count as equal when they differ by at most 0.0000001.
bool reals_equal(double a, double b);

Bytes text_to_bytes(std::string_view t);
Text bytes_to_text(std::string_view b);
Bytes int_to_bytes(int32_t n);
int32_t bytes_to_int(std::string_view b);
Bytes bytes_left(std::string_view b, int n);
Bytes bytes_right(std::string_view b, int n);
Bytes blank_bytes(int n);

}  // namespace qinghe
