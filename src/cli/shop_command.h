// qinghe-taotu-cli --shop: collects the item addresses of a whole shop.
#pragma once

namespace qinghe {

// argv holds the whole command line (argv[0] is the program). Returns the
// process exit status.
int run_shop_command(int argc, char** argv);

}  // namespace qinghe
