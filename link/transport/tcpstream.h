// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/transport/stream.h"

#include <QTcpSocket>

namespace korvanta {

// A plain TCP connection, without delay for small writes: a command goes out
// at once, not held back for an earlier one's acknowledgement.
class TcpStream : public ByteStream {
    Q_OBJECT
public:
    explicit TcpStream(QObject *parent = nullptr) : TcpStream(new QTcpSocket, parent) {}

    bool open(const PortAddress &address, const QDeadlineTimer &deadline, QString *why) override;
    void abort() override { m_socket->abort(); }
    void close() override;
    qint64 write(const QByteArray &bytes) override;
    QByteArray read(qint64 max) override { return m_socket->read(max); }
    qint64 bytesAvailable() const override { return m_socket->bytesAvailable(); }
    qint64 bytesToWrite() const override { return m_socket->bytesToWrite(); }
    bool isConnected() const override { return m_socket->state() == QAbstractSocket::ConnectedState; }
    bool closedByServer() const override { return m_socket->error() == QAbstractSocket::RemoteHostClosedError; }
    QString errorString() const override { return m_socket->errorString(); }
    void setReadBufferSize(qint64 size) override { m_socket->setReadBufferSize(size); }
    // Hands the connected socket over: a descriptor of it, the caller's to
    // close, the stream left unconnected; -1 when it is not connected.
    int takeDescriptor();

protected:
    // A stream over socket, which it takes as its child (a secure socket
    // for a stream that encrypts).
    TcpStream(QTcpSocket *socket, QObject *parent);
    // Begins to connect the socket to the address.
    virtual void startConnecting(const PortAddress &address) { m_socket->connectToHost(address.host, address.port); }
    // Connects the socket within the deadline (isConnected()); false with why.
    bool connectSocket(const PortAddress &address, const QDeadlineTimer &deadline, QString *why);

    QTcpSocket *const m_socket; // among the link's children, where a test finds it
};

} // namespace korvanta
