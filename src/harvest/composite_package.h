// The Composite data package file of the running batch.
//
// The package stage adds each item's row here; the file is written as
// CompositeFile's Rewrites::WhenDoubled rule asks (newest row first), and
// the dispatcher's finish_batch calls flush_composite_package so that every
// batch, also one stopped early, ends with the complete file.
#pragma once

#include <string_view>

#include "base/text.h"

namespace qinghe {

// Adds the newest row (final form, without its CR LF) to the file at path.
// earlier_rows: the batch's rows before it, newest first, each followed by
// CR LF (the data package's Composite rows); empty for a batch's first row,
// which starts a new file holding only its batch's rows. A path other than
// the last one (the save folder box changed) gets the whole batch's rows;
// the earlier file is completed first. Harvest worker thread.
void add_composite_package_row(const Text& path, std::string_view row,
                               std::string_view earlier_rows);

// Writes the batch's file unless it is complete, and ends the batch: called
// when the batch finishes and when the window closes; nothing happens when
// no row was added. A row that comes later all the same (a stopped batch
// whose last item was still exporting) writes the whole file again.
void flush_composite_package();

}  // namespace qinghe
