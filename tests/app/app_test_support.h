// Shared pieces of the desktop program's tests: the registry of Qt Test
// classes, a ready window, and a loopback picture server.
#pragma once

#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include <QObject>
#include <QString>
#include <QTemporaryDir>

namespace qinghe::demo {
class LoopbackServer;
}

namespace qinghe::app {
class DesktopWindow;
}

namespace qinghe::app::testing {

void register_test(const char* name, std::function<QObject*()> factory);
int run_registered_tests(int argc, char** argv);

struct Registrar {
    Registrar(const char* name, std::function<QObject*()> factory) {
        register_test(name, std::move(factory));
    }
};

#define QINGHE_APP_TEST(Class)                                  \
    static ::qinghe::app::testing::Registrar Class##_registrar( \
        #Class, []() -> QObject* { return new Class; });

// A shown, active main window whose work and save folders are temporary
// folders, with the desktop's handlers replaced: opened addresses are
// recorded, message boxes are answered at once and recorded.
struct WindowFixture {
    WindowFixture();
    ~WindowFixture();

    QTemporaryDir work;
    QTemporaryDir save;
    std::unique_ptr<DesktopWindow> window;
    QStringList opened;  // addresses handed to the desktop
};

// GET /pictures/<name> answers picture_body(name). With hold_requests, each
// request waits until release_one() lets it go, so a test can look at the
// program while a download is under way.
class PictureServer {
public:
    explicit PictureServer(bool hold_requests = false);
    ~PictureServer();

    std::string base() const;  // "http://127.0.0.1:<port>"
    static std::string picture_body(const std::string& name);

    // Requests now waiting to be answered (only with hold_requests).
    int waiting() const;
    void release_one();
    int served() const;

    // Answers GET <path> with the body (replaces an earlier answer).
    void serve_text(const std::string& path, const std::string& body);

private:
    std::unique_ptr<demo::LoopbackServer> m_server;
    bool m_hold = false;
    mutable std::mutex m_mutex;
    std::condition_variable m_release;
    int m_waiting = 0;
    int m_released = 0;
    int m_served = 0;
    bool m_stopping = false;
    std::map<std::string, std::string> m_texts;
};

}  // namespace qinghe::app::testing
