// A transparent label that reports mouse clicks, for the tips panel, the
// picture panel, the contact label, the group label and the hyperlinks.
#pragma once

#include <QLabel>

namespace qinghe::app {

class ClickableLabel : public QLabel {
    Q_OBJECT

public:
    explicit ClickableLabel(QWidget* parent = nullptr);
    // Blue, underlined, pointing-hand cursor.
    void make_hyperlink();

signals:
    void clicked(Qt::MouseButton button, QPoint global_position);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace qinghe::app
