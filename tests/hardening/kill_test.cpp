// The headless runner killed (SIGKILL) in the middle of a batch of large
// pictures: every file it left under a final name holds exactly the bytes
// that were served, so a later run never skips a half-written picture.
#include <gtest/gtest.h>

#include <set>

#include "hardening/cli_process.h"
#include "hardening/picture_server.h"

namespace qinghe::hardening {
namespace {

using namespace std::chrono_literals;

constexpr int kPictureCount = 8;
constexpr const char* kPictureHost = "pics.example.com";

// The address list and the runner's arguments for one batch into save.
std::vector<std::string> batch_arguments(const TemporaryFolder& folder, int port) {
    std::string list;
    for (int n = 1; n <= kPictureCount; ++n) {
        list += "http://" + std::string(kPictureHost) + "/p/" + std::to_string(n) + ".jpg\n";
    }
    std::ofstream(folder.path() / "addresses.txt", std::ios::binary) << list;
    fs::create_directory(folder.path() / "save");
    // One transfer at a time: the kill must land while a finished transfer's
    // file is being written, not while six large ones are still arriving.
    return {"--parallel",
            "1",
            "--save",
            (folder.path() / "save").string(),
            "--connect-to",
            std::string(kPictureHost) + ":80:127.0.0.1:" + std::to_string(port),
            (folder.path() / "addresses.txt").string()};
}

// Waits until condition holds or the runner ended; false on time-out.
template <typename Condition>
bool wait_for(Condition condition, std::chrono::milliseconds timeout = 20s) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

struct LeftFiles {
    std::set<int> complete;  // picture numbers found whole under a final name
    int temporary = 0;       // hidden temporaries left by the kill
};

// Checks every file of the save folder: a final name is "N.jpg" of a served
// picture and holds its bytes exactly.
LeftFiles check_left_files(const TemporaryFolder& folder, size_t picture_size) {
    LeftFiles left;
    for (const auto& [relative, path] : files_below(folder.path() / "save")) {
        if (is_temporary_name(path)) {
            left.temporary += 1;
            continue;
        }
        const std::string name = path.filename().string();
        if (name == "淘图报告.csv" || name == "失败地址.txt") continue;  // a stopped batch's report
        int n = 0;
        const bool picture_name = std::sscanf(name.c_str(), "%d.jpg", &n) == 1 && n >= 1 &&
                                  n <= kPictureCount && name == std::to_string(n) + ".jpg";
        if (!picture_name) {
            ADD_FAILURE() << "unexpected file " << relative;
            continue;
        }
        const std::string bytes = file_bytes(path);
        EXPECT_EQ(bytes.size(), picture_size) << relative << " is cut short";
        EXPECT_TRUE(bytes == picture_bytes(n, picture_size))
            << relative << " differs from the served bytes";
        left.complete.insert(n);
    }
    return left;
}

TEST(KilledRunner, SlowBatchKilledMidTransferLeavesOnlyCompletePictures) {
    // 2 MiB pictures at about 4 MiB/s: the runner is killed while one picture
    // is half-way through, after two have arrived.
    PictureServer server(2 << 20, 64 << 10, 15ms);
    ASSERT_TRUE(server.start());
    TemporaryFolder folder;
    CliProcess runner(cli_path(), batch_arguments(folder, server.port()),
                      folder.path() / "runner.log", folder.path());
    ASSERT_TRUE(runner.started());
    ASSERT_TRUE(wait_for([&] {
        return server.completed() >= 2 && server.started() > server.completed();
    })) << file_bytes(folder.path() / "runner.log");
    std::this_thread::sleep_for(100ms);  // well inside the next transfer
    const int completed_at_kill = server.completed();
    runner.kill_now();
    const ChildResult result = runner.wait();
    ASSERT_TRUE(result.signalled && result.signal == SIGKILL)
        << "the runner ended before it was killed";

    const LeftFiles left = check_left_files(folder, server.picture_size());
    // What the server finished may have been written; nothing else can be.
    EXPECT_LE(static_cast<int>(left.complete.size()), completed_at_kill);
    EXPECT_GE(left.complete.size(), 1u) << "the batch wrote nothing before the kill";
    for (int n : left.complete) EXPECT_LE(n, completed_at_kill);
}

TEST(KilledRunner, KilledAtManyMomentsWhileWritingLargePictures) {
    // 16 MiB pictures served at full speed: writing one takes long enough
    // that kills at spread moments after a transfer's end land in writes.
    PictureServer server(16 << 20, 1 << 20, 0ms);
    ASSERT_TRUE(server.start());
    int rounds_with_files = 0;
    for (int round = 0; round < 8; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        TemporaryFolder folder;
        const int completed_before = server.completed();
        CliProcess runner(cli_path(), batch_arguments(folder, server.port()),
                          folder.path() / "runner.log", folder.path());
        ASSERT_TRUE(runner.started());
        ASSERT_TRUE(wait_for([&] { return server.completed() > completed_before + round % 3; }))
            << file_bytes(folder.path() / "runner.log");
        std::this_thread::sleep_for(std::chrono::milliseconds(round * 4));
        runner.kill_now();
        const ChildResult result = runner.wait();
        ASSERT_TRUE(result.signalled) << "the runner ended before it was killed";
        const LeftFiles left = check_left_files(folder, server.picture_size());
        if (!left.complete.empty()) ++rounds_with_files;
    }
    // The kills must not all have come before the first write.
    EXPECT_GE(rounds_with_files, 1);
}

TEST(StoppedRunner, ASignalFinishesTheCurrentPictureWritesTheReportAndExitsWith130) {
    for (const int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        // 2 MiB pictures at about 4 MiB/s: the signal comes while one is under way.
        PictureServer server(2 << 20, 64 << 10, 15ms);
        ASSERT_TRUE(server.start());
        TemporaryFolder folder;
        CliProcess runner(cli_path(), batch_arguments(folder, server.port()),
                          folder.path() / "runner.log", folder.path());
        ASSERT_TRUE(runner.started());
        ASSERT_TRUE(wait_for([&] {
            return server.completed() >= 1 && server.started() > server.completed();
        })) << file_bytes(folder.path() / "runner.log");
        runner.send_signal(signal);
        const ChildResult result = runner.wait(30s);
        const std::string log = file_bytes(folder.path() / "runner.log");
        ASSERT_TRUE(result.exited) << log;
        EXPECT_EQ(result.exit_status, 130) << log;
        EXPECT_NE(log.find("共8个地址"), std::string::npos) << log;

        // The picture under way was finished; the ones before it are whole;
        // nothing was started after the signal.
        const LeftFiles left = check_left_files(folder, server.picture_size());
        EXPECT_EQ(left.temporary, 0);
        ASSERT_FALSE(left.complete.empty());
        const int done = static_cast<int>(left.complete.size());
        EXPECT_EQ(done, server.started());
        EXPECT_EQ(done, *left.complete.rbegin());
        // The failed list holds exactly the addresses not done, ready to go on.
        std::string rest;
        for (int n = done + 1; n <= kPictureCount; ++n) {
            rest += "http://" + std::string(kPictureHost) + "/p/" + std::to_string(n) + ".jpg\r\n";
        }
        const auto batch = fs::directory_iterator(folder.path() / "save")->path();
        EXPECT_EQ(file_bytes(batch / "失败地址.txt"), rest);
        EXPECT_TRUE(fs::exists(batch / "淘图报告.csv"));
    }
}

}  // namespace
}  // namespace qinghe::hardening
