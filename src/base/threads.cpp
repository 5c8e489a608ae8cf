// Detached worker threads.
#include "base/threads.h"

#include <exception>
#include <thread>

namespace qinghe {

bool start_thread(std::function<void()> routine) {
    if (!routine) return false;
    try {
        std::thread worker([routine = std::move(routine)]() {
            // Nothing may leave a worker: an escaping exception would end the
            // whole program through std::terminate.
            try {
                routine();
            } catch (...) {}
        });
        worker.detach();
        return true;
    } catch (...) {
        // std::system_error when the system refuses another thread.
        return false;
    }
}

}  // namespace qinghe
