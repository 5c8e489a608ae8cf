// The program's own texts (messages, captions, file names, markers) are
// written once, readably, in UTF-8 in the source; the program works in GBK.
//
//     window.set_status_text(gbk_text("正在下载中……"));
//     static const Text kMarker = gbk_text("商品预览图");  // in a hot loop
#pragma once

#include "base/text.h"

namespace qinghe {

// The GBK (code page 936) form of a UTF-8 literal of the program. A literal
// that GBK cannot hold is a fault of the program, not of its input: it is
// reported on standard error and the program stops, so every test that
// reaches it fails.
Text gbk_text(std::string_view utf8);

}  // namespace qinghe
