// The batch loop: start button, dispatch timer tick and the end of a batch.
#pragma once

#include "base/date_time.h"
#include "base/text.h"
#include "window/main_window.h"

namespace qinghe {

// Window thread: the start button was clicked. Checks the input, splits the
// address box into the batch, creates the batch folder and arms the dispatch
// timer; a refused start shows a message and changes no batch state.
void start_batch(MainWindow& window);

// Window thread: one tick of the dispatch timer. Stops the timer, then ends
// the batch or starts the worker that fits the current address.
//
// Workers are started on detached threads. When the window is held by a
// std::shared_ptr, the worker keeps it alive, so a front end may go away
// while a worker still runs (close() the window first).
void dispatch_next(MainWindow& window);

// Window thread: the end-of-batch step of dispatch_next. Writes the report
// files when something failed and then says so after the counter label's
// resting text.
void finish_batch(MainWindow& window);

// Window thread: stops the running batch. The worker finishes or drops the
// picture it is fetching and takes no further one; then the batch ends as
// finish_batch ends it. Nothing happens when no batch runs.
void request_stop(MainWindow& window);

// True while a batch runs (from start_batch to finish_batch).
bool batch_running(MainWindow& window);

enum class WorkerKind { None, Picture, Package, Item };

// Which worker an address goes to, by its ending (byte-exact, case-sensitive).
WorkerKind classify_address(std::string_view address);

// The batch folder's name for a start at the given time.
Text batch_folder_name_at(DateTime time, int address_count);

// The download counter label's resting text: the maker's contact line.
extern const Text kCounterRestingText;

}  // namespace qinghe
