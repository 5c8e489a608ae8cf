// An https front for a plain loopback server: accepts TLS connections on
// 127.0.0.1 with the tests' own certificate (tests/fixtures/tls, signed by
// a test-only authority) and forwards each connection's decrypted bytes to
// the plain server and back. The fake marketplace (or any LoopbackServer)
// is thereby served over https too, under the marketplaces' host names.
//
// It forwards bytes rather than running cpp-httplib's SSLServer because that
// needs CPPHTTPLIB_OPENSSL_SUPPORT in every file that includes httplib.h: the
// macro changes the layout of httplib::Request, and the demo marketplace is
// compiled without it.
//
//     FakeMarket market;  ...  market.start();
//     TlsFront front(market.port());
//     front.start();
//     set_connect_to(front.routes({"img.alicdn.com"}));  // HOST:443 -> the front
//     set_extra_ca_file(test_authority_file());
//     fetch_url("https://img.alicdn.com/x.jpg");
#pragma once

#include <atomic>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace qinghe::test_support {

// The PEM file of the test-only certificate authority.
std::string test_authority_file();

class TlsFront {
public:
    // Forwards to 127.0.0.1:backend_port.
    explicit TlsFront(int backend_port);
    ~TlsFront();
    TlsFront(const TlsFront&) = delete;
    TlsFront& operator=(const TlsFront&) = delete;

    // Binds 127.0.0.1 on a free port and accepts on a thread of its own;
    // false when the certificate or the port cannot be had.
    bool start();
    // Stops accepting, ends every open connection and joins the threads.
    void stop();

    int port() const { return m_port; }
    // "https://127.0.0.1:PORT" followed by the path.
    std::string url(std::string_view path) const;
    // The connect-to routes "HOST:443:127.0.0.1:PORT" of the hosts.
    std::vector<std::string> routes(const std::vector<std::string>& hosts) const;

private:
    void accept_loop();
    void serve(int client);

    int m_backend_port;
    int m_port = -1;
    int m_listener = -1;
    void* m_context = nullptr;  // SSL_CTX, kept out of this header
    std::atomic<bool> m_stopping{false};
    std::thread m_acceptor;
    std::mutex m_mutex;
    std::vector<std::thread> m_connections;
    std::set<int> m_open_sockets;
};

}  // namespace qinghe::test_support
