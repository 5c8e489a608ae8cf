#include "window/job_options.h"

#include "window/main_window.h"

namespace qinghe {

bool JobOptions::download_main_pictures() const {
    return m_window.option_checked(OptionBox::DownloadMainPictures);
}
bool JobOptions::download_detail_pictures() const {
    return m_window.option_checked(OptionBox::DownloadDetailPictures);
}
bool JobOptions::download_other_pictures() const {
    return m_window.option_checked(OptionBox::DownloadOtherPictures);
}
bool JobOptions::smart_category_save() const {
    return m_window.option_checked(OptionBox::SmartCategorySave);
}
bool JobOptions::export_data_package() const {
    return m_window.option_checked(OptionBox::ExportDataPackage);
}
PackageKind JobOptions::package_kind() const {
    return m_window.independent_package_selected() ? PackageKind::Independent
                                                   : PackageKind::Composite;
}
bool JobOptions::remove_hyperlinks() const {
    return m_window.option_checked(OptionBox::RemoveHyperlinks);
}
bool JobOptions::show_item_title() const {
    return m_window.option_checked(OptionBox::ShowItemTitle);
}

}  // namespace qinghe
