// The embedded help file is a real compiled help file with the guide's
// pages and screenshots inside.
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "app/help_file.h"
#include "app_test_support.h"

using namespace qinghe::app;

class HelpFileTest : public QObject {
    Q_OBJECT

private slots:
    void embedded_file_is_a_chm_with_the_guide() {
        const std::string_view data = embedded_help_file();
        QVERIFY(data.size() > 10000);
        QCOMPARE(QByteArray(data.data(), 4), QByteArray("ITSF"));

        const QString chmls = QStandardPaths::findExecutable(QStringLiteral("chmls"));
        if (chmls.isEmpty()) QSKIP("chmls is not installed");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("pvtk7_help.chm"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(data.data(), qint64(data.size()));
        file.close();
        QProcess list;
        list.start(chmls, {QStringLiteral("list"), path});
        QVERIFY(list.waitForFinished(30000));
        QCOMPARE(list.exitCode(), 0);
        const QByteArray listing = list.readAllStandardOutput();
        for (const char* name :
             {"/index.html", "/step1_addresses.html", "/step4_download.html", "/toc.hhc",
              "/images/main_window.png", "/images/batch_done.png", "/images/popup_menu.png"})
            QVERIFY2(listing.contains(name), name);
    }
};

QINGHE_APP_TEST(HelpFileTest)
#include "help_file_test.moc"
