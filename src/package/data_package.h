// Process-wide data package texts: the row under construction and the
// Composite rows of the batch.
#pragma once

namespace qinghe {

// Empties the row under construction and the Composite rows; start_batch
// calls it so a batch's Composite file holds only rows of that batch.
void reset_data_package();

}  // namespace qinghe
