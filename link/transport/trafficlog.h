// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/transport/link.h"

#include <QDateTime>
#include <functional>
#include <memory>

namespace korvanta {

// The file of --log: every line sent and every reply received, appended one
// line each: the local time to the millisecond, the port in brackets (so that
// the lines of several programs on several ports sharing one log can be told
// apart), "send" or "recv", and the text
// with CR, LF and backslash written as \r, \n, \\ and every other byte outside
// printable ASCII as \xHH. Each line reaches the file in one write, so lines
// of several programs appending to one file never mix. A line holds at most
// kMaxRecord bytes of its text; what came beyond is counted after it, as
// "… (n bytes more)", the file's one character outside ASCII, so that no
// text can be taken for it.
class TrafficLog {
public:
    static constexpr int kMaxRecord = 4096;

    TrafficLog() = default;
    ~TrafficLog();
    TrafficLog(const TrafficLog &) = delete;
    TrafficLog &operator=(const TrafficLog &) = delete;

    // False, with the file's name and the system's reason, when the file
    // cannot be opened for appending (a folder, a missing folder, no right).
    bool open(const QString &path, QString *error);

    void sent(const QString &port, const QByteArray &text) { write(port, "send", text, 0, QDateTime::currentDateTime()); }
    // A reply, stamped with the time its last byte came in; `more` bytes came
    // after text and were not kept.
    void received(const QString &port, const QByteArray &text, const QDateTime &at, qint64 more = 0)
    {
        write(port, "recv", text, more, at);
    }

    // Called once, with the file's name and the system's reason, when a line
    // could not be written (a full disk); nothing more is written after it.
    void onWriteFailure(std::function<void(const QString &why)> handler) { m_onFailure = std::move(handler); }

    static QByteArray escaped(const QByteArray &text);

private:
    void write(const QString &port, const char *direction, const QByteArray &text, qint64 more, const QDateTime &at);

    QString m_path;
    int m_fd = -1;
    std::function<void(const QString &)> m_onFailure;
};

// A link that passes everything to another and writes to the log what was
// sent, and as one reply what was read between two sends (written at the next
// send, at close, and when the link goes away, stamped with the time its last
// byte came in). Of a reply it keeps what the log's line takes, and counts the
// rest as it comes.
class TrafficLogLink : public Link {
    Q_OBJECT
public:
    TrafficLogLink(std::unique_ptr<Link> inner, TrafficLog &log, QObject *parent = nullptr);
    ~TrafficLogLink() override;

    bool open() override { return m_inner->open(); }
    void close() override;
    bool isOpen() const override { return m_inner->isOpen(); }
    void output(const QByteArray &text) override;
    int inBufferCount() const override { return m_inner->inBufferCount(); }
    int outBufferCount() const override { return m_inner->outBufferCount(); }
    QString description() const override { return m_inner->description(); }
    bool overNetwork() const override { return m_inner->overNetwork(); }
    QString whyNotOpen() const override { return m_inner->whyNotOpen(); }
    QString whyLost() const override { return m_inner->whyLost(); }

protected:
    QByteArray readBuffered(int max) override;

private:
    void writeReply();

    std::unique_ptr<Link> m_inner;
    TrafficLog &m_log;
    QByteArray m_reply; // read since the last send, up to TrafficLog::kMaxRecord bytes
    qint64 m_replyMore = 0; // read since the last send beyond that
    qint64 m_replyAt = 0; // when its last byte came in, ms since the epoch
};

} // namespace korvanta
