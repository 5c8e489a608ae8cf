#include <fstream>
#include <iterator>
#include <limits>
#include <string_view>

#include "base/prefetch.h"
#include "cli/headless_runner.h"

namespace qinghe {

namespace {

// The value of "--name VALUE" or "--name=VALUE"; advances i past it.
bool take_value(int argc, char** argv, int& i, std::string_view name, std::string& value,
                bool& matched, std::string& error) {
    const std::string_view arg = argv[i];
    matched = false;
    if (arg == name) {
        matched = true;
        if (i + 1 >= argc) {
            error = std::string(name) + " needs a value";
            return false;
        }
        value = argv[++i];
        return true;
    }
    if (arg.size() > name.size() && arg.substr(0, name.size()) == name && arg[name.size()] == '=') {
        matched = true;
        value = std::string(arg.substr(name.size() + 1));
        return true;
    }
    return true;
}

// A decimal number above 0 that fits the field, without sign or other text.
template <typename Number>
bool positive_number(const std::string& text, Number& out) {
    if (text.empty() || text.size() > 18) return false;
    long long n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        n = n * 10 + (c - '0');
    }
    if (n <= 0 || n > std::numeric_limits<Number>::max()) return false;
    out = static_cast<Number>(n);
    return true;
}

}  // namespace

bool check_ca_file(const std::string& pem_file, std::string& error) {
    std::ifstream in(pem_file, std::ios::binary);
    if (pem_file.empty() || !in) {
        error = "--cacert: cannot read the file " + pem_file;
        return false;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    if (text.find("-----BEGIN CERTIFICATE-----") == std::string::npos) {
        error = "--cacert: " + pem_file + " holds no PEM certificate";
        return false;
    }
    return true;
}

bool parse_headless_arguments(int argc, char** argv, int first, HeadlessOptions& options,
                              std::string& error) {
    bool have_input = false;
    bool flags_done = false;
    for (int i = first; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool is_flag = !flags_done && arg.size() > 1 && arg[0] == '-';
        if (!is_flag) {
            if (have_input) {
                error = "only one address list may be given (" + std::string(arg) + ")";
                return false;
            }
            options.input = std::string(arg);
            have_input = true;
            continue;
        }
        if (arg == "--") {
            flags_done = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            continue;
        }
        if (arg == "--no-main") {
            options.download_main_pictures = false;
            continue;
        }
        if (arg == "--no-detail") {
            options.download_detail_pictures = false;
            continue;
        }
        if (arg == "--no-other") {
            options.download_other_pictures = false;
            continue;
        }
        if (arg == "--flat") {
            options.smart_category_save = false;
            continue;
        }
        if (arg == "--show-title") {
            options.show_item_title = true;
            continue;
        }
        if (arg == "--no-export") {
            options.export_data_package = false;
            continue;
        }
        if (arg == "--keep-links") {
            options.remove_hyperlinks = false;
            continue;
        }
        if (arg == "--verbose" || arg == "-v") {
            options.verbose = true;
            continue;
        }

        std::string value;
        bool matched = false;
        if (!take_value(argc, argv, i, "--save", value, matched, error)) return false;
        if (matched) {
            if (value.empty()) {
                error = "--save needs a folder";
                return false;
            }
            options.save_folder = value;
            continue;
        }
        if (!take_value(argc, argv, i, "--package", value, matched, error)) return false;
        if (matched) {
            if (value == "independent") {
                options.package_kind = PackageKind::Independent;
            } else if (value == "composite") {
                options.package_kind = PackageKind::Composite;
            } else {
                error = "--package takes independent or composite, not " + value;
                return false;
            }
            continue;
        }
        if (!take_value(argc, argv, i, "--connect-to", value, matched, error)) return false;
        if (matched) {
            // HOST:PORT:ADDR:PORT, as curl takes it; the parts may be empty.
            int colons = 0;
            for (char c : value) colons += c == ':';
            if (colons < 3) {
                error = "--connect-to takes HOST:PORT:ADDR:PORT, not " + value;
                return false;
            }
            options.connect_to.push_back(value);
            continue;
        }
        if (!take_value(argc, argv, i, "--cacert", value, matched, error)) return false;
        if (matched) {
            if (!check_ca_file(value, error)) return false;
            options.ca_file = value;
            continue;
        }
        if (!take_value(argc, argv, i, "--stall-seconds", value, matched, error)) return false;
        if (matched) {
            if (!positive_number(value, options.stall_seconds)) {
                error = "--stall-seconds takes a whole number of seconds above 0, not " + value;
                return false;
            }
            continue;
        }
        if (!take_value(argc, argv, i, "--max-body-bytes", value, matched, error)) return false;
        if (matched) {
            if (!positive_number(value, options.max_body_bytes)) {
                error = "--max-body-bytes takes a whole number above 0, not " + value;
                return false;
            }
            continue;
        }
        if (!take_value(argc, argv, i, "--parallel", value, matched, error)) return false;
        if (matched) {
            if (!positive_number(value, options.parallel) ||
                options.parallel > kMaxParallelTransfers) {
                error = "--parallel takes a whole number from 1 to " +
                        std::to_string(kMaxParallelTransfers) + ", not " + value;
                return false;
            }
            continue;
        }
        if (!take_value(argc, argv, i, "--retries", value, matched, error)) return false;
        if (matched) {
            // 0 is allowed: no second try at all.
            if (value.size() != 1 || value[0] < '0' || value[0] > '0' + kMaxRetries) {
                error = "--retries takes a whole number from 0 to " + std::to_string(kMaxRetries) +
                        ", not " + value;
                return false;
            }
            options.retries = value[0] - '0';
            continue;
        }
        error = "unknown option " + std::string(arg);
        return false;
    }
    return true;
}

std::string headless_usage(const std::string& program) {
    return "Usage: " + program + R"( [OPTIONS] [FILE|-]
       )" + program +
           R"( --demo [OPTIONS]
       )" + program +
           R"( --shop [OPTIONS]

