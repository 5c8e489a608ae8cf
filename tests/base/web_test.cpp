// fetch_url against servers on 127.0.0.1 started by the tests: a
// cpp-httplib server for ordinary answers and a raw socket server where the
// exact request bytes or a misbehaving answer matter.
#include "base/web.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>

#include "demo/loopback_server.h"

namespace qinghe {
namespace {

using demo::LoopbackServer;
using namespace std::chrono_literals;

// Accepts connections one at a time, reads each request head and hands the
// socket and the head to a handler, which writes whatever answer it likes.
class RawServer {
public:
    using Handler = std::function<void(int fd, const std::string& request, const RawServer&)>;

    explicit RawServer(Handler handler) : m_handler(std::move(handler)) {
        m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = 0;
        ::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        ::listen(m_listen, 16);
        socklen_t len = sizeof addr;
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len);
        m_port = ntohs(addr.sin_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~RawServer() {
        m_stopping = true;
        m_thread.join();
        ::close(m_listen);
    }

    std::string url(std::string_view path) const {
        return "http://127.0.0.1:" + std::to_string(m_port) + std::string(path);
    }
    int port() const { return m_port; }
    bool stopping() const { return m_stopping; }
    std::vector<std::string> requests() const {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }

    static void send_all(int fd, std::string_view data) {
        while (!data.empty()) {
            ssize_t n = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
            if (n <= 0) return;
            data.remove_prefix(static_cast<size_t>(n));
        }
    }

private:
    void serve() {
        while (!m_stopping) {
            pollfd p{m_listen, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0) continue;
            int fd = ::accept(m_listen, nullptr, nullptr);
            if (fd < 0) continue;
            std::string head;
            char buffer[4096];
            while (head.find("\r\n\r\n") == std::string::npos) {
                ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
                if (n <= 0) break;
                head.append(buffer, static_cast<size_t>(n));
            }
            {
                std::lock_guard lock(m_mutex);
                m_requests.push_back(head);
            }
            m_handler(fd, head, *this);
            ::close(fd);
        }
    }

    Handler m_handler;
    int m_listen = -1;
    int m_port = 0;
    std::atomic<bool> m_stopping{false};
    mutable std::mutex m_mutex;
    std::vector<std::string> m_requests;
    std::thread m_thread;
};

// Answers every request with the same bytes and closes the connection.
RawServer::Handler fixed_answer(std::string answer) {
    return
        [answer](int fd, const std::string&, const RawServer&) { RawServer::send_all(fd, answer); };
}

// Short limits for the tests that wait on purpose; restored afterwards.
class WebTest : public ::testing::Test {
protected:
    void SetUp() override { m_saved = fetch_limits(); }
    void TearDown() override {
        set_fetch_limits(m_saved);
        set_connect_to({});
    }
    void set_low_speed_seconds(long seconds) {
        FetchLimits l = fetch_limits();
        l.low_speed_seconds = seconds;
        set_fetch_limits(l);
    }

private:
    FetchLimits m_saved;
};

// Bytes of every value, zeros included, so that no text handling can pass.
Bytes binary_body(size_t size, unsigned seed) {
    Bytes b(size, '\0');
    unsigned x = seed * 2654435761u + 1;
    for (size_t i = 0; i < size; ++i) {
        x = x * 1103515245u + 12345u;
        b[i] = static_cast<char>(x >> 16);
    }
    return b;
}

TEST_F(WebTest, SendsTheOneRequestShapeWithoutFragment) {
    RawServer server(fixed_answer("HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok"));
    EXPECT_EQ(fetch_url(server.url("/item.htm?id=42#top")), "ok");

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    const std::string expected =
        "GET /item.htm?id=42 HTTP/1.1\r\n"
        "Host: 127.0.0.1:" +
        std::to_string(server.port()) +
        "\r\n"
        "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)\r\n"
        "Accept: */*\r\n"
        "Cache-Control: no-cache\r\n"
        "Pragma: no-cache\r\n"
        "\r\n";
    EXPECT_EQ(requests[0], expected);
}

TEST_F(WebTest, EncodesGbkBytesAndSpacesOfThePathOnly) {
    RawServer server(fixed_answer("HTTP/1.0 200 OK\r\n\r\nx"));
    struct Case {
        std::string path;
        std::string request_line;
    };
    const Case cases[] = {
        // 上海 in GBK, in the path and in the query.
        {"/\xC9\xCF\xBA\xA3.jpg?q=\xC9\xCF", "GET /%C9%CF%BA%A3.jpg?q=%C9%CF HTTP/1.1"},
        {"/a b.jpg", "GET /a%20b.jpg HTTP/1.1"},
        // Escapes already present stay as they are, not "%25..".
        {"/a%20b.jpg?x=%E4%B8%8A", "GET /a%20b.jpg?x=%E4%B8%8A HTTP/1.1"},
        {"/p?a=1&b=/c", "GET /p?a=1&b=/c HTTP/1.1"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(fetch_url(server.url(c.path)), "x") << c.path;
    }
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), std::size(cases));
    for (size_t i = 0; i < requests.size(); ++i) {
        EXPECT_EQ(requests[i].substr(0, requests[i].find("\r\n")), cases[i].request_line);
    }
}

TEST_F(WebTest, ReturnsTheBodyWhateverTheStatus) {
    LoopbackServer server;
    server.server().Get("/gone", [](const httplib::Request&, httplib::Response& res) {
        res.status = 404;
        res.set_content("<html>no such item</html>", "text/html");
    });
    server.server().Get("/broken", [](const httplib::Request&, httplib::Response& res) {
        res.status = 500;
        res.set_content("oops", "text/plain");
    });
    ASSERT_TRUE(server.start());

    FetchResult r = fetch_url_checked(server.url("/gone"));
    EXPECT_EQ(r.body, "<html>no such item</html>");
    EXPECT_EQ(r.status, 404);
    EXPECT_TRUE(r.complete);
    EXPECT_EQ(fetch_url(server.url("/broken")), "oops");
}

TEST_F(WebTest, FollowsRedirectsUpToTheLimit) {
    LoopbackServer server;
    // /hop/N redirects to /hop/N-1; /hop/0 is the page.
    server.server().Get(R"(/hop/(\d+))", [](const httplib::Request& req, httplib::Response& res) {
        int n = std::stoi(req.matches[1]);
        if (n == 0) {
            res.set_content("landed", "text/plain");
        } else {
            res.set_redirect("/hop/" + std::to_string(n - 1));
            res.set_content("redirect body", "text/plain");
        }
    });
    ASSERT_TRUE(server.start());

    FetchResult one = fetch_url_checked(server.url("/hop/1"));
    EXPECT_EQ(one.body, "landed");
    EXPECT_EQ(one.status, 200);
    EXPECT_EQ(fetch_url(server.url("/hop/10")), "landed");
    FetchResult too_many = fetch_url_checked(server.url("/hop/11"));
    EXPECT_EQ(too_many.body, "");
    EXPECT_FALSE(too_many.complete);
}

TEST_F(WebTest, RefusesEverySchemeButHttpAndHttps) {
    LoopbackServer server;
    server.server().Get("/to-file", [](const httplib::Request&, httplib::Response& res) {
        res.set_redirect("file:///etc/passwd");
    });
    server.server().Get("/to-ftp", [](const httplib::Request&, httplib::Response& res) {
        res.set_redirect("ftp://127.0.0.1/x");
    });
    ASSERT_TRUE(server.start());

    const std::string cases[] = {
        "file:///etc/passwd",   "FILE:///etc/passwd",   "ftp://127.0.0.1/x",
        "gopher://127.0.0.1/x", server.url("/to-file"), server.url("/to-ftp"),
    };
    for (const std::string& address : cases) {
        FetchResult r = fetch_url_checked(address);
        EXPECT_EQ(r.body, "") << address;
        EXPECT_FALSE(r.complete) << address;
    }
}

TEST_F(WebTest, UnusableAddressesGiveNothing) {
    // A port that was free a moment ago: nothing listens there.
    int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t len = sizeof addr;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
    const int closed_port = ntohs(addr.sin_port);
    ::close(s);

    const std::string cases[] = {
        "",
        "#top",
        "item.taobao.com/item.htm?id=1",
        "127.0.0.1:" + std::to_string(closed_port) + "/x",
        "http://",
        "http:///path",
        "http://127.0.0.1:" + std::to_string(closed_port) + "/x",
        "http://bad host/x",
    };
    for (const std::string& address : cases) {
        FetchResult r = fetch_url_checked(address);
        EXPECT_EQ(r.body, "") << address;
        EXPECT_FALSE(r.complete) << address;
    }
}

TEST_F(WebTest, AddressPartsBeyondTheSplitterSizesGiveNothing) {
    RawServer server(fixed_answer("HTTP/1.0 200 OK\r\n\r\nok"));
    struct Case {
        std::string address;
        std::string expected;
    };
    const std::string base = server.url("");
    const Case cases[] = {
        // Path with query: 2047 characters fit, 2048 do not.
        {base + "/" + std::string(2046, 'a'), "ok"},
        {base + "/" + std::string(2047, 'a'), ""},
        {base + "/p?" + std::string(2044, 'q'), "ok"},
        {base + "/p?" + std::string(2045, 'q'), ""},
        // User name and password: 127 characters fit, 128 do not.
        {"http://" + std::string(127, 'u') + ":pw@127.0.0.1:" + std::to_string(server.port()) + "/",
         "ok"},
        {"http://" + std::string(128, 'u') + ":pw@127.0.0.1:" + std::to_string(server.port()) + "/",
         ""},
        {"http://u:" + std::string(128, 'p') + "@127.0.0.1:" + std::to_string(server.port()) + "/",
         ""},
        // Control bytes would split the request line.
        {base + "/a\r\nX-Injected: 1", ""},
        {base + "/a\x01", ""},
        // Host: 256 characters and more never reach a resolver.
        {"http://" + std::string(256, 'h') + "/", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(fetch_url(c.address), c.expected) << c.address.size();
    }
}

TEST_F(WebTest, ReadsBodiesWithAndWithoutLength) {
    const Bytes large = binary_body(300000, 1);
    const Bytes small = binary_body(5000, 2);
    struct Case {
        const char* name;
        std::string answer;
        Bytes expected;
    };
    const Case cases[] = {
        {"large with length",
         "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(large.size()) + "\r\n\r\n" + large,
         large},
        {"large until close", "HTTP/1.0 200 OK\r\n\r\n" + large, large},
        {"small until close", "HTTP/1.0 200 OK\r\n\r\n" + small, small},
        {"empty", "HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n", ""},
        // A compressed body stays compressed: pictures are stored as they came.
        {"content encoding kept", "HTTP/1.0 200 OK\r\nContent-Encoding: gzip\r\n\r\n" + small,
         small},
    };
    for (const Case& c : cases) {
        RawServer server(fixed_answer(c.answer));
        FetchResult r = fetch_url_checked(server.url("/p"));
        EXPECT_EQ(r.body.size(), c.expected.size()) << c.name;
        EXPECT_TRUE(r.body == c.expected) << c.name;
        EXPECT_TRUE(r.complete) << c.name;
    }
}

TEST_F(WebTest, ABodyCutShortIsKeptButMarkedIncomplete) {
    const Bytes part = binary_body(1000, 3);
    RawServer server(fixed_answer("HTTP/1.0 200 OK\r\nContent-Length: 5000\r\n\r\n" + part));
    FetchResult r = fetch_url_checked(server.url("/p"));
    EXPECT_TRUE(r.body == part);
    EXPECT_FALSE(r.complete);
    EXPECT_EQ(fetch_url(server.url("/p")), part);
}

TEST_F(WebTest, AStalledServerIsLeftAfterTheLowSpeedTime) {
    set_low_speed_seconds(1);
    RawServer server([](int fd, const std::string&, const RawServer& self) {
        RawServer::send_all(fd, "HTTP/1.0 200 OK\r\nContent-Length: 100000\r\n\r\nfirst bytes");
        // Say nothing more until the client gives up or the test ends.
        for (int i = 0; i < 600 && !self.stopping(); ++i) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 50) > 0) break;  // the client closed the connection
        }
    });
    const auto start = std::chrono::steady_clock::now();
    FetchResult r = fetch_url_checked(server.url("/slow"));
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(r.body, "first bytes");
    EXPECT_FALSE(r.complete);
    // Well under the 30 s the server would stall; the default would be 60 s.
    EXPECT_LT(waited, 20s);
}

