// Conversions of page fragments into plain GBK text fields.
#pragma once

#include "base/date_time.h"
#include "base/text.h"

namespace qinghe {

// The text without its lowercase "<a ...>" opening tags and every "</a>".
// The caller reads and writes the description store around it.
Text strip_hyperlinks(std::string_view description);
// "2013-5-7 9:3:0": every part in decimal without leading zeros.
Text format_date_time(DateTime d);
Text decode_numeric_entities(std::string_view text, std::string_view prefix = "&#",
                             std::string_view terminator = ";");
// UTF-16LE code units up to the first zero unit, as GBK ("?" for characters GBK lacks).
Text ucs2_to_text(std::string_view data);
// "%XX" becomes the byte XX; a "%" without two hex digits after it stays as it is.
Text percent_decode(std::string_view text);
// UTF-8 up to the first U+0000, as GBK.
Text utf8_to_text(std::string_view data);

// Helpers for the native side: GBK text to UTF-8 and back. gbk_to_utf8 turns
// bytes that are not GBK into U+FFFD; utf8_to_gbk fails (returns false) when
// a character has no GBK form or the input is not UTF-8.
std::string gbk_to_utf8(std::string_view gbk);
bool utf8_to_gbk(std::string_view utf8, Text& out);

}  // namespace qinghe
