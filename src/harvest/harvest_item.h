// The worker for item addresses.
#pragma once

#include "window/main_window.h"

namespace qinghe {

// Harvests window.job().current_address into the batch folder, then runs
// the worker epilogue. Runs on a worker thread; never throws.
void harvest_item(MainWindow& window);

}  // namespace qinghe
