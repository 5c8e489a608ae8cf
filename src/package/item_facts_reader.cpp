#include "package/item_facts_reader.h"

#include "package/embedded_item_data.h"
#include "package/listing_facts_2020.h"
#include "package/picture_facts_2020.h"

namespace qinghe {

ItemFacts read_item_facts(std::string_view page, std::string_view page_address) {
    // Pages of 2023 on carry the whole item in a script; when one does, the
    // markup around it is not read.
    ItemFacts facts = read_embedded_item_data(page, page_address);
    if (facts.found) return facts;
    read_2020_picture_facts(page, page_address, facts);
    read_2020_listing_facts(page, page_address, facts);
    return facts;
}

}  // namespace qinghe
