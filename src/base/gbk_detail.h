// Internal to src/base: Unicode characters to GBK through iconv's CP936.
#pragma once

#include <string>

#include "base/text.h"

namespace qinghe::detail {

// The characters as GBK text; a character GBK lacks (or no character at
// all, such as a lone surrogate) becomes one "?".
Text code_points_to_gbk(const std::u32string& code_points);

}  // namespace qinghe::detail
