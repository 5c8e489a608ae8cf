#include "harvest/export_item_package.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <mutex>
#include <set>

#include "base/date_time.h"
#include "base/encoding.h"
#include "base/files.h"
#include "base/gbk.h"
#include "base/page_charset.h"
#include "base/web.h"
#include "demo/loopback_server.h"
#include "harvest/composite_package.h"
#include "package/data_package.h"
#include "package/item_facts_reader.h"
#include "support/csv_reader.h"
#include "support/gbk_literal.h"
#include "support/package_fixtures.h"
#include "support/recording_window.h"

namespace qinghe {
namespace {

namespace fs = std::filesystem;
using test_support::file_bytes;
using test_support::fixture;
using test_support::gbk;
using test_support::read_csv;
using test_support::RecordingWindow;

const std::string kIndependentFolder = "青禾淘图CSV独立数据包";
const std::string kIndependentFile = "青禾淘图CSV独立数据包.csv";
const std::string kCompositeFolder = "青禾淘图CSV复合数据包";
const std::string kCompositeFile = "青禾淘图CSV复合数据包.csv";

// What the picture server sends for a path: binary, with a zero byte.
std::string picture_body(const std::string& path) {
    return std::string("\x89PNG\r\n\x1A\n", 8) + path;
}

struct Item {
    std::string page_fixture;
    std::string address;
    std::string item_id;
    std::string description;  // UTF-8; goes into the store as GBK
    bool remove_hyperlinks = false;
};

const Item kTaobao{"taobao_item.html", "http://item.taobao.com/item.htm?id=123", "123",
                   "<p><img alt=\"\" src=\"http://img.taobao.test/desc/d1.jpg\"></p>"};
const Item kTmall{"tmall_item.html", "http://detail.tmall.com/item.htm?spm=1&id=456", "456",
                  "<a href=\"http://x.test/1\">Word</a>", true};
const Item kAli{"ali1688_item.html", "http://detail.1688.com/offer/789.html", "",
                "<div>\"quoted\" text</div>"};

std::string real_fixture(const std::string& name) {
    return file_bytes(fs::path(QINGHE_FIXTURES_DIR) / "real" / name);
}

// The row of a hand-written expected Independent file: what follows the header.
std::string expected_row(const std::string& expected_file) {
    return fixture(expected_file).substr(fixture("header.csv").size() + 2);
}

class ExportItemPackageTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/qinghe-package-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_root = pattern;
        m_window_thread.bind_to_current_thread();
        m_controls.save_folder = m_root.string();
        // Only the package and the description pictures are asked for.
        m_controls.options = {{OptionBox::ExportDataPackage, true},
                              {OptionBox::DownloadDetailPictures, true}};
        m_controls.independent_package = true;
        m_window.job().progress_tag = "1/3";
        m_window.job().batch_folder_name = "batch";
        ASSERT_TRUE(create_directory(m_root.string() + "\\batch"));

        m_server.server().Get("/bao/missing/.*",
                              [this](const httplib::Request& request, httplib::Response& response) {
                                  count_hit(request.path);
                                  response.status = 404;
                                  response.set_content("not found", "text/plain");
                              });
        m_server.server().Get(R"(/(bao|i1|img)/.*)",
                              [this](const httplib::Request& request, httplib::Response& response) {
                                  count_hit(request.path);
                                  response.set_content(picture_body(request.path), "image/jpeg");
                              });
        // Pictures and the sib answer of the 2017-2020 page forms.
        m_server.server().Get("/imgextra/.*",
                              [this](const httplib::Request& request, httplib::Response& response) {
                                  count_hit(request.path);
                                  response.set_content(picture_body(request.path), "image/jpeg");
                              });
        m_server.server().Get("/service/getData/1/p1/item/detail/sib.htm",
                              [this](const httplib::Request& request, httplib::Response& response) {
                                  count_hit(request.path);
                                  response.set_content(real_fixture("taobao_sib.json"),
                                                       "application/json");
                              });
        m_server.server().Get(
            "/loc.js", [this](const httplib::Request& request, httplib::Response& response) {
                count_hit(request.path);
                response.set_content(fixture("taobao_location.js"), "text/javascript");
            });
        ASSERT_TRUE(m_server.start());
        const std::string target = ":80:127.0.0.1:" + std::to_string(m_server.port());
        set_connect_to({"gd1.alicdn.com" + target, "gd2.alicdn.com" + target,
                        "gd3.alicdn.com" + target, "gd4.alicdn.com" + target,
                        "detailskip.taobao.com" + target, "img.taobao.test" + target,
                        "loc.taobao.test" + target, "img.tmall.test" + target,
                        "cbu01.1688.test" + target, "gone.test:80:127.0.0.1:1"});
        set_clock([] { return make_date_time(2024, 12, 31, 23, 59, 5); });
        reset_data_package();
    }

