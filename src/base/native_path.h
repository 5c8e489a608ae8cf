// The one place where the program's own paths meet the file system.
//
// The program builds paths as GBK text joined with "\\". On POSIX each "\\"
// becomes "/" and the GBK bytes become UTF-8; the scan steps over
// double-byte characters so that a trail byte 0x5C is never taken for a
// separator.
#pragma once

#include <string>

#include "base/text.h"

namespace qinghe {

// The native (UTF-8, "/") form of a program path.
std::string to_native_path(std::string_view program_path);
// The program form (GBK) of a native path; false when GBK cannot hold it.
bool from_native_path(std::string_view native_path, Text& program_path);

// A name from the web made safe to join to a folder: separators ("\\",
// "/"), ":", control bytes, the wildcard and Windows-refused characters
// (* ? " < > |) and high bytes that start no whole character become "_"; a
// name made only of dots and spaces, or empty, becomes "_". The result never
// holds a path separator and is never "." or "..", so joined to a folder it
// stays inside that folder.
Text safe_name(std::string_view name);

}  // namespace qinghe
