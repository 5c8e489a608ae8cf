#include "base/two_way_text.h"

#include <gtest/gtest.h>

#include <string>

namespace qinghe {
namespace {

TEST(TwoWayText, GrowsAtBothEndsAcrossManyReallocations) {
    TwoWayText text;
    std::string expected;
    for (int i = 0; i < 3000; ++i) {
        const std::string part = "row" + std::to_string(i) + std::string(i % 97, 'x') + "\r\n";
        if (i % 3 == 0) {
            text.append(part);
            expected += part;
        } else {
            text.prepend(part);
            expected.insert(0, part);
        }
        ASSERT_EQ(text.view(), expected) << i;
    }
    text.clear();
    EXPECT_EQ(text.view(), "");
    text.prepend("a");
    text.append("b");
    EXPECT_EQ(text.view(), "ab");
}

}  // namespace
}  // namespace qinghe
