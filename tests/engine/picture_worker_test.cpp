#include "engine/picture_worker.h"

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "demo/loopback_server.h"
#include "engine/dispatcher.h"
#include "engine_fixture.h"
#include "support/recording_window.h"
#include "support/short_retries.h"

namespace qinghe {
namespace {

using namespace engine_test;
using demo::LoopbackServer;
using test_support::RecordingWindow;
using test_support::run_on_worker;

const Text kBatch = "batch";

// Runs download_picture for one address on a worker thread, as the
// dispatcher does, with the test thread as the window thread.
class PictureWorker : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(folder.path().empty());
        std::filesystem::create_directory(folder.path() / kBatch);
        fake.save_folder = folder.program_path();
        window->job().batch_folder_name = kBatch;
        server.server().Get(
            ".*", [this](const httplib::Request& request, httplib::Response& response) {
                std::lock_guard lock(requests_mutex);
                requests.push_back(request.path);
                if (request.path == "/empty.jpg") {
                    response.set_content("", "image/jpeg");
                } else if (request.path == "/broken.jpg") {
                    // Promises more than it sends, then drops the connection.
                    response.set_content_provider(1000, "image/jpeg",
                                                  [](size_t, size_t, httplib::DataSink& sink) {
                                                      sink.write("partial", 7);
                                                      return false;
                                                  });
                } else {
                    response.set_content(picture_bytes(request.path), "image/jpeg");
                }
            });
        ASSERT_TRUE(server.start());
    }

    static std::string picture_bytes(const std::string& path) {
        return std::string("\xFF\xD8\xFF\0", 4) + path;
    }

    void run(const Text& address) {
        window->job().current_address = address;
        window->job().progress_tag = "2/3";
        window->job().current_index = 2;
        run_on_worker(*window, fake, [this] { download_picture(*window); });
    }

    // The server's threads end before the request list goes: a retry may
    // still have been answered after the last look at the list.
    void TearDown() override { server.stop(); }

    std::vector<std::string> taken() {
        std::lock_guard lock(requests_mutex);
        return requests;
    }
    void clear_requests() {
        std::lock_guard lock(requests_mutex);
        requests.clear();
    }

    std::filesystem::path batch() const { return folder.path() / kBatch; }

    test_support::ShortRetryWaits short_waits;
    TempFolder folder;
    RecordingWindow fake;
    std::shared_ptr<MainWindow> window = test_support::make_recording_main_window(fake);
    LoopbackServer server;
    std::mutex requests_mutex;
    std::vector<std::string> requests;  // by the server thread, under requests_mutex
};

TEST_F(PictureWorker, SavesThePictureUnderItsOwnName) {
    struct Case {
        std::string path;
        std::string requested;
        std::string file;
    };
    const Case cases[] = {
        {"/img/a.jpg", "/img/a.jpg", "a.jpg"},
        {"/img/b.png_.webp", "/img/b.png", "b.png"},
        {"/img/c_.webp.jpg_.webp", "/img/c.jpg", "c.jpg"},  // every "_.webp" goes
        {"/d.gif", "/d.gif", "d.gif"},
    };
    for (const Case& c : cases) {
        clear_requests();
        fake.events.clear();
        const Text address = server.url(c.path);
        run(address);
        EXPECT_EQ(taken(), (std::vector<std::string>{c.requested})) << c.path;
        EXPECT_EQ(file_bytes(batch() / c.file), picture_bytes(c.requested)) << c.path;
        EXPECT_EQ(fake.events_of("files:"),
                  (std::vector<std::string>{server.url(c.requested) + "\r\n"}));
        EXPECT_EQ(fake.counter, new_files(1));
        EXPECT_EQ(window->job().current_index, 3);
        window->job().current_index = 2;
    }
}

TEST_F(PictureWorker, TheSamePictureTwiceIsFetchedOnce) {
    fake.counter = "harvester's count";
    run(server.url("/x/same.jpg"));
    EXPECT_EQ(fake.counter, new_files(1));
    fake.counter = "harvester's count";
    clear_requests();
    run(server.url("/y/same.jpg"));
    EXPECT_TRUE(taken().empty());
    EXPECT_EQ(fake.counter, "harvester's count");
    EXPECT_EQ(fake.file_list,
              server.url("/x/same.jpg") + "\r\n" + server.url("/y/same.jpg") + "\r\n");
    EXPECT_EQ(file_bytes(batch() / "same.jpg"), picture_bytes("/x/same.jpg"));
}

TEST_F(PictureWorker, APictureThatDidNotArriveIsNotWritten) {
    const char* const paths[] = {"/empty.jpg", "/broken.jpg"};
    for (const char* path : paths) {
        fake.counter = "before";
        run(server.url(path));
        EXPECT_EQ(entries(batch()), std::vector<std::string>{}) << path;
        EXPECT_EQ(fake.counter, "before") << path;
        EXPECT_EQ(fake.events_of("files:").back(), server.url(path) + "\r\n");
        EXPECT_EQ(fake.start_caption, kStartCaption);
        EXPECT_EQ(fake.timer_period, 1);
    }
    // Nothing blocks the next attempt.
    run("http://127.0.0.1:1/refused.jpg");
    EXPECT_EQ(entries(batch()), std::vector<std::string>{});
}

TEST_F(PictureWorker, ASaveFolderEndingInASeparatorGetsNoSecondOne) {
    fake.save_folder = folder.program_path() + "\\";
    run(server.url("/sep.jpg"));
    EXPECT_EQ(file_bytes(batch() / "sep.jpg"), picture_bytes("/sep.jpg"));
}

TEST_F(PictureWorker, ANameFromTheWebNeverLeavesTheBatchFolder) {
    run(server.url("/a/..\\..\\evil.jpg"));
    run(server.url("/a/%2E%2E.jpg"));
    EXPECT_EQ(entries(folder.path()), (std::vector<std::string>{kBatch}));
    for (const std::string& name : entries(batch())) {
        EXPECT_EQ(name.find('/'), std::string::npos);
        EXPECT_EQ(name.find('\\'), std::string::npos);
    }
}

}  // namespace
}  // namespace qinghe
