#include "cli/stop_signals.h"

namespace qinghe {

namespace {

std::atomic<bool> g_stop_requested{false};
static_assert(std::atomic<bool>::is_always_lock_free,
              "a signal handler may only set lock-free atomics");

extern "C" void note_stop_signal(int) { g_stop_requested.store(true); }

}  // namespace

StopOnSignals::StopOnSignals() {
    g_stop_requested = false;
    struct sigaction action {};
    action.sa_handler = note_stop_signal;
    sigemptyset(&action.sa_mask);
    // The first signal asks for a clean stop; the handler then resets to the
    // default, so a second one ends the process.
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, &m_old_interrupt);
    sigaction(SIGTERM, &action, &m_old_terminate);
}

StopOnSignals::~StopOnSignals() {
    sigaction(SIGINT, &m_old_interrupt, nullptr);
    sigaction(SIGTERM, &m_old_terminate, nullptr);
}

const std::atomic<bool>& StopOnSignals::flag() const { return g_stop_requested; }

}  // namespace qinghe
