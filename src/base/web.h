// Blocking HTTP GET shared by every thread.
//
// Every transfer runs on one process-wide transfer thread over kept-alive
// HTTP/1.1 connections; cookies, DNS answers and TLS sessions are shared by
// all fetches. Only http and https are allowed, for redirects too.
#pragma once

#include <future>
#include <memory>
#include <string>
#include <vector>

#include "base/text.h"

namespace qinghe {

// Why a transfer did not complete. The kinds are what a caller needs to
// tell a failure worth another try from one that will fail again.
enum class FetchError {
    None,              // the transfer completed (look at the status)
    NotSent,           // empty or unusable address, a scheme other than http/https
    RedirectRefused,   // a redirect to a scheme other than http/https
    TooManyRedirects,  // more redirects than the limit
    NoConnection,      // the host is unknown or refused the connection
    TimedOut,          // no connection within the connect time-out, or the transfer stalled
    Broken,            // reset, empty reply, or a body shorter than announced
    BodyTooLarge,      // the body passed the size cap
    Other,             // anything else the client reported (TLS and the like)
};

struct FetchResult {
    Bytes body;                           // what arrived, whatever the status
    bool complete = false;                // false when the transfer failed or broke off
    long status = 0;                      // HTTP status of the last response, 0 when none
    FetchError error = FetchError::None;  // why it did not complete; None when it did
    long retry_after_seconds = 0;         // the last response's Retry-After; 0 when none
    std::string content_type;             // the last response's Content-Type; empty when none
};

// The body of a GET of the address; empty when nothing could be fetched.
// When the calling thread's prefetch window (base/prefetch.h) holds the
// address, its transfer is the one waited for.
Bytes fetch_url(std::string_view address);
// The same request, telling also whether the transfer completed.
FetchResult fetch_url_checked(std::string_view address);

struct FetchJob;

// A GET started by start_fetch and running on the transfer thread. wait()
// gives exactly what fetch_url_checked of the address would have given.
// Destroying it unwaited cancels the transfer and drops its body.
class PendingFetch {
public:
    PendingFetch() = default;
    PendingFetch(std::shared_ptr<FetchJob> job, std::future<FetchResult> result);
    PendingFetch(PendingFetch&&) noexcept;
    PendingFetch& operator=(PendingFetch&&) noexcept;
    ~PendingFetch();

    // Blocks until the transfer ends; once only (later calls give the
    // empty result).
    FetchResult wait();
    // Stops the transfer if it still runs; wait() then gives the empty result.
    void cancel();

private:
    std::shared_ptr<FetchJob> m_job;
    std::future<FetchResult> m_result;
};

// Starts a GET of the address and returns at once; the building block of
// the prefetch window. Limits and routes are those set when it starts.
PendingFetch start_fetch(std::string_view address);

// Closes the idle kept-alive connections (as soon as no transfer runs), so
// that a server can shut down without waiting for them to time out.
void close_idle_connections();

struct FetchLimits {
    long connect_timeout_seconds = 20;
    long low_speed_bytes_per_second = 1;  // abort when slower than this ...
    long low_speed_seconds = 60;          // ... for this long
    long max_redirects = 10;
    long long max_body_bytes = 256LL * 1024 * 1024;
};

// Process-wide limits; tests shorten them.
void set_fetch_limits(const FetchLimits& limits);
FetchLimits fetch_limits();

// Routes HOST:PORT to ADDR:PORT, as curl's --connect-to does, e.g.
// "item.taobao.com:80:127.0.0.1:34567". Replaces the previous routes.
void set_connect_to(const std::vector<std::string>& routes);
std::vector<std::string> connect_to_routes();

// Trusts the certificate authorities of a PEM file besides the system's own
// (a company proxy's authority; the tests' own one), as curl's --cacert
// option names it; the empty text trusts the system's store alone. Servers
// are verified either way. A file that cannot be read fails every https
// fetch rather than being passed over.
void set_extra_ca_file(const std::string& pem_file);
std::string extra_ca_file();

}  // namespace qinghe
