// Adding to the end of a file that a whole write made before.
#pragma once

#include <string_view>

namespace qinghe {

// Appends data to the existing file name (program form). False when the file
// is missing or the data could not be written. Unlike write_file this is not
// all or nothing: a crash may leave part of the data, so it suits files that
// grow during a batch and are written whole again at its end.
bool append_to_file(std::string_view name, std::string_view data);

}  // namespace qinghe
