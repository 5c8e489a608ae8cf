// Message boxes of the desktop program: task-modal, no owner, one OK button.
#pragma once

#include <QString>
#include <QStringList>

namespace qinghe::app {

// Shows the box on the calling thread, which must be the window thread, and
// returns the button pressed (1 for OK); 0 without a box on another thread.
int show_message_box(const QString& text, const QString& caption);

// Test seam, after KeePassXC's MessageBox::setNextAnswer: while answers are
// queued, a box is not shown; it is recorded and the next answer returned.
void queue_message_answer(int answer);
void clear_message_answers();
// Every box asked for since the last clear, as "caption|text".
QStringList shown_messages();

}  // namespace qinghe::app
