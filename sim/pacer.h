// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QTimer>

namespace korvanta::sim {

// One direction of a serial line: queued pieces leave in order, each when its
// time has come, driven by the event loop (never from inside send()). With a
// character time each byte arrives that long after the previous one, as on a
// real line; without one a piece arrives whole.
class Pacer : public QObject {
    Q_OBJECT
public:
    explicit Pacer(QObject *parent = nullptr);
    ~Pacer() override;

    // Microseconds a character takes on the line; 0 sends pieces whole.
    void setCharTimeUs(int us) { m_charUs = us < 0 ? 0 : us; }
    int charTimeUs() const { return m_charUs; }

    // Queues bytes to start pauseMs after the line is free (or after now, when
    // it has been free for a while).
    void send(const QByteArray &bytes, int pauseMs = 0);
    // Queues the end of the line: hungUp() when its turn comes, and the queue
    // is dropped.
    void hangUp();
    void clear();
    // Bytes queued and not yet delivered.
    int pending() const;

signals:
    void delivered(const QByteArray &bytes);
    void hungUp();

private:
    struct Piece {
        QByteArray bytes;
        bool hangUp = false;
        qint64 queuedUs = 0;
        qint64 pauseUs = 0;
        qint64 startUs = -1; // known once the piece is at the front
        int done = 0;
    };
    void append(Piece piece);
    void pump();
    void schedule(qint64 now);
    void armTimer(qint64 waitUs);
    void disarmTimer();
    qint64 startOfFront();
    qint64 nowUs() const { return m_clock.nsecsElapsed() / 1000; }

    QList<Piece> m_pieces;
    QElapsedTimer m_clock;
    QTimer m_timer; // where there is no timerfd
    int m_timerFd = -1;  // wakes to the microsecond; QTimer only to the millisecond
    qint64 m_lineFreeUs = 0;
    int m_charUs = 0;
};

} // namespace korvanta::sim