TEST_F(WebTest, AnEndlessBodyStopsAtTheCap) {
    FetchLimits limits = fetch_limits();
    limits.max_body_bytes = 1 << 20;
    set_fetch_limits(limits);
    const Bytes chunk = binary_body(65536 + 17, 4);
    RawServer server([&chunk](int fd, const std::string&, const RawServer& self) {
        RawServer::send_all(fd, "HTTP/1.0 200 OK\r\n\r\n");
        while (!self.stopping()) {
            if (::send(fd, chunk.data(), chunk.size(), MSG_NOSIGNAL) <= 0) break;
        }
    });
    FetchResult r = fetch_url_checked(server.url("/endless"));
    ASSERT_EQ(r.body.size(), static_cast<size_t>(limits.max_body_bytes));
    EXPECT_FALSE(r.complete);
    for (size_t i = 0; i < r.body.size(); i += chunk.size()) {
        const size_t n = std::min(chunk.size(), r.body.size() - i);
        ASSERT_EQ(r.body.compare(i, n, chunk, 0, n), 0) << i;
    }
}

TEST_F(WebTest, ConnectToRoutesMarketplaceHostsToTheLoopback) {
    LoopbackServer server;
    server.server().Get("/item.htm", [](const httplib::Request& req, httplib::Response& res) {
        res.set_content("host=" + req.get_header_value("Host"), "text/plain");
    });
    ASSERT_TRUE(server.start());
    set_connect_to({"item.taobao.com:80:127.0.0.1:" + std::to_string(server.port())});
    EXPECT_EQ(connect_to_routes().size(), 1u);
    EXPECT_EQ(fetch_url("http://item.taobao.com/item.htm?id=1"), "host=item.taobao.com");
}

