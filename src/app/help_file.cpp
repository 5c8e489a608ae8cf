#include "app/help_file.h"

#include <QDir>

#include "app/app_texts.h"
#include "app/qt_text.h"
#include "app/shell.h"
#include "base/files.h"

// Generated at build time from the compiled help file.
extern const unsigned char qinghe_help_chm_data[];
extern const unsigned long qinghe_help_chm_size;

namespace qinghe::app {

std::string_view embedded_help_file() {
    return {reinterpret_cast<const char*>(qinghe_help_chm_data), qinghe_help_chm_size};
}

QString write_and_open_help(const QString& work_folder) {
    const QString native = QDir(work_folder).filePath(kHelpFileName);
    Text path;
    if (path_to_text(QDir::toNativeSeparators(native), path) && !file_exists(path))
        write_file(path, embedded_help_file());
    open_local_path(native);
    return native;
}

}  // namespace qinghe::app
