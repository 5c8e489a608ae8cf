// Stage 3 of an item harvest: the seller's description and its pictures.
#pragma once

#include "base/gbk_text.h"
#include "harvest/item_harvest.h"
#include "window/main_window.h"

namespace qinghe {

// The description folder of an item folder.
inline const Text kDescriptionFolder = gbk_text("宝贝描述");
// The local copy of the description.
inline const Text kDescriptionPage = gbk_text("详情.html");

enum class DescriptionNaming {
    FromZero,  // Taobao and Tmall sources: A0 … A9, B0 …
    FromOne,   // 1688 source: A1 … A10, B1 …
};

// The numbered name of a description picture in the smart layout. count is
// the picture's place among the source's picture links (1, 2, …), number the
// running number of written pictures (its digit serves the 1688 naming).
// Groups of ten take the letters A to Z; past Z they go on as AA, AB, … so
// that a name never holds anything but letters, digits and the extension.
Text description_picture_name(DescriptionNaming naming, int count, int number,
                              std::string_view extension);

// Fetches the description from each source the page names, saves its
// pictures, writes "详情.html" (smart layout) and leaves the description in
// the description store. Runs on the harvest's worker thread.
void description_stage(MainWindow& window, ItemHarvest& harvest);

}  // namespace qinghe
