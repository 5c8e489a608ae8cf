// What the program knows of an item when its page is not in the classic
// markup: read from the marker tables of newer page forms or from the data a
// page embeds in a script. The classic page forms never go through this
// record; their stages read the page as they always did.
#pragma once

#include <vector>

#include "base/text.h"

namespace qinghe {

// One value of a sale property ("颜色分类: 红色"), with its picture when it has one.
struct SkuValue {
    Text value_id;  // the marketplace's id of the value (vid); may be empty
    Text name;
    Text picture;  // absolute, full size; empty when the value has no picture
};

struct SkuProperty {
    Text property_id;  // pid; may be empty
    Text name;
    std::vector<SkuValue> values;  // page order
};

// One combination of sale values with its own price and stock.
struct SkuCombination {
    Text value_path;  // "pid:vid;pid:vid"
    Text price;
    Text quantity;
};

struct ItemFacts {
    bool found = false;  // a newer page form was recognised
    Text item_id;
    Text item_address;  // canonical item address, when the page names one
    Text title;
    std::vector<Text> gallery;  // absolute, full size, page order
    Text price;                 // "149.00" or a range "149.00-159.00"
    Text location;              // as the page writes it ("广东省 汕头市")
    Text category_id;
    Text description_address;  // absolute
    Text seller_nick;
    Text shop_name;
    std::vector<SkuProperty> sku_properties;
    std::vector<SkuCombination> sku_combinations;
};

}  // namespace qinghe
