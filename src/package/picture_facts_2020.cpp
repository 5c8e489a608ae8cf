#include "package/picture_facts_2020.h"

namespace qinghe {

void read_2020_picture_facts(std::string_view, std::string_view, ItemFacts&) {}

}  // namespace qinghe
