#include "engine/package_localizer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "base/encoding.h"
#include "base/web.h"
#include "demo/fake_market.h"
#include "demo/loopback_server.h"
#include "engine/dispatcher.h"
#include "engine_fixture.h"
#include "support/recording_window.h"
#include "support/tls_front.h"

namespace qinghe {
namespace {

using namespace engine_test;
using demo::LoopbackServer;
using test_support::RecordingWindow;
using test_support::run_on_worker;
using test_support::TlsFront;

const Text kPackageTail = gbk("CSV文件淘图");
const Text kDetail = gbk("宝贝详情");
const Text kMain = gbk("宝贝主图及属性图");

enum class Order { LittleWithMark, BigWithMark, BigWithoutMark };

// UTF-8 text as UCS-2 bytes, as Taobao Assistant stores its packages.
std::string ucs2(const std::string& utf8, Order order) {
    const std::string be = convert_encoding(utf8, "UTF-8", "UCS-2BE");
    std::string out;
    if (order == Order::LittleWithMark) out = "\xFF\xFE";
    if (order == Order::BigWithMark) out = "\xFE\xFF";
    for (size_t i = 0; i + 1 < be.size(); i += 2) {
        if (order == Order::LittleWithMark) {
            out += be[i + 1];
            out += be[i];
        } else {
            out += be.substr(i, 2);
        }
    }
    return out;
}

class Localizer : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(folder.path().empty());
        std::filesystem::create_directory(folder.path() / "batch");
        std::filesystem::create_directory(folder.path() / "in");
        fake.save_folder = folder.program_path();
        window->job().batch_folder_name = "batch";
        server.server().Get(".*",
                            [this](const httplib::Request& request, httplib::Response& response) {
                                {
                                    std::lock_guard lock(m_mutex);
                                    m_requests += 1;
                                }
                                if (request.path.find("missing") != std::string::npos) {
                                    response.status = 200;
                                    response.set_content("", "image/jpeg");
                                    return;
                                }
                                response.set_content(picture_bytes(request.path), "image/jpeg");
                            });
        ASSERT_TRUE(server.start());
        host = "127.0.0.1:" + std::to_string(server.port());
    }

    static std::string picture_bytes(const std::string& path) {
        return std::string("GIF89a\0\x01", 8) + path;
    }

    // Writes the package under in/ and returns its path as an address line.
    Text write_package(const std::string& name, const std::string& bytes) {
        const auto path = folder.path() / "in" / name;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
        Text gbk;
        from_native_path(path.string(), gbk);
        return gbk;
    }

    void run(const Text& package_path) {
        window->job().current_address = package_path;
        window->job().progress_tag = "1/1";
        window->job().current_index = 1;
        run_on_worker(*window, fake, [this] { localize_package(*window); });
    }

    int requests() {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }

    std::filesystem::path package_folder(const std::string& base) const {
        return native_child(folder.path() / "batch", base + kPackageTail);
    }

    // A package row: the description with doubled quotes inside a quoted
    // field, and the picture column with |address; entries.
    std::string package_text() const {
        const std::string h = "http://" + host;
        return "version 1.00\r\ntitle\tdescription\tpicture\r\n"
               "\"青禾 test\"\t\"<p><img src=\"\"" +
               h + "/d/one.jpg\"\"><img src=\"\"" + h +
               "/d/two.gif\"\"></p>\"\t\""
               "aa11:1:0:|" +
               h + "/m/main1.jpg;bb22:1:1:|" + h + "/m/main2.png;\"\r\n";
    }

    TempFolder folder;
    RecordingWindow fake;
    std::shared_ptr<MainWindow> window = test_support::make_recording_main_window(fake);
    LoopbackServer server;
    std::string host;

private:
    std::mutex m_mutex;
    int m_requests = 0;
};

