// A fake marketplace of shop list pages on 127.0.0.1, for the shop tests,
// the headless runner's tests and the shop benchmark.
//
// Each shop is served under its own host name (curl's connect-to routes
// send every host to the one loopback port, and the Host header tells the
// shops apart). The pages carry only what the collectors read: the
// page-count text behind its marker and the item links.
#pragma once

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/web.h"
#include "demo/loopback_server.h"
#include "shop/shop_pages.h"
// A relative path: the shop benchmark builds this header too.
#include "../support/gbk_literal.h"

namespace qinghe::test_support {

struct FakeShop {
    ShopKind kind = ShopKind::Tmall;
    std::string host;                             // e.g. "alpha.tmall.com"
    std::vector<std::vector<std::string>> pages;  // item ids, page by page
    bool count_marker = true;                     // the first page tells the page count
    std::string count_text;                       // behind the marker; empty: "1/N" or "N"
    bool on_comment = false;                      // Taobao links end in "&on_comment=1"
    // When not empty, the list pages served as they are (page 1 first, also
    // for the first page), instead of pages rendered from the ids.
    std::vector<std::string> raw_pages;
};

inline FakeShop shop(ShopKind kind, std::string host, std::vector<std::vector<std::string>> pages) {
    FakeShop result;
    result.kind = kind;
    result.host = std::move(host);
    result.pages = std::move(pages);
    return result;
}

// The list page of a shop, as the marketplace would serve it (page from 1).
inline std::string render_shop_page(const FakeShop& shop, size_t page, bool first) {
    static const std::string kItem = gbk("宝贝");
    std::string html = "<html><head><title>shop</title></head><body>\n";
    if (first && shop.count_marker) {
        std::string count = shop.count_text;
        if (count.empty()) {
            count = shop.kind == ShopKind::Ali1688 ? std::to_string(shop.pages.size())
                                                   : "1/" + std::to_string(shop.pages.size());
        }
        switch (shop.kind) {
            case ShopKind::Tmall: html += "<b class=\"ui-page-s-len\">" + count + "</b>\n"; break;
            case ShopKind::Taobao:
                html += "<span class=\"page-info\">" + count + "</span>\n";
                break;
            case ShopKind::Ali1688: html += "<em class=\"page-count\">" + count + "</em>\n"; break;
        }
    }
    if (page >= 1 && page <= shop.pages.size()) {
        for (const std::string& id : shop.pages[page - 1]) {
            switch (shop.kind) {
                case ShopKind::Tmall:
                    html += "<dd><a href=\"http://detail.tmall.com/item.htm?id=" + id +
                            "&rn=9f1c&abbucket=3\" target=\"_blank\">" + kItem + "</a></dd>\n";
                    break;
                case ShopKind::Taobao:
                    html += "<dd><a href=\"http://item.taobao.com/item.htm?id=" + id +
                            (shop.on_comment ? "&on_comment=1" : "") + "\">" + kItem +
                            "</a></dd>\n";
                    break;
                case ShopKind::Ali1688:
                    html += "<li><a href=\"http://detail.1688.com/offer/" + id +
                            ".html\" title=\"" + kItem + "\">x</a></li>\n";
                    break;
            }
        }
    }
    return html + "</body></html>\n";
}

class FakeShopServer {
public:
    FakeShopServer() {
        m_server.server().Get(".*",
                              [this](const httplib::Request& request, httplib::Response& response) {
                                  serve(request, response);
                              });
    }
    ~FakeShopServer() { stop(); }
    FakeShopServer(const FakeShopServer&) = delete;
    FakeShopServer& operator=(const FakeShopServer&) = delete;

    void add(FakeShop shop) {
        std::lock_guard lock(m_mutex);
        m_shops[shop.host] = std::move(shop);
    }

    bool start() { return m_server.start(); }

    void stop() {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
            m_held.clear();
        }
        m_released.notify_all();
        m_server.stop();
    }

    int port() const { return m_server.port(); }

    // connect-to routes sending port 80 of every given host here.
    std::vector<std::string> routes(const std::vector<std::string>& hosts) const {
        std::vector<std::string> result;
        for (const std::string& host : hosts) {
            result.push_back(host + ":80:127.0.0.1:" + std::to_string(m_server.port()));
        }
        return result;
    }

    // Every request so far as host + path + query, in arrival order.
    std::vector<std::string> requests() const {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }

    // Requests of host + target wait until release() (or stop()).
    void hold(const std::string& host_target) {
        std::lock_guard lock(m_mutex);
        m_held[host_target] = true;
    }
    void release() {
        {
            std::lock_guard lock(m_mutex);
            m_held.clear();
        }
        m_released.notify_all();
    }
    // True once a request of host + target has arrived.
    bool wait_for_request(const std::string& host_target, std::chrono::milliseconds timeout) {
        std::unique_lock lock(m_mutex);
        return m_arrived.wait_for(lock, timeout, [&] {
            for (const std::string& r : m_requests) {
                if (r == host_target) return true;
            }
            return false;
        });
    }

private:
    void serve(const httplib::Request& request, httplib::Response& response) {
        std::string host = request.get_header_value("Host");
        host = host.substr(0, host.find(':'));
        std::string target = request.target;
        std::unique_lock lock(m_mutex);
        m_requests.push_back(host + target);
        m_arrived.notify_all();
        m_released.wait(lock, [&] { return m_stopping || !m_held.count(host + target); });
        auto found = m_shops.find(host);
        if (found == m_shops.end()) {
            response.status = 404;
            return;
        }
        const FakeShop& shop = found->second;
        bool first = false;
        size_t page = 0;
        if (shop.kind == ShopKind::Ali1688) {
            if (request.path != "/page/offerlist.htm") {
                response.status = 404;
                return;
            }
            first = !request.has_param("pageNum");
            page = first ? 1 : std::stoul("0" + request.get_param_value("pageNum"));
        } else {
            if (request.path != "/search.htm" || request.get_param_value("search") != "y") {
                response.status = 404;
                return;
            }
            first = !request.has_param("pageNo");
            page = first ? 1 : std::stoul("0" + request.get_param_value("pageNo"));
        }
        if (!shop.raw_pages.empty()) {
            if (page < 1 || page > shop.raw_pages.size()) {
                response.status = 404;
                return;
            }
            response.set_content(shop.raw_pages[page - 1], "text/html; charset=gbk");
            return;
        }
        response.set_content(render_shop_page(shop, page, first), "text/html; charset=gbk");
    }

    demo::LoopbackServer m_server;
    mutable std::mutex m_mutex;
    std::condition_variable m_released;
    std::condition_variable m_arrived;
    std::map<std::string, FakeShop> m_shops;
    std::map<std::string, bool> m_held;
    std::vector<std::string> m_requests;
    bool m_stopping = false;
};

}  // namespace qinghe::test_support
