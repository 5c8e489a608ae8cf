// A cpp-httplib server on 127.0.0.1: the demo marketplace serves on one, and
// the tests and benchmarks start their own servers with it.
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
#include <chrono>
#include <string>
#include <string_view>
#include <thread>

#include "base/web.h"

namespace qinghe::demo {

class LoopbackServer {
public:
    LoopbackServer() = default;
    ~LoopbackServer() { stop(); }
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    httplib::Server& server() { return m_server; }
    // Binds 127.0.0.1 on a free port and starts serving; false when no port
    // could be bound. Returns once the server accepts connections.
    bool start() {
        if (m_thread.joinable()) return true;
        // Web servers answer kept-alive connections without Nagle's delay
        // (nginx: tcp_nodelay on); without it every response would wait for
        // the client's delayed acknowledgement.
        m_server.set_tcp_nodelay(true);
        // Each kept-alive connection holds one of the server's threads until
        // it closes. The fake marketplace answers for many host names, and a
        // client keeps connections to each of them (up to a window's worth
        // per host): with the default handful of threads a new connection
        // would wait for an idle one to time out, as no real server makes it.
        m_server.new_task_queue = [] { return new httplib::ThreadPool(kServerThreads); };
        m_port = m_server.bind_to_any_port("127.0.0.1");
        if (m_port <= 0) return false;
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        // listen_after_bind sets is_running once its accept loop begins.
        for (int i = 0; i < 2000 && !m_server.is_running(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return m_server.is_running();
    }
    // Stops serving and joins the thread; safe to call twice.
    void stop() {
        m_stopping = true;
        if (m_thread.joinable()) {
            // The server waits for kept-alive connections to close before it
            // stops: close this process's idle ones.
            close_idle_connections();
            m_server.stop();
            m_thread.join();
        }
    }
    bool stopping() const { return m_stopping; }

    int port() const { return m_port; }
    // "http://127.0.0.1:PORT" followed by the path.
    std::string url(std::string_view path) const {
        return "http://127.0.0.1:" + std::to_string(m_port) + std::string(path);
    }

private:
    static constexpr size_t kServerThreads = 64;

    httplib::Server m_server;
    std::thread m_thread;
    std::atomic<bool> m_stopping{false};
    int m_port = -1;
};

}  // namespace qinghe::demo
