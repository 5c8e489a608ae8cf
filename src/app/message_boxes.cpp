#include "app/message_boxes.h"

#include <deque>

#include <QCoreApplication>
#include <QMessageBox>
#include <QThread>

namespace qinghe::app {

namespace {
std::deque<int> g_answers;
QStringList g_shown;
}  // namespace

int show_message_box(const QString& text, const QString& caption) {
    // Widgets live on the window thread only; the core's handler routes
    // every other thread's boxes there. A stray call is refused, not shown.
    if (QCoreApplication::instance() &&
        QThread::currentThread() != QCoreApplication::instance()->thread())
        return 0;
    g_shown.append(caption + QLatin1Char('|') + text);
    if (!g_answers.empty()) {
        int answer = g_answers.front();
        g_answers.pop_front();
        return answer;
    }
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
    return 1;
}

void queue_message_answer(int answer) { g_answers.push_back(answer); }

void clear_message_answers() {
    g_answers.clear();
    g_shown.clear();
}

QStringList shown_messages() { return g_shown; }

}  // namespace qinghe::app
