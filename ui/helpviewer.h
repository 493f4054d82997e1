// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

namespace korvanta {

// Shows the help file (HTML with one anchor per context number) in the
// utility's own help window, at the topic of the context number.
class HelpViewer {
public:
    static void show(const QString &helpFile, int context, QWidget *owner);
    // "korvanta.hlp" ("korvanta_en.hlp" when the windows speak English)
    // beside the program, else in the installed data folder (share/korvanta/
    // under the program's prefix, or a system data folder); the path beside
    // the program when there is none.
    static QString findHelpFile();
};

class Session;
// The session's help file: its override, else the one found.
QString helpFile(const Session &session);
// The help window at a context number of the session's help file.
void showHelp(const Session &session, int context, QWidget *owner);

} // namespace korvanta
