#include "engine/package_localizer.h"

#include "base/address_resolver.h"
#include "base/encoding.h"
#include "base/files.h"
#include "base/gbk_text.h"
#include "base/prefetch.h"
#include "harvest/harvest_paths.h"
#include "harvest/picture_prefetch.h"
#include "harvest/save_picture.h"
#include "window/window_texts.h"
#include "window/worker_boundary.h"

namespace qinghe {

namespace {

// Where a picture address stands in the package text: behind marker, up to
// end; the address is start followed by the text between them.
struct PictureMarker {
    const char* marker;
    const char* end;
    const char* start;
};

// Description pictures stand in HTML attributes: src="http://...". Exports
// since about 2017 write src=""https://..."" or src=""//..."" (which takes
// https, as a page read from disk does); they are read after the classic form.
constexpr PictureMarker kDetailMarkers[] = {
    {"\"http://", "\"", "http://"},
    {"\"https://", "\"", "https://"},
    {"\"//", "\"", "//"},
};
// Main and property pictures stand in the picture column: ...|http://...;
// and in newer exports ...|https://...; or ...|//...;
constexpr PictureMarker kMainMarkers[] = {
    {"|http://", ";", "http://"},
    {"|https://", ";", "https://"},
    {"|//", ";", "//"},
};

// The package base name: every ".csv" removed in any letter case, then the
// last element of the path. A native POSIX path separates with "/".
Text package_base_name(const Text& package_path) {
    const Text stripped = replace_text(package_path, ".csv", "", false);
    const TextList by_backslash = split_text(stripped, "\\");
    const TextList by_slash = split_text(by_backslash.at(by_backslash.count()), "/");
    return by_slash.at(by_slash.count());
}

class PictureRun {
public:
    explicit PictureRun(MainWindow& window) : m_window(window) {}

    // Every picture address found after a marker, into folder.
    void save_all(const Text& package_text, const PictureMarker& marker, const Text& folder) {
        const TextList elements = split_text(package_text, marker.marker);
        std::vector<PictureSave> pictures;
        for (int n = 2; n <= elements.count(); ++n) {
            const Text piece = split_text(elements.at(n), marker.end).at(1);
            // Two markers side by side, or a marker right before its end,
            // name no picture.
            if (piece.empty()) continue;
            Text address = join_text({marker.start, piece});
            // A package has no address of its own: "//" takes https.
            if (address.rfind("//", 0) == 0) address = resolve_address("", address);
            if (address.empty()) continue;
            pictures.push_back(picture_for(address, folder));
        }
        FetchPlan coming;
        for (const PictureSave& picture : pictures) coming.add(picture);
        PrefetchScope ahead(coming.addresses());
        for (const PictureSave& picture : pictures) save_picture(m_window, picture);
    }

private:
    // A picture that did not arrive whole is not written, so the next run
    // tries it again; the list still shows that it was tried.
    PictureSave picture_for(const Text& address, const Text& folder) {
        return {.address = address,
                .file_name = picture_file_name(address),
                .folder = folder,
                .listing = FileListing::AfterFetch,
                .count = &m_new_files};
    }

    MainWindow& m_window;
    int m_new_files = 0;
};

}  // namespace

void localize_package(MainWindow& window) {
    run_worker(window, "localize_package", WorkerEpilogue::Package, [&window] {
        static const Text downloading = gbk_text("正在下载，请稍等……");
        static const Text package_folder_end = gbk_text("CSV文件淘图");
        static const Text detail_folder = gbk_text("宝贝详情");
        static const Text main_folder = gbk_text("宝贝主图及属性图");
        BatchJob& job = window.job();
        window.set_start_caption(busy_start_caption());
        window.set_status_text(status_message(job, downloading));
        window.set_progress(30);

        const Text package_path = job.current_address;
        const Text base_name = usable_name(package_base_name(package_path));
        const Text package_folder =
            join_text({batch_folder_path(window.save_folder_text(), job.batch_folder_name),
                       base_name, package_folder_end, "\\"});
        create_directory(package_folder);

        const Bytes package_bytes = read_file(package_path);
        if (package_bytes.empty()) window.current_address_failed({FailureReason::Other});
        const Text package_text = bytes_to_text(convert_encoding(package_bytes, "UCS-2", "CP936"));

        PictureRun run(window);
        for (const PictureMarker& marker : kDetailMarkers) {
            if (find_text(package_text, marker.marker) < 1) continue;
            const Text folder = join_text({package_folder, detail_folder, "\\"});
            create_directory(folder);
            run.save_all(package_text, marker, folder);
        }
        window.set_progress(60);
        for (const PictureMarker& marker : kMainMarkers) {
            if (find_text(package_text, marker.marker) < 1) continue;
            const Text folder = join_text({package_folder, main_folder, "\\"});
            create_directory(folder);
            run.save_all(package_text, marker, folder);
        }
    });
}

}  // namespace qinghe