TEST_F(Localizer, DownloadsDescriptionAndMainPicturesOfAUcs2Package) {
    const Order orders[] = {Order::LittleWithMark, Order::BigWithMark, Order::BigWithoutMark};
    for (Order order : orders) {
        const std::string base = "goods" + std::to_string(static_cast<int>(order));
        fake.events.clear();
        run(write_package(base + ".csv", ucs2(package_text(), order)));

        const auto detail = package_folder(base) / to_native_path(kDetail);
        const auto main = package_folder(base) / to_native_path(kMain);
        std::vector<std::string> both{to_native_path(kDetail), to_native_path(kMain)};
        std::sort(both.begin(), both.end());
        EXPECT_EQ(entries(package_folder(base)), both);
        EXPECT_EQ(file_bytes(detail / "one.jpg"), picture_bytes("/d/one.jpg"));
        EXPECT_EQ(file_bytes(detail / "two.gif"), picture_bytes("/d/two.gif"));
        EXPECT_EQ(file_bytes(main / "main1.jpg"), picture_bytes("/m/main1.jpg"));
        EXPECT_EQ(file_bytes(main / "main2.png"), picture_bytes("/m/main2.png"));
        EXPECT_EQ(entries(detail).size(), 2u);
        EXPECT_EQ(entries(main).size(), 2u);

        const std::string h = "http://" + host;
        EXPECT_EQ(fake.events_of("files:"),
                  (std::vector<std::string>{h + "/d/one.jpg\r\n", h + "/d/two.gif\r\n",
                                            h + "/m/main1.jpg\r\n", h + "/m/main2.png\r\n"}));
        EXPECT_EQ(
            fake.events_of("counter:"),
            (std::vector<std::string>{new_files(1), new_files(2), new_files(3), new_files(4)}));
        EXPECT_EQ(fake.events_of("progress:"), (std::vector<std::string>{"30", "60", "100", "0"}));
        EXPECT_EQ(fake.events_of("caption:"), (std::vector<std::string>{kWorkingCaption}));
        EXPECT_EQ(fake.events_of("status:"),
                  (std::vector<std::string>{kOpen + "1/1" + kClose + kDownloading}));
        EXPECT_EQ(window->job().current_index, 2);
        EXPECT_EQ(fake.timer_period, 1);
    }
}

TEST_F(Localizer, TheSamePackageAgainFetchesNothing) {
    const Text path = write_package("again.csv", ucs2(package_text(), Order::LittleWithMark));
    run(path);
    const int first = requests();
    EXPECT_EQ(first, 4);
    fake.events.clear();
    run(path);
    EXPECT_EQ(requests(), first);
    EXPECT_TRUE(fake.events_of("files:").empty());
    EXPECT_TRUE(fake.events_of("counter:").empty());
}

TEST_F(Localizer, BaseNameDropsEveryCsvInAnyCaseAndTakesTheLastElement) {
    run(write_package("old.CSV.files/goods.csv", ucs2("no pictures", Order::LittleWithMark)));
    run(write_package("Report.Csv", ucs2("no pictures", Order::LittleWithMark)));
    EXPECT_EQ(entries(folder.path() / "batch"),
              (std::vector<std::string>{"Report" + to_native_path(kPackageTail),
                                        "goods" + to_native_path(kPackageTail)}));
}

TEST_F(Localizer, PackagesWithoutUsableTextLeaveOnlyTheEmptyPackageFolder) {
    struct Case {
        std::string name;
        std::string bytes;
    };
    const std::string h = "http://" + host;
    const Case cases[] = {
        // This program's own packages are GBK, not UCS-2.
        {"gbk.csv", convert_encoding(package_text(), "UTF-8", "GBK")},
        {"empty.csv", ""},
        {"odd.csv", std::string("\xFF\xFE\x41", 3)},
        {"nomarkers.csv", ucs2("<img src=http://x/y.jpg> |ftp://x/z.jpg;", Order::LittleWithMark)},
    };
    for (const Case& c : cases) {
        const std::string base = c.name.substr(0, c.name.size() - 4);
        run(write_package(c.name, c.bytes));
        EXPECT_TRUE(std::filesystem::is_directory(package_folder(base))) << c.name;
        EXPECT_TRUE(entries(package_folder(base)).empty()) << c.name;
    }
    run(write_package("absent.csv", "") + "x.csv");
    EXPECT_TRUE(std::filesystem::is_directory(package_folder("absentx")));
    EXPECT_EQ(requests(), 0);
    EXPECT_TRUE(fake.events_of("files:").empty());
}

