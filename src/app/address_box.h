// The address box: a multi-line edit box with a placeholder text that is
// real text (it counts as no input because it holds no ASCII full stop), the
// focus rules and the blank-line compaction.
#pragma once

#include <QPlainTextEdit>

#include <functional>

#include "base/text.h"

namespace qinghe::app {

// Replaces "\r\n\r\n" by "\r\n" in passes (at most 99) until none is left;
// each pass roughly halves a run of line breaks. A single leading and a
// single trailing CR LF stay.
Text compact_blank_lines(const Text& text);

class AddressBox : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit AddressBox(QWidget* parent = nullptr);

    // The text as the core sees it (GBK, CR LF line ends), and back.
    Text text() const;
    void set_text(const Text& text);
    // Caret to the end, then insert, as append_to_edit_box does.
    void append_text(const Text& text);

    // The context menu: the box's own editing entries, then what the hook
    // adds. The caller owns the menu.
    QMenu* build_context_menu();
    void set_menu_extension(std::function<void(QMenu*)> extend) {
        m_extend_menu = std::move(extend);
    }

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    std::function<void(QMenu*)> m_extend_menu;
};

}  // namespace qinghe::app
