// Harvest batches served on 127.0.0.1, run by the headless runner as a
// child process, beside the curl command fetching the same address list
// (each page and picture once) in one process over kept-alive connections.
//
// Two servers in one program: without delay (100 items × 30 pictures of
// 50 KB), where the baseline is sequential curl writing each response into a
// file of its own; and with a fixed delay before every response (20 items ×
// 30 pictures, 20 ms), the latency of a real network, where the baselines are
// sequential curl and `curl --parallel --parallel-max 6`. The runner runs
// with its default options but without the data package (--no-export), once
// with its default window and once with --parallel 1. Reports wall times and
// peak resident memory.
//
//   QINGHE_BENCH_PICTURES  pictures per item (default 30)
//   QINGHE_CLI_PATH        the runner (default: src/cli/qinghe-taotu-cli of this build)
//
// Needs curl on PATH for the baselines.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <httplib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "demo/loopback_server.h"

namespace {

namespace fs = std::filesystem;

constexpr size_t kPictureBytes = 50 * 1024;

int setting(const char* name, int fallback) {
    const char* value = std::getenv(name);
    const int n = value ? std::atoi(value) : 0;
    return n > 0 ? n : fallback;
}

int pictures() { return setting("QINGHE_BENCH_PICTURES", 30); }

std::string cli_path() {
    if (const char* path = std::getenv("QINGHE_CLI_PATH")) return path;
    return (fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "src" / "cli" /
            "qinghe-taotu-cli")
        .string();
}

std::string page_address(int item) {
    return "http://item.taobao.com/item.htm?id=" + std::to_string(item);
}
std::string picture_address(int item, int picture) {
    return "http://img.example.com/" + std::to_string(item) + "/p" + std::to_string(picture) +
           ".jpg";
}

// Item pages name their pictures as the main-picture stage finds them:
// quoted "http…" links ending in ".jpg". Every picture is 50 KB: a JPEG
// signature, then bytes that differ per picture. Every answer waits delay_ms first.
class Shop {
public:
    Shop() {
        // As a web server keeps a connection for many requests (nginx: 1000)
        // and answers without Nagle's delay (nginx: tcp_nodelay on).
        httplib::Server& server = m_loopback.server();
        server.set_keep_alive_max_count(1000);
        server.set_pre_routing_handler([this](const httplib::Request&, httplib::Response&) {
            std::this_thread::sleep_for(std::chrono::milliseconds(m_delay_ms.load()));
            return httplib::Server::HandlerResponse::Unhandled;
        });
        server.Get(
            R"(/item\.htm)", [](const httplib::Request& request, httplib::Response& response) {
                const int item = std::atoi(request.get_param_value("id").c_str());
                std::string page =
                    "<html><head><title>Item " + std::to_string(item) + "</title></head><body>";
                for (int p = 1; p <= pictures(); ++p)
                    page += "<img src=\"" + picture_address(item, p) + "\">";
                response.set_content(page + "</body></html>", "text/html");
            });
        server.Get(R"(/(\d+)/p(\d+)\.jpg)",
                   [](const httplib::Request& request, httplib::Response& response) {
                       std::string body(kPictureBytes, '\0');
                       unsigned seed = static_cast<unsigned>(std::stoi(request.matches[1]) * 131 +
                                                             std::stoi(request.matches[2]));
                       for (char& c : body)
                           c = static_cast<char>(seed = seed * 1103515245u + 12345u);
                       // A JPEG's signature in front, so that a check of the picture's
                       // first bytes takes it for one.
                       body.replace(0, 4, "\xFF\xD8\xFF\xE0", 4);
                       response.set_content(body, "image/jpeg");
                   });
        m_loopback.start();  // answers without Nagle's delay, as web servers do
    }
    void set_delay_ms(int delay_ms) { m_delay_ms = delay_ms; }
    std::vector<std::string> routes() const {
        const std::string to = ":80:127.0.0.1:" + std::to_string(m_loopback.port());
        return {"item.taobao.com" + to, "img.example.com" + to};
    }

private:
    std::atomic<int> m_delay_ms{0};  // read by the server's handlers: declared first
    qinghe::demo::LoopbackServer m_loopback;
};

Shop& shop() {
    static Shop s;
    return s;
}

fs::path fresh_folder(const char* name) {
    const fs::path folder = fs::temp_directory_path() / name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

// Runs the command with output to /dev/null; returns its exit status and
// peak resident set (KB).
int run_child(const std::vector<std::string>& command, long& peak_rss_kb) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null_output = ::open("/dev/null", O_WRONLY);
        ::dup2(null_output, 1);
        ::dup2(null_output, 2);
        std::vector<char*> argv;
        std::vector<std::string> copy = command;
        for (std::string& a : copy) argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    peak_rss_kb = usage.ru_maxrss;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Arguments of every run: items, delay before each answer (ms), and the
// runner's --parallel or curl's way of fetching.
constexpr int kCurlSequentialToNull = 0;
constexpr int kCurlSequentialToFiles = 1;
constexpr int kCurlParallel6ToFiles = 6;

void BM_HarvestBatch(benchmark::State& state) {
    Shop& s = shop();
    const int items = static_cast<int>(state.range(0));
    s.set_delay_ms(static_cast<int>(state.range(1)));
    const int parallel = static_cast<int>(state.range(2));
    const fs::path folder = fresh_folder("qinghe-harvest-bench");
    {
        std::ofstream list(folder / "addresses.txt");
        for (int i = 1; i <= items; ++i) list << page_address(i) << "\n";
    }
    long peak_rss_kb = 0;
    int status = -1;
    size_t files = 0;
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(folder / "save");
        fs::create_directory(folder / "save");
        std::vector<std::string> command{cli_path(),    "--save",     (folder / "save").string(),
                                         "--no-export", "--parallel", std::to_string(parallel)};
        for (const std::string& route : s.routes()) {
            command.push_back("--connect-to");
            command.push_back(route);
        }
        command.push_back((folder / "addresses.txt").string());
        state.ResumeTiming();
        status = run_child(command, peak_rss_kb);
        state.PauseTiming();
        files = 0;
        for (const auto& entry : fs::recursive_directory_iterator(folder / "save")) {
            files += entry.is_regular_file() && entry.path().extension() == ".jpg";
        }
        state.ResumeTiming();
    }
    if (status != 0) state.SkipWithError("the runner failed");
    if (files != static_cast<size_t>(items * pictures())) state.SkipWithError("pictures missing");
    state.counters["pictures"] = static_cast<double>(files);
    state.counters["peak_rss_MB"] = static_cast<double>(peak_rss_kb) / 1024.0;
    fs::remove_all(folder);
}
BENCHMARK(BM_HarvestBatch)
    ->ArgNames({"items", "delay_ms", "parallel"})
    ->Args({100, 0, 6})
    ->Args({100, 0, 1})
    ->Args({20, 20, 6})
    ->Args({20, 20, 1})
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The curl baselines: every page and picture once, in one process over
// kept-alive HTTP/1.1 connections, one after another into /dev/null or each
// into a file of its own (as the runner saves them), or six at once into
// files.
void BM_Curl(benchmark::State& state) {
    Shop& s = shop();
    const int items = static_cast<int>(state.range(0));
    s.set_delay_ms(static_cast<int>(state.range(1)));
    const int mode = static_cast<int>(state.range(2));
    const bool to_files = mode != kCurlSequentialToNull;
    const fs::path folder = fresh_folder("qinghe-curl-bench");
    const fs::path output = folder / "out";
    int requests = 0;
    {
        std::ofstream config(folder / "urls.conf");
        for (const std::string& route : s.routes()) config << "connect-to = \"" << route << "\"\n";
        auto add = [&](const std::string& address, const std::string& name) {
            config << "url = \"" << address << "\"\noutput = \""
                   << (to_files ? (output / name).string() : std::string("/dev/null")) << "\"\n";
            ++requests;
        };
        for (int i = 1; i <= items; ++i) {
            add(page_address(i), std::to_string(i) + ".htm");
            for (int p = 1; p <= pictures(); ++p) {
                add(picture_address(i, p), std::to_string(i) + "_" + std::to_string(p) + ".jpg");
            }
        }
    }
    std::vector<std::string> command{"curl", "--silent", "--fail", "--config",
                                     (folder / "urls.conf").string()};
    if (mode == kCurlParallel6ToFiles) {
        command.insert(command.end(), {"--parallel", "--parallel-max", "6"});
    }
    long peak_rss_kb = 0;
    int status = -1;
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(output);
        fs::create_directory(output);
        state.ResumeTiming();
        status = run_child(command, peak_rss_kb);
    }
    if (status != 0) state.SkipWithError("curl failed");
    state.counters["requests"] = requests;
    state.counters["peak_rss_MB"] = static_cast<double>(peak_rss_kb) / 1024.0;
    fs::remove_all(folder);
}
BENCHMARK(BM_Curl)
    ->ArgNames({"items", "delay_ms", "mode"})
    ->Args({100, 0, kCurlSequentialToNull})
    ->Args({100, 0, kCurlSequentialToFiles})
    ->Args({20, 20, kCurlSequentialToFiles})
    ->Args({20, 20, kCurlParallel6ToFiles})
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
