// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/transport/link.h"

#include <QList>
#include <QTimer>

// A link whose far end follows a script: each command written gets the next
// scripted answer, delivered in the given pieces at the given delays.
class ScriptedLink : public korvanta::Link {
    Q_OBJECT
public:
    struct Piece {
        int delayMs; // after the command was written (or after the previous piece)
        QByteArray bytes;
    };
    using Answer = QList<Piece>;

    bool open() override { return m_open = true; }
    void close() override { m_open = false; m_rx.clear(); }
    bool isOpen() const override { return m_open; }
    int inBufferCount() const override { return m_rx.size(); }
    int outBufferCount() const override { return 0; }
    QString description() const override { return QStringLiteral("scripted"); }

    void output(const QByteArray &text) override
    {
        if (!m_open)
            return;
        written << text;
        if (m_answers.isEmpty())
            return;
        int at = 0;
        for (const Piece &p : m_answers.takeFirst()) {
            at += p.delayMs;
            QTimer::singleShot(at, this, [this, bytes = p.bytes] { deliver(bytes); });
        }
    }

    // The answer to the next command written.
    void script(const Answer &answer) { m_answers << answer; }
    // Bytes arriving now, unasked.
    void deliver(const QByteArray &bytes)
    {
        if (!m_open)
            return;
        m_rx += bytes;
        emit commEvent(korvanta::comEvReceive);
    }
    void raise(int code) { emit commEvent(code); }

    QList<QByteArray> written;

protected:
    QByteArray readBuffered(int max) override
    {
        const QByteArray out = m_rx.left(max);
        m_rx.remove(0, out.size());
        return out;
    }

private:
    bool m_open = true;
    QByteArray m_rx;
    QList<Answer> m_answers;
};
