// Names and paths of the harvest: pure functions of texts.
//
// Paths are in the program's own form: GBK text joined with "\\". Every
// folder path built here ends in "\\".
#pragma once

#include "base/date_time.h"
#include "base/gbk_text.h"
#include "base/text.h"

namespace qinghe {

// The tail of every item folder name.
inline const Text kItemFolderTail = gbk_text("_青禾淘图");

// The text after the first "id=" of the address up to the next "&" or the
// end; the empty text when the address has no "id=".
Text item_id_from_address(std::string_view address);

// Year, month, day, hour, minute and second as plain decimal numbers run
// together (9 December 2026 13:05:07 gives 20261291357).
Text date_time_stem(DateTime moment);

// True when the last character of the path (stepping over double-byte
// characters) is a "\\"; a trail byte 0x5C does not count.
bool ends_in_separator(std::string_view path);

// The batch path: the save folder, the batch folder name and "\\", with a
// "\\" between them unless the save folder already ends in one.
Text batch_folder_path(std::string_view save_folder, std::string_view batch_folder_name);

// parent + name, with "\\" appended unless it already ends in one.
Text child_folder_path(std::string_view parent, std::string_view name);

// A folder path without its closing "\\", as create_directory takes it.
Text without_separator(std::string_view folder_path);

// A name from the web or a page made usable as one path element: made safe
// (no separators, no "..", no control bytes) and cut to max_bytes on a
// character boundary, keeping a short extension, so that the file system
// never refuses it for its length.
Text usable_name(std::string_view name, int max_bytes = 160);

// The last element of the address split at "/", made usable.
Text server_file_name(std::string_view address);

// The local link that replaces a saved picture's address in a description
// page: "file://" and the native absolute path, as GBK text.
Text local_file_link(std::string_view program_path);

}  // namespace qinghe
