// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <utility>

namespace korvanta {

// Codes that the link raises through Link::commEvent, as the adapter utility
// has always numbered them.
enum CommEvent : int {
    comEvSend = 1,
    comEvReceive = 2,
    comEvCTS = 3,
    comEvDSR = 4,
    comEvCD = 5,
    comEvRing = 6,
    comEvEOF = 7,
    comEventBreak = 1001,
    comEventCTSTO = 1002,
    comEventDSRTO = 1003,
    comEventFrame = 1004,
    comEventOverrun = 1006,
    comEventCDTO = 1007,
    comEventRxOver = 1008,
    comEventRxParity = 1009,
    comEventTxFull = 1010,
    // Not a classic code: the device went away (unplugged, pty closed). Its
    // box says the line to the adapter was lost.
    comEventLineLost = 1100,
};

// The serial line to the adapter as the exchanges see it. Text is single-byte
// ASCII. Reads never wait; writes queue a whole string.
class Link : public QObject {
    Q_OBJECT
public:
    static constexpr int kBulkInputLen = 2048;

    // The serial control of the main window, known by its form name.
    explicit Link(QObject *parent = nullptr) : QObject(parent) { setObjectName(QStringLiteral("MSComm1")); }
    ~Link() override = default;

    // Opens the line at 19200,N,8,1. False when the device cannot be opened.
    virtual bool open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Queues the whole text for sending. Ignored while the line is closed.
    virtual void output(const QByteArray &text) = 0;

    // A command of an exchange: output(), then what whenSent() left for that
    // moment, once.
    // True when the command left on an open line.
    bool send(const QByteArray &text)
    {
        if (m_stop && m_stop()) {
            close();
            return false;
        }
        m_lastCommand = text.trimmed();
        const bool leaves = isOpen();
        output(text);
        if (leaves)
            ++m_commandsSent;
        if (auto work = std::exchange(m_whenSent, {}))
            work();
        return leaves;
    }
    // How many commands have left on an open line so far: whether one did.
    quint64 commandsSent() const { return m_commandsSent; }
    // Asked before each command an exchange sends: once it holds, the
    // command is not sent, the line closes instead, and the exchange fails
    // at once. A program that is told to end uses it so that nothing more
    // goes out.
    void stopWhen(std::function<bool()> stop) { m_stop = std::move(stop); }
    // The command an exchange sent last, without its CR: what a failure is about.
    const QByteArray &lastCommand() const { return m_lastCommand; }
    // Work to do once the next command is on its way, while the adapter
    // answers: preparing a window for the wait then takes the line's time
    // instead of holding the command back. Replaces what was left before; an
    // empty function clears it.
    void whenSent(std::function<void()> work) { m_whenSent = std::move(work); }

    // Up to inputLen() buffered characters, empty when none are buffered.
    QByteArray input() { return isOpen() ? readBuffered(m_inputLen) : QByteArray(); }
    void setInputLen(int n) { m_inputLen = n; }
    int inputLen() const { return m_inputLen; }

    // Characters waiting to be read, and characters not yet transmitted.
    virtual int inBufferCount() const = 0;
    virtual int outBufferCount() const = 0;

    // Where the line goes (a device path, or the simulated adapter).
    virtual QString description() const = 0;
    // Whether the line is a connection to a console server, not a port of
    // this machine.
    virtual bool overNetwork() const { return false; }

    // Why the last open() failed, in Japanese, from what the system answered
    // that open; empty when there is nothing more to say.
    virtual QString whyNotOpen() const { return {}; }
    // Why the line was lost, in Japanese, where the link knows more than
    // that it was; empty otherwise.
    virtual QString whyLost() const { return {}; }

signals:
    // Raised for every receive, notification and error; see CommEvent.
    void commEvent(int code);

protected:
    virtual QByteArray readBuffered(int max) = 0;

private:
    int m_inputLen = kBulkInputLen;
    std::function<void()> m_whenSent;
    std::function<bool()> m_stop;
    QByteArray m_lastCommand;
    quint64 m_commandsSent = 0;
};

} // namespace korvanta
