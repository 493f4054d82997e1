// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/ports/commandline.h"

#include <QString>
#include <QStringList>

namespace korvanta {

// What the command line asks of the utility.
// --port takes COMn=ADDRESS only.
struct Options : LineOptions {
    bool help = false;
    bool version = false;
    int autoPort = 0;             // 1..9: that port without the port dialog
    bool exitAfterStart = false;  // leave through "終了(&E)" once the main window shows
    QString screenshots;          // a folder: picture every window and end
    bool listPorts = false;       // print the serial devices found and end
};

// Reads the arguments (the program name first). False with the reason when
// they cannot be understood.
bool parseOptions(const QStringList &arguments, Options &options, QString *error);

QString usage();

} // namespace korvanta
