#include "demo/fake_market.h"

#include <array>
#include <cstdint>

#include "base/web.h"

namespace qinghe::demo {

namespace {

std::string from_hex(std::string_view hex) {
    std::string out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        out.push_back(static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    }
    return out;
}

uint32_t crc32(std::string_view data) {
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : data) {
        crc ^= byte;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xFFFFFFFFu;
}

std::string big_endian(uint32_t n) {
    return {static_cast<char>(n >> 24), static_cast<char>(n >> 16), static_cast<char>(n >> 8),
            static_cast<char>(n)};
}

// A 1x1 grey baseline JPEG: quantisation table of ones, one-code Huffman
// tables, one block whose DC difference and AC run are both zero.
std::string tiny_jpeg(std::string_view tag) {
    std::string comment(tag.substr(0, 200));
    std::string out = from_hex("FFD8");
    out += from_hex("FFFE") + std::string{'\0', static_cast<char>(comment.size() + 2)} + comment;
    out += from_hex("FFDB004300") + std::string(64, '\x01');
    out += from_hex("FFC0000B080001000101011100");
    out += from_hex("FFC40014000100000000000000000000000000000000");
    out += from_hex("FFC40014100100000000000000000000000000000000");
    out += from_hex("FFDA0008010100003F00");
    out += from_hex("3FFFD9");
    return out;
}

// A 1x1 transparent PNG with a tEXt chunk holding the tag.
std::string tiny_png(std::string_view tag) {
    auto chunk = [](std::string_view type, std::string_view data) {
        std::string typed = std::string(type) + std::string(data);
        return big_endian(static_cast<uint32_t>(data.size())) + typed + big_endian(crc32(typed));
    };
    std::string out = from_hex("89504E470D0A1A0A");
    out += chunk("IHDR", from_hex("00000001000000010806000000"));
    out += chunk("tEXt", std::string("Comment") + '\0' + std::string(tag));
    out += chunk("IDAT", from_hex("789C6300010000050001"));
    out += chunk("IEND", "");
    return out;
}

// A 1x1 GIF with a comment extension holding the tag.
std::string tiny_gif(std::string_view tag) {
    std::string comment(tag.substr(0, 200));
    std::string out = from_hex(
        "474946383961010001008000000000"
        "00FFFFFF");
    out += from_hex("21FE") + std::string{static_cast<char>(comment.size())} + comment +
           std::string(1, '\0');
    out += from_hex(
        "2C000000000100010000020244"
        "01003B");
    return out;
}

}  // namespace

std::string tiny_picture(std::string_view kind, std::string_view tag) {
    if (kind == "png") return tiny_png(tag);
    if (kind == "gif") return tiny_gif(tag);
    return tiny_jpeg(tag);
}

FakeMarket::FakeMarket() {
    m_server.server().Get(
        ".*", [this](const httplib::Request& request, httplib::Response& response) {
            std::string host = request.get_header_value("Host");
            if (size_t colon = host.find(':'); colon != std::string::npos) host.resize(colon);
            std::lock_guard lock(m_mutex);
            std::string k = key(host, request.path);
            m_requests[k] += 1;
            auto found = m_resources.find(k);
            if (found == m_resources.end()) {
                response.status = 404;
                return;
            }
            response.set_content(found->second.body, found->second.content_type.c_str());
        });
}

FakeMarket::~FakeMarket() { stop(); }

std::string FakeMarket::key(std::string_view host, std::string_view path) {
    return std::string(host) + std::string(path);
}

void FakeMarket::add(std::string host, std::string path, std::string body,
                     std::string content_type) {
    std::lock_guard lock(m_mutex);
    m_resources[key(host, path)] = Resource{std::move(body), std::move(content_type)};
}

std::string FakeMarket::body(std::string_view host, std::string_view path) const {
    std::lock_guard lock(m_mutex);
    auto found = m_resources.find(key(host, path));
    return found == m_resources.end() ? std::string() : found->second.body;
}

std::vector<std::string> FakeMarket::hosts() const {
    std::lock_guard lock(m_mutex);
    std::vector<std::string> out;
    for (const auto& [k, resource] : m_resources) {
        std::string host = k.substr(0, k.find('/'));
        if (out.empty() || out.back() != host) out.push_back(host);
    }
    return out;
}

bool FakeMarket::start() { return m_server.start(); }

void FakeMarket::stop() { m_server.stop(); }

void FakeMarket::route_hosts(const std::vector<std::string>& extra_hosts) const {
    set_connect_to(routes(extra_hosts));
}

std::vector<std::string> FakeMarket::routes(const std::vector<std::string>& extra_hosts) const {
    std::vector<std::string> routes;
    std::vector<std::string> all = hosts();
    all.insert(all.end(), extra_hosts.begin(), extra_hosts.end());
    for (const std::string& host : all) {
        routes.push_back(host + ":80:127.0.0.1:" + std::to_string(m_server.port()));
    }
    return routes;
}

int FakeMarket::request_count(std::string_view host, std::string_view path) const {
    std::lock_guard lock(m_mutex);
    auto found = m_requests.find(key(host, path));
    return found == m_requests.end() ? 0 : found->second;
}

}  // namespace qinghe::demo
