#include "base/files.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include "base/native_path.h"
#include "support/file_bytes.h"

namespace qinghe {
namespace {

namespace fs = std::filesystem;
using test_support::file_bytes;

#define GBK_SHANGHAI "\xC9\xCF\xBA\xA3"  // 上海
#define UTF8_SHANGHAI "\xE4\xB8\x8A\xE6\xB5\xB7"
#define GBK_YUN "\xDF\x5C"  // 運: second byte is "\\"
#define UTF8_YUN "\xE9\x81\x8B"

// A fresh folder per test. root() is its native path; at() builds a name in
// the program's own form: the folder, "\\", then GBK elements.
class FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "qinghe-files-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_root = pattern;
        ASSERT_TRUE(from_native_path(m_root, m_program_root));
    }
    void TearDown() override { fs::remove_all(m_root); }

    const std::string& root() const { return m_root; }
    Text at(std::string_view program_relative) const {
        return m_program_root + "\\" + std::string(program_relative);
    }

    // Names in a native folder, sorted; hidden leftovers included.
    static std::vector<std::string> listing(const fs::path& folder) {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(folder))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::string m_root;
    Text m_program_root;
};

using Names = std::vector<std::string>;

TEST_F(FilesTest, WritesWholeFilesAndReadsThemBack) {
    const Bytes binary(
        "\x00\x01\xFF\r\n\x1A"
        "end",
        9);
    struct Case {
        const char* name;
        std::initializer_list<std::string_view> parts;
        std::string on_disk;
    };
    const Case cases[] = {
        {"one.bin", {binary}, binary},
        {"parts.txt", {"a", "", "bc", "\r\n"}, "abc\r\n"},
        {"empty.txt", {""}, ""},
        {"nothing.txt", {}, ""},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(write_file(at(c.name), c.parts)) << c.name;
        EXPECT_EQ(file_bytes(fs::path(root()) / c.name), c.on_disk) << c.name;
        EXPECT_EQ(read_file(at(c.name)), c.on_disk) << c.name;
    }
    // No temporary file stays behind.
    EXPECT_EQ(listing(root()), (Names{"empty.txt", "nothing.txt", "one.bin", "parts.txt"}));
}

TEST_F(FilesTest, RewritingTruncates) {
    ASSERT_TRUE(write_file(at("f.txt"), std::string(5000, 'x')));
    ASSERT_TRUE(write_file(at("f.txt"), "short"));
    EXPECT_EQ(file_bytes(fs::path(root()) / "f.txt"), "short");
    EXPECT_EQ(listing(root()), (Names{"f.txt"}));
}

TEST_F(FilesTest, AppendsToExistingFilesOnly) {
    ASSERT_TRUE(write_file(at("f.csv"), "head\r\n"));
    ASSERT_TRUE(append_file(at("f.csv"), "row 1\r\n"));
    ASSERT_TRUE(append_file(at("f.csv"), ""));
    ASSERT_TRUE(append_file(at("f.csv"), std::string_view("\0row 2\r\n", 8)));
    EXPECT_EQ(file_bytes(fs::path(root()) / "f.csv"),
              std::string("head\r\nrow 1\r\n\0row 2\r\n", 21));

    ASSERT_TRUE(create_directory(at("folder")));
    for (const Text& name : {Text(), at("missing.csv"), at("folder"), at("none\\a.csv")}) {
        EXPECT_FALSE(append_file(name, "row")) << name;
    }
    EXPECT_EQ(listing(root()), (Names{"f.csv", "folder"}));
}

TEST_F(FilesTest, AnAppendThatFallsShortIsCutOffAgain) {
    ASSERT_TRUE(write_file(at("f.csv"), "head\r\n"));
    // A file size limit lets the write go only part of the way.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    void (*saved_handler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 10;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const bool appended = append_file(at("f.csv"), "a row longer than the limit\r\n");
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, saved_handler);
    EXPECT_FALSE(appended);
    EXPECT_EQ(file_bytes(fs::path(root()) / "f.csv"), "head\r\n");
}

TEST_F(FilesTest, MapsGbkNamesAndSeparators) {
    ASSERT_TRUE(create_directory(at(GBK_SHANGHAI)));
    ASSERT_TRUE(write_file(at(GBK_SHANGHAI "\\" GBK_YUN ".jpg"), "pic"));
    // 運 stays one character: no folder "\xDF" appears.
    EXPECT_EQ(listing(root()), (Names{UTF8_SHANGHAI}));
    EXPECT_EQ(listing(fs::path(root()) / UTF8_SHANGHAI), (Names{UTF8_YUN ".jpg"}));
    EXPECT_EQ(read_file(at(GBK_SHANGHAI "\\" GBK_YUN ".jpg")), "pic");
}

TEST_F(FilesTest, RefusesWhatCannotBeWritten) {
    ASSERT_TRUE(create_directory(at("folder")));
    const Text cases[] = {
        "", at("missing\\a.txt"),
        at("folder"),    // a folder stands there
        at("folder\\"),  // no file name at all
    };
    for (const Text& name : cases) {
        EXPECT_FALSE(write_file(name, "data")) << name;
    }
    EXPECT_EQ(listing(root()), (Names{"folder"}));
    EXPECT_TRUE(listing(fs::path(root()) / "folder").empty());
}

