// qinghe-taotu-cli --demo: serves the bundled demo shop on 127.0.0.1 and
// harvests it through the headless runner.
#pragma once

namespace qinghe {

// argv holds the whole command line (argv[0] is the program). Returns the
// process exit status.
int run_demo_command(int argc, char** argv);

}  // namespace qinghe
