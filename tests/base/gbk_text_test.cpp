#include "base/gbk_text.h"

#include <gtest/gtest.h>

namespace qinghe {
namespace {

TEST(GbkText, TurnsProgramTextsIntoCodePage936) {
    EXPECT_EQ(gbk_text("正在下载中……"), "\xD5\xFD\xD4\xDA\xCF\xC2\xD4\xD8\xD6\xD0\xA1\xAD\xA1\xAD");
    EXPECT_EQ(gbk_text("立即下载"), "\xC1\xA2\xBC\xB4\xCF\xC2\xD4\xD8");
    EXPECT_EQ(gbk_text("€"), "\x80");
    EXPECT_EQ(gbk_text("a-b"), "a-b");
    EXPECT_EQ(gbk_text(""), "");
}

TEST(GbkTextDeathTest, StopsOnATextGbkCannotHold) { EXPECT_DEATH(gbk_text("😀"), "no GBK form"); }

}  // namespace
}  // namespace qinghe
