#include "engine/picture_worker.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>

#include "base/files.h"
#include "base/gbk_text.h"
#include "base/native_path.h"
#include "base/prefetch.h"
#include "base/text_number.h"
#include "base/web.h"
#include "engine/dispatcher.h"
#include "harvest/harvest_paths.h"
#include "harvest/picture_prefetch.h"
#include "harvest/save_picture.h"
#include "window/window_texts.h"
#include "window/worker_boundary.h"

namespace qinghe {

namespace {

// Browsers show some marketplace pictures with this suffix; the plain
// picture lies at the address without it.
const char* const kWebpSuffix = "_.webp";

// Lines of a run that one window covers; the next window opens at the line
// after. Bounds the work on the window thread and the list held.
constexpr int kRunLinesPerWindow = 256;

PictureSave single_picture(std::string_view address_line, const Text& folder, int* count) {
    const Text address = replace_text(address_line, kWebpSuffix, "");
    return {.address = address,
            .file_name = picture_file_name(address),
            .folder = folder,
            .count = count};
}

Text picture_folder(MainWindow& window) {
    return batch_folder_path(window.save_folder_text(), window.job().batch_folder_name);
}

// The window of the run of picture lines being worked through, and the lines
// it covers. Set on the window thread, taken by the run's workers.
struct PictureRunWindow {
    std::mutex mutex;
    std::shared_ptr<PrefetchWindow> window;
    int first_index = 0;
    int last_index = 0;
};

PictureRunWindow& picture_run() {
    static PictureRunWindow run;
    return run;
}

std::shared_ptr<PrefetchWindow> picture_run_window() {
    PictureRunWindow& run = picture_run();
    std::lock_guard lock(run.mutex);
    return run.window;
}

}  // namespace

void prefetch_picture_run(MainWindow& window) {
    const BatchJob& job = window.job();
    PictureRunWindow& run = picture_run();
    {
        std::lock_guard lock(run.mutex);
        if (run.first_index <= job.current_index && job.current_index <= run.last_index) return;
    }
    const Text folder = picture_folder(window);
    FetchPlan coming;
    int last = job.current_index;
    const int end = std::min(job.address_count, job.current_index + kRunLinesPerWindow - 1);
    for (int index = job.current_index; index <= end; ++index) {
        const Text line = job.address_list.at(index);
        if (classify_address(line) != WorkerKind::Picture) break;
        coming.add(single_picture(line, folder, nullptr));
        last = index;
    }
    // A lone picture gains nothing from a window.
    std::shared_ptr<PrefetchWindow> ahead =
        coming.addresses().size() > 1 ? make_shared_prefetch(coming.addresses()) : nullptr;
    std::lock_guard lock(run.mutex);
    run.window = std::move(ahead);
    run.first_index = job.current_index;
    run.last_index = last;
}

void end_picture_run() {
    PictureRunWindow& run = picture_run();
    std::shared_ptr<PrefetchWindow> dropped;
    std::lock_guard lock(run.mutex);
    dropped.swap(run.window);
    run.first_index = 0;
    run.last_index = 0;
}

void download_picture(MainWindow& window) {
    run_worker(window, "download_picture", WorkerEpilogue::Picture, [&window] {
        static const Text downloading = gbk_text("正在下载，请稍等……");
        BatchJob& job = window.job();
        window.set_start_caption(busy_start_caption());
        window.set_status_text(status_message(job, downloading));
        window.set_progress(50);

        int new_files = 0;
        PrefetchScope ahead(picture_run_window());
        save_picture(window,
                     single_picture(job.current_address, picture_folder(window), &new_files));
    });
}

}  // namespace qinghe
