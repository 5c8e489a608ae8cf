// A loopback TCP server that answers every request with the start of a
// response and then resets the connection (SO_LINGER 0), which an HTTP
// server library cannot be made to do.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>

namespace qinghe::hardening {

class ResetServer {
public:
    ResetServer() {
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (m_listener < 0 ||
            ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            ::listen(m_listener, 8) != 0 ||
            ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            return;
        }
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~ResetServer() {
        m_stopping = true;
        if (m_thread.joinable()) m_thread.join();
        if (m_listener >= 0) ::close(m_listener);
    }
    ResetServer(const ResetServer&) = delete;
    ResetServer& operator=(const ResetServer&) = delete;

    int port() const { return m_port; }
    int resets() const { return m_resets; }

private:
    void serve() {
        while (!m_stopping) {
            pollfd waiting{m_listener, POLLIN, 0};
            if (::poll(&waiting, 1, 50) <= 0) continue;
            const int connection = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (connection < 0) continue;
            read_request(connection);
            const std::string start =
                "HTTP/1.1 200 OK\r\nContent-Type: image/jpeg\r\nContent-Length: 1000000\r\n\r\n" +
                std::string(4096, '\xFF');
            (void)::send(connection, start.data(), start.size(), MSG_NOSIGNAL);
            const linger reset{1, 0};
            ::setsockopt(connection, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
            ::close(connection);
            m_resets += 1;
        }
    }

    // Reads up to the blank line that ends the request head (or gives up).
    void read_request(int connection) {
        std::string head;
        char buffer[1024];
        while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
            pollfd readable{connection, POLLIN, 0};
            if (::poll(&readable, 1, 2000) <= 0) return;
            const ssize_t n = ::recv(connection, buffer, sizeof buffer, 0);
            if (n <= 0) return;
            head.append(buffer, static_cast<size_t>(n));
        }
    }

    int m_listener = -1;
    int m_port = -1;
    std::thread m_thread;
    std::atomic<bool> m_stopping{false};
    std::atomic<int> m_resets{0};
};

}  // namespace qinghe::hardening
