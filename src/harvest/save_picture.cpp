#include "harvest/save_picture.h"

#include "base/files.h"
#include "base/text_number.h"
#include "base/web.h"

namespace qinghe {

namespace {

constexpr std::string_view kCounterHead = "\xD0\xC2\xCF\xC2\xD4\xD8\xA3\xBA";  // "新下载："
constexpr std::string_view kCounterTail = "\xB8\xF6\xCE\xC4\xBC\xFE";          // "个文件"

}  // namespace

Text download_counter_text(int count) {
    return join_text({kCounterHead, number_to_text(count), kCounterTail});
}

bool save_picture(MainWindow& window, ItemHarvest& harvest, std::string_view address,
                  std::string_view file_name, std::string_view test_folder,
                  std::string_view write_folder) {
    window.append_file_list(join_text({address, "\r\n"}));
    if (file_exists(join_text({test_folder, file_name}))) return false;

    FetchResult fetched = fetch_url_checked(address);
    if (!fetched.complete || fetched.body.empty()) return false;
    if (!write_file(join_text({write_folder, file_name}), fetched.body)) return false;

    harvest.new_download_count += 1;
    window.set_counter_text(download_counter_text(harvest.new_download_count));
    return true;
}

}  // namespace qinghe
