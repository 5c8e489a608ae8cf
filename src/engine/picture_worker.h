// The worker for single picture addresses.
#pragma once

#include "window/main_window.h"

namespace qinghe {

// Saves window.job().current_address under its own file name in the batch
// folder, then runs the worker epilogue. Worker thread; never throws.
void download_picture(MainWindow& window);

}  // namespace qinghe
