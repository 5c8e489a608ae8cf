// qinghe-taotu-cli --shop, run as a process against fake shops on 127.0.0.1.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "shop/fake_shops.h"
#include "support/file_bytes.h"
#include "support/tls_front.h"

namespace qinghe {
namespace {

namespace fs = std::filesystem;
using test_support::FakeShopServer;
using test_support::file_bytes;
using test_support::shop;

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string quoted(const std::string& arg) {
    std::string q = "'";
    for (char c : arg) {
        if (c == '\'') {
            q += "'\\''";
        } else {
            q += c;
        }
    }
    return q + "'";
}

class ShopCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = fs::temp_directory_path() /
                   ("qinghe-shop-cli-" + std::to_string(::getpid()) + "-" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_folder);
    }
    void TearDown() override { fs::remove_all(m_folder); }

    CliRun run(const std::vector<std::string>& args) {
        std::string command = quoted(QINGHE_CLI_PATH);
        for (const std::string& a : args) command += " " + quoted(a);
        command += " >" + quoted((m_folder / "out").string()) + " 2>" +
                   quoted((m_folder / "err").string()) + " </dev/null";
        CliRun result;
        int raw = std::system(command.c_str());
        result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        result.out = file_bytes(m_folder / "out");
        result.err = file_bytes(m_folder / "err");
        return result;
    }

    std::vector<std::string> with_routes(std::vector<std::string> args,
                                         const std::vector<std::string>& routes) {
        for (const std::string& r : routes) {
            args.push_back("--connect-to");
            args.push_back(r);
        }
        return args;
    }

    fs::path m_folder;
};

TEST_F(ShopCommandTest, PrintsEveryItemOfAFiveHundredItemShop) {
    // 25 pages of 20 items, the last item of each page again on the next.
    std::vector<std::vector<std::string>> pages;
    std::string expected;
    for (int page = 0; page < 25; ++page) {
        std::vector<std::string> ids;
        if (page > 0) ids.push_back(std::to_string(7000 + page * 20 - 1));
        for (int i = 0; i < 20; ++i) {
            std::string id = std::to_string(7000 + page * 20 + i);
            ids.push_back(id);
            expected += "http://item.taobao.com/item.htm?id=" + id + "\n";
        }
        pages.push_back(ids);
    }
    test_support::FakeShop big = shop(ShopKind::Taobao, "big.taobao.com", pages);
    big.on_comment = true;
    FakeShopServer server;
    server.add(big);
    ASSERT_TRUE(server.start());

    CliRun r =
        run(with_routes({"--shop", "big.taobao.com/index.htm"}, server.routes({"big.taobao.com"})));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, expected);
    // Progress ends at 100 with the running count (UTF-8 on the terminal).
    EXPECT_NE(r.err.find("100%"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("共获得 500 个"), std::string::npos) << r.err;
    EXPECT_EQ(server.requests().size(), 26u);
}

TEST_F(ShopCommandTest, RefusedInputAndFailures) {
    FakeShopServer server;
    test_support::FakeShop broken = shop(ShopKind::Tmall, "broken.tmall.com", {{"1"}});
    broken.count_marker = false;
    server.add(broken);
    ASSERT_TRUE(server.start());
    std::vector<std::string> routes = server.routes({"broken.tmall.com"});

    struct Case {
        std::vector<std::string> args;
        int status;
        std::string err_part;  // UTF-8
    };
    const Case cases[] = {
        // 店铺地址不能不输入的！
        {{"--shop", ""}, 2, "店铺地址不能"},
        // 请输入正确的店铺地址？！ and the example
        {{"--shop", "example.org"}, 2, "请输入正确"},
        {{"--shop", "example.org"}, 2, "http://qinghe.tmall.com"},
        // 网络超时，请重试！
        {with_routes({"--shop", "broken.tmall.com"}, routes), 1, "网络超时"},
        {{"--shop"}, 2, "missing value"},
        {{"--shop", "a.tmall.com", "--bogus"}, 2, "unknown argument"},
        {{"--shop", "a.tmall.com", "--shop", "b.tmall.com"}, 2, "only one shop"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.back());
        CliRun r = run(c.args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_TRUE(r.out.empty()) << r.out;
        EXPECT_NE(r.err.find(c.err_part), std::string::npos) << r.err;
    }
}

std::string real_page(const std::string& name) {
    return file_bytes(fs::path(QINGHE_FIXTURES_DIR) / "real" / name);
}

TEST_F(ShopCommandTest, AnHttpsShopOf2020WithThePrivateAuthority) {
    test_support::FakeShop pj = shop(ShopKind::Taobao, "qinghe-pj.taobao.com", {});
    pj.raw_pages = {real_page("taobao_shop_search_page1.html"),
                    real_page("taobao_shop_search_page2.html")};
    FakeShopServer server;
    server.add(pj);
    ASSERT_TRUE(server.start());
    test_support::TlsFront front(server.port());
    ASSERT_TRUE(front.start());
    const std::vector<std::string> routes = front.routes({"qinghe-pj.taobao.com"});

    CliRun r = run(with_routes({"--shop", "https://qinghe-pj.taobao.com/index.htm", "--cacert",
                                test_support::test_authority_file()},
                               routes));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "http://item.taobao.com/item.htm?id=554113831403\n"
              "http://item.taobao.com/item.htm?id=554113831404\n"
              "http://item.taobao.com/item.htm?id=560000000001\n"
              "http://item.taobao.com/item.htm?id=561111111112\n"
              "http://item.taobao.com/item.htm?id=570000000001\n"
              "http://item.taobao.com/item.htm?id=570000000002\n");

    // Without the authority the shop's server is not trusted.
    r = run(with_routes({"--shop", "https://qinghe-pj.taobao.com"}, routes));
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.empty());
    EXPECT_EQ(server.requests().size(), 3u);  // the three of the first run
    // An unreadable authority file is refused before anything is fetched.
    r = run({"--shop", "qinghe-pj.taobao.com", "--cacert", (m_folder / "none.pem").string()});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--cacert"), std::string::npos) << r.err;
}

TEST_F(ShopCommandTest, ABlockedShopIsReportedAsBlocked) {
    test_support::FakeShop blocked = shop(ShopKind::Taobao, "blocked.taobao.com", {});
    blocked.raw_pages = {real_page("blocked_taobao_antispider.json")};
    FakeShopServer server;
    server.add(blocked);
    ASSERT_TRUE(server.start());
    CliRun r =
        run(with_routes({"--shop", "blocked.taobao.com"}, server.routes({"blocked.taobao.com"})));
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.empty());
    EXPECT_NE(r.err.find("被网站拦截，请稍后再试或在浏览器中登录后重试！"), std::string::npos)
        << r.err;
    EXPECT_EQ(r.err.find("网络超时"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace qinghe
