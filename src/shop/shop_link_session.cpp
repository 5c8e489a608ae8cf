#include "shop/shop_link_session.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <unordered_set>

#include "base/text_number.h"
#include "base/threads.h"
#include "base/web.h"
#include "base/window_thread.h"
#include "shop/shop_pages.h"
#include "shop/shop_texts.h"

namespace qinghe {
namespace {

std::atomic<int> g_live_collectors{0};

// New lines of the shop link box and the count label that goes with them.
struct ItemBatch {
    Text lines;
    Text count_text;
};

Text count_label(int count) {
    return shop_texts::kCountBefore + number_to_text(count) + shop_texts::kCountAfter;
}

}  // namespace

struct ShopLinkSession::State {
    State(ShopControls& window_controls, std::function<void()> front_end_wake)
        : controls(window_controls),
          wake(std::move(front_end_wake)),
          window_thread([this] { woken(); }) {}

    ShopControls& controls;
    std::function<void()> wake;

    // Locks are taken in this order: mutex, then the window thread's own
    // locks (post), which take wait_mutex (the wake hook).
    std::mutex mutex;
    bool closed = false;

    // Read by the collector under the mutex; the window thread stops a run
    // by moving to the next run number.
    std::uint64_t run = 0;
    bool running = false;  // window thread only

    // The collected list. The box shows exactly these lines, so the
    // duplicate test asks the set of whole lines instead of searching the
    // box text for the id.
    std::unordered_set<Text> listed;
    Text links;
    int count = 0;

    // Item writes wait here, in the order of their posted writes. Consecutive
    // items merge into the last batch while its write is the last one posted,
    // so that a shop of thousands of items costs a few hundred box updates.
    std::deque<ItemBatch> batches;
    bool last_write_is_batch = false;

    // drain_until_idle waits here for the wake of a posted write.
    std::mutex wait_mutex;
    std::condition_variable posted;

    // Declared last: destroyed first, so no queued write outlives the state.
    WindowThread window_thread;

    // The window thread's wake hook; runs under its wake lock, never after
    // shut_down has returned.
    void woken() {
        {
            std::lock_guard lock(wait_mutex);
            posted.notify_all();
        }
        if (wake) wake();
    }

    bool stopped(std::uint64_t my_run) {
        std::lock_guard lock(mutex);
        return closed || run != my_run;
    }

    void post(std::function<void(ShopControls&)> work) {
        std::lock_guard lock(mutex);
        if (closed) return;
        last_write_is_batch = false;
        window_thread.post([this, work = std::move(work)] { work(controls); });
    }

    // The collector found an item. Listed once per distinct address line.
    void add_item(const Text& address) {
        std::lock_guard lock(mutex);
        if (closed || !listed.insert(address).second) return;
        ++count;
        Text line = address + "\r\n";
        links += line;
        if (last_write_is_batch) {
            batches.back().lines += line;
            batches.back().count_text = count_label(count);
            return;
        }
        batches.push_back(ItemBatch{std::move(line), count_label(count)});
        last_write_is_batch = true;
        window_thread.post([this] { show_next_batch(); });
    }

