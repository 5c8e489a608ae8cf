#include "base/fetch_retry.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "demo/loopback_server.h"

namespace qinghe {
namespace {

using namespace std::chrono_literals;
using demo::LoopbackServer;

FetchResult failed_with(FetchError error, long status = 0, long retry_after = 0) {
    FetchResult r;
    r.complete = error == FetchError::None;
    r.error = error;
    r.status = status;
    r.retry_after_seconds = retry_after;
    return r;
}

TEST(JudgeFetch, TellsTransientFromPermanentFailures) {
    struct Case {
        FetchError error;
        long status;
        FetchVerdict verdict;
    };
    const Case cases[] = {
        {FetchError::None, 200, FetchVerdict::Done},
        {FetchError::None, 204, FetchVerdict::Done},
        {FetchError::None, 408, FetchVerdict::Transient},
        {FetchError::None, 429, FetchVerdict::Transient},
        {FetchError::None, 500, FetchVerdict::Transient},
        {FetchError::None, 502, FetchVerdict::Transient},
        {FetchError::None, 503, FetchVerdict::Transient},
        {FetchError::None, 599, FetchVerdict::Transient},
        {FetchError::None, 400, FetchVerdict::Permanent},
        {FetchError::None, 403, FetchVerdict::Permanent},
        {FetchError::None, 404, FetchVerdict::Permanent},
        {FetchError::None, 410, FetchVerdict::Permanent},
        {FetchError::None, 451, FetchVerdict::Permanent},
        {FetchError::None, 304, FetchVerdict::Permanent},  // a redirect without a place to go
        {FetchError::None, 600, FetchVerdict::Permanent},
        {FetchError::TimedOut, 0, FetchVerdict::Transient},    // connect time-out
        {FetchError::TimedOut, 200, FetchVerdict::Transient},  // stalled in the body
        {FetchError::Broken, 0, FetchVerdict::Transient},
        {FetchError::Broken, 200, FetchVerdict::Transient},
        {FetchError::Broken, 404, FetchVerdict::Transient},  // the answer itself broke off
        {FetchError::NotSent, 0, FetchVerdict::Permanent},
        {FetchError::RedirectRefused, 302, FetchVerdict::Permanent},
        {FetchError::TooManyRedirects, 302, FetchVerdict::Permanent},
        {FetchError::NoConnection, 0, FetchVerdict::Permanent},
        {FetchError::BodyTooLarge, 200, FetchVerdict::Permanent},
        {FetchError::Other, 0, FetchVerdict::Permanent},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(judge_fetch(failed_with(c.error, c.status)), c.verdict)
            << static_cast<int>(c.error) << " " << c.status;
    }
}

TEST(JudgeFetch, ReadsResultsMadeWithoutAnErrorKind) {
    // Hand-made results (fakes of the fetch) say only whether the transfer
    // completed and its status.
    FetchResult answered;
    answered.body = "\xFF\xD8\xFF";
    answered.complete = true;
    answered.status = 200;
    EXPECT_EQ(judge_fetch(answered), FetchVerdict::Done);
    answered.status = 503;
    EXPECT_EQ(judge_fetch(answered), FetchVerdict::Transient);
    EXPECT_EQ(judge_fetch(FetchResult{}), FetchVerdict::Permanent);  // nothing came
}

TEST(RetryWait, GrowsAndHonoursRetryAfterUpToTheCap) {
    const RetryPolicy policy;  // 1 s, doubled; Retry-After up to 30 s
    const FetchResult plain = failed_with(FetchError::None, 503);
    EXPECT_EQ(retry_wait(policy, 1, plain), 1000ms);
    EXPECT_EQ(retry_wait(policy, 2, plain), 2000ms);
    EXPECT_EQ(retry_wait(policy, 3, plain), 4000ms);
    EXPECT_EQ(retry_wait(policy, 1, failed_with(FetchError::None, 429, 5)), 5000ms);
    EXPECT_EQ(retry_wait(policy, 2, failed_with(FetchError::None, 503, 30)), 30000ms);
    EXPECT_EQ(retry_wait(policy, 1, failed_with(FetchError::None, 503, 86400)), 30000ms);
    EXPECT_EQ(retry_wait(policy, 1, failed_with(FetchError::None, 503, 2147483647)), 30000ms);
}

// A scripted fetch: answers in order, the last one again when they run out.
struct Script {
    explicit Script(std::vector<FetchResult> scripted) : answers(std::move(scripted)) {}

    std::vector<FetchResult> answers;
    std::vector<std::string> asked;
    std::vector<std::chrono::milliseconds> waits;
    bool let_waits_finish = true;

