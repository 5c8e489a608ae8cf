// Runs every registered Qt Test class of the desktop program.
#include <QApplication>

#include "app_test_support.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("qinghe-taotu-tests"));
    QApplication::setQuitOnLastWindowClosed(false);
    return qinghe::app::testing::run_registered_tests(argc, argv);
}
