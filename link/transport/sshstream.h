// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/transport/stream.h"

#include <QTimer>

#include <functional>

struct ssh_session_struct;
struct ssh_channel_struct;
class QSocketNotifier;

namespace korvanta {

// A console server's port in a secure shell's channel (ssh://): the server's
// host key checked against ~/.ssh/known_hosts, the login by ssh-agent, the
// user's default keys or the port's own key (ports.conf "key"), then a shell
// whose bytes are the port's (the server's forced command gives the serial
// port). Driven from the event loop: nothing waits on the network but the
// open, and that only until its deadline.
class SshStream : public ByteStream {
    Q_OBJECT
public:
    explicit SshStream(QObject *parent = nullptr);
    ~SshStream() override;

    bool open(const PortAddress &address, const QDeadlineTimer &deadline, QString *why) override;
    void abort() override;
    void close() override;
    qint64 write(const QByteArray &bytes) override;
    QByteArray read(qint64 max) override;
    qint64 bytesAvailable() const override { return m_in.size(); }
    qint64 bytesToWrite() const override { return m_out.size(); }
    bool isConnected() const override { return m_channel && !m_ended; }
    bool closedByServer() const override { return m_closedByServer; }
    QString errorString() const override { return m_error; }
    void setReadBufferSize(qint64 size) override { m_readBufferSize = size; }

private:
    // The steps of open(); each false with why.
    bool connectSession(const PortAddress &address, const QDeadlineTimer &deadline, QString *why);
    bool checkHostKey(const PortAddress &address, QString *why);
    bool logIn(const PortAddress &address, const QDeadlineTimer &deadline, QString *why);
    bool openShell(const PortAddress &address, const QDeadlineTimer &deadline, QString *why);
    // Calls step until it returns something but again, the event loop running
    // between calls; false when the deadline passed first. Its last result in *rc.
    bool drive(const std::function<int()> &step, int again, const QDeadlineTimer &deadline, int *rc);
    // Sends what waits and takes what came, as far as there is room; ends the
    // stream when the channel or the connection ended.
    void pump();
    void end(bool byServer, const QString &error);
    // The session's own words for its last failure.
    QString sessionError() const;
    void release();

    ssh_session_struct *m_session = nullptr;
    ssh_channel_struct *m_channel = nullptr;
    QSocketNotifier *m_notifier = nullptr;
    QTimer m_tick; // flushes what waits to go out; keeps a quiet connection alive
    QByteArray m_in, m_out;
    qint64 m_readBufferSize = 0;
    bool m_ended = false;
    bool m_closedByServer = false;
    QString m_error;
};

} // namespace korvanta
