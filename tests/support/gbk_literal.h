// Test helper: GBK text from a UTF-8 literal, so cases read as written.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "base/gbk.h"

namespace qinghe::package_test {

inline std::string gbk(std::string_view utf8) {
    std::string out;
    if (!utf8_to_gbk(utf8, out)) throw std::invalid_argument("not GBK: " + std::string(utf8));
    return out;
}

}  // namespace qinghe::package_test
