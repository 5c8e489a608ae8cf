// One batch of the fake marketplace's items, single pictures and a dropped
// package, run with one transfer at a time and with the prefetch window:
// the same files, the same window writes in the same order (file list box
// lines, counter labels, statuses), and no picture fetched more often.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "base/date_time.h"
#include "base/encoding.h"
#include "base/prefetch.h"
#include "base/web.h"
#include "demo/fake_market.h"
#include "engine/dispatcher.h"
#include "engine_fixture.h"
#include "support/csv_reader.h"
#include "support/recording_window.h"
#include "window/job_options.h"

namespace qinghe {
namespace {

namespace fs = std::filesystem;
using namespace engine_test;
using test_support::RecordingWindow;

struct Address {
    std::string host;
    std::string path;
};

Address split_address(const std::string& address) {
    const std::string rest = address.substr(std::string("http://").size());
    const size_t slash = rest.find('/');
    return {rest.substr(0, slash), rest.substr(slash)};
}

// Every file under root with its bytes, by path relative to root.
std::map<std::string, std::string> tree(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) {
            files[fs::relative(entry.path(), root).string()] = file_bytes(entry.path());
        }
    }
    return files;
}

class ParallelBatch : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(folder.path().empty());
        demo::add_demo_items(market);
        // Every third picture of the market arrives empty: it fails and
        // takes no number, so later names depend on the failures.
        for (const demo::MarketItem& item : demo::demo_items()) {
            for (const auto* list :
                 {&item.main_pictures, &item.description_pictures, &item.style_sheet_pictures}) {
                pictures.insert(pictures.end(), list->begin(), list->end());
            }
        }
        for (size_t i = 2; i < pictures.size(); i += 3) {
            const Address a = split_address(pictures[i]);
            market.add(a.host, a.path, "");
        }
        ASSERT_TRUE(market.start());
        market.route_hosts();
    }
    void TearDown() override {
        set_parallel_transfers(m_parallel_before);
        set_connect_to({});
    }

    // The address box: the items (the first two again, their files all on
    // disk then), a run of single pictures (one twice), a dropped package.
    Text address_box() const {
        const auto& items = demo::demo_items();
        std::string package = "<p><img src=\"" + items[0].description_pictures[0] +
                              "\"><img src=\"" + items[1].description_pictures[2] +
                              "\"></p>,\"x:1:0:|" + items[2].main_pictures[0].substr(7) +
                              ";y:1:1:|" + items[1].main_pictures[1].substr(7) + ";\"";
        const std::string ucs2 = "\xFF\xFE" + convert_encoding(package, "UTF-8", "UCS-2LE");
        const fs::path package_file = folder.path() / "drop.csv";
        std::ofstream(package_file, std::ios::binary) << ucs2;

        std::vector<std::string> lines;
        for (const auto& item : items) lines.push_back(item.address);
        lines.push_back(items[0].address);
        lines.push_back(items[1].address);
        for (size_t i = 0; i < 8; ++i) lines.push_back(pictures[i]);
        lines.push_back(pictures[1]);
        lines.push_back(package_file.string());
        Text box;
        for (const std::string& line : lines) box += line + "\r\n";
        return box;
    }

    struct Run {
        std::map<std::string, std::string> files;
        std::vector<std::string> events;
        std::map<std::string, int> picture_requests;
    };

    Run run(int parallel, bool smart_layout) {
        set_parallel_transfers(parallel);
        const fs::path save = folder.path() / "save";
        fs::remove_all(save);
        fs::create_directories(save);
        std::map<std::string, int> requests_before = picture_requests();

        RecordingWindow fake;
        from_native_path(save.string(), fake.save_folder);
        fake.options = {
            {OptionBox::DownloadMainPictures, true},  {OptionBox::DownloadDetailPictures, true},
            {OptionBox::DownloadOtherPictures, true}, {OptionBox::SmartCategorySave, smart_layout},
            {OptionBox::ShowItemTitle, true},         {OptionBox::ExportDataPackage, true}};
        fake.address = address_box();
        auto window = test_support::make_recording_main_window(fake);
        set_clock([] { return make_date_time(2024, 3, 5, 10, 20, 30); });
        start_batch(*window);
        const bool ended = test_support::run_recording_batch(*window, fake, dispatch_next);
        set_clock({});
        EXPECT_TRUE(ended);

        // What the user reads, in order. The progress bar's last step and the
        // dispatch timer come from two threads and may swap places.
        std::vector<std::string> shown;
        for (const std::string& event : fake.events) {
            if (!event.starts_with("progress:") && !event.starts_with("timer:"))
                shown.push_back(event);
        }
        Run result{tree(save), shown, picture_requests()};
        for (auto& [address, count] : result.picture_requests) count -= requests_before[address];
        return result;
    }

    std::map<std::string, int> picture_requests() const {
        std::map<std::string, int> counts;
        for (const std::string& p : pictures) {
            const Address a = split_address(p);
            counts[p] = market.request_count(a.host, a.path);
        }
        return counts;
    }

    TempFolder folder;
    demo::FakeMarket market;
    std::vector<std::string> pictures;

private:
    int m_parallel_before = parallel_transfers();
};

TEST_F(ParallelBatch, OneTransferAtATimeAndTheWindowGiveTheSameBatch) {
    for (bool smart_layout : {true, false}) {
        const Run one = run(1, smart_layout);
        const Run six = run(6, smart_layout);
        EXPECT_EQ(one.files, six.files) << smart_layout;
        EXPECT_EQ(one.events, six.events) << smart_layout;
        EXPECT_EQ(one.picture_requests, six.picture_requests) << smart_layout;

        // The batch did what the comparison is about: failures left gaps,
        // and the Composite file holds all five items' rows although the
        // last rows came after its last doubling.
        int saved = 0;
        for (const auto& [name, bytes] : one.files) saved += name.ends_with(".jpg") ? 1 : 0;
        EXPECT_GT(saved, 5);
        std::string composite;
        for (const auto& [name, bytes] : one.files) {
            if (name.ends_with(".csv") && name.find("drop") == std::string::npos) composite = bytes;
        }
        const auto records = test_support::read_csv(composite);
        EXPECT_EQ(records.size(), 3u + 5u) << smart_layout;
    }
}

}  // namespace
}  // namespace qinghe
