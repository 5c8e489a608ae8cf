// Character-set conversion and digests.
#pragma once

#include "base/text.h"

namespace qinghe {

// iconv conversion; the empty result when any character fails. From
// "UCS-2" a byte-order mark FF FE selects little-endian (and is dropped),
// FE FF big-endian; without a mark the input is big-endian.
Bytes convert_encoding(std::string_view data, std::string_view from, std::string_view to);
// 32 lowercase hex digits of the MD5 digest.
Text md5_hex(std::string_view data);

}  // namespace qinghe
