#include "cli/exit_status.h"

namespace qinghe {

int exit_status(RunEnd end, const OutcomeCounts& counts) {
    switch (end) {
        case RunEnd::Refused: return kExitRefused;
        case RunEnd::Stopped: return kExitStopped;
        case RunEnd::Finished: break;
    }
    return counts.any_failed() ? kExitSomethingFailed : kExitBatchEnded;
}

}  // namespace qinghe
