// The data package export stage, run inside the description stage.
#pragma once

#include "harvest/item_harvest.h"
#include "window/main_window.h"

namespace qinghe {

// Builds the item's CSV row from harvest.page_text and the description
// store, writes the package pictures and the package file. Runs on the
// harvest's worker thread; never throws.
void export_item_package(MainWindow& window, ItemHarvest& harvest);

}  // namespace qinghe
