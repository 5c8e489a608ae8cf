// fetch_url over https against the fake marketplace behind the loopback TLS
// front, whose certificate a test-only authority signed.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/web.h"
#include "demo/fake_market.h"
#include "support/tls_front.h"

namespace qinghe {
namespace {

using demo::FakeMarket;
using test_support::TlsFront;

class WebTls : public ::testing::Test {
protected:
    void SetUp() override {
        m_picture = demo::tiny_picture("jpg", "tls");
        m_market.add("img.alicdn.com", "/imgextra/i1/TB2tls.jpg", m_picture, "image/jpeg");
        ASSERT_TRUE(m_market.start());
        m_front = std::make_unique<TlsFront>(m_market.port());
        ASSERT_TRUE(m_front->start());
        std::vector<std::string> routes = m_market.routes();
        for (const std::string& r : m_front->routes(m_market.hosts())) routes.push_back(r);
        set_connect_to(routes);
        FetchLimits limits;
        limits.connect_timeout_seconds = 5;
        limits.low_speed_seconds = 5;
        set_fetch_limits(limits);
    }
    void TearDown() override {
        set_extra_ca_file("");
        set_connect_to({});
        set_fetch_limits(FetchLimits{});
    }

    FakeMarket m_market;
    std::unique_ptr<TlsFront> m_front;
    std::string m_picture;
};

TEST_F(WebTls, FetchesAPictureOverHttpsWhenTheTestAuthorityIsTrusted) {
    set_extra_ca_file(test_support::test_authority_file());
    const FetchResult https = fetch_url_checked("https://img.alicdn.com/imgextra/i1/TB2tls.jpg");
    EXPECT_TRUE(https.complete);
    EXPECT_EQ(https.status, 200);
    EXPECT_EQ(https.body, m_picture);
    // The same market answers plain http beside it.
    EXPECT_EQ(fetch_url("http://img.alicdn.com/imgextra/i1/TB2tls.jpg"), m_picture);
    EXPECT_EQ(m_market.request_count("img.alicdn.com", "/imgextra/i1/TB2tls.jpg"), 2);
}

TEST_F(WebTls, TheCertificateIsRefusedWithoutTheTestAuthority) {
    const FetchResult https = fetch_url_checked("https://img.alicdn.com/imgextra/i1/TB2tls.jpg");
    EXPECT_FALSE(https.complete);
    EXPECT_TRUE(https.body.empty());
    EXPECT_EQ(m_market.request_count("img.alicdn.com", "/imgextra/i1/TB2tls.jpg"), 0);
}

TEST_F(WebTls, AHostTheCertificateDoesNotNameIsRefused) {
    // Verification stays on with the extra authority: the name is checked too.
    set_extra_ca_file(test_support::test_authority_file());
    m_market.add("pics.example.org", "/a.jpg", m_picture, "image/jpeg");
    set_connect_to(m_front->routes({"pics.example.org"}));
    EXPECT_TRUE(fetch_url("https://pics.example.org/a.jpg").empty());
    EXPECT_EQ(m_market.request_count("pics.example.org", "/a.jpg"), 0);
}

TEST_F(WebTls, AnUnreadableAuthorityFileFailsTheFetch) {
    set_extra_ca_file(std::string(QINGHE_FIXTURES_DIR) + "/tls/no-such-file.pem");
    EXPECT_FALSE(fetch_url_checked("https://img.alicdn.com/imgextra/i1/TB2tls.jpg").complete);
    // Plain http does not use it.
    EXPECT_EQ(fetch_url("http://img.alicdn.com/imgextra/i1/TB2tls.jpg"), m_picture);
}

}  // namespace
}  // namespace qinghe
