#pragma once

#include <QString>

namespace korvanta {

// Opens every window of the utility against the simulated adapter, one after
// the other, saves a picture of each as DIR/<window>.png and prints the
// paths. The simulated adapter's values go into a work file of the tour's own,
// in a temporary folder removed at the end: the user's work file is not
// touched. Returns the program's exit status.
int runScreenshotTour(const QString &dir);

} // namespace korvanta
