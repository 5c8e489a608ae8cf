// Blocking HTTP GET on libcurl, over kept-alive connections.
//
// Every transfer of the process runs on one transfer thread that drives one
// curl multi handle. The multi handle owns the connection cache, so a fetch
// reuses an idle HTTP/1.1 connection that an earlier fetch of any thread left
// open. libcurl does not support sharing a connection cache between threads
// that perform transfers at the same time (a share handle with
// CURL_LOCK_DATA_CONNECT), which is why the transfers meet on one thread
// instead. A process-wide share still holds cookies, the DNS cache and TLS
// sessions, guarded by one mutex per kind of data. Callers build their easy
// handle on their own thread, hand it over and wait for its result; a
// transfer started ahead (start_fetch) is the same transfer, waited for
// later. Nothing is retried.
#include "base/web.h"

#include <curl/curl.h>
#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <future>
#include <memory>
#include <mutex>
#include <thread>

#include "base/prefetch.h"

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

// Idle connections kept for reuse, over all hosts.
constexpr long kMaxIdleConnections = 32;
// The longest the transfer thread sleeps; libcurl shortens the wait to its own
// next time-out, and new, cancelled and closing work wakes the thread at once.
constexpr int kPollMilliseconds = 1000;

std::mutex g_settings_mutex;
FetchLimits g_limits;
std::vector<std::string> g_routes;
std::string g_extra_ca_file;

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

