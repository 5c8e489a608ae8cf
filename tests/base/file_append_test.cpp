#include "base/file_append.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/files.h"
#include "base/native_path.h"

namespace qinghe {
namespace {

namespace fs = std::filesystem;

TEST(AppendToFile, AddsToAnExistingFileOnly) {
    std::string pattern = (fs::temp_directory_path() / "qinghe-append-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const fs::path native = pattern;
    Text folder;
    ASSERT_TRUE(from_native_path(native.string(), folder));
    const Text name = folder + "\\\xB1\xA8\xB8\xE6.csv";  // 报告 in GBK

    EXPECT_FALSE(append_to_file(name, "a\r\n"));  // not there yet
    EXPECT_FALSE(fs::exists(native / "报告.csv"));
    ASSERT_TRUE(write_file(name, "head\r\n"));
    EXPECT_TRUE(append_to_file(name, std::string("a\0b\r\n", 5)));
    EXPECT_TRUE(append_to_file(name, ""));
    EXPECT_TRUE(append_to_file(name, "c\r\n"));
    std::ifstream in(native / "报告.csv", std::ios::binary);
    std::ostringstream got;
    got << in.rdbuf();
    EXPECT_EQ(got.str(), std::string("head\r\na\0b\r\nc\r\n", 14));
    EXPECT_FALSE(append_to_file("", "x"));
    fs::remove_all(native);
}

}  // namespace
}  // namespace qinghe
