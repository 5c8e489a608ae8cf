// The help file the program carries inside itself.
#pragma once

#include <string_view>

#include <QString>

namespace qinghe::app {

// The compiled help file (an ITSF container), built from resources/help.
std::string_view embedded_help_file();

// Writes "pvtk7_help.chm" into the folder unless a file of that name is
// already there (it is never replaced or compared), then opens it with the
// desktop's viewer. Failures are not reported. Returns the file's native path.
QString write_and_open_help(const QString& work_folder);

}  // namespace qinghe::app
