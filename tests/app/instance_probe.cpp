// A real start-up of the desktop program for the single-instance test. It
// runs like the program, but answers its message boxes itself and reports
// on stdout: "running" once the window is up, "activated" when another copy
// asked it to come forward, and "message <caption>|<text>" for every box.
#include <cstdio>
#include <cstdlib>

#include "app/message_boxes.h"
#include "app/start_up.h"

namespace {
void say(const QByteArray& line) {
    std::fputs(line.constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}
}  // namespace

int main(int argc, char** argv) {
    using namespace qinghe::app;
    for (int n = 0; n < 8; ++n) queue_message_answer(1);
    StartOptions options = program_start_options();
    options.update_address.clear();  // tests talk to no outside server
    options.on_started = [](DesktopWindow&) { say("running"); };
    options.on_activation = [] { say("activated"); };
    const int exit_code = run_program(argc, argv, options);
    for (const QString& m : shown_messages()) say("message " + m.toUtf8());
    std::fflush(nullptr);
    std::_Exit(exit_code);
}
