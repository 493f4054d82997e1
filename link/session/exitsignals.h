// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QSocketNotifier;

namespace korvanta {

// SIGTERM, SIGINT and SIGHUP (a logout, kill, a closed terminal) as an event of
// the event loop instead of the end of the process: the handler only writes
// the signal's number into a socket pair, and received() is emitted when the
// event loop next reads it. While an instance lives the signals no longer end
// the process by themselves; destroyed, it gives them back their defaults.
class ExitSignals : public QObject {
    Q_OBJECT
public:
    explicit ExitSignals(QObject *parent = nullptr);
    ~ExitSignals() override;

    // The first of the signals caught while an instance lived, 0 before one
    // came: set by the handler itself, so it is known at once, before the
    // event loop runs again.
    static int caught();

signals:
    void received(int signalNumber);

private:
    void readPending();

    QSocketNotifier *m_notifier = nullptr;
};

} // namespace korvanta
