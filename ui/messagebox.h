#pragma once

class QMessageBox;
class QWidget;

namespace korvanta {

struct MessageRequest;

// Shows the utility's messages as message boxes over their windows and
// sounds the beep through the window system.
void installMessageBoxes();

// The message box a request is shown in, not yet shown; the caller owns it.
QMessageBox *newMessageBox(const MessageRequest &request, QWidget *parent);

} // namespace korvanta
