#include "harvest/save_picture.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "demo/loopback_server.h"
#include "support/recording_window.h"
#include "support/short_retries.h"

namespace qinghe {
namespace {

namespace fs = std::filesystem;

// What the server sends for a picture: JPEG bytes ending in a readable tag.
std::string jpeg(const std::string& tag) { return "\xFF\xD8\xFF\xE0" + tag; }

class SavePicture : public ::testing::Test {
protected:
    void SetUp() override {
        server.server().Get(
            R"(/(\w+)\.jpg)", [this](const httplib::Request& request, httplib::Response& response) {
                ++fetches;
                const std::string name = request.matches[1];
                if (name == "empty") return;
                if (name == "flaky" && fetches_of_flaky++ == 0) {
                    response.status = 503;
                    response.set_content("busy", "text/plain");
                    return;
                }
                if (name == "missing") response.status = 404;
                if (name == "page") {
                    response.set_content("<html><body>login</body></html>", "text/html");
                    return;
                }
                response.set_content(jpeg("bytes of " + name), "image/jpeg");
            });
        ASSERT_TRUE(server.start());
        // One folder per test process: CTest runs the cases side by side.
        root = fs::temp_directory_path() / ("qinghe-save-picture-" + std::to_string(::getpid()));
        fs::remove_all(root);
        fs::create_directories(root);
        window->job().current_index = 1;
    }
    void TearDown() override { fs::remove_all(root); }

