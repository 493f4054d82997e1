// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>
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

// A label showing one of the pictures as it is, also while its window is
// disabled: a picture is not a control, and greying it anew at every paint
// cost the main window a millisecond each time a settings window opened.
class Picture : public QLabel {
public:
    Picture(const QPixmap &picture, QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace artwork
} // namespace korvanta
