#include "engine/dispatcher.h"

#include <memory>

#include "base/files.h"
#include "base/text_number.h"
#include "base/threads.h"
#include "harvest/harvest_item.h"
#include "engine/package_localizer.h"
#include "engine/picture_worker.h"
#include "package/data_package.h"

namespace qinghe {

namespace {

// 您还未选择要下载的是主图或细节图或其他图片呢！？
const char* const kNoPictureKindMessage =
    "\xC4\xFA\xBB\xB9\xCE\xB4\xD1\xA1\xD4\xF1\xD2\xAA\xCF\xC2\xD4\xD8\xB5\xC4\xCA\xC7\xD6\xF7"
    "\xCD\xBC\xBB\xF2\xCF\xB8\xBD\xDA\xCD\xBC\xBB\xF2\xC6\xE4\xCB\xFB\xCD\xBC\xC6\xAC\xC4\xD8"
    "\xA3\xA1\xA3\xBF";
// 宝贝链接还未输入！
const char* const kNoAddressMessage =
    "\xB1\xA6\xB1\xB4\xC1\xB4\xBD\xD3\xBB\xB9\xCE\xB4\xCA\xE4\xC8\xEB\xA3\xA1";
const char* const kBatchFolderMiddle = "\xB9\xB2\xCC\xD4\xCD\xBC";  // 共淘图
const char* const kBatchFolderEnd = "\xB8\xF6\xB5\xD8\xD6\xB7";     // 个地址
// 正在创建文件夹名为：
const char* const kCreatingFolder =
    "\xD5\xFD\xD4\xDA\xB4\xB4\xBD\xA8\xCE\xC4\xBC\xFE\xBC\xD0\xC3\xFB\xCE\xAA\xA3\xBA";
const char* const kFolderOpen = "\xCE\xC4\xBC\xFE\xBC\xD0\xA3\xBA\xA1\xB6";  // 文件夹：《
// 》已创建成功！
const char* const kFolderCreated = "\xA1\xB7\xD2\xD1\xB4\xB4\xBD\xA8\xB3\xC9\xB9\xA6\xA3\xA1";
// 全部下载完毕！
const char* const kAllDone = "\xC8\xAB\xB2\xBF\xCF\xC2\xD4\xD8\xCD\xEA\xB1\xCF\xA3\xA1";
const char* const kStartCaption = "\xC1\xA2\xBC\xB4\xCF\xC2\xD4\xD8";  // 立即下载

const char* const kLineBreak = "\r\n";
constexpr int kDispatchPeriodMs = 1;

bool ends_with(std::string_view text, std::string_view ending) {
    return text.size() >= ending.size() && text.substr(text.size() - ending.size()) == ending;
}

void (*worker_for(WorkerKind kind))(MainWindow&) {
    switch (kind) {
        case WorkerKind::Picture: return &download_picture;
        case WorkerKind::Package: return &localize_package;
        case WorkerKind::Item: return &harvest_item;
        case WorkerKind::None: break;
    }
    return nullptr;
}

// Counts the current address as done without a worker, so the batch always
// reaches finish_batch.
void skip_current_address(MainWindow& window) {
    window.job().current_index += 1;
    window.set_dispatch_timer(kDispatchPeriodMs);
}

}  // namespace

// 点击收藏青禾淘图小店，获取最新版本！
const char* const kCounterRestingText =
    "\xB5\xE3\xBB\xF7\xCA\xD5\xB2\xD8\xC7\xE0\xBA\xCC\xCC\xD4\xCD\xBC\xD0\xA1\xB5\xEA\xA3\xAC"
    "\xBB\xF1\xC8\xA1\xD7\xEE\xD0\xC2\xB0\xE6\xB1\xBE\xA3\xA1";

WorkerKind classify_address(std::string_view address) {
    if (ends_with(address, "_.webp") || ends_with(address, ".jpg") || ends_with(address, ".gif") ||
        ends_with(address, ".png")) {
        return WorkerKind::Picture;
    }
    if (ends_with(address, ".csv")) return WorkerKind::Package;
    if (!address.empty()) return WorkerKind::Item;
    return WorkerKind::None;
}

Text batch_folder_name_at(DateTime time, int address_count) {
    return join_text({number_to_text(year_of(time)), number_to_text(month_of(time)),
                      number_to_text(day_of(time)), number_to_text(hour_of(time)),
                      number_to_text(minute_of(time)), number_to_text(second_of(time)),
                      kBatchFolderMiddle, number_to_text(address_count), kBatchFolderEnd});
}

void start_batch(MainWindow& window) {
    reset_data_package();

    JobOptions options = window.options();
    if (!options.download_main_pictures() && !options.download_detail_pictures() &&
        !options.download_other_pictures()) {
        window.show_message(kNoPictureKindMessage);
        return;
    }
    const Text addresses = window.address_text();
    if (!(find_text(addresses, ".") > 0)) {
        window.show_message(kNoAddressMessage);
        return;
    }

    window.set_address_enabled(false);
    // Kept disabled until finish_batch: a second press would start a second
    // worker beside the running one.
    window.set_start_enabled(false);

    BatchJob& job = window.job();
    job.address_list = split_text(addresses, kLineBreak);
    job.address_count = job.address_list.count();
    job.current_index = 1;
    job.batch_folder_name = batch_folder_name_at(now(), job.address_count);

    window.set_status_text(status_message(job, join_text({kCreatingFolder, job.batch_folder_name})));
    create_directory(join_text({window.save_folder_text(), "\\", job.batch_folder_name}));
    window.set_status_text(
        status_message(job, join_text({kFolderOpen, job.batch_folder_name, kFolderCreated})));
    window.set_dispatch_timer(kDispatchPeriodMs);
}

void dispatch_next(MainWindow& window) {
    window.set_dispatch_timer(0);
    BatchJob& job = window.job();
    if (job.current_index > job.address_count) {
        finish_batch(window);
        return;
    }
    job.current_address = job.address_list.at(job.current_index);
    job.progress_tag = join_text(
        {number_to_text(job.current_index), "/", number_to_text(job.address_count)});

    auto worker = worker_for(classify_address(job.current_address));
    if (!worker) {
        skip_current_address(window);
        return;
    }
    // The worker keeps a shared window alive, so it may outlive the front
    // end; a window not held by a shared_ptr (tests) must outlive the worker.
    std::shared_ptr<MainWindow> keep = window.weak_from_this().lock();
    MainWindow* target = &window;
    const bool started = start_thread([worker, keep, target] { worker(*target); });
    if (!started) skip_current_address(window);
}

void finish_batch(MainWindow& window) {
    BatchJob& job = window.job();
    job.batch_folder_name.clear();
    window.set_status_text(status_message(job, kAllDone));
    window.set_start_caption(kStartCaption);
    window.set_start_enabled(true);
    window.set_address_enabled(true);
    window.set_counter_text(kCounterRestingText);
    window.notify_batch_finished();
}

}  // namespace qinghe
