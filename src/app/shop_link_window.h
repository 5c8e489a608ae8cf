// The shop link window "批量获取宝贝链接": collects the item addresses of a
// Tmall, Taobao or 1688 shop and hands them to the main window.
#pragma once

#include <QDialog>

#include <functional>
#include <memory>

#include "base/text.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace qinghe {

class ShopLinkWindow : public QDialog {
    Q_OBJECT

public:
    // accept_links receives the shop link box text (GBK, one address per
    // line, each ending in "\r\n") when "确定" is pressed on a non-empty list;
    // the window then closes. The main window creates the window and runs
    // exec() on it.
    explicit ShopLinkWindow(std::function<void(const qinghe::Text& links)> accept_links,
                            QWidget* parent = nullptr);
    ~ShopLinkWindow() override;

    // The controls, for tests.
    QLineEdit* shop_address_box() const { return m_address_box; }
    QPushButton* fetch_button() const { return m_fetch_button; }
    QPushButton* clear_button() const { return m_clear_button; }
    QPushButton* accept_button() const { return m_accept_button; }
    QProgressBar* progress_bar() const { return m_progress_bar; }
    QLabel* link_count_label() const { return m_count_label; }
    QLabel* example_label() const { return m_example_label; }
    QPlainTextEdit* shop_link_box() const { return m_link_box; }

protected:
    // Closing the window in any way asks a running collector to stop.
    void done(int result) override;

private:
    struct Bridge;

    void on_fetch();
    void on_clear();
    void on_accept();

    std::function<void(const qinghe::Text&)> m_accept_links;
    QLineEdit* m_address_box = nullptr;
    QPushButton* m_fetch_button = nullptr;
    QPushButton* m_clear_button = nullptr;
    QPushButton* m_accept_button = nullptr;
    QProgressBar* m_progress_bar = nullptr;
    QLabel* m_count_label = nullptr;
    QLabel* m_example_label = nullptr;
    QPlainTextEdit* m_link_box = nullptr;
    std::shared_ptr<Bridge> m_bridge;
};

}  // namespace qinghe

// The main window may name the class with or without the namespace.
using qinghe::ShopLinkWindow;
