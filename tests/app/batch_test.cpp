// A batch of picture addresses started with the start button, against a
// loopback server, through the real window and the real engine.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "app/address_box.h"
#include "app/clickable_label.h"
#include "app/desktop_window.h"
#include "app/message_boxes.h"
#include "app_test_support.h"
#include "base/date_time.h"
#include "base/message.h"
#include "base/prefetch.h"
#include "support/gbk_literal.h"

#include <thread>

using namespace qinghe;
using namespace qinghe::app;
using qinghe::test_support::gbk;

class BatchTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { set_clock({}); }

    void picture_batch_keeps_the_window_responsive() {
        set_clock([] { return make_date_time(2013, 5, 7, 14, 3, 9); });
        // The server holds every request; one transfer at a time, so that
        // exactly one request waits while the window is clicked.
        set_parallel_transfers(1);
        testing::PictureServer server(/*hold_requests=*/true);
        testing::WindowFixture f;
        DesktopWindow& w = *f.window;
        const std::string base = server.base() + "/pictures/";
        // Each line's file name as saved: "_.webp" is dropped from the address.
        const std::vector<std::pair<std::string, std::string>> lines = {{"p1.jpg", "p1.jpg"},
                                                                        {"p2.png", "p2.png"},
                                                                        {"p3.gif", "p3.gif"},
                                                                        {"p4.jpg_.webp", "p4.jpg"},
                                                                        {"p5.jpg", "p5.jpg"}};
        Text box;
        for (auto& [line, saved] : lines) box += base + line + "\r\n";
        w.set_address_text(box);
        const QString resting = w.counter_label()->text();

        QTest::mouseClick(w.start_button(), Qt::LeftButton);
        const int count = int(lines.size());
        for (int n = 1; n <= count; ++n) {
            // The worker now waits for the server; the window thread is free
            // and shows what the worker wrote so far.
            QTRY_COMPARE(server.waiting(), 1);
            QTRY_COMPARE(w.start_button()->text(), QStringLiteral("正在下载中……"));
            QTRY_COMPARE(w.status_line()->text(),
                         QStringLiteral("（%1/%2）正在下载，请稍等……").arg(n).arg(count));
            QVERIFY(!w.address_box()->isEnabled());
            QVERIFY(!w.start_button()->isEnabled());
            // The window answers clicks meanwhile.
            QCheckBox* other = w.option_box(OptionBox::DownloadOtherPictures);
            QTest::mouseClick(other, Qt::LeftButton);
            QVERIFY(!other->isChecked());
            QTest::mouseClick(other, Qt::LeftButton);
            QVERIFY(other->isChecked());
            server.release_one();
        }
        QTRY_COMPARE(w.status_line()->text(), QStringLiteral("（5/5）全部下载完毕！"));
        QCOMPARE(w.start_button()->text(), QStringLiteral("立即下载"));
        QVERIFY(w.start_button()->isEnabled());
        QVERIFY(w.address_box()->isEnabled());
        QCOMPARE(w.counter_label()->text(), resting);
        QCOMPARE(w.progress_bar()->value(), 0);
        QVERIFY(!w.dispatch_timer().isActive());
        QVERIFY(shown_messages().isEmpty());
        // The address box keeps its text; the file list holds every picture.
        QCOMPARE(w.address_text(), box);
        QString listed;
        for (auto& [line, saved] : lines) listed += QString::fromStdString(base + saved) + u'\n';
        QCOMPARE(w.file_list_box()->toPlainText(), listed);

        const QDir batch(QDir(f.save.path()).filePath(QStringLiteral("2013571439共淘图5个地址")));
        QVERIFY(batch.exists());
        QCOMPARE(batch.entryList(QDir::Files).size(), count);
        for (auto& [line, saved] : lines) {
            QFile file(batch.filePath(QString::fromStdString(saved)));
            QVERIFY2(file.open(QIODevice::ReadOnly), saved.c_str());
            QCOMPARE(file.readAll(),
                     QByteArray::fromStdString(testing::PictureServer::picture_body(saved)));
        }
    }

    void refused_start_shows_the_message_and_keeps_the_box() {
        testing::WindowFixture f;
        DesktopWindow& w = *f.window;
        clear_message_answers();
        queue_message_answer(1);
        QTest::mouseClick(w.start_button(), Qt::LeftButton);  // placeholder only
        QCOMPARE(shown_messages(), QStringList{QStringLiteral("信息：|宝贝链接还未输入！")});
        QVERIFY(w.address_box()->isEnabled());
        QVERIFY(w.start_button()->isEnabled());
        QVERIFY(!w.dispatch_timer().isActive());
        QVERIFY(QDir(f.save.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
    }

    void worker_message_box_is_shown_on_the_window_thread() {
        testing::WindowFixture f;
        clear_message_answers();
        queue_message_answer(7);
        int answer = -1;
        std::thread worker([&] { answer = qinghe::show_message(gbk("信息")); });
        // The worker waits until the window thread has answered.
        QTRY_COMPARE(shown_messages().size(), 1);
        worker.join();
        QCOMPARE(answer, 7);
        QCOMPARE(shown_messages(), QStringList{QStringLiteral("信息：|信息")});
    }

    void window_may_close_while_a_worker_runs() {
        testing::PictureServer server(/*hold_requests=*/true);
        testing::WindowFixture f;
        f.window->set_address_text(server.base() + "/pictures/late.jpg");
        QTest::mouseClick(f.window->start_button(), Qt::LeftButton);
        QTRY_COMPARE(server.waiting(), 1);
        std::weak_ptr<MainWindow> engine_window = f.window->shared_main_window();
        f.window.reset();  // the user closed the program
        server.release_one();
        QTRY_COMPARE(server.served(), 1);
        // The worker held the engine's window to the end, wrote into the
        // batch folder and touched no widget; then let it go.
        QTRY_VERIFY(engine_window.expired());
        const QStringList batches =
            QDir(f.save.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QCOMPARE(batches.size(), 1);
        QFile saved(QDir(f.save.path()).filePath(batches.front() + QStringLiteral("/late.jpg")));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(),
                 QByteArray::fromStdString(testing::PictureServer::picture_body("late.jpg")));
    }

    void dispatch_timer_is_one_shot() {
        testing::WindowFixture f;
        DesktopWindow& w = *f.window;
        w.set_dispatch_timer(1);
        QVERIFY(w.dispatch_timer().isActive());
        QVERIFY(w.dispatch_timer().isSingleShot());
        QCOMPARE(w.dispatch_timer().interval(), 1);
        w.set_dispatch_timer(0);
        QVERIFY(!w.dispatch_timer().isActive());
    }
};

QINGHE_APP_TEST(BatchTest)
#include "batch_test.moc"
