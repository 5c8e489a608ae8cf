// Test helper: GBK text from a UTF-8 literal, so cases read as written
// (gbk("浙江")). Throws on a text GBK cannot hold, so the test fails.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "base/gbk.h"

namespace qinghe::test_support {

inline std::string gbk(std::string_view utf8) {
    std::string out;
    if (!utf8_to_gbk(utf8, out)) throw std::invalid_argument("not GBK: " + std::string(utf8));
    return out;
}

}  // namespace qinghe::test_support
