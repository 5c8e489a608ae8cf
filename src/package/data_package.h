// Process-wide data package texts: the row under construction and the
// Composite rows of the batch.
//
// Single-writer rule instead of a lock: the one running harvest worker is the
// only thread that touches the package between start_batch calls, and
// start_batch resets it on the window thread while no worker runs. The batch
// engine's one-worker-at-a-time rule is what makes this safe.
#pragma once

#include <string_view>

#include "base/text.h"
#include "base/two_way_text.h"

namespace qinghe {

class DataPackage {
public:
    // The current item's row; placeholder form while the export builds it,
    // final form after an Independent write.
    Text& package_row() { return m_package_row; }

    // Every Composite row of the batch in final form, newest first, each
    // followed by CR LF.
    std::string_view composite_rows() const;

    // Converts package_row to final form (once, here) and puts it with its
    // CR LF in front of the Composite rows. Older rows are never converted
    // again. Amortised cost is the new row's length: the rows grow toward the
    // front of a buffer that keeps spare room there.
    void add_composite_row();

    void reset();

private:
    Text m_package_row;
    TwoWayText m_composite_rows;  // newest first
};

DataPackage& data_package();

// Empties the row under construction and the Composite rows; start_batch
// calls it so a batch's Composite file holds only rows of that batch.
void reset_data_package();

}  // namespace qinghe
