// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDeadlineTimer>

#include <functional>

namespace korvanta {

class Link;

// Lets the event loop run, sleeping between events, until the link has input
// buffered or the deadline passes. Windows repaint and link events are handled
// meanwhile; no processor time is spent while nothing happens. True when input
// is buffered; a closed line ends the wait at once.
bool waitForInput(Link &link, const QDeadlineTimer &deadline);

// Lets the event loop run until the deadline passes.
void waitUntil(const QDeadlineTimer &deadline);

// Lets the event loop run until done() holds or the deadline passes; done().
bool waitFor(const QDeadlineTimer &deadline, const std::function<bool()> &done);

} // namespace korvanta
