// The desktop's handlers: the browser, the file manager, the messenger, the
// help viewer and the folder picker. Tests replace them.
#pragma once

#include <functional>

#include <QString>

class QWidget;

namespace qinghe::app {

// Hands an address (web page, "tencent://" chat, file:// path) to the
// desktop's default handler. Failures are not reported. Window thread.
void open_address(const QString& address);
void open_local_path(const QString& native_path);
// Replaces the handler; an empty function restores the desktop's.
void set_address_opener(std::function<void(const QString& address)> opener);

// The folder picker with its title; returns the chosen native folder or the
// empty string when cancelled. Window thread.
QString pick_folder(QWidget* parent, const QString& title, const QString& start_folder);
void set_folder_picker(std::function<QString(QWidget* parent, const QString& title)> picker);

}  // namespace qinghe::app
