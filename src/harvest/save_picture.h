// The one step every picture stage uses to list, check, fetch and write a picture.
#pragma once

#include "window/main_window.h"
#include "harvest/item_harvest.h"

namespace qinghe {

// Lists the address in the file list box, passes over a name that already
// exists in test_folder, fetches the address and writes it to
// write_folder + file_name. Returns whether a file was written; only then
// is it counted on the download counter label. A fetch that gave nothing
// or broke off is not written, so no empty or truncated file blocks a
// later attempt. Runs on the harvest's worker thread.
bool save_picture(MainWindow& window, ItemHarvest& harvest, std::string_view address,
                  std::string_view file_name, std::string_view test_folder,
                  std::string_view write_folder);

// "新下载：" + count + "个文件".
Text download_counter_text(int count);

}  // namespace qinghe
