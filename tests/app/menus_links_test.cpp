// The popup menu, the links to the maker and support, the help entry, the
// folder buttons and the tray icon's clicks.
#include <QAction>
#include <QContextMenuEvent>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include "app/clickable_label.h"
#include "app/desktop_window.h"
#include "app/help_file.h"
#include "app/message_boxes.h"
#include "app/shell.h"
#include "app_test_support.h"
#include "base/date_time.h"

using namespace qinghe;
using namespace qinghe::app;

namespace {

struct ClockAt {
    explicit ClockAt(int hour) {
        set_clock([hour] { return make_date_time(2013, 11, 17, hour, 0, 0); });
    }
    ~ClockAt() { set_clock({}); }
};

const QString kChatStart = QStringLiteral("tencent://message/?uin=");
const QString kChatEnd = QStringLiteral("&Site=qinghe&Menu=yes");

QString chat_number(const QString& address) {
    if (!address.startsWith(kChatStart) || !address.endsWith(kChatEnd)) return {};
    return address.mid(kChatStart.size(), address.size() - kChatStart.size() - kChatEnd.size());
}

// The window system turns a right press into a context menu event for the
// widget under the mouse; QTest's clicks bypass that step, so send it.
void right_click(QWidget* target, QPoint at) {
    QTest::mousePress(target, Qt::RightButton, Qt::NoModifier, at);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, target->mapToGlobal(at));
    QCoreApplication::sendEvent(target, &event);
    QTest::mouseRelease(target, Qt::RightButton, Qt::NoModifier, at);
}

}  // namespace

class MenusLinksTest : public QObject {
    Q_OBJECT

private slots:
    void popup_menu_entries_in_order() {
        testing::WindowFixture f;
        QMenu* menu = f.window->popup_menu();
        QCOMPARE(menu->title(), QStringLiteral("右键菜单"));
        QStringList entries;
        for (QAction* a : menu->actions())
            entries.append(a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(entries,
                 (QStringList{QStringLiteral("打开作者淘宝店"), QStringLiteral("收藏作者淘宝店"),
                              QStringLiteral("收藏客服淘宝店"), QStringLiteral("-"),
                              QStringLiteral("打开官方网站"), QStringLiteral("下载新版本"),
                              QStringLiteral("-"), QStringLiteral("使用帮助"),
                              QStringLiteral("关闭程序")}));
    }

    void popup_entries_open_the_maker_pages() {
        testing::WindowFixture f;
        QStringList opened;
        for (QAction* a : f.window->popup_menu()->actions()) {
            if (a->isSeparator() || a->text() == QStringLiteral("关闭程序") ||
                a->text() == QStringLiteral("使用帮助"))
                continue;
            a->trigger();
        }
        QCOMPARE(f.opened.size(), 5);
        QVERIFY(f.opened[1].contains(QStringLiteral("/popup/add_collection.htm?")));
        QVERIFY(f.opened[1].contains(QStringLiteral("&sellerid=")));
        QVERIFY(f.opened[2].contains(QStringLiteral("/popup/add_collection.htm?")));
        QVERIFY(f.opened[1] != f.opened[2]);
        QVERIFY(f.opened[4].endsWith(QStringLiteral("/content.asp?id=2")));
        // The contact label opens the same favourites page as the second entry.
        QTest::mouseClick(f.window->counter_label(), Qt::LeftButton);
        QCOMPARE(f.opened.last(), f.opened[1]);
        QTest::mouseClick(f.window->favourites_link(), Qt::LeftButton);
        QVERIFY(f.opened.last().contains(QStringLiteral("/popup/add_collection.htm?")));
        QVERIFY(f.opened.last().contains(QStringLiteral("&ownerid=")));
    }

    void right_click_shows_the_menu_beside_the_mouse() {
        testing::WindowFixture f;
        const QPoint inside(20, 40);  // an empty spot of the window
        right_click(f.window.get(), inside);
        QTRY_VERIFY(f.window->popup_menu()->isVisible());
        QCOMPARE(f.window->popup_menu()->pos(), f.window->mapToGlobal(inside) + QPoint(3, 3));
        f.window->popup_menu()->hide();
    }

    void menu_places_data() {
        QTest::addColumn<QString>("place");
        QTest::addColumn<int>("button");
        QTest::newRow("picture panel, right button")
            << QStringLiteral("picture") << int(Qt::RightButton);
        QTest::newRow("group label, left button") << QStringLiteral("group") << int(Qt::LeftButton);
    }

    void menu_places() {
        QFETCH(QString, place);
        QFETCH(int, button);
        testing::WindowFixture f;
        QWidget* target = place == QStringLiteral("picture")
                              ? static_cast<QWidget*>(f.window->picture_panel())
                              : f.window->group_label();
        if (button == Qt::RightButton)
            right_click(target, QPoint(5, 5));
        else
            QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        QTRY_VERIFY(f.window->popup_menu()->isVisible());
        f.window->popup_menu()->hide();
        // Neither opened a chat or a page.
        QVERIFY(f.opened.isEmpty());
    }

    void picture_panel_chat_follows_the_hour_data() {
        QTest::addColumn<int>("hour");
        QTest::addColumn<int>("contact");  // 1 day, 2 night
        QTest::newRow("07:00") << 7 << 2;
        QTest::newRow("08:00") << 8 << 1;
        QTest::newRow("17:00") << 17 << 1;
        QTest::newRow("18:00") << 18 << 2;
        QTest::newRow("00:00") << 0 << 2;
    }

    void picture_panel_chat_follows_the_hour() {
        QFETCH(int, hour);
        QFETCH(int, contact);
        testing::WindowFixture f;
        // The support links name the two contacts.
        QTest::mouseClick(f.window->support_link(1), Qt::LeftButton);
        QTest::mouseClick(f.window->support_link(2), Qt::LeftButton);
        QCOMPARE(f.opened.size(), 2);
        const QString day = chat_number(f.opened[0]);
        const QString night = chat_number(f.opened[1]);
        QVERIFY(!day.isEmpty() && !night.isEmpty() && day != night);
        QVERIFY(f.window->support_link(1)->text().endsWith(day));
        QVERIFY(f.window->support_link(2)->text().endsWith(night));

        ClockAt clock(hour);
        QTest::mouseClick(f.window->picture_panel(), Qt::LeftButton);
        QCOMPARE(f.opened.size(), 3);
        QCOMPARE(chat_number(f.opened[2]), contact == 1 ? day : night);
    }

    void browse_takes_the_picked_folder_only() {
        testing::WindowFixture f;
        QTemporaryDir other;
        QString asked_title;
        QString answer = other.path();
        set_folder_picker([&](QWidget*, const QString& title) {
            asked_title = title;
            return answer;
        });
        const QString before = f.window->save_folder_box()->text();
        answer.clear();  // cancelled
        QTest::mouseClick(f.window->browse_button(), Qt::LeftButton);
        QCOMPARE(asked_title, QStringLiteral("选择要下载的位置"));
        QCOMPARE(f.window->save_folder_box()->text(), before);
        answer = other.path();
        QTest::mouseClick(f.window->browse_button(), Qt::LeftButton);
        QCOMPARE(f.window->save_folder_box()->text(), other.path());
        QCOMPARE(f.window->save_folder_text(), other.path().toStdString());

        // The open-folder button shows the save folder itself.
        QTest::mouseClick(f.window->open_folder_button(), Qt::LeftButton);
        QCOMPARE(f.opened.last(), QUrl::fromLocalFile(other.path()).toString());
    }

    void browse_refuses_a_folder_gbk_cannot_name() {
        testing::WindowFixture f;
        set_folder_picker(
            [](QWidget*, const QString&) { return QStringLiteral("/home/u/\U0001F600"); });
        const QString before = f.window->save_folder_box()->text();
        QTest::mouseClick(f.window->browse_button(), Qt::LeftButton);
        QCOMPARE(f.window->save_folder_box()->text(), before);
        QCOMPARE(shown_messages(),
                 QStringList{QStringLiteral(
                     "信息：|这个文件夹的名称含有无法保存的字符，请另选一个文件夹！")});
    }

    void help_is_written_once_and_opened() {
        testing::WindowFixture f;
        const QString path = f.work.filePath(QStringLiteral("pvtk7_help.chm"));
        QTest::mouseClick(f.window->tips_panel(), Qt::LeftButton);
        QCOMPARE(f.opened.last(), QUrl::fromLocalFile(path).toString());
        QFile written(path);
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QByteArray bytes = written.readAll();
        written.close();
        QCOMPARE(bytes, QByteArray::fromStdString(std::string(embedded_help_file())));
        QVERIFY(bytes.startsWith("ITSF"));

        // An older file of that name is opened unchanged.
        QVERIFY(written.open(QIODevice::WriteOnly | QIODevice::Truncate));
        written.write("older help");
        written.close();
        for (QAction* a : f.window->popup_menu()->actions())
            if (a->text() == QStringLiteral("使用帮助")) a->trigger();
        QCOMPARE(f.opened.size(), 2);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), QByteArray("older help"));
        written.close();

