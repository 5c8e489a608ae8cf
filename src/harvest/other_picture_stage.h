// Stage 5 of an item harvest: the pictures the page's style sheets draw.
#pragma once

#include "window/main_window.h"
#include "harvest/item_harvest.h"

namespace qinghe {

// "其他图片", the other-picture folder of an item folder.
inline constexpr std::string_view kOtherPictureFolder = "\xC6\xE4\xCB\xFB\xCD\xBC\xC6\xAC";

// Fetches the item page again, reads every style sheet it links to and
// saves the pictures they name by absolute "http://" address. Runs on the
// harvest's worker thread.
void other_picture_stage(MainWindow& window, ItemHarvest& harvest);

}  // namespace qinghe
