#include "base/prefetch.h"

#include <algorithm>
#include <atomic>
#include <deque>

namespace qinghe {
namespace {

constexpr int kDefaultParallelTransfers = 6;

std::atomic<int> g_parallel_transfers{kDefaultParallelTransfers};

}  // namespace

// The list of one stage on one thread. Entries [0, m_started) have their
// transfers running or finished; the rest wait for room in the window.
class PrefetchWindow {
public:
    void reset(const std::vector<std::string>& addresses) {
        clear();
        if (parallel_transfers() <= 1) {
            return;  // fetched one at a time, as asked
        }
        for (const std::string& address : addresses) {
            m_entries.push_back(Entry{address, {}});
        }
        fill();
    }

    void clear() {
        m_entries.clear();  // unwaited transfers cancel themselves
        m_started = 0;
    }

    std::optional<FetchResult> take(std::string_view address) {
        const auto found = std::find_if(m_entries.begin(), m_entries.end(),
                                        [address](const Entry& e) { return e.address == address; });
        if (found == m_entries.end()) {
            return std::nullopt;
        }
        // The stage asks in list order, so the entries before this one were
        // skipped (their files exist, say): drop them.
        const size_t skipped = static_cast<size_t>(found - m_entries.begin());
        m_entries.erase(m_entries.begin(), found);
        m_started -= std::min(m_started, skipped);
        fill();
        if (m_started == 0) {
            clear();  // the window was switched off meanwhile
            return std::nullopt;
        }
        PendingFetch fetch = std::move(m_entries.front().fetch);
        m_entries.pop_front();
        --m_started;
        // Room for the next transfer only once this one is over, so that no
        // more than the window's size ever run at once.
        FetchResult result = fetch.wait();
        fill();
        return result;
    }

private:
    struct Entry {
        std::string address;
        PendingFetch fetch;
    };

    void fill() {
        const size_t size = static_cast<size_t>(parallel_transfers());
        if (size <= 1) {
            return;
        }
        while (m_started < m_entries.size() && m_started < size) {
            m_entries[m_started].fetch = start_fetch(m_entries[m_started].address);
            ++m_started;
        }
    }

    std::deque<Entry> m_entries;
    size_t m_started = 0;
};

namespace {

// The window that plain prefetch() fills when no scope is open.
thread_local PrefetchWindow t_thread_window;
// The innermost open scope's window, or null.
thread_local PrefetchWindow* t_scope_window = nullptr;

PrefetchWindow& current_window() { return t_scope_window ? *t_scope_window : t_thread_window; }

}  // namespace

void set_parallel_transfers(int count) {
    g_parallel_transfers = std::clamp(count, 1, kMaxParallelTransfers);
}

int parallel_transfers() { return g_parallel_transfers; }

PrefetchScope::PrefetchScope(const std::vector<std::string>& addresses)
    : m_window(std::make_shared<PrefetchWindow>()), m_outer(t_scope_window) {
    m_window->reset(addresses);
    t_scope_window = m_window.get();
}

PrefetchScope::PrefetchScope(std::shared_ptr<PrefetchWindow> shared)
    : m_window(std::move(shared)), m_outer(t_scope_window), m_own(m_window == nullptr) {
    if (!m_window) m_window = std::make_shared<PrefetchWindow>();
    t_scope_window = m_window.get();
}

PrefetchScope::~PrefetchScope() {
    t_scope_window = m_outer;
    if (m_own) m_window->clear();
}

std::shared_ptr<PrefetchWindow> make_shared_prefetch(const std::vector<std::string>& addresses) {
    auto window = std::make_shared<PrefetchWindow>();
    window->reset(addresses);
    return window;
}

void prefetch(const std::vector<std::string>& addresses) { current_window().reset(addresses); }

void cancel_prefetch() { current_window().clear(); }

std::optional<FetchResult> take_prefetched(std::string_view address) {
    return current_window().take(address);
}

}  // namespace qinghe
