// The Composite file on disk after every row: the bytes a whole rewrite
// gives, also when an append breaks off midway or the folder is missing.
#include "harvest/composite_file.h"
#include "harvest/composite_package.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "base/files.h"
#include "base/native_path.h"
#include "package/package_format.h"
#include "support/file_bytes.h"
#include "support/gbk_literal.h"

namespace qinghe {
namespace {

namespace fs = std::filesystem;
using test_support::file_bytes;
using test_support::gbk;

class CompositeFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "qinghe-composite-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_root = pattern;
        ASSERT_TRUE(from_native_path(m_root.string(), m_program_root));
    }
    void TearDown() override { fs::remove_all(m_root); }

    Text program_path(const std::string& name) const { return m_program_root + "\\" + name; }
    fs::path native_path(const std::string& native_name) const { return m_root / native_name; }
    std::vector<std::string> listing() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(m_root)) {
            names.push_back(e.path().filename().string());
        }
        return names;
    }

    // Rows as a real batch has them: GBK text, quotes, a zero-free binary mix.
    const std::vector<Text> m_rows = {gbk("\"连衣裙\",50010850,\"\"\"引号\"\"\""),
                                      gbk("\"浙江\",\"杭州\""), "\"x\"," + std::string(5000, 'y'),
                                      gbk("\"最后\"")};

private:
    fs::path m_root;
    Text m_program_root;
};

// What writing the whole file from these rows gives, in the given order.
std::string whole_file(const std::vector<Text>& rows, size_t count, RowOrder order) {
    std::string joined;
    for (size_t i = 0; i < count; ++i) {
        const Text line = rows[i] + "\r\n";
        joined = order == RowOrder::OldestFirst ? joined + line : line + joined;
    }
    return package_file_bytes_of_final(joined);
}

TEST_F(CompositeFileTest, AfterEveryRowTheFileIsTheWholeRewrite) {
    for (RowOrder order : {RowOrder::OldestFirst, RowOrder::NewestFirst}) {
        const std::string name = order == RowOrder::OldestFirst ? "oldest.csv" : "newest.csv";
        CompositeFile file(program_path(name), order);
        for (size_t i = 0; i < m_rows.size(); ++i) {
            ASSERT_TRUE(file.add_row(m_rows[i])) << name << " " << i;
            EXPECT_EQ(file_bytes(native_path(name)), whole_file(m_rows, i + 1, order))
                << name << " " << i;
        }
    }
}

TEST_F(CompositeFileTest, OldestFirstWritesTheFileOnce) {
    CompositeFile file(program_path("c.csv"), RowOrder::OldestFirst);
    for (const Text& row : m_rows) ASSERT_TRUE(file.add_row(row));
    EXPECT_EQ(file.bytes_written(), static_cast<long long>(fs::file_size(native_path("c.csv"))));
}

TEST_F(CompositeFileTest, AnAppendBrokenOffMidwayEndsInACompleteFile) {
    int appends = 0;
    // The second append writes half its bytes and fails.
    auto breaking = [&appends](std::string_view name, std::string_view data) {
        if (++appends != 2) return append_file(name, data);
        append_file(name, data.substr(0, data.size() / 2));
        return false;
    };
    CompositeFile file(program_path("c.csv"), RowOrder::OldestFirst, breaking);
    for (size_t i = 0; i < m_rows.size(); ++i) {
        EXPECT_TRUE(file.add_row(m_rows[i])) << i;
        EXPECT_EQ(file_bytes(native_path("c.csv")),
                  whole_file(m_rows, i + 1, RowOrder::OldestFirst))
            << i;
    }
    // Rows 2 to 4 were appended; row 3's broken append was answered by a rewrite.
    EXPECT_EQ(appends, 3);
    EXPECT_EQ(listing(), std::vector<std::string>{"c.csv"});  // no temporary file left
}

