#include "cli/terminal_window.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace qinghe {
namespace {

// What the window wrote to its output stream.
std::string written(std::FILE* file) {
    std::fflush(file);
    std::rewind(file);
    std::string out;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) out.append(buffer, n);
    return out;
}

TEST(TerminalWindow, ShowsPositionsBeyondTheBarsEndsAtTheEnds) {
    struct Case {
        int position;
        std::string bar;
    };
    const Case cases[] = {
        {50, "[###############...............] 50%"},
        {100, "[##############################] 100%"},
        {1490, "[##############################] 100%"},
        {101, "[##############################] 100%"},
        {-7, "[..............................] 0%"},
    };
    for (const Case& c : cases) {
        std::FILE* live = std::tmpfile();
        ASSERT_NE(live, nullptr);
        {
            TerminalWindow window(TerminalSettings{true, false, live, live});
            window.set_progress(c.position);
        }
        EXPECT_EQ(written(live), "\r\x1b[K" + c.bar + "  ") << c.position;
        std::fclose(live);

        std::FILE* plain = std::tmpfile();
        ASSERT_NE(plain, nullptr);
        {
            TerminalWindow window(TerminalSettings{false, false, plain, plain});
            window.set_progress(c.position);
        }
        const std::string percent = c.bar.substr(c.bar.find("] ") + 2);
        EXPECT_EQ(written(plain), "progress " + percent + "\n") << c.position;
        std::fclose(plain);
    }
}

}  // namespace
}  // namespace qinghe
