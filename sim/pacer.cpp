// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/pacer.h"

#include <QSocketNotifier>

#include <algorithm>
#ifdef Q_OS_LINUX
#include <sys/timerfd.h>
#include <unistd.h>
#endif

namespace korvanta::sim {

Pacer::Pacer(QObject *parent) : QObject(parent)
{
    m_clock.start();
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &Pacer::pump);
#ifdef Q_OS_LINUX
    // A character lasts about half a millisecond: a timer rounded up to whole
    // milliseconds would make every reply arrive late.
    m_timerFd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_timerFd >= 0) {
        auto *notifier = new QSocketNotifier(m_timerFd, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this] {
            quint64 expirations = 0;
            if (::read(m_timerFd, &expirations, sizeof expirations) > 0)
                pump();
        });
    }
#endif
}

Pacer::~Pacer()
{
#ifdef Q_OS_LINUX
    if (m_timerFd >= 0)
        ::close(m_timerFd);
#endif
}

void Pacer::armTimer(qint64 waitUs)
{
#ifdef Q_OS_LINUX
    if (m_timerFd >= 0) {
        itimerspec when{};
        const qint64 ns = waitUs > 0 ? waitUs * 1000 : 1; // zero would disarm it
        when.it_value.tv_sec = ns / 1000000000;
        when.it_value.tv_nsec = ns % 1000000000;
        timerfd_settime(m_timerFd, 0, &when, nullptr);
        return;
    }
#endif
    m_timer.start(int(std::max<qint64>(0, (waitUs + 999) / 1000)));
}

void Pacer::disarmTimer()
{
#ifdef Q_OS_LINUX
    if (m_timerFd >= 0) {
        const itimerspec never{};
        timerfd_settime(m_timerFd, 0, &never, nullptr);
    }
#endif
    m_timer.stop();
}

void Pacer::send(const QByteArray &bytes, int pauseMs)
{
    if (!bytes.isEmpty())
        append({bytes, false, nowUs(), qint64(std::max(pauseMs, 0)) * 1000});
}

void Pacer::hangUp() { append({{}, true, nowUs(), 0}); }

void Pacer::append(Piece piece)
{
    m_pieces.append(std::move(piece));
    if (m_pieces.size() == 1)
        schedule(nowUs());
}

void Pacer::clear()
{
    m_pieces.clear();
    disarmTimer();
}

int Pacer::pending() const
{
    int n = 0;
    for (const Piece &p : m_pieces)
        n += p.bytes.size() - p.done;
    return n;
}

qint64 Pacer::startOfFront()
{
    Piece &p = m_pieces.first();
    if (p.startUs < 0)
        p.startUs = std::max(p.queuedUs, m_lineFreeUs) + p.pauseUs;
    return p.startUs;
}

void Pacer::pump()
{
    const qint64 now = nowUs();
    QList<QByteArray> out;
    bool hang = false;
    while (!m_pieces.isEmpty()) {
        const qint64 start = startOfFront();
        Piece &p = m_pieces.first();
        if (start > now)
            break;
        if (p.hangUp) {
            m_pieces.clear();
            hang = true;
            break;
        }
        // Byte k of a paced piece arrives at start + (k + 1) character times.
        const int left = p.bytes.size() - p.done;
        const int n = m_charUs == 0 ? left : std::min<qint64>(left, (now - start) / m_charUs - p.done);
        if (n > 0) {
            out.append(p.bytes.mid(p.done, n));
            p.done += n;
        }
        if (p.done < p.bytes.size())
            break;
        m_lineFreeUs = start + qint64(m_charUs) * p.bytes.size();
        m_pieces.removeFirst();
    }
    schedule(now);
    // Emitted last: a receiver may queue or clear from its slot.
    for (const QByteArray &bytes : out)
        emit delivered(bytes);
    if (hang)
        emit hungUp();
}

void Pacer::schedule(qint64 now)
{
    if (m_pieces.isEmpty()) {
        disarmTimer();
        return;
    }
    const Piece &p = m_pieces.first();
    const qint64 due = startOfFront() + (p.hangUp ? 0 : qint64(m_charUs) * (p.done + 1));
    armTimer(due - now);
}

} // namespace korvanta::sim
