// 淘图报告.csv and 失败地址.txt kept current through one batch.
//
// Nothing is written while nothing has failed, so a batch without failures
// leaves the tree it always left. From the first failure on, the files are
// written whole once and then grow by what was recorded since, so a batch of
// thousands of addresses does not rewrite its report after each one. At the
// end of the batch (or when it is stopped) finish writes both whole again in
// batch order, the form batch_report.h describes.
//
//     OutcomeFiles files(batch_folder_path);        // when the batch starts
//     files.keep_current(outcome);                  // after each address
//     files.finish(outcome);                        // at the end or a stop
#pragma once

#include <mutex>
#include <set>
#include <string_view>

#include "base/text.h"
#include "window/batch_outcome.h"

namespace qinghe {

// Writes both files into the batch folder (path with its closing "\\"),
// each whole under its final name or not at all. True when both were written.
bool write_outcome_files(std::string_view batch_folder, const std::vector<AddressRecord>& records);
// The rule for a batch: the files are written only when something failed,
// so a batch without failures leaves the same tree as before. True when
// they were written.
bool write_outcome_files_if_failed(std::string_view batch_folder, const BatchOutcome& outcome);

class OutcomeFiles {
public:
    // batch_folder: the batch folder's path with its closing "\\".
    explicit OutcomeFiles(std::string_view batch_folder);

    // Any thread. Brings both files up to what the outcome holds, once
    // something has failed; while the files grow, the lines come in the
    // order of recording and a failed list may hold a picture of an address
    // that failed itself later. False when a write failed.
    bool keep_current(const BatchOutcome& outcome);
    // Any thread. Writes both files whole when something failed; true when
    // they were written.
    bool finish(const BatchOutcome& outcome);

private:
    std::mutex m_mutex;
    Text m_folder;
    size_t m_position = 0;  // in the outcome's order of recording
    bool m_written = false;
    std::set<Text> m_listed;        // addresses in the failed list
    std::set<int> m_failed_itself;  // indexes listed as addresses
};

}  // namespace qinghe
