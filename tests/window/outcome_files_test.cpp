#include "window/outcome_files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "base/native_path.h"
#include "support/gbk_literal.h"
#include "window/batch_report.h"

namespace qinghe {
namespace {

namespace fs = std::filesystem;
using test_support::gbk;

const std::set<std::string> kBothFiles = {"淘图报告.csv", "失败地址.txt"};

// A fresh folder, in native and in program form (with its closing "\\").
class ReportFolder : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "qinghe-report-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        native = pattern;
        ASSERT_TRUE(from_native_path(native.string(), program));
        program += "\\";
    }
    void TearDown() override { fs::remove_all(native); }

    std::set<std::string> names() const {
        std::set<std::string> out;
        for (const auto& entry : fs::directory_iterator(native)) {
            out.insert(entry.path().filename().string());
        }
        return out;
    }
    std::string read(const std::string& name) const {
        std::ifstream in(native / name, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }
    std::string report() const { return read("淘图报告.csv"); }
    std::string failed_list() const { return read("失败地址.txt"); }

    fs::path native;
    Text program;
};

TEST_F(ReportFolder, WritesBothFilesWholeIntoTheBatchFolder) {
    BatchOutcome outcome;
    outcome.begin_address(1, "http://item.taobao.com/item.htm?id=1", AddressKind::Item);
    outcome.picture_saved(1, "http://img.example/a.jpg", program + gbk("1_青禾淘图\\1.jpg"));
    outcome.picture_failed(1, "http://img.example/b.jpg", program + gbk("1_青禾淘图\\2.jpg"),
                           {FailureReason::NotAPicture});
    ASSERT_TRUE(write_outcome_files_if_failed(program, outcome));
    EXPECT_EQ(names(), kBothFiles);
    EXPECT_EQ(report(), gbk("序号,类型,地址,图片地址,结果,原因,文件\r\n"
                            "1,宝贝,http://item.taobao.com/item.htm?id=1,http://img.example/a.jpg,"
                            "已保存,,1_青禾淘图\\1.jpg\r\n"
                            "1,宝贝,http://item.taobao.com/item.htm?id=1,http://img.example/b.jpg,"
                            "失败,不是图片,1_青禾淘图\\2.jpg\r\n"));
    EXPECT_EQ(failed_list(), "http://img.example/b.jpg\r\n");

    // A later write replaces both whole.
    BatchOutcome later;
    later.begin_address(1, "http://img.example/z.jpg", AddressKind::Picture);
    later.picture_failed(1, "http://img.example/z.jpg", "", {FailureReason::TimedOut});
    ASSERT_TRUE(write_outcome_files_if_failed(program, later));
    EXPECT_EQ(names(), kBothFiles);
    EXPECT_EQ(report(), outcome_report_csv(later.records(), program));
    EXPECT_EQ(failed_list(), "http://img.example/z.jpg\r\n");
}

TEST_F(ReportFolder, ABatchWithoutFailuresWritesNothing) {
    BatchOutcome outcome;
    OutcomeFiles files(program);
    EXPECT_TRUE(files.keep_current(outcome));
    outcome.begin_address(1, "http://item.taobao.com/item.htm?id=1", AddressKind::Item);
    outcome.picture_saved(1, "http://img.example/a.jpg", program + "a.jpg");
    EXPECT_TRUE(files.keep_current(outcome));
    outcome.picture_skipped(1, "http://img.example/b.jpg", program + "b.jpg");
    EXPECT_TRUE(files.keep_current(outcome));
    EXPECT_FALSE(files.finish(outcome));
    EXPECT_FALSE(write_outcome_files_if_failed(program, outcome));
    EXPECT_FALSE(write_outcome_files_if_failed(program, BatchOutcome{}));
    EXPECT_TRUE(names().empty());
}

TEST_F(ReportFolder, AMissingFolderIsReported) {
    BatchOutcome outcome;
    outcome.begin_address(1, "http://img.example/p.jpg", AddressKind::Picture);
    outcome.picture_failed(1, "http://img.example/p.jpg", "", {FailureReason::Broken});
    EXPECT_FALSE(write_outcome_files(program + "missing\\", outcome.records()));
    OutcomeFiles files(program + "missing\\");
    EXPECT_FALSE(files.keep_current(outcome));
    EXPECT_TRUE(names().empty());
}

// From the first failure on the files are there and grow with the batch;
// the end writes them whole in batch order.
TEST_F(ReportFolder, KeptCurrentFromTheFirstFailureOn) {
    const Text header = gbk("序号,类型,地址,图片地址,结果,原因,文件\r\n");
    BatchOutcome outcome;
    OutcomeFiles files(program);

    outcome.begin_address(1, "http://item.example/1", AddressKind::Item);
    outcome.picture_saved(1, "http://img.example/a.jpg", program + "a.jpg");
    ASSERT_TRUE(files.keep_current(outcome));
    EXPECT_TRUE(names().empty());

    outcome.begin_address(2, "http://item.example/2", AddressKind::Item);
    outcome.picture_failed(2, "http://img.example/c.jpg", "", {FailureReason::HttpStatus, 404});
    ASSERT_TRUE(files.keep_current(outcome));
    EXPECT_EQ(names(), kBothFiles);
    EXPECT_EQ(
        report(),
        header +
            gbk("1,宝贝,http://item.example/1,http://img.example/a.jpg,已保存,,a.jpg\r\n"
                "2,宝贝,http://item.example/2,http://img.example/c.jpg,失败,HTTP状态404,\r\n"));
    EXPECT_EQ(failed_list(), "http://img.example/c.jpg\r\n");
    ASSERT_TRUE(files.keep_current(outcome));  // nothing new: nothing added
    EXPECT_EQ(failed_list(), "http://img.example/c.jpg\r\n");

    // Address 1 gets a late picture, address 3 fails a picture listed
    // already and a new one, address 4 fails itself.
    outcome.begin_address(3, "http://item.example/3", AddressKind::Item);
    outcome.picture_failed(3, "http://img.example/c.jpg", "", {FailureReason::HttpStatus, 404});
    outcome.picture_failed(3, "http://img.example/d.jpg", "", {FailureReason::TimedOut});
    outcome.picture_skipped(1, "http://img.example/b.jpg", program + "b.jpg");
    outcome.begin_address(4, "http://item.example/4", AddressKind::Item);
    outcome.address_failed(4, {FailureReason::Blocked});
    outcome.picture_failed(4, "http://img.example/e.jpg", "", {FailureReason::Broken});
    ASSERT_TRUE(files.keep_current(outcome));
    EXPECT_EQ(names(), kBothFiles);
    const Text grown =
        header + gbk("1,宝贝,http://item.example/1,http://img.example/a.jpg,已保存,,a.jpg\r\n") +
        gbk("2,宝贝,http://item.example/2,http://img.example/c.jpg,失败,HTTP状态404,\r\n") +
        gbk("3,宝贝,http://item.example/3,http://img.example/c.jpg,失败,HTTP状态404,\r\n") +
        gbk("3,宝贝,http://item.example/3,http://img.example/d.jpg,失败,超时,\r\n") +
        gbk("1,宝贝,http://item.example/1,http://img.example/b.jpg,已存在,,b.jpg\r\n") +
        gbk("4,宝贝,http://item.example/4,,失败,被拦截,\r\n") +
        gbk("4,宝贝,http://item.example/4,http://img.example/e.jpg,失败,连接中断,\r\n");
    EXPECT_EQ(report(), grown);
    EXPECT_EQ(failed_list(),
              "http://img.example/c.jpg\r\nhttp://img.example/d.jpg\r\nhttp://item.example/4\r\n");

    ASSERT_TRUE(files.finish(outcome));
    EXPECT_EQ(names(), kBothFiles);
    EXPECT_EQ(report(), outcome_report_csv(outcome.records(), program));
    EXPECT_EQ(failed_list(), failed_address_list(outcome.records()));
    EXPECT_NE(report(), grown);  // now in batch order
}

}  // namespace
}  // namespace qinghe