TEST_F(CompositeFileTest, AMissingFolderFailsUntilItExistsThenTheWholeFileIsWritten) {
    CompositeFile file(program_path("later\\c.csv"), RowOrder::OldestFirst);
    EXPECT_FALSE(file.add_row(m_rows[0]));
    EXPECT_FALSE(file.add_row(m_rows[1]));
    fs::create_directory(native_path("later"));
    EXPECT_TRUE(file.add_row(m_rows[2]));
    EXPECT_EQ(file_bytes(native_path("later/c.csv")), whole_file(m_rows, 3, RowOrder::OldestFirst));
    EXPECT_TRUE(file.add_row(m_rows[3]));
    EXPECT_EQ(file_bytes(native_path("later/c.csv")), whole_file(m_rows, 4, RowOrder::OldestFirst));
}

TEST_F(CompositeFileTest, NewestFirstIsWrittenAtDoubledRowCountsAndCompletedByFlush) {
    std::vector<Text> rows = m_rows;
    for (int i = 0; i < 5; ++i)
        rows.push_back(gbk("\"第") + std::to_string(i) + "\"," + std::string(300 * i, 'z'));
    struct Case {
        int failing_write;                 // 0: none fails
        std::vector<size_t> rows_on_disk;  // after each add_row
    };
    const Case cases[] = {
        {0, {1, 2, 2, 4, 4, 4, 4, 8, 8}},
        // The write after row 2 fails: the file keeps row 1 whole, and the
        // next row brings it up to date at once.
        {2, {1, 1, 3, 3, 3, 6, 6, 6, 6}},
    };
    for (const Case& c : cases) {
        int writes = 0;
        auto writer = [&](std::string_view name, std::initializer_list<std::string_view> parts) {
            return ++writes != c.failing_write && write_file(name, parts);
        };
        CompositeFile file(program_path("c.csv"), RowOrder::NewestFirst, {}, Rewrites::WhenDoubled,
                           writer);
        for (size_t i = 0; i < rows.size(); ++i) {
            file.add_row(rows[i]);
            EXPECT_EQ(file_bytes(native_path("c.csv")),
                      whole_file(rows, c.rows_on_disk[i], RowOrder::NewestFirst))
                << c.failing_write << " " << i;
        }
        EXPECT_TRUE(file.flush());
        const std::string final_bytes = whole_file(rows, rows.size(), RowOrder::NewestFirst);
        EXPECT_EQ(file_bytes(native_path("c.csv")), final_bytes) << c.failing_write;
        EXPECT_LT(file.bytes_written(), 3 * static_cast<long long>(final_bytes.size()));
        const int writes_before = writes;
        EXPECT_TRUE(file.flush());  // complete already: nothing written
        EXPECT_EQ(writes, writes_before);
        EXPECT_EQ(listing(), std::vector<std::string>{"c.csv"});
    }
}

// The batch's file through the package stage's entry: completed at the
// batch's end, by a row that comes after that, and when the folder changes.
TEST_F(CompositeFileTest, TheBatchFileIsCompleteAfterFlushLateRowsAndMoves) {
    std::string rows;  // the data package's rows, newest first
    auto add = [&](const std::string& name, size_t n) {
        const std::string earlier = rows;
        rows = m_rows[n] + "\r\n" + rows;
        add_composite_package_row(program_path(name), m_rows[n], earlier);
    };
    auto whole = [this](size_t count) { return whole_file(m_rows, count, RowOrder::NewestFirst); };
    for (size_t n = 0; n < 3; ++n) add("a.csv", n);
    flush_composite_package();
    EXPECT_EQ(file_bytes(native_path("a.csv")), whole(3));
    add("a.csv", 3);  // a stopped batch's last item, exported after the flush
    EXPECT_EQ(file_bytes(native_path("a.csv")), whole(4));

    // A new batch starts its own file; the save folder changing after its
    // second row moves it to c.csv, and b.csv keeps the two rows complete.
    rows.clear();
    for (size_t n = 0; n < 3; ++n) add(n < 2 ? "b.csv" : "c.csv", n);
    EXPECT_EQ(file_bytes(native_path("a.csv")), whole(4));
    EXPECT_EQ(file_bytes(native_path("b.csv")), whole(2));
    EXPECT_EQ(file_bytes(native_path("c.csv")), whole(3));
    flush_composite_package();
}

}  // namespace
}  // namespace qinghe
