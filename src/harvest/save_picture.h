// The one step that saves a picture, for every place that saves one: list
// the address in the file list box, pass over a picture saved already,
// fetch (a transient failure is tried again), check that the body is a
// picture, write, count on the download counter label, and record the
// result in the batch's outcome under the current address.
#pragma once

#include "base/text.h"
#include "window/main_window.h"

namespace qinghe {

// When the address goes into the file list box.
enum class FileListing {
    BeforeCheck,  // first, whatever follows (harvest stages, single pictures)
    AfterFetch,   // after a fetch, whether or not it was written (package localizer)
    Never,        // package pictures
};

// How a picture shows on the download counter label.
enum class Counting {
    Raise,     // after a write: the count + 1, and the label shows it
    ShowOnly,  // after every write attempt: the label shows the count as it is
};

// One picture to save. The file is folder + file_name; a file of that name
// in checked_folder (empty: folder) means the picture is there already.
struct PictureSave {
    Text address{};    // fetched as it is
    Text file_name{};  // empty: the address names no file, nothing happens after the listing
    Text folder{};
    Text checked_folder{};
    FileListing listing = FileListing::BeforeCheck;
    bool http_error_fails = false;  // a status >= 400 fails the transfer too
    int* count = nullptr;           // the counter; none: the label is left alone
    Counting counting = Counting::Raise;
};

enum class PictureOutcome { Saved, Skipped, Failed };

enum class PictureFailure {
    None,
    NoFileName,   // Skipped: the address names no file
    Exists,       // Skipped: the file is there already
    Incomplete,   // the transfer broke off
    Empty,        // the server sent nothing
    HttpError,    // status >= 400, where that fails
    NotWritten,   // the file could not be written
    NotAPicture,  // the body is a page, a text or anything else but a picture
    Stopped,      // Skipped: the batch is being stopped; nothing was fetched
};

struct PictureResult {
    PictureOutcome outcome = PictureOutcome::Failed;
    PictureFailure reason = PictureFailure::None;

    bool saved() const { return outcome == PictureOutcome::Saved; }
};

// Saves one picture. A transfer that broke off, gave nothing or gave no
// picture is not written, so no empty, truncated or bogus file blocks a
// later attempt. Worker thread; window writes take effect in the order made
// here. Once a stop was requested, nothing more is listed or fetched.
PictureResult save_picture(MainWindow& window, const PictureSave& picture);

// The last non-empty "/"-element of address as a file name the file system
// accepts; empty when the address has none.
Text picture_file_name(std::string_view address);

// "新下载：" + count + "个文件", the download counter label's text.
Text download_counter_text(int count);

}  // namespace qinghe
