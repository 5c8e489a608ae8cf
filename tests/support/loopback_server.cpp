#include "support/loopback_server.h"

#include <chrono>

#include "base/web.h"

namespace qinghe::test_support {

LoopbackServer::LoopbackServer() = default;

LoopbackServer::~LoopbackServer() { stop(); }

bool LoopbackServer::start() {
    if (m_thread.joinable()) {
        return true;
    }
    // Web servers answer kept-alive connections without Nagle's delay (nginx:
    // tcp_nodelay on); without it every response would wait for the client's
    // delayed acknowledgement.
    m_server.set_tcp_nodelay(true);
    m_port = m_server.bind_to_any_port("127.0.0.1");
    if (m_port <= 0) {
        return false;
    }
    m_thread = std::thread([this] { m_server.listen_after_bind(); });
    // listen_after_bind sets is_running once its accept loop begins.
    for (int i = 0; i < 2000 && !m_server.is_running(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return m_server.is_running();
}

void LoopbackServer::stop() {
    m_stopping = true;
    if (m_thread.joinable()) {
        // The server waits for kept-alive connections to close before it stops.
        close_idle_connections();
        m_server.stop();
        m_thread.join();
    }
}

std::string LoopbackServer::url(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + std::string(path);
}

}  // namespace qinghe::test_support
