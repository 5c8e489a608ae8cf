// Renders the main window for the help file and the docs (not a test):
//   app_screenshots <help images folder> <docs folder> <icons folder>
// Runs on the offscreen platform; a finished batch is produced against a
// loopback picture server reached under a made-up host name.
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "app/artwork.h"
#include "app/desktop_window.h"
#include "app/message_boxes.h"
#include "app/shell.h"
#include "app_test_support.h"
#include "base/web.h"

using namespace qinghe;
using namespace qinghe::app;

namespace {
bool save(const QPixmap& pixmap, const QString& folder, const QString& name) {
    const bool ok = pixmap.save(QDir(folder).filePath(name), "PNG");
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(QDir(folder).filePath(name)));
    return ok;
}
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    if (argc < 4) {
        std::fprintf(stderr, "usage: app_screenshots <help images> <docs> <icons>\n");
        return 2;
    }
    const QString help_images = QString::fromLocal8Bit(argv[1]);
    const QString docs = QString::fromLocal8Bit(argv[2]);
    const QString icons = QString::fromLocal8Bit(argv[3]);
    QFont font(QStringLiteral("WenQuanYi Micro Hei"));
    font.setPixelSize(12);
    QApplication::setFont(font);

    testing::PictureServer server;
    const std::string port = server.base().substr(server.base().rfind(':') + 1);
    set_connect_to({"img.qinghe-demo.example:80:127.0.0.1:" + port});
    set_address_opener([](const QString&) {});
    for (int n = 0; n < 16; ++n) queue_message_answer(1);

    QTemporaryDir root;
    const QString save_folder = QDir(root.path()).filePath(QStringLiteral("淘图下载"));
    QDir().mkpath(save_folder);
    DesktopWindow window;
    window.set_work_folder(root.path());
    window.set_save_folder(save_folder);
    window.show();
    QTest::qWait(200);
    bool ok = save(window.grab(), help_images, QStringLiteral("main_window.png"));

    Text addresses;
    for (const char* name :
         {"shoe-1.jpg", "shoe-2.jpg", "shoe-3.png", "shoe-4.jpg_.webp", "shoe-5.gif"})
        addresses += std::string("http://img.qinghe-demo.example/pictures/") + name + "\r\n";
    window.set_address_text(addresses);
    QTest::qWait(50);
    ok &= save(window.grab(QRect(0, 0, 1068, 316)), help_images, QStringLiteral("addresses.png"));
    ok &= save(window.grab(QRect(0, 318, 1068, 36)), help_images, QStringLiteral("options.png"));
    ok &= save(window.grab(QRect(0, 352, 736, 100)), help_images, QStringLiteral("folder.png"));

    bool finished = false;
    QObject::connect(&window, &DesktopWindow::batch_finished_signal, [&] { finished = true; });
    window.start_button()->click();
    ok &= QTest::qWaitFor([&] { return finished; }, 30000);
    QTest::qWait(100);
    const QPixmap done = window.grab();
    ok &= save(done, help_images, QStringLiteral("batch_done.png"));
    ok &= save(done, docs, QStringLiteral("main-window.png"));

    window.show_popup_menu_at(window.mapToGlobal(QPoint(40, 40)));
    QTest::qWait(100);
    ok &= save(window.popup_menu()->grab(), help_images, QStringLiteral("popup_menu.png"));
    window.popup_menu()->hide();

    ok &= save(paint_program_icon(128), icons, QStringLiteral("qinghe-taotu.png"));
    set_connect_to({});
    return ok ? 0 : 1;
}
