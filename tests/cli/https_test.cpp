// qinghe-taotu-cli over https: a private certificate authority trusted with
// --cacert, as curl's option of that name does, against the fake marketplace
// behind the tests' TLS front.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "demo/fake_market.h"
#include "support/file_bytes.h"
#include "support/tls_front.h"

namespace {

namespace fs = std::filesystem;
using qinghe::demo::FakeMarket;
using qinghe::test_support::file_bytes;
using qinghe::test_support::TlsFront;

std::string quoted(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// The demo's Taobao item served at an https address, its gallery pictures
// named by https addresses; description and style sheet stay on http.
class CliHttps : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "qinghe-https-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root = pattern;
        fs::create_directory(root / "save");

        qinghe::demo::add_demo_items(market);
        const std::string page = market.body("item.taobao.com", "/item.htm");
        ASSERT_FALSE(page.empty());
        market.add("item.taobao.com", "/item.htm", replaced(page, "http://img0", "https://img0"),
                   "text/html; charset=gbk");
        ASSERT_TRUE(market.start());
        front = std::make_unique<TlsFront>(market.port());
        ASSERT_TRUE(front->start());
        routes = market.routes();
        for (const std::string& r : front->routes(market.hosts())) routes.push_back(r);
        std::ofstream(root / "list.txt") << "https://item.taobao.com/item.htm?id=1001\n";
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root, ec);
    }

    Outcome run(std::vector<std::string> args) {
        for (const std::string& r : routes) {
            args.push_back("--connect-to");
            args.push_back(r);
        }
        std::string command = quoted(QINGHE_CLI_PATH);
        for (const std::string& arg : args) command += " " + quoted(arg);
        command += " < /dev/null > " + quoted((root / "stdout").string()) + " 2> " +
                   quoted((root / "stderr").string());
        const int raw = std::system(command.c_str());
        Outcome outcome;
        outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        outcome.out = file_bytes(root / "stdout");
        outcome.err = file_bytes(root / "stderr");
        return outcome;
    }

    fs::path item_folder() const {
        for (const auto& batch : fs::directory_iterator(root / "save")) {
            return batch.path() / "1001_青禾淘图";
        }
        return {};
    }

    // What the market serves for an "http://host/path" address.
    std::string body_of(const std::string& address) const {
        const std::string rest = address.substr(address.find("//") + 2);
        return market.body(rest.substr(0, rest.find('/')), rest.substr(rest.find('/')));
    }

    FakeMarket market;
    std::unique_ptr<TlsFront> front;
    std::vector<std::string> routes;
    fs::path root;
};

TEST_F(CliHttps, HarvestsAnItemOverHttpsWithThePrivateAuthority) {
    const Outcome outcome =
        run({"--cacert", qinghe::test_support::test_authority_file(), "--save",
             (root / "save").string(), "--no-export", (root / "list.txt").string()});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    const fs::path folder = item_folder();
    const auto& item = qinghe::demo::demo_items()[0];
    EXPECT_EQ(file_bytes(folder / "主图及属性图" / "1.jpg"),
              market.body("img01.taobaocdn.com", "/bao/uploaded/i1/1001/main1.jpg"));
    EXPECT_EQ(file_bytes(folder / "主图及属性图" / "2.png"),
              market.body("img02.taobaocdn.com", "/bao/uploaded/i2/1001/main2.png"));
    EXPECT_TRUE(fs::exists(folder / "宝贝描述" / "详情.html"));
    EXPECT_EQ(file_bytes(folder / "其他图片" / "1.jpg"), body_of(item.style_sheet_pictures[0]));
    EXPECT_GE(market.request_count("item.taobao.com", "/item.htm"), 1);
}

TEST_F(CliHttps, WithoutTheAuthorityTheServerIsNotTrusted) {
    run({"--save", (root / "save").string(), "--no-export", (root / "list.txt").string()});
    EXPECT_EQ(market.request_count("item.taobao.com", "/item.htm"), 0);
    const fs::path folder = item_folder();
    EXPECT_FALSE(fs::exists(folder / "主图及属性图" / "1.jpg"));
}

TEST_F(CliHttps, AnUnusableAuthorityFileIsRefused) {
    std::ofstream(root / "not-a-cert.pem") << "hello\n";
    for (const fs::path& file : {root / "no-such.pem", root / "not-a-cert.pem"}) {
        const Outcome outcome = run({"--cacert", file.string(), "--save", (root / "save").string(),
                                     (root / "list.txt").string()});
        EXPECT_EQ(outcome.status, 2) << file;
        EXPECT_NE(outcome.err.find("--cacert"), std::string::npos) << outcome.err;
        EXPECT_NE(outcome.err.find(file.string()), std::string::npos) << outcome.err;
        EXPECT_TRUE(fs::is_empty(root / "save"));
    }
    EXPECT_EQ(market.request_count("item.taobao.com", "/item.htm"), 0);
    const Outcome help = run({"--help"});
    EXPECT_NE(help.out.find("--cacert FILE"), std::string::npos);
}

}  // namespace
