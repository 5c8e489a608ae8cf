// Stopping a batch through the real window: Esc or "停止下载" while a picture
// is under way, then "重试失败的地址" with what the stop left undone.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <memory>

#include "app/address_box.h"
#include "app/clickable_label.h"
#include "app/desktop_window.h"
#include "app_test_support.h"
#include "support/gbk_literal.h"

using namespace qinghe;
using namespace qinghe::app;
using qinghe::test_support::gbk;

namespace {

QAction* menu_action(QMenu& menu, const QString& text) {
    for (QAction* action : menu.actions()) {
        if (action->text() == text) return action;
    }
    return nullptr;
}

// The one batch folder in the save folder.
QDir batch_folder(const QTemporaryDir& save) {
    const QStringList found = QDir(save.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    return found.size() == 1 ? QDir(save.path() + "/" + found.front()) : QDir();
}

}  // namespace

class StopBatchTest : public QObject {
    Q_OBJECT

private slots:
    void stop_finishes_the_current_picture_and_reports_the_rest() {
        // Each way of stopping: Esc on the window, the address box menu entry.
        for (const bool by_key : {true, false}) {
            testing::PictureServer server(/*hold_requests=*/true);
            testing::WindowFixture f;
            DesktopWindow& w = *f.window;
            const std::string base = server.base() + "/pictures/";
            w.set_address_text(base + "p1.jpg\r\n" + base + "p2.jpg\r\n" + base + "p3.jpg");
            const QString resting = w.counter_label()->text();

            std::unique_ptr<QMenu> idle_menu(w.address_box()->build_context_menu());
            const QList<QAction*> entries = idle_menu->actions();
            // The box's own entries stay first; the two new ones close the menu.
            QVERIFY(entries.size() > 3);
            QCOMPARE(entries[entries.size() - 2]->text(), QStringLiteral("停止下载"));
            QCOMPARE(entries.back()->text(), QStringLiteral("重试失败的地址"));
            QVERIFY(!entries[entries.size() - 2]->isEnabled());

            QTest::mouseClick(w.start_button(), Qt::LeftButton);
            QTRY_COMPARE(server.waiting(), 1);
            if (by_key) {
                QTest::keyClick(&w, Qt::Key_Escape);
            } else {
                std::unique_ptr<QMenu> menu(w.address_box()->build_context_menu());
                QAction* stop = menu_action(*menu, QStringLiteral("停止下载"));
                QVERIFY(stop && stop->isEnabled());
                stop->trigger();
            }
            // The picture under way still arrives; nothing after it is fetched.
            server.release_one();
            QTRY_VERIFY(w.start_button()->isEnabled());
            QCOMPARE(w.status_line()->text(), QStringLiteral("（1/3）全部下载完毕！"));
            QCOMPARE(w.start_button()->text(), QStringLiteral("立即下载"));
            QVERIFY(w.address_box()->isEnabled());
            QCOMPARE(w.counter_label()->text(), resting + QStringLiteral("，失败2个"));
            QCOMPARE(server.served(), 1);

            const QDir batch = batch_folder(f.save);
            QCOMPARE(batch.entryList(QDir::Files | QDir::Hidden),
                     (QStringList{"p1.jpg", "失败地址.txt", "淘图报告.csv"}));
            QFile saved(batch.filePath("p1.jpg"));
            QVERIFY(saved.open(QIODevice::ReadOnly));
            QCOMPARE(saved.readAll().toStdString(), testing::PictureServer::picture_body("p1.jpg"));
            const Text rest = base + "p2.jpg\r\n" + base + "p3.jpg\r\n";
            QFile list(batch.filePath("失败地址.txt"));
            QVERIFY(list.open(QIODevice::ReadOnly));
            QCOMPARE(list.readAll().toStdString(), rest);

            // The address box takes back what the stop left undone.
            w.set_address_text("http://example.invalid/other.jpg");
            std::unique_ptr<QMenu> menu(w.address_box()->build_context_menu());
            QAction* retry = menu_action(*menu, QStringLiteral("重试失败的地址"));
            QVERIFY(retry && retry->isEnabled());
            QVERIFY(!menu_action(*menu, QStringLiteral("停止下载"))->isEnabled());
            retry->trigger();
            QCOMPARE(w.address_text(), rest);
        }
    }
};

QINGHE_APP_TEST(StopBatchTest)
#include "stop_batch_test.moc"
