#include "harvest/save_picture.h"

#include "base/files.h"
#include "base/gbk_text.h"
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
    return PictureFailure::None;
}

}  // namespace

PictureResult save_picture(MainWindow& window, const PictureSave& picture) {
    if (picture.listing == FileListing::BeforeCheck) list_address(window, picture.address);
    if (picture.file_name.empty()) return {PictureOutcome::Skipped, PictureFailure::NoFileName};
    const Text& checked = picture.checked_folder.empty() ? picture.folder : picture.checked_folder;
    if (file_exists(join_text({checked, picture.file_name}))) {
        return {PictureOutcome::Skipped, PictureFailure::Exists};
    }

    const FetchResult fetched = fetch_url_checked(picture.address);
    PictureFailure failure = transfer_failure(fetched, picture.http_error_fails);
    const bool attempted = failure == PictureFailure::None;
    if (attempted && !write_file(join_text({picture.folder, picture.file_name}), fetched.body)) {
        failure = PictureFailure::NotWritten;
    }
    if (picture.listing == FileListing::AfterFetch) list_address(window, picture.address);
    if (attempted) show_count(window, picture, failure == PictureFailure::None);
    if (failure != PictureFailure::None) return {PictureOutcome::Failed, failure};
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
