// Detached worker threads.
#pragma once

#include <functional>

namespace qinghe {

// Starts the routine on a new detached thread; false when it cannot start.
// An exception leaving the routine is caught and dropped, so a worker can
// never end the program.
bool start_thread(std::function<void()> routine);

}  // namespace qinghe
