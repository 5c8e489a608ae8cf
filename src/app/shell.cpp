#include "app/shell.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QUrl>

namespace qinghe::app {

namespace {
std::function<void(const QString&)>& opener() {
    static std::function<void(const QString&)> f;
    return f;
}
std::function<QString(QWidget*, const QString&)>& picker() {
    static std::function<QString(QWidget*, const QString&)> f;
    return f;
}
}  // namespace

void open_address(const QString& address) {
    if (opener()) {
        opener()(address);
        return;
    }
    QDesktopServices::openUrl(QUrl(address));
}

void open_local_path(const QString& native_path) {
    open_address(QUrl::fromLocalFile(native_path).toString());
}

void set_address_opener(std::function<void(const QString&)> f) { opener() = std::move(f); }

QString pick_folder(QWidget* parent, const QString& title, const QString& start_folder) {
    if (picker()) return picker()(parent, title);
    // The Qt dialog has a path edit field, as the picker needs.
    return QFileDialog::getExistingDirectory(parent, title, start_folder,
                                             QFileDialog::ShowDirsOnly);
}

void set_folder_picker(std::function<QString(QWidget*, const QString&)> f) {
    picker() = std::move(f);
}

}  // namespace qinghe::app
