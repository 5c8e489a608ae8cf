#include "engine/dispatcher.h"

#include <memory>

#include "base/files.h"
#include "base/gbk_text.h"
#include "base/text_number.h"
#include "base/threads.h"
#include "engine/package_localizer.h"
#include "engine/picture_worker.h"
#include "harvest/composite_package.h"
#include "harvest/harvest_item.h"
#include "harvest/harvest_paths.h"
#include "package/data_package.h"
#include "window/batch_report.h"
#include "window/window_texts.h"

namespace qinghe {

namespace {

const Text kNoPictureKindMessage = gbk_text("您还未选择要下载的是主图或细节图或其他图片呢！？");
const Text kNoAddressMessage = gbk_text("宝贝链接还未输入！");
const Text kBatchFolderMiddle = gbk_text("共淘图");
const Text kBatchFolderEnd = gbk_text("个地址");
const Text kCreatingFolder = gbk_text("正在创建文件夹名为：");
const Text kFolderOpen = gbk_text("文件夹：《");
const Text kFolderCreated = gbk_text("》已创建成功！");
const Text kAllDone = gbk_text("全部下载完毕！");

const char* const kLineBreak = "\r\n";
constexpr int kDispatchPeriodMs = 1;

bool ends_with(std::string_view text, std::string_view ending) {
    return text.size() >= ending.size() && text.substr(text.size() - ending.size()) == ending;
}

AddressKind address_kind(WorkerKind kind) {
    if (kind == WorkerKind::Picture) return AddressKind::Picture;
    if (kind == WorkerKind::Package) return AddressKind::Package;
    return AddressKind::Item;
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

// A stopped batch: the addresses it did not reach fail as stopped, so the
// failed list holds everything still to do.
void note_addresses_not_reached(MainWindow& window) {
    BatchJob& job = window.job();
    for (int index = job.current_index; index <= job.address_count; ++index) {
        const Text address = job.address_list.at(index);
        const WorkerKind kind = classify_address(address);
        if (kind == WorkerKind::None) continue;
        window.outcome().begin_address(index, address, address_kind(kind));
        window.outcome().address_stopped(index);
    }
}

}  // namespace

const Text kCounterRestingText = gbk_text("点击收藏青禾淘图小店，获取最新版本！");

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
    window.outcome().reset();
    window.clear_stop();

    window.set_status_text(
        status_message(job, join_text({kCreatingFolder, job.batch_folder_name})));
    const Text save_folder = window.save_folder_text();
    create_directory(join_text({save_folder, "\\", job.batch_folder_name}));
    window.begin_outcome_files(batch_folder_path(save_folder, job.batch_folder_name));
    window.set_status_text(
        status_message(job, join_text({kFolderOpen, job.batch_folder_name, kFolderCreated})));
    window.set_dispatch_timer(kDispatchPeriodMs);
}

void dispatch_next(MainWindow& window) {
    window.set_dispatch_timer(0);
    BatchJob& job = window.job();
    if (job.current_index > job.address_count || window.stop_requested()) {
        finish_batch(window);
        return;
    }
    job.current_address = job.address_list.at(job.current_index);
    job.progress_tag =
        join_text({number_to_text(job.current_index), "/", number_to_text(job.address_count)});

    const WorkerKind kind = classify_address(job.current_address);
    auto worker = worker_for(kind);
    if (!worker) {
        skip_current_address(window);
        return;
    }
    window.outcome().begin_address(job.current_index, job.current_address, address_kind(kind));
    if (kind == WorkerKind::Picture) prefetch_picture_run(window);
    // The worker keeps a shared window alive, so it may outlive the front
    // end; a window not held by a shared_ptr (tests) must outlive the worker.
    std::shared_ptr<MainWindow> keep = window.weak_from_this().lock();
    MainWindow* target = &window;
    const bool started = start_thread([worker, keep, target] { worker(*target); });
    if (!started) skip_current_address(window);
}

void finish_batch(MainWindow& window) {
    // A batch stopped early still ends with its complete Composite file.
    flush_composite_package();
    end_picture_run();
    BatchJob& job = window.job();
    if (window.stop_requested()) note_addresses_not_reached(window);
    job.batch_folder_name.clear();
    window.finish_outcome_files();
    window.set_status_text(status_message(job, kAllDone));
    window.set_start_caption(idle_start_caption());
    window.set_start_enabled(true);
    window.set_address_enabled(true);
    window.set_counter_text(
        join_text({kCounterRestingText, failed_count_suffix(window.outcome().counts())}));
    window.notify_batch_finished();
}

void request_stop(MainWindow& window) {
    if (batch_running(window)) window.request_stop();
}

bool batch_running(MainWindow& window) { return !window.job().batch_folder_name.empty(); }

}  // namespace qinghe
