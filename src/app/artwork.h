// The program's pictures, painted in code so that they need no image files:
// the tray and window icon and the customer-service picture.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace qinghe::app {

QPixmap paint_program_icon(int size);
QIcon program_icon();
// 320 x 233, the picture panel's size.
QPixmap paint_support_picture();

}  // namespace qinghe::app
