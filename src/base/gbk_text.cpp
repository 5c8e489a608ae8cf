#include "base/gbk_text.h"

#include <cstdio>
#include <cstdlib>

#include "base/gbk.h"

namespace qinghe {

Text gbk_text(std::string_view utf8) {
    Text out;
    if (!utf8_to_gbk(utf8, out)) {
        std::fprintf(stderr, "qinghe: a program text has no GBK form: %.*s\n",
                     static_cast<int>(utf8.size()), utf8.data());
        std::abort();
    }
    return out;
}

}  // namespace qinghe
