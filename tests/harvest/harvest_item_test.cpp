// Whole item harvests against the fake marketplace, checked on disk byte for
// byte and through the window writes they make.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "base/date_time.h"
#include "base/web.h"
#include "demo/fake_market.h"
#include "harvest/harvest_item.h"
#include "support/file_bytes.h"
#include "support/gbk_literal.h"
#include "support/recording_window.h"

namespace qinghe {
namespace {

namespace fs = std::filesystem;
using demo::demo_items;
using demo::FakeMarket;
using demo::MarketItem;
using test_support::file_bytes;
using test_support::gbk;
using test_support::RecordingWindow;

const std::string kBatch = "B";

std::string host_of(const std::string& address) {
    std::string rest = address.substr(address.find("//") + 2);
    return rest.substr(0, rest.find('/'));
}

std::string path_of(const std::string& address) {
    std::string rest = address.substr(address.find("//") + 2);
    return rest.substr(rest.find('/'));
}

std::string last_segment(const std::string& address) {
    return address.substr(address.rfind('/') + 1);
}

class HarvestItem : public ::testing::Test {
protected:
    void SetUp() override {
        demo::add_demo_items(market);
        ASSERT_TRUE(market.start());
        market.route_hosts();
        root = fs::temp_directory_path() /
               ("qinghe-harvest-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        save = root / "save";
        fs::create_directories(save / kBatch);
        controls.save_folder = save.string();
        // A harvest without the data package and with hyperlinks kept.
        controls.options[OptionBox::ExportDataPackage] = false;
        controls.options[OptionBox::RemoveHyperlinks] = false;
    }
    void TearDown() override {
        set_connect_to({});
        set_clock({});
        fs::remove_all(root);
    }

    void harvest(const std::string& address, int index = 1, int count = 1) {
        BatchJob& job = window->job();
        job.current_address = address;
        job.batch_folder_name = kBatch;
        job.current_index = index;
        job.address_count = count;
        job.progress_tag = std::to_string(index) + "/" + std::to_string(count);
        harvest_item(*window);
    }
    std::string picture(const std::string& address) const {
        return market.body(host_of(address), path_of(address));
    }
    // Every file below the root, relative to the batch folder, as UTF-8.
    std::set<std::string> files_in_batch() const {
        std::set<std::string> out;
        for (const auto& entry : fs::recursive_directory_iterator(root)) {
            if (entry.is_regular_file())
                out.insert(fs::relative(entry.path(), save / kBatch).string());
        }
        return out;
    }
    // What the description page must hold: the prepared description with
    // the saved pictures' addresses made local.
    std::string expected_description_page(const MarketItem& item, const std::string& item_folder,
                                          const std::vector<std::string>& names) const {
        std::string text = market.body(item.description_host, item.description_path);
        auto replace_all = [&text](const std::string& from, const std::string& to) {
            for (size_t at = text.find(from); at != std::string::npos;
                 at = text.find(from, at + to.size())) {
                text.replace(at, from.size(), to);
            }
        };
        replace_all("var desc='", "");
        replace_all("';", "");
        replace_all("</p>\\", "</p>");
        for (size_t i = 0; i < names.size(); ++i) {
            replace_all(
                item.description_pictures[i],
                gbk("file://" + (save / kBatch / item_folder / "宝贝描述" / names[i]).string()));
        }
        return text;
    }

    FakeMarket market;
    RecordingWindow controls;
    std::shared_ptr<MainWindow> window = make_recording_main_window(controls);
    fs::path root;
    fs::path save;
};

TEST_F(HarvestItem, TaobaoItemInTheSmartLayout) {
    const MarketItem& item = demo_items()[0];
    harvest(item.address);

    const fs::path folder = save / kBatch / "1001_青禾淘图";
    EXPECT_EQ(file_bytes(folder / "淘图记录.txt"),
              gbk("青禾演示 纯棉圆领T恤 夏季新款") + "\r\n" + item.address);
    EXPECT_EQ(file_bytes(folder / "主图及属性图" / "1.jpg"), picture(item.main_pictures[0]));
    EXPECT_EQ(file_bytes(folder / "主图及属性图" / "2.png"), picture(item.main_pictures[1]));
    EXPECT_EQ(file_bytes(folder / "主图及属性图" / "3.jpg"), picture(item.main_pictures[2]));
    const std::vector<std::string> names = {"A0.jpg", "A1.gif", "A2.jpg"};
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(file_bytes(folder / "宝贝描述" / names[i]), picture(item.description_pictures[i]))
            << names[i];
    }
    const std::string page = file_bytes(folder / "宝贝描述" / "详情.html");
    EXPECT_EQ(page, expected_description_page(item, "1001_青禾淘图", names));
    EXPECT_EQ(page.find("http://img.alicdn.com/imgextra"), std::string::npos);
    EXPECT_EQ(window->description_store(), page);
    EXPECT_EQ(file_bytes(folder / "其他图片" / "1.jpg"), picture(item.style_sheet_pictures[0]));
    EXPECT_EQ(file_bytes(folder / "其他图片" / "2.png"), picture(item.style_sheet_pictures[1]));
    EXPECT_EQ(files_in_batch(),
              (std::set<std::string>{
                  "1001_青禾淘图/淘图记录.txt", "1001_青禾淘图/主图及属性图/1.jpg",
                  "1001_青禾淘图/主图及属性图/2.png", "1001_青禾淘图/主图及属性图/3.jpg",
                  "1001_青禾淘图/宝贝描述/A0.jpg", "1001_青禾淘图/宝贝描述/A1.gif",
                  "1001_青禾淘图/宝贝描述/A2.jpg", "1001_青禾淘图/宝贝描述/详情.html",
                  "1001_青禾淘图/其他图片/1.jpg", "1001_青禾淘图/其他图片/2.png"}));

