// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>
#include <deque>
#include <functional>

namespace korvanta {

class Link;

// Handles every event the link raises: received text goes to the terminal while
// one is open (otherwise it stays buffered for the exchange that waits for it),
// notifications are ignored, errors beep and ask whether to go on or close the
// line. One box at a time: an error raised while a box is open waits its turn,
// and one that repeats an error already waiting or shown is folded into it.
class CommEventHandler : public QObject {
    Q_OBJECT
public:
    using TerminalSink = std::function<void(const QByteArray &text)>;

    explicit CommEventHandler(Link &link, QObject *parent = nullptr);

    // While a sink is set the terminal is active and receives the text.
    void setTerminalSink(TerminalSink sink) { m_sink = std::move(sink); }
    bool terminalActive() const { return bool(m_sink); }
    void setDialogParent(QObject *parent) { m_parent = parent; }

    // The message of an error event; empty for receive, send and notifications.
    static QString errorMessage(int code);

    void handle(int code);

private:
    // Asks about one error; true when the operator chose to close the line.
    bool ask(int code);

    Link &m_link;
    TerminalSink m_sink;
    QPointer<QObject> m_parent;
    std::deque<int> m_errors; // the one being asked about first, then those waiting
};

} // namespace korvanta
