// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

namespace korvanta {

// Every deadline and pause of the utility, in milliseconds. Tests shorten them;
// nothing else differs between a test run and a real run.
struct Timing {
    int queryDeadlineMs = 10000;    // settings dialogs' query exchanges
    int identifyDeadlineMs = 3000;  // identification at start-up
    int setDeadlineMs = 10000;      // set exchanges, initialization, store at exit
    int exitPauseMs = 100;          // pause before the port is closed at exit
    int drainDeadlineMs = 10000;    // terminal window waiting for unsent characters

    // Every deadline and pause times factor (at least 1 ms each): longer for
    // a slow line or a far console server, shorter for tests.
    Timing times(double factor) const
    {
        auto s = [factor](int v) { return qMax(1, int(qMin(v * factor, 1e9))); };
        return {s(queryDeadlineMs), s(identifyDeadlineMs), s(setDeadlineMs), s(exitPauseMs), s(drainDeadlineMs)};
    }

    // All deadlines divided by factor (at least 1 ms each); for tests.
    Timing scaled(int factor) const
    {
        auto s = [factor](int v) { return v / factor > 0 ? v / factor : 1; };
        return {s(queryDeadlineMs), s(identifyDeadlineMs), s(setDeadlineMs), s(exitPauseMs),
                s(drainDeadlineMs)};
    }
};

} // namespace korvanta
