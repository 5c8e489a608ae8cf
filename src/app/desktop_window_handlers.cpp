// The handlers of the main window: option interlocks, drops, buttons,
// links, popup menu and tray icon.
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QUrl>

#include "app/address_box.h"
#include "app/app_texts.h"
#include "app/artwork.h"
#include "app/clickable_label.h"
#include "app/desktop_window.h"
#include "app/help_file.h"
#include "app/qt_text.h"
#include "app/shell.h"
#include "base/date_time.h"
#include "base/files.h"
#include "base/message.h"
#include "engine/dispatcher.h"
#include "window/batch_report.h"

#if QINGHE_HAVE_SHOP_LINK_WINDOW
#include "app/shop_link_window.h"
#endif

namespace qinghe::app {

namespace {
// The popup menu opens this far right of and below the mouse.
constexpr int kPopupOffset = 3;
// From the tray it opens with its top-right corner this far left of and
// above the mouse.
constexpr int kTrayPopupOffset = 5;
}  // namespace

void DesktopWindow::connect_handlers() {
    for (auto box : {OptionBox::DownloadDetailPictures, OptionBox::SmartCategorySave,
                     OptionBox::ShowItemTitle, OptionBox::ExportDataPackage}) {
        // clicked() fires for the user's clicks only, so a box changed by
        // one of these handlers does not run another handler.
        connect(option_box(box), &QCheckBox::clicked, this,
                [this, box] { on_option_clicked(box); });
    }
    connect(m_style_sheet_box, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_style_sheet_box->document()->isEmpty()) m_style_sheet_box->clear();
    });
    m_file_list_box->viewport()->installEventFilter(this);

    connect(m_start_button, &QPushButton::clicked, this, [this] { start_batch(*m_main_window); });
    m_address_box->set_menu_extension([this](QMenu* menu) { add_batch_menu_entries(menu); });
    // Esc stops a running batch while the window has the focus.
    auto* stop_key = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(stop_key, &QShortcut::activated, this, [this] { request_stop(*m_main_window); });
    connect(&m_dispatch_timer, &QTimer::timeout, this, [this] { dispatch_next(*m_main_window); });
    connect(m_browse_button, &QPushButton::clicked, this, &DesktopWindow::on_browse);
    connect(m_open_folder_button, &QPushButton::clicked, this, &DesktopWindow::on_open_folder);
    connect(m_shop_link_button, &QPushButton::clicked, this, &DesktopWindow::on_shop_links);

    connect(m_tips_panel, &ClickableLabel::clicked, this, [this](Qt::MouseButton button) {
        if (button == Qt::LeftButton) open_help();
    });
    connect(m_picture_panel, &ClickableLabel::clicked, this,
            [this](Qt::MouseButton button) { on_picture_panel(button); });
    connect(m_counter_label, &ClickableLabel::clicked, this, [](Qt::MouseButton button) {
        if (button == Qt::LeftButton) open_address(kMakerFavouritesPage);
    });
    connect(m_group_label, &ClickableLabel::clicked, this, &DesktopWindow::on_popup_label);
    connect(m_support_link1, &ClickableLabel::clicked, this, [](Qt::MouseButton button) {
        if (button == Qt::LeftButton) open_address(messenger_address(kDayContact));
    });
    connect(m_support_link2, &ClickableLabel::clicked, this, [](Qt::MouseButton button) {
        if (button == Qt::LeftButton) open_address(messenger_address(kNightContact));
    });
    connect(m_favourites_link, &ClickableLabel::clicked, this, [](Qt::MouseButton button) {
        if (button == Qt::LeftButton) open_address(kShopFavouritesLink);
    });
}

void DesktopWindow::on_option_clicked(OptionBox box) {
    const bool checked = option_box(box)->isChecked();
    auto set_radios_enabled = [this](bool enabled) {
        m_independent_radio->setEnabled(enabled);
        m_composite_radio->setEnabled(enabled);
    };
    switch (box) {
        case OptionBox::ExportDataPackage:
            if (checked) m_detail_pictures_box->setChecked(true);
            set_radios_enabled(checked);
            break;
        case OptionBox::DownloadDetailPictures:
            if (!checked) {
                m_export_package_box->setChecked(false);
                set_radios_enabled(false);
                m_remove_links_box->setChecked(false);
            }
            break;
        case OptionBox::SmartCategorySave:
            if (!checked) {
                m_export_package_box->setChecked(false);
                set_radios_enabled(false);
                m_show_title_box->setChecked(false);
            }
            break;
        case OptionBox::ShowItemTitle:
            if (checked) m_smart_save_box->setChecked(true);
            break;
        default: break;
    }
}

bool DesktopWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_file_list_box->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        m_file_list_box->clear();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void DesktopWindow::set_save_folder(const QString& native_folder) {
    m_save_folder_box->setText(QDir::toNativeSeparators(native_folder));
}

void DesktopWindow::on_browse() {
    const QString folder = pick_folder(this, kFolderPickerTitle, m_save_folder_box->text());
    if (folder.isEmpty()) return;
    Text gbk;
    if (!path_to_text(folder, gbk)) {
        // The core keeps paths as GBK text; a name it cannot hold is refused
        // rather than mangled.
        Text message = to_text(kUnusableFolderMessage);
        qinghe::show_message(message);
        return;
    }
    set_save_folder(folder);
}

