// Start-up of the desktop program: the single-instance guard, the work
// folder, the update notice, the default save folder and the tray icon.
#pragma once

#include <functional>
#include <memory>

#include <QString>

namespace qinghe {
class MainWindow;
}

namespace qinghe::app {

class DesktopWindow;
class InstanceGuard;

struct StartOptions {
    QString instance_name;   // empty: default_instance_name()
    QString update_address;  // empty: no update check
    QString work_folder;     // empty: default_work_folder()
    // Called after the window came forward at another copy's request.
    std::function<void()> on_activation;
    // Called once the window is shown, before the message loop runs.
    std::function<void(DesktopWindow&)> on_started;
};

// The defaults of a real start.
StartOptions program_start_options();

// The per-user data folder of the program, created when missing.
QString default_work_folder();
// The current folder, or the home folder when the current folder's path
// holds "Rar$" (an archive viewer's temporary folder) or is not a name the
// core can keep as GBK text.
QString default_save_folder(const QString& current_folder);

// Routes show_message of the core to message boxes of the window thread.
void install_message_handler(const std::shared_ptr<MainWindow>& window);

// Window thread, before the window is shown. False when another copy runs:
// that copy was asked to come forward, the message was shown, and this copy
// must end.
bool init_main_window(DesktopWindow& window, InstanceGuard& guard, const StartOptions& options);

// The whole program: start-up, message loop, end.
int run_program(int argc, char** argv, const StartOptions& options);

}  // namespace qinghe::app
