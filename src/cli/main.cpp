// qinghe-taotu-cli: the headless front end of the batch engine.
#include <cstdio>
#include <string>
#include <string_view>

#include "cli/demo_command.h"
#include "cli/headless_runner.h"
#include "cli/shop_command.h"

int main(int argc, char** argv) {
    using namespace qinghe;
    const std::string program = "qinghe-taotu-cli";
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--") break;
        if (arg == "--demo") return run_demo_command(argc, argv);
        if (arg == "--shop") return run_shop_command(argc, argv);
    }

    HeadlessOptions options;
    std::string error;
    if (!parse_headless_arguments(argc, argv, 1, options, error)) {
        std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", program.c_str(), error.c_str(),
                     program.c_str());
        return kExitRefused;
    }
    if (options.help) {
        std::fputs(headless_usage(program).c_str(), stdout);
        return 0;
    }
    Text addresses;
    if (!read_address_list(options.input, addresses, error)) {
        std::fprintf(stderr, "%s: %s\n", program.c_str(), error.c_str());
        return kExitRefused;
    }
    return run_batch_headless(options, addresses);
}
