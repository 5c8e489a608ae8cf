// A loopback server of large pictures for the hardening tests: /p/N.jpg is
// a body of a fixed size whose bytes are a function of N and the offset, sent
// in chunks with an optional pause after each, so a test can let a batch run
// into the middle of a transfer and knows every byte that was served.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <thread>

#include "demo/loopback_server.h"

namespace qinghe::hardening {

// The bytes of picture n from offset: a window into one fixed block of
// pseudo-random bytes, shifted by n, so that every picture differs, a cut or
// shifted file never matches, and serving costs no more than a copy.
inline const std::string& picture_block() {
    static const std::string block = [] {
        std::string b(1048573, '\0');  // a prime length: shifts never line up with chunks
        uint64_t x = 0x9E3779B97F4A7C15ULL;
        for (char& c : b) {
            x ^= x << 13;
            x ^= x >> 7;
            x ^= x << 17;
            c = static_cast<char>(x >> 56);
        }
        return b;
    }();
    return block;
}

// Every picture starts like a JPEG file, so the content check takes it.
inline constexpr std::string_view kPictureSignature{"\xFF\xD8\xFF\xE0", 4};

inline void append_picture_bytes(std::string& out, int n, size_t offset, size_t count) {
    const std::string& block = picture_block();
    for (; count > 0 && offset < kPictureSignature.size(); --count) {
        out.push_back(kPictureSignature[offset++]);
    }
    size_t at = (offset + static_cast<size_t>(n) * 104729) % block.size();
    while (count > 0) {
        const size_t run = std::min(count, block.size() - at);
        out.append(block, at, run);
        count -= run;
        at = 0;
    }
}

inline std::string picture_bytes(int n, size_t size) {
    std::string bytes;
    bytes.reserve(size);
    append_picture_bytes(bytes, n, 0, size);
    return bytes;
}

class PictureServer {
public:
    PictureServer(size_t picture_size, size_t chunk_size, std::chrono::milliseconds pause)
        : m_size(picture_size), m_chunk(chunk_size), m_pause(pause) {
        m_loopback.server().Get(R"(/p/(\d+)\.jpg)", [this](const httplib::Request& request,
                                                           httplib::Response& response) {
            const int n = std::stoi(request.matches[1].str());
            m_started += 1;
            response.set_content_provider(
                m_size, "image/jpeg",
                [this, n](size_t offset, size_t length, httplib::DataSink& sink) {
                    if (m_loopback.stopping()) return false;
                    const size_t count = std::min(length, m_chunk);
                    std::string chunk;
                    chunk.reserve(count);
                    append_picture_bytes(chunk, n, offset, count);
                    if (!sink.write(chunk.data(), chunk.size())) return false;
                    if (offset + count == m_size) {
                        m_completed += 1;
                    } else if (m_pause.count() > 0) {
                        std::this_thread::sleep_for(m_pause);
                    }
                    return true;
                });
        });
    }

    bool start() { return m_loopback.start(); }
    int port() const { return m_loopback.port(); }
    size_t picture_size() const { return m_size; }
    int started() const { return m_started; }
    // Responses whose last byte was handed to the connection.
    int completed() const { return m_completed; }

private:
    demo::LoopbackServer m_loopback;
    size_t m_size;
    size_t m_chunk;
    std::chrono::milliseconds m_pause;
    std::atomic<int> m_started{0};
    std::atomic<int> m_completed{0};
};

}  // namespace qinghe::hardening
