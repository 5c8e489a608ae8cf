// qinghe-taotu-cli as scripts use it: flags, exit statuses, the terminal
// output and the files a batch leaves on disk.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <vector>

#include "base/encoding.h"
#include "cli/headless_runner.h"
#include "demo/loopback_server.h"
#include "support/file_bytes.h"
#include "support/gbk_literal.h"

namespace {

namespace fs = std::filesystem;
using qinghe::demo::LoopbackServer;
using qinghe::test_support::file_bytes;
using qinghe::test_support::gbk;

void write_all(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string quoted(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

class Cli : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "qinghe-cli-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root = pattern;
        fs::create_directory(root / "save");
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root, ec);
    }

    // Runs the program in the folder cwd with the arguments and the bytes
    // on standard input.
    Outcome run(const std::vector<std::string>& args, const std::string& input = "",
                const fs::path& cwd = {}) {
        write_all(root / "stdin", input);
        std::string command =
            "cd " + quoted((cwd.empty() ? root : cwd).string()) + " && " + quoted(QINGHE_CLI_PATH);
        for (const std::string& arg : args) command += " " + quoted(arg);
        command += " < " + quoted((root / "stdin").string()) + " > " +
                   quoted((root / "stdout").string()) + " 2> " + quoted((root / "stderr").string());
        const int raw = std::system(command.c_str());
        Outcome outcome;
        outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        outcome.out = file_bytes(root / "stdout");
        outcome.err = file_bytes(root / "stderr");
        return outcome;
    }

    // The one batch folder made in folder.
    fs::path batch_folder(const fs::path& folder) const {
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(folder)) {
            if (entry.is_directory()) found.push_back(entry.path());
        }
        EXPECT_EQ(found.size(), 1u);
        return found.empty() ? fs::path() : found.front();
    }

    fs::path root;
};

TEST(AddressList, ReadsGbkOrUtf8AndEndsLinesInCrLf) {
    const std::string gbk_picture = gbk("图片");  // its GBK bytes are valid UTF-8 by chance
    struct Case {
        std::string in;
        std::string out;
    };
    const Case cases[] = {
        {"a.jpg\nb.jpg\n", "a.jpg\r\nb.jpg\r\n"},
        {"a.jpg\r\nb.jpg", "a.jpg\r\nb.jpg"},
        {"\n\na", "\r\n\r\na"},
        {"宝贝.jpg\n", gbk("宝贝.jpg") + "\r\n"},
        {"\xEF\xBB\xBF"
         "a.jpg",
         "a.jpg"},  // the UTF-8 byte order mark goes
        {gbk("宝贝.jpg"), gbk("宝贝.jpg")},
        {gbk_picture + ".jpg", gbk_picture + ".jpg"},
        {"\xA2\xAC", "\xA2\xAC"},  // raw bytes that are not UTF-8: kept as GBK bytes
        {"a\0b", "a"},
        {"", ""},
    };
    for (const Case& c : cases) {
        qinghe::Text out = "unchanged";
        ASSERT_TRUE(qinghe::address_list_from_bytes(c.in, out)) << c.in;
        EXPECT_EQ(out, c.out) << c.in;
    }
    qinghe::Text out;
    // UTF-8 of a character GBK lacks (U+2603), whose bytes are no GBK either.
    EXPECT_FALSE(qinghe::address_list_from_bytes("☃\n", out));
}

TEST_F(Cli, HelpNamesEveryFlag) {
    const Outcome outcome = run({"--help"});
    EXPECT_EQ(outcome.status, 0);
    const char* const flags[] = {"--save DIR",
                                 "--no-main",
                                 "--no-detail",
                                 "--no-other",
                                 "--flat",
                                 "--show-title",
                                 "--no-export",
                                 "--package",
                                 "independent",
                                 "composite",
                                 "--keep-links",
                                 "--connect-to HOST:PORT:ADDR:PORT",
                                 "--stall-seconds N",
                                 "--max-body-bytes N",
                                 "--parallel N",
                                 "--retries N",
                                 "--verbose",
                                 "--help",
                                 "--demo",
                                 "--shop",
                                 "FILE|-"};
    for (const char* flag : flags) {
        EXPECT_NE(outcome.out.find(flag), std::string::npos) << flag;
    }
}

