#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "base/encoding.h"
#include "cli/headless_runner.h"

namespace qinghe {

namespace {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool is_utf8(std::string_view bytes) {
    size_t i = 0;
    while (i < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        size_t n = 0;
        unsigned min = 0;
        unsigned code = 0;
        if (b < 0x80) {
            ++i;
            continue;
        }
        if (b >= 0xC2 && b <= 0xDF) {
            n = 1;
            min = 0x80;
            code = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            n = 2;
            min = 0x800;
            code = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            n = 3;
            min = 0x10000;
            code = b & 0x07;
        } else
            return false;
        for (size_t k = 1; k <= n; ++k) {
            if (i + k >= bytes.size()) return false;
            const auto c = static_cast<unsigned char>(bytes[i + k]);
            if ((c & 0xC0) != 0x80) return false;
            code = (code << 6) | (c & 0x3F);
        }
        if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += n + 1;
    }
    return true;
}

bool has_high_byte(std::string_view bytes) {
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    }
    return false;
}

}  // namespace

bool address_list_from_bytes(const Bytes& bytes, Text& address_list_gbk) {
    Bytes gbk = bytes;
    if (has_high_byte(bytes) && is_utf8(bytes)) {
        std::string_view utf8 = bytes;
        if (utf8.substr(0, 3) == "\xEF\xBB\xBF") utf8.remove_prefix(3);
        if (utf8.empty()) {
            gbk.clear();
        } else {
            gbk = convert_encoding(utf8, "UTF-8", "GBK");
            if (gbk.empty()) {
                // Short GBK texts are often valid UTF-8 by chance (图片 is
                // CD BC C6 AC): when the UTF-8 reading names characters GBK
                // lacks but the bytes read as GBK, they were GBK.
                if (convert_encoding(bytes, "GBK", "UTF-8").empty()) return false;
                gbk = bytes;
            }
        }
    }
    // Lines end in CR LF in the address box; a lone LF becomes CR LF.
    Text out;
    out.reserve(gbk.size() + gbk.size() / 16);
    for (size_t i = 0; i < gbk.size(); ++i) {
        const char c = gbk[i];
        if (c == '\0') break;  // text ends at a zero byte
        if (c == '\n' && (i == 0 || gbk[i - 1] != '\r')) out.push_back('\r');
        out.push_back(c);
    }
    address_list_gbk = std::move(out);
    return true;
}

bool read_address_list(const std::string& input, Text& address_list_gbk, std::string& error) {
    Bytes bytes;
    if (input.empty() || input == "-") {
        std::ostringstream all;
        all << std::cin.rdbuf();
        bytes = all.str();
    } else {
        std::ifstream file(input, std::ios::binary);
        if (!file) {
            error = "cannot read the address list " + input;
            return false;
        }
        bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    if (!address_list_from_bytes(bytes, address_list_gbk)) {
        error = "the address list holds characters that GBK cannot represent";
        return false;
    }
    return true;
}

}  // namespace qinghe
