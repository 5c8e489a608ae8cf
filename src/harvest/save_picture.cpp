#include "harvest/save_picture.h"

#include <utility>

#include "base/fetch_retry.h"
#include "base/files.h"
#include "base/gbk_text.h"
#include "base/picture_bytes.h"
#include "base/text_number.h"
#include "base/web.h"
#include "harvest/harvest_paths.h"

namespace qinghe {

namespace {

void list_address(MainWindow& window, std::string_view address) {
    window.append_file_list(join_text({address, "\r\n"}));
}

void show_count(MainWindow& window, const PictureSave& picture, bool written) {
    if (picture.count == nullptr) return;
    if (picture.counting == Counting::Raise) {
        if (!written) return;
        *picture.count += 1;
    }
    window.set_counter_text(download_counter_text(*picture.count));
}

PictureFailure transfer_failure(const FetchResult& fetched, bool http_error_fails) {
    if (!fetched.complete) return PictureFailure::Incomplete;
    if (fetched.body.empty()) return PictureFailure::Empty;
    if (http_error_fails && fetched.status >= 400) return PictureFailure::HttpError;
    if (!looks_like_picture(fetched.body)) return PictureFailure::NotAPicture;
    return PictureFailure::None;
}

// The first try may be served by the thread's prefetch window; a retry
// always starts a transfer of its own, so it never gets a result fetched
// before the failure it follows.
RetriedFetch fetch_picture(MainWindow& window, std::string_view address) {
    bool first = true;
    const FetchFunction fetch = [&first](std::string_view wanted) {
        if (std::exchange(first, false)) return fetch_url_checked(wanted);
        return start_fetch(wanted).wait();
    };
    const SleepFunction sleep = [&window](std::chrono::milliseconds wait) {
        return window.wait_unless_stopped(wait);
    };
    return fetch_with_retries(address, fetch, sleep);
}

// The outcome's reason for a picture that was not written: the transfer's
// own failure (an error status included) before the content check's.
Failure recorded_failure(PictureFailure failure, const FetchResult& fetched) {
    if (failure == PictureFailure::NotWritten) return {FailureReason::NotWritten};
    const Failure transfer = fetch_failure(fetched);
    if (transfer.failed()) return transfer;
    return {FailureReason::NotAPicture};
}

}  // namespace

PictureResult save_picture(MainWindow& window, const PictureSave& picture) {
    if (window.stop_requested()) {
        // The address is left unfinished: it goes into the failed list, to be run again.
        window.outcome().address_stopped(window.job().current_index);
        return {PictureOutcome::Skipped, PictureFailure::Stopped};
    }
    if (picture.listing == FileListing::BeforeCheck) list_address(window, picture.address);
    if (picture.file_name.empty()) return {PictureOutcome::Skipped, PictureFailure::NoFileName};
    BatchOutcome& outcome = window.outcome();
    const int index = window.job().current_index;
    const Text& checked = picture.checked_folder.empty() ? picture.folder : picture.checked_folder;
    const Text path = join_text({picture.folder, picture.file_name});
    if (file_exists(join_text({checked, picture.file_name}))) {
        outcome.picture_skipped(index, picture.address, path);
        return {PictureOutcome::Skipped, PictureFailure::Exists};
    }

    const FetchResult fetched = fetch_picture(window, picture.address).result;
    PictureFailure failure = transfer_failure(fetched, picture.http_error_fails);
    const bool attempted = failure == PictureFailure::None;
    if (attempted && !write_file(path, fetched.body)) failure = PictureFailure::NotWritten;
    if (picture.listing == FileListing::AfterFetch) list_address(window, picture.address);
    if (attempted) show_count(window, picture, failure == PictureFailure::None);
    if (failure != PictureFailure::None) {
        outcome.picture_failed(index, picture.address, path, recorded_failure(failure, fetched));
        return {PictureOutcome::Failed, failure};
    }
    outcome.picture_saved(index, picture.address, path);
    return {PictureOutcome::Saved, PictureFailure::None};
}

Text picture_file_name(std::string_view address) {
    const TextList pieces = split_text(address, "/");
    const Text raw_name = pieces.at(pieces.count());
    return raw_name.empty() ? Text() : usable_name(raw_name);
}

Text download_counter_text(int count) {
    static const Text head = gbk_text("新下载：");
    static const Text tail = gbk_text("个文件");
    return join_text({head, number_to_text(count), tail});
}

}  // namespace qinghe
