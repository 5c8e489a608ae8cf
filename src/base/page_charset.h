// The character set of a fetched or saved page, and the page as the
// program's GBK text.
//
// The marketplaces served GBK pages for years; Tmall and 1688 serve some in
// UTF-8, and a page saved by a browser is UTF-8 whatever it was served in,
// often still carrying its old <meta charset="gbk" />. Every marker of the
// harvester is GBK text, so a page is turned into GBK before any is looked for.
#pragma once

#include <optional>
#include <string_view>

#include "base/text.h"

namespace qinghe {

enum class PageCharset { Gbk, Utf8 };

// The charset parameter of an HTTP Content-Type value
// ("text/html; charset=UTF-8"), when it names UTF-8 or a member of the GBK
// family (GBK, GB2312, GB18030, CP936, x-gbk); nothing for any other value.
std::optional<PageCharset> charset_from_content_type(std::string_view content_type);

// How many multi-byte UTF-8 sequences a page declaring a GBK charset in a
// meta tag may hold and still be read as GBK (see detect_page_charset).
inline constexpr int kFewUtf8Sequences = 8;

// The page's charset:
// 1. the HTTP Content-Type charset when it names one (see above);
// 2. otherwise the bytes: text that is valid UTF-8 and holds at least one
//    multi-byte sequence is UTF-8 (a leading byte-order mark EF BB BF
//    decides alone). A sequence cut off by the very end of the bytes (a
//    transfer that broke off) does not spoil that; an invalid sequence
//    anywhere else does.
// 3. everything else is GBK (pure ASCII reads the same either way).
// The meta tag is not believed, because browsers keep it when they save a
// page in UTF-8. It only settles one doubt: a few GBK characters can form
// valid UTF-8 by chance (0xC2-0xDF lead bytes with a 0x80-0xBF trail byte
// are a two-byte UTF-8 sequence), so text that declares a GBK charset in a
// meta tag and holds fewer than kFewUtf8Sequences multi-byte sequences is
// GBK. A saved page holds hundreds; a real UTF-8 text that short without a
// GBK declaration is still read as UTF-8.
PageCharset detect_page_charset(std::string_view bytes, std::string_view content_type = {});

// UTF-8 as GBK text. A character GBK lacks becomes its decimal numeric
// character reference ("&#128512;"), a byte-order mark at the start is
// dropped, and an invalid or cut-off sequence becomes one "?".
Text utf8_page_to_gbk(std::string_view utf8);

// The page as GBK text: UTF-8 pages converted, GBK pages as they came.
Text page_to_gbk(std::string_view bytes, std::string_view content_type = {});

}  // namespace qinghe
