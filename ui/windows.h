// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace korvanta {

// Places the window in the middle of its screen, at its size hint when it has
// not been sized yet.
void centreOnScreen(QWidget *window);
// The same at the size it has: a window laid out once and kept for showing
// again is not measured anew.
void centreOnScreenAsSized(QWidget *window);

} // namespace korvanta
