// The main window's controls: caption, place, size, colour and first state.
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "app/address_box.h"
#include "app/clickable_label.h"
#include "app/desktop_window.h"
#include "app_test_support.h"

using namespace qinghe;
using namespace qinghe::app;

namespace {

QString caption_of(QWidget* w) {
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* e = qobject_cast<QPlainTextEdit*>(w)) return e->toPlainText();
    return {};
}

// The label whose caption is the text, among the window's children.
QLabel* label_with(QWidget* window, const QString& caption) {
    for (auto* label : window->findChildren<QLabel*>())
        if (label->text() == caption) return label;
    return nullptr;
}

}  // namespace

class WindowLayoutTest : public QObject {
    Q_OBJECT

private slots:
    void title_place_and_size() {
        testing::WindowFixture f;
        QCOMPARE(
            f.window->windowTitle(),
            QStringLiteral(
                "《青禾淘宝图片搬家工具》 淘宝、天猫、1688阿里图片批量下载器 （包含CSS图片分析并下载）店铺宝贝复制 V8.1"));
        QCOMPARE(f.window->size(), QSize(1068, 648));
        QCOMPARE(f.window->pos(), QPoint(50, 50));
    }

    void controls_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("kind");
        auto row = [](const char* name, const QString& caption, QRect rect, const char* kind) {
            QTest::newRow(name) << caption << rect << QString::fromLatin1(kind);
        };
        row("address box",
            QStringLiteral("复制淘宝、天猫、阿里的商品连接地址粘贴到此文本框里，每行一个。"),
            {72, 3, 816, 309}, "qinghe::app::AddressBox");
        row("address label", QStringLiteral("淘宝地址："), {8, 145, 88, 24}, "QLabel");
        row("shop link button", QStringLiteral("整店宝贝下载"), {920, 272, 120, 32}, "QPushButton");
        row("main pictures", QStringLiteral("下载主图"), {16, 325, 88, 24}, "QCheckBox");
        row("detail pictures", QStringLiteral("下载细节图"), {111, 325, 98, 24}, "QCheckBox");
        row("other pictures", QStringLiteral("下载其他图"), {220, 325, 100, 24}, "QCheckBox");
        row("smart save", QStringLiteral("智能分类保存"), {334, 325, 113, 24}, "QCheckBox");
        row("show title", QStringLiteral("显示宝贝标题"), {448, 325, 112, 24}, "QCheckBox");
        row("export package", QStringLiteral("导出CSV数据包"), {568, 325, 116, 24}, "QCheckBox");
        row("independent", QStringLiteral("独立包"), {676, 325, 80, 24}, "QRadioButton");
        row("composite", QStringLiteral("复合包"), {748, 329, 72, 16}, "QRadioButton");
        row("remove links", QStringLiteral("自动删除超链接"), {827, 325, 128, 24}, "QCheckBox");
        row("save folder label", QStringLiteral("保存位置："), {8, 358, 88, 24}, "QLabel");
        row("browse", QStringLiteral("浏览"), {592, 358, 56, 24}, "QPushButton");
        row("open folder", QStringLiteral("打开文件夹"), {656, 358, 72, 24}, "QPushButton");
        row("style-sheet label", QStringLiteral("CSS地址："), {15, 405, 64, 24}, "QLabel");
        row("file list label", QStringLiteral("图片文件："), {8, 501, 88, 24}, "QLabel");
        row("start button", QStringLiteral("立即下载"), {579, 479, 145, 40}, "QPushButton");
        row("status line",
            QStringLiteral("欢迎使用《青禾淘宝图片搬家工具》，快速打造您的网络商城！"),
            {16, 599, 456, 16}, "QLabel");
        row("contact label", QStringLiteral("点击收藏青禾淘图小店，获取最新版本！"),
            {565, 533, 168, 49}, "QLabel");
    }

    void controls() {
        QFETCH(QString, caption);
        QFETCH(QRect, geometry);
        QFETCH(QString, kind);
        testing::WindowFixture f;
        QWidget* found = nullptr;
        for (auto* w : f.window->findChildren<QWidget*>())
            if (w->parentWidget() == f.window.get() && w->inherits(kind.toLatin1()) &&
                caption_of(w) == caption)
                found = w;
        QVERIFY2(found, qPrintable(caption));
        QCOMPARE(found->geometry(), geometry);
        QVERIFY(found->isVisible());
    }

    void first_states() {
        testing::WindowFixture f;
        DesktopWindow& w = *f.window;
        const std::pair<OptionBox, bool> boxes[] = {
            {OptionBox::DownloadMainPictures, true},  {OptionBox::DownloadDetailPictures, true},
            {OptionBox::DownloadOtherPictures, true}, {OptionBox::SmartCategorySave, true},
            {OptionBox::ShowItemTitle, false},        {OptionBox::ExportDataPackage, true},
            {OptionBox::RemoveHyperlinks, true}};
        for (auto [box, checked] : boxes) QCOMPARE(w.option_box(box)->isChecked(), checked);
        QVERIFY(!w.independent_radio()->isChecked());
        QVERIFY(w.composite_radio()->isChecked());
        QVERIFY(w.independent_radio()->isEnabled() && w.composite_radio()->isEnabled());
        QVERIFY(!w.independent_package_selected());
        QVERIFY(!w.save_folder_box()->isEnabled());
        QCOMPARE(w.save_folder_box()->geometry(), QRect(72, 358, 512, 24));
        QVERIFY(w.start_button()->isEnabled());
        QCOMPARE(w.progress_bar()->minimum(), 0);
        QCOMPARE(w.progress_bar()->maximum(), 100);
        QCOMPARE(w.progress_bar()->value(), 0);
        QCOMPARE(w.progress_bar()->geometry(), QRect(16, 582, 704, 9));
        QVERIFY(w.style_sheet_box()->toPlainText().isEmpty());
        QCOMPARE(w.style_sheet_box()->geometry(), QRect(72, 388, 656, 58));
        QVERIFY(w.file_list_box()->toPlainText().isEmpty());
        QCOMPARE(w.file_list_box()->geometry(), QRect(72, 453, 488, 120));
        QCOMPARE(w.picture_panel()->geometry(), QRect(736, 358, 320, 233));
        QCOMPARE(w.tips_panel()->geometry(), QRect(904, 12, 147, 278));
        QVERIFY(w.tips_panel()->text().startsWith(QStringLiteral("您知道吗？\n\n\u3000\u30001、")));
        QCOMPARE(w.tips_panel()->text().count(QStringLiteral("\n\n\u3000\u3000")), 4);
        QCOMPARE(w.group_label()->geometry(), QRect(481, 599, 167, 16));
        QVERIFY(w.group_label()->text().startsWith(QStringLiteral("官方指定QQ群：")));
        QCOMPARE(w.support_link(1)->geometry(), QRect(657, 595, 100, 24));
        QCOMPARE(w.support_link(2)->geometry(), QRect(769, 595, 100, 24));
        QVERIFY(w.support_link(1)->text().startsWith(QStringLiteral("客服QQ：")));
        QCOMPARE(w.favourites_link()->geometry(), QRect(888, 599, 153, 16));
        QVERIFY(w.favourites_link()->text().startsWith(QStringLiteral("收藏《")));
        QVERIFY(w.favourites_link()->text().endsWith(QStringLiteral("》")));
        QVERIFY(label_with(f.window.get(), QStringLiteral("青禾 taotu.example")));
    }

    void box_colours() {
        testing::WindowFixture f;
        DesktopWindow& w = *f.window;
        const QColor grey(236, 236, 236);
        QCOMPARE(w.address_box()->palette().color(QPalette::Base), QColor(Qt::white));
        QCOMPARE(w.save_folder_box()->palette().color(QPalette::Disabled, QPalette::Base),
                 QColor(Qt::white));
        QCOMPARE(w.style_sheet_box()->palette().color(QPalette::Base), grey);
        QCOMPARE(w.file_list_box()->palette().color(QPalette::Base), grey);
        QCOMPARE(w.address_box()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(w.address_box()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    }
};

QINGHE_APP_TEST(WindowLayoutTest)
#include "window_layout_test.moc"
