// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QMessageBox;
class QWidget;

namespace korvanta {

struct MessageRequest;

// Shows the utility's messages as message boxes over their windows and
// sounds the beep through the window system. Each box waits for its answer.
void installMessageBoxes();

// Nobody is left to answer (the utility is told to end): every box open is
// answered as by its Escape key, innermost first, and so is every box shown
// from now on, as soon as it shows. True while a box has yet to hand its
// answer back (its event loop has not returned yet).
bool answerMessageBoxesByEscape();

// The message box a request is shown in, not yet shown; the caller owns it.
QMessageBox *newMessageBox(const MessageRequest &request, QWidget *parent);

} // namespace korvanta
