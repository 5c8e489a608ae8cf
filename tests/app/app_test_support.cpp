#include "app_test_support.h"

#include <httplib.h>

#include <chrono>
#include <vector>

#include <QApplication>
#include <QTest>

#include "app/desktop_window.h"
#include "app/message_boxes.h"
#include "app/shell.h"
#include "app/start_up.h"
#include "base/message.h"
#include "demo/loopback_server.h"

namespace qinghe::app::testing {

namespace {
std::vector<std::pair<const char*, std::function<QObject*()>>>& registry() {
    static std::vector<std::pair<const char*, std::function<QObject*()>>> tests;
    return tests;
}
// Enough answers for any one test: a message box is never really shown.
constexpr int kQueuedAnswers = 64;
}  // namespace

void register_test(const char* name, std::function<QObject*()> factory) {
    registry().emplace_back(name, std::move(factory));
}

int run_registered_tests(int argc, char** argv) {
    int failures = 0;
    for (auto& [name, factory] : registry()) {
        std::unique_ptr<QObject> test(factory());
        failures += QTest::qExec(test.get(), argc, argv);
    }
    return failures == 0 ? 0 : 1;
}

WindowFixture::WindowFixture() {
    clear_message_answers();
    for (int n = 0; n < kQueuedAnswers; ++n) queue_message_answer(1);
    set_address_opener([this](const QString& address) { opened.append(address); });
    window = std::make_unique<DesktopWindow>();
    window->set_work_folder(work.path());
    window->set_save_folder(save.path());
    install_message_handler(window->shared_main_window());
    window->show();
    window->activateWindow();
    // The offscreen platform activates at once; a window manager may take longer.
    if (!QTest::qWaitForWindowActive(window.get())) qWarning("main window did not become active");
}

WindowFixture::~WindowFixture() {
    window.reset();
    set_message_handler({});
    set_address_opener({});
    set_folder_picker({});
    clear_message_answers();
}

PictureServer::PictureServer(bool hold_requests)
    : m_server(std::make_unique<demo::LoopbackServer>()), m_hold(hold_requests) {
    m_server->server().Get(
        R"(/pictures/(.+))", [this](const httplib::Request& request, httplib::Response& response) {
            if (m_hold) {
                std::unique_lock lock(m_mutex);
                ++m_waiting;
                m_release.wait(lock, [this] { return m_released > 0 || m_stopping; });
                if (m_released > 0) --m_released;
                --m_waiting;
            }
            response.set_content(picture_body(request.matches[1]), "image/jpeg");
            std::lock_guard lock(m_mutex);
            ++m_served;
        });
    m_server->server().Get(R"(/.*)",
                           [this](const httplib::Request& request, httplib::Response& response) {
                               std::lock_guard lock(m_mutex);
                               auto found = m_texts.find(request.path);
                               if (found == m_texts.end()) {
                                   response.status = 404;
                                   return;
                               }
                               response.set_content(found->second, "text/plain");
                           });
    m_server->start();
}

PictureServer::~PictureServer() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_release.notify_all();
    // The server waits for kept-alive connections to close before it stops.
    close_idle_connections();
    m_server->stop();
}

std::string PictureServer::base() const { return m_server->url(""); }

std::string PictureServer::picture_body(const std::string& name) {
    // Binary on purpose: a zero byte and high bytes must survive the save.
    return std::string("\xFF\xD8\xFF\xE0", 4) + std::string(1, '\0') + "picture " + name;
}

int PictureServer::waiting() const {
    std::lock_guard lock(m_mutex);
    return m_waiting;
}

void PictureServer::release_one() {
    {
        std::lock_guard lock(m_mutex);
        ++m_released;
    }
    m_release.notify_all();
}

int PictureServer::served() const {
    std::lock_guard lock(m_mutex);
    return m_served;
}

void PictureServer::serve_text(const std::string& path, const std::string& body) {
    std::lock_guard lock(m_mutex);
    m_texts[path] = body;
}

}  // namespace qinghe::app::testing
