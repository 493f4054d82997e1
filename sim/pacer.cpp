#include "sim/pacer.h"

#include <algorithm>

namespace korvanta::sim {

Pacer::Pacer(QObject *parent) : QObject(parent)
{
    m_clock.start();
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &Pacer::pump);
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
    m_timer.stop();
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
        m_timer.stop();
        return;
    }
    const Piece &p = m_pieces.first();
    const qint64 due = startOfFront() + (p.hangUp ? 0 : qint64(m_charUs) * (p.done + 1));
    m_timer.start(int(std::max<qint64>(0, (due - now + 999) / 1000)));
}

} // namespace korvanta::sim
