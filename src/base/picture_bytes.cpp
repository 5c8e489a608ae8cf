#include "base/picture_bytes.h"

#include <cstdint>

namespace qinghe {

namespace {

bool starts_with(std::string_view body, std::string_view head) {
    return body.substr(0, head.size()) == head;
}

uint32_t little_endian_32(std::string_view bytes, size_t at) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) {
        value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    }
    return value;
}

// "BM" alone starts too many texts; a real bitmap also has the size of a
// known info header right after its 14-byte file header.
bool looks_like_bitmap(std::string_view body) {
    if (body.size() < 18 || !starts_with(body, "BM")) return false;
    switch (little_endian_32(body, 14)) {
        case 12:  // OS/2 core header
        case 40:  // BITMAPINFOHEADER
        case 52:
        case 56:
        case 64:   // OS/2 2.x
        case 108:  // BITMAPV4HEADER
        case 124:  // BITMAPV5HEADER
            return true;
        default: return false;
    }
}

}  // namespace

bool looks_like_picture(std::string_view body) {
    using namespace std::string_view_literals;
    if (starts_with(body, "\xFF\xD8\xFF"sv)) return true;  // JPEG: start of image, then a marker
    if (starts_with(body, "\x89PNG\r\n\x1A\n"sv)) return true;
    if (starts_with(body, "GIF87a"sv) || starts_with(body, "GIF89a"sv)) return true;
    // WebP: a RIFF container whose form type is WEBP.
    if (body.size() >= 12 && starts_with(body, "RIFF"sv) && body.substr(8, 4) == "WEBP"sv) {
        return true;
    }
    return looks_like_bitmap(body);
}

}  // namespace qinghe
