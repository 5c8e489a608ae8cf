#include "cli/demo_command.h"

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "cli/headless_runner.h"
#include "demo/fake_market.h"

namespace qinghe {

namespace {

constexpr std::string_view kDemoFlag = "--demo";

void print_demo_usage() {
    std::fputs(
        "Usage: qinghe-taotu-cli --demo [--save DIR] [option flags of the normal run]\n"
        "Serves a small demo shop (one Taobao, one Tmall and one 1688 item) on 127.0.0.1\n"
        "and harvests it into DIR (default: the current folder), so the whole program\n"
        "can be seen at work without a network.\n",
        stdout);
}

}  // namespace

int run_demo_command(int argc, char** argv) {
    // Everything but --demo goes to the normal flag parser.
    std::vector<char*> arguments;
    for (int i = 0; i < argc; ++i) {
        if (i > 0 && std::string_view(argv[i]) == kDemoFlag) continue;
        arguments.push_back(argv[i]);
    }
    HeadlessOptions options;
    std::string error;
    if (!parse_headless_arguments(static_cast<int>(arguments.size()), arguments.data(), 1, options,
                                  error)) {
        std::fprintf(stderr, "qinghe-taotu-cli --demo: %s\n", error.c_str());
        return kExitRefused;
    }
    if (options.help) {
        print_demo_usage();
        return 0;
    }
    if (!options.input.empty()) {
        std::fputs("qinghe-taotu-cli --demo: the demo shop brings its own address list\n", stderr);
        return kExitRefused;
    }

    demo::FakeMarket market;
    demo::add_demo_items(market);
    if (!market.start()) {
        std::fputs("qinghe-taotu-cli --demo: cannot serve the demo shop on 127.0.0.1\n", stderr);
        return kExitRefused;
    }
    std::vector<std::string> routes = market.routes();
    routes.insert(routes.end(), options.connect_to.begin(), options.connect_to.end());
    options.connect_to = routes;

    Text addresses;
    for (const demo::MarketItem& item : demo::demo_items()) {
        if (!addresses.empty()) addresses += "\r\n";
        addresses += item.address;
    }
    std::printf("Demo shop on 127.0.0.1:%d with %zu items.\n", market.port(),
                demo::demo_items().size());
    std::fflush(stdout);
    int status = run_batch_headless(options, addresses);
    market.stop();
    return status;
}

}  // namespace qinghe
