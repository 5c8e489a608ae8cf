// The update notice: the maker announces the newest version in a short text.
#pragma once

#include <memory>

#include <QString>

#include "base/text.h"

namespace qinghe {
class MainWindow;
}

namespace qinghe::app {

// True when the announced text names a version newer than this program's:
// the text is not empty and its leading number exceeds 8.1 by more than
// 0.0000001.
bool update_announced(const Text& announced);

// Fetches the address on a worker thread so that start-up does not wait for
// the network; when a newer version is announced, the window thread shows
// "请下载最新版本" and then opens the home page. Nothing happens when the
// fetch fails or the window is gone by then.
void check_for_update(const std::shared_ptr<MainWindow>& window, const QString& address);

}  // namespace qinghe::app
