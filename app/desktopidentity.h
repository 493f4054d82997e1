// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace korvanta {

// Names the program to the desktop as its desktop entry does: the application
// name (the window class on X11, the entry's StartupWMClass), the desktop
// file's name (the application id on Wayland) and the icon every top window
// shows, at each size the icon theme has. Call after QApplication exists.
void applyDesktopIdentity();

} // namespace korvanta
