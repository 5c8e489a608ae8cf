// The prefetch window against a loopback server that counts requests and
// the requests it serves at once.
#include "base/prefetch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "demo/loopback_server.h"

namespace qinghe {
namespace {

using demo::LoopbackServer;
using namespace std::chrono_literals;

// /p/N answers after a delay that shrinks with N, so transfers started
// together end in the reverse order of the list.
class CountingServer {
public:
    CountingServer() {
        m_server.server().Get(
            R"(/p/(\d+))", [this](const httplib::Request& req, httplib::Response& res) {
                const int n = std::stoi(req.matches[1]);
                ++m_requests;
                const int now = ++m_running;
                int seen = m_max_running;
                while (now > seen && !m_max_running.compare_exchange_weak(seen, now)) {}
                std::this_thread::sleep_for(std::chrono::milliseconds(std::max(10, 60 - 4 * n)));
                --m_running;
                if (n % 5 == 4) {
                    res.status = 404;
                }
                const std::string padding(static_cast<size_t>(n) * 997, 'x');
                res.set_content("body " + std::to_string(n) + padding, "application/octet-stream");
            });
        m_server.start();
    }

    std::string url(int n) const { return m_server.url("/p/" + std::to_string(n)); }
    std::vector<std::string> urls(int count) const {
        std::vector<std::string> out;
        for (int n = 0; n < count; ++n) out.push_back(url(n));
        return out;
    }
    int requests() const { return m_requests; }
    int max_running() const { return m_max_running; }
    // Waits up to five seconds for the count to reach at least this many.
    int requests_reaching(int count) const {
        for (int i = 0; i < 500 && m_requests < count; ++i) std::this_thread::sleep_for(10ms);
        return m_requests;
    }

private:
    LoopbackServer m_server;
    std::atomic<int> m_requests{0};
    std::atomic<int> m_running{0};
    std::atomic<int> m_max_running{0};
};

class PrefetchTest : public ::testing::Test {
protected:
    void TearDown() override { set_parallel_transfers(6); }
};

std::string unreachable_address() {
    // Port 9 of the loopback: nothing listens there.
    return "http://127.0.0.1:9/nothing.jpg";
}

TEST_F(PrefetchTest, ResultsEqualSequentialFetchesInOrderAndContent) {
    CountingServer server;
    std::vector<std::string> list = server.urls(12);
    list.insert(list.begin() + 3, unreachable_address());
    list.insert(list.begin() + 7, "ftp://127.0.0.1/x.jpg");
    list.push_back(server.url(2));  // the same picture twice is fetched twice

    set_parallel_transfers(1);
    std::vector<FetchResult> sequential;
    for (const std::string& a : list) sequential.push_back(fetch_url_checked(a));

    for (int parallel : {2, 6}) {
        set_parallel_transfers(parallel);
        PrefetchScope ahead(list);
        for (size_t i = 0; i < list.size(); ++i) {
            const FetchResult r = fetch_url_checked(list[i]);
            EXPECT_EQ(r.body, sequential[i].body) << parallel << " " << list[i];
            EXPECT_EQ(r.complete, sequential[i].complete) << parallel << " " << list[i];
            EXPECT_EQ(r.status, sequential[i].status) << parallel << " " << list[i];
        }
    }
    EXPECT_FALSE(sequential[3].complete);
    EXPECT_EQ(sequential[5].status, 404);
}

TEST_F(PrefetchTest, OneTransferFetchesNothingAhead) {
    CountingServer server;
    set_parallel_transfers(1);
    PrefetchScope ahead(server.urls(8));
    EXPECT_EQ(fetch_url(server.url(0)).substr(0, 6), "body 0");
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(server.requests(), 1);
}

TEST_F(PrefetchTest, TheWindowRunsAheadButNeverBeyondItsSize) {
    CountingServer server;
    set_parallel_transfers(3);
    PrefetchScope ahead(server.urls(8));
    EXPECT_EQ(server.requests_reaching(3), 3);
    fetch_url(server.url(0));
    EXPECT_EQ(server.requests_reaching(4), 4);
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(server.requests(), 4);
}

TEST_F(PrefetchTest, NoMoreThanTheWindowSizeRunAtOnceForOneHost) {
    CountingServer server;
    set_parallel_transfers(3);
    const std::vector<std::string> list = server.urls(12);
    PrefetchScope ahead(list);
    for (const std::string& a : list) fetch_url(a);
    EXPECT_EQ(server.max_running(), 3);
}

TEST_F(PrefetchTest, DroppedAndSkippedTransfersAreFetchedAgainWhenAsked) {
    CountingServer server;
    set_parallel_transfers(3);
    struct Case {
        const char* name;
        void (*drop)(const CountingServer&);
    };
    const Case cases[] = {
        {"cancel", [](const CountingServer&) { cancel_prefetch(); }},
        // Asking for entry 2 skips 0 and 1: their bodies go.
        {"skip", [](const CountingServer& s) { fetch_url(s.url(2)); }},
    };
    for (const Case& c : cases) {
        prefetch(server.urls(3));
        const int before = server.requests_reaching(server.requests() + 3);
        c.drop(server);
        EXPECT_EQ(fetch_url(server.url(1)).substr(0, 6), "body 1") << c.name;
        EXPECT_EQ(server.requests(), before + 1) << c.name;
        cancel_prefetch();
    }
}

TEST_F(PrefetchTest, AnInnerScopeTakesOverAndTheOuterWindowServesAgainAfterIt) {
    CountingServer server;
    set_parallel_transfers(2);
    PrefetchScope outer({server.url(0), server.url(1)});
    server.requests_reaching(2);
    {
        PrefetchScope inner({server.url(5), server.url(6)});
        EXPECT_EQ(fetch_url(server.url(5)).substr(0, 6), "body 5");
        // Not in the inner window: fetched directly.
        EXPECT_EQ(fetch_url(server.url(0)).substr(0, 6), "body 0");
    }
    const int before = server.requests();
    EXPECT_EQ(fetch_url(server.url(1)).substr(0, 6), "body 1");
    EXPECT_EQ(server.requests(), before);  // the outer window held it
}

TEST_F(PrefetchTest, OtherThreadsDoNotSeeTheWindow) {
    CountingServer server;
    set_parallel_transfers(3);
    PrefetchScope ahead(server.urls(3));
    const int before = server.requests_reaching(3);
    std::thread([&] { fetch_url(server.url(0)); }).join();
    EXPECT_EQ(server.requests(), before + 1);
}

}  // namespace
}  // namespace qinghe
