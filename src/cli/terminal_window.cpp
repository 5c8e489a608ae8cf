#include "cli/terminal_window.h"

#include <algorithm>
#include <map>

#include "base/encoding.h"
#include "engine/dispatcher.h"

namespace qinghe {

namespace {
constexpr int kBarWidth = 30;
// How often the loop looks at the stop flag, which a signal handler sets
// without waking anybody.
constexpr auto kStopPoll = std::chrono::milliseconds(50);

// The bar's positions run from 0 to 100, but a stage's arithmetic may set
// more (or less); the terminal shows the nearest end rather than 1490 %.
int shown_position(int position) { return std::clamp(position, 0, 100); }
}  // namespace

std::string terminal_text(const Text& gbk) {
    if (gbk.empty()) return {};
    const Bytes whole = convert_encoding(gbk, "GBK", "UTF-8");
    if (!whole.empty()) return whole;
    // Something in the text does not convert: go character by character so
    // that one bad byte does not hide the whole line.
    std::string out;
    for (size_t i = 0; i < gbk.size();) {
        const auto b = static_cast<unsigned char>(gbk[i]);
        if (b < 0x80) {
            out.push_back(static_cast<char>(b));
            ++i;
            continue;
        }
        const size_t n = i + 1 < gbk.size() ? 2 : 1;
        const Bytes one = convert_encoding(gbk.substr(i, n), "GBK", "UTF-8");
        out += one.empty() ? std::string("?") : one;
        i += n;
    }
    return out;
}

TerminalWindow::TerminalWindow(TerminalSettings settings) : m_settings(settings) {}

void TerminalWindow::wake() {
    {
        std::lock_guard lock(m_wake_mutex);
        m_woken = true;
    }
    m_wake_signal.notify_one();
}

void TerminalWindow::run_until_finished(MainWindow& window) {
    WindowThread& queue = window.window_thread();
    while (!m_finished) {
        queue.drain();
        if (m_finished) break;
        if (m_settings.stop && !m_stopped && m_settings.stop->load()) {
            m_stopped = true;
            request_stop(window);
        }
        if (m_timer_period > 0 && Clock::now() >= m_timer_due) {
            // The timer keeps its period until stopped, like a window timer;
            // dispatch_next stops it first, which makes each tick one-shot.
            m_timer_due = Clock::now() + std::chrono::milliseconds(m_timer_period);
            dispatch_next(window);
            continue;
        }
        // No batch runs (the address box is enabled from finish_batch or a
        // refused start on) and nothing is queued: nothing could wake us.
        if (m_timer_period <= 0 && m_address_enabled && !queue.has_pending()) break;
        std::unique_lock lock(m_wake_mutex);
        if (m_timer_period > 0 || m_settings.stop) {
            Clock::time_point until = Clock::now() + kStopPoll;
            if (m_timer_period > 0 && (!m_settings.stop || m_timer_due < until))
                until = m_timer_due;
            m_wake_signal.wait_until(lock, until, [this] { return m_woken; });
        } else {
            m_wake_signal.wait(lock, [this] { return m_woken; });
        }
        m_woken = false;
    }
    end_bar_line();
    std::fflush(m_settings.out);
}

bool TerminalWindow::option_checked(OptionBox box) {
    const auto found = m_options.find(box);
    return found != m_options.end() && found->second;
}

void TerminalWindow::print_line(std::FILE* stream, const Text& gbk) {
    end_bar_line();
    const std::string line = terminal_text(gbk);
    std::fprintf(stream, "%s\n", line.c_str());
    std::fflush(stream);
}

void TerminalWindow::set_status_text(const Text& text) {
    m_status = text;
    print_line(m_settings.out, text);
    draw_bar();
}

void TerminalWindow::set_progress(int position) {
    if (position == m_progress) return;
    m_progress = position;
    if (m_settings.live_bar) {
        draw_bar();
    } else {
        std::fprintf(m_settings.out, "progress %d%%\n", shown_position(position));
        std::fflush(m_settings.out);
    }
}

void TerminalWindow::set_counter_text(const Text& text) {
    if (text == m_counter) return;
    m_counter = text;
    if (m_settings.live_bar) {
        draw_bar();
    } else {
        print_line(m_settings.out, text);
    }
}

void TerminalWindow::append_file_list(const Text& text) {
    if (!m_settings.verbose) return;
    m_file_list_tail += text;
    // The box shows whole lines; print each one as it is completed.
    size_t start = 0;
    for (size_t end; (end = m_file_list_tail.find("\r\n", start)) != Text::npos; start = end + 2) {
        print_line(m_settings.out, m_file_list_tail.substr(start, end - start));
    }
    m_file_list_tail.erase(0, start);
    draw_bar();
}

void TerminalWindow::set_dispatch_timer(int period_ms) {
    m_timer_period = period_ms > 0 ? period_ms : 0;
    if (m_timer_period > 0) m_timer_due = Clock::now() + std::chrono::milliseconds(m_timer_period);
}

int TerminalWindow::show_message(const Text& text, int, const Text& caption) {
    print_line(m_settings.err, join_text({caption, text}));
    return 1;
}

void TerminalWindow::batch_finished() {
    if (!m_file_list_tail.empty()) {
        print_line(m_settings.out, m_file_list_tail);
        m_file_list_tail.clear();
    }
    m_finished = true;
}

void TerminalWindow::draw_bar() {
    if (!m_settings.live_bar) return;
    const int shown = shown_position(m_progress);
    const int filled = shown * kBarWidth / 100;
    std::string bar = "\r\x1b[K[";
    bar.append(static_cast<size_t>(filled), '#');
    bar.append(static_cast<size_t>(kBarWidth - filled), '.');
    bar += "] " + std::to_string(shown) + "%  " + terminal_text(m_counter);
    std::fputs(bar.c_str(), m_settings.out);
    std::fflush(m_settings.out);
    m_bar_shown = true;
}

void TerminalWindow::end_bar_line() {
    if (!m_bar_shown) return;
    std::fputs("\r\x1b[K", m_settings.out);
    m_bar_shown = false;
}

}  // namespace qinghe
