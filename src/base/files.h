// Whole-file reads and writes, and folders.
//
// File names are in the program's own form ("\\" separators, GBK); the
// native-path layer maps them to the file system.
#pragma once

#include <initializer_list>

#include "base/text.h"

namespace qinghe {

Bytes read_file(std::string_view name);
// Creates or truncates the file and writes every part in order. The write
// goes to a temporary name in the same folder and is renamed into place, so
// a file under its final name is always complete.
bool write_file(std::string_view name, std::initializer_list<std::string_view> parts);
inline bool write_file(std::string_view name, std::string_view data) {
    return write_file(name, {data});
}
// Adds data at the end of an existing file (a missing file is not created).
// All or nothing as far as the system allows: when the write fails or falls
// short, what it wrote is cut off again and the result is false.
bool append_file(std::string_view name, std::string_view data);
// True when a file or folder matches; "*" and "?" in the last element are wildcards.
bool file_exists(std::string_view name);
// Creates exactly the last element; false when it exists or the parent is missing.
bool create_directory(std::string_view path);

}  // namespace qinghe
