#include "app/update_notice.h"

#include "app/app_texts.h"
#include "app/qt_text.h"
#include "app/shell.h"
#include "base/message.h"
#include "base/text_number.h"
#include "base/threads.h"
#include "base/web.h"
#include "window/main_window.h"

namespace qinghe::app {

namespace {
constexpr double kVersionTolerance = 0.0000001;
}

bool update_announced(const Text& announced) {
    return !announced.empty() && text_to_number(announced) - kProgramVersion > kVersionTolerance;
}

void check_for_update(const std::shared_ptr<MainWindow>& window, const QString& address) {
    if (address.isEmpty()) return;
    std::weak_ptr<MainWindow> weak = window;
    const std::string url = address.toStdString();
    start_thread([weak, url] {
        const Text announced = bytes_to_text(fetch_url(url));
        if (!update_announced(announced)) return;
        auto target = weak.lock();
        if (!target) return;
        // Posted work is dropped when the window has closed meanwhile.
        target->window_thread().post([] {
            qinghe::show_message(to_text(kUpdateMessage));
            open_address(kHomePage);
        });
    });
}

}  // namespace qinghe::app
