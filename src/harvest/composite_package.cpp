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

void add_composite_package_row(const Text& path, std::string_view row, bool first_of_batch) {
    BatchComposite& batch = batch_composite();
    std::lock_guard lock(batch.mutex);
    if (first_of_batch && batch.file) {
        batch.file->flush();
        batch.file.reset();
    }
    if (!batch.file) {
        batch.file.emplace(path, RowOrder::NewestFirst, CompositeFile::Appender{},
                           Rewrites::WhenDoubled);
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
