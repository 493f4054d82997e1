// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace korvanta {

// The utility's look: Qt's Fusion style, with group frames drawn as plain
// etched lines, and what a settings window paints again and again (captions,
// radio indicators, group-box geometry) worked out once: painting a freshly
// shown window is what the operator waits for after its read. Call once,
// after the application object exists.
void applyStyle();

} // namespace korvanta
