#include "cli/shop_command.h"

#include <cstdio>

namespace qinghe {

// Placeholder until the shop collectors land.
int run_shop_command(int, char**) {
    std::fputs("shop link collection not built yet\n", stderr);
    return 2;
}

}  // namespace qinghe
