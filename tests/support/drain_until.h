// Test helper: play the window thread until a condition holds.
#pragma once

#include <chrono>
#include <thread>

#include "base/window_thread.h"

namespace qinghe::test_support {

// Drains on the calling (window) thread until done() holds or 20 s passed.
template <typename Done>
void drain_until(WindowThread& queue, Done done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done() && std::chrono::steady_clock::now() < deadline) {
        queue.drain();
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

}  // namespace qinghe::test_support