    void TearDown() override {
        set_connect_to({});
        set_clock({});
        reset_data_package();
        m_window.close();
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }

    void count_hit(const std::string& path) {
        std::lock_guard lock(m_hits_mutex);
        ++m_hits[path];
    }
    int hits(const std::string& path) {
        std::lock_guard lock(m_hits_mutex);
        return m_hits[path];
    }

    // A harvest as the frame leaves it: prepared page, folders created.
    ItemHarvest harvest_for(const Item& item, const std::string& batch = "batch") {
        m_window.job().current_address = item.address;
        m_window.job().batch_folder_name = batch;
        create_directory(m_root.string() + "\\" + batch);
        ItemHarvest harvest;
        harvest.item_id = item.item_id;
        harvest.page_text = replace_text(fixture(item.page_fixture), ")", "\"");
        harvest.new_download_count = 7;
        const Text batch_path = m_root.string() + "\\" + batch + "\\";
        if (m_controls.independent_package) {
            harvest.item_folder_name =
                (item.item_id.empty() ? std::string("x") : item.item_id) + "_item";
            harvest.item_folder_path = batch_path + harvest.item_folder_name + "\\";
            harvest.package_folder_path = harvest.item_folder_path + gbk(kIndependentFolder) + "\\";
            create_directory(harvest.item_folder_path);
        } else {
            harvest.item_folder_path = batch_path;
            harvest.package_folder_path = batch_path + gbk(kCompositeFolder) + "\\";
        }
        create_directory(harvest.package_folder_path);
        m_controls.options[OptionBox::RemoveHyperlinks] = item.remove_hyperlinks;
        m_window.set_description_store(gbk(item.description));
        return harvest;
    }

    fs::path native(const Text& program_path) {
        std::string utf8 = gbk_to_utf8(program_path);
        for (char& c : utf8) {
            if (c == '\\') c = '/';
        }
        return fs::path(utf8);
    }

    std::map<std::string, std::string> tbi_files(const fs::path& folder) {
        std::map<std::string, std::string> files;
        if (!fs::exists(folder)) return files;
        for (const auto& entry : fs::directory_iterator(folder)) {
            files[entry.path().filename().string()] = file_bytes(entry.path());
        }
        return files;
    }

    fs::path m_root;
    RecordingWindow m_controls;
    WindowThread m_window_thread;
    MainWindow m_window{m_controls, m_window_thread};
    demo::LoopbackServer m_server;
    std::mutex m_hits_mutex;
    std::map<std::string, int> m_hits;
};

TEST_F(ExportItemPackageTest, IndependentPackageOfEachMarketplace) {
    struct Case {
        Item item;
        std::string expected_file;
        std::map<std::string, std::string> pictures;  // .tbi name -> served path
        std::vector<std::string> statuses;            // UTF-8, after the tag
        std::string store_after;
    };
    const Case cases[] = {
        {kTaobao,
         "expected_taobao_independent.csv",
         {{"045f54d378a6817966d95d21469023b9.tbi", "/bao/TB1main.jpg"},
          {"db60d8bebe0e2b11e319bb13d0f7bb10.tbi", "/bao/TB1main2.jpg"},
          {"807BED29DA4FDD79E200EFF36734D3D7.tbi", "/bao/TB2red.jpg"}},
         {"正在导出CSV数据包中……", "正在分析CSV数据包的主图及属性图中……"},
         kTaobao.description},
        {kTmall,
         "expected_tmall_independent.csv",
         {{"612cdd6fea96a3cf5d7adbc00035898f.tbi", "/i1/O1CN01tm.jpg"}},
         {"正在导出CSV数据包中……", "正在删除CSV数据包中的超链接，很快就可以完成了。",
          "正在分析CSV数据包的主图及属性图中……"},
         "Word"},
        {kAli,
         "expected_ali1688_independent.csv",
         {{"900150983cd24fb0d6963f7d28e17f72.tbi", "/img/abc.jpg"},
          {"3b9050f1dc255c49f6fc73da8cdbd61f.tbi", "/img/pic1.jpg"}},
         {"正在导出CSV数据包中……"},
         kAli.description},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item.page_fixture);
        m_controls.events.clear();
        ItemHarvest harvest = harvest_for(c.item);
        export_item_package(m_window, harvest);

        const std::string written = file_bytes(native(harvest.item_folder_path) / kIndependentFile);
        EXPECT_EQ(written, fixture(c.expected_file));
        const auto records = read_csv(written);
        ASSERT_EQ(records.size(), 4u);
        EXPECT_EQ(records[3].size(), 58u);

        std::map<std::string, std::string> expected_pictures;
        for (const auto& [name, path] : c.pictures) expected_pictures[name] = picture_body(path);
        EXPECT_EQ(tbi_files(native(harvest.package_folder_path)), expected_pictures);

        std::vector<Text> expected_statuses;
        for (const std::string& s : c.statuses) expected_statuses.push_back(gbk("（1/3）" + s));
        EXPECT_EQ(m_controls.statuses(), expected_statuses);
        EXPECT_EQ(m_controls.counters(),
                  std::vector<Text>(c.pictures.size(), gbk("新下载：7个文件")));
        EXPECT_EQ(m_window.description_store(), gbk(c.store_after));
    }
    EXPECT_EQ(hits("/loc.js"), 1);
}

