// The worker for dropped Taobao Assistant data packages (".csv").
#pragma once

#include "window/main_window.h"

namespace qinghe {

// Downloads every picture that the package at window.job().current_address
// names into "<base>CSV文件淘图" in the batch folder, then runs the worker
// epilogue. Worker thread; never throws.
void localize_package(MainWindow& window);

}  // namespace qinghe