Runs one batch of 青禾淘图 without a window. The address list (one address
a line: item pages, picture addresses, or paths of Taobao Assistant ".csv"
data packages) is read from FILE, or from standard input when FILE is "-" or
missing. It is read as GBK; UTF-8 input is recognised and converted.

Options (defaults as the main window starts):
  --save DIR         save folder; the batch folder is created inside it
                     (default: the current folder)
  --no-main          do not download main and attribute pictures (下载主图)
  --no-detail        do not download the description and its pictures (下载细节图)
  --no-other         do not download the other pictures of the page (下载其他图)
  --flat             no item folders per kind of picture (智能分类保存 off)
  --show-title       add the item title to the item folder name (显示宝贝标题)
  --no-export        do not write the CSV data package (导出CSV数据包)
  --package KIND     independent (独立包) or composite (复合包, the default)
  --keep-links       keep hyperlinks in the exported description
                     (自动删除超链接 off)
  --connect-to HOST:PORT:ADDR:PORT
                     send requests for HOST:PORT to ADDR:PORT, as curl's
                     option of that name does; may be repeated
  --cacert FILE      trust the certificate authorities of the PEM file FILE
                     besides the system's (a company proxy, a test server);
                     https servers are verified either way
  --stall-seconds N  give up a transfer that stalls (less than 1 byte a second)
                     for N seconds (default 60)
  --max-body-bytes N give up a transfer whose body grows past N bytes
                     (default 268435456, 256 MiB)
  --parallel N       fetch up to N pictures of an item at once, in page order
                     (default 6; 1 fetches one after another)
  --retries N        try a transfer that failed for a passing reason (time-out,
                     reset, stall, 408, 429, 5xx) up to N more times, waiting
                     longer each time (default 2; 0 to 5)
  --verbose, -v      print every address added to the file list
  --help, -h         show this text
  --demo             serve the bundled demo shop on 127.0.0.1 and harvest it
                     (see --demo --help)
  --shop             collect the item addresses of a whole shop
                     (see --shop --help)

The status line and the progress bar go to standard output (a live bar on a
terminal, plain lines otherwise); message boxes go to standard error.

When anything failed or the batch was stopped, one line on standard error
sums it up at the end (addresses, items, pictures saved, already there and
failed), and the batch folder holds 淘图报告.csv (every picture and why it failed) and 失败地址.txt
(the failed addresses, ready to be passed to this program again). Ctrl+C or
SIGTERM stops the batch after the current picture and writes the report; a
second one ends the program at once.

Exit status: 0 when the batch reached its end and nothing failed, 1 when an
address or a picture failed, 2 when the start was refused (no picture kind
chosen, no address) or the arguments were wrong, 130 when the batch was
stopped by Ctrl+C or SIGTERM.
)";
}

}  // namespace qinghe
