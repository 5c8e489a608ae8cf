#include "engine/package_localizer.h"

#include "base/encoding.h"
#include "base/files.h"
#include "base/native_path.h"
#include "base/web.h"
#include "engine/dispatcher.h"
#include "harvest/harvest_paths.h"
#include "engine/picture_worker.h"

namespace qinghe {

namespace {

// 正在下载中……
const char* const kWorkingCaption = "\xD5\xFD\xD4\xDA\xCF\xC2\xD4\xD8\xD6\xD0\xA1\xAD\xA1\xAD";
// 正在下载，请稍等……
const char* const kDownloadingMessage =
    "\xD5\xFD\xD4\xDA\xCF\xC2\xD4\xD8\xA3\xAC\xC7\xEB\xC9\xD4\xB5\xC8\xA1\xAD\xA1\xAD";
const char* const kPackageFolderEnd = "CSV\xCE\xC4\xBC\xFE\xCC\xD4\xCD\xBC";  // CSV文件淘图
const char* const kDetailFolder = "\xB1\xA6\xB1\xB4\xCF\xEA\xC7\xE9";         // 宝贝详情
// 宝贝主图及属性图
const char* const kMainFolder = "\xB1\xA6\xB1\xB4\xD6\xF7\xCD\xBC\xBC\xB0\xCA\xF4\xD0\xD4\xCD\xBC";

// Description pictures stand in HTML attributes: src="http://...".
const char* const kDetailMarker = "\"http://";
const char* const kDetailEnd = "\"";
// Main and property pictures stand in the picture column: ...|http://...;
const char* const kMainMarker = "|http://";
const char* const kMainEnd = ";";
const char* const kScheme = "http://";

// The package base name: every ".csv" removed in any letter case, then the
// last element of the path. A native POSIX path separates with "/".
Text package_base_name(const Text& package_path) {
    const Text stripped = replace_text(package_path, ".csv", "", false);
    const TextList by_backslash = split_text(stripped, "\\");
    const TextList by_slash = split_text(by_backslash.at(by_backslash.count()), "/");
    return by_slash.at(by_slash.count());
}

class PictureRun {
public:
    explicit PictureRun(MainWindow& window) : m_window(window) {}

    // Every picture address found after a marker, into folder.
    void save_all(const Text& package_text, const char* marker, const char* end,
                  const Text& folder) {
        const TextList elements = split_text(package_text, marker);
        for (int n = 2; n <= elements.count(); ++n) {
            const Text piece = split_text(elements.at(n), end).at(1);
            // Two markers side by side, or a marker right before its end,
            // name no picture.
            if (piece.empty()) continue;
            save_one(join_text({kScheme, piece}), folder);
        }
    }

private:
    void save_one(const Text& address, const Text& folder) {
        const TextList pieces = split_text(address, "/");
        const Text raw_name = pieces.at(pieces.count());
        if (raw_name.empty()) return;
        const Text target = join_text({folder, usable_name(raw_name)});
        if (file_exists(target)) return;
        const FetchResult fetched = fetch_url_checked(address);
        // A picture that did not arrive whole is not written, so the next
        // run tries it again; the list still shows that it was tried.
        const bool written = fetched.complete && !fetched.body.empty() &&
                             write_file(target, fetched.body);
        m_window.append_file_list(join_text({address, "\r\n"}));
        if (!written) return;
        m_new_files += 1;
        m_window.set_counter_text(new_files_counter_text(m_new_files));
    }

    MainWindow& m_window;
    int m_new_files = 0;
};

}  // namespace

void localize_package(MainWindow& window) {
    BatchJob& job = window.job();
    try {
        window.set_start_caption(kWorkingCaption);
        window.set_status_text(status_message(job, kDownloadingMessage));
        window.set_progress(30);

        const Text package_path = job.current_address;
        const Text base_name = usable_name(package_base_name(package_path));
        const Text package_folder =
            join_text({batch_folder_path(window.save_folder_text(), job.batch_folder_name),
                       base_name, kPackageFolderEnd, "\\"});
        create_directory(package_folder);

        const Text package_text =
            bytes_to_text(convert_encoding(read_file(package_path), "UCS-2", "CP936"));

        PictureRun run(window);
        if (find_text(package_text, kDetailMarker) > 0) {
            const Text folder = join_text({package_folder, kDetailFolder, "\\"});
            create_directory(folder);
            run.save_all(package_text, kDetailMarker, kDetailEnd, folder);
        }
        window.set_progress(60);
        if (find_text(package_text, kMainMarker) > 0) {
            const Text folder = join_text({package_folder, kMainFolder, "\\"});
            create_directory(folder);
            run.save_all(package_text, kMainMarker, kMainEnd, folder);
        }
    } catch (...) {
        // Nothing may stop the batch: the epilogue below still runs.
    }
    run_worker_epilogue(window);
}

}  // namespace qinghe
