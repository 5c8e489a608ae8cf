// 青禾淘图: the desktop program.
#include <cstdio>
#include <cstdlib>

#include "app/start_up.h"

int main(int argc, char** argv) {
    const int exit_code =
        qinghe::app::run_program(argc, argv, qinghe::app::program_start_options());
    // A worker may still be running: the program does not wait for it, and
    // skipping the static destructors keeps it from touching torn-down state.
    std::fflush(nullptr);
    std::_Exit(exit_code);
}
