#pragma once

#include <QString>

class QWidget;

namespace korvanta {

// Shows the help file (HTML with one anchor per context number) in the
// utility's own help window, at the topic of the context number.
class HelpViewer {
public:
    static void show(const QString &helpFile, int context, QWidget *owner);
};

} // namespace korvanta
