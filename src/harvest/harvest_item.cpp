#include "harvest/harvest_item.h"

#include <span>

#include "base/date_time.h"
#include "base/fetch_retry.h"
#include "base/files.h"
#include "base/gbk_text.h"
#include "base/page_charset.h"
#include "base/pattern.h"
#include "base/web.h"
#include "harvest/description_stage.h"
#include "harvest/export_item_package.h"
#include "harvest/harvest_paths.h"
#include "harvest/main_picture_stage.h"
#include "harvest/other_picture_stage.h"
#include "harvest/saved_item_page.h"
#include "package/blocked_page.h"
#include "package/item_facts_reader.h"
#include "package/item_page.h"
#include "window/window_texts.h"
#include "window/worker_boundary.h"

namespace qinghe {

namespace {

const Text kAnalysing = gbk_text("正在分析并下载中，请稍等……");
const Text kBlocked = gbk_text("被网站拦截，请在浏览器中打开宝贝页面并另存为网页后拖入本软件");
// "青禾淘图CSV复合数据包" and "青禾淘图CSV独立数据包".
const Text kCompositeFolder = gbk_text("青禾淘图CSV复合数据包");
const Text kIndependentFolder = gbk_text("青禾淘图CSV独立数据包");

constexpr std::string_view kTitleMarker = "<title>";
constexpr std::string_view kLinkPattern = "http(.*?)\"";

// Markers of the item in the classic page forms: the gallery and the three
// description sources.
constexpr std::string_view kClassicGalleryMarkers[] = {"id=\"J_UlThumb\"", "nav nav-tabs fd-clr"};
constexpr std::string_view kClassicDescriptionMarkers[] = {"g_config.dynamicScript(\"",
                                                           "descUrl\":\"", "data-tfs-url=\""};

void set_up(MainWindow& window, ItemHarvest& harvest) {
    window.set_start_caption(busy_start_caption());
    window.set_start_enabled(false);
    window.set_status_text(status_message(window.job(), kAnalysing));
    window.set_progress(1);
    harvest.new_download_count = 0;
    window.set_counter_text({});
}

// The item page, tried again after a transient failure unless the batch is
// being stopped.
FetchResult fetch_page(MainWindow& window, std::string_view address) {
    const SleepFunction sleep = [&window](std::chrono::milliseconds wait) {
        return window.wait_unless_stopped(wait);
    };
    return fetch_with_retries(address, {}, sleep).result;
}

// The item page as GBK text, fetched or (a page saved from the browser) read
// from disk, with the item's web address and the facts of newer forms.
void read_item_page(MainWindow& window, const Text& line, ItemHarvest& harvest) {
    Text saved_path = saved_page_path(line);
    if (saved_path.empty()) {
        const FetchResult page = fetch_page(window, line);
        if (const Failure failure = fetch_failure(page); failure.failed()) {
            window.current_address_failed(failure);
        }
        harvest.page_source = bytes_to_text(page_to_gbk(page.body, page.content_type));
        harvest.item_address = line;
    } else {
        // Read from disk, the page's scheme-relative links take https; the
        // page names its own item address.
        harvest.page_source = bytes_to_text(page_to_gbk(read_file(saved_path)));
        harvest.item_address =
            saved_page_item_address(harvest.page_source, read_item_facts(harvest.page_source, {}));
    }
    harvest.facts = read_item_facts(harvest.page_source, harvest.item_address);
}

bool holds_any(std::string_view text, std::span<const std::string_view> markers) {
    for (std::string_view marker : markers) {
        if (contains_text(text, marker)) return true;
    }
    return false;
}

// A page in place of the item: an interstitial, a captcha, a login redirect.
bool is_blocked(const ItemHarvest& harvest) {
    const ItemPageFacts item{
        // A block page has a <title> of its own ("验证", "security-X5"): only
        // a title read along with other facts of the item counts.
        .has_title = harvest.facts.found && !harvest.facts.title.empty(),
        .has_gallery =
            !harvest.facts.gallery.empty() || holds_any(harvest.page_text, kClassicGalleryMarkers),
        .has_description_address = !harvest.facts.description_address.empty() ||
                                   holds_any(harvest.page_text, kClassicDescriptionMarkers),
    };
    return is_blocked_item_page(harvest.page_source, item);
}

// The one place where a blocked item is reported; the batch goes on.
void report_blocked_item(MainWindow& window) {
    window.set_status_text(status_message(window.job(), kBlocked));
    window.current_address_failed({FailureReason::Blocked});
}

void identify(MainWindow& window, ItemHarvest& harvest) {
    const Text& address = harvest.item_address;
    if (window.options().smart_category_save()) {
        if (find_text(address, "id=") < 1) {
            harvest.item_folder_name = join_text({date_time_stem(now()), kItemFolderTail});
        } else {
            harvest.item_id = item_id_from_address(address);
            harvest.item_folder_name = join_text({harvest.item_id, kItemFolderTail});
        }
    }

    if (find_text(harvest.page_text, kTitleMarker) > 0 && !harvest.item_folder_name.empty()) {
        harvest.title = extract_title(harvest.page_text);
        if (window.options().show_item_title()) {
            harvest.item_folder_name = join_text({harvest.item_folder_name, "_", harvest.title});
        }
    }
    // The id and the title come from the web: the folder name must stay one
    // path element the file system accepts, whatever they hold.
    if (!harvest.item_folder_name.empty())
        harvest.item_folder_name = usable_name(harvest.item_folder_name);

    PatternObject pattern;
    if (compile_pattern(pattern, kLinkPattern)) {
        for (const MatchResult& result : search_all(pattern, harvest.page_text)) {
            harvest.page_links.push_back(match_text(result, harvest.page_text));
        }
    }
}

void make_folder_paths(MainWindow& window, ItemHarvest& harvest) {
    Text batch_path = batch_folder_path(window.save_folder_text(), window.job().batch_folder_name);
    harvest.item_folder_path = child_folder_path(batch_path, harvest.item_folder_name);
    harvest.package_folder_path = batch_path;

    JobOptions options = window.options();
    if (options.package_kind() == PackageKind::Composite && options.export_data_package()) {
        harvest.package_folder_path = child_folder_path(batch_path, kCompositeFolder);
        create_directory(without_separator(harvest.package_folder_path));
    } else if (options.package_kind() == PackageKind::Independent &&
               options.export_data_package()) {
        harvest.package_folder_path =
            child_folder_path(harvest.item_folder_path, kIndependentFolder);
        if (!harvest.item_folder_name.empty())
            create_directory(without_separator(harvest.item_folder_path));
        create_directory(without_separator(harvest.package_folder_path));
    }
}

void run_stages(MainWindow& window, ItemHarvest& harvest) {
    set_up(window, harvest);
    read_item_page(window, window.job().current_address, harvest);
    // Every ")" becomes a double quote, so an address closed by ")" (as in
    // url(…)) ends like a quoted one.
    harvest.page_text = replace_text(harvest.page_source, ")", "\"");
    if (is_blocked(harvest)) {
        report_blocked_item(window);
        return;
    }
    identify(window, harvest);
    make_folder_paths(window, harvest);

    if (window.options().download_main_pictures()) main_picture_stage(window, harvest);
    if (window.options().download_detail_pictures()) {
        description_stage(window, harvest);
        window.set_progress(70);
        // The export decides for itself whether it runs (its option box and
        // the page's ladder-price marker).
        export_item_package(window, harvest);
    }
    if (window.options().download_other_pictures()) other_picture_stage(window, harvest);
}

}  // namespace

void harvest_item(MainWindow& window) {
    run_worker(window, "harvest_item", WorkerEpilogue::Item, [&window] {
        ItemHarvest harvest;
        run_stages(window, harvest);
    });
}

}  // namespace qinghe