TEST_F(Localizer, EmptyElementsDuplicatesAndFailedPicturesAreHandled) {
    const std::string h = "http://" + host;
    // Two description markers side by side, a main marker right before its
    // end, two addresses with one file name, and a picture that arrives empty.
    const std::string text = "\"http://\"" + h + "/a/dup.jpg\" \"" + h + "/b/dup.jpg\" \"" + h +
                             "/missing.jpg\" |http://;|" + h + "/m/only.jpg;";
    run(write_package("mixed.csv", ucs2(text, Order::LittleWithMark)));
    const auto detail = package_folder("mixed") / to_native_path(kDetail);
    EXPECT_EQ(entries(detail), (std::vector<std::string>{"dup.jpg"}));
    EXPECT_EQ(file_bytes(detail / "dup.jpg"), picture_bytes("/a/dup.jpg"));
    EXPECT_EQ(entries(package_folder("mixed") / to_native_path(kMain)),
              (std::vector<std::string>{"only.jpg"}));
    // The empty picture is listed as tried but neither written nor counted.
    EXPECT_EQ(fake.events_of("files:"),
              (std::vector<std::string>{h + "/a/dup.jpg\r\n", h + "/missing.jpg\r\n",
                                        h + "/m/only.jpg\r\n"}));
    EXPECT_EQ(fake.counter, new_files(2));
}

TEST_F(Localizer, TheCounterStartsAgainForEachPackageOfABatch) {
    const Text first = write_package("p1.csv", ucs2(package_text(), Order::LittleWithMark));
    const std::string h = "http://" + host;
    const Text second =
        write_package("p2.csv", ucs2("|" + h + "/m/other.jpg;", Order::LittleWithMark));
    fake.address = first + "\r\n" + second;
    fake.events.clear();
    start_batch(*window);
    ASSERT_TRUE(test_support::run_recording_batch(*window, fake, dispatch_next));
    EXPECT_EQ(fake.events_of("counter:"),
              (std::vector<std::string>{new_files(1), new_files(2), new_files(3), new_files(4),
                                        new_files(1), Text(kCounterRestingText)}));
}

// The marketplace's picture hosts over http and, through the test
// authority's TLS front, over https; routes and trust undone afterwards.
class SecureMarket {
public:
    SecureMarket() {
        m_started = m_market.start();
        m_front = std::make_unique<TlsFront>(m_market.port());
        m_started = m_started && m_front->start();
    }
    ~SecureMarket() {
        set_extra_ca_file("");
        set_connect_to({});
    }
    // Every picture of paths on img.alicdn.com, its bytes named after it.
    void add_pictures(const std::vector<std::string>& paths) {
        for (const std::string& path : paths) m_market.add("img.alicdn.com", path, bytes(path));
    }
    bool open() {
        if (!m_started) return false;
        std::vector<std::string> routes = m_market.routes();
        for (const std::string& r : m_front->routes(m_market.hosts())) routes.push_back(r);
        set_connect_to(routes);
        set_extra_ca_file(test_support::test_authority_file());
        return true;
    }
    static std::string bytes(const std::string& path) {
        return demo::tiny_picture(path.substr(path.size() - 3), path);
    }
    int requests(const std::string& path) const {
        return m_market.request_count("img.alicdn.com", path);
    }

private:
    demo::FakeMarket m_market;
    std::unique_ptr<TlsFront> m_front;
    bool m_started = false;
};

