// A marketplace on 127.0.0.1: item pages, descriptions, style sheets,
// location scripts and pictures of Taobao, Tmall and 1688, served by
// cpp-httplib under the marketplaces' own host names. It is the demo shop of
// qinghe-taotu-cli (--demo); the tests use it as their fake marketplace.
//
//     FakeMarket market;
//     add_demo_items(market);
//     market.start();            // binds 127.0.0.1 on a free port
//     market.route_hosts();      // set_connect_to: every host:80 -> the server
//     fetch_url("http://item.taobao.com/item.htm?id=1001");
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "demo/loopback_server.h"

namespace qinghe::demo {

class FakeMarket {
public:
    FakeMarket();
    ~FakeMarket();
    FakeMarket(const FakeMarket&) = delete;
    FakeMarket& operator=(const FakeMarket&) = delete;

    // Serves body for GET http://host/path (the query part of a request is
    // not looked at). Adding before or after start() both work.
    void add(std::string host, std::string path, std::string body,
             std::string content_type = "application/octet-stream");
    // The body served for host and path; empty when none.
    std::string body(std::string_view host, std::string_view path) const;
    // Every host that has a resource.
    std::vector<std::string> hosts() const;

    // Binds 127.0.0.1 on a free port and serves on a thread of its own.
    bool start();
    void stop();
    int port() const { return m_server.port(); }
    // The connect-to routes ("HOST:80:127.0.0.1:PORT") of every host and of
    // extra_hosts; route_hosts installs them with set_connect_to.
    std::vector<std::string> routes(const std::vector<std::string>& extra_hosts = {}) const;
    void route_hosts(const std::vector<std::string>& extra_hosts = {}) const;

    // How many GET requests reached host and path.
    int request_count(std::string_view host, std::string_view path) const;

private:
    struct Resource {
        std::string body;
        std::string content_type;
    };
    static std::string key(std::string_view host, std::string_view path);

    LoopbackServer m_server;
    mutable std::mutex m_mutex;
    std::map<std::string, Resource> m_resources;
    std::map<std::string, int> m_requests;
};

// A tiny valid picture whose bytes carry tag, so that every picture of the
// market differs from every other. kind is "jpg", "png" or "gif".
std::string tiny_picture(std::string_view kind, std::string_view tag);

// One bundled item: its address and what it should leave on disk.
struct MarketItem {
    std::string address;
    std::vector<std::string> main_pictures;         // addresses, in page order
    std::vector<std::string> description_pictures;  // addresses, in description order
    std::vector<std::string> style_sheet_pictures;  // addresses, in style-sheet order
    std::string description_host;                   // where its description lies
    std::string description_path;
};

// The three bundled items, in this order: Taobao, Tmall, 1688.
const std::vector<MarketItem>& demo_items();
// Puts the bundled items with all their pages and pictures into the market.
void add_demo_items(FakeMarket& market);

}  // namespace qinghe::demo
