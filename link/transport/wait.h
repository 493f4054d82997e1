// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDeadlineTimer>
#include <QTimer>

#include <functional>

namespace korvanta {

class Link;

// The waits of one exchange for input, until one deadline. Each lets the event
// loop run, sleeping between events, until the link has input buffered or the
// deadline passes. Windows repaint and link events are handled meanwhile; no
// processor time is spent while nothing happens. One timer at the deadline
// wakes every sleep of the exchange, set once: an exchange sleeps once for
// every few characters, and a timer set for each sleep cost more than reading
// them.
class InputWait {
public:
    InputWait(Link &link, const QDeadlineTimer &deadline);
    // True when input is buffered; a closed line ends the wait at once.
    bool next();

private:
    Link &m_link;
    const QDeadlineTimer m_deadline;
    QTimer m_wake;
};

// Lets the event loop run until the deadline passes.
void waitUntil(const QDeadlineTimer &deadline);

// Lets the event loop run until done() holds or the deadline passes; done().
bool waitFor(const QDeadlineTimer &deadline, const std::function<bool()> &done);

} // namespace korvanta