        // Deleted, it is written anew.
        QVERIFY(QFile::remove(path));
        f.window->open_help();
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), bytes);
    }

    void tray_double_clicks_toggle_the_window() {
        testing::WindowFixture f;
        // The offscreen platform has no tray; the window copes.
        QCOMPARE(f.window->show_tray_icon(), QSystemTrayIcon::isSystemTrayAvailable());
        QVERIFY(f.window->isVisible());
        f.window->tray_activated(QSystemTrayIcon::DoubleClick, QPoint(400, 300));
        QVERIFY(!f.window->isVisible());
        f.window->tray_activated(QSystemTrayIcon::DoubleClick, QPoint(400, 300));
        QVERIFY(f.window->isVisible());
        f.window->tray_activated(QSystemTrayIcon::Trigger, QPoint(400, 300));
        QVERIFY(f.window->isVisible());
        QVERIFY(!f.window->popup_menu()->isVisible());
    }

    void tray_right_button_brings_window_and_menu() {
        testing::WindowFixture f;
        f.window->hide();
        const QPoint mouse(600, 500);
        f.window->tray_activated(QSystemTrayIcon::Context, mouse);
        QVERIFY(f.window->isVisible());
        QTRY_VERIFY(f.window->popup_menu()->isVisible());
        const QRect menu = f.window->popup_menu()->geometry();
        // Top-right corner 5 pixels left of and above the mouse.
        QCOMPARE(QPoint(menu.right() + 1, menu.top()), mouse - QPoint(5, 5));
        f.window->popup_menu()->hide();
    }

    void quit_entry_closes_the_window() {
        testing::WindowFixture f;
        for (QAction* a : f.window->popup_menu()->actions())
            if (a->text() == QStringLiteral("关闭程序")) a->trigger();
        QVERIFY(!f.window->isVisible());
        QVERIFY(f.window->main_window().is_closed());
    }
};

QINGHE_APP_TEST(MenusLinksTest)
#include "menus_links_test.moc"
