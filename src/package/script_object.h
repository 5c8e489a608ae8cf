// Object literals that item pages embed in their scripts, cut out of the
// page text and made into JSON.
//
// Newer item pages hand their whole item to the browser as one object
// literal inside a script (1688's window.context, Taobao's and Tmall's
// __ICE_APP_CONTEXT__). The page is the program's GBK text; these functions
// only find where such a literal ends and repair the one thing that keeps it
// from being JSON, so that a real parser can read it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qinghe {

// Limits on what a page may hand the parser. A real item's data is a few
// hundred kilobytes nested about twenty deep; the JSON library walks its
// trees recursively, so deeper or larger literals are refused rather than
// read.
inline constexpr int kMaxScriptObjectNesting = 256;
inline constexpr size_t kMaxScriptObjectBytes = 8 * 1024 * 1024;

// The byte position (0-based) of the first occurrence of marker in GBK text
// at or after `from` (which must start a character) that starts a
// character; std::string_view::npos when there is none.
size_t find_marker(std::string_view text, std::string_view marker, size_t from = 0);

// The object or array literal that starts at byte `open` (0-based, a '{' or
// '[') of GBK text, up to and including its matching bracket. Brackets
// inside double-quoted strings do not count, a backslash escapes the byte
// after it, and a double-byte GBK character is stepped over whole (its
// second byte may be '\\', '[', ']', '{' or '}'). Nothing when the literal
// is cut off by the end of the text, closes a bracket with the other kind,
// nests deeper than kMaxScriptObjectNesting, is longer than
// kMaxScriptObjectBytes, or when `open` is not a bracket.
std::optional<std::string_view> cut_script_object(std::string_view text, size_t open);

// The literal as JSON: keys written as bare numbers, as script allows and
// 1688's data has them ({"skuWeight":{5931007583129:0.6000}}), are put in
// quotes. Everything else is left as it is. The text must be UTF-8 (or
// ASCII): strings are recognised by their quotes and backslashes.
std::string quote_bare_number_keys(std::string_view literal);

}  // namespace qinghe
