// The headless runner against servers that misbehave: a body that stalls, a
// connection reset, a body shorter than its Content-Length, a redirect loop,
// a redirect to file://, a 1 GiB body, and binary garbage as an item page.
// Every batch must reach its end, write nothing outside the save folder,
// leave no broken picture under a final name, and keep its memory bounded.
#include <gtest/gtest.h>

#include <random>

#include "demo/loopback_server.h"
#include "hardening/cli_process.h"
#include "hardening/reset_server.h"

namespace qinghe::hardening {
namespace {

using namespace std::chrono_literals;

constexpr const char* kPictureHost = "pics.example.com";
constexpr const char* kResetHost = "reset.example.com";
constexpr const char* kItemHost = "item.taobao.com";
// The limits the runner is started with, so that a stall or an endless body
// is given up within seconds.
constexpr long kStallSeconds = 2;
constexpr long long kMaxBodyBytes = 8 << 20;
constexpr long long kHugeBodyBytes = 1LL << 30;
// The runner's own peak resident set must stay far below the huge body.
// AddressSanitizer keeps freed memory in quarantine (256 MiB by default), so
// a sanitizer build gets more room, still well under the body's size.
#if defined(__SANITIZE_ADDRESS__)
constexpr long kPeakRssLimitKb = 640 * 1024;
#else
constexpr long kPeakRssLimitKb = 160 * 1024;
#endif
// As the runner prints it (UTF-8).
constexpr const char* kBatchEnded = "全部下载完毕";
constexpr const char* kSecretMarker = "QINGHE-SECRET-MARKER-7d41";

const std::string kGoodPicture =
    std::string("\xFF\xD8\xFF\xE0", 4) + std::string(5000, 'g') + "\xFF\xD9";

// Binary garbage. The harvest reads a page up to its first zero byte, so the
// variant without zero bytes also carries the markers the harvest looks
// for, with hostile names in the title and the links, between the noise.
std::string garbage_page(bool zero_bytes) {
    std::mt19937 random(20130507);
    auto noise = [&](std::string& page, int count) {
        for (int i = 0; i < count; ++i) {
            char c = static_cast<char>(random());
            if (!zero_bytes && c == '\0') c = '\x01';
            page.push_back(c);
        }
    };
    std::string page;
    noise(page, 100000);
    // The title ends in a lone GBK lead byte (0x81), so it stays a raw byte.
    page += "<title>..\\..\\..\\escaped/../../escaped\x81</title>";
    page +=
        "\"http://pics.example.com/../../escaped.jpg\" \"http://pics.example.com/a/..\\..\\escaped.png\" ";
    page +=
        "<img src=\"http://pics.example.com/good.jpg\"> descUrl:\"http://pics.example.com/stall.jpg\" ";
    page +=
        "g_config.dynamicScript( <link rel=\"stylesheet\" href=\"http://pics.example.com/short.jpg\">";
    noise(page, 100000);
    return page;
}

class HostileServers : public ::testing::Test {
protected:
    void SetUp() override {
        httplib::Server& s = m_server.server();
        s.Get("/good.jpg", [](const httplib::Request&, httplib::Response& r) {
            r.set_content(kGoodPicture, "image/jpeg");
        });
        // Sends a little, then nothing, holding the connection open.
        s.Get("/stall.jpg", [this](const httplib::Request&, httplib::Response& r) {
            r.set_content_provider(100000, "image/jpeg",
                                   [this](size_t offset, size_t, httplib::DataSink& sink) {
                                       static const std::string start =
                                           std::string("\xFF\xD8\xFF\xE0", 4) + " stalled";
                                       if (offset == 0)
                                           return sink.write(start.data(), start.size());
                                       while (!m_server.stopping())
                                           std::this_thread::sleep_for(20ms);
                                       return false;
                                   });
        });
        // Promises more than it sends, then closes the connection.
        s.Get("/short.jpg", [](const httplib::Request&, httplib::Response& r) {
            r.set_content_provider(100000, "image/jpeg",
                                   [](size_t offset, size_t, httplib::DataSink& sink) {
                                       if (offset > 0) return false;
                                       const std::string half(50000, 's');
                                       return sink.write(half.data(), half.size());
                                   });
        });
        // Redirects to itself for ever.
        s.Get("/loop.jpg", [this](const httplib::Request& request, httplib::Response& r) {
            m_loop_requests += 1;
            const int n = request.has_param("n") ? std::stoi(request.get_param_value("n")) : 0;
            r.set_redirect("/loop.jpg?n=" + std::to_string(n + 1), 302);
        });
        s.Get("/tofile.jpg", [this](const httplib::Request&, httplib::Response& r) {
            r.set_redirect("file://" + (m_folder.path() / "secret.jpg").string(), 302);
        });
        // A 1 GiB body made as it is sent.
        s.Get("/huge.jpg", [this](const httplib::Request&, httplib::Response& r) {
            r.set_content_provider(kHugeBodyBytes, "image/jpeg",
                                   [this](size_t offset, size_t length, httplib::DataSink& sink) {
                                       static const std::string chunk(1 << 20, 'h');
                                       if (m_server.stopping()) return false;
                                       const size_t n = std::min(length, chunk.size());
                                       if (!sink.write(chunk.data(), n)) return false;
                                       m_huge_bytes_sent = static_cast<long long>(offset + n);
                                       return true;
                                   });
        });
        s.Get("/item.htm", [](const httplib::Request&, httplib::Response& r) {
            r.set_content(garbage_page(true), "text/html");
        });
        s.Get("/marked.htm", [](const httplib::Request&, httplib::Response& r) {
            r.set_content(garbage_page(false), "text/html");
        });
        ASSERT_TRUE(m_server.start());
        ASSERT_GT(m_reset_server.port(), 0);
        std::ofstream(m_folder.path() / "secret.jpg", std::ios::binary) << kSecretMarker;
        fs::create_directory(m_folder.path() / "save");
    }

