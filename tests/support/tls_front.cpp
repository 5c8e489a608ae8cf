#include "support/tls_front.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>

namespace qinghe::test_support {
namespace {

// How often blocked waits look at the stop flag.
constexpr int kPollMilliseconds = 50;

std::string tls_file(const char* name) { return std::string(QINGHE_TLS_DIR) + "/" + name; }

SSL_CTX* context_of(void* p) { return static_cast<SSL_CTX*>(p); }

bool send_all(int socket, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t sent = ::send(socket, data, size, MSG_NOSIGNAL);
        if (sent <= 0) return false;
        data += sent;
        size -= static_cast<size_t>(sent);
    }
    return true;
}

bool ssl_write_all(SSL* ssl, const char* data, size_t size) {
    while (size > 0) {
        const int written = SSL_write(ssl, data, static_cast<int>(size));
        if (written <= 0) return false;
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

int connect_backend(int port) {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    if (s < 0) return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(s);
        return -1;
    }
    return s;
}

}  // namespace

std::string test_authority_file() { return tls_file("ca.pem"); }

TlsFront::TlsFront(int backend_port) : m_backend_port(backend_port) {}

TlsFront::~TlsFront() {
    stop();
    if (m_context) SSL_CTX_free(context_of(m_context));
}

bool TlsFront::start() {
    if (m_acceptor.joinable()) return true;
    // A client that goes away while the front writes must not end the test
    // program with SIGPIPE (OpenSSL writes with write(), not send()).
    std::signal(SIGPIPE, SIG_IGN);
    SSL_CTX* context = SSL_CTX_new(TLS_server_method());
    if (!context) return false;
    m_context = context;
    const std::string certificate = tls_file("server.pem");
    const std::string key = tls_file("server.key");
    if (SSL_CTX_use_certificate_chain_file(context, certificate.c_str()) != 1 ||
        SSL_CTX_use_PrivateKey_file(context, key.c_str(), SSL_FILETYPE_PEM) != 1) {
        return false;
    }
    m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
    if (m_listener < 0) return false;
    const int yes = 1;
    ::setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = 0;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(m_listener, 16) != 0 ||
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(m_listener);
        m_listener = -1;
        return false;
    }
    m_port = ntohs(address.sin_port);
    m_acceptor = std::thread([this] { accept_loop(); });
    return true;
}

void TlsFront::stop() {
    m_stopping = true;
    if (m_acceptor.joinable()) m_acceptor.join();
    std::vector<std::thread> connections;
    {
        std::lock_guard lock(m_mutex);
        // Wake every connection blocked in a read or a handshake.
        for (int s : m_open_sockets) ::shutdown(s, SHUT_RDWR);
        connections.swap(m_connections);
    }
    for (std::thread& t : connections) t.join();
    if (m_listener >= 0) {
        ::close(m_listener);
        m_listener = -1;
    }
}

std::string TlsFront::url(std::string_view path) const {
    return "https://127.0.0.1:" + std::to_string(m_port) + std::string(path);
}

std::vector<std::string> TlsFront::routes(const std::vector<std::string>& hosts) const {
    std::vector<std::string> out;
    for (const std::string& host : hosts) {
        out.push_back(host + ":443:127.0.0.1:" + std::to_string(m_port));
    }
    return out;
}

void TlsFront::accept_loop() {
    while (!m_stopping) {
        pollfd waiting{m_listener, POLLIN, 0};
        if (::poll(&waiting, 1, kPollMilliseconds) <= 0) continue;
        const int client = ::accept(m_listener, nullptr, nullptr);
        if (client < 0) continue;
        std::lock_guard lock(m_mutex);
        m_open_sockets.insert(client);
        m_connections.emplace_back([this, client] { serve(client); });
    }
}

void TlsFront::serve(int client) {
    SSL* ssl = SSL_new(context_of(m_context));
    int backend = -1;
    if (ssl && SSL_set_fd(ssl, client) == 1 && SSL_accept(ssl) == 1) {
        backend = connect_backend(m_backend_port);
        {
            std::lock_guard lock(m_mutex);
            if (backend >= 0) m_open_sockets.insert(backend);
        }
        char buffer[16384];
        bool open = backend >= 0;
        while (open && !m_stopping) {
            // Bytes OpenSSL has already decrypted do not show on the socket.
            if (SSL_pending(ssl) == 0) {
                pollfd waiting[2] = {{client, POLLIN, 0}, {backend, POLLIN, 0}};
                if (::poll(waiting, 2, kPollMilliseconds) <= 0) continue;
                if (waiting[1].revents & (POLLIN | POLLHUP | POLLERR)) {
                    const ssize_t n = ::recv(backend, buffer, sizeof buffer, 0);
                    open = n > 0 && ssl_write_all(ssl, buffer, static_cast<size_t>(n));
                    continue;
                }
                if (!(waiting[0].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            }
            const int n = SSL_read(ssl, buffer, sizeof buffer);
            open = n > 0 && send_all(backend, buffer, static_cast<size_t>(n));
        }
        SSL_shutdown(ssl);
    }
    ERR_clear_error();
    if (ssl) SSL_free(ssl);
    std::lock_guard lock(m_mutex);
    m_open_sockets.erase(client);
    ::close(client);
    if (backend >= 0) {
        m_open_sockets.erase(backend);
        ::close(backend);
    }
}

}  // namespace qinghe::test_support