    FetchFunction fetch() {
        return [this](std::string_view address) {
            asked.emplace_back(address);
            return answers.at(std::min(asked.size(), answers.size()) - 1);
        };
    }
    SleepFunction sleep() {
        return [this](std::chrono::milliseconds wait) {
            waits.push_back(wait);
            return let_waits_finish;
        };
    }
};

TEST(FetchWithRetries, TriesATransientFailureAtMostTwiceMore) {
    const FetchResult ok = failed_with(FetchError::None, 200);
    const FetchResult busy = failed_with(FetchError::None, 503);
    struct Case {
        const char* what;
        std::vector<FetchResult> answers;
        int attempts;
        std::vector<std::chrono::milliseconds> waits;
        long final_status;
    };
    const Case cases[] = {
        {"first try succeeds", {ok}, 1, {}, 200},
        {"503 once", {busy, ok}, 2, {1000ms}, 200},
        {"time-out, then reset, then success",
         {failed_with(FetchError::TimedOut), failed_with(FetchError::Broken), ok},
         3,
         {1000ms, 2000ms},
         200},
        {"503 for ever", {busy}, 3, {1000ms, 2000ms}, 503},
        {"429 asking for 7 s", {failed_with(FetchError::None, 429, 7), ok}, 2, {7000ms}, 200},
        {"404", {failed_with(FetchError::None, 404)}, 1, {}, 404},
        {"403", {failed_with(FetchError::None, 403)}, 1, {}, 403},
        {"refused scheme", {failed_with(FetchError::RedirectRefused, 302)}, 1, {}, 302},
        {"body cap", {failed_with(FetchError::BodyTooLarge, 200)}, 1, {}, 200},
        {"503, then 404", {busy, failed_with(FetchError::None, 404)}, 2, {1000ms}, 404},
    };
    for (const Case& c : cases) {
        Script script(c.answers);
        const RetriedFetch got = fetch_with_retries("http://img.example/a.jpg", RetryPolicy{},
                                                    script.fetch(), script.sleep());
        EXPECT_EQ(got.attempts, c.attempts) << c.what;
        EXPECT_EQ(script.asked.size(), static_cast<size_t>(c.attempts)) << c.what;
        EXPECT_EQ(script.waits, c.waits) << c.what;
        EXPECT_EQ(got.result.status, c.final_status) << c.what;
    }
}

TEST(FetchWithRetries, AWaitCutShortEndsTheTries) {
    Script script({failed_with(FetchError::None, 503)});
    script.let_waits_finish = false;
    const RetriedFetch got = fetch_with_retries("http://img.example/a.jpg", RetryPolicy{},
                                                script.fetch(), script.sleep());
    EXPECT_EQ(got.attempts, 1);
    EXPECT_EQ(script.waits.size(), 1u);
    EXPECT_EQ(got.result.status, 503);
}

TEST(FetchWithRetries, UsesTheProcessWidePolicy) {
    const RetryPolicy saved = retry_policy();
    RetryPolicy quick;
    quick.extra_attempts = 1;
    quick.first_wait = 5ms;
    set_retry_policy(quick);
    Script script({failed_with(FetchError::None, 500)});
    const RetriedFetch got =
        fetch_with_retries("http://img.example/a.jpg", script.fetch(), script.sleep());
    set_retry_policy(saved);
    EXPECT_EQ(got.attempts, 2);
    EXPECT_EQ(script.waits, (std::vector<std::chrono::milliseconds>{5ms}));
}

// Real transfers against the loopback: what the client reports for each kind
// of trouble, and the verdict on it.
class RealFetches : public ::testing::Test {
protected:
    void SetUp() override {
        m_saved = fetch_limits();
        FetchLimits limits = m_saved;
        limits.low_speed_seconds = 1;
        limits.max_body_bytes = 1000;
        set_fetch_limits(limits);
        httplib::Server& s = server.server();
        s.Get("/answer/(\\d+)",
              [this](const httplib::Request& request, httplib::Response& response) {
                  count(request.path);
                  response.status = std::stoi(request.matches[1]);
                  if (response.status == 503 || response.status == 429) {
                      response.set_header("Retry-After", "3");
                  }
                  response.set_content("<html>status page</html>", "text/html");
              });
        // 503 with Retry-After on the first request, the picture from then on.
        s.Get("/flaky.jpg", [this](const httplib::Request& request, httplib::Response& response) {
            if (count(request.path) == 1) {
                response.status = 503;
                response.set_header("Retry-After", "2");
                response.set_content("busy", "text/plain");
            } else {
                response.set_content("\xFF\xD8\xFF\xE0 picture", "image/jpeg");
            }
        });
        s.Get("/to-file", [](const httplib::Request&, httplib::Response& response) {
            response.set_redirect("file:///etc/passwd");
        });
        s.Get("/loop", [](const httplib::Request&, httplib::Response& response) {
            response.set_redirect("/loop");
        });
        s.Get("/short", [](const httplib::Request&, httplib::Response& response) {
            response.set_content_provider(500, "image/jpeg",
                                          [](size_t, size_t, httplib::DataSink& sink) {
                                              sink.write("partial", 7);
                                              return false;  // drops the connection
                                          });
        });
        s.Get("/stall", [this](const httplib::Request&, httplib::Response& response) {
            response.set_content_provider(500, "image/jpeg",
                                          [this](size_t offset, size_t, httplib::DataSink& sink) {
                                              if (offset == 0) return sink.write("first", 5);
                                              while (!server.stopping()) {
                                                  std::this_thread::sleep_for(20ms);
                                              }
                                              return false;
                                          });
        });
        s.Get("/big", [](const httplib::Request&, httplib::Response& response) {
            response.set_content(std::string(5000, 'b'), "image/jpeg");
        });
        ASSERT_TRUE(server.start());
    }
    void TearDown() override {
        server.stop();
        set_fetch_limits(m_saved);
    }

