// Style sheets and their pictures in the forms pages have used since about
// 2017: sheets linked as "//host/….css", pictures as url(//…) and
// url(https://…), read after the long-standing patterns.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/web.h"
#include "demo/fake_market.h"
#include "harvest/other_picture_stage.h"
#include "harvest/style_sheet_links.h"
#include "support/file_bytes.h"
#include "support/gbk_literal.h"
#include "support/recording_window.h"
#include "support/tls_front.h"

namespace qinghe {
namespace {

namespace fs = std::filesystem;
using test_support::file_bytes;

std::string real_file(const std::string& name) {
    return file_bytes(fs::path(QINGHE_FIXTURES_DIR) / "real" / name);
}

const std::string kSheet = "https://g.alicdn.com/tm/detail-b/1.9.17/page/shop-2206655443.css";
const std::string kItem = "https://detail.tmall.com/item.htm?id=600002002001";
// The pictures of tmall_shop.css, in sheet order.
const std::vector<std::string> kSheetPictures = {
    "https://img.alicdn.com/imgextra/i1/2206655443/TB2shopBanner.jpg",
    "https://img.alicdn.com/imgextra/i2/2206655443/TB2shopLogo.png",
    "https://gdp.alicdn.com/imgextra/i3/2206655443/TB2shopNav.gif",
    "https://img.alicdn.com/tfs/TB1shopIcon-16-16.png",
    "http://img.alicdn.com/tps/i1/T1shopOld.jpg",
    "https://img.alicdn.com/imgextra/i4/2206655443/TB2shopFooter.jpg",
};

TEST(NewerStyleSheetPictures, ReadsEveryUrlFormButTheLongStandingOne) {
    std::vector<Text> expected;
    for (const std::string& p : kSheetPictures) {
        if (p.rfind("http://", 0) != 0) expected.push_back(p);
    }
    EXPECT_EQ(newer_style_sheet_pictures(real_file("tmall_shop.css"), kSheet), expected);

    struct Case {
        std::string sheet;
        std::vector<Text> pictures;
    };
    const Case cases[] = {
        // The scheme of the sheet: an http sheet's "//" pictures take http.
        {"a{background:url( '//p.com/a.png' )}", {"http://p.com/a.png"}},
        {"a{background:url(\"https://p.com/b.gif?x=1\")}", {"https://p.com/b.gif?x=1"}},
        // Relative references, fonts, data and an unclosed url( are not read.
        {"a{background:url(/img/a.png)} b{background:url(../b.jpg)}", {}},
        {"@font-face{src:url(//p.com/f.woff)} c{background:url(data:image/png;base64,xx)}", {}},
        {"a{background:url(//p.com/a.jpg", {}},
        // A url holding "http://" is the long-standing pattern's.
        {"a{background:url(http://p.com/a.jpg)} b{background:url(//p.com/r.jpg?u=http://q)}", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sheet);
        EXPECT_EQ(newer_style_sheet_pictures(c.sheet, "http://s.com/x/y.css"), c.pictures);
    }
    EXPECT_FALSE(reads_newer_picture_forms("http://assets.tmall.com/a.css"));
    EXPECT_TRUE(reads_newer_picture_forms(kSheet));
}

TEST(SchemeRelativeStyleSheets, TakeTheSchemeOfThePage) {
    const Text page = real_file("tmall_item_served_utf8.html");
    EXPECT_EQ(scheme_relative_style_sheets(page, kItem), (std::vector<Text>{kSheet}));
    EXPECT_EQ(scheme_relative_style_sheets(
                  "<link href=\"//a.com/x.css?v=1\"><link href='//a.com/x.css?v=1'>"
                  "<link href=\"http://b.com/y.css\"><script src=\"//a.com/z.js\"></script>"
                  "// a comment.css",
                  "http://item.taobao.com/item.htm?id=1"),
              (std::vector<Text>{"http://a.com/x.css?v=1"}));
    // A page read from disk has no address: https.
    EXPECT_EQ(scheme_relative_style_sheets("<link href=\"//a.com/x.css\">", "/tmp/item.html"),
              (std::vector<Text>{"https://a.com/x.css"}));
}

// The stage against the Tmall page of 2019, its style sheet and pictures
// served over https (through the test authority's front) and http.
class OtherPictureStage : public ::testing::Test {
protected:
    void SetUp() override {
        market.add("detail.tmall.com", "/item.htm", real_file("tmall_item_served_utf8.html"),
                   "text/html;charset=utf-8");
        market.add("g.alicdn.com", kSheet.substr(std::string("https://g.alicdn.com").size()),
                   real_file("tmall_shop.css"), "text/css");
        for (const std::string& address : kSheetPictures) {
            const size_t path = address.find('/', address.find("//") + 2);
            const std::string host =
                address.substr(address.find("//") + 2, path - address.find("//") - 2);
            market.add(host, address.substr(path), picture(address), "image/jpeg");
        }
        ASSERT_TRUE(market.start());
        front = std::make_unique<test_support::TlsFront>(market.port());
        ASSERT_TRUE(front->start());
        std::vector<std::string> routes = market.routes();
        for (const std::string& r : front->routes(market.hosts())) routes.push_back(r);
        set_connect_to(routes);
        set_extra_ca_file(test_support::test_authority_file());

        root = fs::temp_directory_path() /
               ("qinghe-style-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root / "B");
        controls.save_folder = root.string();
        controls.options[OptionBox::SmartCategorySave] = true;
        window->job().batch_folder_name = "B";
        window->job().current_address = kItem;
    }
    void TearDown() override {
        set_extra_ca_file("");
        set_connect_to({});
        fs::remove_all(root);
    }
    static std::string picture(const std::string& address) {
        return demo::tiny_picture(address.substr(address.size() - 3), address);
    }

    demo::FakeMarket market;
    std::unique_ptr<test_support::TlsFront> front;
    test_support::RecordingWindow controls;
    std::shared_ptr<MainWindow> window = test_support::make_recording_main_window(controls);
    fs::path root;
};

TEST_F(OtherPictureStage, SavesEveryPictureOfAStyleSheetLinkedWithoutScheme) {
    ItemHarvest harvest;
    harvest.item_folder_name = "600002002001";
    other_picture_stage(*window, harvest);

    EXPECT_EQ(controls.style_sheet_box, kSheet + "\r\n\r\n");
    // The long-standing "http://" picture first, then the newer forms in order.
    const std::vector<std::string> order = {kSheetPictures[4], kSheetPictures[0],
                                            kSheetPictures[1], kSheetPictures[2],
                                            kSheetPictures[3], kSheetPictures[5]};
    const std::vector<std::string> names = {"1.jpg", "2.jpg", "3.png", "4.gif", "5.png", "6.jpg"};
    const fs::path folder = root / "B" / "600002002001" / "其他图片";
    std::string listed;
    for (size_t i = 0; i < order.size(); ++i) {
        EXPECT_EQ(file_bytes(folder / names[i]), picture(order[i])) << names[i];
        listed += order[i] + "\r\n";
    }
    EXPECT_EQ(controls.file_list, listed);
    std::set<std::string> files;
    for (const auto& entry : fs::directory_iterator(folder)) files.insert(entry.path().filename());
    EXPECT_EQ(files.size(), names.size());
    EXPECT_EQ(harvest.new_download_count, 6);
}

TEST_F(OtherPictureStage, AFlatHarvestSavesThemUnderTheirServerNames) {
    controls.options[OptionBox::SmartCategorySave] = false;
    ItemHarvest harvest;
    other_picture_stage(*window, harvest);
    for (const std::string& address : kSheetPictures) {
        const std::string name = address.substr(address.rfind('/') + 1);
        EXPECT_EQ(file_bytes(root / "B" / name), picture(address)) << name;
    }
}

}  // namespace
}  // namespace qinghe
