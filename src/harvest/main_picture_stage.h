// Stage 2 of an item harvest: the pictures the item page names itself.
#pragma once

#include "base/gbk_text.h"
#include "harvest/item_harvest.h"
#include "window/main_window.h"

namespace qinghe {

// The record file of an item folder.
inline const Text kRecordFileName = gbk_text("淘图记录.txt");
// The main-picture folder of an item folder.
inline const Text kMainPictureFolder = gbk_text("主图及属性图");

// One page link turned into the address of the full-size picture: quotes
// and ")" removed, then the thumbnail suffixes of the picture servers.
Text clean_main_picture_address(std::string_view page_link);

// Writes the record file (smart layout) and saves every picture of
// harvest.page_links. Runs on the harvest's worker thread.
void main_picture_stage(MainWindow& window, ItemHarvest& harvest);

}  // namespace qinghe
