// Start-up: the update rule and notice, the save folder default, and the
// single-instance guard (two guards in this process, and two real copies of
// the program).
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include "app/desktop_window.h"
#include "app/message_boxes.h"
#include "app/single_instance.h"
#include "app/start_up.h"
#include "app/update_notice.h"
#include "app_test_support.h"
#include "base/message.h"

using namespace qinghe;
using namespace qinghe::app;

namespace {

QString unique_guard_name() {
    static int n = 0;
    return QStringLiteral("qinghe-test-%1-%2").arg(QCoreApplication::applicationPid()).arg(++n);
}

// Reads the probe's output until a line equals the text.
bool wait_for_line(QProcess& probe, const QByteArray& line, QByteArray& seen, int ms = 20000) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        probe.waitForReadyRead(100);
        seen += probe.readAllStandardOutput();
        if (seen.split('\n').contains(line)) return true;
        if (probe.state() == QProcess::NotRunning && !probe.bytesAvailable())
            return seen.split('\n').contains(line);
    }
    return false;
}

}  // namespace

class StartUpTest : public QObject {
    Q_OBJECT

private slots:
    void update_rule_data() {
        QTest::addColumn<QByteArray>("announced");
        QTest::addColumn<bool>("notice");
        QTest::newRow("8.2") << QByteArray("8.2") << true;
        QTest::newRow("9 with line end") << QByteArray("9\r\n") << true;
        QTest::newRow("8.1") << QByteArray("8.1") << false;
        QTest::newRow("8.10000001") << QByteArray("8.10000001") << false;
        QTest::newRow("8.1000002") << QByteArray("8.1000002") << true;
        QTest::newRow("older") << QByteArray("7.9") << false;
        QTest::newRow("no number") << QByteArray("version 9") << false;
        QTest::newRow("html page") << QByteArray("<html>404</html>") << false;
        QTest::newRow("empty") << QByteArray() << false;
    }

    void update_rule() {
        QFETCH(QByteArray, announced);
        QFETCH(bool, notice);
        QCOMPARE(update_announced(announced.toStdString()), notice);
    }

    void update_notice_arrives_on_the_window_thread() {
        testing::WindowFixture f;
        testing::PictureServer server;
        server.serve_text("/pvtk/var.txt", "8.2");
        clear_message_answers();
        queue_message_answer(1);
        const QString address =
            QString::fromStdString(server.base()) + QStringLiteral("/pvtk/var.txt");
        check_for_update(f.window->shared_main_window(), address);
        // The check returns at once; the notice comes through the event loop.
        QTRY_COMPARE(shown_messages(), QStringList{QStringLiteral("信息：|请下载最新版本")});
        QTRY_COMPARE(f.opened, QStringList{QStringLiteral("http://www.taotu.example/")});
    }

    void save_folder_default_data() {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("expected");
        QTest::newRow("ordinary") << QStringLiteral("/home/u/tools")
                                  << QStringLiteral("/home/u/tools");
        QTest::newRow("chinese") << QStringLiteral("/home/u/青禾")
                                 << QStringLiteral("/home/u/青禾");
        QTest::newRow("archive viewer")
            << QStringLiteral("/tmp/Rar$EXa0.123/tool") << QDir::homePath();
        QTest::newRow("rar lower case is ordinary")
            << QStringLiteral("/tmp/rar$x") << QStringLiteral("/tmp/rar$x");
        QTest::newRow("not gbk") << QStringLiteral("/home/u/\U0001F600") << QDir::homePath();
    }

    void save_folder_default() {
        QFETCH(QString, current);
        QFETCH(QString, expected);
        QCOMPARE(default_save_folder(current), expected);
    }

    void second_guard_asks_the_first_and_is_refused() {
        const QString name = unique_guard_name();
        auto first = std::make_unique<InstanceGuard>(name);
        QVERIFY(first->claim());
        QSignalSpy activations(first.get(), &InstanceGuard::activation_requested);
        {
            InstanceGuard second(name);
            QVERIFY(!second.claim());
        }
        QTRY_COMPARE(activations.size(), 1);
        first.reset();
        // A copy started after the first has ended runs normally.
        InstanceGuard third(name);
        QVERIFY(third.claim());
    }

    void stale_socket_is_replaced() {
        const QString name = unique_guard_name();
        // A leftover socket file of a copy that crashed.
        const QString socket_path = QDir(QDir::tempPath()).filePath(name);
        {
            QFile leftover(socket_path);
            QVERIFY(leftover.open(QIODevice::WriteOnly));
        }
        InstanceGuard first(name);
        QVERIFY(first.claim());
        QSignalSpy activations(&first, &InstanceGuard::activation_requested);
        InstanceGuard second(name);
        QVERIFY(!second.claim());
        QTRY_COMPARE(activations.size(), 1);
    }

    void duplicate_start_shows_the_message_and_brings_the_first_forward() {
        testing::WindowFixture f;
        const QString name = unique_guard_name();
        InstanceGuard first(name);
        StartOptions options;
        options.instance_name = QStringLiteral("unused");
        options.work_folder = f.work.path();
        int activations = 0;
        options.on_activation = [&] { ++activations; };
        QVERIFY(init_main_window(*f.window, first, options));
        f.window->showMinimized();

        DesktopWindow second_window;
        install_message_handler(second_window.shared_main_window());
        clear_message_answers();
        queue_message_answer(1);
        InstanceGuard second(name);
        QVERIFY(!init_main_window(second_window, second, options));
        QCOMPARE(
            shown_messages(),
            QStringList{QStringLiteral("青禾提醒您：|请不要重复打开《青禾淘宝图片搬家工具》！")});
        QTRY_COMPARE(activations, 1);
        QVERIFY(!f.window->isMinimized());
        QVERIFY(f.window->isVisible());
        set_message_handler({});
    }

    void two_processes() {
        QTemporaryDir isolated;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("TMPDIR"), isolated.path());
        env.insert(QStringLiteral("XDG_DATA_HOME"), isolated.filePath(QStringLiteral("data")));
        auto start = [&](QProcess& p) {
            p.setProcessEnvironment(env);
            p.setWorkingDirectory(isolated.path());
            p.start(QStringLiteral(QINGHE_INSTANCE_PROBE_PATH), {});
            return p.waitForStarted();
        };

        QProcess first;
        QByteArray first_out;
        QVERIFY(start(first));
        QVERIFY2(wait_for_line(first, "running", first_out), first_out.constData());

        QProcess second;
        QByteArray second_out;
        QVERIFY(start(second));
        QVERIFY(second.waitForFinished(20000));
        second_out = second.readAllStandardOutput();
        QCOMPARE(second.exitCode(), 0);
        QVERIFY2(!second_out.contains("running"), second_out.constData());
        QVERIFY2(second_out.contains(
                     QStringLiteral("message 青禾提醒您：|请不要重复打开《青禾淘宝图片搬家工具》！")
                         .toUtf8()),
                 second_out.constData());
        QVERIFY2(wait_for_line(first, "activated", first_out), first_out.constData());

        // The first copy ends (as hard as it can); a new start runs normally.
        first.kill();
        QVERIFY(first.waitForFinished(10000));
        QProcess third;
        QByteArray third_out;
        QVERIFY(start(third));
        QVERIFY2(wait_for_line(third, "running", third_out), third_out.constData());
        third.kill();
        third.waitForFinished(10000);
    }
};

QINGHE_APP_TEST(StartUpTest)
#include "start_up_test.moc"
