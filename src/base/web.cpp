// Blocking HTTP GET on libcurl.
//
// Every call builds its own easy handle; the handles meet only in one
// process-wide share that holds cookies and the DNS cache, guarded by one
// mutex per kind of shared data. Nothing is retried here (see fetch_retry.h).
#include "base/web.h"

#include <curl/curl.h>
#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>

#include <algorithm>
#include <array>
#include <memory>
#include <mutex>

namespace qinghe {
namespace {

// The request the marketplaces have always seen from this tool.
constexpr const char* kUserAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
constexpr const char* kAcceptHeader = "Accept: */*";
// Ask every cache on the way for a fresh copy, in HTTP/1.1 and HTTP/1.0 terms.
constexpr const char* kCacheControlHeader = "Cache-Control: no-cache";
constexpr const char* kPragmaHeader = "Pragma: no-cache";
constexpr const char* kAllowedProtocols = "http,https";

// Sizes of the address parts that fit the splitter's buffers (terminating
// zero included): a longer part makes the address unusable.
constexpr size_t kMaxHost = 256;
constexpr size_t kMaxPathWithQuery = 2048;
constexpr size_t kMaxUserOrPassword = 128;

std::mutex g_settings_mutex;
FetchLimits g_limits;
std::vector<std::string> g_routes;
std::string g_extra_ca_file;

// The process-wide share. It is created on first use and lives until the
// process ends, because a worker may still be fetching when main returns.
struct SharedClient {
    CURLSH* share = nullptr;
    std::array<std::mutex, CURL_LOCK_DATA_LAST> locks;
};

void lock_share(CURL*, curl_lock_data data, curl_lock_access, void* user) {
    static_cast<SharedClient*>(user)->locks[static_cast<size_t>(data)].lock();
}

void unlock_share(CURL*, curl_lock_data data, void* user) {
    static_cast<SharedClient*>(user)->locks[static_cast<size_t>(data)].unlock();
}

SharedClient* shared_client() {
    static std::once_flag once;
    static SharedClient* client = nullptr;
    std::call_once(once, [] {
        if (curl_global_init(CURL_GLOBAL_ALL) != CURLE_OK) {
            return;
        }
        auto* c = new SharedClient;
        c->share = curl_share_init();
        if (c->share) {
            curl_share_setopt(c->share, CURLSHOPT_LOCKFUNC, lock_share);
            curl_share_setopt(c->share, CURLSHOPT_UNLOCKFUNC, unlock_share);
            curl_share_setopt(c->share, CURLSHOPT_USERDATA, c);
            curl_share_setopt(c->share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
            curl_share_setopt(c->share, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
        }
        client = c;
    });
    return client;
}

struct EasyDeleter {
    void operator()(CURL* h) const { curl_easy_cleanup(h); }
};
struct UrlDeleter {
    void operator()(CURLU* u) const { curl_url_cleanup(u); }
};
struct ListDeleter {
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};
using EasyHandle = std::unique_ptr<CURL, EasyDeleter>;
using UrlHandle = std::unique_ptr<CURLU, UrlDeleter>;
using HeaderList = std::unique_ptr<curl_slist, ListDeleter>;

// One part of a parsed address; the empty text when the part is absent.
std::string url_part(CURLU* url, CURLUPart part) {
    char* value = nullptr;
    if (curl_url_get(url, part, &value, 0) != CURLUE_OK || !value) {
        return {};
    }
    std::string result(value);
    curl_free(value);
    return result;
}

// The address as typed, split the way the old splitter measured its parts.
struct AddressParts {
    std::string_view scheme;
    std::string_view user;
    std::string_view password;
    std::string_view host;
    std::string_view path_with_query;
    std::string_view authority;
};

bool split_address(std::string_view address, AddressParts& parts) {
    const size_t colon_slashes = address.find("://");
    if (colon_slashes == std::string_view::npos) {
        return false;  // no scheme: not an address this client fetches
    }
    parts.scheme = address.substr(0, colon_slashes);
    const std::string_view rest = address.substr(colon_slashes + 3);
    const size_t path_start = std::min(rest.find('/'), rest.find('?'));
    parts.authority = rest.substr(0, path_start);
    parts.path_with_query = path_start == std::string_view::npos ? std::string_view{} : rest.substr(path_start);
    std::string_view host_port = parts.authority;
    const size_t at = parts.authority.rfind('@');
    if (at != std::string_view::npos) {
        const std::string_view user_info = parts.authority.substr(0, at);
        host_port = parts.authority.substr(at + 1);
        const size_t colon = user_info.find(':');
        parts.user = user_info.substr(0, colon);
        parts.password = colon == std::string_view::npos ? std::string_view{} : user_info.substr(colon + 1);
    }
    if (!host_port.empty() && host_port.front() == '[') {
        parts.host = host_port.substr(0, host_port.find(']') + 1);  // IPv6 literal
    } else {
        parts.host = host_port.substr(0, host_port.find(':'));
    }
    return true;
}

// Bytes of 0x80 and above (GBK characters) and spaces cannot stand in a
// request line as they are; they go out as %XX, which servers decode back
// to the same bytes. Everything else, "%" included, is left alone.
std::string encode_path(std::string_view path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(path.size());
    for (char c : path) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x80 || b == ' ') {
            out.push_back('%');
            out.push_back(kHex[b >> 4]);
            out.push_back(kHex[b & 0x0F]);
        } else {
            out.push_back(c);
        }
    }
    return out;
}

// Splits and checks the address; null when it cannot be fetched: a scheme
// other than http or https, or a part longer than the old splitter's buffers
// held (terminating zero included), measured on the address as typed.
UrlHandle parse_address(std::string_view address) {
    AddressParts parts;
    if (!split_address(address, parts)) {
        return nullptr;
    }
    if (!equal_ignoring_case(parts.scheme, "http") && !equal_ignoring_case(parts.scheme, "https")) {
        return nullptr;
    }
    if (parts.host.empty() || parts.host.size() >= kMaxHost ||
        parts.path_with_query.size() >= kMaxPathWithQuery || parts.user.size() >= kMaxUserOrPassword ||
        parts.password.size() >= kMaxUserOrPassword) {
        return nullptr;
    }
    UrlHandle url(curl_url());
    if (!url) {
        return nullptr;
    }
    const std::string text = std::string(parts.scheme) + "://" + std::string(parts.authority) +
                             encode_path(parts.path_with_query);
    // No flags: control bytes and other malformed input are refused.
    if (curl_url_set(url.get(), CURLUPART_URL, text.c_str(), 0) != CURLUE_OK) {
        return nullptr;
    }
    if (url_part(url.get(), CURLUPART_HOST).empty()) {
        return nullptr;
    }
    return url;
}

struct Transfer {
    Bytes body;
    long long cap = 0;
    bool capped = false;
};

size_t write_body(char* data, size_t size, size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    size_t n = size * count;
    long long room = transfer->cap - static_cast<long long>(transfer->body.size());
    if (room < static_cast<long long>(n)) {
        // Keep what fits and stop the transfer: an endless body must not
        // take all memory.
        if (room > 0) {
            transfer->body.append(data, static_cast<size_t>(room));
        }
        transfer->capped = true;
        return 0;
    }
    transfer->body.append(data, n);
    return n;
}

// Adds the authorities of the extra file to the store that already holds
// the system's (libcurl calls this for each new OpenSSL context).
CURLcode add_extra_authorities(CURL*, void* ssl_context, void* pem_file) {
    X509_STORE* store = SSL_CTX_get_cert_store(static_cast<SSL_CTX*>(ssl_context));
    if (!store || X509_STORE_load_file(store, static_cast<const char*>(pem_file)) != 1) {
        return CURLE_SSL_CACERT_BADFILE;
    }
    return CURLE_OK;
}

FetchError fetch_error(CURLcode code) {
    switch (code) {
    case CURLE_OK:
        return FetchError::None;
    case CURLE_UNSUPPORTED_PROTOCOL:
        return FetchError::RedirectRefused;  // the address itself was checked before
    case CURLE_TOO_MANY_REDIRECTS:
        return FetchError::TooManyRedirects;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
        return FetchError::NoConnection;
    case CURLE_OPERATION_TIMEDOUT:  // the connect time-out and the low-speed abort alike
        return FetchError::TimedOut;
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
        return FetchError::Broken;
    default:
        return FetchError::Other;
    }
}

}  // namespace

void set_extra_ca_file(const std::string& pem_file) {
    std::lock_guard lock(g_settings_mutex);
    g_extra_ca_file = pem_file;
}

std::string extra_ca_file() {
    std::lock_guard lock(g_settings_mutex);
    return g_extra_ca_file;
}

void set_fetch_limits(const FetchLimits& limits) {
    std::lock_guard lock(g_settings_mutex);
    g_limits = limits;
}

FetchLimits fetch_limits() {
    std::lock_guard lock(g_settings_mutex);
    return g_limits;
}

void set_connect_to(const std::vector<std::string>& routes) {
    std::lock_guard lock(g_settings_mutex);
    g_routes = routes;
}

std::vector<std::string> connect_to_routes() {
    std::lock_guard lock(g_settings_mutex);
    return g_routes;
}

FetchResult fetch_url_checked(std::string_view address) {
    FetchResult result;
    result.error = FetchError::NotSent;  // until the request has gone out
    // The fragment is the browser's business; it never goes to the server.
    address = address.substr(0, address.find('#'));
    if (address.empty()) {
        return result;
    }
    SharedClient* client = shared_client();
    if (!client) {
        return result;
    }
    UrlHandle url = parse_address(address);
    if (!url) {
        return result;
    }
    EasyHandle easy(curl_easy_init());
    if (!easy) {
        return result;
    }
    FetchLimits limits;
    std::vector<std::string> routes;
    std::string extra_ca;
    {
        std::lock_guard lock(g_settings_mutex);
        limits = g_limits;
        routes = g_routes;
        extra_ca = g_extra_ca_file;
    }

    HeaderList headers;
    for (const char* h : {kAcceptHeader, kCacheControlHeader, kPragmaHeader}) {
        curl_slist* grown = curl_slist_append(headers.get(), h);
        if (!grown) {
            return result;
        }
        headers.release();
        headers.reset(grown);
    }
    HeaderList connect_to;
    for (const std::string& route : routes) {
        curl_slist* grown = curl_slist_append(connect_to.get(), route.c_str());
        if (!grown) {
            return result;
        }
        connect_to.release();
        connect_to.reset(grown);
    }

    Transfer transfer;
    transfer.cap = limits.max_body_bytes;
    CURL* h = easy.get();
    curl_easy_setopt(h, CURLOPT_CURLU, url.get());
    curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(h, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
    curl_easy_setopt(h, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    // Empty string: no proxy at all, whatever the environment says.
    curl_easy_setopt(h, CURLOPT_PROXY, "");
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, kAllowedProtocols);
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, kAllowedProtocols);
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, limits.max_redirects);
    curl_easy_setopt(h, CURLOPT_AUTOREFERER, 0L);
    // Pages and pictures are kept as the bytes that came.
    curl_easy_setopt(h, CURLOPT_HTTP_CONTENT_DECODING, 0L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, limits.connect_timeout_seconds);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, limits.low_speed_bytes_per_second);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, limits.low_speed_seconds);
    // Worker threads must not meet SIGALRM from the resolver's time-out.
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, write_body);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer);
    if (client->share) {
        curl_easy_setopt(h, CURLOPT_SHARE, client->share);
    }
    // An empty cookie file turns the cookie engine on without reading a file.
    curl_easy_setopt(h, CURLOPT_COOKIEFILE, "");
    if (connect_to) {
        curl_easy_setopt(h, CURLOPT_CONNECT_TO, connect_to.get());
    }
    if (!extra_ca.empty()) {
        curl_easy_setopt(h, CURLOPT_SSL_CTX_FUNCTION, add_extra_authorities);
        curl_easy_setopt(h, CURLOPT_SSL_CTX_DATA, extra_ca.data());
    }

    CURLcode code = curl_easy_perform(h);
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    result.status = status;
    result.complete = code == CURLE_OK && !transfer.capped;
    result.error = transfer.capped ? FetchError::BodyTooLarge : fetch_error(code);
    // libcurl reads both forms of the header (seconds and an HTTP date).
    curl_off_t retry_after = 0;
    if (curl_easy_getinfo(h, CURLINFO_RETRY_AFTER, &retry_after) == CURLE_OK && retry_after > 0) {
        result.retry_after_seconds = static_cast<long>(retry_after);
    }
    result.body = std::move(transfer.body);
    return result;
}

Bytes fetch_url(std::string_view address) {
    return fetch_url_checked(address).body;
}

}  // namespace qinghe