    int count(const std::string& path) {
        std::lock_guard lock(m_mutex);
        return ++m_requests[path];
    }
    int requests(const std::string& path) {
        std::lock_guard lock(m_mutex);
        return m_requests[path];
    }

    LoopbackServer server;

private:
    FetchLimits m_saved;
    std::mutex m_mutex;
    std::map<std::string, int> m_requests;
};

// A loopback port on which nothing listens.
std::string closed_port_url() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t len = sizeof addr;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
    ::close(s);
    return "http://127.0.0.1:" + std::to_string(ntohs(addr.sin_port)) + "/x.jpg";
}

TEST_F(RealFetches, EachKindOfTroubleIsReportedAndJudged) {
    struct Case {
        std::string address;
        FetchError error;
        long status;
        long retry_after;
        FetchVerdict verdict;
    };
    const Case cases[] = {
        {server.url("/answer/200"), FetchError::None, 200, 0, FetchVerdict::Done},
        {server.url("/answer/404"), FetchError::None, 404, 0, FetchVerdict::Permanent},
        {server.url("/answer/403"), FetchError::None, 403, 0, FetchVerdict::Permanent},
        {server.url("/answer/503"), FetchError::None, 503, 3, FetchVerdict::Transient},
        {server.url("/answer/429"), FetchError::None, 429, 3, FetchVerdict::Transient},
        {server.url("/answer/408"), FetchError::None, 408, 0, FetchVerdict::Transient},
        {"", FetchError::NotSent, 0, 0, FetchVerdict::Permanent},
        {"ftp://127.0.0.1/x.jpg", FetchError::NotSent, 0, 0, FetchVerdict::Permanent},
        {server.url("/to-file"), FetchError::RedirectRefused, 302, 0, FetchVerdict::Permanent},
        {server.url("/loop"), FetchError::TooManyRedirects, 302, 0, FetchVerdict::Permanent},
        {closed_port_url(), FetchError::NoConnection, 0, 0, FetchVerdict::Permanent},
        {server.url("/short"), FetchError::Broken, 200, 0, FetchVerdict::Transient},
        {server.url("/stall"), FetchError::TimedOut, 200, 0, FetchVerdict::Transient},
        {server.url("/big"), FetchError::BodyTooLarge, 200, 0, FetchVerdict::Permanent},
    };
    for (const Case& c : cases) {
        const FetchResult r = fetch_url_checked(c.address);
        EXPECT_EQ(r.error, c.error) << c.address;
        EXPECT_EQ(r.complete, c.error == FetchError::None) << c.address;
        EXPECT_EQ(r.status, c.status) << c.address;
        EXPECT_EQ(r.retry_after_seconds, c.retry_after) << c.address;
        EXPECT_EQ(judge_fetch(r), c.verdict) << c.address;
    }
}

TEST_F(RealFetches, A503IsTriedOnceMoreAfterTheWaitTheServerAskedFor) {
    std::vector<std::chrono::milliseconds> waits;
    const RetriedFetch got =
        fetch_with_retries(server.url("/flaky.jpg"), RetryPolicy{}, fetch_url_checked,
                           [&](std::chrono::milliseconds wait) {
                               waits.push_back(wait);
                               return true;
                           });
    EXPECT_EQ(got.attempts, 2);
    EXPECT_EQ(requests("/flaky.jpg"), 2);
    EXPECT_EQ(waits, (std::vector<std::chrono::milliseconds>{2000ms}));
    EXPECT_EQ(judge_fetch(got.result), FetchVerdict::Done);
    EXPECT_EQ(got.result.body, "\xFF\xD8\xFF\xE0 picture");
}

TEST_F(RealFetches, A404IsRequestedExactlyOnce) {
    int waits = 0;
    const RetriedFetch got =
        fetch_with_retries(server.url("/answer/404"), RetryPolicy{}, fetch_url_checked,
                           [&](std::chrono::milliseconds) { return ++waits, true; });
    EXPECT_EQ(got.attempts, 1);
    EXPECT_EQ(requests("/answer/404"), 1);
    EXPECT_EQ(waits, 0);
    EXPECT_EQ(got.result.status, 404);
}

TEST_F(RealFetches, A503ForEverIsRequestedThreeTimesWithRealWaits) {
    RetryPolicy quick;
    quick.first_wait = 10ms;
    quick.longest_retry_after = 20ms;  // the server asks for 3 s
    const auto start = std::chrono::steady_clock::now();
    const RetriedFetch got =
        fetch_with_retries(server.url("/answer/503"), quick, fetch_url_checked, {});
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(got.attempts, 3);
    EXPECT_EQ(requests("/answer/503"), 3);
    EXPECT_EQ(got.result.status, 503);
    EXPECT_GE(took, 40ms);
    EXPECT_LT(took, 2s);
}

}  // namespace
}  // namespace qinghe
