// TextBuffer: write, rewind, read back.
#include <gtest/gtest.h>

#include "base/text_buffer.h"

namespace qinghe {
namespace {

Text write_and_read(std::initializer_list<std::string_view> parts) {
    TextBuffer buffer;
    buffer.open();
    for (auto part : parts) buffer.write_text(part);
    buffer.rewind();
    return buffer.read_text();
}

TEST(TextBufferTest, ReadBackStopsBeforeZeroOrEndOfFile) {
    EXPECT_EQ(write_and_read({"a", "\x1A", "b"}), "a");
    EXPECT_EQ(write_and_read({"x", std::string_view("\0y", 2)}), "x");
    EXPECT_EQ(write_and_read({"ab", "", "\xD6\xD0"}), "ab\xD6\xD0");
    EXPECT_EQ(write_and_read({}), "");
    EXPECT_EQ(write_and_read({"\x1A"
                              "a"}),
              "");
}

TEST(TextBufferTest, GrowsPastManySteps) {
    std::string big;
    for (int i = 0; i < 5000; ++i) big += static_cast<char>('a' + i % 26);
    EXPECT_EQ(write_and_read({big.substr(0, 1023), big.substr(1023, 2), big.substr(1025)}), big);
}

TEST(TextBufferTest, PositionMovesWithReadsAndWrites) {
    TextBuffer buffer;
    buffer.open();
    buffer.write_text("hello");
    EXPECT_EQ(buffer.read_text(), "");  // the position is at the end
    buffer.rewind();
    buffer.write_text("J");  // writes over, like a file
    buffer.rewind();
    EXPECT_EQ(buffer.read_text(), "Jello");
    EXPECT_EQ(buffer.read_text(), "");
    buffer.close();
    buffer.rewind();
    EXPECT_EQ(buffer.read_text(), "");
    buffer.open();
    buffer.write_text("new");
    buffer.rewind();
    EXPECT_EQ(buffer.read_text(), "new");
}

}  // namespace
}  // namespace qinghe
