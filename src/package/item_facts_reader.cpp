#include "package/item_facts_reader.h"

#include "package/listing_facts_2020.h"
#include "package/picture_facts_2020.h"

namespace qinghe {

ItemFacts read_item_facts(std::string_view page, std::string_view page_address) {
    ItemFacts facts;
    read_2020_picture_facts(page, page_address, facts);
    read_2020_listing_facts(page, page_address, facts);
    return facts;
}

}  // namespace qinghe