bool iequals(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y) {
            return false;
        }
    }
    return true;
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
    parts.path_with_query =
        path_start == std::string_view::npos ? std::string_view{} : rest.substr(path_start);
    std::string_view host_port = parts.authority;
    const size_t at = parts.authority.rfind('@');
    if (at != std::string_view::npos) {
        const std::string_view user_info = parts.authority.substr(0, at);
        host_port = parts.authority.substr(at + 1);
        const size_t colon = user_info.find(':');
        parts.user = user_info.substr(0, colon);
        parts.password =
            colon == std::string_view::npos ? std::string_view{} : user_info.substr(colon + 1);
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
    if (!iequals(parts.scheme, "http") && !iequals(parts.scheme, "https")) {
        return nullptr;
    }
    if (parts.host.empty() || parts.host.size() >= kMaxHost ||
        parts.path_with_query.size() >= kMaxPathWithQuery ||
        parts.user.size() >= kMaxUserOrPassword || parts.password.size() >= kMaxUserOrPassword) {
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

size_t write_body(char* data, size_t size, size_t count, void* user);

}  // namespace

// One transfer: its easy handle with everything the handle points to, the
// body as it arrives, and the promise its waiter holds. Built on the caller's
// thread, then owned by the transfer thread until it is finished.
struct FetchJob {
    EasyHandle easy;
    UrlHandle url;
    HeaderList headers;
    HeaderList connect_to;
    Bytes body;
    long long cap = 0;
    bool capped = false;
    std::string extra_ca_file;  // read by OpenSSL while the transfer runs
    std::atomic<bool> cancelled{false};
    std::promise<FetchResult> promise;
};

namespace {

size_t write_body(char* data, size_t size, size_t count, void* user) {
    auto* job = static_cast<FetchJob*>(user);
    size_t n = size * count;
    long long room = job->cap - static_cast<long long>(job->body.size());
    if (room < static_cast<long long>(n)) {
        // Keep what fits and stop the transfer: an endless body must not
        // take all memory.
        if (room > 0) {
            job->body.append(data, static_cast<size_t>(room));
        }
        job->capped = true;
        return 0;
    }
    job->body.append(data, n);
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
        case CURLE_OK: return FetchError::None;
        case CURLE_UNSUPPORTED_PROTOCOL:
            return FetchError::RedirectRefused;  // the address itself was checked before
        case CURLE_TOO_MANY_REDIRECTS: return FetchError::TooManyRedirects;
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_CONNECT: return FetchError::NoConnection;
        case CURLE_OPERATION_TIMEDOUT:  // the connect time-out and the low-speed abort alike
            return FetchError::TimedOut;
        case CURLE_SEND_ERROR:
        case CURLE_RECV_ERROR:
        case CURLE_GOT_NOTHING:
        case CURLE_PARTIAL_FILE: return FetchError::Broken;
        default: return FetchError::Other;
    }
}

// The result of a fetch that never went out.
FetchResult not_sent() {
    FetchResult result;
    result.error = FetchError::NotSent;
    return result;
}

// The process-wide share. It is created on first use and lives until the
// process ends, because a worker may still be fetching when main returns.
struct SharedData {
    CURLSH* share = nullptr;
    std::array<std::mutex, CURL_LOCK_DATA_LAST> locks;
};

void lock_share(CURL*, curl_lock_data data, curl_lock_access, void* user) {
    static_cast<SharedData*>(user)->locks[static_cast<size_t>(data)].lock();
}

void unlock_share(CURL*, curl_lock_data data, void* user) {
    static_cast<SharedData*>(user)->locks[static_cast<size_t>(data)].unlock();
}

// The one thread that performs every transfer, and its multi handle.
class TransferThread {
public:
    // Null when libcurl could not be set up. Created on first use and never
    // destroyed: a worker may still be fetching when main returns.
    static TransferThread* instance() {
        static std::once_flag once;
        std::call_once(once, [] {
            if (curl_global_init(CURL_GLOBAL_ALL) != CURLE_OK) {
                return;
            }
            auto* t = new TransferThread;
            if (!t->m_multi) {
                return;  // leaked on purpose: nothing else refers to it
            }
            t->m_shared.share = curl_share_init();
            if (CURLSH* share = t->m_shared.share) {
                curl_share_setopt(share, CURLSHOPT_LOCKFUNC, lock_share);
                curl_share_setopt(share, CURLSHOPT_UNLOCKFUNC, unlock_share);
                curl_share_setopt(share, CURLSHOPT_USERDATA, &t->m_shared);
                curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
                curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
                curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION);
            }
            std::thread([t] { t->run(); }).detach();
            s_started = t;
        });
        return s_started;
    }

    // The thread when a fetch has started it, else null.
    static TransferThread* started() { return s_started; }

    CURLSH* share() const { return m_shared.share; }

    void submit(std::shared_ptr<FetchJob> job) {
        std::lock_guard lock(m_mutex);
        m_incoming.push_back(std::move(job));
        curl_multi_wakeup(m_multi);
    }

    // Makes the thread look at its transfers now (one was cancelled).
    void wake() {
        std::lock_guard lock(m_mutex);
        curl_multi_wakeup(m_multi);
    }

    void close_idle_connections() {
        std::lock_guard lock(m_mutex);
        m_close_idle = true;
        curl_multi_wakeup(m_multi);
    }

private:
    TransferThread() : m_multi(new_multi()) {}

    static CURLM* new_multi() {
        CURLM* multi = curl_multi_init();
        if (multi) {
            curl_multi_setopt(multi, CURLMOPT_MAXCONNECTS, kMaxIdleConnections);
        }
        return multi;
    }

    void run() {
        for (;;) {
            std::vector<std::shared_ptr<FetchJob>> incoming;
            {
                std::lock_guard lock(m_mutex);
                incoming.swap(m_incoming);
                // Closing the idle connections means starting a fresh
                // connection cache, which only a multi handle without
                // transfers allows; new transfers join the fresh one.
                if (m_close_idle && m_running.empty()) {
                    curl_multi_cleanup(m_multi);
                    m_multi = new_multi();
                    m_close_idle = false;
                }
            }
            for (std::shared_ptr<FetchJob>& job : incoming) {
                if (curl_multi_add_handle(m_multi, job->easy.get()) == CURLM_OK) {
                    m_running.push_back(std::move(job));
                } else {
                    finish(*job, not_sent());
                }
            }
            drop_cancelled();
            int still_running = 0;
            curl_multi_perform(m_multi, &still_running);
            int queued = 0;
            while (CURLMsg* message = curl_multi_info_read(m_multi, &queued)) {
                if (message->msg == CURLMSG_DONE) {
                    complete(message->easy_handle, message->data.result);
                }
            }
            curl_multi_poll(m_multi, nullptr, 0, kPollMilliseconds, nullptr);
        }
    }

    void complete(CURL* easy, CURLcode code) {
        auto it = std::find_if(m_running.begin(), m_running.end(),
                               [easy](const auto& job) { return job->easy.get() == easy; });
        if (it == m_running.end()) {
            return;
        }
        std::shared_ptr<FetchJob> job = std::move(*it);
        m_running.erase(it);
        FetchResult result;
        long status = 0;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
        result.status = status;
        result.complete = code == CURLE_OK && !job->capped;
        result.error = job->capped ? FetchError::BodyTooLarge : fetch_error(code);
        // libcurl reads both forms of the header (seconds and an HTTP date).
        curl_off_t retry_after = 0;
        if (curl_easy_getinfo(easy, CURLINFO_RETRY_AFTER, &retry_after) == CURLE_OK &&
            retry_after > 0) {
            result.retry_after_seconds = static_cast<long>(retry_after);
        }
        // The charset of a page is decided by this header when it names one.
        char* content_type = nullptr;
        if (curl_easy_getinfo(easy, CURLINFO_CONTENT_TYPE, &content_type) == CURLE_OK &&
            content_type != nullptr) {
            result.content_type = content_type;
        }
        result.body = std::move(job->body);
        curl_multi_remove_handle(m_multi, easy);
        finish(*job, std::move(result));
    }

    // A cancelled transfer is stopped where it stands; its connection is
    // closed, since it cannot be reused in the middle of a response.
    void drop_cancelled() {
        for (auto it = m_running.begin(); it != m_running.end();) {
            if ((*it)->cancelled.load()) {
                curl_multi_remove_handle(m_multi, (*it)->easy.get());
                finish(**it, FetchResult{});
                it = m_running.erase(it);
            } else {
                ++it;
            }
        }
    }

    static void finish(FetchJob& job, FetchResult result) {
        job.easy.reset();
        job.url.reset();
        job.headers.reset();
        job.connect_to.reset();
        job.promise.set_value(std::move(result));
    }

    static inline std::atomic<TransferThread*> s_started{nullptr};

    SharedData m_shared;
    std::mutex m_mutex;        // guards the three below
    CURLM* m_multi = nullptr;  // replaced only by run()
    std::vector<std::shared_ptr<FetchJob>> m_incoming;
    bool m_close_idle = false;
    std::vector<std::shared_ptr<FetchJob>> m_running;  // run() only
};

