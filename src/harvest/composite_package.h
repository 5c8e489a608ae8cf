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
// first_of_batch: the data package was reset for a new batch, whose file
// holds only its own rows. A path other than the last one (the save folder
// box changed) gets the whole batch's rows; the earlier file is completed
// first. Harvest worker thread.
void add_composite_package_row(const Text& path, std::string_view row, bool first_of_batch);

// Writes the batch's file unless it is complete, and ends the batch. Called
// when the batch finishes; nothing happens when no row was added.
void flush_composite_package();

}  // namespace qinghe
