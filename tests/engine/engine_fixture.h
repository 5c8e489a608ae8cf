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
#include "support/file_bytes.h"
#include "support/gbk_literal.h"

namespace qinghe::engine_test {

using test_support::file_bytes;
using test_support::gbk;

inline const Text kStartCaption = gbk("立即下载");
inline const Text kWorkingCaption = gbk("正在下载中……");
inline const Text kDownloading = gbk("正在下载，请稍等……");
inline const Text kOpen = gbk("（");
inline const Text kClose = gbk("）");
inline Text new_files(int n) { return gbk("新下载：" + std::to_string(n) + "个文件"); }

// A fresh folder under the system's temporary folder, removed afterwards.
class TempFolder {
public:
    TempFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "qinghe-engine-XXXXXX").string();
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
inline std::filesystem::path native_child(const std::filesystem::path& folder,
                                          const Text& gbk_name) {
    return folder / to_native_path(gbk_name);
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
