// Stage 5 of an item harvest: the pictures the page's style sheets draw.
#pragma once

#include "base/gbk_text.h"
#include "harvest/item_harvest.h"
#include "window/main_window.h"

namespace qinghe {

// The other-picture folder of an item folder.
inline const Text kOtherPictureFolder = gbk_text("其他图片");

// Fetches the item page again, reads every style sheet it links to and
// saves the pictures they name by absolute "http://" address, then (sheets
// linked as "//…", and sheets not at an "http://" address) those named as
// url(//…) and url(https://…). Runs on the harvest's worker thread.
void other_picture_stage(MainWindow& window, ItemHarvest& harvest);

}  // namespace qinghe
