#include "engine/picture_worker.h"

#include "base/files.h"
#include "base/gbk_text.h"
#include "base/native_path.h"
#include "base/text_number.h"
#include "base/web.h"
#include "engine/dispatcher.h"
#include "harvest/harvest_paths.h"
#include "harvest/save_picture.h"
#include "window/window_texts.h"
#include "window/worker_boundary.h"

namespace qinghe {

namespace {

// Browsers show some marketplace pictures with this suffix; the plain
// picture lies at the address without it.
const char* const kWebpSuffix = "_.webp";

}  // namespace

void download_picture(MainWindow& window) {
    run_worker(window, "download_picture", WorkerEpilogue::Picture, [&window] {
        static const Text downloading = gbk_text("正在下载，请稍等……");
        BatchJob& job = window.job();
        window.set_start_caption(busy_start_caption());
        window.set_status_text(status_message(job, downloading));
        window.set_progress(50);

        const Text address = replace_text(job.current_address, kWebpSuffix, "");
        int new_files = 0;
        save_picture(window, {.address = address,
                              .file_name = picture_file_name(address),
                              .folder = batch_folder_path(window.save_folder_text(),
                                                          job.batch_folder_name),
                              .count = &new_files});
    });
}

}  // namespace qinghe
