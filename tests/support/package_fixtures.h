// Test helper: the hand-written fixture files of the package tests.
#pragma once

#include <filesystem>
#include <string>

#include "support/file_bytes.h"

namespace qinghe::test_support {

inline std::string fixture(const std::string& name) {
    return file_bytes(std::filesystem::path(QINGHE_FIXTURES_DIR) / "package" / name);
}

}  // namespace qinghe::test_support
