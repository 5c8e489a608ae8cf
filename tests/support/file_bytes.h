// Test helper: the bytes of a file on disk, empty when it cannot be read.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace qinghe::test_support {

inline std::string file_bytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace qinghe::test_support
