#pragma once

#include <QString>

namespace korvanta {

class WorkFile;

// Opens every window of the utility against the simulated adapter, one after
// the other, saves a picture of each as DIR/<window>.png and prints the
// paths. Returns the program's exit status.
int runScreenshotTour(const QString &dir, WorkFile &workFile);

} // namespace korvanta