    struct Batch {
        ChildResult result;
        std::string output;
    };

    // Runs one batch of the runner over the addresses (one a line).
    Batch run_batch(const std::vector<std::string>& addresses,
                    const std::vector<std::string>& options = {}) {
        std::string list;
        for (const std::string& a : addresses) list += a + "\n";
        std::ofstream(m_folder.path() / "addresses.txt", std::ios::binary) << list;
        const std::string port = std::to_string(m_server.port());
        std::vector<std::string> arguments{
            "--save", (m_folder.path() / "save").string(), "--stall-seconds",
            std::to_string(kStallSeconds), "--max-body-bytes", std::to_string(kMaxBodyBytes),
            // One try each: a second try would only wait out the same hostility again.
            "--retries", "0", "--connect-to", std::string(kPictureHost) + ":80:127.0.0.1:" + port,
            "--connect-to", std::string(kItemHost) + ":80:127.0.0.1:" + port, "--connect-to",
            std::string(kResetHost) + ":80:127.0.0.1:" + std::to_string(m_reset_server.port()),
            (m_folder.path() / "addresses.txt").string()};
        arguments.insert(arguments.begin(), options.begin(), options.end());
        CliProcess runner(cli_path(), arguments, m_folder.path() / "runner.log", m_folder.path());
        Batch batch;
        batch.result = runner.wait(std::chrono::seconds(120));
        batch.output = file_bytes(m_folder.path() / "runner.log");
        EXPECT_FALSE(runner.timed_out()) << "the batch hung";
        return batch;
    }

    // What every batch must show, whatever the servers did.
    // exit_status: 1 when a picture failed (the batch ends and says so), else 0.
    void expect_sound_end(const Batch& batch, int exit_status = 1) {
        EXPECT_TRUE(batch.result.exited && batch.result.exit_status == exit_status)
            << "status " << batch.result.exit_status << " signal " << batch.result.signal << "\n"
            << batch.output;
        EXPECT_NE(batch.output.find(kBatchEnded), std::string::npos) << batch.output;
        EXPECT_LT(batch.result.peak_rss_kb, kPeakRssLimitKb);

        // The temporary root holds only what the test put there and the save folder.
        for (const auto& [relative, path] : files_below(m_folder.path())) {
            const bool ours =
                relative == "addresses.txt" || relative == "runner.log" || relative == "secret.jpg";
            EXPECT_TRUE(ours || relative.rfind("save/", 0) == 0)
                << "written outside the save folder: " << relative;
            // No picture holds what a file:// redirect would have read.
            if (!ours) {
                EXPECT_EQ(file_bytes(path).find(kSecretMarker), std::string::npos) << relative;
            }
        }
        for (const auto& entry : fs::directory_iterator(m_folder.path())) {
            EXPECT_TRUE(entry.is_regular_file() || entry.path().filename() == "save")
                << entry.path();
        }
    }

