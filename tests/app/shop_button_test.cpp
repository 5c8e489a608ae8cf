// The "整店宝贝下载" button opens the shop link window modally; its confirm
// button replaces the address box text.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "../shop/fake_shops.h"
#include "app/address_box.h"
#include "app/desktop_window.h"
#include "app/shop_link_window.h"
#include "app_test_support.h"
#include "base/web.h"

using namespace qinghe;
using namespace qinghe::app;

class ShopButtonTest : public QObject {
    Q_OBJECT

private slots:
    void confirmed_links_replace_the_address_box() {
        test_support::FakeShopServer server;
        server.add(test_support::shop(ShopKind::Ali1688, "beta.1688.com", {{"1688", "68"}}));
        QVERIFY(server.start());
        set_connect_to(server.routes({"beta.1688.com"}));
        testing::WindowFixture f;
        DesktopWindow& w = *f.window;
        w.set_address_text("http://old.example/1.jpg");
        bool seen_modal = false;
        bool fetching = false;
        QTimer poll;
        poll.setInterval(10);
        // Drives the modal window from inside its own event loop: collect
        // the shop's links, then confirm them.
        connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<ShopLinkWindow*>(QApplication::activeModalWidget());
            if (!dialog) return;
            if (!fetching) {
                seen_modal = dialog->isModal() && dialog->isVisible();
                dialog->shop_address_box()->setText(QStringLiteral("beta.1688.com"));
                dialog->fetch_button()->click();
                fetching = true;
            } else if (dialog->fetch_button()->isEnabled() &&
                       !dialog->shop_link_box()->toPlainText().isEmpty()) {
                poll.stop();
                dialog->accept_button()->click();
            }
        });
        poll.start();
        QTimer::singleShot(20000, [] {
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();  // never hang the suite
        });
        QTest::mouseClick(w.shop_link_button(), Qt::LeftButton);  // returns when the dialog closed
        set_connect_to({});
        QVERIFY(seen_modal);
        QCOMPARE(w.address_text(), Text("http://detail.1688.com/offer/1688.html\r\n"
                                        "http://detail.1688.com/offer/68.html\r\n"));
        QVERIFY(!QApplication::activeModalWidget());
    }
};

QINGHE_APP_TEST(ShopButtonTest)
#include "shop_button_test.moc"
