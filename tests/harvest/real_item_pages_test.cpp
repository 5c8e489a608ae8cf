// Item pages of 2017-2020 and of 2023 on, served by the fake marketplace
// (over http and https) or read from disk as a browser saved them: the
// gallery and SKU pictures at full size and nothing else, the description
// fetched and made local, blocked pages reported and left without folders.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <regex>
#include <set>

#include "base/web.h"
#include "demo/fake_market.h"
#include "harvest/harvest_item.h"
#include "support/file_bytes.h"
#include "support/gbk_literal.h"
#include "support/recording_window.h"
#include "support/tls_front.h"

namespace qinghe {
namespace {

namespace fs = std::filesystem;
using demo::FakeMarket;
using test_support::file_bytes;
using test_support::gbk;
using test_support::RecordingWindow;
using test_support::TlsFront;

const std::string kBatch = "B";

std::string fixture(const std::string& name) {
    return file_bytes(fs::path(QINGHE_FIXTURES_DIR) / name);
}

std::string percent_decoded(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

struct Place {
    std::string host;
    std::string path;  // as the server sees it: no query, escapes decoded
};

Place place_of(const std::string& address) {
    std::string rest = address.substr(address.find("//") + 2);
    size_t slash = rest.find('/');
    std::string path = rest.substr(slash);
    return {rest.substr(0, slash), percent_decoded(path.substr(0, path.find('?')))};
}

std::string extension_of(const std::string& address) {
    for (const char* extension : {".jpg", ".png", ".gif"}) {
        if (address.find(extension) != std::string::npos) return extension;
    }
    return ".jpg";
}

struct ItemPageCase {
    const char* fixture;                     // below tests/fixtures
    const char* address;                     // where it is served; empty: read from disk
    const char* content_type;                // of the served page
    std::vector<std::string> main_pictures;  // gallery, then SKU pictures
    const char* description_address;
    const char* description_answer;  // a fixture of tests/fixtures/real, or the answer itself
    std::vector<std::string> description_pictures;
    const char* first_description_name;  // "A0.jpg" (Taobao, Tmall) or "A1.jpg" (1688)
};

const char* const kTmallIceDescription =
    "<!DOCTYPE html><html><head><link rel=\"stylesheet\" href=\"//g.alicdn.com/desc/a.css\"></head>"
    "<body><div class=\"descV8-container\"><img data-src=\"//img.alicdn.com/imgextra/i1/2201168000001/"
    "O1CN01qhRobDesc1_!!2201168000001.jpg\" src=\"//g.alicdn.com/s.gif\">"
    "<p>激光导航</p><img src=\"https://img.alicdn.com/imgextra/i2/2201168000001/"
    "O1CN01qhRobDesc2_!!2201168000001.png\"></div></body></html>";

const char* const k1688OfferDescription =
    "var offer_details={\"content\":\"<p><img src=\\\"https://cbu01.alicdn.com/img/ibank/"
    "O1CN01qhMugDesc1_!!2209000000101-0-cib.jpg\\\" /></p><p>景德镇陶瓷</p><p><img src=\\\"//cbu01."
    "alicdn.com/img/ibank/O1CN01qhMugDesc2_!!2209000000101-0-cib.gif\\\" /></p>\"};";

const std::vector<ItemPageCase>& item_page_cases() {
    static const std::vector<ItemPageCase> cases = {
        {"real/taobao_item_served_gbk.html",
         "http://item.taobao.com/item.htm?id=588001001001",
         "text/html",
         {"https://gd2.alicdn.com/imgextra/i2/3900118801/TB2tbA_!!3900118801.jpg",
          "https://gd3.alicdn.com/imgextra/i3/3900118801/TB2tbB_!!3900118801.jpg",
          "https://gd1.alicdn.com/imgextra/i1/3900118801/TB2tbC_!!3900118801.png",
          "https://gd4.alicdn.com/imgextra/i4/3900118801/TB2tbD_!!3900118801.jpg"},
         // An http page takes the http branch of the protocol switch.
         "http://dsc.taobaocdn.com/i2/588/001/588001001001/"
         "TB1dQtb01.desc%7Cvar%5Edesc%3Bsign%5Eab12cd34%3Blang%5Egbk%3Bt%5E1577836800",
         "taobao_desc.js",
         {"https://img.alicdn.com/imgextra/i1/3900118801/TB2tbDesc1_!!3900118801.jpg",
          "https://img.alicdn.com/imgextra/i2/3900118801/TB2tbDesc2_!!3900118801.jpg",
          "http://img.alicdn.com/imgextra/i3/3900118801/TB2tbDesc3_!!3900118801.gif"},
         "A0.jpg"},
        {"real/tmall_item_served_utf8.html",
         "https://detail.tmall.com/item.htm?id=600002002001",
         "text/html;charset=utf-8",
         {"https://img.alicdn.com/imgextra/i1/2206655443/O1CN01tmA_!!2206655443.jpg",
          "https://img.alicdn.com/imgextra/i2/2206655443/O1CN01tmB_!!2206655443.jpg",
          "https://img.alicdn.com/imgextra/i3/2206655443/O1CN01tmC_!!2206655443.jpg",
          "https://img.alicdn.com/imgextra/i4/2206655443/O1CN01tmD_!!2206655443.png",
          "https://img.alicdn.com/imgextra/i1/2206655443/O1CN01tmE_!!2206655443.jpg"},
         "https://dscnew.taobao.com/i4/600/002/600002002001/"
         "TB1tmdesc01.desc%7Cvar%5Edesc%3Bsign%5Ecd34ef56%3Blang%5Egbk%3Bt%5E1577836800",
         "tmall_desc.js",
         {"https://img.alicdn.com/imgextra/i1/2206655443/O1CN01tmDesc1_!!2206655443.jpg",
          "https://img.alicdn.com/imgextra/i2/2206655443/O1CN01tmDesc2_!!2206655443.jpg",
          "https://img.alicdn.com/imgextra/i3/2206655443/O1CN01tmDesc3_!!2206655443.gif",
          "http://img.alicdn.com/imgextra/i4/2206655443/O1CN01tmDesc4_!!2206655443.png"},
         "A0.jpg"},
        {"real/ali1688_offer_served_gbk.html",
         "https://detail.1688.com/offer/610003003001.html",
         "text/html",
         {"https://cbu01.alicdn.com/img/ibank/2019/142/552/11844255241_2126953827.jpg",
          "https://cbu01.alicdn.com/img/ibank/2019/143/552/11844255242_2126953827.jpg",
          "https://cbu01.alicdn.com/img/ibank/2019/144/552/11844255243_2126953827.jpg"},
         "https://img.alicdn.com/tfscom/TB1d1688desc01",
         "ali1688_desc.js",
         {"https://cbu01.alicdn.com/img/ibank/2019/150/552/11844255250_2126953827.jpg",
          "https://cbu01.alicdn.com/img/ibank/2019/151/552/11844255251_2126953827.jpg",
          "http://cbu01.alicdn.com/img/ibank/2019/152/552/11844255252_2126953827.jpg"},
         "A1.jpg"},
        {"real/taobao_item_saved_utf8.html",
         "",
         "",
         {"https://gd2.alicdn.com/imgextra/i1/2200711111/O1CN01sdA_!!2200711111.jpg",
          "https://gd2.alicdn.com/imgextra/i2/2200711111/O1CN01sdB_!!2200711111.jpg",
          "https://gd2.alicdn.com/imgextra/i3/2200711111/O1CN01sdC_!!2200711111.jpg"},
         "https://desc.alicdn.com/i1/588/001/588001001002/"
         "TB1dQtb02.desc%7Cvar%5Edesc%3Bsign%5Eef56ab78%3Blang%5Egbk%3Bt%5E1590969600",
         "taobao_saved_desc.js",
         {"https://img.alicdn.com/imgextra/i4/2200711111/O1CN01sdDesc1_!!2200711111.jpg",
          "https://img.alicdn.com/imgextra/i1/2200711111/O1CN01sdDesc2_!!2200711111.png"},
         "A0.jpg"},
        {"real/ali1688_offer_saved_utf8.html",
         "",
         "",
         {"https://cbu01.alicdn.com/img/ibank/2020/511/733/12000000011_987654321.jpg",
          "https://cbu01.alicdn.com/img/ibank/2020/512/733/12000000012_987654321.jpg"},
         "https://img.alicdn.com/tfscom/TB1d1688desc02",
         "ali1688_saved_desc.js",
         {"https://cbu01.alicdn.com/img/ibank/2020/520/733/12000000020_987654321.jpg"},
         "A1.jpg"},
        // Over http: the test certificate names no host as deep as market.m.taobao.com.
        {"embedded/tmall_ice_served.html",
         "http://detail.tmall.com/item.htm?id=700000300301",
         "text/html;charset=utf-8",
         {"https://img.alicdn.com/imgextra/i1/2201168000001/O1CN01qhRobA_!!2201168000001.jpg",
          "https://img.alicdn.com/imgextra/i2/2201168000001/O1CN01qhRobB_!!2201168000001.jpg",
          "https://img.alicdn.com/imgextra/i3/2201168000001/O1CN01qhRobC_!!2201168000001.jpg",
          "https://gw.alicdn.com/bao/uploaded/i1/2201168000001/O1CN01qhSkuWhite_!!2201168000001.jpg",
          "https://gw.alicdn.com/bao/uploaded/i2/2201168000001/O1CN01qhSkuBlack_!!2201168000001.jpg"},
         "http://market.m.taobao.com/app/detail-project/desc/index.html?id=700000300301",
         kTmallIceDescription,
         {"https://img.alicdn.com/imgextra/i1/2201168000001/O1CN01qhRobDesc1_!!2201168000001.jpg",
          "https://img.alicdn.com/imgextra/i2/2201168000001/O1CN01qhRobDesc2_!!2201168000001.png"},
         "A0.jpg"},
        {"embedded/taobao_ice_saved.html",
         "",
         "",
         {"https://img.alicdn.com/imgextra/i4/3900218802/O1CN01qhDressA_!!3900218802.jpg",
          "https://img.alicdn.com/imgextra/i1/3900218802/O1CN01qhDressB_!!3900218802.jpg",
          "https://img.alicdn.com/imgextra/i2/3900218802/O1CN01qhDressC_!!3900218802.png",
          "https://img.alicdn.com/imgextra/i3/3900218802/O1CN01qhDressD_!!3900218802.jpg",
          "https://gw.alicdn.com/bao/uploaded/i4/3900218802/O1CN01qhSkuBlue_!!3900218802.jpg",
          "https://gw.alicdn.com/bao/uploaded/i1/3900218802/O1CN01qhSkuCream_!!3900218802.jpg"},
         "",
         "",
         {},
         ""},
        {"embedded/ali1688_offer_served.html",
         "https://detail.1688.com/offer/710000000101.html",
         "text/html;charset=utf-8",
         {"https://cbu01.alicdn.com/img/ibank/O1CN01qhMugA_!!2209000000101-0-cib.jpg",
          "https://cbu01.alicdn.com/img/ibank/O1CN01qhMugB_!!2209000000101-0-cib.jpg",
          "https://cbu01.alicdn.com/img/ibank/O1CN01qhMugC_!!2209000000101-0-cib.png",
          "https://cbu01.alicdn.com/img/ibank/O1CN01qhMugD_!!2209000000101-0-cib.jpg",
          "https://cbu01.alicdn.com/img/ibank/O1CN01qhSkuBlue_!!2209000000101-0-cib.jpg",
          "https://cbu01.alicdn.com/img/ibank/O1CN01qhSkuGreen_!!2209000000101-0-cib.jpg",
          "https://cbu01.alicdn.com/img/ibank/O1CN01qhSkuPink_!!2209000000101-0-cib.jpg"},
         "https://itemcdn.tmall.com/1688offer/icoss71000000010100qh0a1b2c3d",
         k1688OfferDescription,
         {"https://cbu01.alicdn.com/img/ibank/O1CN01qhMugDesc1_!!2209000000101-0-cib.jpg",
          "https://cbu01.alicdn.com/img/ibank/O1CN01qhMugDesc2_!!2209000000101-0-cib.gif"},
         "A1.jpg"},
        {"embedded/ali1688_logged_out_saved.html",
         "",
         "",
         {"https://cbu01.alicdn.com/img/ibank/O1CN01qhToyA_!!2209000000303-0-cib.jpg",
          "https://cbu01.alicdn.com/img/ibank/O1CN01qhToyB_!!2209000000303-0-cib.jpg",
          "https://cbu01.alicdn.com/img/ibank/O1CN01qhToyRed_!!2209000000303-0-cib.jpg",
          "https://cbu01.alicdn.com/img/ibank/O1CN01qhToyYellow_!!2209000000303-0-cib.jpg"},
         "",
         "",
         {},
         ""},
    };
    return cases;
}

class RealItemPages : public ::testing::Test {
public:
protected:
    void SetUp() override {
        root = fs::temp_directory_path() /
               ("qinghe-real-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        save = root / "save";
        fs::create_directories(save / kBatch);
        controls.save_folder = save.string();
        controls.options[OptionBox::ExportDataPackage] = false;
        controls.options[OptionBox::DownloadOtherPictures] = false;
        controls.options[OptionBox::ShowItemTitle] = false;
        controls.options[OptionBox::RemoveHyperlinks] = false;
    }
    void TearDown() override {
        set_connect_to({});
        set_extra_ca_file({});
        fs::remove_all(root);
    }

    // Serves a tiny picture at every address the text names (thumbnails,
    // recommended items, icons and trackers too), so that a harvest saving
    // more than the item's pictures is seen.
    void serve_every_picture_of(const std::string& text) {
        static const std::regex address(R"((https?:)?//([A-Za-z0-9.-]+\.[a-z]+)(/[^"'\s()<>\\]*))");
        for (auto it = std::sregex_iterator(text.begin(), text.end(), address);
             it != std::sregex_iterator(); ++it) {
            Place place = place_of("https:" + it->str().substr(it->str().find("//")));
            if (market.body(place.host, place.path).empty()) {
                market.add(place.host, place.path,
                           demo::tiny_picture("jpg", place.host + place.path));
            }
        }
    }
    void serve(const std::string& address, const std::string& body, const std::string& type) {
        Place place = place_of(address);
        market.add(place.host, place.path, body, type);
    }
    void start() {
        ASSERT_TRUE(market.start());
        front = std::make_unique<TlsFront>(market.port());
        ASSERT_TRUE(front->start());
        std::vector<std::string> routes = market.routes();
        for (const std::string& route : front->routes(market.hosts())) routes.push_back(route);
        set_connect_to(routes);
        set_extra_ca_file(test_support::test_authority_file());
    }
    void harvest(const std::string& line) {
        BatchJob& job = window->job();
        job.current_address = line;
        job.batch_folder_name = kBatch;
        job.current_index = 1;
        job.address_count = 1;
        job.progress_tag = "1/1";
        harvest_item(*window);
    }
    std::string body(const std::string& address) const {
        Place place = place_of(address);
        return market.body(place.host, place.path);
    }
    // The one item folder the harvest made.
    fs::path item_folder() const {
        std::vector<fs::path> folders;
        for (const auto& entry : fs::directory_iterator(save / kBatch))
            folders.push_back(entry.path());
        EXPECT_EQ(folders.size(), 1u);
        return folders.empty() ? fs::path{} : folders.front();
    }
    std::set<std::string> files_in(const fs::path& folder) const {
        std::set<std::string> names;
        if (!fs::exists(folder)) return names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.insert(entry.path().filename().string());
        return names;
    }

    FakeMarket market;
    std::unique_ptr<TlsFront> front;
    RecordingWindow controls;
    std::shared_ptr<MainWindow> window = make_recording_main_window(controls);
    fs::path root;
    fs::path save;
};

class ItemPages : public RealItemPages, public ::testing::WithParamInterface<size_t> {};

TEST_P(ItemPages, GalleryAndSkuPicturesAtFullSizeAndTheDescriptionMadeLocal) {
    const ItemPageCase& c = item_page_cases()[GetParam()];
    const std::string page = fixture(c.fixture);
    ASSERT_FALSE(page.empty());
    for (const auto* list : {&c.main_pictures, &c.description_pictures}) {
        for (const std::string& address : *list) {
            serve(address, demo::tiny_picture(extension_of(address).substr(1), address),
                  "image/jpeg");
        }
    }
    serve_every_picture_of(page);
    std::string answer;
    if (*c.description_address) {
        const bool is_fixture = std::string(c.description_answer).find('<') == std::string::npos;
        answer = is_fixture ? fixture(std::string("real/") + c.description_answer)
                            : c.description_answer;
        serve(c.description_address, answer, "application/javascript");
        serve_every_picture_of(answer);
    }
    std::string line;
    if (*c.address) {
        serve(c.address, page, c.content_type);
        line = c.address;
    } else {
        line = (fs::path(QINGHE_FIXTURES_DIR) / c.fixture).string();
    }
    start();
    harvest(line);

    const fs::path folder = item_folder();
    std::set<std::string> expected_main;
    for (size_t i = 0; i < c.main_pictures.size(); ++i) {
        const std::string name = std::to_string(i + 1) + extension_of(c.main_pictures[i]);
        expected_main.insert(name);
        EXPECT_EQ(file_bytes(folder / "主图及属性图" / name), body(c.main_pictures[i])) << name;
    }
    EXPECT_EQ(files_in(folder / "主图及属性图"), expected_main);

    std::set<std::string> expected_description;
    const std::string description_page = file_bytes(folder / "宝贝描述" / "详情.html");
    // "A0" or "A1"; a case without description pictures names none.
    const std::string_view first_name = c.first_description_name;
    const int first = first_name.size() > 1 ? first_name[1] - '0' : 0;
    for (size_t i = 0; i < c.description_pictures.size(); ++i) {
        const std::string name =
            "A" + std::to_string(first + i) + extension_of(c.description_pictures[i]);
        expected_description.insert(name);
        EXPECT_EQ(file_bytes(folder / "宝贝描述" / name), body(c.description_pictures[i])) << name;
        EXPECT_NE(description_page.find(gbk("file://" + (folder / "宝贝描述" / name).string())),
                  std::string::npos)
            << name;
        EXPECT_EQ(description_page.find(place_of(c.description_pictures[i]).path),
                  std::string::npos)
            << name;
    }
    if (!c.description_pictures.empty()) expected_description.insert("详情.html");
    std::set<std::string> description_files = files_in(folder / "宝贝描述");
    description_files.erase("详情.html");
    expected_description.erase("详情.html");
    EXPECT_EQ(description_files, expected_description);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ItemPages,
                         ::testing::Range<size_t>(0, item_page_cases().size()));

// A page saved from the browser names its item: the folder takes the id, the
// record file the item address; a file:// line reads the same page.
TEST_F(RealItemPages, SavedPageTakesTheItemAddressFromThePage) {
    const std::string path =
        (fs::path(QINGHE_FIXTURES_DIR) / "real/taobao_item_saved_utf8.html").string();
    for (const std::string& address : item_page_cases()[3].main_pictures) {
        serve(address, demo::tiny_picture("jpg", address), "image/jpeg");
    }
    serve_every_picture_of(fixture("real/taobao_item_saved_utf8.html"));
    start();
    for (const std::string& line : {path, "file://" + path}) {
        SCOPED_TRACE(line);
        fs::remove_all(save / kBatch);
        fs::create_directories(save / kBatch);
        harvest(line);
        const fs::path folder = save / kBatch / "588001001002_青禾淘图";
        EXPECT_EQ(
            file_bytes(folder / "淘图记录.txt"),
            gbk("2020新款女士真丝连衣裙") + "\r\nhttps://item.taobao.com/item.htm?id=588001001002");
        EXPECT_EQ(files_in(folder / "主图及属性图").size(), 3u);
    }
}

// Answers in place of the item: reported, no folders, no row.
TEST_F(RealItemPages, BlockedPagesAreReportedAndLeaveNothing) {
    const char* const blocked[] = {
        "blocked_1688_security_x5.html",   "blocked_taobao_slider.html",
        "blocked_taobao_antispider.json",  "blocked_taobao_login_redirect.html",
        "blocked_tmall_sec_redirect.html", "blocked_taobao_punish.html"};
    for (const char* name : blocked) {
        serve(std::string("https://item.taobao.com/") + name, fixture(std::string("real/") + name),
              "text/html");
    }
    controls.options[OptionBox::ExportDataPackage] = true;
    start();
    for (const char* name : blocked) {
        SCOPED_TRACE(name);
        controls.status.clear();
        harvest(std::string("https://item.taobao.com/") + name + "?id=588001001009");
        EXPECT_EQ(controls.status,
                  gbk("（1/1）被网站拦截，请在浏览器中打开宝贝页面并另存为网页后拖入本软件"));
        EXPECT_TRUE(fs::is_empty(save / kBatch));
    }
}

}  // namespace
}  // namespace qinghe