TEST_F(ExportItemPackageTest, TaobaoPageOf2020GivesItsRecordAndSkuPictures) {
    // Served over http: its scheme-relative addresses take http, which the
    // loopback server answers.
    const Item item{"", "http://item.taobao.com/item.htm?id=588001001001", "588001001001",
                    "<p>d</p>"};
    ItemHarvest harvest = harvest_for(kTaobao);
    m_window.job().current_address = item.address;
    harvest.item_id = item.item_id;
    const Text source = page_to_gbk(real_fixture("taobao_item_served_gbk.html"));
    harvest.facts = read_item_facts(source, item.address);
    harvest.page_text = replace_text(source, ")", "\"");
    export_item_package(m_window, harvest);

    const auto records = read_csv(file_bytes(native(harvest.item_folder_path) / kIndependentFile));
    ASSERT_EQ(records.size(), 4u);
    const auto& r = records[3];
    ASSERT_EQ(r.size(), 58u);
    EXPECT_EQ((std::vector<std::string>{r[0], r[1], r[4], r[5], r[7]}),
              (std::vector<std::string>{gbk("复古真皮男士手提公文包"), "50008899", gbk("浙江"),
                                        gbk("杭州"), "899.00"}));
    EXPECT_EQ(r[21], "20509:28315;20509:28314;1627207:28338;1627207:28341;");
    EXPECT_EQ(hits("/service/getData/1/p1/item/detail/sib.htm"), 1);
    // The SKU pictures, full size, under the names the picture column gives them.
    const auto files = tbi_files(native(harvest.package_folder_path));
    for (const std::string path : {"/imgextra/i3/3900118801/TB2skuBlack_!!3900118801.jpg",
                                   "/imgextra/i1/3900118801/TB2skuBrown_!!3900118801.jpg"}) {
        const std::string name = to_upper_text(md5_hex(path.substr(path.rfind('/') + 1)));
        EXPECT_TRUE(contains_text(r[28], name + ":2:0:")) << path;
        const auto file = files.find(name + ".tbi");
        ASSERT_NE(file, files.end()) << path;
        EXPECT_EQ(file->second, picture_body(path));
    }
}

TEST_F(ExportItemPackageTest, CompositeBatchHoldsNewestRowFirstAndNextBatchStartsFresh) {
    m_controls.independent_package = false;
    const std::string a = expected_row("expected_taobao_independent.csv");
    const std::string b = expected_row("expected_tmall_independent.csv");
    const std::string c = expected_row("expected_ali1688_independent.csv");
    const fs::path batch_file = m_root / "batch" / kCompositeFile;

    for (const Item* item : {&kTaobao, &kTmall, &kAli}) {
        ItemHarvest harvest = harvest_for(*item);
        export_item_package(m_window, harvest);
    }
    flush_composite_package();  // as finish_batch does at the end of a batch
    EXPECT_EQ(file_bytes(batch_file),
              fixture("header.csv") + "\r\n" + c + "\r\n" + b + "\r\n" + a + "\r\n");
    const auto records = read_csv(file_bytes(batch_file));
    ASSERT_EQ(records.size(), 6u);
    for (size_t i = 3; i < records.size(); ++i) EXPECT_EQ(records[i].size(), 58u);
    EXPECT_EQ(tbi_files(m_root / "batch" / kCompositeFolder).size(), 6u);

    // A new batch: start_batch resets the package; its file holds only its rows.
    reset_data_package();
    ItemHarvest harvest = harvest_for(kTmall, "batch2");
    export_item_package(m_window, harvest);
    EXPECT_EQ(file_bytes(m_root / "batch2" / kCompositeFile),
              fixture("header.csv") + "\r\n" + b + "\r\n");
    // The earlier batch's file is untouched.
    EXPECT_EQ(file_bytes(batch_file),
              fixture("header.csv") + "\r\n" + c + "\r\n" + b + "\r\n" + a + "\r\n");
}