    std::string listed;
    for (const auto* list :
         {&item.main_pictures, &item.description_pictures, &item.style_sheet_pictures}) {
        for (const std::string& address : *list) listed += address + "\r\n";
    }
    EXPECT_EQ(controls.file_list, listed);
    EXPECT_EQ(controls.style_sheet_box,
              "http://assets.taobaocdn.com/shop/1001/theme.css?v=2\r\n\r\n");
}

TEST_F(HarvestItem, ItemWithoutDescriptionDoesNotInheritThePreviousOne) {
    harvest(demo_items()[0].address, 1, 2);
    ASSERT_FALSE(window->description_store().empty());

    market.add("item.taobao.com", "/plain.htm", gbk("<html><title>plain-淘宝网</title></html>"));
    harvest("http://item.taobao.com/plain.htm?id=77", 2, 2);
    EXPECT_EQ(window->description_store(), "");
}

TEST_F(HarvestItem, ReportsItsStagesInOrderAndHandsTheBatchOn) {
    harvest(demo_items()[0].address, 2, 3);

    EXPECT_EQ(controls.statuses(), (std::vector<Text>{gbk("（2/3）正在分析并下载中，请稍等……"),
                                                      gbk("（2/3）正在下载主图与属性图……"),
                                                      gbk("（2/3）正在下载宝贝描述中……")}));
    // The style sheet is the first link of the page: 90 + 1.
    EXPECT_EQ(controls.progress_steps(), (std::vector<int>{1, 10, 20, 25, 50, 70, 90, 91, 100, 0}));
    std::vector<Text> counters = {""};
    for (int n = 1; n <= 8; ++n) counters.push_back(gbk("新下载：" + std::to_string(n) + "个文件"));
    EXPECT_EQ(controls.counters(), counters);

    const auto& events = controls.events;
    ASSERT_GE(events.size(), 6u);
    EXPECT_EQ(events[0], "caption:" + gbk("正在下载中……"));
    EXPECT_EQ(events[1], "start_enabled:0");
    EXPECT_EQ(events[2], "status:" + gbk("（2/3）正在分析并下载中，请稍等……"));
    EXPECT_EQ(events[3], "progress:1");
    EXPECT_EQ(events[4], "counter:");
    EXPECT_EQ(std::vector<std::string>(events.end() - 3, events.end()),
              (std::vector<std::string>{"progress:100", "progress:0", "timer:1"}));
    EXPECT_EQ(window->job().current_index, 3);
}

TEST_F(HarvestItem, TmallItemWithTitleNumbersAcrossStyleSheets) {
    controls.options[OptionBox::ShowItemTitle] = true;
    const MarketItem& item = demo_items()[1];
    harvest(item.address);

    const std::string folder_name = "2002_青禾淘图_青禾演示 桑蚕丝围巾 春秋款";
    const fs::path folder = save / kBatch / folder_name;
    EXPECT_EQ(file_bytes(folder / "淘图记录.txt"),
              gbk("青禾演示 桑蚕丝围巾 春秋款") + "\r\n" + item.address);
    std::vector<std::string> names;
    for (size_t i = 0; i < item.description_pictures.size(); ++i) {
        std::string extension =
            item.description_pictures[i].substr(item.description_pictures[i].rfind('.'));
        names.push_back(std::string(1, static_cast<char>('A' + i / 10)) + std::to_string(i % 10) +
                        extension);
        EXPECT_EQ(file_bytes(folder / "宝贝描述" / names.back()),
                  picture(item.description_pictures[i]))
            << names.back();
    }
    EXPECT_EQ(names[10], "B0.jpg");
    EXPECT_EQ(file_bytes(folder / "宝贝描述" / "详情.html"),
              expected_description_page(item, folder_name, names));
    // Two style sheets: the second one's picture is 3, not a second 1.
    EXPECT_EQ(file_bytes(folder / "其他图片" / "1.gif"), picture(item.style_sheet_pictures[0]));
    EXPECT_EQ(file_bytes(folder / "其他图片" / "2.png"), picture(item.style_sheet_pictures[1]));
    EXPECT_EQ(file_bytes(folder / "其他图片" / "3.jpg"), picture(item.style_sheet_pictures[2]));
    EXPECT_EQ(
        controls.style_sheet_box,
        "http://assets.tmall.com/shop/2002/tmall.css\r\n\r\nhttp://assets.tmall.com/shop/2002/tmall-extra.css\r\n\r\n");
    const std::vector<int> progress = controls.progress_steps();
    EXPECT_EQ(std::vector<int>(progress.end() - 5, progress.end()),
              (std::vector<int>{90, 91, 93, 100, 0}));
}

TEST_F(HarvestItem, AliItemWithoutIdGetsTheDateTimeFolder) {
    set_clock([] { return make_date_time(2026, 12, 9, 13, 5, 7); });
    const MarketItem& item = demo_items()[2];
    harvest(item.address);

    const fs::path folder = save / kBatch / "20261291357_青禾淘图";
    EXPECT_EQ(file_bytes(folder / "淘图记录.txt"),
              gbk("青禾演示 加厚帆布包 厂家批发") + "\r\n" + item.address);
    EXPECT_EQ(file_bytes(folder / "主图及属性图" / "1.jpg"), picture(item.main_pictures[0]));
    EXPECT_EQ(file_bytes(folder / "主图及属性图" / "2.jpg"), picture(item.main_pictures[1]));
    std::vector<std::string> names;
    for (size_t i = 0; i < item.description_pictures.size(); ++i) {
        names.push_back(std::string(1, static_cast<char>('A' + i / 10)) +
                        std::to_string(i % 10 + 1) + ".jpg");
        EXPECT_EQ(file_bytes(folder / "宝贝描述" / names.back()),
                  picture(item.description_pictures[i]));
    }
    EXPECT_EQ(names[9], "A10.jpg");
    EXPECT_EQ(names[10], "B1.jpg");
    EXPECT_EQ(file_bytes(folder / "宝贝描述" / "详情.html"),
              expected_description_page(item, "20261291357_青禾淘图", names));
    EXPECT_EQ(file_bytes(folder / "其他图片" / "1.jpg"), picture(item.style_sheet_pictures[0]));
    EXPECT_EQ(controls.progress_steps(),
              (std::vector<int>{1, 10, 20, 25, 50, 60, 70, 90, 91, 100, 0}));
}

TEST_F(HarvestItem, SecondDescriptionSourceContinuesFromThePageTheFirstWrote) {
    controls.options[OptionBox::DownloadMainPictures] = false;
    controls.options[OptionBox::DownloadOtherPictures] = false;
    const std::string host = "img.alicdn.com";
    const std::string a = "http://img.alicdn.com/d/a.jpg";
    const std::string both = "http://img.alicdn.com/d/c.gif?v=.jpg";  // saved once, as ".jpg"
    const std::string d = "http://img.alicdn.com/d/d.png";
    market.add(host, "/d/a.jpg", demo::tiny_picture("jpg", "a"));
    market.add(host, "/d/c.gif", demo::tiny_picture("gif", "c"));
    market.add(host, "/d/d.png", demo::tiny_picture("png", "d"));
    market.add(
        host, "/d/first.js",
        "var desc='<p><img src=\"" + a + "\"></p>\\<a href=\"http://img.alicdn.com/d/x.htm\">';");
    market.add(host, "/d/second.js", "<img src=\"" + both + "\"><img src=\"" + d + "\">");
    market.add(
        "item.taobao.com", "/both.htm",
        "g_config.dynamicScript(\"http://img.alicdn.com/d/first.js\") {\"descUrl\":\"http://img.alicdn.com/d/second.js\"}");
    harvest("http://item.taobao.com/both.htm?id=5");

    const fs::path folder = save / kBatch / "5_青禾淘图" / "宝贝描述";
    // The second source's first picture count gives A0 again: already there, so
    // not fetched; its second picture is A1.
    EXPECT_EQ(file_bytes(folder / "A0.jpg"), picture(a));
    EXPECT_EQ(file_bytes(folder / "A1.png"), picture(d));
    EXPECT_EQ(market.request_count(host, "/d/c.gif"), 0);
    EXPECT_EQ(market.request_count(host, "/d/x.htm"), 0);
    const std::string page = "<p><img src=\"" + gbk("file://" + (folder / "A0.jpg").string()) +
                             "\"></p><a href=\"http://img.alicdn.com/d/x.htm\">";
    EXPECT_EQ(file_bytes(folder / "详情.html"), page);
    EXPECT_EQ(window->description_store(), page);
    EXPECT_EQ(controls.file_list, a + "\r\n" + both + "\r\n" + d + "\r\n");
    EXPECT_EQ(controls.progress_steps(), (std::vector<int>{1, 20, 25, 50, 70, 100, 0}));
}

TEST_F(HarvestItem, FlatLayoutUsesServerNamesAndSkipsExistingOnes) {
    controls.options[OptionBox::SmartCategorySave] = false;
    const MarketItem& item = demo_items()[0];
    harvest(item.address, 1, 2);
    harvest(item.address, 2, 2);

    std::set<std::string> expected;
    for (const auto* list :
         {&item.main_pictures, &item.description_pictures, &item.style_sheet_pictures}) {
        for (const std::string& address : *list) {
            expected.insert(last_segment(address));
            EXPECT_EQ(file_bytes(save / kBatch / last_segment(address)), picture(address));
            // The second item found every name in place and fetched nothing.
            EXPECT_EQ(market.request_count(host_of(address), path_of(address)), 1) << address;
        }
    }
    EXPECT_EQ(files_in_batch(), expected);
    EXPECT_EQ(controls.counters().back(), "");  // cleared by the second item, never raised
    EXPECT_EQ(window->job().current_index, 3);
}

TEST_F(HarvestItem, UnreachablePageLeavesFoldersAndRecordFile) {
    const std::string address = "http://item.taobao.com/missing.htm?id=404";
    harvest(address);

    const fs::path folder = save / kBatch / "404_青禾淘图";
    EXPECT_EQ(file_bytes(folder / "淘图记录.txt"), "\r\n" + address);
    EXPECT_TRUE(fs::is_directory(folder / "主图及属性图"));
    EXPECT_TRUE(fs::is_directory(folder / "宝贝描述"));
    EXPECT_EQ(files_in_batch(), std::set<std::string>{"404_青禾淘图/淘图记录.txt"});
    EXPECT_EQ(controls.file_list, "");
    EXPECT_EQ(window->job().current_index, 2);
    EXPECT_EQ(controls.events.back(), "timer:1");
}

TEST_F(HarvestItem, HostileNamesStayInsideTheBatchFolder) {
    const std::string long_name = std::string(2000, 'n') + ".jpg";
    market.add("img.alicdn.com", "/evil.jpg", demo::tiny_picture("jpg", "evil"));
    market.add("img.alicdn.com", "/x/" + long_name, demo::tiny_picture("jpg", "long"));
    market.add("item.taobao.com", "/hostile.htm",
               "<title>../../etc:*?</title>"
               "<img src=\"http://img.alicdn.com/../../evil.jpg\">"
               "<img src=\"http://img.alicdn.com/..\\..\\evil.jpg\">"
               "<img src=\"http://img.alicdn.com/x/" +
                   long_name +
                   "\">"
                   "<img src=\"http:/etc/passwd.jpg\">"
                   "<img src=\"http://img.alicdn.com/..\">"
                   "g_config.dynamicScript(\"http://img.alicdn.com/..\\..\\desc.jpg\")");
    for (bool smart : {true, false}) {
        controls.options[OptionBox::SmartCategorySave] = smart;
        controls.options[OptionBox::ShowItemTitle] = true;
        harvest("http://item.taobao.com/hostile.htm?id=../../../x/..", 1, 1);
    }
    // Every file lies below the batch folder, and something was written.
    std::set<std::string> files = files_in_batch();
    EXPECT_FALSE(files.empty());
    for (const std::string& file : files) {
        for (const auto& element : fs::path(file)) EXPECT_NE(element, "..") << file;
    }
    for (const auto& entry : fs::directory_iterator(root))
        EXPECT_EQ(entry.path().filename(), "save");
    for (const auto& entry : fs::directory_iterator(save))
        EXPECT_EQ(entry.path().filename(), kBatch);
}

TEST_F(HarvestItem, PagesWithoutMarkersEndNormally) {
    std::string truncated = market.body("item.taobao.com", "/item.htm");
    truncated.resize(truncated.size() / 2);
    std::string binary = "\x89PNG\r\n\x1a\n";
    binary += std::string("\0\xFF\xFEhttp\0\"", 10);
    for (int i = 0; i < 1000; ++i) binary += static_cast<char>(i * 7919 % 256);
    market.add("item.taobao.com", "/huge.htm", std::string(50 * 1024 * 1024, 'x'));
    market.add("item.taobao.com", "/truncated.htm", truncated);
    market.add("item.taobao.com", "/binary.htm", binary);
    const std::string addresses[] = {"http://item.taobao.com/huge.htm?id=1",
                                     "http://item.taobao.com/truncated.htm?id=2",
                                     "http://item.taobao.com/binary.htm?id=3"};
    int index = 1;
    for (const std::string& address : addresses) {
        harvest(address, index, 3);
        index += 1;
        EXPECT_EQ(window->job().current_index, index) << address;
        EXPECT_EQ(controls.events.back(), "timer:1") << address;
    }
    EXPECT_TRUE(fs::exists(save / kBatch / "1_青禾淘图" / "淘图记录.txt"));
    EXPECT_TRUE(fs::exists(save / kBatch / "3_青禾淘图" / "淘图记录.txt"));
}

}  // namespace
}  // namespace qinghe
