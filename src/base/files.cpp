// Whole-file reads and writes and folders, on POSIX calls.
//
// Names arrive in the program's form and go through to_native_path here,
// the one place where they meet the file system.
#include "base/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>
#include <vector>

#include "base/native_path.h"

namespace qinghe {
namespace {

// Closes a descriptor on every path out of a function.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() { close_now(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }
    bool close_now() {
        if (m_fd < 0) {
            return true;
        }
        const int rc = ::close(m_fd);
        m_fd = -1;
        return rc == 0;
    }

private:
    int m_fd;
};

bool write_all(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// The folder part of a native path ("." for a bare name) and its last element.
void split_native(const std::string& path, std::string& folder, std::string& last) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        folder = ".";
        last = path;
    } else {
        folder = path.substr(0, slash == 0 ? 1 : slash);  // "/x" keeps "/"
        last = path.substr(slash + 1);
    }
}

// Code points of a UTF-8 name; a byte that does not start a valid sequence
// counts as one unit of its own, so any byte string can be matched.
std::vector<char32_t> code_points(std::string_view s) {
    std::vector<char32_t> out;
    for (size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        size_t n = b < 0x80           ? 1
                   : (b >> 5) == 0x6  ? 2
                   : (b >> 4) == 0xE  ? 3
                   : (b >> 3) == 0x1E ? 4
                                      : 0;
        bool valid = n > 0 && i + n <= s.size();
        for (size_t k = 1; valid && k < n; ++k) {
            valid = (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
        }
        if (!valid) {
            out.push_back(0x110000 + b);  // outside Unicode: never equal to a real character
            ++i;
            continue;
        }
        char32_t c = n == 1 ? b : b & (0x7F >> n);
        for (size_t k = 1; k < n; ++k) {
            c = (c << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        }
        out.push_back(c);
        i += n;
    }
    return out;
}

// Windows wildcards: "*" any run of characters, "?" one character. Nothing
// else stands for more than itself (unlike fnmatch, "[" is an ordinary character).
bool wildcard_match(const std::vector<char32_t>& pattern, const std::vector<char32_t>& name) {
    size_t p = 0, n = 0, star = std::string::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == U'?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == U'*') {
            star = p++;
            resume = n;
        } else if (star != std::string::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == U'*') {
        ++p;
    }
    return p == pattern.size();
}

std::atomic<unsigned long> g_temporary_counter{0};

}  // namespace

Bytes read_file(std::string_view name) {
    if (name.empty()) {
        return {};
    }
    const std::string path = to_native_path(name);
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        return {};
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || S_ISDIR(st.st_mode)) {
        return {};
    }
    Bytes data;
    if (st.st_size > 0) {
        data.reserve(static_cast<size_t>(st.st_size));
    }
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return {};
        }
        if (n == 0) {
            break;
        }
        data.append(buffer, static_cast<size_t>(n));
    }
    return data;
}

bool write_file(std::string_view name, std::initializer_list<std::string_view> parts) {
    if (name.empty()) {
        return false;
    }
    const std::string path = to_native_path(name);
    std::string folder, last;
    split_native(path, folder, last);
    if (last.empty() || last == "." || last == "..") {
        return false;
    }
    // A short temporary name in the same folder (so the rename stays on one
    // file system), unique per process and call, hidden from wildcard users
    // who skip dot files.
    const std::string temporary = folder + "/.qinghe-" + std::to_string(::getpid()) + "-" +
                                  std::to_string(++g_temporary_counter) + ".part";
    FileDescriptor fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (fd.get() < 0) {
        return false;
    }
    bool ok = true;
    for (std::string_view part : parts) {
        if (!write_all(fd.get(), part)) {
            ok = false;
            break;
        }
    }
    ok = fd.close_now() && ok;
    if (ok && ::rename(temporary.c_str(), path.c_str()) == 0) {
        return true;
    }
    ::unlink(temporary.c_str());
    return false;
}

bool append_file(std::string_view name, std::string_view data) {
    if (name.empty()) {
        return false;
    }
    const std::string path = to_native_path(name);
    FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC));
    if (fd.get() < 0) {
        return false;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return false;
    }
    if (write_all(fd.get(), data) && fd.close_now()) {
        return true;
    }
    // Leave the file as it was rather than with half an addition.
    (void)::truncate(path.c_str(), st.st_size);
    return false;
}

bool file_exists(std::string_view name) {
    if (name.empty()) {
        return false;
    }
    const std::string path = to_native_path(name);
    std::string folder, last;
    split_native(path, folder, last);
    if (last.find_first_of("*?") == std::string::npos) {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 || ::lstat(path.c_str(), &st) == 0;
    }
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) {
        return false;
    }
    const std::vector<char32_t> pattern = code_points(last);
    bool found = false;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view entry_name(entry->d_name);
        if (entry_name == "." || entry_name == "..") {
            continue;
        }
        if (wildcard_match(pattern, code_points(entry_name))) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

bool create_directory(std::string_view path) {
    if (path.empty()) {
        return false;
    }
    return ::mkdir(to_native_path(path).c_str(), 0777) == 0;
}

}  // namespace qinghe
