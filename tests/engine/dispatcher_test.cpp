#include "engine/dispatcher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/date_time.h"
#include "demo/loopback_server.h"
#include "engine_fixture.h"
#include "support/recording_window.h"
#include "support/short_retries.h"

namespace qinghe {
namespace {

using namespace engine_test;
using demo::LoopbackServer;
using test_support::RecordingWindow;

const Text kFolderMiddle = gbk("共淘图");
const Text kFolderEnd = gbk("个地址");
const Text kCreating = gbk("正在创建文件夹名为：");
const Text kFolderOpen = gbk("文件夹：《");
const Text kFolderCreated = gbk("》已创建成功！");
const Text kAllDone = gbk("全部下载完毕！");

// A fixed clock for the batch folder name; restores the system clock.
class FixedClock {
public:
    FixedClock(int y, int mo, int d, int h, int mi, int s) {
        const DateTime at = make_date_time(y, mo, d, h, mi, s);
        set_clock([at] { return at; });
    }
    ~FixedClock() { set_clock({}); }
};

class Dispatcher : public ::testing::Test {
protected:
    void SetUp() override {
        fake.save_folder = folder.program_path();
        ASSERT_FALSE(folder.path().empty());
    }
    bool run_batch() { return test_support::run_recording_batch(*window, fake, dispatch_next); }

