#include "harvest/composite_package.h"

#include <mutex>
#include <optional>

#include "harvest/composite_file.h"

namespace qinghe {

namespace {

// One batch's file. Rows come from the one running harvest worker and the
// flush from the window thread once the batch is over; the lock keeps the
// two apart should a stopped batch finish while a worker still exports.
struct BatchComposite {
    std::mutex mutex;
    std::optional<CompositeFile> file;
};

BatchComposite& batch_composite() {
    static BatchComposite composite;
    return composite;
}

}  // namespace

void add_composite_package_row(const Text& path, std::string_view row,
                               std::string_view earlier_rows) {
    BatchComposite& batch = batch_composite();
    std::lock_guard lock(batch.mutex);
    if (earlier_rows.empty() && batch.file) {
        batch.file->flush();
        batch.file.reset();
    }
    if (!batch.file) {
        batch.file.emplace(path, RowOrder::NewestFirst, CompositeFile::Appender{},
                           Rewrites::WhenDoubled);
        // The batch was flushed before this row came: its earlier rows go in
        // as one block (bytes as they were; only the rewrite schedule counts
        // them as one row).
        if (!earlier_rows.empty()) {
            batch.file->add_row(earlier_rows.substr(0, earlier_rows.size() - 2));
        }
    } else if (batch.file->path() != path) {
        batch.file->flush();
        batch.file->move_to(path);
    }
    batch.file->add_row(row);
}

void flush_composite_package() {
    BatchComposite& batch = batch_composite();
    std::lock_guard lock(batch.mutex);
    if (!batch.file) return;
    batch.file->flush();
    batch.file.reset();
}

}  // namespace qinghe
