// The address box's placeholder, focus rules and blank-line compaction, the
// double clicks that empty boxes, and the self-emptying style-sheet box.
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "app/address_box.h"
#include "app/desktop_window.h"
#include "app_test_support.h"
#include "support/gbk_literal.h"

using namespace qinghe;
using namespace qinghe::app;
using qinghe::test_support::gbk;

namespace {
const QString kPlaceholder =
    QStringLiteral("复制淘宝、天猫、阿里的商品连接地址粘贴到此文本框里，每行一个。");

void focus_address_box(DesktopWindow& w) {
    w.address_box()->setFocus(Qt::MouseFocusReason);
    QTRY_VERIFY(w.address_box()->hasFocus());
}

void leave_address_box(DesktopWindow& w) {
    w.start_button()->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(!w.address_box()->hasFocus());
}

std::string breaks(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += "\r\n";
    return s;
}
}  // namespace

class AddressBoxTest : public QObject {
    Q_OBJECT

private slots:
    void compaction_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("expected");
        auto row = [](const char* name, const std::string& in, const std::string& out) {
            QTest::newRow(name) << QByteArray::fromStdString(in) << QByteArray::fromStdString(out);
        };
        row("three breaks", "a" + breaks(3) + "b", "a\r\nb");
        row("two breaks", "a" + breaks(2) + "b", "a\r\nb");
        row("one break stays", "a\r\nb", "a\r\nb");
        row("run of 200", "a" + breaks(200) + "b", "a\r\nb");
        row("several runs", "a" + breaks(5) + "b" + breaks(2) + "c" + breaks(9), "a\r\nb\r\nc\r\n");
        row("leading and trailing single", "\r\na\r\n", "\r\na\r\n");
        row("leading run", breaks(4) + "a", "\r\na");
        row("bare LF untouched", "a\n\n\nb", "a\n\n\nb");
        row("no breaks", "abc", "abc");
        // GBK text whose trail bytes could look like CR or LF never do: GBK
        // trail bytes start at 0x40; the text passes through unchanged.
        row("gbk", gbk("青禾") + breaks(3) + gbk("淘"), gbk("青禾") + "\r\n" + gbk("淘"));
    }

    void compaction() {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, expected);
        QCOMPARE(QByteArray::fromStdString(compact_blank_lines(input.toStdString())), expected);
    }

    void placeholder_goes_on_focus_and_comes_back_when_empty() {
        testing::WindowFixture f;
        DesktopWindow& w = *f.window;
        QCOMPARE(w.address_box()->toPlainText(), kPlaceholder);
        focus_address_box(w);
        QVERIFY(w.address_box()->toPlainText().isEmpty());
        leave_address_box(w);
        QCOMPARE(w.address_box()->toPlainText(), kPlaceholder);
        // The placeholder holds no ASCII full stop, so it reads as no input.
        QVERIFY(w.address_text().find('.') == std::string::npos);
    }

    void focus_keeps_typed_text_and_compacts_on_leaving() {
        testing::WindowFixture f;
        DesktopWindow& w = *f.window;
        focus_address_box(w);
        QTest::keyClicks(w.address_box(), QStringLiteral("a"));
        for (int n = 0; n < 3; ++n) QTest::keyClick(w.address_box(), Qt::Key_Return);
        QTest::keyClicks(w.address_box(), QStringLiteral("b"));
        QCOMPARE(w.address_text(), Text("a\r\n\r\n\r\nb"));
        leave_address_box(w);
        QCOMPARE(w.address_text(), Text("a\r\nb"));
        focus_address_box(w);
        QCOMPARE(w.address_text(), Text("a\r\nb"));
    }

    void long_pasted_run_collapses_on_leaving() {
        testing::WindowFixture f;
        DesktopWindow& w = *f.window;
        focus_address_box(w);
        w.set_address_text("http://a.example/1.jpg" + breaks(200) + "http://a.example/2.jpg" +
                           breaks(1));
        leave_address_box(w);
        QCOMPARE(w.address_text(), Text("http://a.example/1.jpg\r\nhttp://a.example/2.jpg\r\n"));
    }

    void double_clicks_empty_the_boxes() {
        testing::WindowFixture f;
        DesktopWindow& w = *f.window;
        w.set_address_text("http://a.example/1.jpg\r\nhttp://a.example/2.jpg");
        QTest::mouseDClick(w.address_box()->viewport(), Qt::LeftButton);
        QVERIFY(w.address_box()->toPlainText().isEmpty());
        // Leaving the emptied box brings the placeholder back.
        leave_address_box(w);
        QCOMPARE(w.address_box()->toPlainText(), kPlaceholder);

        w.append_file_list("http://a.example/1.jpg\r\n");
        w.append_file_list("http://a.example/2.jpg\r\n");
        QCOMPARE(w.file_list_box()->toPlainText(),
                 QStringLiteral("http://a.example/1.jpg\nhttp://a.example/2.jpg\n"));
        QTest::mouseDClick(w.file_list_box()->viewport(), Qt::LeftButton);
        QVERIFY(w.file_list_box()->toPlainText().isEmpty());
    }

    void style_sheet_box_stays_empty() {
        testing::WindowFixture f;
        DesktopWindow& w = *f.window;
        w.style_sheet_box()->setFocus();
        QTest::keyClicks(w.style_sheet_box(), QStringLiteral("body{background:url(x.png)}"));
        QVERIFY(w.style_sheet_box()->toPlainText().isEmpty());
        w.style_sheet_box()->insertPlainText(QStringLiteral("pasted"));
        QVERIFY(w.style_sheet_box()->toPlainText().isEmpty());
        w.append_style_sheet_box("http://a.example/bg.png\r\n\r\n");
        QVERIFY(w.style_sheet_box()->toPlainText().isEmpty());
    }

    void address_text_round_trip() {
        testing::WindowFixture f;
        DesktopWindow& w = *f.window;
        // GBK text, CR LF line ends both ways.
        const Text text = gbk("淘宝") + "\r\nhttp://a.example/1.jpg\r\n";
        w.set_address_text(text);
        QCOMPARE(w.address_box()->toPlainText(), QStringLiteral("淘宝\nhttp://a.example/1.jpg\n"));
        QCOMPARE(w.address_text(), text);
    }
};

QINGHE_APP_TEST(AddressBoxTest)
#include "address_box_test.moc"
