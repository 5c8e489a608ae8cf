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

// A name from the web made safe to join to a folder: separators ("\\", "/"),
// control bytes and ":" become "_", a name made only of dots or empty
// becomes "_", and leading/trailing dots and spaces that some file systems
// refuse are kept harmless. Never contains a path separator or "..".
Text safe_name(std::string_view name);

}  // namespace qinghe
