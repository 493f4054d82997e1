// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/desktopidentity.h"

#include <QApplication>
#include <QIcon>

namespace korvanta {

void applyDesktopIdentity()
{
    QApplication::setApplicationName(QStringLiteral("korvanta"));
    QApplication::setApplicationVersion(QStringLiteral(KORVANTA_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(KORVANTA_APP_ID));
    // The PNGs the build drew from the program's SVG icon (resources/), one a
    // size: no image plugin is needed to read them.
    QIcon icon;
    for (const int size : {KORVANTA_ICON_SIZES})
        icon.addFile(QStringLiteral(":/icons/%1/" KORVANTA_APP_ID ".png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);
}

} // namespace korvanta
