// The pictures and the description address of item pages of 2017 to 2020.
#pragma once

#include "package/item_facts.h"

namespace qinghe {

// Fills gallery, description_address, item_id and item_address of facts when
// the page holds them in one of the 2017-2020 forms, and sets found when a
// gallery or a description address was recognised. The classic gallery and
// description forms are left to the stages that have always read them.
void read_2020_picture_facts(std::string_view page, std::string_view page_address,
                             ItemFacts& facts);

// The size markers the picture servers have always added for scaled copies
// removed, in the long-standing order (the main picture stage's rule).
Text remove_thumbnail_suffixes(std::string_view address);

// The full-size address of a thumbnail: the long-standing suffixes and the
// newer ones (".60x60.jpg", "_60x60_q50.jpg") removed.
Text full_size_picture_address(std::string_view address);

}  // namespace qinghe
