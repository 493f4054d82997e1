#pragma once

namespace korvanta {

// Shows the utility's messages as message boxes over their windows and
// sounds the beep through the window system.
void installMessageBoxes();

} // namespace korvanta