TEST_F(Cli, WrongArgumentsExitWithTwoAndTouchNothing) {
    write_all(root / "list.txt", "http://a.example/x.jpg\n");
    const std::vector<std::vector<std::string>> cases = {
        {"--bogus"},
        {"--package", "both"},
        {"--package"},
        {"--save"},
        {"--connect-to", "a.example:80"},
        {"--stall-seconds", "0"},
        {"--max-body-bytes", "-5"},
        {"--parallel", "0"},
        {"--parallel", "17"},
        {"--retries", "6"},
        {"--retries", "-1"},
        {"list.txt", "list.txt"},
        {"missing-list.txt"},
        {"--save", "no/such/folder", "list.txt"},
        {"--save", "list.txt", "list.txt"},
    };
    for (const auto& args : cases) {
        const Outcome outcome = run(args);
        EXPECT_EQ(outcome.status, 2) << args[0];
        EXPECT_FALSE(outcome.err.empty()) << args[0];
        EXPECT_TRUE(fs::is_empty(root / "save")) << args[0];
    }
}

TEST_F(Cli, ARefusedStartPrintsTheMessageAndExitsWithTwo) {
    struct Case {
        std::vector<std::string> args;
        std::string input;
        std::string message;
    };
    const Case cases[] = {
        {{"--save", "save"}, "no address here\n", "信息：宝贝链接还未输入！\n"},
        {{"--save", "save", "-"}, "", "信息：宝贝链接还未输入！\n"},
        {{"--save", "save", "--no-main", "--no-detail", "--no-other"},
         "http://a.example/x.jpg\n",
         "信息：您还未选择要下载的是主图或细节图或其他图片呢！？\n"},
    };
    for (const Case& c : cases) {
        const Outcome outcome = run(c.args, c.input);
        EXPECT_EQ(outcome.status, 2) << c.message;
        EXPECT_EQ(outcome.err, c.message);
        EXPECT_TRUE(fs::is_empty(root / "save"));
    }
}

class CliPictures : public Cli {
protected:
    void SetUp() override {
        Cli::SetUp();
        server.server().Get(".*",
                            [this](const httplib::Request& request, httplib::Response& response) {
                                {
                                    std::lock_guard lock(m_mutex);
                                    m_paths.push_back(request.path);
                                }
                                response.set_content(picture(request.path), "image/png");
                            });
        ASSERT_TRUE(server.start());
        route = "pics.example:80:127.0.0.1:" + std::to_string(server.port());
    }
    static std::string picture(const std::string& path) {
        return std::string("\x89PNG\r\n\x1A\n\0", 9) + path;
    }
    std::vector<std::string> paths() {
        std::lock_guard lock(m_mutex);
        return m_paths;
    }

    LoopbackServer server;
    std::string route;

private:
    std::mutex m_mutex;
    std::vector<std::string> m_paths;
};

