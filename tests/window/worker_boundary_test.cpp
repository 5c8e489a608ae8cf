#include "window/worker_boundary.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "support/recording_window.h"
#include "window/window_texts.h"

namespace qinghe {
namespace {

using test_support::RecordingWindow;

// Records reports among the writes, and the batch index at the moment the
// dispatch timer is armed.
class ReportingWindow : public RecordingWindow {
public:
    MainWindow* window = nullptr;

    void log_error(const Text& text) override { events.push_back("error:" + text); }
    void set_dispatch_timer(int period_ms) override {
        events.push_back("index:" + std::to_string(window->job().current_index));
        RecordingWindow::set_dispatch_timer(period_ms);
    }
};

std::vector<std::string> run_on_fake(WorkerEpilogue epilogue, std::string_view name,
                                     const std::function<void()>& work) {
    ReportingWindow fake;
    auto window = test_support::make_recording_main_window(fake);
    fake.window = window.get();
    window->job().current_index = 1;
    run_worker(*window, name, epilogue, work);
    window->window_thread().drain();
    EXPECT_EQ(window->job().current_index, 2);
    return fake.events;
}

TEST(WorkerBoundary, ReportsWhatTheWorkThrewAndRunsTheWorkersEpilogueInItsOrder) {
    const std::string idle = "caption:" + idle_start_caption();
    struct Case {
        WorkerEpilogue epilogue;
        const char* name;
        std::vector<std::string> after_report;
    };
    const Case cases[] = {
        {WorkerEpilogue::Picture,
         "download_picture",
         {"progress:100", idle, "index:2", "timer:1", "progress:0"}},
        {WorkerEpilogue::Package,
         "localize_package",
         {"progress:100", "index:2", "timer:1", "progress:0"}},
        {WorkerEpilogue::Item,
         "harvest_item",
         {"progress:100", "progress:0", "index:2", "timer:1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> expected = {std::string("error:") + c.name + ": page gone"};
        expected.insert(expected.end(), c.after_report.begin(), c.after_report.end());
        EXPECT_EQ(run_on_fake(c.epilogue, c.name, [] { throw std::runtime_error("page gone"); }),
                  expected);
    }
}

TEST(WorkerBoundary, NamesAnExceptionOfNoKnownTypeAndReportsNothingWhenTheWorkEndsWell) {
    const auto thrown = run_on_fake(WorkerEpilogue::Item, "harvest_item", [] { throw 7; });
    ASSERT_FALSE(thrown.empty());
    EXPECT_EQ(thrown.front(), "error:harvest_item: unknown exception");

    const auto clean = run_on_fake(WorkerEpilogue::Item, "harvest_item", [] {});
    EXPECT_EQ(clean,
              (std::vector<std::string>{"progress:100", "progress:0", "index:2", "timer:1"}));
}

TEST(WorkerBoundary, TheDefaultErrorLogIsStandardError) {
    RecordingWindow fake;  // keeps the default log_error
    testing::internal::CaptureStderr();
    fake.log_error("localize_package: bad_alloc");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("localize_package: bad_alloc"),
              std::string::npos);
}

}  // namespace
}  // namespace qinghe
