#include "cli/demo_command.h"

#include <cstdio>

namespace qinghe {

// Placeholder until the demo shop lands.
int run_demo_command(int, char**) {
    std::fputs("demo shop not built yet\n", stderr);
    return 2;
}

}  // namespace qinghe
