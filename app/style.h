#pragma once

namespace korvanta {

// The utility's look: Qt's Fusion style, with group frames drawn as plain
// etched lines (Fusion draws each frame from a scaled pixmap, which made it
// the better part of painting a settings window). Call once, after the
// application object exists.
void applyStyle();

} // namespace korvanta