TEST_F(ExportItemPackageTest, SharedPictureIsFetchedOncePerPackageFolder) {
    m_controls.independent_package = false;
    for (int i = 0; i < 2; ++i) {
        ItemHarvest harvest = harvest_for(kTaobao);
        export_item_package(m_window, harvest);
    }
    EXPECT_EQ(hits("/bao/TB1main.jpg"), 1);
    EXPECT_EQ(hits("/bao/TB2red.jpg"), 1);
    const std::string row = expected_row("expected_taobao_independent.csv");
    EXPECT_EQ(file_bytes(m_root / "batch" / kCompositeFile),
              fixture("header.csv") + "\r\n" + row + "\r\n" + row + "\r\n");
}

TEST_F(ExportItemPackageTest, PictureUsedAsMainAndAttributePictureIsFetchedOnce) {
    // The red sale value shows the first main picture: the attribute picture
    // (upper-case name) is fetched first, the main picture's lower-case name
    // is a copy of it, so every name in the row exists on disk.
    ItemHarvest harvest = harvest_for(kTaobao);
    harvest.page_text =
        replace_text(harvest.page_text, "bao/TB2red.jpg_30x30.jpg", "bao/TB1main.jpg_30x30.jpg");
    export_item_package(m_window, harvest);
    EXPECT_EQ(hits("/bao/TB1main.jpg"), 1);
    const std::map<std::string, std::string> expected = {
        {"045F54D378A6817966D95D21469023B9.tbi", picture_body("/bao/TB1main.jpg")},
        {"045f54d378a6817966d95d21469023b9.tbi", picture_body("/bao/TB1main.jpg")},
        {"db60d8bebe0e2b11e319bb13d0f7bb10.tbi", picture_body("/bao/TB1main2.jpg")}};
    EXPECT_EQ(tbi_files(native(harvest.package_folder_path)), expected);
    const std::string written = file_bytes(native(harvest.item_folder_path) / kIndependentFile);
    EXPECT_NE(written.find(
                  "\"045f54d378a6817966d95d21469023b9:1:0:|;db60d8bebe0e2b11e319bb13d0f7bb10:1:1:|;"
                  "045F54D378A6817966D95D21469023B9:2:0:1627207:28320|;\""),
              std::string::npos);
}