TEST_F(FilesTest, ReadingWhatIsNotAFileGivesNothing) {
    ASSERT_TRUE(create_directory(at("folder")));
    for (const Text& name : {Text(), at("missing.txt"), at("folder"), at("missing\\x")}) {
        EXPECT_EQ(read_file(name), "") << name;
    }
}

TEST_F(FilesTest, FindsFilesAndFoldersByNameAndWildcard) {
    ASSERT_TRUE(create_directory(at("pics")));
    ASSERT_TRUE(create_directory(at("empty")));
    for (const char* name :
         {"pics\\1.jpg", "pics\\12.gif", "pics\\[1]a.png", "pics\\" GBK_SHANGHAI ".txt"}) {
        ASSERT_TRUE(write_file(at(name), "x"));
    }
    struct Case {
        const char* name;
        bool exists;
    };
    const Case cases[] = {
        {"pics\\1.jpg", true},
        {"pics\\2.jpg", false},
        {"pics", true},
        {"pics\\", true},
        {"empty", true},
        {"missing", false},
        {"pics\\*.jpg", true},
        {"pics\\*.png", true},
        {"pics\\*.bmp", false},
        {"pics\\?.jpg", true},
        {"pics\\?.gif", false},
        {"pics\\1?.gif", true},
        {"pics\\*", true},
        {"empty\\*", false},
        {"missing\\*", false},
        // "[" is an ordinary character, not a set as in shell patterns.
        {"pics\\[1]*", true},
        {"pics\\[12]*", false},
        // "?" is one character, however many bytes it takes.
        {"pics\\?"
         "\xBA\xA3"
         ".txt",
         true},
        {"pics\\??"
         "\xBA\xA3"
         ".txt",
         false},
        {"pics\\"
         "\xC9\xCF"
         "*",
         true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(file_exists(at(c.name)), c.exists) << c.name;
    }
    EXPECT_FALSE(file_exists(""));
}

TEST_F(FilesTest, CreatesExactlyOneFolderLevel) {
    EXPECT_TRUE(create_directory(at("a")));
    EXPECT_TRUE(fs::is_directory(fs::path(root()) / "a"));
    EXPECT_FALSE(create_directory(at("a")));               // exists already
    EXPECT_TRUE(create_directory(at("a\\b\\")));           // trailing separator
    EXPECT_FALSE(create_directory(at("missing\\child")));  // parent missing
    EXPECT_FALSE(create_directory(""));
    ASSERT_TRUE(write_file(at("file"), "x"));
    EXPECT_FALSE(create_directory(at("file")));
    EXPECT_EQ(listing(root()), (Names{"a", "file"}));
    EXPECT_EQ(listing(fs::path(root()) / "a"), (Names{"b"}));
    EXPECT_EQ(file_bytes(fs::path(root()) / "file"), "x");
}

TEST_F(FilesTest, ServerNamesLandInsideTheFolder) {
    ASSERT_TRUE(create_directory(at("save")));
    ASSERT_TRUE(create_directory(at("save\\batch")));
    const std::string hostile[] = {
        "..\\..\\x.jpg", "../x.jpg",      "a/b.jpg", "..",    ".", "",
        "/etc/x",        "a\r\n\x01.jpg", "C:x.jpg", "*.jpg",
    };
    std::set<std::string> expected;
    for (size_t i = 0; i < std::size(hostile); ++i) {
        const Text name = safe_name(hostile[i]);
        const std::string content = "picture " + std::to_string(i);
        ASSERT_TRUE(write_file(at("save\\batch\\" + name), content)) << hostile[i];
        // The file is right there, directly in the folder.
        EXPECT_EQ(file_bytes(fs::path(root()) / "save" / "batch" / to_native_path(name)), content)
            << hostile[i];
        expected.insert(to_native_path(name));
    }
    // Nothing appeared anywhere else.
    EXPECT_EQ(listing(root()), (Names{"save"}));
    EXPECT_EQ(listing(fs::path(root()) / "save"), (Names{"batch"}));
    const Names in_batch = listing(fs::path(root()) / "save" / "batch");
    EXPECT_EQ(std::set<std::string>(in_batch.begin(), in_batch.end()), expected);
}

TEST_F(FilesTest, AReaderNeverSeesAHalfWrittenFile) {
    // Writers keep replacing one file with whole contents of one byte value;
    // a reader must only ever see one whole content.
    constexpr size_t kSize = 256 * 1024;
    const Text name = at("shared.bin");
    ASSERT_TRUE(write_file(name, std::string(kSize, 'a')));
    std::atomic<bool> done{false};
    std::atomic<int> torn{0};
    std::atomic<int> failed_writes{0};
    std::thread reader([&] {
        while (!done) {
            const Bytes b = read_file(name);
            if (b.size() != kSize || b.find_first_not_of(b[0]) != std::string::npos) ++torn;
        }
    });
    std::vector<std::thread> writers;
    for (int w = 0; w < 4; ++w) {
        writers.emplace_back([&, w] {
            for (int i = 0; i < 20; ++i) {
                if (!write_file(name, std::string(kSize, static_cast<char>('b' + w))))
                    ++failed_writes;
            }
        });
    }
    for (auto& t : writers) t.join();
    done = true;
    reader.join();
    EXPECT_EQ(torn.load(), 0);
    EXPECT_EQ(failed_writes.load(), 0);
    EXPECT_EQ(listing(root()), (Names{"shared.bin"}));
}

}  // namespace
}  // namespace qinghe
