// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/transport/wait.h"

#include "link/transport/link.h"

#include <QCoreApplication>
#include <QTimer>

namespace korvanta {

namespace {
// Starts a timer at the deadline, to wake the sleeps when nothing else does.
void wakeAt(QTimer &wake, const QDeadlineTimer &deadline)
{
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    wake.start(int(qMin<qint64>(deadline.remainingTime(), 24 * 3600 * 1000)));
}

// Runs the event loop, sleeping, until done() holds or the deadline passes.
// The wake timer is started when the first sleep comes.
template <typename Done>
void runEventsUntil(const QDeadlineTimer &deadline, QTimer &wake, Done done)
{
    if (done() || deadline.hasExpired())
        return;
    if (!wake.isActive())
        wakeAt(wake, deadline);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

template <typename Done>
void runEventsUntil(const QDeadlineTimer &deadline, Done done)
{
    QTimer wake;
    runEventsUntil(deadline, wake, done);
}
} // namespace

InputWait::InputWait(Link &link, const QDeadlineTimer &deadline) : m_link(link), m_deadline(deadline) {}

bool InputWait::next()
{
    // Nothing can come in on a closed line.
    runEventsUntil(m_deadline, m_wake, [this] { return m_link.inBufferCount() > 0 || !m_link.isOpen(); });
    return m_link.inBufferCount() > 0;
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