TEST_F(ExportItemPackageTest, GatesStopBeforeAnyRow) {
    struct Case {
        std::string name;
        std::string page;
        std::string address;
        bool export_on;
        bool message_expected;
    };
    const std::string page = fixture("taobao_item.html");
    const Case cases[] = {
        {"ladder", page + "<div class=\"price-title ladder-1\"></div>", kTaobao.address, true,
         false},
        {"no id", page, "http://item.taobao.com/item.htm?x=1", true, true},
        {"1688 shop page", page, "http://shop.1688.com/page/offerlist.htm", true, true},
        {"export off", page, kTaobao.address, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_controls.events.clear();
        ItemHarvest harvest = harvest_for(kTaobao);
        harvest.page_text = c.page;
        m_window.job().current_address = c.address;
        m_controls.options[OptionBox::ExportDataPackage] = c.export_on;
        export_item_package(m_window, harvest);
        EXPECT_EQ(m_controls.statuses().size(), c.message_expected ? 1u : 0u);
        EXPECT_FALSE(fs::exists(native(harvest.item_folder_path) / kIndependentFile));
        EXPECT_TRUE(tbi_files(native(harvest.package_folder_path)).empty());
        EXPECT_EQ(hits("/loc.js"), 0);
    }
}

TEST_F(ExportItemPackageTest, FailedPictureIsNamedButNotWrittenAndFetchedAgainLater) {
    m_controls.independent_package = false;
    Item item = kTaobao;
    for (int round = 1; round <= 2; ++round) {
        ItemHarvest harvest = harvest_for(item);
        // The first main picture is gone (404); the second lives on a host
        // that refuses connections.
        harvest.page_text =
            replace_text(harvest.page_text, "bao/TB1main.jpg", "bao/missing/TB1main.jpg");
        harvest.page_text = replace_text(harvest.page_text, "img.taobao.test/bao/TB1main2",
                                         "gone.test/bao/TB1main2");
        export_item_package(m_window, harvest);
    }
    const auto files = tbi_files(m_root / "batch" / kCompositeFolder);
    EXPECT_EQ(files.count("045f54d378a6817966d95d21469023b9.tbi"), 0u);
    EXPECT_EQ(files.count("db60d8bebe0e2b11e319bb13d0f7bb10.tbi"), 0u);
    EXPECT_EQ(files.size(), 1u);
    EXPECT_EQ(hits("/bao/missing/TB1main.jpg"), 2);
    EXPECT_EQ(hits("/bao/TB2red.jpg"), 1);
    EXPECT_NE(
        std::string(data_package().composite_rows())
            .find("045f54d378a6817966d95d21469023b9:1:0:|;db60d8bebe0e2b11e319bb13d0f7bb10:1:1:|;"),
        std::string::npos);
}

TEST_F(ExportItemPackageTest, DescriptionColumnEdgeCases) {
    struct Case {
        std::string description;
        std::string field;  // as read back by a CSV reader
        bool remove_hyperlinks;
    };
    const Case cases[] = {
        {"", "", false},  // the store emptied by an item without a description
        {"plain text, no quotes", "plain text, no quotes", false},
        {"<a href=1>x</a><a href=1>y</a><a href=2>z</a>", "xyz", true},
        {"<A HREF=1>x</A>", "<A HREF=1>x</A>", true},
        {"multi\r\nline", "multi\r\nline", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        Item item = kTaobao;
        item.description = c.description;
        item.remove_hyperlinks = c.remove_hyperlinks;
        ItemHarvest harvest = harvest_for(item);
        export_item_package(m_window, harvest);
        const auto records =
            read_csv(file_bytes(native(harvest.item_folder_path) / kIndependentFile));
        ASSERT_EQ(records.size(), 4u);
        ASSERT_EQ(records[3].size(), 58u);
        EXPECT_EQ(records[3][20], c.field);
    }
}

TEST_F(ExportItemPackageTest, QuotesOfADescriptionThatIsNotGbkStayQuotes) {
    // A UTF-8 description, stored as it came: "好" is E5 A5 BD, so read as
    // GBK pairs its last byte would swallow the quote after it.
    ItemHarvest harvest = harvest_for(kTaobao);
    const std::string utf8 = "<b>好\"x\"</b>";
    m_window.set_description_store(utf8);
    export_item_package(m_window, harvest);
    const auto records = read_csv(file_bytes(native(harvest.item_folder_path) / kIndependentFile));
    ASSERT_EQ(records.size(), 4u);
    ASSERT_EQ(records[3].size(), 58u);
    EXPECT_EQ(records[3][20], utf8);
}

TEST_F(ExportItemPackageTest, BarsInDescriptionBecomeAQuote) {
    Item item = kTaobao;
    item.description = "a|||b";
    ItemHarvest harvest = harvest_for(item);
    export_item_package(m_window, harvest);
    const std::string written = file_bytes(native(harvest.item_folder_path) / kIndependentFile);
    EXPECT_NE(written.find("23:59:5\",\"a\"b\",\"1627207"), std::string::npos);
}

TEST_F(ExportItemPackageTest, CommaInNicknameShiftsLaterColumns) {
    ItemHarvest harvest = harvest_for(kTaobao);
    harvest.page_text = replace_text(harvest.page_text, "%E5%B0%8F%E7%8E%8B", "a%2Cb");
    export_item_package(m_window, harvest);
    const auto records = read_csv(file_bytes(native(harvest.item_folder_path) / kIndependentFile));
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[3].size(), 59u);
    EXPECT_EQ(records[3][39], "a");
    EXPECT_EQ(records[3][40], "b");
}

TEST_F(ExportItemPackageTest, MissingPackageFolderWritesNothingAndDoesNotStop) {
    ItemHarvest harvest = harvest_for(kTaobao);
    harvest.item_folder_path = m_root.string() + "\\batch\\missing\\";
    harvest.package_folder_path = harvest.item_folder_path + gbk(kIndependentFolder) + "\\";
    export_item_package(m_window, harvest);
    EXPECT_FALSE(fs::exists(m_root / "batch" / "missing"));
    EXPECT_FALSE(data_package().package_row().empty());
}

}  // namespace
}  // namespace qinghe
