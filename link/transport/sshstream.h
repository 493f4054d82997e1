// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/transport/secrets.h"
#include "link/transport/stream.h"

#include <QTimer>

#include <functional>
#include <memory>

struct ssh_session_struct;
struct ssh_channel_struct;
struct ssh_callbacks_struct;
class QSocketNotifier;

namespace korvanta {

class TcpStream;

// A console server's port in a secure shell's channel (ssh://): the server's
// host key checked against ~/.ssh/known_hosts, the login by ssh-agent, the
// user's default keys or the port's own key (ports.conf "key"), or a
// password, then a shell whose bytes are the port's (the server's forced
// command gives the serial port). A key's passphrase and a password are asked
// through the program's asker (setSecretAsker()), if it has one, and wiped
// once used. Driven from the event loop: nothing waits on the network but the
// open, and that only until its deadline, which the time the operator takes
// to answer does not use up. The name is looked up and the TCP connection
// made by a TcpStream within it too; libssh takes the socket from there.
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
    TrustOffer trustOffer() const override { return m_offer; }

private:
    // The steps of open(), within m_deadline; each false with why.
    bool connectSession(const PortAddress &address, QString *why);
    bool checkHostKey(const PortAddress &address, QString *why);
    bool logIn(const PortAddress &address, QString *why);
    // By the port's own key file: its passphrase asked when it has one and
    // ssh-agent did not log in. *rc as a login's; false with why when the
    // key cannot be read.
    bool logInByKeyFile(const PortAddress &address, int *rc, QString *why);
    // By a password or the server's questions, when it takes them and the
    // keys did not get in; *rc as a login's.
    void logInByPassword(const PortAddress &address, const QString &user, int *rc);
    bool openShell(const PortAddress &address, QString *why);
    // Calls step until it returns something but again, the event loop running
    // between calls; false when the deadline passed first. Its last result in *rc.
    bool drive(const std::function<int()> &step, int again, int *rc);
    // The operator's answer (askSecret()), the time they took added to the
    // deadline; nothing, and m_declined set, when they declined.
    std::optional<QByteArray> ask(const SecretRequest &request);
    // libssh's question for a key's passphrase, to m_askingKey's asker.
    static int passphrase(const char *prompt, char *buffer, size_t length, int echo, int verify, void *stream);
    // Sends what waits and takes what came, as far as there is room; ends the
    // stream when the channel or the connection ended.
    void pump();
    void end(bool byServer, const QString &error);
    // The session's own words for its last failure.
    QString sessionError() const;
    void release();

    TcpStream *const m_tcp; // connects; its socket is libssh's once connected
    std::unique_ptr<ssh_callbacks_struct> m_callbacks;
    ssh_session_struct *m_session = nullptr;
    ssh_channel_struct *m_channel = nullptr;
    QSocketNotifier *m_notifier = nullptr;
    QTimer m_tick; // flushes what waits to go out; keeps a quiet connection alive
    QByteArray m_in, m_out;
    qint64 m_readBufferSize = 0;
    bool m_ended = false;
    bool m_closedByServer = false;
    QString m_error;
    QDeadlineTimer m_deadline; // the open's
    QString m_address;         // the open's, as written
    QString m_askingKey;       // the key whose passphrase libssh may ask; empty: the default keys
    bool m_declined = false;   // the operator declined to answer during the open
    TrustOffer m_offer;        // the host key of the last refusal, when it is only unknown
};

} // namespace korvanta
