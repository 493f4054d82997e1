// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/wait.h"

#include "link/link.h"

#include <QCoreApplication>
#include <QTimer>

namespace korvanta {

namespace {
// Runs the event loop, sleeping, until done() holds or the deadline passes. A
// timer at the deadline wakes the sleep when nothing else does.
template <typename Done>
void runEventsUntil(const QDeadlineTimer &deadline, Done done)
{
    if (done() || deadline.hasExpired())
        return;
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    wake.start(int(qMin<qint64>(deadline.remainingTime(), 24 * 3600 * 1000)));
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}
} // namespace

bool waitForInput(Link &link, const QDeadlineTimer &deadline)
{
    // Nothing can come in on a closed line.
    runEventsUntil(deadline, [&link] { return link.inBufferCount() > 0 || !link.isOpen(); });
    return link.inBufferCount() > 0;
}

void waitUntil(const QDeadlineTimer &deadline)
{
    runEventsUntil(deadline, [] { return false; });
}

bool waitFor(const QDeadlineTimer &deadline, const std::function<bool()> &done)
{
    runEventsUntil(deadline, done);
    return done();
}

} // namespace korvanta
