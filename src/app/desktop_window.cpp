#include "app/desktop_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDebug>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include "app/address_box.h"
#include "app/app_texts.h"
#include "app/artwork.h"
#include "app/clickable_label.h"
#include "app/message_boxes.h"
#include "app/qt_text.h"
#include "app/shell.h"
#include "base/message.h"
#include "engine/dispatcher.h"
#include "harvest/composite_package.h"

namespace qinghe::app {

namespace {

const QColor kWhite(255, 255, 255);
const QColor kGrey(236, 236, 236);

// The base colour of an edit box in every state, disabled included.
void set_box_colour(QWidget* box, const QColor& colour) {
    QPalette p = box->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        p.setColor(group, QPalette::Base, colour);
    box->setPalette(p);
}

template <typename W>
W* place(W* widget, int left, int top, int width, int height) {
    widget->setGeometry(left, top, width, height);
    return widget;
}

ClickableLabel* make_label(QWidget* parent, const QString& caption, int left, int top, int width,
                           int height) {
    auto* label = place(new ClickableLabel(parent), left, top, width, height);
    label->setText(caption);
    return label;
}

QCheckBox* make_check_box(QWidget* parent, const QString& caption, int left, int width,
                          bool checked) {
    auto* box = place(new QCheckBox(caption, parent), left, 325, width, 24);
    box->setChecked(checked);
    return box;
}

}  // namespace

DesktopWindow::DesktopWindow(QWidget* parent) : QWidget(parent) {
    // The wake hook may run on any thread, also while this window is being
    // destroyed, so it reaches the queue through a weak pointer and the
    // application object, never through this widget.
    auto weak_box = std::make_shared<std::weak_ptr<MainWindow>>();
    auto* self_guard = new QObject(this);  // dies with the window
    QPointer<QObject> guard(self_guard);
    m_main_window = std::make_shared<MainWindow>(*this, [weak_box, guard, this] {
        QMetaObject::invokeMethod(
            qApp,
            [weak_box, guard, this] {
                auto window = weak_box->lock();
                if (window && guard && !window->is_closed()) drain_window_thread();
            },
            Qt::QueuedConnection);
    });
    *weak_box = m_main_window;

    setWindowTitle(kWindowTitle);
    setWindowIcon(program_icon());
    setFixedSize(1068, 648);
    move(50, 50);
    setAcceptDrops(true);

    build_controls();
    build_popup_menu();
    connect_handlers();
    // The first focus goes to the start button, so that the address box
    // shows its placeholder until the user clicks into it.
    m_start_button->setFocus(Qt::OtherFocusReason);
}

DesktopWindow::~DesktopWindow() {
    // From here on a worker that still runs reaches no widget.
    m_main_window->close();
}

void DesktopWindow::closeEvent(QCloseEvent* event) {
    m_main_window->close();
    // A batch closed midway still leaves its complete Composite file.
    flush_composite_package();
    if (m_tray) m_tray->hide();
    event->accept();
    QApplication::quit();
}

void DesktopWindow::drain_window_thread() {
    // A message box shown by queued work runs a nested event loop, in which
    // another wake may arrive; the outer drain picks that work up instead.
    // Every post sends its own wake, so work queued meanwhile by a busy
    // worker waits for the next invocation and the event loop keeps turning.
    if (m_draining) {
        m_drain_again = true;
        return;
    }
    m_draining = true;
    do {
        m_drain_again = false;
        m_main_window->window_thread().drain();
    } while (m_drain_again && !m_main_window->is_closed());
    m_draining = false;
}

void DesktopWindow::build_controls() {
    m_address_box = place(new AddressBox(this), 72, 3, 816, 309);
    set_box_colour(m_address_box, kWhite);
    make_label(this, kAddressLabel, 8, 145, 88, 24);

    m_tips_panel = make_label(this, kTipsText, 904, 12, 147, 278);
    m_tips_panel->setWordWrap(true);
    QFont tips_font = m_tips_panel->font();
    tips_font.setPixelSize(11);  // the four tips fit the panel above the shop link button
    m_tips_panel->setFont(tips_font);
    m_tips_panel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_shop_link_button = place(new QPushButton(kShopLinkButton, this), 920, 272, 120, 32);

    m_main_pictures_box = make_check_box(this, kMainPicturesBox, 16, 88, true);
    m_detail_pictures_box = make_check_box(this, kDetailPicturesBox, 111, 98, true);
    m_other_pictures_box = make_check_box(this, kOtherPicturesBox, 220, 100, true);
    m_smart_save_box = make_check_box(this, kSmartSaveBox, 334, 113, true);
    m_show_title_box = make_check_box(this, kShowTitleBox, 448, 112, false);
    m_export_package_box = make_check_box(this, kExportPackageBox, 568, 116, true);
    // The two radio buttons share this window as parent, which makes them
    // one auto-exclusive group.
    m_independent_radio = place(new QRadioButton(kIndependentRadio, this), 676, 325, 80, 24);
    m_composite_radio = place(new QRadioButton(kCompositeRadio, this), 748, 329, 72, 16);
    m_composite_radio->setChecked(true);
    m_remove_links_box = make_check_box(this, kRemoveLinksBox, 827, 128, true);

    make_label(this, kSaveFolderLabel, 8, 358, 88, 24);
    m_save_folder_box = place(new QLineEdit(this), 72, 358, 512, 24);
    set_box_colour(m_save_folder_box, kWhite);
    m_save_folder_box->setEnabled(false);
    m_browse_button = place(new QPushButton(kBrowseButton, this), 592, 358, 56, 24);
    m_open_folder_button = place(new QPushButton(kOpenFolderButton, this), 656, 358, 72, 24);

    m_picture_panel = make_label(this, QString(), 736, 358, 320, 233);
    m_picture_panel->setPixmap(paint_support_picture());
    m_picture_panel->setScaledContents(true);
    m_picture_panel->setCursor(Qt::PointingHandCursor);

    make_label(this, kStyleSheetLabel, 15, 405, 64, 24);
    m_style_sheet_box = place(new QPlainTextEdit(this), 72, 388, 656, 58);
    m_style_sheet_box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    set_box_colour(m_style_sheet_box, kGrey);
    make_label(this, kSiteLabel, 584, 449, 144, 24);

    make_label(this, kFileListLabel, 8, 501, 88, 24);
    m_file_list_box = place(new QPlainTextEdit(this), 72, 453, 488, 120);
    m_file_list_box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_file_list_box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    set_box_colour(m_file_list_box, kGrey);

    m_start_button = place(new QPushButton(kStartButton, this), 579, 479, 145, 40);
    m_counter_label = make_label(this, to_qstring(kCounterRestingText), 565, 533, 168, 49);
    m_counter_label->setWordWrap(true);
    m_counter_label->setCursor(Qt::PointingHandCursor);

    m_progress_bar = place(new QProgressBar(this), 16, 582, 704, 9);
    m_progress_bar->setRange(0, 100);
    m_progress_bar->setValue(0);
    m_progress_bar->setTextVisible(false);
    m_status_line = place(new QLabel(kWelcomeStatus, this), 16, 599, 456, 16);

    m_group_label = make_label(this, kGroupLabel, 481, 599, 167, 16);
    m_support_link1 = make_label(this, kSupportLink1, 657, 595, 100, 24);
    m_support_link2 = make_label(this, kSupportLink2, 769, 595, 100, 24);
    m_favourites_link = make_label(this, kFavouritesLink, 888, 599, 153, 16);
    for (auto* link : {m_support_link1, m_support_link2, m_favourites_link}) link->make_hyperlink();

    m_dispatch_timer.setSingleShot(true);
}

void DesktopWindow::build_popup_menu() {
    m_popup_menu = new QMenu(kPopupMenuTitle, this);
    m_popup_menu->addAction(kMenuOpenShop, this, [] { open_address(kMakerShop); });
    m_popup_menu->addAction(kMenuFavouriteShop, this, [] { open_address(kMakerFavouritesPage); });
    m_popup_menu->addAction(kMenuFavouriteSupportShop, this,
                            [] { open_address(kSupportFavouritesPage); });
    m_popup_menu->addSeparator();
    m_popup_menu->addAction(kMenuHomePage, this, [] { open_address(kHomePage); });
    m_popup_menu->addAction(kMenuDownloadNew, this, [] { open_address(kDownloadPage); });
    m_popup_menu->addSeparator();
    m_popup_menu->addAction(kMenuHelp, this, [this] { open_help(); });
    m_popup_menu->addAction(kMenuQuit, this, [this] { close(); });
}

QCheckBox* DesktopWindow::option_box(OptionBox box) const {
    switch (box) {
        case OptionBox::DownloadMainPictures: return m_main_pictures_box;
        case OptionBox::DownloadDetailPictures: return m_detail_pictures_box;
        case OptionBox::DownloadOtherPictures: return m_other_pictures_box;
        case OptionBox::SmartCategorySave: return m_smart_save_box;
        case OptionBox::ShowItemTitle: return m_show_title_box;
        case OptionBox::ExportDataPackage: return m_export_package_box;
        case OptionBox::RemoveHyperlinks: return m_remove_links_box;
    }
    return nullptr;
}

// WindowControls.

Text DesktopWindow::address_text() { return m_address_box->text(); }
void DesktopWindow::set_address_text(const Text& text) { m_address_box->set_text(text); }
void DesktopWindow::set_address_enabled(bool enabled) { m_address_box->setEnabled(enabled); }
bool DesktopWindow::option_checked(OptionBox box) { return option_box(box)->isChecked(); }
bool DesktopWindow::independent_package_selected() { return m_independent_radio->isChecked(); }

Text DesktopWindow::save_folder_text() {
    Text folder;
    path_to_text(m_save_folder_box->text(), folder);
    return folder;
}

void DesktopWindow::set_start_caption(const Text& caption) {
    m_start_button->setText(to_qstring(caption));
}
void DesktopWindow::set_start_enabled(bool enabled) { m_start_button->setEnabled(enabled); }
void DesktopWindow::set_status_text(const Text& text) { m_status_line->setText(to_qstring(text)); }
void DesktopWindow::set_progress(int position) {
    m_progress_bar->setValue(std::clamp(position, 0, 100));
}
void DesktopWindow::set_counter_text(const Text& text) {
    m_counter_label->setText(to_qstring(text));
}

void DesktopWindow::append_file_list(const Text& text) {
    m_file_list_box->moveCursor(QTextCursor::End);
    m_file_list_box->insertPlainText(to_qstring(text));
    m_file_list_box->ensureCursorVisible();
}

void DesktopWindow::append_style_sheet_box(const Text& text) {
    // The box empties itself on every change, so what is appended does not stay.
    m_style_sheet_box->moveCursor(QTextCursor::End);
    m_style_sheet_box->insertPlainText(to_qstring(text));
}

void DesktopWindow::set_dispatch_timer(int period_ms) {
    if (period_ms <= 0) {
        m_dispatch_timer.stop();
        return;
    }
    if (m_dispatch_timer.isActive() && m_dispatch_timer.interval() == period_ms) return;
    m_dispatch_timer.start(period_ms);
}

int DesktopWindow::show_message(const Text& text, int /*style*/, const Text& caption) {
    const QString shown_caption =
        caption.empty() ? to_qstring(default_message_caption()) : to_qstring(caption);
    return show_message_box(to_qstring(text), shown_caption);
}

void DesktopWindow::batch_finished() { emit batch_finished_signal(); }

void DesktopWindow::log_error(const Text& text) { qWarning().noquote() << to_qstring(text); }

}  // namespace qinghe::app
