// The exit status of a headless run, from how it ended and what failed.
#pragma once

#include "cli/headless_runner.h"
#include "window/batch_outcome.h"

namespace qinghe {

enum class RunEnd {
    Refused,   // the start was refused or the arguments were wrong
    Finished,  // the batch reached its end
    Stopped,   // SIGINT or SIGTERM stopped the batch
};

constexpr int kExitSomethingFailed = 1;  // the batch ended, but an address or picture failed
constexpr int kExitStopped = 130;        // as shells report a program ended by Ctrl+C

// 2 for a refused start, 130 for a stopped batch (whatever failed before the
// stop), else 1 when anything failed and 0 when nothing did.
int exit_status(RunEnd end, const OutcomeCounts& counts);

}  // namespace qinghe
