// GBK texts of the core and QString of the widgets.
//
// The core ends lines with CR LF as an edit box does; the Qt edit boxes use
// a bare LF. These helpers convert both the characters and the line ends.
#pragma once

#include <QString>

#include "base/text.h"

namespace qinghe::app {

// GBK text to QString; "\r\n" becomes "\n". Bytes that are not GBK show as U+FFFD.
QString to_qstring(const Text& gbk);
// QString to GBK text; every line break becomes "\r\n". A character that GBK
// cannot hold becomes "?".
Text to_text(const QString& s);
// The GBK form of a native path; false when GBK cannot hold a character.
bool path_to_text(const QString& path, Text& out);

}  // namespace qinghe::app
