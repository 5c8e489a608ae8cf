// Message boxes routed to the handler the front end installs.
#include "base/message.h"

#include <mutex>

#include "base/gbk_text.h"

namespace qinghe {

const Text& default_message_caption() {
    static const Text caption = gbk_text("信息：");
    return caption;
}

namespace {

std::mutex g_handler_mutex;
MessageHandler g_handler;

// Answer of a box when no front end shows one: OK.
constexpr int kButtonOk = 1;

}  // namespace

int show_message(const Text& text, int style, const Text& caption) {
    MessageHandler handler;
    {
        std::lock_guard<std::mutex> lock(g_handler_mutex);
        handler = g_handler;
    }
    // The handler runs outside the lock: it may block for as long as the
    // user looks at the box, and may itself install another handler.
    if (!handler) return kButtonOk;
    return handler(text, style, caption);
}

void set_message_handler(MessageHandler handler) {
    std::lock_guard<std::mutex> lock(g_handler_mutex);
    g_handler = std::move(handler);
}

}  // namespace qinghe
