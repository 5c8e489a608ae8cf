// Style sheets and their pictures in the forms pages have used since about
// 2017, read by the other-picture stage after its long-standing patterns:
// a page links its style sheets as href="//host/….css", and a style sheet
// names its pictures as url(//…), url( //… ), url('//…'), url("//…") or
// url(https://…). A scheme-relative address takes the scheme of the text it
// stands in (the page for a style sheet, the style sheet for a picture).
#pragma once

#include <string_view>
#include <vector>

#include "base/text.h"

namespace qinghe {

// The scheme-relative style-sheet addresses of a page ("//…" references
// holding ".css", up to the quote, bracket or space that ends them),
// resolved against the page's address, in page order, each once.
std::vector<Text> scheme_relative_style_sheets(const Text& page, std::string_view page_address);

// The "//…" and "https://…" pictures (".jpg", ".gif" or ".png" in the
// address) a style sheet names in url(…), resolved against the style
// sheet's address, in order. url(…) holding "http://" is left to the
// long-standing pattern, which finds it; relative references are not read.
std::vector<Text> newer_style_sheet_pictures(const Text& sheet, std::string_view sheet_address);

// Whether the newer picture forms are read from a style sheet at this
// address: every sheet but one at an "http://" address, which reads as it
// always has (its url(https://…) pictures were never taken).
bool reads_newer_picture_forms(std::string_view sheet_address);

}  // namespace qinghe
