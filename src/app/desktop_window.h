// The main window of the desktop program: every control at its place, the
// handlers of the user's clicks, drops and menus, and the widgets behind the
// engine's window interface.
#pragma once

#include <memory>

#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

#include "window/main_window.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace qinghe::app {

class AddressBox;
class ClickableLabel;

class DesktopWindow : public QWidget, public WindowControls {
    Q_OBJECT

public:
    explicit DesktopWindow(QWidget* parent = nullptr);
    ~DesktopWindow() override;

    // The engine's view of this window; workers keep it alive.
    MainWindow& main_window() { return *m_main_window; }
    std::shared_ptr<MainWindow> shared_main_window() { return m_main_window; }

    // The folder that holds the help file (native path).
    void set_work_folder(const QString& folder) { m_work_folder = folder; }
    QString work_folder() const { return m_work_folder; }
    void set_save_folder(const QString& native_folder);
    void open_help();

    // Tray icon, when the desktop has a tray; false otherwise.
    bool show_tray_icon();
    QSystemTrayIcon* tray_icon() const { return m_tray; }
    // What the tray icon's activation does; public so that tests can drive
    // it where the platform has no tray.
    void tray_activated(QSystemTrayIcon::ActivationReason reason, QPoint global_position);

    // Brings the window forward: shown, restored when minimized, raised.
    void bring_forward();
    // Shows the popup menu with its top-left corner at the point.
    void show_popup_menu_at(QPoint top_left);
    // "停止下载" and "重试失败的地址", added to the address box's menu.
    void add_batch_menu_entries(QMenu* menu);
    // Puts the failed list of the last batch into the address box.
    void load_failed_addresses();

    // The controls, for tests and screenshots.
    AddressBox* address_box() const { return m_address_box; }
    QCheckBox* option_box(OptionBox box) const;
    QRadioButton* independent_radio() const { return m_independent_radio; }
    QRadioButton* composite_radio() const { return m_composite_radio; }
    QLineEdit* save_folder_box() const { return m_save_folder_box; }
    QPushButton* browse_button() const { return m_browse_button; }
    QPushButton* open_folder_button() const { return m_open_folder_button; }
    QPushButton* shop_link_button() const { return m_shop_link_button; }
    QPushButton* start_button() const { return m_start_button; }
    QPlainTextEdit* style_sheet_box() const { return m_style_sheet_box; }
    QPlainTextEdit* file_list_box() const { return m_file_list_box; }
    QProgressBar* progress_bar() const { return m_progress_bar; }
    QLabel* status_line() const { return m_status_line; }
    ClickableLabel* tips_panel() const { return m_tips_panel; }
    ClickableLabel* picture_panel() const { return m_picture_panel; }
    ClickableLabel* counter_label() const { return m_counter_label; }
    ClickableLabel* group_label() const { return m_group_label; }
    ClickableLabel* support_link(int n) const { return n == 1 ? m_support_link1 : m_support_link2; }
    ClickableLabel* favourites_link() const { return m_favourites_link; }
    QMenu* popup_menu() const { return m_popup_menu; }
    QTimer& dispatch_timer() { return m_dispatch_timer; }

    // WindowControls: window thread only.
    Text address_text() override;
    void set_address_text(const Text& text) override;
    void set_address_enabled(bool enabled) override;
    bool option_checked(OptionBox box) override;
    bool independent_package_selected() override;
    Text save_folder_text() override;
    void set_start_caption(const Text& caption) override;
    void set_start_enabled(bool enabled) override;
    void set_status_text(const Text& text) override;
    void set_progress(int position) override;
    void set_counter_text(const Text& text) override;
    void append_file_list(const Text& text) override;
    void append_style_sheet_box(const Text& text) override;
    void set_dispatch_timer(int period_ms) override;
    int show_message(const Text& text, int style, const Text& caption) override;
    void log_error(const Text& text) override;  // a warning on Qt's message log

signals:
    // finish_batch ran (tests and the screenshot tool wait for it).
    void batch_finished_signal();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void batch_finished() override;

    void build_controls();
    void build_popup_menu();
    void connect_handlers();
    void drain_window_thread();

    void on_option_clicked(OptionBox box);
    void on_browse();
    void on_open_folder();
    void on_shop_links();
    void on_picture_panel(Qt::MouseButton button);
    void on_popup_label(Qt::MouseButton button, QPoint global_position);
    bool drop_lands_on_address_box(QPoint position) const;
    void drop_text(const QString& dropped);

    std::shared_ptr<MainWindow> m_main_window;
    bool m_draining = false;
    bool m_drain_again = false;
    QString m_work_folder;

    AddressBox* m_address_box = nullptr;
    ClickableLabel* m_tips_panel = nullptr;
    QPushButton* m_shop_link_button = nullptr;
    QCheckBox* m_main_pictures_box = nullptr;
    QCheckBox* m_detail_pictures_box = nullptr;
    QCheckBox* m_other_pictures_box = nullptr;
    QCheckBox* m_smart_save_box = nullptr;
    QCheckBox* m_show_title_box = nullptr;
    QCheckBox* m_export_package_box = nullptr;
    QRadioButton* m_independent_radio = nullptr;
    QRadioButton* m_composite_radio = nullptr;
    QCheckBox* m_remove_links_box = nullptr;
    QLineEdit* m_save_folder_box = nullptr;
    QPushButton* m_browse_button = nullptr;
    QPushButton* m_open_folder_button = nullptr;
    ClickableLabel* m_picture_panel = nullptr;
    QPlainTextEdit* m_style_sheet_box = nullptr;
    QPlainTextEdit* m_file_list_box = nullptr;
    QPushButton* m_start_button = nullptr;
    ClickableLabel* m_counter_label = nullptr;
    QProgressBar* m_progress_bar = nullptr;
    QLabel* m_status_line = nullptr;
    ClickableLabel* m_group_label = nullptr;
    ClickableLabel* m_support_link1 = nullptr;
    ClickableLabel* m_support_link2 = nullptr;
    ClickableLabel* m_favourites_link = nullptr;
    QMenu* m_popup_menu = nullptr;
    QSystemTrayIcon* m_tray = nullptr;
    QTimer m_dispatch_timer;
};

}  // namespace qinghe::app
