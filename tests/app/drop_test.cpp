// Files dropped onto the address box: .txt replaces the text, .csv appends
// its path, anything else (and several files) changes nothing.
#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>

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

QString write(const QTemporaryDir& dir, const QString& name, const QByteArray& content) {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(content);
    return path;
}

// Delivers the drop the way the window system does: enter, move, drop, at
// a point of the window.
bool drop_files(DesktopWindow& w, const QStringList& paths, QPoint at) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& p : paths) urls.append(QUrl::fromLocalFile(p));
    data.setUrls(urls);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &drop);
    return drop.isAccepted();
}

QPoint on_address_box(DesktopWindow& w) { return w.address_box()->geometry().center(); }

}  // namespace

class DropTest : public QObject {
    Q_OBJECT

private slots:
    void txt_replaces_the_text_each_time() {
        testing::WindowFixture f;
        QTemporaryDir dir;
        DesktopWindow& w = *f.window;
        // GBK content, kept byte for byte.
        const Text content = "http://a.example/1.jpg\r\n" + gbk("淘宝") + "\r\n";
        const QString first =
            write(dir, QStringLiteral("first.txt"), QByteArray::fromStdString(content));
        const QString second = write(dir, QStringLiteral("second.txt"), "http://b.example/2.jpg");
        QVERIFY(drop_files(w, {first}, on_address_box(w)));
        QCOMPARE(w.address_text(), content);
        QVERIFY(drop_files(w, {second}, on_address_box(w)));
        QCOMPARE(w.address_text(), Text("http://b.example/2.jpg"));
        QTRY_VERIFY(w.address_box()->hasFocus());
    }

    void txt_with_a_zero_byte_is_cut_there() {
        testing::WindowFixture f;
        QTemporaryDir dir;
        const QString path = write(dir, QStringLiteral("zero.txt"), QByteArray("a.jpg\0rest", 10));
        QVERIFY(drop_files(*f.window, {path}, on_address_box(*f.window)));
        QCOMPARE(f.window->address_text(), Text("a.jpg"));
    }

    void unreadable_txt_empties_the_box() {
        testing::WindowFixture f;
        QTemporaryDir dir;
        f.window->set_address_text("http://a.example/1.jpg");
        QVERIFY(drop_files(*f.window, {dir.filePath(QStringLiteral("missing.txt"))},
                           on_address_box(*f.window)));
        QVERIFY(f.window->address_box()->toPlainText().isEmpty());
    }

    void csv_onto_placeholder_leaves_only_the_path() {
        testing::WindowFixture f;
        QTemporaryDir dir;
        DesktopWindow& w = *f.window;
        w.start_button()->setFocus();
        QCOMPARE(w.address_box()->toPlainText(), kPlaceholder);
        const QString path = write(dir, QStringLiteral("package.csv"), "x");
        QVERIFY(drop_files(w, {path}, on_address_box(w)));
        QCOMPARE(w.address_box()->toPlainText(), path);
    }

    void csv_onto_addresses_appends_a_line() {
        testing::WindowFixture f;
        QTemporaryDir dir;
        DesktopWindow& w = *f.window;
        w.set_address_text("http://a.example/1.jpg");
        const QString path = write(dir, QStringLiteral("package.csv"), "x");
        QVERIFY(drop_files(w, {path}, on_address_box(w)));
        QCOMPARE(w.address_box()->toPlainText(), QStringLiteral("http://a.example/1.jpg\n") + path);
        QCOMPARE(w.address_text(), "http://a.example/1.jpg\r\n" + path.toStdString());
    }

    void other_drops_change_nothing_data() {
        QTest::addColumn<QStringList>("names");
        QTest::newRow("upper-case TXT") << QStringList{QStringLiteral("LIST.TXT")};
        QTest::newRow("upper-case CSV") << QStringList{QStringLiteral("PACKAGE.CSV")};
        QTest::newRow("picture") << QStringList{QStringLiteral("a.jpg")};
        QTest::newRow("two txt files")
            << QStringList{QStringLiteral("a.txt"), QStringLiteral("b.txt")};
        QTest::newRow("txt and csv")
            << QStringList{QStringLiteral("a.txt"), QStringLiteral("b.csv")};
    }

    void other_drops_change_nothing() {
        QFETCH(QStringList, names);
        testing::WindowFixture f;
        QTemporaryDir dir;
        DesktopWindow& w = *f.window;
        w.set_address_text("http://a.example/1.jpg");
        QStringList paths;
        for (const QString& n : names) paths.append(write(dir, n, "http://replaced.example/x.jpg"));
        drop_files(w, paths, on_address_box(w));
        QCOMPARE(w.address_text(), Text("http://a.example/1.jpg"));
    }

    void drop_outside_the_address_box_is_refused() {
        testing::WindowFixture f;
        QTemporaryDir dir;
        DesktopWindow& w = *f.window;
        w.set_address_text("keep");
        const QString path = write(dir, QStringLiteral("a.txt"), "replaced");
        QVERIFY(!drop_files(w, {path}, w.file_list_box()->geometry().center()));
        QCOMPARE(w.address_text(), Text("keep"));
    }

    void drop_works_while_the_box_is_disabled() {
        testing::WindowFixture f;
        QTemporaryDir dir;
        DesktopWindow& w = *f.window;
        w.set_address_text("http://a.example/1.jpg");
        w.set_address_enabled(false);
        const QString csv = write(dir, QStringLiteral("p.csv"), "x");
        QVERIFY(drop_files(w, {csv}, on_address_box(w)));
        QCOMPARE(w.address_box()->toPlainText(), QStringLiteral("http://a.example/1.jpg\n") + csv);
        const QString txt = write(dir, QStringLiteral("list.txt"), "http://b.example/2.jpg");
        QVERIFY(drop_files(w, {txt}, on_address_box(w)));
        QCOMPARE(w.address_text(), Text("http://b.example/2.jpg"));
        QVERIFY(!w.address_box()->isEnabled());
    }
};

QINGHE_APP_TEST(DropTest)
#include "drop_test.moc"
