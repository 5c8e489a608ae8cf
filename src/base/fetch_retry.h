// Fetching a picture again when the failure may pass.
//
// A time-out, a reset connection, a stalled transfer and the answers 408,
// 429 and 5xx often go away a moment later; a 404, a 403, a refused address
// or an oversized body do not. judge_fetch is the one place that tells them
// apart; fetch_with_retries tries a transient failure again after a wait
// that grows, or as long as the server's Retry-After asks (within a cap).
//
//     const RetriedFetch fetched = fetch_with_retries(address);
//     if (judge_fetch(fetched.result) == FetchVerdict::Done) ...
#pragma once

#include <chrono>
#include <functional>
#include <string_view>

#include "base/web.h"

namespace qinghe {

enum class FetchVerdict {
    Done,       // the transfer completed with a 2xx answer
    Transient,  // worth another try: time-out, stall, reset, 408, 429, 5xx
    Permanent,  // will fail again: other statuses, refused address or redirect, body cap, ...
};

FetchVerdict judge_fetch(const FetchResult& result);

struct RetryPolicy {
    int extra_attempts = 2;                                // tries after the first
    std::chrono::milliseconds first_wait{1000};            // doubled before each further try
    std::chrono::milliseconds longest_retry_after{30000};  // a longer Retry-After is cut to this
};

// Process-wide policy; tests and the headless runner may shorten it.
void set_retry_policy(const RetryPolicy& policy);
RetryPolicy retry_policy();

// The wait before try number `retry` (1 for the first retry) after the
// given failure: the server's Retry-After when it gave one, cut to the cap,
// else first_wait doubled retry - 1 times.
std::chrono::milliseconds retry_wait(const RetryPolicy& policy, int retry,
                                     const FetchResult& failed);

using FetchFunction = std::function<FetchResult(std::string_view address)>;
// Waits the given time; false when the wait was cut short (the batch is
// being stopped), and then no further try is made.
using SleepFunction = std::function<bool(std::chrono::milliseconds)>;

struct RetriedFetch {
    FetchResult result;  // of the last try
    int attempts = 0;    // 1 when the first try settled it
};

// Fetches the address, trying a transient failure again up to
// policy.extra_attempts times. fetch and sleep default to fetch_url_checked
// and a plain sleep of the calling thread.
RetriedFetch fetch_with_retries(std::string_view address, const FetchFunction& fetch = {},
                                const SleepFunction& sleep = {});
RetriedFetch fetch_with_retries(std::string_view address, const RetryPolicy& policy,
                                const FetchFunction& fetch, const SleepFunction& sleep);

}  // namespace qinghe
