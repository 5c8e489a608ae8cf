#include "app/start_up.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>
#include <QThread>

#include "app/app_texts.h"
#include "app/desktop_window.h"
#include "app/message_boxes.h"
#include "app/qt_text.h"
#include "app/single_instance.h"
#include "app/update_notice.h"
#include "base/message.h"

namespace qinghe::app {

namespace {
// An archive viewer's temporary folder; saving there would lose the files.
const QString kArchiveTempMarker = QStringLiteral("Rar$");
}  // namespace

StartOptions program_start_options() {
    StartOptions options;
    options.instance_name = default_instance_name();
    options.update_address = kUpdateAddress;
    return options;
}

QString default_work_folder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (folder.isEmpty()) folder = QDir::homePath();
    QDir().mkpath(folder);
    return folder;
}

QString default_save_folder(const QString& current_folder) {
    Text gbk;
    if (!current_folder.contains(kArchiveTempMarker) && path_to_text(current_folder, gbk))
        return current_folder;
    if (path_to_text(QDir::homePath(), gbk)) return QDir::homePath();
    return QDir::rootPath();
}

void install_message_handler(const std::shared_ptr<MainWindow>& window) {
    std::weak_ptr<MainWindow> weak = window;
    set_message_handler([weak](const Text& text, int style, const Text& caption) -> int {
        if (auto target = weak.lock(); target && !target->is_closed())
            return target->show_message(text, style, caption);
        if (QThread::currentThread() == qApp->thread())
            return show_message_box(
                to_qstring(text),
                to_qstring(caption.empty() ? default_message_caption() : caption));
        return 1;
    });
}

bool init_main_window(DesktopWindow& window, InstanceGuard& guard, const StartOptions& options) {
    // 1-3: one copy at a time; a second copy brings the first forward.
    if (!guard.claim()) {
        qinghe::show_message(to_text(kDuplicateMessage), 0, to_text(kDuplicateCaption));
        return false;
    }
    QObject::connect(&guard, &InstanceGuard::activation_requested, &window, [&window, options] {
        window.bring_forward();
        if (options.on_activation) options.on_activation();
    });
    // 4: the drop target is the window itself (see DesktopWindow).
    // 5: the work folder holds the help file.
    window.set_work_folder(options.work_folder.isEmpty() ? default_work_folder()
                                                         : options.work_folder);
    // 6: the update notice arrives later, from a worker thread.
    check_for_update(window.shared_main_window(), options.update_address);
    // 7, 8.
    window.set_save_folder(default_save_folder(QDir::currentPath()));
    window.show_tray_icon();
    return true;
}

int run_program(int argc, char** argv, const StartOptions& options) {
    int exit_code = 0;
    {
        QApplication app(argc, argv);  // the command line carries nothing for us
        QApplication::setApplicationName(QStringLiteral("qinghe-taotu"));
        // The window may sit hidden in the tray while a message box closes;
        // only closing the main window ends the program.
        QApplication::setQuitOnLastWindowClosed(false);

        StartOptions effective = options;
        if (effective.instance_name.isEmpty()) effective.instance_name = default_instance_name();
        DesktopWindow window;
        install_message_handler(window.shared_main_window());
        InstanceGuard guard(effective.instance_name);
        if (!init_main_window(window, guard, effective)) {
            window.main_window().close();
            set_message_handler({});
            return 0;
        }
        window.show();
        if (effective.on_started) effective.on_started(window);
        exit_code = QApplication::exec();
        window.main_window().close();
        set_message_handler({});
    }
    return exit_code;
}

}  // namespace qinghe::app
