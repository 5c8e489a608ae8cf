// Stage 2 of an item harvest: the pictures the item page names itself.
#pragma once

#include "window/main_window.h"
#include "harvest/item_harvest.h"

namespace qinghe {

// "淘图记录.txt", the record file of an item folder.
inline constexpr std::string_view kRecordFileName = "\xCC\xD4\xCD\xBC\xBC\xC7\xC2\xBC.txt";
// "主图及属性图", the main-picture folder of an item folder.
inline constexpr std::string_view kMainPictureFolder = "\xD6\xF7\xCD\xBC\xBC\xB0\xCA\xF4\xD0\xD4\xCD\xBC";

// One page link turned into the address of the full-size picture: quotes
// and ")" removed, then the thumbnail suffixes of the picture servers.
Text clean_main_picture_address(std::string_view page_link);

// Writes the record file (smart layout) and saves every picture of
// harvest.page_links. Runs on the harvest's worker thread.
void main_picture_stage(MainWindow& window, ItemHarvest& harvest);

}  // namespace qinghe
