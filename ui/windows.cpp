// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/windows.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace korvanta {

void centreOnScreen(QWidget *window)
{
    window->adjustSize();
    centreOnScreenAsSized(window);
}

void centreOnScreenAsSized(QWidget *window)
{
    QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize size = window->frameGeometry().size().expandedTo(window->size());
    window->move(area.left() + (area.width() - size.width()) / 2, area.top() + (area.height() - size.height()) / 2);
}

} // namespace korvanta
