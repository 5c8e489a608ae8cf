// GBK (code page 936) and the other character sets of pages and the file
// system: UTF-8 both ways, and Unicode characters to GBK.
#pragma once

#include <string>

#include "base/text.h"

namespace qinghe {

// The characters as GBK text; a character GBK lacks (or no character at
// all, such as a lone surrogate) becomes one "?".
Text code_points_to_gbk(const std::u32string& code_points);
// UTF-8 up to the first U+0000, as GBK.
Text utf8_to_text(std::string_view data);

// Helpers for the native side: GBK text to UTF-8 and back. gbk_to_utf8 turns
// bytes that are not GBK into U+FFFD; utf8_to_gbk fails (returns false) when
// a character has no GBK form or the input is not UTF-8.
std::string gbk_to_utf8(std::string_view gbk);
bool utf8_to_gbk(std::string_view utf8, Text& out);

// Length in bytes (1 or 2) of the character that starts at byte i < t.size()
// as code page 936 itself reads it: a lead byte 0x81..0xFE followed by a trail
// byte 0x40..0x7E or 0x80..0xFE. This differs from the scanning rule of
// character_length (base/text.h), which pairs any byte of 0x80 or above with
// the next byte: here 0x80 and 0xFF stand alone and so does a lead byte
// before a byte that cannot trail. Names handed to the file system are cut
// this way, so that a "\\" after such a byte is still a separator, as the
// converter to UTF-8 sees it.
size_t gbk_character_length(std::string_view t, size_t i);

}  // namespace qinghe
