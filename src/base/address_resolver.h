// Turning an address found in a page into one the web fetch can use.
//
// Pages, descriptions, style sheets, shop pages and data packages name
// their pictures and pages in three forms: "http://host/…", "https://host/…"
// and, in most pages since about 2017, "//host/…" (scheme-relative), which a
// browser completes with the scheme of the page it read. Relative references
// ("a.jpg", "../b.png", "/c.css") are completed against the page's address.
//
// The caller cuts the reference out of the page first: the quotes or the
// url(…) around it, and HTML character references such as "&amp;" in an
// attribute value (the resolver leaves "&amp;" as it is, because a page read
// as text is not decoded as a browser decodes its attributes).
#pragma once

#include <string_view>

#include "base/text.h"

namespace qinghe {

// The scheme a scheme-relative address takes when the page it came from has
// no web address of its own (a page read from disk, saved by a browser):
// the marketplaces have served every page over https since 2017.
inline constexpr std::string_view kSavedPageScheme = "https";

// RFC 3986 reference resolution as a browser does it, on GBK text.
//
// - A reference with a scheme and "//" ("http://…", "https://…", also any
//   other scheme) comes back byte for byte unchanged, so that addresses in
//   the long-standing "http://" form stay exactly what they were.
// - "//host/path" takes the scheme of base_address; when the base is not an
//   http or https address (empty, a file path, "file://…"), it takes
//   kSavedPageScheme.
// - "/path", "path", "../path", "?query", "#fragment" and "" are resolved
//   against base_address with dot segments removed; without an http or
//   https base they cannot be resolved and give the empty text.
// - "http:path" and "https:path" without "//" read as a browser reads them:
//   relative to a base of the same scheme, otherwise the text after the
//   colon (and any slashes) is the host.
// - A reference with another scheme and no "//" ("javascript:…", "data:…",
//   "mailto:…") comes back unchanged; is_web_address tells it apart.
// - Leading and trailing spaces and control characters of a reference that
//   is resolved are dropped, as a browser drops them from an attribute.
Text resolve_address(std::string_view base_address, std::string_view reference);

// The address starts with "http://" or "https://" (letters in any case).
bool is_web_address(std::string_view address);

// For scanners of page text. The length of the address start at byte
// position `at` of text: 7 for "http://", 8 for "https://" (any letter
// case), 2 for a scheme-relative "//" followed by a letter or digit (so that
// a "// comment" of a script and the "//" inside "ftp://" do not count);
// 0 when no address starts there.
size_t address_start_length(std::string_view text, size_t at);

// The byte position (0-based) of the first address start at or after byte
// position `from`, which must be the start of a character (0, or a position
// this function gave plus its address_start_length). Double-byte GBK
// characters are stepped over whole. std::string_view::npos when none.
size_t find_address_start(std::string_view text, size_t from = 0);

}  // namespace qinghe