TEST_F(CliPictures, SavesAListOfPicturesInAnyEncodingAndLineEnd) {
    // The same list as UTF-8 with LF, as GBK with CR LF, and as UTF-8 with a
    // byte-order mark on standard input.
    const std::string utf8_list =
        "http://pics.example/p/a.png\n"
        "http://pics.example/p/宝贝图片.jpg_.webp\n"
        "http://pics.example/q/a.png\n";
    const std::string gbk_list = qinghe::convert_encoding(utf8_list, "UTF-8", "GBK");
    std::string gbk_crlf;
    for (char c : gbk_list) gbk_crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    struct Case {
        std::string name;
        std::string bytes;
        bool from_stdin;
    };
    const Case cases[] = {
        {"utf8", utf8_list, false},
        {"gbk", gbk_crlf, false},
        {"bom", "\xEF\xBB\xBF" + utf8_list, true},  // behind the UTF-8 byte order mark
    };
    for (const Case& c : cases) {
        const fs::path save = root / c.name;
        fs::create_directory(save);
        write_all(root / "list.txt", c.bytes);
        const Outcome outcome =
            c.from_stdin
                ? run({"--save", save.string(), "--connect-to", route, "--verbose", "-"}, c.bytes)
                : run({"--save", save.string(), "--connect-to", route, "--verbose", "list.txt"});
        ASSERT_EQ(outcome.status, 0) << c.name << outcome.err;
        const fs::path batch = batch_folder(save);
        EXPECT_TRUE(batch.filename().string().ends_with("共淘图3个地址")) << c.name;
        EXPECT_EQ(file_bytes(batch / "a.png"), picture("/p/a.png")) << c.name;
        EXPECT_EQ(file_bytes(batch / "宝贝图片.jpg"),
                  picture(qinghe::convert_encoding("/p/宝贝图片.jpg", "UTF-8", "GBK")))
            << c.name;
        EXPECT_EQ(std::distance(fs::directory_iterator(batch), fs::directory_iterator()), 2)
            << c.name;
        // The file list box, printed by --verbose, and the end of the batch.
        EXPECT_NE(outcome.out.find("\nhttp://pics.example/p/宝贝图片.jpg\n"), std::string::npos)
            << c.name;
        EXPECT_NE(outcome.out.find("\nhttp://pics.example/q/a.png\n"), std::string::npos) << c.name;
        EXPECT_NE(outcome.out.find("（3/3）全部下载完毕！\n"), std::string::npos) << c.name;
        EXPECT_TRUE(outcome.err.empty()) << outcome.err;
    }
    // The second a.png of each run found the first one's file.
    int fetched_second = 0;
    for (const std::string& p : paths()) fetched_second += p == "/q/a.png";
    EXPECT_EQ(fetched_second, 0);
}

TEST_F(CliPictures, SavesIntoTheCurrentFolderByDefault) {
    const Outcome outcome =
        run({"--connect-to", route}, "http://pics.example/x.gif\n", root / "save");
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(file_bytes(batch_folder(root / "save") / "x.gif"), picture("/x.gif"));
    // Without --verbose the file list stays off the terminal.
    EXPECT_EQ(outcome.out.find("http://"), std::string::npos);
    EXPECT_NE(outcome.out.find("新下载：1个文件"), std::string::npos);
}

TEST_F(CliPictures, LocalizesAUcs2DataPackage) {
    const std::string text =
        "\"<img src=\"\"http://pics.example/d/desc.jpg\"\">\"\t\"0:0:0:|http://pics.example/m/main.jpg;\"\r\n";
    const std::string be = qinghe::convert_encoding(text, "UTF-8", "UCS-2BE");
    std::string le = "\xFF\xFE";
    for (size_t i = 0; i + 1 < be.size(); i += 2) le += std::string{be[i + 1], be[i]};
    fs::create_directory(root / "in");
    write_all(root / "in" / "货品.csv", le);
    const Outcome outcome =
        run({"--save", "save", "--connect-to", route}, (root / "in" / "货品.csv").string() + "\n");
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const fs::path package = batch_folder(root / "save") / "货品CSV文件淘图";
    EXPECT_EQ(file_bytes(package / "宝贝详情" / "desc.jpg"), picture("/d/desc.jpg"));
    EXPECT_EQ(file_bytes(package / "宝贝主图及属性图" / "main.jpg"), picture("/m/main.jpg"));
    EXPECT_NE(outcome.out.find("新下载：2个文件"), std::string::npos);
}

}  // namespace
