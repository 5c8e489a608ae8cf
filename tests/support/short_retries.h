// Retry waits cut to a millisecond while a test that expects failures runs,
// so a transient failure costs the suite no real seconds.
#pragma once

#include <chrono>

#include "base/fetch_retry.h"

namespace qinghe::test_support {

class ShortRetryWaits {
public:
    ShortRetryWaits() : m_kept(retry_policy()) {
        RetryPolicy fast = m_kept;
        fast.first_wait = std::chrono::milliseconds(1);
        fast.longest_retry_after = std::chrono::milliseconds(1);
        set_retry_policy(fast);
    }
    ~ShortRetryWaits() { set_retry_policy(m_kept); }
    ShortRetryWaits(const ShortRetryWaits&) = delete;
    ShortRetryWaits& operator=(const ShortRetryWaits&) = delete;

private:
    RetryPolicy m_kept;
};

}  // namespace qinghe::test_support
