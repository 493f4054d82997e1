#pragma once

#include <QString>

class QWidget;

namespace korvanta {

// Shows the help file (HTML with one anchor per context number) in the
// utility's own help window, at the topic of the context number.
class HelpViewer {
public:
    static void show(const QString &helpFile, int context, QWidget *owner);
    // "korvanta.hlp" beside the program, else in the installed data folder
    // (share/korvanta/ under the program's prefix, or a system data folder);
    // the path beside the program when there is none.
    static QString findHelpFile();
};

} // namespace korvanta
