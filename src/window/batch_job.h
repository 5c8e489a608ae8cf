// The one batch state of the run.
#pragma once

#include "base/text.h"

namespace qinghe {

// Written by start_batch and dispatch_next on the window thread and by a
// worker only in its epilogue; the one-worker rule keeps it single-writer.
struct BatchJob {
    TextList address_list;
    int address_count = 0;
    int current_index = 0;   // 1-based
    Text batch_folder_name;  // empty when no batch runs
    Text progress_tag;       // "3/12"
    Text current_address;
};

}  // namespace qinghe
