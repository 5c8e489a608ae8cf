#include "window/window_texts.h"

#include "base/gbk_text.h"

namespace qinghe {

const Text& busy_start_caption() {
    static const Text caption = gbk_text("正在下载中……");
    return caption;
}

const Text& idle_start_caption() {
    static const Text caption = gbk_text("立即下载");
    return caption;
}

}  // namespace qinghe
