// The user's choices, read live from the option boxes.
#pragma once

namespace qinghe {

class MainWindow;

enum class PackageKind { Independent, Composite };

enum class OptionBox {
    DownloadMainPictures,    // "下载主图"
    DownloadDetailPictures,  // "下载细节图"
    DownloadOtherPictures,   // "下载其他图"
    SmartCategorySave,       // "智能分类保存"
    ShowItemTitle,           // "显示宝贝标题"
    ExportDataPackage,       // "导出CSV数据包"
    RemoveHyperlinks,        // "自动删除超链接"
};

// Not a stored record: each accessor reads its control at the moment of the
// call (through the window thread), so a change during a batch applies from
// the next read. Any thread may call.
class JobOptions {
public:
    explicit JobOptions(MainWindow& window) : m_window(window) {}

    bool download_main_pictures() const;
    bool download_detail_pictures() const;
    bool download_other_pictures() const;
    bool smart_category_save() const;
    bool export_data_package() const;
    PackageKind package_kind() const;
    bool remove_hyperlinks() const;
    bool show_item_title() const;

private:
    MainWindow& m_window;
};

}  // namespace qinghe
