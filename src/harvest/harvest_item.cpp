#include "harvest/harvest_item.h"

namespace qinghe {

// Placeholder until the item harvester lands: reports that item pages are
// not handled yet and hands the batch on, so a batch still reaches its end.
void harvest_item(MainWindow& window) {
    BatchJob& job = window.job();
    window.set_status_text(status_message(job, "item pages are not built yet"));
    window.set_progress(100);
    job.current_index += 1;
    window.set_dispatch_timer(1);
    window.set_progress(0);
}

}  // namespace qinghe
