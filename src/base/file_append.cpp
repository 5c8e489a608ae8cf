#include "base/file_append.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "base/native_path.h"

namespace qinghe {

bool append_to_file(std::string_view name, std::string_view data) {
    if (name.empty()) return false;
    const std::string path = to_native_path(name);
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = true;
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        data.remove_prefix(static_cast<size_t>(n));
    }
    return ::close(fd) == 0 && ok;
}

}  // namespace qinghe
