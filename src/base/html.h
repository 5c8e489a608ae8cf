// Conversions of page fragments into plain GBK text fields.
#pragma once

#include "base/text.h"

namespace qinghe {

// The text without its lowercase "<a ...>" opening tags and every "</a>".
// The caller reads and writes the description store around it.
Text strip_hyperlinks(std::string_view description);
Text decode_numeric_entities(std::string_view text, std::string_view prefix = "&#",
                             std::string_view terminator = ";");
// "%XX" becomes the byte XX; a "%" without two hex digits after it stays as it is.
Text percent_decode(std::string_view text);

}  // namespace qinghe