    // Files saved under a final name with this file name.
    int saved_as(const std::string& file_name) {
        int count = 0;
        for (const auto& [relative, path] : files_below(m_folder.path() / "save")) {
            if (path.filename() == file_name) ++count;
        }
        return count;
    }

    demo::LoopbackServer m_server;
    ResetServer m_reset_server;
    TemporaryFolder m_folder;
    std::atomic<int> m_loop_requests{0};
    std::atomic<long long> m_huge_bytes_sent{0};
};

std::string picture(const char* name) { return "http://" + std::string(kPictureHost) + "/" + name; }

TEST_F(HostileServers, EachBrokenPictureTransferEndsTheBatchAndLeavesNoFile) {
    struct Case {
        const char* what;
        std::string address;
        const char* file_name;
    };
    const Case cases[] = {
        {"stall mid-body", picture("stall.jpg"), "stall.jpg"},
        {"connection reset", "http://" + std::string(kResetHost) + "/reset.jpg", "reset.jpg"},
        {"body shorter than Content-Length", picture("short.jpg"), "short.jpg"},
        {"redirect loop", picture("loop.jpg"), "loop.jpg"},
        {"redirect to file://", picture("tofile.jpg"), "tofile.jpg"},
        {"1 GiB body", picture("huge.jpg"), "huge.jpg"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto started = std::chrono::steady_clock::now();
        const Batch batch = run_batch({c.address});
        expect_sound_end(batch);
        EXPECT_EQ(saved_as(c.file_name), 0) << "a broken transfer was saved";
        // Nothing waits out more than the stall limit and a margin.
        EXPECT_LT(std::chrono::steady_clock::now() - started,
                  std::chrono::seconds(kStallSeconds + 20));
    }
    // The redirect cap held, and the huge body was given up near the body cap.
    EXPECT_GE(m_loop_requests, 2);
    EXPECT_LE(m_loop_requests, 12);
    EXPECT_GT(m_huge_bytes_sent, 0);
    EXPECT_LT(m_huge_bytes_sent, kMaxBodyBytes * 8);
    EXPECT_GE(m_reset_server.resets(), 1);
}

TEST_F(HostileServers, GarbageItemPagesAreHarvestedInsideTheSaveFolder) {
    struct Case {
        const char* what;
        const char* path;
        std::vector<std::string> options;
        bool reaches_markers;  // the page holds markers before any zero byte
    };
    const Case cases[] = {
        {"binary garbage", "/item.htm?id=1", {}, false},
        {"garbage with hostile markers", "/marked.htm?id=..%2F..%2Fescaped", {}, true},
        {"hostile title in the folder name", "/marked.htm?id=3", {"--show-title"}, true},
        {"hostile markers, flat layout, independent package",
         "/marked.htm",
         {"--flat", "--package", "independent"},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(m_folder.path() / "save");
        fs::create_directory(m_folder.path() / "save");
        const Batch batch = run_batch({"http://" + std::string(kItemHost) + c.path}, c.options);
        // Pages with markers link broken pictures too; plain garbage links none.
        expect_sound_end(batch, c.reaches_markers ? 1 : 0);
        // The picture linked among the noise arrived whole: the harvest read
        // past the garbage to the markers.
        int good_copies = 0;
        for (const auto& [relative, path] : files_below(m_folder.path() / "save")) {
            good_copies += file_bytes(path) == kGoodPicture;
        }
        EXPECT_EQ(good_copies > 0, c.reaches_markers) << batch.output;
    }
}

TEST_F(HostileServers, BatchGoesOnPastEveryHostileServerToTheLastPicture) {
    const Batch batch =
        run_batch({picture("stall.jpg"), "http://" + std::string(kResetHost) + "/reset.jpg",
                   picture("short.jpg"), picture("loop.jpg"), picture("tofile.jpg"),
                   picture("huge.jpg"), "http://" + std::string(kItemHost) + "/item.htm?id=2",
                   "http://" + std::string(kItemHost) + "/marked.htm?id=4", picture("good.jpg")});
    expect_sound_end(batch);
    ASSERT_EQ(saved_as("good.jpg"), 1) << batch.output;
    for (const auto& [relative, path] : files_below(m_folder.path() / "save")) {
        if (path.filename() == "good.jpg") {
            EXPECT_TRUE(file_bytes(path) == kGoodPicture);
        }
    }
}

}  // namespace
}  // namespace qinghe::hardening
