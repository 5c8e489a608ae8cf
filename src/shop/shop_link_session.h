// The shop link window's behaviour without its widgets: the fetch, clear and
// accept buttons and the collector thread that walks a shop's list pages.
//
// Threading follows the main window's rules. The collector never touches a
// control itself: it posts writes to the session's WindowThread, which the
// window thread runs in the order they were made (drain). Calls made on the window thread run
// directly. After close() every queued and later write is dropped, so the
// window may go away while a collector still runs; the collector notices
// and stops at its next page or item.
#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include "base/text.h"

namespace qinghe {

// The controls of the shop link window. Window thread only.
class ShopControls {
public:
    virtual ~ShopControls() = default;

    virtual Text shop_address_text() = 0;
    virtual void set_shop_address_text(const Text& text) = 0;
    virtual void set_fetch_enabled(bool enabled) = 0;
    virtual void set_progress_visible(bool visible) = 0;
    virtual void set_progress(int position) = 0;  // 0..100
    virtual void set_link_count_text(const Text& text) = 0;
    // append_to_edit_box on the shop link box; lines end in "\r\n".
    virtual void append_shop_links(const Text& lines) = 0;
    virtual void clear_shop_link_box() = 0;
    // A message box with the default caption and an OK button.
    virtual void show_message(const Text& text) = 0;
};

class ShopLinkSession {
public:
    // wake may be called from any thread after a write was queued; the
    // front end then arranges for drain() to run on the window thread soon.
    // It is called with an internal lock held, so it must only schedule the
    // drain, never run it. It is never called once close() has returned.
    // Creating the session sets the collected link count to 0.
    explicit ShopLinkSession(ShopControls& controls, std::function<void()> wake = {});
    ~ShopLinkSession();  // close()

    ShopLinkSession(const ShopLinkSession&) = delete;
    ShopLinkSession& operator=(const ShopLinkSession&) = delete;

    // Window thread: the fetch button. Validates and normalises the shop
    // address and starts one collector thread; does nothing while one runs.
    void collect_shop_links();
    // Window thread: the clear button. Empties the shop address box and the
    // shop link box; the count carries on.
    void clear_shop_links();
    // Window thread: the accept button. Gives the collected list (one
    // address per line, each ending in "\r\n") and true, or shows
    // "您还未获取一个链接呢！" and gives false when nothing was collected.
    bool accept_shop_links(Text& links);

    // Window thread: asks a running collector to stop at its next page or
    // item; it still finishes with its usual last writes.
    void stop_collector();
    // Window thread: the window is going away. Queued writes are dropped,
    // later ones ignored, and a running collector stops.
    void close();

    // Window thread: runs the writes queued so far; returns how many ran.
    int drain();
    // Window thread: drains until no collector runs and nothing is queued,
    // waiting for writes in between; false on time-out.
    bool drain_until_idle(std::chrono::milliseconds timeout);

    // Window thread: true from the start of a collector until its last
    // write has been drained.
    bool collector_running() const;
    int link_count() const;

    struct State;

private:
    std::shared_ptr<State> m_state;
};

// Collector threads that have not yet returned, in this process.
int live_collector_threads();

}  // namespace qinghe
