// Message boxes. The front end installs the handler that shows them.
#pragma once

#include <functional>

#include "base/text.h"

namespace qinghe {

// "信息：" in GBK, the caption of every message box that names no other.
const Text& default_message_caption();

using MessageHandler = std::function<int(const Text& text, int style, const Text& caption)>;

// Shows a task-modal box with an OK button for style 0; returns the button
// pressed (1 for OK). Without a handler the call returns 1 at once.
int show_message(const Text& text, int style = 0, const Text& caption = default_message_caption());
void set_message_handler(MessageHandler handler);

}  // namespace qinghe
