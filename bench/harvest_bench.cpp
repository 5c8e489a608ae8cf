// A harvest batch of 100 items with 30 pictures of 50 KB each, served on
// 127.0.0.1, run by the headless runner as a child process; beside the
// baseline of fetching the same address list (each page and picture once)
// one after another with the curl command in one process (HTTP/1.0, as the
// program asks), into /dev/null and into one file each. Reports wall times
// and the runner's peak resident memory. The runner runs with its default
// options but without the data package (--no-export).
//
//   QINGHE_BENCH_ITEMS     items (default 100)
//   QINGHE_BENCH_PICTURES  pictures per item (default 30)
//   QINGHE_CLI_PATH        the runner (default: src/cli/qinghe-taotu-cli of this build)
//
// Needs curl on PATH for the baseline.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <httplib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr size_t kPictureBytes = 50 * 1024;

int setting(const char* name, int fallback) {
    const char* value = std::getenv(name);
    const int n = value ? std::atoi(value) : 0;
    return n > 0 ? n : fallback;
}

int items() { return setting("QINGHE_BENCH_ITEMS", 100); }
int pictures() { return setting("QINGHE_BENCH_PICTURES", 30); }

std::string cli_path() {
    if (const char* path = std::getenv("QINGHE_CLI_PATH")) return path;
    return (fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "src" / "cli" / "qinghe-taotu-cli")
        .string();
}

std::string page_address(int item) { return "http://item.taobao.com/item.htm?id=" + std::to_string(item); }
std::string picture_address(int item, int picture) {
    return "http://img.example.com/" + std::to_string(item) + "/p" + std::to_string(picture) + ".jpg";
}

// Item pages name their pictures as the main-picture stage finds them:
// quoted "http…" links ending in ".jpg". Every picture is 50 KB of bytes
// that differ per picture.
class Shop {
public:
    Shop() {
        m_server.Get(R"(/item\.htm)", [](const httplib::Request& request, httplib::Response& response) {
            const int item = std::atoi(request.get_param_value("id").c_str());
            std::string page = "<html><head><title>Item " + std::to_string(item) + "</title></head><body>";
            for (int p = 1; p <= pictures(); ++p) page += "<img src=\"" + picture_address(item, p) + "\">";
            response.set_content(page + "</body></html>", "text/html");
        });
        m_server.Get(R"(/(\d+)/p(\d+)\.jpg)", [](const httplib::Request& request, httplib::Response& response) {
            std::string body(kPictureBytes, '\0');
            unsigned seed = static_cast<unsigned>(std::stoi(request.matches[1]) * 131 + std::stoi(request.matches[2]));
            for (char& c : body) c = static_cast<char>(seed = seed * 1103515245u + 12345u);
            response.set_content(body, "image/jpeg");
        });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        while (!m_server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~Shop() {
        m_server.stop();
        m_thread.join();
    }
    std::vector<std::string> routes() const {
        const std::string to = ":80:127.0.0.1:" + std::to_string(m_port);
        return {"item.taobao.com" + to, "img.example.com" + to};
    }

private:
    httplib::Server m_server;
    std::thread m_thread;
    int m_port = -1;
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

void BM_HarvestBatch(benchmark::State& state) {
    Shop& s = shop();
    const fs::path folder = fresh_folder("qinghe-harvest-bench");
    {
        std::ofstream list(folder / "addresses.txt");
        for (int i = 1; i <= items(); ++i) list << page_address(i) << "\n";
    }
    long peak_rss_kb = 0;
    int status = -1;
    size_t files = 0;
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(folder / "save");
        fs::create_directory(folder / "save");
        std::vector<std::string> command{cli_path(), "--save", (folder / "save").string(), "--no-export"};
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
    if (files != static_cast<size_t>(items() * pictures())) state.SkipWithError("pictures missing");
    state.counters["items"] = items();
    state.counters["pictures"] = static_cast<double>(files);
    state.counters["peak_rss_MB"] = static_cast<double>(peak_rss_kb) / 1024.0;
    fs::remove_all(folder);
}
BENCHMARK(BM_HarvestBatch)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

// The curl baseline: every page and picture once, one after another, into
// /dev/null or (to_files) each into a file of its own, as the runner saves
// them.
void sequential_curl(benchmark::State& state, bool to_files) {
    Shop& s = shop();
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
        for (int i = 1; i <= items(); ++i) {
            add(page_address(i), std::to_string(i) + ".htm");
            for (int p = 1; p <= pictures(); ++p) add(picture_address(i, p), std::to_string(i) + "_" + std::to_string(p) + ".jpg");
        }
    }
    long peak_rss_kb = 0;
    int status = -1;
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(output);
        fs::create_directory(output);
        state.ResumeTiming();
        status = run_child({"curl", "--silent", "--fail", "--http1.0", "--config", (folder / "urls.conf").string()},
                           peak_rss_kb);
    }
    if (status != 0) state.SkipWithError("curl failed");
    state.counters["requests"] = requests;
    state.counters["peak_rss_MB"] = static_cast<double>(peak_rss_kb) / 1024.0;
    fs::remove_all(folder);
}

void BM_SequentialCurl(benchmark::State& state) { sequential_curl(state, false); }
BENCHMARK(BM_SequentialCurl)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SequentialCurlToFiles(benchmark::State& state) { sequential_curl(state, true); }
BENCHMARK(BM_SequentialCurlToFiles)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
