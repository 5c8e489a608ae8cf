// What became of every address and picture of one batch.
//
// The workers record here, as they go, what each address was and, for every
// picture, whether it was saved, skipped because its file was there already,
// or failed and why. At the end (and from the first failure on) the record
// is written into the batch folder as a report and a list of the failed
// addresses (batch_report.h); the headless runner sums it up in one line.
#pragma once

#include <map>
#include <mutex>
#include <string_view>
#include <vector>

#include "base/text.h"
#include "base/web.h"

namespace qinghe {

// What an address of the batch is, by the worker that takes it.
enum class AddressKind {
    Item,     // an item page (harvest_item)
    Picture,  // a picture address (download_picture)
    Package,  // a dropped data package (localize_package)
};

enum class FailureReason {
    None,
    HttpStatus,    // an error status; Failure::http_status holds it
    TimedOut,      // no connection in time, or the transfer stalled
    Broken,        // the connection broke off
    NoConnection,  // unknown host or connection refused
    Refused,       // an address or redirect this client does not follow
    TooManyRedirects,
    TooLarge,     // the body passed the size cap
    NotAPicture,  // a page, an error text or nothing where a picture should be
    Blocked,      // a block, login or captcha page instead of the item
    NotWritten,   // the file could not be written
    Stopped,      // the batch was stopped before the address was done
    Other,
};

struct Failure {
    FailureReason reason = FailureReason::None;
    long http_status = 0;  // with HttpStatus

    bool failed() const { return reason != FailureReason::None; }
    bool operator==(const Failure&) const = default;
};

// Why a fetch gave no usable answer: None for a completed transfer with a
// 2xx status, whatever its body.
Failure fetch_failure(const FetchResult& result);
// The same for a picture: also a 2xx body that is not a picture fails.
Failure picture_failure(const FetchResult& result);

enum class PictureState {
    Saved,    // fetched and written
    Skipped,  // its file was there already: not fetched
    Failed,   // not written; see the failure
};

struct PictureRecord {
    Text address;  // as fetched
    Text file;     // where it is or would be saved (program form); may be empty
    PictureState result = PictureState::Saved;
    Failure failure;  // with Failed

    bool operator==(const PictureRecord&) const = default;
};

struct AddressRecord {
    int index = 0;  // 1-based number in the batch
    Text address;   // the line of the address list
    AddressKind kind = AddressKind::Item;
    Failure failure;  // the address itself failed: page not fetched, blocked, package unreadable
    std::vector<PictureRecord> pictures;  // in the order they were recorded
};

struct OutcomeCounts {
    int addresses = 0;         // recorded addresses
    int items = 0;             // of them item pages
    int addresses_failed = 0;  // addresses that failed themselves
    int pictures_saved = 0;
    int pictures_skipped = 0;
    int pictures_failed = 0;

    // Failed addresses and failed pictures together.
    int failures() const { return addresses_failed + pictures_failed; }
    bool any_failed() const { return failures() > 0; }
    bool operator==(const OutcomeCounts&) const = default;
};

OutcomeCounts count_outcome(const std::vector<AddressRecord>& records);

// One per batch. Every member may be called from any thread.
class BatchOutcome {
public:
    // A new batch begins: forgets everything recorded so far.
    void reset();

    // Address number index (1-based) is this line, taken by this kind of
    // worker. The calls below for an index not begun keep their records
    // under that index with an empty address, counted as an item.
    void begin_address(int index, std::string_view address, AddressKind kind);
    void address_failed(int index, Failure failure);
    // The batch was stopped before the address was done: it fails as
    // Stopped, unless it failed already for a reason of its own.
    void address_stopped(int index);
    void picture_saved(int index, std::string_view address, std::string_view file);
    void picture_skipped(int index, std::string_view address, std::string_view file);
    void picture_failed(int index, std::string_view address, std::string_view file,
                        Failure failure);

    OutcomeCounts counts() const;
    bool any_failed() const { return counts().any_failed(); }
    // Every address recorded, by index. With position, also the point in
    // the order of recording that this snapshot reaches (see recorded_since).
    std::vector<AddressRecord> records(size_t* position = nullptr) const;
    // What was recorded after position (0 for the start), in the order it
    // was recorded: one record per failed address or picture, holding only
    // that failure or picture. position moves past them. Costs only what is
    // new, so a report can be kept current through a long batch.
    std::vector<AddressRecord> recorded_since(size_t& position) const;

private:
    // One recording: a picture of an address, or (picture < 0) its failure.
    struct Recording {
        int index;
        int picture;
    };

    AddressRecord& entry(int index);  // m_mutex held
    void add_picture(int index, PictureRecord picture);

    mutable std::mutex m_mutex;
    std::map<int, AddressRecord> m_addresses;
    std::vector<Recording> m_recordings;
};

}  // namespace qinghe