// The easy handle of one GET, set up on the calling thread; null when the
// address cannot be fetched at all.
std::shared_ptr<FetchJob> prepare_job(std::string_view address, TransferThread& transfers) {
    // The fragment is the browser's business; it never goes to the server.
    address = address.substr(0, address.find('#'));
    if (address.empty()) {
        return nullptr;
    }
    auto job = std::make_shared<FetchJob>();
    job->url = parse_address(address);
    if (!job->url) {
        return nullptr;
    }
    job->easy.reset(curl_easy_init());
    if (!job->easy) {
        return nullptr;
    }
    FetchLimits limits;
    std::vector<std::string> routes;
    {
        std::lock_guard lock(g_settings_mutex);
        limits = g_limits;
        routes = g_routes;
        job->extra_ca_file = g_extra_ca_file;
    }

    for (const char* h : {kAcceptHeader, kCacheControlHeader, kPragmaHeader}) {
        curl_slist* grown = curl_slist_append(job->headers.get(), h);
        if (!grown) {
            return nullptr;
        }
        job->headers.release();
        job->headers.reset(grown);
    }
    for (const std::string& route : routes) {
        curl_slist* grown = curl_slist_append(job->connect_to.get(), route.c_str());
        if (!grown) {
            return nullptr;
        }
        job->connect_to.release();
        job->connect_to.reset(grown);
    }

    job->cap = limits.max_body_bytes;
    CURL* h = job->easy.get();
    curl_easy_setopt(h, CURLOPT_CURLU, job->url.get());
    curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
    // HTTP/1.1 keeps the connection open for the next fetch. HTTP/2 is not
    // asked for: every transfer keeps a connection of its own, as before.
    curl_easy_setopt(h, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(h, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, job->headers.get());
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
    // The transfer thread must not meet SIGALRM from the resolver's time-out.
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, write_body);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, job.get());
    if (transfers.share()) {
        curl_easy_setopt(h, CURLOPT_SHARE, transfers.share());
    }
    // An empty cookie file turns the cookie engine on without reading a file.
    curl_easy_setopt(h, CURLOPT_COOKIEFILE, "");
    if (job->connect_to) {
        curl_easy_setopt(h, CURLOPT_CONNECT_TO, job->connect_to.get());
    }
    if (!job->extra_ca_file.empty()) {
        curl_easy_setopt(h, CURLOPT_SSL_CTX_FUNCTION, add_extra_authorities);
        curl_easy_setopt(h, CURLOPT_SSL_CTX_DATA, job->extra_ca_file.data());
    }
    return job;
}

