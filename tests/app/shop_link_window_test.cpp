// The shop link window on the offscreen platform, against fake shops on 127.0.0.1.
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <memory>
#include <vector>

#include "../shop/fake_shops.h"
#include "app/message_boxes.h"
#include "app/qt_text.h"
#include "app/shop_link_window.h"
#include "app_test_support.h"
#include "base/web.h"
#include "shop/shop_link_session.h"

using namespace qinghe;
using namespace qinghe::app;

namespace {

const QString kInfoCaption = QStringLiteral("信息：");

struct Accepted {
    int calls = 0;
    Text links;
};

std::unique_ptr<ShopLinkWindow> make_window(Accepted& accepted) {
    auto window = std::make_unique<ShopLinkWindow>([&accepted](const Text& links) {
        ++accepted.calls;
        accepted.links = links;
    });
    window->show();
    return window;
}

}  // namespace

class ShopLinkWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() { clear_message_answers(); }
    void cleanup() {
        clear_message_answers();
        set_connect_to({});
    }

    void controls_in_place() {
        Accepted accepted;
        auto w = make_window(accepted);
        QCOMPARE(w->windowTitle(), QStringLiteral("批量获取宝贝链接"));
        QCOMPARE(w->size(), QSize(591, 475));

        struct Expected {
            QWidget* widget;
            QRect place;
            QString caption;
        };
        QLabel* address_label = nullptr;
        QLabel* links_label = nullptr;
        for (QLabel* label : w->findChildren<QLabel*>()) {
            if (label->text() == QStringLiteral("淘宝、天猫、阿里店铺地址："))
                address_label = label;
            if (label->text() == QStringLiteral("整店宝贝链接：")) links_label = label;
        }
        QVERIFY(address_label && links_label);
        const Expected expected[] = {
            {address_label, {8, 16, 176, 24}, address_label->text()},
            {w->shop_address_box(), {168, 16, 360, 24}, QString()},
            {w->fetch_button(), {536, 16, 40, 24}, QStringLiteral("获取")},
            {w->example_label(), {8, 48, 424, 56}, QString()},
            {w->progress_bar(), {440, 64, 136, 24}, QString()},
            {links_label, {8, 112, 112, 24}, links_label->text()},
            {w->link_count_label(), {136, 112, 256, 24}, QString()},
            {w->clear_button(), {400, 104, 48, 32}, QStringLiteral("清空")},
            {w->accept_button(), {480, 104, 88, 32}, QStringLiteral("确定")},
            {w->shop_link_box(), {8, 140, 568, 300}, QString()},
        };
        for (const Expected& e : expected) {
            QCOMPARE(e.widget->geometry(), e.place);
            if (auto* button = qobject_cast<QPushButton*>(e.widget))
                QCOMPARE(button->text(), e.caption);
        }
        const QStringList example = w->example_label()->text().split(u'\n');
        QCOMPARE(example.size(), 4);
        QCOMPARE(example[0], QStringLiteral("店铺地址输入示例："));
        QVERIFY(example[1].startsWith(QStringLiteral("天猫店铺：http://")));
        QVERIFY(example[2].startsWith(QStringLiteral("淘宝店铺：http://")));
        QVERIFY(example[3].startsWith(QStringLiteral("1688店铺：http://")));
        QVERIFY(w->progress_bar()->isHidden());
        QVERIFY(!w->shop_link_box()->isEnabled());
        QCOMPARE(w->shop_link_box()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QVERIFY(w->link_count_label()->text().isEmpty());
        QVERIFY(w->shop_address_box()->text().isEmpty());
    }

    void accept_needs_a_link() {
        Accepted accepted;
        auto w = make_window(accepted);
        queue_message_answer(1);
        QTest::mouseClick(w->accept_button(), Qt::LeftButton);
        QCOMPARE(shown_messages(),
                 QStringList{kInfoCaption + u'|' + QStringLiteral("您还未获取一个链接呢！")});
        QCOMPARE(accepted.calls, 0);
        QVERIFY(w->isVisible());

        queue_message_answer(1);
        QTest::mouseClick(w->fetch_button(), Qt::LeftButton);
        QCOMPARE(shown_messages().last(),
                 kInfoCaption + u'|' + QStringLiteral("店铺地址不能不输入的！"));
        QVERIFY(w->fetch_button()->isEnabled());
    }

    void collect_clear_and_accept() {
        test_support::FakeShopServer server;
        server.add(test_support::shop(ShopKind::Tmall, "alpha.tmall.com", {{"11", "12"}, {"13"}}));
        server.add(test_support::shop(ShopKind::Ali1688, "beta.1688.com", {{"1688", "68"}}));
        QVERIFY(server.start());
        set_connect_to(server.routes({"alpha.tmall.com", "beta.1688.com"}));
        server.hold("alpha.tmall.com/search.htm?search=y&pageNo=2");

        Accepted accepted;
        auto w = make_window(accepted);
        QTest::keyClicks(w->shop_address_box(), QStringLiteral("alpha.tmall.com/shop.htm?x=1"));
        QTest::mouseClick(w->fetch_button(), Qt::LeftButton);
        QCOMPARE(w->shop_address_box()->text(), QStringLiteral("http://alpha.tmall.com"));
        QVERIFY(!w->fetch_button()->isEnabled());
        QVERIFY(w->clear_button()->isEnabled() && w->accept_button()->isEnabled());
        QVERIFY(server.wait_for_request("alpha.tmall.com/search.htm?search=y&pageNo=2",
                                        std::chrono::seconds(10)));
        QTRY_COMPARE(w->link_count_label()->text(), QStringLiteral("共获得 2 个宝贝链接！"));
        QVERIFY(w->progress_bar()->isVisible());
        QTRY_COMPARE(w->progress_bar()->value(), 10 + 45);  // 90 / 2 pages after page 1
        QVERIFY(!w->fetch_button()->isEnabled());           // still collecting
        server.release();
        QTRY_VERIFY(w->fetch_button()->isEnabled());
        QVERIFY(w->progress_bar()->isHidden());
        QCOMPARE(w->link_count_label()->text(), QStringLiteral("共获得 3 个宝贝链接！"));
        QCOMPARE(w->shop_link_box()->toPlainText(),
                 QStringLiteral("http://detail.tmall.com/item.htm?id=11\n"
                                "http://detail.tmall.com/item.htm?id=12\n"
                                "http://detail.tmall.com/item.htm?id=13\n"));

        // "清空" empties both boxes; the count goes on with the next shop.
        QTest::mouseClick(w->clear_button(), Qt::LeftButton);
        QVERIFY(w->shop_address_box()->text().isEmpty());
        QVERIFY(w->shop_link_box()->toPlainText().isEmpty());
        QTest::keyClicks(w->shop_address_box(), QStringLiteral("beta.1688.com"));
        QTest::mouseClick(w->fetch_button(), Qt::LeftButton);
        QTRY_VERIFY(w->fetch_button()->isEnabled());
        QCOMPARE(w->link_count_label()->text(), QStringLiteral("共获得 5 个宝贝链接！"));
        QCOMPARE(w->progress_bar()->value(), 100);
        QVERIFY(w->progress_bar()->isVisible());

        QTest::mouseClick(w->accept_button(), Qt::LeftButton);
        QCOMPARE(accepted.calls, 1);
        QCOMPARE(accepted.links, Text("http://detail.1688.com/offer/1688.html\r\n"
                                      "http://detail.1688.com/offer/68.html\r\n"));
        QCOMPARE(w->result(), int(QDialog::Accepted));
        QVERIFY(!w->isVisible());
        QVERIFY(shown_messages().isEmpty());
    }

    void closed_while_collecting() {
        test_support::FakeShopServer server;
        server.add(test_support::shop(ShopKind::Taobao, "slow.taobao.com", {{"1"}, {"2"}, {"3"}}));
        QVERIFY(server.start());
        set_connect_to(server.routes({"slow.taobao.com"}));
        server.hold("slow.taobao.com/search.htm?search=y&pageNo=1");
        {
            Accepted accepted;
            auto w = make_window(accepted);
            w->shop_address_box()->setText(QStringLiteral("slow.taobao.com"));
            QTest::mouseClick(w->fetch_button(), Qt::LeftButton);
            QVERIFY(server.wait_for_request("slow.taobao.com/search.htm?search=y&pageNo=1",
                                            std::chrono::seconds(10)));
            w->close();
        }  // destroyed while page 1 is on its way
        server.release();
        QTRY_COMPARE(live_collector_threads(), 0);
        QCoreApplication::processEvents();
        for (const std::string& r : server.requests())
            QVERIFY(r.find("pageNo=2") == std::string::npos);
    }
};

QINGHE_APP_TEST(ShopLinkWindowTest)
#include "shop_link_window_test.moc"
