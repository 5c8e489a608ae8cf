// Transfers started ahead of a stage that fetches a list of addresses one
// after another.
//
// A stage that is about to save a list of pictures hands their addresses, in
// the order it will ask for them, to its thread's prefetch window. The window
// keeps up to parallel_transfers() of them running ahead; the stage keeps its
// sequential shape and still calls fetch_url for one address after another,
// which then waits for the transfer started ahead instead of starting one.
//
//     PrefetchScope ahead(addresses);   // the coming addresses, in order
//     for (const auto& a : addresses) {
//         if (file_exists(...)) continue;  // skipped: its transfer is dropped
//         write_file(..., fetch_url(a));
//     }                                 // leaving the scope drops the rest
//
// Windows belong to threads: a window serves only the thread that made it, so
// a shop collector fetching beside a batch worker never meets the batch's
// transfers, and no window is shared between threads.
//
// Only the transfers inside the window hold bodies: the window slides over
// the list as the stage takes results, so memory stays bounded by
// parallel_transfers() bodies, whatever the length of the list. A result
// taken from the window is the one a direct fetch would have given (same
// request, same limits, same failure).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/web.h"

namespace qinghe {

// Transfers a window keeps running at once (default 6, as browsers open per
// host; a window then never holds more than that for any host). 1 means no
// window at all: every fetch starts when it is asked for, as a plain
// fetch_url does. Process-wide; a window takes the value when it fills.
// Values outside 1..kMaxParallelTransfers are brought into that range.
constexpr int kMaxParallelTransfers = 16;
void set_parallel_transfers(int count);
int parallel_transfers();

class PrefetchWindow;

// Opens a window on the calling thread for the coming addresses, in the order
// the stage will fetch them. A scope opened inside another one (a stage run
// by a stage) takes over until it ends; the outer window then serves again.
// Leaving the scope stops the transfers nobody asked for and frees their
// bodies. Must be destroyed on the thread that made it.
class PrefetchScope {
public:
    explicit PrefetchScope(const std::vector<std::string>& addresses);
    // Serves the calling thread from a window made by make_shared_prefetch
    // (none: an empty window); leaving the scope leaves that window as it is.
    explicit PrefetchScope(std::shared_ptr<PrefetchWindow> shared);
    ~PrefetchScope();
    PrefetchScope(const PrefetchScope&) = delete;
    PrefetchScope& operator=(const PrefetchScope&) = delete;

private:
    std::shared_ptr<PrefetchWindow> m_window;
    PrefetchWindow* m_outer = nullptr;
    bool m_own = true;
};

// A window for a list whose addresses are asked for by several threads one
// after another, each holding a PrefetchScope made from it while it fetches
// (a batch's single picture addresses: one worker thread each, one worker at
// a time). It must not serve two threads at once. Its transfers keep running
// between the threads' turns while a handle holds the window; the last
// handle dropped stops them.
std::shared_ptr<PrefetchWindow> make_shared_prefetch(const std::vector<std::string>& addresses);

// Replaces the calling thread's current window list with these addresses
// (the earlier list's transfers are dropped), for a stage that cannot hold a
// scope object.
void prefetch(const std::vector<std::string>& addresses);
// Empties the calling thread's current window: running transfers stop and
// bodies not yet taken are freed.
void cancel_prefetch();

// For fetch_url_checked: when the address is in the calling thread's window,
// its result (waiting for the transfer if it still runs); addresses of the
// list before it, which the stage skipped, are dropped. Nothing when the
// address is not in the window.
std::optional<FetchResult> take_prefetched(std::string_view address);

}  // namespace qinghe