std::future<FetchResult> ready_result(FetchResult result) {
    std::promise<FetchResult> promise;
    promise.set_value(std::move(result));
    return promise.get_future();
}

}  // namespace

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

PendingFetch::PendingFetch(std::shared_ptr<FetchJob> job, std::future<FetchResult> result)
    : m_job(std::move(job)), m_result(std::move(result)) {}

PendingFetch::PendingFetch(PendingFetch&&) noexcept = default;

PendingFetch& PendingFetch::operator=(PendingFetch&& other) noexcept {
    if (this != &other) {
        cancel();
        m_job = std::move(other.m_job);
        m_result = std::move(other.m_result);
    }
    return *this;
}

void set_extra_ca_file(const std::string& pem_file) {
    std::lock_guard lock(g_settings_mutex);
    g_extra_ca_file = pem_file;
}

std::string extra_ca_file() {
    std::lock_guard lock(g_settings_mutex);
    return g_extra_ca_file;
}

PendingFetch::~PendingFetch() { cancel(); }

FetchResult PendingFetch::wait() {
    if (!m_result.valid()) {
        return {};
    }
    FetchResult result = m_result.get();
    m_job.reset();
    return result;
}

void PendingFetch::cancel() {
    if (m_job) {
        m_job->cancelled = true;
        if (TransferThread* transfers = TransferThread::started()) {
            transfers->wake();
        }
        m_job.reset();
    }
    m_result = {};
}

PendingFetch start_fetch(std::string_view address) {
    TransferThread* transfers = TransferThread::instance();
    if (!transfers) {
        return PendingFetch(nullptr, ready_result(not_sent()));
    }
    std::shared_ptr<FetchJob> job = prepare_job(address, *transfers);
    if (!job) {
        return PendingFetch(nullptr, ready_result(not_sent()));
    }
    std::future<FetchResult> result = job->promise.get_future();
    transfers->submit(job);
    return PendingFetch(std::move(job), std::move(result));
}

FetchResult fetch_url_checked(std::string_view address) {
    // A prefetch window of this thread may have started this fetch already.
    if (std::optional<FetchResult> prefetched = take_prefetched(address)) {
        return std::move(*prefetched);
    }
    return start_fetch(address).wait();
}

Bytes fetch_url(std::string_view address) { return fetch_url_checked(address).body; }

void close_idle_connections() {
    if (TransferThread* transfers = TransferThread::started()) {
        transfers->close_idle_connections();
    }
}

}  // namespace qinghe