void DesktopWindow::on_open_folder() { open_local_path(m_save_folder_box->text()); }

void DesktopWindow::on_shop_links() {
#if QINGHE_HAVE_SHOP_LINK_WINDOW
    ShopLinkWindow dialog([this](const Text& links) { m_address_box->set_text(links); }, this);
    dialog.exec();
#endif
}

void DesktopWindow::open_help() {
    if (!m_work_folder.isEmpty()) write_and_open_help(m_work_folder);
}

void DesktopWindow::on_picture_panel(Qt::MouseButton button) {
    // The right button reaches the window as a context menu event.
    if (button == Qt::LeftButton)
        open_address(messenger_address(support_contact_at_hour(hour_of(now()))));
}

void DesktopWindow::on_popup_label(Qt::MouseButton button, QPoint global_position) {
    if (button == Qt::LeftButton)
        show_popup_menu_at(global_position + QPoint(kPopupOffset, kPopupOffset));
}

void DesktopWindow::contextMenuEvent(QContextMenuEvent* event) {
    // A disabled address box (a batch runs) hands its right-clicks up to the
    // window; its own menu still opens there, so that the batch can be stopped.
    if (!m_address_box->isEnabled() && m_address_box->geometry().contains(event->pos())) {
        QMenu* menu = m_address_box->build_context_menu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(event->globalPos());
        event->accept();
        return;
    }
    show_popup_menu_at(event->globalPos() + QPoint(kPopupOffset, kPopupOffset));
    event->accept();
}

void DesktopWindow::add_batch_menu_entries(QMenu* menu) {
    const bool running = batch_running(*m_main_window);
    QAction* stop =
        menu->addAction(kMenuStopDownload, this, [this] { request_stop(*m_main_window); });
    stop->setEnabled(running);
    const Text failed_list =
        join_text({m_main_window->last_batch_folder(), failed_list_file_name()});
    QAction* retry = menu->addAction(kMenuRetryFailed, this, [this] { load_failed_addresses(); });
    retry->setEnabled(!running && file_exists(failed_list));
}

void DesktopWindow::load_failed_addresses() {
    if (batch_running(*m_main_window)) return;
    const Text folder = m_main_window->last_batch_folder();
    if (folder.empty()) return;
    const Bytes list = read_file(join_text({folder, failed_list_file_name()}));
    if (!list.empty()) m_address_box->set_text(bytes_to_text(list));
}

void DesktopWindow::show_popup_menu_at(QPoint top_left) { m_popup_menu->popup(top_left); }

// Drops are taken by the window, not by the address box, so that they still
// arrive while a batch has disabled the box.
bool DesktopWindow::drop_lands_on_address_box(QPoint position) const {
    return m_address_box->geometry().contains(position);
}

void DesktopWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls() && drop_lands_on_address_box(event->position().toPoint()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void DesktopWindow::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasUrls() && drop_lands_on_address_box(event->position().toPoint()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void DesktopWindow::dropEvent(QDropEvent* event) {
    if (!event->mimeData()->hasUrls() || !drop_lands_on_address_box(event->position().toPoint())) {
        event->ignore();
        return;
    }
    const QList<QUrl> urls = event->mimeData()->urls();
    QString dropped;
    if (urls.size() == 1) {
        dropped = urls.front().toLocalFile();
    } else {
        for (const QUrl& url : urls) dropped += url.toLocalFile() + QStringLiteral("\r\n");
    }
    event->acceptProposedAction();
    drop_text(dropped);
}

void DesktopWindow::drop_text(const QString& dropped) {
    const QString ending = dropped.right(4);  // case-sensitive on purpose
    if (ending == QStringLiteral(".txt")) {
        QFile file(dropped);
        Bytes content;
        if (file.open(QIODevice::ReadOnly)) content = file.readAll().toStdString();
        // An unreadable file gives the empty text, which empties the box.
        m_address_box->set_text(bytes_to_text(content));
        m_address_box->setFocus(Qt::OtherFocusReason);
    } else if (ending == QStringLiteral(".csv")) {
        // The focus comes first: it removes the placeholder text.
        m_address_box->setFocus(Qt::OtherFocusReason);
        if (m_address_box->toPlainText() == kAddressPlaceholder) m_address_box->clear();
        if (!m_address_box->toPlainText().isEmpty()) m_address_box->append_text("\r\n");
        m_address_box->append_text(to_text(dropped));
    }
}

bool DesktopWindow::show_tray_icon() {
    if (m_tray || !QSystemTrayIcon::isSystemTrayAvailable()) return m_tray != nullptr;
    m_tray = new QSystemTrayIcon(program_icon(), this);
    m_tray->setToolTip(kTrayTip);
    connect(m_tray, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                tray_activated(reason, QCursor::pos());
            });
    m_tray->show();
    return true;
}

void DesktopWindow::tray_activated(QSystemTrayIcon::ActivationReason reason,
                                   QPoint global_position) {
    if (reason == QSystemTrayIcon::DoubleClick) {
        if (isVisible())
            hide();
        else
            bring_forward();
    } else if (reason == QSystemTrayIcon::Context) {
        bring_forward();
        const QSize size = m_popup_menu->sizeHint();
        show_popup_menu_at(global_position -
                           QPoint(kTrayPopupOffset + size.width(), kTrayPopupOffset));
    }
}

void DesktopWindow::bring_forward() {
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

}  // namespace qinghe::app
