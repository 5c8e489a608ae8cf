#include "engine/picture_worker.h"

#include "base/files.h"
#include "base/native_path.h"
#include "base/text_number.h"
#include "base/web.h"
#include "engine/dispatcher.h"
#include "harvest/harvest_paths.h"

namespace qinghe {

namespace {

// 正在下载中……
const char* const kWorkingCaption = "\xD5\xFD\xD4\xDA\xCF\xC2\xD4\xD8\xD6\xD0\xA1\xAD\xA1\xAD";
// 正在下载，请稍等……
const char* const kDownloadingMessage =
    "\xD5\xFD\xD4\xDA\xCF\xC2\xD4\xD8\xA3\xAC\xC7\xEB\xC9\xD4\xB5\xC8\xA1\xAD\xA1\xAD";
const char* const kStartCaption = "\xC1\xA2\xBC\xB4\xCF\xC2\xD4\xD8";     // 立即下载
const char* const kNewFilesStart = "\xD0\xC2\xCF\xC2\xD4\xD8\xA3\xBA";    // 新下载：
const char* const kNewFilesEnd = "\xB8\xF6\xCE\xC4\xBC\xFE";              // 个文件
// Browsers show some marketplace pictures with this suffix; the plain
// picture lies at the address without it.
const char* const kWebpSuffix = "_.webp";

// Saves the picture at address as folder + file name unless that file is
// there already. A fetch that gave nothing or broke off writes nothing, so
// a later attempt is not blocked by an empty or truncated file. True when a
// file was written.
bool save_new_picture(const Text& address, const Text& folder) {
    const TextList pieces = split_text(address, "/");
    const Text raw_name = pieces.at(pieces.count());
    // An address ending in "/" names no file: the folder itself exists.
    if (raw_name.empty()) return false;
    const Text target = join_text({folder, usable_name(raw_name)});
    if (file_exists(target)) return false;
    const FetchResult fetched = fetch_url_checked(address);
    if (!fetched.complete || fetched.body.empty()) return false;
    return write_file(target, fetched.body);
}

}  // namespace

Text new_files_counter_text(int count) {
    return join_text({kNewFilesStart, number_to_text(count), kNewFilesEnd});
}

void download_picture(MainWindow& window) {
    BatchJob& job = window.job();
    try {
        window.set_start_caption(kWorkingCaption);
        window.set_status_text(status_message(job, kDownloadingMessage));
        window.set_progress(50);

        const Text address = replace_text(job.current_address, kWebpSuffix, "");
        window.append_file_list(join_text({address, "\r\n"}));
        const Text folder = batch_folder_path(window.save_folder_text(), job.batch_folder_name);
        int new_files = 0;
        if (save_new_picture(address, folder)) {
            new_files += 1;
            window.set_counter_text(new_files_counter_text(new_files));
        }
    } catch (...) {
        // Nothing may stop the batch: the epilogue below still runs.
    }
    window.set_progress(100);
    window.set_start_caption(kStartCaption);
    job.current_index += 1;
    window.set_dispatch_timer(1);
    window.set_progress(0);
}

}  // namespace qinghe
