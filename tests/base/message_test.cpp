// Message boxes through the installed handler.
#include "base/message.h"
#include "base/gbk_text.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace qinghe {
namespace {

class MessageTest : public ::testing::Test {
protected:
    void TearDown() override { set_message_handler({}); }
};

TEST_F(MessageTest, WithoutAHandlerTheAnswerIsOk) { EXPECT_EQ(show_message("x"), 1); }

TEST_F(MessageTest, HandlerGetsTextStyleAndTheDefaultCaption) {
    Text seen_text, seen_caption;
    int seen_style = -1;
    set_message_handler([&](const Text& text, int style, const Text& caption) {
        seen_text = text, seen_style = style, seen_caption = caption;
        return 7;
    });
    EXPECT_EQ(show_message("\xC4\xE3"), 7);
    EXPECT_EQ(seen_text, "\xC4\xE3");
    EXPECT_EQ(seen_style, 0);
    EXPECT_EQ(seen_caption, gbk_text("信息："));
    show_message("t", 4, "c");
    EXPECT_EQ(seen_style, 4);
    EXPECT_EQ(seen_caption, "c");
}

TEST_F(MessageTest, HandlerMaySwapItselfWhileOthersShowBoxes) {
    std::atomic<int> shown{0};
    set_message_handler([&](const Text&, int, const Text&) {
        ++shown;
        set_message_handler([&](const Text&, int, const Text&) { return ++shown, 2; });
        return 1;
    });
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i)
        threads.emplace_back([] {
            for (int n = 0; n < 200; ++n) show_message("x");
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(shown.load(), 800);
}

}  // namespace
}  // namespace qinghe
