#include "cli/headless_runner.h"

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <system_error>
#include <thread>

#include "base/fetch_retry.h"
#include "base/native_path.h"
#include "base/prefetch.h"
#include "base/web.h"
#include "cli/exit_status.h"
#include "cli/stop_signals.h"
#include "cli/terminal_window.h"
#include "engine/dispatcher.h"
#include "window/batch_report.h"

namespace qinghe {

namespace {

// How long the runner waits, after the batch, for the last worker to let go
// of the window (it only has its last progress write left to make).
constexpr auto kWorkerGrace = std::chrono::seconds(5);

// The save folder box's text: the absolute native folder as GBK.
bool resolve_save_folder(const std::string& requested, Text& folder, std::string& error) {
    std::error_code ec;
    std::filesystem::path path = requested.empty() ? std::filesystem::current_path(ec)
                                                   : std::filesystem::absolute(requested, ec);
    if (ec) {
        error = "cannot resolve the save folder " + requested + ": " + ec.message();
        return false;
    }
    if (!std::filesystem::is_directory(path, ec)) {
        error = "the save folder " + path.string() + " does not exist or is not a folder";
        return false;
    }
    if (!from_native_path(path.string(), folder)) {
        error = "the save folder " + path.string() +
                " has a name that GBK cannot hold; choose another folder";
        return false;
    }
    return true;
}

}  // namespace

int run_batch_headless(const HeadlessOptions& options, const Text& address_list_gbk) {
    Text save_folder;
    std::string error;
    if (!resolve_save_folder(options.save_folder, save_folder, error)) {
        std::fprintf(stderr, "qinghe-taotu-cli: %s\n", error.c_str());
        return kExitRefused;
    }
    if (!options.connect_to.empty()) set_connect_to(options.connect_to);
    if (!options.ca_file.empty()) set_extra_ca_file(options.ca_file);
    if (options.stall_seconds > 0 || options.max_body_bytes > 0) {
        FetchLimits limits = fetch_limits();
        if (options.stall_seconds > 0) limits.low_speed_seconds = options.stall_seconds;
        if (options.max_body_bytes > 0) limits.max_body_bytes = options.max_body_bytes;
        set_fetch_limits(limits);
    }
    if (options.parallel > 0) set_parallel_transfers(options.parallel);
    if (options.retries >= 0) {
        RetryPolicy policy = retry_policy();
        policy.extra_attempts = options.retries;
        set_retry_policy(policy);
    }

    const StopOnSignals signals;
    TerminalSettings settings;
    settings.stop = &signals.flag();
    settings.live_bar = isatty(fileno(stdout)) != 0;
    settings.verbose = options.verbose;
    TerminalWindow terminal(settings);
    terminal.set_option(OptionBox::DownloadMainPictures, options.download_main_pictures);
    terminal.set_option(OptionBox::DownloadDetailPictures, options.download_detail_pictures);
    terminal.set_option(OptionBox::DownloadOtherPictures, options.download_other_pictures);
    terminal.set_option(OptionBox::SmartCategorySave, options.smart_category_save);
    terminal.set_option(OptionBox::ShowItemTitle, options.show_item_title);
    terminal.set_option(OptionBox::ExportDataPackage, options.export_data_package);
    terminal.set_option(OptionBox::RemoveHyperlinks, options.remove_hyperlinks);
    terminal.set_independent_package(options.package_kind == PackageKind::Independent);
    terminal.set_save_folder(save_folder);
    terminal.set_address_text(address_list_gbk);

    // Workers hold the window by shared_ptr; the wake hook is never called
    // after close(), so it may point at the terminal on this stack frame.
    auto window = std::make_shared<MainWindow>(terminal, [&terminal] { terminal.wake(); });
    start_batch(*window);
    const bool started = terminal.timer_armed();
    if (started) terminal.run_until_finished(*window);
    window->close();

    const auto deadline = std::chrono::steady_clock::now() + kWorkerGrace;
    while (window.use_count() > 1 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (!started) return kExitRefused;
    if (!terminal.finished()) return kExitBatchBroken;
    const OutcomeCounts counts = window->outcome().counts();
    const RunEnd end = terminal.stopped() ? RunEnd::Stopped : RunEnd::Finished;
    // A batch that went as always keeps the quiet standard error it always had.
    if (end == RunEnd::Stopped || counts.any_failed()) {
        std::fprintf(stderr, "%s\n", terminal_text(outcome_summary_text(counts)).c_str());
    }
    return exit_status(end, counts);
}

}  // namespace qinghe
