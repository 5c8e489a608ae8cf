// The headless runner: one batch of the engine behind a terminal window.
//
// Other commands of qinghe-taotu-cli (the demo shop, the shop collector) reuse
// it: parse the common flags with parse_headless_arguments, start whatever
// servers they need, set routes (HeadlessOptions::connect_to or set_connect_to)
// and call run_batch_headless with the address list.
#pragma once

#include <string>
#include <vector>

#include "base/text.h"
#include "window/job_options.h"

namespace qinghe {

// Process exit statuses of the runner.
constexpr int kExitBatchEnded = 0;
constexpr int kExitRefused = 2;      // start refused, or wrong arguments
constexpr int kExitBatchBroken = 1;  // the window loop ended before finish_batch (not expected)
constexpr int kMaxRetries = 5;       // --retries

// The option boxes as flags, with the window's defaults.
struct HeadlessOptions {
    bool download_main_pictures = true;                 // --no-main
    bool download_detail_pictures = true;               // --no-detail
    bool download_other_pictures = true;                // --no-other
    bool smart_category_save = true;                    // --flat
    bool show_item_title = false;                       // --show-title
    bool export_data_package = true;                    // --no-export
    PackageKind package_kind = PackageKind::Composite;  // --package
    bool remove_hyperlinks = true;                      // --keep-links

    std::string save_folder;              // --save, native; empty = current folder
    std::vector<std::string> connect_to;  // --connect-to, repeatable
    long stall_seconds = 0;               // --stall-seconds: 0 keeps the fetch default
    long long max_body_bytes = 0;         // --max-body-bytes: 0 keeps the fetch default
    int parallel = 0;                     // --parallel: 0 keeps the default window
    std::string ca_file;                  // --cacert: a PEM file trusted besides the system's
    int retries = -1;                     // --retries: -1 keeps the default (2)
    bool verbose = false;                 // --verbose: print the file list box
    std::string input;                    // FILE, "-" or empty for stdin
    bool help = false;                    // --help
};

// Parses argv[first..argc) into options. Unknown flags, a missing value or a
// second input give false with a one-line reason in error.
bool parse_headless_arguments(int argc, char** argv, int first, HeadlessOptions& options,
                              std::string& error);

// The file of --cacert: readable and holding a PEM certificate; false with
// a one-line reason otherwise.
bool check_ca_file(const std::string& pem_file, std::string& error);

// The --help text (UTF-8), naming program as the command.
std::string headless_usage(const std::string& program);

// Reads the address list from FILE, or standard input for "-" or "", as GBK:
// input that decodes as UTF-8 and holds a byte of 0x80 or more is converted
// from UTF-8 (a leading byte-order mark is dropped), unless its UTF-8 reading
// holds characters GBK lacks while the bytes are valid GBK (then they are
// GBK); LF line ends become CR LF. False with a reason when the file cannot
// be read or is neither GBK nor UTF-8 that GBK can represent.
bool read_address_list(const std::string& input, Text& address_list_gbk, std::string& error);

// The address list conversion alone (used by read_address_list).
bool address_list_from_bytes(const Bytes& bytes, Text& address_list_gbk);

// Runs one batch on the calling thread, which becomes the window thread:
// sets the option boxes from options, the save folder box (options.save_folder
// or the current folder, made absolute; a folder that is missing or whose
// name GBK cannot hold is refused), applies options.connect_to when it is not
// empty, options.ca_file when it is not empty
// and options.parallel when it is above 0, puts the address list into the address box, runs start_batch and
// then the window loop until finish_batch. Status line and progress bar go to
// stdout (a live bar on a TTY, plain lines otherwise), message boxes to stderr.
// SIGINT and SIGTERM stop the batch as the desktop program's stop does. A
// batch that was stopped or in which something failed ends with one summary
// line on stderr. Returns exit_status (exit_status.h):
// kExitBatchEnded when nothing failed, 1 when something failed, 130 after a
// stop, kExitRefused when the start or the save folder was refused.
int run_batch_headless(const HeadlessOptions& options, const Text& address_list_gbk);

}  // namespace qinghe
