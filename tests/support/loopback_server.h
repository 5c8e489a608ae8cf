// A cpp-httplib server on 127.0.0.1 for tests.
//
// Register handlers on server() before start(); start() binds a free port
// and serves on a thread of its own; the destructor stops it and joins the
// thread. Handlers that run long (stalled or endless bodies) should poll
// stopping() so that the server can stop promptly.
//
//     LoopbackServer s;
//     s.server().Get("/a", [](const httplib::Request&, httplib::Response& r) {
//         r.set_content("hello", "text/plain");
//     });
//     s.start();
//     fetch_url(s.url("/a"));
#pragma once

#include <httplib.h>

#include <atomic>
#include <string>
#include <string_view>
#include <thread>

namespace qinghe::test_support {

class LoopbackServer {
public:
    LoopbackServer();
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    httplib::Server& server() { return m_server; }
    // Binds 127.0.0.1 on a free port and starts serving; false when no port
    // could be bound. Returns once the server accepts connections.
    bool start();
    // Stops serving and joins the thread; safe to call twice.
    void stop();
    bool stopping() const { return m_stopping; }

    int port() const { return m_port; }
    // "http://127.0.0.1:PORT" followed by the path.
    std::string url(std::string_view path) const;

private:
    httplib::Server m_server;
    std::thread m_thread;
    std::atomic<bool> m_stopping{false};
    int m_port = -1;
};

}  // namespace qinghe::test_support
