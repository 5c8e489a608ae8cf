// The one boundary every worker runs inside: its work, then the worker
// epilogue that hands the batch on, whatever the work threw.
#pragma once

#include <functional>
#include <string_view>

#include "window/main_window.h"

namespace qinghe {

// The three closing orders of the workers. Each advances current_index
// before it arms the dispatch timer (1 ms); they differ in where the
// progress bar steps fall and whether the start caption goes back.
enum class WorkerEpilogue {
    // download_picture: progress 100, caption "立即下载", index + 1, timer, progress 0.
    Picture,
    // localize_package: progress 100, index + 1, timer, progress 0.
    Package,
    // harvest_item: progress 100, progress 0, index + 1, timer.
    Item,
};

// Runs work, then the epilogue. Nothing may stop the batch: an exception out
// of work or out of a window write of the epilogue is reported on the
// window's error log, naming the worker and what was caught, and the
// epilogue goes on. Worker thread; never throws.
void run_worker(MainWindow& window, std::string_view worker_name, WorkerEpilogue epilogue,
                const std::function<void()>& work);

}  // namespace qinghe
