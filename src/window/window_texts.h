// Captions the workers and the dispatcher put on the main window.
#pragma once

#include "base/text.h"

namespace qinghe {

// The start button's caption while a batch runs: "正在下载中……".
const Text& busy_start_caption();

// The start button's caption when no batch runs: "立即下载".
const Text& idle_start_caption();

}  // namespace qinghe
