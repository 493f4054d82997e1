#pragma once

class QWidget;

namespace korvanta {

// Places the window in the middle of its screen, at its size hint when it has
// not been sized yet.
void centreOnScreen(QWidget *window);

} // namespace korvanta