TEST_F(Localizer, EveryHttpsPictureOfATaobaoAssistantExportIsFetchedOverHttps) {
    const std::vector<std::string> detail_paths = {
        "/imgextra/i1/1700000001/TB2expDesc1_!!1700000001.jpg",
        "/imgextra/i2/1700000001/TB2expDesc2_!!1700000001.gif",
        "/imgextra/i3/1700000001/TB2expDesc3_!!1700000001.png"};
    const std::vector<std::string> main_paths = {
        "/bao/uploaded/i1/1700000001/TB1expMain1_!!1700000001.jpg",
        "/bao/uploaded/i2/1700000001/TB1expMain2_!!1700000001.jpg",
        "/bao/uploaded/i3/1700000001/TB1expMain3_!!1700000001.jpg",
        "/bao/uploaded/i4/1700000001/TB1expSku1_!!1700000001.jpg"};
    SecureMarket market;
    market.add_pictures(detail_paths);
    market.add_pictures(main_paths);
    ASSERT_TRUE(market.open());

    const std::string export_bytes = file_bytes(std::filesystem::path(QINGHE_FIXTURES_DIR) /
                                                "real" / "taobao_assistant_export.csv");
    ASSERT_EQ(export_bytes.substr(0, 2), "\xFF\xFE");
    run(write_package("export.csv", export_bytes));

    std::vector<std::string> listed;
    const auto check = [&](const Text& folder, const std::vector<std::string>& paths) {
        const auto dir = package_folder("export") / to_native_path(folder);
        EXPECT_EQ(entries(dir).size(), paths.size());
        for (const std::string& path : paths) {
            const std::string name = path.substr(path.rfind('/') + 1);
            EXPECT_EQ(file_bytes(dir / name), SecureMarket::bytes(path)) << path;
            EXPECT_EQ(market.requests(path), 1) << path;
            listed.push_back("https://img.alicdn.com" + path + "\r\n");
        }
    };
    check(kDetail, detail_paths);
    check(kMain, main_paths);
    EXPECT_EQ(fake.events_of("files:"), listed);
    EXPECT_EQ(fake.counter, new_files(7));
}

TEST_F(Localizer, SchemeRelativePicturesTakeHttpsAfterTheClassicOnes) {
    SecureMarket market;
    market.add_pictures({"/d/old.jpg", "/d/rel.gif", "/m/old.jpg", "/m/rel.png", "/m/sec.jpg"});
    ASSERT_TRUE(market.open());
    // Each form once per folder, the newer ones first in the text.
    const std::string text =
        "\"<img src=\"\"//img.alicdn.com/d/rel.gif\"\"><img src=\"\"http://img.alicdn.com/d/old.jpg\"\">\","
        "\"x:1:0:|//img.alicdn.com/m/rel.png;y:1:1:|https://img.alicdn.com/m/sec.jpg;"
        "z:1:2:|http://img.alicdn.com/m/old.jpg;|//;\"\r\n";
    run(write_package("mixed.csv", ucs2(text, Order::LittleWithMark)));
    EXPECT_EQ(fake.events_of("files:"),
              (std::vector<std::string>{
                  "http://img.alicdn.com/d/old.jpg\r\n", "https://img.alicdn.com/d/rel.gif\r\n",
                  "http://img.alicdn.com/m/old.jpg\r\n", "https://img.alicdn.com/m/sec.jpg\r\n",
                  "https://img.alicdn.com/m/rel.png\r\n"}));
    const auto main = package_folder("mixed") / to_native_path(kMain);
    EXPECT_EQ(file_bytes(main / "rel.png"), SecureMarket::bytes("/m/rel.png"));
    EXPECT_EQ(file_bytes(main / "sec.jpg"), SecureMarket::bytes("/m/sec.jpg"));
    EXPECT_EQ(entries(package_folder("mixed") / to_native_path(kDetail)),
              (std::vector<std::string>{"old.jpg", "rel.gif"}));
}

}  // namespace
}  // namespace qinghe
