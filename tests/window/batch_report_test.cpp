#include "window/batch_report.h"

#include <gtest/gtest.h>

#include "support/gbk_literal.h"

namespace qinghe {
namespace {

using test_support::gbk;

// One batch with each kind of line: an item with saved, skipped and failed
// pictures, a picture address that answered a page, an item that was
// blocked, and a package whose picture timed out; fields with a comma and
// with quotes; a file outside the batch folder.
void record_sample(BatchOutcome& outcome, const Text& folder) {
    const Text item = "http://item.taobao.com/item.htm?id=1,2";
    outcome.begin_address(1, item, AddressKind::Item);
    outcome.picture_saved(1, "http://img.example/a.jpg",
                          folder + gbk("1_青禾淘图\\主图及属性图\\1.jpg"));
    outcome.picture_skipped(1, "http://img.example/b.jpg",
                            folder + gbk("1_青禾淘图\\主图及属性图\\2.jpg"));
    outcome.picture_failed(1, "http://img.example/c.jpg",
                           folder + gbk("1_青禾淘图\\主图及属性图\\3.jpg"),
                           {FailureReason::HttpStatus, 404});
    outcome.begin_address(2, "http://img.example/p.jpg_.webp", AddressKind::Picture);
    outcome.picture_failed(2, "http://img.example/p.jpg", folder + "p.jpg",
                           {FailureReason::NotAPicture});
    outcome.begin_address(3, "http://item.taobao.com/item.htm?id=3", AddressKind::Item);
    outcome.picture_failed(3, "http://img.example/e.jpg", "", {FailureReason::Broken});
    outcome.address_failed(3, {FailureReason::Blocked});
    outcome.begin_address(4, gbk("/home/u/货品.csv"), AddressKind::Package);
    outcome.picture_failed(4, "http://img.example/say \"hi\".jpg", "E:\\other\\x.jpg",
                           {FailureReason::TimedOut});
    outcome.picture_failed(4, "http://img.example/c.jpg", "", {FailureReason::HttpStatus, 404});
}

std::vector<AddressRecord> sample_records(const Text& folder) {
    BatchOutcome outcome;
    record_sample(outcome, folder);
    return outcome.records();
}

const Text kFolder = gbk("D:\\save\\20131117800共淘图4个地址\\");

TEST(BatchReport, OneSpreadsheetLinePerPictureAndPerFailedAddress) {
    const Text q = "\"http://item.taobao.com/item.htm?id=1,2\"";
    const Text expected =
        gbk("序号,类型,地址,图片地址,结果,原因,文件\r\n") + gbk("1,宝贝,") + q +
        gbk(",http://img.example/a.jpg,已保存,,1_青禾淘图\\主图及属性图\\1.jpg\r\n") +
        gbk("1,宝贝,") + q +
        gbk(",http://img.example/b.jpg,已存在,,1_青禾淘图\\主图及属性图\\2.jpg\r\n") +
        gbk("1,宝贝,") + q +
        gbk(",http://img.example/c.jpg,失败,HTTP状态404,1_青禾淘图\\主图及属性图\\3.jpg\r\n") +
        gbk("2,图片,http://img.example/p.jpg_.webp,http://img.example/"
            "p.jpg,失败,不是图片,p.jpg\r\n") +
        gbk("3,宝贝,http://item.taobao.com/item.htm?id=3,,失败,被拦截,\r\n") +
        gbk("3,宝贝,http://item.taobao.com/item.htm?id=3,http://img.example/"
            "e.jpg,失败,连接中断,\r\n") +
        gbk("4,数据包,/home/u/货品.csv,\"http://img.example/say "
            "\"\"hi\"\".jpg\",失败,超时,E:\\other\\x.jpg\r\n") +
        gbk("4,数据包,/home/u/货品.csv,http://img.example/c.jpg,失败,HTTP状态404,\r\n");
    EXPECT_EQ(outcome_report_csv(sample_records(kFolder), kFolder), expected);
}

TEST(BatchReport, AnEmptyBatchHasOnlyTheHeader) {
    EXPECT_EQ(outcome_report_csv({}, kFolder), gbk("序号,类型,地址,图片地址,结果,原因,文件\r\n"));
}

TEST(BatchReport, FailedListHoldsWhatToRunAgainEachOnce) {
    // The blocked item is listed itself, not its picture; the picture that
    // failed in two places is listed once.
    const Text expected =
        "http://img.example/c.jpg\r\n"
        "http://img.example/p.jpg\r\n"
        "http://item.taobao.com/item.htm?id=3\r\n"
        "http://img.example/say \"hi\".jpg\r\n";
    EXPECT_EQ(failed_address_list(sample_records(kFolder)), expected);
}

TEST(BatchReport, FailedListOfAPackageThatCouldNotBeReadIsItsPath) {
    BatchOutcome outcome;
    outcome.begin_address(1, gbk("/home/u/货品.csv"), AddressKind::Package);
    outcome.address_failed(1, {FailureReason::Other});
    outcome.begin_address(2, "http://item.taobao.com/item.htm?id=2", AddressKind::Item);
    outcome.picture_saved(2, "http://img.example/a.jpg", "");
    EXPECT_EQ(failed_address_list(outcome.records()), gbk("/home/u/货品.csv\r\n"));
}

TEST(BatchReport, EveryReasonReadsInTheReasonColumn) {
    const std::pair<Failure, const char*> cases[] = {
        {{FailureReason::None}, ""},
        {{FailureReason::HttpStatus, 503}, "HTTP状态503"},
        {{FailureReason::TimedOut}, "超时"},
        {{FailureReason::Broken}, "连接中断"},
        {{FailureReason::NoConnection}, "无法连接"},
        {{FailureReason::Refused}, "地址被拒绝"},
        {{FailureReason::TooManyRedirects}, "重定向过多"},
        {{FailureReason::TooLarge}, "文件过大"},
        {{FailureReason::NotAPicture}, "不是图片"},
        {{FailureReason::Blocked}, "被拦截"},
        {{FailureReason::NotWritten}, "无法写入"},
        {{FailureReason::Other}, "其他错误"},
    };
    for (const auto& [failure, text] : cases) {
        EXPECT_EQ(failure_text(failure), gbk(text)) << text;
    }
}

TEST(BatchReport, SummaryLineAndFailedCount) {
    OutcomeCounts counts;
    counts.addresses = 5;
    counts.items = 3;
    counts.addresses_failed = 1;
    counts.pictures_saved = 12;
    counts.pictures_skipped = 2;
    counts.pictures_failed = 4;
    EXPECT_EQ(outcome_summary_text(counts),
              gbk("共5个地址（宝贝3个），地址失败1个；图片新保存12个，已存在2个，失败4个"));
    EXPECT_EQ(failed_count_suffix(counts), gbk("，失败5个"));
    counts.addresses_failed = 0;
    counts.pictures_failed = 0;
    EXPECT_EQ(failed_count_suffix(counts), "");
}

}  // namespace
}  // namespace qinghe
