// Test helper: fixture files of the package tests and native file reads.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace qinghe::package_test {

inline std::string read_native(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline std::string fixture(const std::string& name) {
    return read_native(std::filesystem::path(QINGHE_FIXTURES_DIR) / "package" / name);
}

}  // namespace qinghe::package_test
