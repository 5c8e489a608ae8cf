#include "window/worker_boundary.h"

#include <exception>

#include "window/window_texts.h"

namespace qinghe {

namespace {

// Runs one step; an exception is reported, not passed on, so the steps after
// it still run.
template <typename Step>
void guarded(MainWindow& window, std::string_view worker_name, const Step& step) {
    try {
        step();
    } catch (const std::exception& caught) {
        window.report_error(join_text({worker_name, ": ", caught.what()}));
    } catch (...) {
        window.report_error(join_text({worker_name, ": unknown exception"}));
    }
}

}  // namespace

void run_worker(MainWindow& window, std::string_view worker_name, WorkerEpilogue epilogue,
                const std::function<void()>& work) {
    guarded(window, worker_name, work);
    // The report files follow the outcome address by address, so a batch
    // that ends abruptly still leaves what failed so far.
    guarded(window, worker_name, [&] { window.keep_outcome_files_current(); });

    const auto step = [&](const auto& action) { guarded(window, worker_name, action); };
    const auto advance = [&] { window.job().current_index += 1; };
    const auto arm_timer = [&] { window.set_dispatch_timer(1); };
    switch (epilogue) {
        case WorkerEpilogue::Picture:
            step([&] { window.set_progress(100); });
            step([&] { window.set_start_caption(idle_start_caption()); });
            advance();
            step(arm_timer);
            step([&] { window.set_progress(0); });
            break;
        case WorkerEpilogue::Package:
            step([&] { window.set_progress(100); });
            advance();
            step(arm_timer);
            step([&] { window.set_progress(0); });
            break;
        case WorkerEpilogue::Item:
            step([&] { window.set_progress(100); });
            step([&] { window.set_progress(0); });
            advance();
            step(arm_timer);
            break;
    }
}

}  // namespace qinghe
