// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace korvanta {

// Opens every window of the utility against the simulated adapter, one after
// the other, saves a picture of each as DIR/<window>.png and prints the
// paths. The simulated adapter's values go into a work file of the tour's own,
// in a temporary folder removed at the end: the user's work file is not
// touched. Returns the program's exit status. look, when given, sees each
// window (and each popup) just before its picture is taken.
using TourLook = std::function<void(QWidget *window, const QString &name)>;
int runScreenshotTour(const QString &dir, const TourLook &look = {});

} // namespace korvanta
