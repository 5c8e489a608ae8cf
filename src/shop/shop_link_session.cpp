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
#include "shop/shop_pages.h"
#include "shop/shop_texts.h"

namespace qinghe {
namespace {

std::atomic<int> g_live_collectors{0};

// One write for the window thread. Consecutive item writes merge into one,
// so that a shop of thousands of items costs a few hundred box updates.
struct Write {
    std::function<void(ShopControls&)> work;  // empty for an item write
    Text lines;                               // item write: new lines of the box
    Text count_text;                          // item write: the link count label
};

Text count_label(int count) {
    return shop_texts::kCountBefore + number_to_text(count) + shop_texts::kCountAfter;
}

}  // namespace

struct ShopLinkSession::State {
    std::mutex mutex;
    std::condition_variable changed;
    ShopControls* controls = nullptr;  // null once closed
    std::function<void()> wake;
    std::deque<Write> queue;
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

    bool stopped(std::uint64_t my_run) {
        std::lock_guard lock(mutex);
        return closed || run != my_run;
    }

    void queue_write(Write write) {  // mutex held
        if (closed) return;
        bool was_empty = queue.empty();
        queue.push_back(std::move(write));
        changed.notify_all();
        if (was_empty && wake) wake();
    }

    void post(std::function<void(ShopControls&)> work) {
        std::lock_guard lock(mutex);
        queue_write(Write{std::move(work), {}, {}});
    }

    // The collector found an item. Listed once per distinct address line.
    void add_item(const Text& address) {
        std::lock_guard lock(mutex);
        if (closed || !listed.insert(address).second) return;
        ++count;
        Text line = address + "\r\n";
        links += line;
        if (!queue.empty() && !queue.back().work) {
            queue.back().lines += line;
            queue.back().count_text = count_label(count);
            return;
        }
        queue_write(Write{{}, std::move(line), count_label(count)});
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
        state->post([](ShopControls& c) { c.show_message(shop_texts::kNetworkTimeout); });
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
    std::weak_ptr<State> weak = state;
    state->post([weak](ShopControls& c) {
        if (auto s = weak.lock()) s->running = false;
        c.set_fetch_enabled(true);
    });
}

}  // namespace

int live_collector_threads() { return g_live_collectors.load(); }

ShopLinkSession::ShopLinkSession(ShopControls& controls, std::function<void()> wake)
    : m_state(std::make_shared<State>()) {
    m_state->controls = &controls;
    m_state->wake = std::move(wake);
}

ShopLinkSession::~ShopLinkSession() { close(); }

void ShopLinkSession::collect_shop_links() {
    State& s = *m_state;
    if (s.closed || s.running) return;
    ShopControls& c = *s.controls;
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
        for (Write& write : s.queue) write.lines.clear();
        s.listed.clear();
        s.links.clear();
    }
    s.controls->set_shop_address_text({});
    s.controls->clear_shop_link_box();
}

bool ShopLinkSession::accept_shop_links(Text& links) {
    State& s = *m_state;
    if (s.closed) return false;
    {
        std::lock_guard lock(s.mutex);
        links = s.links;
    }
    if (links.empty()) {
        s.controls->show_message(shop_texts::kNoLinksYet);
        return false;
    }
    return true;
}

void ShopLinkSession::stop_collector() {
    std::lock_guard lock(m_state->mutex);
    ++m_state->run;
}

void ShopLinkSession::close() {
    std::lock_guard lock(m_state->mutex);
    m_state->closed = true;
    m_state->controls = nullptr;
    m_state->queue.clear();
    m_state->changed.notify_all();
}

int ShopLinkSession::drain() {
    State& s = *m_state;
    int ran = 0;
    for (;;) {
        Write write;
        ShopControls* controls;
        {
            std::lock_guard lock(s.mutex);
            if (s.closed || s.queue.empty()) return ran;
            write = std::move(s.queue.front());
            s.queue.pop_front();
            controls = s.controls;
        }
        ++ran;
        if (write.work) {
            write.work(*controls);
        } else {
            if (!write.lines.empty()) controls->append_shop_links(write.lines);
            controls->set_link_count_text(write.count_text);
        }
    }
}

bool ShopLinkSession::drain_until_idle(std::chrono::milliseconds timeout) {
    State& s = *m_state;
    auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        drain();
        std::unique_lock lock(s.mutex);
        if (s.closed) return true;
        if (!s.running && s.queue.empty()) return true;
        if (!s.changed.wait_until(lock, deadline, [&] { return !s.queue.empty() || s.closed; })) {
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