TEST_F(WebTest, CookiesSetByOneFetchGoWithTheNext) {
    LoopbackServer server;
    server.server().Get("/set", [](const httplib::Request&, httplib::Response& res) {
        res.set_header("Set-Cookie", "t=abc; Path=/");
        res.set_content("set", "text/plain");
    });
    server.server().Get("/show", [](const httplib::Request& req, httplib::Response& res) {
        res.set_content("cookie=" + req.get_header_value("Cookie"), "text/plain");
    });
    ASSERT_TRUE(server.start());
    EXPECT_EQ(fetch_url(server.url("/set")), "set");
    // On another thread, with another handle: the cookie lives in the share.
    Bytes shown;
    std::thread([&] { shown = fetch_url(server.url("/show")); }).join();
    EXPECT_EQ(shown, "cookie=t=abc");
}

TEST_F(WebTest, FetchesReuseOneKeptAliveConnectionUntilItIsClosed) {
    LoopbackServer server;
    server.server().Get("/port", [](const httplib::Request& req, httplib::Response& res) {
        res.set_content(std::to_string(req.remote_port), "text/plain");
    });
    ASSERT_TRUE(server.start());
    const Bytes first = fetch_url(server.url("/port"));
    ASSERT_FALSE(first.empty());
    // From another thread too: the connections belong to the process.
    Bytes second;
    std::thread([&] { second = fetch_url(server.url("/port")); }).join();
    EXPECT_EQ(second, first);
    EXPECT_EQ(fetch_url(server.url("/port")), first);

    close_idle_connections();
    const Bytes fresh = fetch_url(server.url("/port"));
    EXPECT_FALSE(fresh.empty());
    EXPECT_NE(fresh, first);
}

TEST_F(WebTest, ThreadsFetchingAtOnceGetTheirOwnBodies) {
    LoopbackServer server;
    server.server().Get(R"(/body/(\d+))", [](const httplib::Request& req, httplib::Response& res) {
        const unsigned n = static_cast<unsigned>(std::stoul(req.matches[1]));
        res.set_content(binary_body(40000 + n, n), "application/octet-stream");
    });
    ASSERT_TRUE(server.start());

    constexpr unsigned kThreads = 8;
    constexpr unsigned kRounds = 5;
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (unsigned t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (unsigned round = 0; round < kRounds; ++round) {
                const unsigned n = t * kRounds + round;
                if (fetch_url(server.url("/body/" + std::to_string(n))) !=
                    binary_body(40000 + n, n)) {
                    ++wrong;
                }
            }
        });
    }
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
}  // namespace qinghe
