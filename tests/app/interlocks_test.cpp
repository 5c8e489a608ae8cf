// The option boxes' click interlocks, driven by real mouse clicks.
#include <QCheckBox>
#include <QRadioButton>
#include <QTest>

#include "app/desktop_window.h"
#include "app_test_support.h"

using namespace qinghe;
using namespace qinghe::app;

namespace {

// Box order of the state strings: main, detail, other, smart, title, export,
// remove links; then "|" and whether the radio buttons are enabled.
const OptionBox kBoxes[] = {OptionBox::DownloadMainPictures,  OptionBox::DownloadDetailPictures,
                            OptionBox::DownloadOtherPictures, OptionBox::SmartCategorySave,
                            OptionBox::ShowItemTitle,         OptionBox::ExportDataPackage,
                            OptionBox::RemoveHyperlinks};

QString state_of(DesktopWindow& w) {
    QString s;
    for (auto box : kBoxes) s += w.option_box(box)->isChecked() ? u'1' : u'0';
    s += u'|';
    s += (w.independent_radio()->isEnabled() && w.composite_radio()->isEnabled())     ? u'1'
         : (!w.independent_radio()->isEnabled() && !w.composite_radio()->isEnabled()) ? u'0'
                                                                                      : u'?';
    return s;
}

OptionBox box_named(QChar c) {
    switch (c.unicode()) {
        case 'M': return OptionBox::DownloadMainPictures;
        case 'D': return OptionBox::DownloadDetailPictures;
        case 'O': return OptionBox::DownloadOtherPictures;
        case 'S': return OptionBox::SmartCategorySave;
        case 'T': return OptionBox::ShowItemTitle;
        case 'E': return OptionBox::ExportDataPackage;
        default: return OptionBox::RemoveHyperlinks;  // 'R'
    }
}

}  // namespace

class InterlocksTest : public QObject {
    Q_OBJECT

private slots:
    void clicks_data() {
        QTest::addColumn<QString>("clicks");  // letters of the boxes, in order
        QTest::addColumn<QString>("expected");
        // Start-up:                                          "1111011|1"
        QTest::newRow("export unchecked") << "E"
                                          << "1111001|0";
        QTest::newRow("export checked again") << "EE"
                                              << "1111011|1";
        QTest::newRow("export checked checks detail") << "DRE"
                                                      << "1111011|1";
        QTest::newRow("detail unchecked") << "D"
                                          << "1011000|0";
        QTest::newRow("detail unchecked, export checked") << "DE"
                                                          << "1111010|1";
        QTest::newRow("detail checked again changes nothing else") << "DD"
                                                                   << "1111000|0";
        QTest::newRow("smart unchecked") << "TS"
                                         << "1110001|0";
        QTest::newRow("smart unchecked, title checked") << "ST"
                                                        << "1111101|0";
        QTest::newRow("smart checked again changes nothing else") << "SS"
                                                                  << "1111001|0";
        QTest::newRow("title checked") << "T"
                                       << "1111111|1";
        QTest::newRow("title unchecked changes nothing else") << "TT"
                                                              << "1111011|1";
        QTest::newRow("main has no rule") << "M"
                                          << "0111011|1";
        QTest::newRow("other has no rule") << "O"
                                           << "1101011|1";
        QTest::newRow("remove links has no rule") << "R"
                                                  << "1111010|1";
        QTest::newRow("remove links checked again") << "DR"
                                                    << "1011001|0";
    }

    void clicks() {
        QFETCH(QString, clicks);
        QFETCH(QString, expected);
        testing::WindowFixture f;
        QCOMPARE(state_of(*f.window), QStringLiteral("1111011|1"));
        for (QChar c : clicks)
            QTest::mouseClick(f.window->option_box(box_named(c)), Qt::LeftButton);
        QCOMPARE(state_of(*f.window), expected);
    }

    void radio_buttons_are_one_group() {
        testing::WindowFixture f;
        DesktopWindow& w = *f.window;
        QTest::mouseClick(w.independent_radio(), Qt::LeftButton);
        QVERIFY(w.independent_radio()->isChecked());
        QVERIFY(!w.composite_radio()->isChecked());
        QVERIFY(w.independent_package_selected());
        QCOMPARE(state_of(w), QStringLiteral("1111011|1"));
        QTest::mouseClick(w.composite_radio(), Qt::LeftButton);
        QVERIFY(!w.independent_package_selected());
    }

    void options_read_through_the_engine() {
        testing::WindowFixture f;
        DesktopWindow& w = *f.window;
        QTest::mouseClick(w.option_box(OptionBox::DownloadDetailPictures), Qt::LeftButton);
        JobOptions options = w.main_window().options();
        QVERIFY(!options.download_detail_pictures());
        QVERIFY(!options.export_data_package());
        QVERIFY(!options.remove_hyperlinks());
        QVERIFY(options.smart_category_save());
        QCOMPARE(options.package_kind(), PackageKind::Composite);
    }
};

QINGHE_APP_TEST(InterlocksTest)
#include "interlocks_test.moc"
