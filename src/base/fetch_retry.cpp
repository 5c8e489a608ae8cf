#include "base/fetch_retry.h"

#include <algorithm>
#include <mutex>
#include <thread>

namespace qinghe {

namespace {

std::mutex g_policy_mutex;
RetryPolicy g_policy;

bool sleep_plainly(std::chrono::milliseconds wait) {
    std::this_thread::sleep_for(wait);
    return true;
}

}  // namespace

FetchVerdict judge_fetch(const FetchResult& result) {
    switch (result.error) {
        case FetchError::None:
            if (!result.complete) return FetchVerdict::Permanent;  // broke off for no known reason
            break;
        case FetchError::TimedOut:
        case FetchError::Broken: return FetchVerdict::Transient;
        case FetchError::NotSent:
        case FetchError::RedirectRefused:
        case FetchError::TooManyRedirects:
        // An unknown host or a refused connection is not a passing hiccup: the
        // host answered "no" at once, and a typing error would only cost waits.
        case FetchError::NoConnection:
        case FetchError::BodyTooLarge:
        case FetchError::Other: return FetchVerdict::Permanent;
    }
    const long status = result.status;
    if (status >= 200 && status <= 299) return FetchVerdict::Done;
    // 408 Request Timeout and 429 Too Many Requests ask for a later try in
    // so many words; a 5xx is the server's own trouble.
    const bool server_trouble = status >= 500 && status <= 599;
    if (status == 408 || status == 429 || server_trouble) return FetchVerdict::Transient;
    return FetchVerdict::Permanent;
}

void set_retry_policy(const RetryPolicy& policy) {
    std::lock_guard lock(g_policy_mutex);
    g_policy = policy;
}

RetryPolicy retry_policy() {
    std::lock_guard lock(g_policy_mutex);
    return g_policy;
}

std::chrono::milliseconds retry_wait(const RetryPolicy& policy, int retry,
                                     const FetchResult& failed) {
    if (failed.retry_after_seconds > 0) {
        // Compared in seconds first, so that a huge header cannot overflow.
        const long cap_seconds = static_cast<long>(policy.longest_retry_after.count() / 1000);
        if (failed.retry_after_seconds >= cap_seconds) return policy.longest_retry_after;
        return std::chrono::seconds(failed.retry_after_seconds);
    }
    std::chrono::milliseconds wait = policy.first_wait;
    for (int i = 1; i < retry; ++i) wait *= 2;
    return wait;
}

RetriedFetch fetch_with_retries(std::string_view address, const FetchFunction& fetch,
                                const SleepFunction& sleep) {
    return fetch_with_retries(address, retry_policy(), fetch, sleep);
}

RetriedFetch fetch_with_retries(std::string_view address, const RetryPolicy& policy,
                                const FetchFunction& fetch, const SleepFunction& sleep) {
    const FetchFunction fetch_once = fetch ? fetch : FetchFunction(fetch_url_checked);
    const SleepFunction wait = sleep ? sleep : SleepFunction(sleep_plainly);
    RetriedFetch out;
    out.result = fetch_once(address);
    out.attempts = 1;
    for (int retry = 1; retry <= policy.extra_attempts; ++retry) {
        if (judge_fetch(out.result) != FetchVerdict::Transient) break;
        if (!wait(retry_wait(policy, retry, out.result))) break;
        out.result = fetch_once(address);
        out.attempts += 1;
    }
    return out;
}

}  // namespace qinghe
