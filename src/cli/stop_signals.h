// SIGINT and SIGTERM turned into a request to stop the batch.
//
// While a StopOnSignals lives, either signal only sets a flag that the
// terminal window's loop polls (setting a lock-free atomic is all a handler
// may safely do); the batch then stops as the desktop program's stop button
// stops it and writes its report. A second signal ends the process at once,
// for a transfer that will not let go.
#pragma once

#include <atomic>
#include <csignal>

namespace qinghe {

class StopOnSignals {
public:
    StopOnSignals();
    ~StopOnSignals();  // puts the earlier handlers back
    StopOnSignals(const StopOnSignals&) = delete;
    StopOnSignals& operator=(const StopOnSignals&) = delete;

    const std::atomic<bool>& flag() const;

private:
    struct sigaction m_old_interrupt {};
    struct sigaction m_old_terminate {};
};

}  // namespace qinghe
