#include "app/shop_link_window.h"

#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>

#include "app/message_boxes.h"
#include "app/qt_text.h"
#include "base/message.h"
#include "shop/shop_link_session.h"
#include "shop/shop_texts.h"

namespace qinghe {
namespace {

template <typename W>
W* place(W* widget, int left, int top, int width, int height) {
    widget->setGeometry(left, top, width, height);
    return widget;
}

// The window's widgets as the collectors see them; runs on the window thread.
class WidgetShopControls : public ShopControls {
public:
    explicit WidgetShopControls(ShopLinkWindow& window) : m_window(window) {}

    Text shop_address_text() override { return app::to_text(m_window.shop_address_box()->text()); }
    void set_shop_address_text(const Text& text) override {
        m_window.shop_address_box()->setText(app::to_qstring(text));
    }
    void set_fetch_enabled(bool enabled) override { m_window.fetch_button()->setEnabled(enabled); }
    void set_progress_visible(bool visible) override {
        m_window.progress_bar()->setVisible(visible);
    }
    void set_progress(int position) override { m_window.progress_bar()->setValue(position); }
    void set_link_count_text(const Text& text) override {
        m_window.link_count_label()->setText(app::to_qstring(text));
    }
    void append_shop_links(const Text& lines) override {
        // Caret to the end, insert, and keep the end in view.
        QPlainTextEdit* box = m_window.shop_link_box();
        QTextCursor cursor(box->document());
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(app::to_qstring(lines));
        box->verticalScrollBar()->setValue(box->verticalScrollBar()->maximum());
    }
    void clear_shop_link_box() override { m_window.shop_link_box()->clear(); }
    void show_message(const Text& text) override {
        app::show_message_box(app::to_qstring(text), app::to_qstring(default_message_caption()));
    }

private:
    ShopLinkWindow& m_window;
};

}  // namespace

struct ShopLinkWindow::Bridge {
    Bridge(ShopLinkWindow& window, std::function<void()> wake)
        : controls(window), session(controls, std::move(wake)) {}

    WidgetShopControls controls;
    ShopLinkSession session;
};

ShopLinkWindow::ShopLinkWindow(std::function<void(const Text& links)> accept_links, QWidget* parent)
    : QDialog(parent), m_accept_links(std::move(accept_links)) {
    using app::to_qstring;
    setWindowTitle(to_qstring(shop_texts::kWindowTitle));
    setFixedSize(591, 475);

    place(new QLabel(to_qstring(shop_texts::kAddressLabel), this), 8, 16, 176, 24);
    m_address_box = place(new QLineEdit(this), 168, 16, 360, 24);
    m_fetch_button =
        place(new QPushButton(to_qstring(shop_texts::kFetchCaption), this), 536, 16, 40, 24);
    m_example_label =
        place(new QLabel(to_qstring(shop_texts::kInputExample), this), 8, 48, 424, 56);
    m_progress_bar = place(new QProgressBar(this), 440, 64, 136, 24);
    m_progress_bar->setRange(0, 100);
    m_progress_bar->setValue(0);
    m_progress_bar->hide();
    place(new QLabel(to_qstring(shop_texts::kLinksLabel), this), 8, 112, 112, 24);
    m_count_label = place(new QLabel(this), 136, 112, 256, 24);
    m_clear_button =
        place(new QPushButton(to_qstring(shop_texts::kClearCaption), this), 400, 104, 48, 32);
    m_accept_button =
        place(new QPushButton(to_qstring(shop_texts::kAcceptCaption), this), 480, 104, 88, 32);
    m_link_box = place(new QPlainTextEdit(this), 8, 140, 568, 300);
    m_link_box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_link_box->setLineWrapMode(QPlainTextEdit::NoWrap);
    QPalette palette = m_link_box->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, Qt::white);
    }
    m_link_box->setPalette(palette);
    m_link_box->setEnabled(false);  // the user cannot type into the list
    // The buttons must not act as default buttons: Enter in the address box
    // would otherwise press "确定".
    for (QPushButton* button : {m_fetch_button, m_clear_button, m_accept_button}) {
        button->setAutoDefault(false);
    }

    // The wake comes from the collector thread under the session's lock and
    // never after close(), which the destructor calls first; so `this` is
    // alive whenever the queued drain is posted.
    m_bridge = std::make_shared<Bridge>(*this, [this] {
        QMetaObject::invokeMethod(
            this, [this] { m_bridge->session.drain(); }, Qt::QueuedConnection);
    });

    connect(m_fetch_button, &QPushButton::clicked, this, &ShopLinkWindow::on_fetch);
    connect(m_clear_button, &QPushButton::clicked, this, &ShopLinkWindow::on_clear);
    connect(m_accept_button, &QPushButton::clicked, this, &ShopLinkWindow::on_accept);
}

ShopLinkWindow::~ShopLinkWindow() { m_bridge->session.close(); }

void ShopLinkWindow::done(int result) {
    m_bridge->session.stop_collector();
    QDialog::done(result);
}

void ShopLinkWindow::on_fetch() { m_bridge->session.collect_shop_links(); }

void ShopLinkWindow::on_clear() { m_bridge->session.clear_shop_links(); }

void ShopLinkWindow::on_accept() {
    Text links;
    if (!m_bridge->session.accept_shop_links(links)) return;
    if (m_accept_links) m_accept_links(links);
    accept();
}

}  // namespace qinghe
