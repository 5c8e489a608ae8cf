// Character-set conversion on iconv and MD5 on OpenSSL.
#include "base/encoding.h"

#include <iconv.h>
#include <openssl/evp.h>

#include <cerrno>
#include <string>

namespace qinghe {
namespace {

// GBK as code page 936 means it: CP936 keeps byte 0x80 as the euro sign.
// glibc's "UCS-2" reads and writes host order and ignores a byte-order
// mark, so the order is chosen here: big-endian unless a mark says otherwise.
std::string iconv_name(std::string_view name) {
    if (equal_ignoring_case(name, "GBK")) {
        return "CP936";
    }
    if (equal_ignoring_case(name, "UCS-2")) {
        return "UCS-2BE";
    }
    return std::string(name);
}

// How many times the output may run out of room before giving up, and how
// the room grows: start at the input size, then add half of it plus 128
// bytes each time. The last size is about 6.5 times the input, more than
// any conversion between the program's character sets needs.
constexpr int kMaxAttempts = 12;

}  // namespace

Bytes convert_encoding(std::string_view data, std::string_view from, std::string_view to) {
    std::string from_name = iconv_name(from);
    if (equal_ignoring_case(from, "UCS-2") && data.size() >= 2) {
        const auto b0 = static_cast<unsigned char>(data[0]);
        const auto b1 = static_cast<unsigned char>(data[1]);
        if (b0 == 0xFF && b1 == 0xFE) {
            from_name = "UCS-2LE";
            data.remove_prefix(2);
        } else if (b0 == 0xFE && b1 == 0xFF) {
            data.remove_prefix(2);
        }
    }
    iconv_t cd = iconv_open(iconv_name(to).c_str(), from_name.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return {};
    }
    Bytes out(data.size(), '\0');
    const size_t growth = data.size() / 2 + 128;
    char* in = const_cast<char*>(data.data());  // iconv's interface is not const-correct
    size_t in_left = data.size();
    size_t used = 0;
    bool flushed = false;
    bool ok = false;
    for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
        if (attempt > 0) {
            out.resize(out.size() + growth);
        }
        char* out_ptr = out.data() + used;
        size_t out_left = out.size() - used;
        size_t rc = 0;
        if (in_left > 0) {
            rc = iconv(cd, &in, &in_left, &out_ptr, &out_left);
        }
        if (rc != static_cast<size_t>(-1) && in_left == 0) {
            // Return a stateful target to its initial state.
            rc = iconv(cd, nullptr, nullptr, &out_ptr, &out_left);
            flushed = rc != static_cast<size_t>(-1);
        }
        used = out.size() - out_left;
        if (flushed) {
            ok = true;
            break;
        }
        if (errno != E2BIG) {
            break;  // invalid or incomplete input, or a character the target lacks
        }
    }
    iconv_close(cd);
    if (!ok) {
        return {};
    }
    out.resize(used);
    return out;
}

Text md5_hex(std::string_view data) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(data.data(), data.size(), digest, &length, EVP_md5(), nullptr) != 1) {
        return {};
    }
    static constexpr char kHex[] = "0123456789abcdef";
    Text hex;
    hex.reserve(length * 2);
    for (unsigned int i = 0; i < length; ++i) {
        hex.push_back(kHex[digest[i] >> 4]);
        hex.push_back(kHex[digest[i] & 0x0F]);
    }
    return hex;
}

}  // namespace qinghe
