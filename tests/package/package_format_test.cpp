#include "package/package_format.h"

#include <gtest/gtest.h>

#include "package/data_package.h"
#include "support/csv_reader.h"
#include "support/gbk_literal.h"
#include "support/package_fixtures.h"

namespace qinghe {
namespace {

using test_support::fixture;
using test_support::gbk;
using test_support::read_csv;

TEST(PackageHeader, MatchesTheImportFormatByteForByte) {
    const std::string expected = fixture("header.csv");
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(package_header(), expected);

    const auto lines = read_csv(package_header());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], std::vector<std::string>{"version 1.00"});
    ASSERT_EQ(lines[1].size(), 58u);
    ASSERT_EQ(lines[2].size(), 58u);
    EXPECT_EQ(lines[1][41], "is_lighting_consigment");
    EXPECT_EQ(lines[2][55], gbk("sku 条形码"));
}

TEST(FinalRowForm, PlaceholdersBecomeQuotesAfterQuoteRunsCollapse) {
    struct Case {
        std::string row;
        std::string expected;
    };
    const Case cases[] = {
        {"|||abc|||,1,", "\"abc\",1,"},
        {"||||||,", "\"\","},
        {"a\"b", "a\"b"},
        {"a\"\"b", "a\"\"b"},
        {"a\"\"\"b", "a\"\"b"},
        {"a\"\"\"\"b", "a\"\"b"},
        {"a\"\"\"\"\"\"\"b", "a\"\"b"},
        {"|||x\"\"|||", "\"x\"\"\""},  // collapse sees only data quotes
        // alt="" in a description, after doubling: four quotes collapse to two.
        {"|||<img alt=\"\"\"\" src=\"\"a.jpg\"\">|||", "\"<img alt=\"\" src=\"\"a.jpg\"\">\""},
        // "|||" that came with a description reads as one quote.
        {"|||a|||b|||", "\"a\"b\""},
        // 0x81 0x7C is one character; its second byte is no placeholder bar.
        {"|||\x81\x7C|||,", "\"\x81\x7C\","},
        // A quote after a byte that looks like a lead byte (text that is not
        // GBK) is still a quote: a quote is never the second byte of a GBK character.
        {"\x81\"\"\"", "\x81\"\""},
    };
    for (const auto& c : cases) EXPECT_EQ(final_row_form(c.row), c.expected) << c.row;
}

TEST(PackageFileBytes, ConvertsInPlaceAndPrependsHeader) {
    Text row = "|||t|||,0";
    const Bytes bytes = package_file_bytes(row);
    EXPECT_EQ(row, "\"t\",0");
    EXPECT_EQ(bytes, fixture("header.csv") + "\r\n\"t\",0");
}

TEST(DataPackage, CompositeRowsNewestFirstEachConvertedOnce) {
    DataPackage package;
    // A description that starts with a quote: final form holds three quotes
    // in a row, which a second conversion would cut to two.
    package.package_row() = "|||\"\"x|||,A";
    package.add_composite_row();
    EXPECT_EQ(package.package_row(), "\"\"\"x\",A");
    package.package_row() = "|||B|||";
    package.add_composite_row();
    package.package_row() = "|||C|||";
    package.add_composite_row();
    EXPECT_EQ(package.composite_rows(), "\"C\"\r\n\"B\"\r\n\"\"\"x\",A\r\n");

    const auto records = read_csv(package.composite_rows());
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[2][0], "\"x");

    package.reset();
    EXPECT_EQ(package.composite_rows(), "");
    EXPECT_EQ(package.package_row(), "");
}

TEST(DataPackage, GrowsPastItsSpareRoom) {
    DataPackage package;
    std::string expected;
    for (int i = 0; i < 120; ++i) {
        const std::string value(static_cast<size_t>(i * 53 % 3000),
                                static_cast<char>('a' + i % 26));
        package.package_row() = value;
        package.add_composite_row();
        expected = value + "\r\n" + expected;
    }
    EXPECT_EQ(package.composite_rows(), expected);
}

TEST(DataPackage, ResetEmptiesTheProcessWidePackage) {
    data_package().package_row() = "x";
    data_package().add_composite_row();
    reset_data_package();
    EXPECT_EQ(data_package().composite_rows(), "");
    EXPECT_EQ(data_package().package_row(), "");
}

}  // namespace
}  // namespace qinghe
