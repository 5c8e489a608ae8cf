// Does a body that came for a picture address hold a picture?
//
// A marketplace that blocks, forgets or redirects a request often answers
// 200 with a page (a login or captcha page, a JSON error, a short text)
// instead of the picture. Such a body must not be saved under a picture name.
#pragma once

#include <string_view>

namespace qinghe {

// True when the body starts like a JPEG, PNG, GIF, WebP or BMP file (the
// .tbi pictures of a data package are the same bytes). An empty body, HTML,
// JSON, plain text and anything else are not pictures.
bool looks_like_picture(std::string_view body);

}  // namespace qinghe
