// Shared pieces of the engine tests: a scratch save folder, GBK texts of the
// window, and reading files back from disk.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/native_path.h"
#include "base/text.h"

namespace qinghe::engine_test {

// 立即下载
inline const Text kStartCaption = "\xC1\xA2\xBC\xB4\xCF\xC2\xD4\xD8";
// 正在下载中……
inline const Text kWorkingCaption = "\xD5\xFD\xD4\xDA\xCF\xC2\xD4\xD8\xD6\xD0\xA1\xAD\xA1\xAD";
// 正在下载，请稍等……
inline const Text kDownloading =
    "\xD5\xFD\xD4\xDA\xCF\xC2\xD4\xD8\xA3\xAC\xC7\xEB\xC9\xD4\xB5\xC8\xA1\xAD\xA1\xAD";
inline const Text kOpen = "\xA3\xA8";   // （
inline const Text kClose = "\xA3\xA9";  // ）
// 新下载：1个文件 with another count
inline Text new_files(int n) {
    return "\xD0\xC2\xCF\xC2\xD4\xD8\xA3\xBA" + std::to_string(n) + "\xB8\xF6\xCE\xC4\xBC\xFE";
}

// A fresh folder under the system's temporary folder, removed afterwards.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qinghe-engine-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) m_path = pattern;
    }
    ~TempFolder() {
        std::error_code ec;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    // The save folder box's text for this folder: native, as GBK.
    Text program_path() const {
        Text gbk;
        from_native_path(m_path.string(), gbk);
        return gbk;
    }

private:
    std::filesystem::path m_path;
};

// The native path of a GBK name inside folder.
inline std::filesystem::path native_child(const std::filesystem::path& folder, const Text& gbk_name) {
    return folder / to_native_path(gbk_name);
}

inline std::string file_bytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Names of the entries directly inside folder, sorted.
inline std::vector<std::string> entries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace qinghe::engine_test
