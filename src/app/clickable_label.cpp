#include "app/clickable_label.h"

#include <QMouseEvent>

namespace qinghe::app {

ClickableLabel::ClickableLabel(QWidget* parent) : QLabel(parent) {}

void ClickableLabel::make_hyperlink() {
    setCursor(Qt::PointingHandCursor);
    setStyleSheet(QStringLiteral("color: #0000ee; text-decoration: underline;"));
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event) {
    // A release inside the label counts as a click, as for a push button.
    if (rect().contains(event->position().toPoint()))
        emit clicked(event->button(), event->globalPosition().toPoint());
    QLabel::mouseReleaseEvent(event);
}

}  // namespace qinghe::app
