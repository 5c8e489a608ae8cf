// The worker for single picture addresses.
#pragma once

#include "window/main_window.h"

namespace qinghe {

// Saves window.job().current_address under its own file name in the batch
// folder, then runs the worker epilogue. Worker thread; never throws.
void download_picture(MainWindow& window);

// Each picture address of a batch is saved by its own worker thread, so no
// thread's window sees the next one. Before a picture worker starts, the
// dispatcher calls prefetch_picture_run: at the first line of a run of
// consecutive picture lines it opens a batch-wide window over the run's
// addresses, which the run's workers take from in turn. Window thread.
void prefetch_picture_run(MainWindow& window);
// Drops the batch-wide window and its transfers (finish_batch).
void end_picture_run();

}  // namespace qinghe
