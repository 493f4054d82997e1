#pragma once

#include <QPixmap>
#include <QSize>

namespace korvanta {

// Pictures of the adapter, drawn when asked for (no image files needed).
namespace artwork {

// The adapter seen from the front and above: casing, name plate, lamps.
QPixmap adapterFront(const QSize &size);
// The back panel: ISDN line, TEL1 to TEL3, the DATA and USB ports, power.
QPixmap adapterBack(const QSize &size);
// A telephone on its cord, for the telephone ports.
QPixmap telephone(const QSize &size);

} // namespace artwork
} // namespace korvanta