    test_support::ShortRetryWaits short_waits;
    TempFolder folder;
    RecordingWindow fake;
    std::shared_ptr<MainWindow> window = test_support::make_recording_main_window(fake);
};

TEST(BatchFolderName, JoinsTheTimeWithoutLeadingZerosAndTheCount) {
    struct Case {
        int y, mo, d, h, mi, s, count;
        const char* digits;
    };
    const Case cases[] = {
        {2013, 5, 7, 14, 3, 9, 12, "2013571439"},
        {2013, 11, 17, 8, 0, 0, 3, "20131117800"},
        {2020, 12, 31, 23, 59, 59, 1,
         "202012312359"
         "59"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(batch_folder_name_at(make_date_time(c.y, c.mo, c.d, c.h, c.mi, c.s), c.count),
                  c.digits + kFolderMiddle + std::to_string(c.count) + kFolderEnd)
            << c.digits;
    }
}

TEST(ClassifyAddress, GoesByTheEndingByteExactAndCaseSensitive) {
    struct Case {
        const char* address;
        WorkerKind kind;
    };
    const Case cases[] = {
        {"http://img.example/x.jpg_.webp", WorkerKind::Picture},
        {"http://img.example/x.png", WorkerKind::Picture},
        {"http://img.example/x.gif", WorkerKind::Picture},
        {"http://img.example/x.jpg", WorkerKind::Picture},
        {"http://img.example/x.JPG", WorkerKind::Item},
        {"http://img.example/x.jpg?w=1", WorkerKind::Item},
        {"http://img.example/x.webp", WorkerKind::Item},
        {"C:\\x.CSV", WorkerKind::Item},
        {"D:\\list.csv", WorkerKind::Package},
        {"/home/u/list.csv", WorkerKind::Package},
        {"http://item.taobao.com/item.htm?id=1", WorkerKind::Item},
        {".png", WorkerKind::Picture},
        {" ", WorkerKind::Item},
        {"", WorkerKind::None},
    };
    for (const Case& c : cases) EXPECT_EQ(classify_address(c.address), c.kind) << c.address;
}

TEST_F(Dispatcher, RefusedStartShowsItsMessageAndChangesNothing) {
    const Text no_kind = gbk("您还未选择要下载的是主图或细节图或其他图片呢！？");
    const Text no_address = gbk("宝贝链接还未输入！");
    // The address box's placeholder text holds only the full-width "。".
    const Text placeholder = gbk("复制淘宝、天猫、阿里的商品连接地址粘贴到此文本框里，每行一个。");
    struct Case {
        bool main, detail, other;
        Text address;
        Text message;
    };
    const Case cases[] = {
        {false, false, false, "http://a/x.jpg", no_kind},
        {false, false, false, "", no_kind},  // the picture kinds are checked first
        {true, false, false, placeholder, no_address},
        {false, false, true, "", no_address},
        {false, true, false, "no full stop\r\n", no_address},
    };
    for (const Case& c : cases) {
        RecordingWindow fresh;
        fresh.save_folder = folder.program_path();
        fresh.options[OptionBox::DownloadMainPictures] = c.main;
        fresh.options[OptionBox::DownloadDetailPictures] = c.detail;
        fresh.options[OptionBox::DownloadOtherPictures] = c.other;
        fresh.address = c.address;
        auto shown = test_support::make_recording_main_window(fresh);
        shown->job().address_count = 4;
        shown->job().current_index = 3;
        shown->job().progress_tag = "3/4";
        start_batch(*shown);
        ASSERT_EQ(fresh.events.size(), 1u) << c.message;
        EXPECT_EQ(fresh.events[0], "message:" + c.message);
        ASSERT_EQ(fresh.messages.size(), 1u);
        EXPECT_EQ(fresh.messages[0].caption, gbk("信息："));
        EXPECT_TRUE(fresh.address_enabled);
        EXPECT_TRUE(fresh.start_enabled);
        EXPECT_EQ(fresh.timer_period, 0);
        EXPECT_EQ(shown->job().address_count, 4);
        EXPECT_EQ(shown->job().current_index, 3);
        EXPECT_EQ(shown->job().batch_folder_name, "");
        EXPECT_TRUE(entries(folder.path()).empty());
    }
}

TEST_F(Dispatcher, StartSplitsTheAddressBoxAtCrLf) {
    struct Case {
        Text box;
        std::vector<Text> list;
    };
    const Case cases[] = {
        {"a.jpg", {"a.jpg"}},
        {"a.jpg\r\nb.jpg\r\n", {"a.jpg", "b.jpg"}},
        {"a.jpg\r\n\r\nb.jpg", {"a.jpg", "", "b.jpg"}},
        {"\r\na.jpg", {"", "a.jpg"}},
        {"a.jpg\nb.jpg", {"a.jpg\nb.jpg"}},
    };
    for (const Case& c : cases) {
        fake.address = c.box;
        start_batch(*window);
        EXPECT_EQ(window->job().address_list.items(), c.list) << c.box;
        EXPECT_EQ(window->job().address_count, static_cast<int>(c.list.size()));
        EXPECT_EQ(window->job().current_index, 1);
    }
}

TEST_F(Dispatcher, StartNamesAndCreatesTheBatchFolderAndReportsIt) {
    FixedClock clock(2013, 5, 7, 14, 3, 9);
    Text box;
    for (int i = 1; i <= 12; ++i) box += "http://a/" + std::to_string(i) + ".jpg\r\n";
    fake.address = box;
    start_batch(*window);

    const Text name = "2013571439" + kFolderMiddle + "12" + kFolderEnd;
    EXPECT_EQ(window->job().batch_folder_name, name);
    EXPECT_TRUE(std::filesystem::is_directory(native_child(folder.path(), name)));
    // The first batch of the run has no progress tag yet.
    EXPECT_EQ(fake.events, (std::vector<std::string>{
                               "address_enabled:0",
                               "start_enabled:0",
                               "status:" + kOpen + kClose + kCreating + name,
                               "status:" + kOpen + kClose + kFolderOpen + name + kFolderCreated,
                               "timer:1",
                           }));
}

TEST_F(Dispatcher, StartReportsTheFolderCreatedEvenWhenItCannotBe) {
    fake.save_folder = folder.program_path() + "/missing/deeper";
    fake.address = "http://a/x.jpg";
    window->job().progress_tag = "7/7";
    start_batch(*window);
    ASSERT_GE(fake.events_of("status:").size(), 2u);
    EXPECT_EQ(fake.events_of("status:")[1], kOpen + "7/7" + kClose + kFolderOpen +
                                                window->job().batch_folder_name + kFolderCreated);
    EXPECT_EQ(fake.timer_period, 1);
}

class PictureBatch : public Dispatcher {
protected:
    void SetUp() override {
        Dispatcher::SetUp();
        server.server().Get(R"(/p/(\w+)\.(jpg|png|gif))",
                            [](const httplib::Request& request, httplib::Response& response) {
                                response.set_content(picture_bytes(request.path), "image/jpeg");
                            });
        ASSERT_TRUE(server.start());
    }
    static std::string picture_bytes(const std::string& path) {
        return std::string("\x89PNG\r\n\x1A\n", 8) + path;
    }
    LoopbackServer server;
};

TEST_F(PictureBatch, EndsWithTheLastTagAndRestoresTheWindow) {
    Text box;
    for (int i = 1; i <= 5; ++i) box += server.url("/p/n" + std::to_string(i) + ".jpg") + "\r\n";
    fake.address = box;
    fake.counter = "busy";
    start_batch(*window);
    const Text name = window->job().batch_folder_name;
    EXPECT_FALSE(fake.start_enabled);
    ASSERT_TRUE(run_batch());

    EXPECT_EQ(fake.status, kOpen + "5/5" + kClose + kAllDone);
    EXPECT_EQ(fake.start_caption, kStartCaption);
    EXPECT_TRUE(fake.start_enabled);
    EXPECT_TRUE(fake.address_enabled);
    EXPECT_EQ(fake.counter, kCounterRestingText);
    EXPECT_EQ(fake.address, box);
    EXPECT_EQ(window->job().batch_folder_name, "");
    EXPECT_EQ(window->job().address_count, 5);
    EXPECT_EQ(window->job().progress_tag, "5/5");
    EXPECT_EQ(fake.timer_period, 0);
    // The start button stays disabled through the whole batch.
    EXPECT_EQ(fake.events_of("start_enabled:"), (std::vector<std::string>{"0", "1"}));
    for (int i = 1; i <= 5; ++i) {
        const std::string file = "n" + std::to_string(i) + ".jpg";
        EXPECT_EQ(file_bytes(native_child(folder.path(), name) / file),
                  picture_bytes("/p/" + file));
    }

    // The next batch's first messages carry the last tag of this one.
    fake.address = server.url("/p/again.png");
    fake.events.clear();
    start_batch(*window);
    EXPECT_EQ(fake.events_of("status:")[0],
              kOpen + "5/5" + kClose + kCreating + window->job().batch_folder_name);
    ASSERT_TRUE(run_batch());
    EXPECT_EQ(fake.status, kOpen + "1/1" + kClose + kAllDone);
}

TEST_F(PictureBatch, EmptyAndFailingAddressesStillAdvanceTheBatch) {
    // A refused connection: nothing listens on port 1.
    const Text failing = "http://127.0.0.1:1/p/gone.jpg";
    fake.address = "\r\n" + failing + "\r\n\r\n" + server.url("/p/kept.gif") + "\r\n\r\n";
    start_batch(*window);
    const Text name = window->job().batch_folder_name;
    ASSERT_TRUE(run_batch());
    // A leading and a middle blank line, and the last CR LF CR LF, each give
    // one empty address.
    EXPECT_EQ(window->job().address_count, 5);
    EXPECT_EQ(fake.status, kOpen + "5/5" + kClose + kAllDone);
    // Only the two picture addresses got a worker.
    EXPECT_EQ(fake.events_of("files:"),
              (std::vector<std::string>{failing + "\r\n", server.url("/p/kept.gif") + "\r\n"}));
    // The failed picture is reported beside the saved one.
    EXPECT_EQ(entries(native_child(folder.path(), name)),
              (std::vector<std::string>{"kept.gif", "失败地址.txt", "淘图报告.csv"}));
}

TEST_F(PictureBatch, WorkersReadTheSaveFolderWhenTheyNeedIt) {
    // The save folder is changed between the first and the second address:
    // the second worker builds its path from the new folder, where no batch
    // folder was made, so its picture cannot be written; the batch goes on.
    TempFolder other;
    fake.address = server.url("/p/first.jpg") + "\r\n" + server.url("/p/second.jpg") + "\r\n" +
                   server.url("/p/third.jpg");
    start_batch(*window);
    const Text name = window->job().batch_folder_name;
    auto tick = [&](MainWindow& w) {
        if (w.job().current_index == 2) fake.save_folder = other.program_path();
        if (w.job().current_index == 3) fake.save_folder = folder.program_path();
        dispatch_next(w);
    };
    ASSERT_TRUE(test_support::run_recording_batch(*window, fake, tick));
    EXPECT_EQ(entries(native_child(folder.path(), name)),
              (std::vector<std::string>{"first.jpg", "third.jpg", "失败地址.txt", "淘图报告.csv"}));
    EXPECT_TRUE(entries(other.path()).empty());
    EXPECT_EQ(fake.status, kOpen + "3/3" + kClose + kAllDone);
}

// Records the batch index at each arming of the timer, to check that a
// worker advances the index before it arms the timer.
class IndexRecordingWindow : public RecordingWindow {
public:
    MainWindow* window = nullptr;
    std::vector<int> index_at_timer;
    void set_dispatch_timer(int period_ms) override {
        if (period_ms > 0 && window) index_at_timer.push_back(window->job().current_index);
        RecordingWindow::set_dispatch_timer(period_ms);
    }
};

TEST_F(PictureBatch, PictureWorkerKeepsItsStepOrder) {
    IndexRecordingWindow recording;
    recording.save_folder = folder.program_path();
    auto shown = test_support::make_recording_main_window(recording);
    recording.window = shown.get();
    const Text address = server.url("/p/x.jpg") + "_.webp";
    recording.address = address;
    start_batch(*shown);
    recording.events.clear();
    ASSERT_TRUE(test_support::run_recording_batch(*shown, recording, dispatch_next));

    // The worker's last write (progress back to 0) races with the next tick,
    // as on any window: it must follow the timer's arming, wherever it lands.
    auto& events = recording.events;
    const auto armed = std::find(events.begin(), events.end(), "timer:1");
    const auto reset = std::find(events.begin(), events.end(), "progress:0");
    ASSERT_NE(reset, events.end());
    EXPECT_LT(armed - events.begin(), reset - events.begin());
    events.erase(reset);

    const Text tag = kOpen + "1/1" + kClose;
    EXPECT_EQ(events, (std::vector<std::string>{
                          "timer:0",
                          "caption:" + kWorkingCaption,
                          "status:" + tag + kDownloading,
                          "progress:50",
                          "files:" + server.url("/p/x.jpg") + "\r\n",
                          "counter:" + new_files(1),
                          "progress:100",
                          "caption:" + kStartCaption,
                          "timer:1",
                          "timer:0",
                          "status:" + tag + kAllDone,
                          "caption:" + kStartCaption,
                          "start_enabled:1",
                          "address_enabled:1",
                          "counter:" + Text(kCounterRestingText),
                          "finished",
                      }));
    // Armed by start_batch at index 1, by the worker after advancing to 2.
    EXPECT_EQ(recording.index_at_timer, (std::vector<int>{1, 2}));
}

}  // namespace
}  // namespace qinghe