    // Window thread: the write of the oldest batch.
    void show_next_batch() {
        ItemBatch batch;
        {
            std::lock_guard lock(mutex);
            if (batches.empty()) return;
            batch = std::move(batches.front());
            batches.pop_front();
            // Once shown, the batch takes no more items.
            if (batches.empty()) last_write_is_batch = false;
        }
        if (!batch.lines.empty()) controls.append_shop_links(batch.lines);
        controls.set_link_count_text(batch.count_text);
    }
};

namespace {

using State = ShopLinkSession::State;

// Progress after each list page: its current position plus 90 divided by
// the number of pages, truncated.
int page_step(int pages) { return pages > 0 ? 90 / pages : 0; }

void collect_list_pages(const std::shared_ptr<State>& state, std::uint64_t run, ShopKind kind,
                        const Text& shop, int pages, int position) {
    const ShopMarkers& markers = shop_markers(kind);
    for (int page = 1; page <= pages; ++page) {
        if (state->stopped(run)) return;
        Text text = bytes_to_text(fetch_url(shop + markers.list_page_path + number_to_text(page)));
        for (const Text& id : list_page_item_ids(kind, text)) {
            if (state->stopped(run)) return;
            state->add_item(item_address(kind, id));
        }
        position += page_step(pages);
        state->post([position](ShopControls& c) { c.set_progress(position); });
    }
}

// collect_tmall_shop and collect_taobao_shop.
void collect_search_shop(const std::shared_ptr<State>& state, std::uint64_t run, ShopKind kind,
                         const Text& shop) {
    state->post([](ShopControls& c) {
        c.set_progress_visible(true);
        c.set_progress(5);
    });
    Text first = bytes_to_text(fetch_url(shop + shop_markers(kind).first_page_path));
    int pages = list_page_count(kind, first);
    if (pages < 0) {
        const Text& message = is_blocked_first_page(kind, first) ? shop_texts::kBlockedBySite
                                                                 : shop_texts::kNetworkTimeout;
        state->post([&message](ShopControls& c) { c.show_message(message); });
        return;
    }
    state->post([](ShopControls& c) { c.set_progress(10); });
    collect_list_pages(state, run, kind, shop, pages, 10);
    state->post([](ShopControls& c) {
        c.set_progress(100);
        c.set_progress_visible(false);
    });
}

void collect_1688(const std::shared_ptr<State>& state, std::uint64_t run, const Text& shop) {
    state->post([](ShopControls& c) {
        c.set_progress_visible(true);
        c.set_progress(5);
    });
    Text first = bytes_to_text(fetch_url(shop + shop_markers(ShopKind::Ali1688).first_page_path));
    int pages = list_page_count(ShopKind::Ali1688, first);
    int position = 5;
    if (is_blocked_first_page(ShopKind::Ali1688, first)) {
        state->post([](ShopControls& c) { c.show_message(shop_texts::kBlockedBySite); });
        return;
    }
    if (pages < 0) {
        pages = 1;  // a missing page count is not reported
    } else {
        position = 10;
        state->post([](ShopControls& c) { c.set_progress(10); });
    }
    collect_list_pages(state, run, ShopKind::Ali1688, shop, pages, position);
    state->post([](ShopControls& c) { c.set_progress(100); });
}

void run_collector(const std::shared_ptr<State>& state, std::uint64_t run, ShopKind kind,
                   const Text& shop) {
    try {
        if (kind == ShopKind::Ali1688) {
            collect_1688(state, run, shop);
        } else {
            collect_search_shop(state, run, kind, shop);
        }
    } catch (...) {
        // A failure ends this collection; the window gets its fetch button back below.
    }
    // The queued write belongs to the state, so the state outlives it.
    state->post([s = state.get()](ShopControls& c) {
        s->running = false;
        c.set_fetch_enabled(true);
    });
}

}  // namespace

int live_collector_threads() { return g_live_collectors.load(); }

ShopLinkSession::ShopLinkSession(ShopControls& controls, std::function<void()> wake)
    : m_state(std::make_shared<State>(controls, std::move(wake))) {}

ShopLinkSession::~ShopLinkSession() { close(); }

void ShopLinkSession::collect_shop_links() {
    State& s = *m_state;
    if (s.closed || s.running) return;
    ShopControls& c = s.controls;
    c.set_fetch_enabled(false);
    ShopAddressCheck check = check_shop_address(c.shop_address_text());
    if (check.verdict == AddressVerdict::Empty) {
        c.show_message(shop_texts::kEmptyAddress);
        c.set_fetch_enabled(true);
        return;
    }
    c.set_shop_address_text(check.box_text);
    if (check.verdict == AddressVerdict::NotAShop) {
        c.show_message(Text(shop_texts::kWrongAddress) + shop_texts::kInputExample);
        c.set_fetch_enabled(true);
        return;
    }
    std::uint64_t run;
    {
        std::lock_guard lock(s.mutex);
        run = ++s.run;
    }
    s.running = true;
    ++g_live_collectors;
    std::shared_ptr<State> state = m_state;
    bool started = start_thread([state, run, kind = check.kind, shop = check.box_text] {
        run_collector(state, run, kind, shop);
        --g_live_collectors;
    });
    if (!started) {
        --g_live_collectors;
        s.running = false;
        c.set_fetch_enabled(true);
    }
}

void ShopLinkSession::clear_shop_links() {
    State& s = *m_state;
    if (s.closed) return;
    {
        std::lock_guard lock(s.mutex);
        // Lines queued but not yet shown belong to the list being cleared;
        // their count texts stay, as the count is not reset.
        for (ItemBatch& batch : s.batches) batch.lines.clear();
        s.listed.clear();
        s.links.clear();
    }
    s.controls.set_shop_address_text({});
    s.controls.clear_shop_link_box();
}

bool ShopLinkSession::accept_shop_links(Text& links) {
    State& s = *m_state;
    if (s.closed) return false;
    {
        std::lock_guard lock(s.mutex);
        links = s.links;
    }
    if (links.empty()) {
        s.controls.show_message(shop_texts::kNoLinksYet);
        return false;
    }
    return true;
}

void ShopLinkSession::stop_collector() {
    std::lock_guard lock(m_state->mutex);
    ++m_state->run;
}

void ShopLinkSession::close() {
    State& s = *m_state;
    std::lock_guard lock(s.mutex);
    s.closed = true;
    s.batches.clear();
    // Drops the queued writes and ignores later ones; no wake runs after it.
    s.window_thread.shut_down();
}

int ShopLinkSession::drain() { return m_state->window_thread.drain(); }

bool ShopLinkSession::drain_until_idle(std::chrono::milliseconds timeout) {
    State& s = *m_state;
    auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        drain();
        if (s.closed) return true;
        std::unique_lock lock(s.wait_mutex);
        if (!s.running && !s.window_thread.has_pending()) return true;
        if (!s.posted.wait_until(lock, deadline, [&] { return s.window_thread.has_pending(); })) {
            return false;
        }
    }
}

bool ShopLinkSession::collector_running() const { return m_state->running; }

int ShopLinkSession::link_count() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->count;
}

}  // namespace qinghe