    PictureSave request(const std::string& name) {
        PictureSave picture;
        picture.address = server.url("/" + name);
        picture.file_name = name;
        picture.folder = root.string() + "\\";
        picture.count = &count;
        return picture;
    }
    std::string file(const std::string& name) {
        std::ifstream in(root / name, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return in ? out.str() : "(none)";
    }
    std::vector<std::string> writes() {
        window->window_thread().drain();
        return fake.events;
    }

    demo::LoopbackServer server;
    std::atomic<int> fetches{0};
    std::atomic<int> fetches_of_flaky{0};
    fs::path root;
    test_support::RecordingWindow fake;
    std::shared_ptr<MainWindow> window = test_support::make_recording_main_window(fake);
    int count = 4;
};

TEST_F(SavePicture, EachTransferRuleDecidesWhetherThePictureIsWrittenListedAndCounted) {
    struct Case {
        const char* name;
        FileListing listing;
        bool http_error_fails;
        Counting counting;
        PictureOutcome outcome;
        PictureFailure reason;
        std::string file;  // after the step
        bool listed;
        int count_after;  // -1: the label is left alone
    };
    const Case cases[] = {
        {"a.jpg", FileListing::BeforeCheck, false, Counting::Raise, PictureOutcome::Saved,
         PictureFailure::None, jpeg("bytes of a"), true, 5},
        {"empty.jpg", FileListing::BeforeCheck, false, Counting::Raise, PictureOutcome::Failed,
         PictureFailure::Empty, "(none)", true, -1},
        {"missing.jpg", FileListing::AfterFetch, false, Counting::Raise, PictureOutcome::Saved,
         PictureFailure::None, jpeg("bytes of missing"), true, 5},
        {"missing.jpg", FileListing::Never, true, Counting::ShowOnly, PictureOutcome::Failed,
         PictureFailure::HttpError, "(none)", false, -1},
        {"b.jpg", FileListing::Never, true, Counting::ShowOnly, PictureOutcome::Saved,
         PictureFailure::None, jpeg("bytes of b"), false, 4},
        // A 200 answer holding a page is no picture, whatever the listing.
        {"page.jpg", FileListing::BeforeCheck, false, Counting::Raise, PictureOutcome::Failed,
         PictureFailure::NotAPicture, "(none)", true, -1},
        {"page.jpg", FileListing::Never, true, Counting::ShowOnly, PictureOutcome::Failed,
         PictureFailure::NotAPicture, "(none)", false, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " listing " +
                     std::to_string(static_cast<int>(c.listing)));
        fs::remove(root / c.name);
        fake.events.clear();
        count = 4;
        PictureSave picture = request(c.name);
        picture.listing = c.listing;
        picture.http_error_fails = c.http_error_fails;
        picture.counting = c.counting;

        const PictureResult result = save_picture(*window, picture);
        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_EQ(result.reason, c.reason);
        EXPECT_EQ(file(c.name), c.file);
        std::vector<std::string> expected;
        if (c.listed) expected.push_back("files:" + picture.address + "\r\n");
        if (c.count_after >= 0)
            expected.push_back("counter:" + download_counter_text(c.count_after));
        EXPECT_EQ(writes(), expected);
        EXPECT_EQ(count, c.count_after >= 0 ? c.count_after : 4);
    }
}

TEST_F(SavePicture, APictureThereAlreadyOrAnAddressNamingNoFileIsNotFetched) {
    std::ofstream(root / "kept.jpg") << "old";
    fs::create_directories(root / "checked");
    std::ofstream(root / "checked" / "elsewhere.jpg") << "old";

    PictureSave kept = request("kept.jpg");
    EXPECT_EQ(save_picture(*window, kept).reason, PictureFailure::Exists);
    // The test folder may differ from the folder written to.
    PictureSave elsewhere = request("elsewhere.jpg");
    elsewhere.checked_folder = (root / "checked").string() + "\\";
    EXPECT_EQ(save_picture(*window, elsewhere).reason, PictureFailure::Exists);
    PictureSave listed_late = request("kept.jpg");
    listed_late.listing = FileListing::AfterFetch;
    EXPECT_EQ(save_picture(*window, listed_late).outcome, PictureOutcome::Skipped);
    PictureSave no_name = request("a.jpg");
    no_name.file_name.clear();  // what picture_file_name gives for an address naming no file
    EXPECT_EQ(save_picture(*window, no_name).reason, PictureFailure::NoFileName);

    EXPECT_EQ(fetches.load(), 0);
    EXPECT_EQ(file("kept.jpg"), "old");
    EXPECT_EQ(file("elsewhere.jpg"), "(none)");
    // Listed before the check: the first, second and fourth; the third only
    // after a fetch, which did not happen.
    EXPECT_EQ(writes(), (std::vector<std::string>{"files:" + kept.address + "\r\n",
                                                  "files:" + elsewhere.address + "\r\n",
                                                  "files:" + no_name.address + "\r\n"}));
    EXPECT_EQ(count, 4);
}

TEST_F(SavePicture, OnlyATransientFailureIsTriedAgainAndTheOutcomeRecordsEachPicture) {
    const test_support::ShortRetryWaits short_waits;
    std::ofstream(root / "there.jpg") << "old";
    struct Case {
        const char* name;
        int fetches;  // requests the step made
        PictureState state;
        Failure failure;
    };
    const Case cases[] = {
        {"flaky.jpg", 2, PictureState::Saved, {}},
        {"missing.jpg", 1, PictureState::Failed, {FailureReason::HttpStatus, 404}},
        {"page.jpg", 1, PictureState::Failed, {FailureReason::NotAPicture}},
        {"there.jpg", 0, PictureState::Skipped, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fetches = 0;
        PictureSave picture = request(c.name);
        picture.http_error_fails = true;  // the package rule: a 404 fails even with a picture
        save_picture(*window, picture);
        EXPECT_EQ(fetches.load(), c.fetches);
    }
    EXPECT_EQ(file("flaky.jpg"), jpeg("bytes of flaky"));

    const std::vector<AddressRecord> records = window->outcome().records();
    ASSERT_EQ(records.size(), 1u);
    ASSERT_EQ(records[0].pictures.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        const PictureRecord& recorded = records[0].pictures[i];
        EXPECT_EQ(recorded.address, server.url(std::string("/") + cases[i].name));
        EXPECT_EQ(recorded.file, root.string() + "\\" + cases[i].name);
        EXPECT_EQ(recorded.result, cases[i].state);
        EXPECT_EQ(recorded.failure, cases[i].failure);
    }

    // A stop: the next picture is neither listed nor fetched nor recorded.
    window->request_stop();
    fetches = 0;
    fake.events.clear();
    EXPECT_EQ(save_picture(*window, request("later.jpg")).reason, PictureFailure::Stopped);
    EXPECT_EQ(fetches.load(), 0);
    EXPECT_EQ(writes(), std::vector<std::string>{});
    EXPECT_EQ(window->outcome().records()[0].pictures.size(), std::size(cases));
}

}  // namespace
}  // namespace qinghe
