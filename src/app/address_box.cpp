#include "app/address_box.h"

#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QMenu>
#include <QScrollBar>

#include "app/app_texts.h"
#include "app/qt_text.h"

namespace qinghe::app {

namespace {
constexpr int kMaxCompactionPasses = 99;
constexpr std::string_view kBlankLine = "\r\n\r\n";
constexpr std::string_view kLineBreak = "\r\n";
}  // namespace

Text compact_blank_lines(const Text& text) {
    Text t = text;
    for (int pass = 0; pass < kMaxCompactionPasses && find_text(t, kBlankLine) > 0; ++pass)
        t = replace_text(t, kBlankLine, kLineBreak);
    return t;
}

AddressBox::AddressBox(QWidget* parent) : QPlainTextEdit(parent) {
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Drops are taken by the window so that they work while the box is
    // disabled during a batch.
    setAcceptDrops(false);
    viewport()->setAcceptDrops(false);
    setPlainText(kAddressPlaceholder);
}

Text AddressBox::text() const { return to_text(toPlainText()); }

void AddressBox::set_text(const Text& text) { setPlainText(to_qstring(text)); }

void AddressBox::append_text(const Text& text) {
    moveCursor(QTextCursor::End);
    insertPlainText(to_qstring(text));
    ensureCursorVisible();
}

void AddressBox::focusInEvent(QFocusEvent* event) {
    if (toPlainText() == kAddressPlaceholder) clear();
    QPlainTextEdit::focusInEvent(event);
}

void AddressBox::focusOutEvent(QFocusEvent* event) {
    if (toPlainText().isEmpty()) {
        setPlainText(kAddressPlaceholder);
    } else {
        Text current = text();
        Text compacted = compact_blank_lines(current);
        if (compacted != current) set_text(compacted);
    }
    QPlainTextEdit::focusOutEvent(event);
}

QMenu* AddressBox::build_context_menu() {
    QMenu* menu = createStandardContextMenu();
    if (m_extend_menu) {
        menu->addSeparator();
        m_extend_menu(menu);
    }
    return menu;
}

void AddressBox::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = build_context_menu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
    event->accept();
}

void AddressBox::mouseDoubleClickEvent(QMouseEvent* event) {
    clear();
    event->accept();
}

}  // namespace qinghe::app
