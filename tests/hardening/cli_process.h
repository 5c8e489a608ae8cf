// Running the built headless runner as a child process in the hardening
// tests: start it with its output in a file, kill it, wait for it with its
// resource usage, and look at what it left on disk.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "support/file_bytes.h"

namespace qinghe::hardening {

namespace fs = std::filesystem;
using test_support::file_bytes;

// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes.
class TemporaryFolder {
public:
    TemporaryFolder() {
        std::string pattern = (fs::temp_directory_path() / "qinghe-hardening-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) m_path = pattern;
    }
    ~TemporaryFolder() {
        std::error_code error;
        if (!m_path.empty()) fs::remove_all(m_path, error);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

struct ChildResult {
    bool exited = false;     // ended by itself
    int exit_status = -1;    // when exited
    bool signalled = false;  // ended by a signal
    int signal = 0;
    long peak_rss_kb = 0;  // the child's own peak resident set
};

// The runner started with arguments, standard output and error going to
// log_path, in working folder cwd.
class CliProcess {
public:
    CliProcess(const std::string& program, const std::vector<std::string>& arguments,
               const fs::path& log_path, const fs::path& cwd) {
        m_pid = ::fork();
        if (m_pid == 0) {
            std::vector<char*> argv;
            std::vector<std::string> all{program};
            all.insert(all.end(), arguments.begin(), arguments.end());
            for (std::string& a : all) argv.push_back(a.data());
            argv.push_back(nullptr);
            const int log = ::open(log_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (log >= 0) {
                ::dup2(log, 1);
                ::dup2(log, 2);
            }
            const int null_input = ::open("/dev/null", O_RDONLY);
            if (null_input >= 0) ::dup2(null_input, 0);
            if (::chdir(cwd.c_str()) != 0) ::_exit(126);
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
    }
    ~CliProcess() {
        if (m_pid > 0 && !m_waited) {
            ::kill(m_pid, SIGKILL);
            wait();
        }
    }
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    bool started() const { return m_pid > 0; }
    void kill_now() {
        if (m_pid > 0 && !m_waited) ::kill(m_pid, SIGKILL);
    }
    void send_signal(int signal) {
        if (m_pid > 0 && !m_waited) ::kill(m_pid, signal);
    }

    // Waits for the end; a child still running after timeout is killed and
    // reported as killed by SIGKILL.
    ChildResult wait(std::chrono::milliseconds timeout = std::chrono::minutes(5)) {
        ChildResult result;
        if (m_pid <= 0 || m_waited) return result;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        int status = 0;
        rusage usage{};
        for (;;) {
            const pid_t done = ::wait4(m_pid, &status, WNOHANG, &usage);
            if (done == m_pid) break;
            if (done < 0) return result;
            if (std::chrono::steady_clock::now() >= deadline) {
                m_timed_out = true;
                ::kill(m_pid, SIGKILL);
                ::wait4(m_pid, &status, 0, &usage);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        m_waited = true;
        result.exited = WIFEXITED(status);
        result.exit_status = result.exited ? WEXITSTATUS(status) : -1;
        result.signalled = WIFSIGNALED(status);
        result.signal = result.signalled ? WTERMSIG(status) : 0;
        result.peak_rss_kb = usage.ru_maxrss;
        return result;
    }
    bool timed_out() const { return m_timed_out; }

private:
    pid_t m_pid = -1;
    bool m_waited = false;
    bool m_timed_out = false;
};

// Every regular file below root, by path relative to root.
inline std::map<std::string, fs::path> files_below(const fs::path& root) {
    std::map<std::string, fs::path> files;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(root, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        if (it->is_regular_file()) files[fs::relative(it->path(), root).string()] = it->path();
    }
    return files;
}

// The write layer's temporary files are hidden (their names start with a
// dot); a file under any other name is under its final name.
inline bool is_temporary_name(const fs::path& path) {
    const std::string name = path.filename().string();
    return !name.empty() && name[0] == '.';
}

inline std::string cli_path() { return QINGHE_CLI_PATH; }

}  // namespace qinghe::hardening
