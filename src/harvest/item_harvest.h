// The state of one item harvest, shared by the harvest stages and the
// package stage that runs inside the description stage.
#pragma once

#include <vector>

#include "base/text.h"
#include "package/item_facts.h"

namespace qinghe {

struct ItemHarvest {
    Text item_address;             // the address line, or the address a saved page names
    Text item_id;                  // empty in the flat layout or without "id="
    Text item_folder_name;         // empty in the flat layout
    Text page_source;              // the item page as GBK text, before preparation
    Text page_text;                // the prepared item page
    ItemFacts facts;               // what newer page forms tell of the item
    Text title;                    // cleaned title; empty unless smart layout with "<title>"
    std::vector<Text> page_links;  // every "http(.*?)\"" match of page_text
    Text item_folder_path;         // ends in "\\"
    Text package_folder_path;      // ends in "\\"
    int new_download_count = 0;
};

}  // namespace qinghe
