// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/transport/tcpstream.h"

#include "link/transport/wait.h"

#include <QCoreApplication>

#include <fcntl.h>

namespace korvanta {

namespace {
struct StreamTexts {
    Q_DECLARE_TR_FUNCTIONS(korvanta::NetworkLink)
};
} // namespace

TcpStream::TcpStream(QTcpSocket *socket, QObject *parent) : ByteStream(parent), m_socket(socket)
{
    m_socket->setParent(this);
    connect(m_socket, &QTcpSocket::readyRead, this, &ByteStream::readyRead);
    connect(m_socket, &QTcpSocket::bytesWritten, this, &ByteStream::bytesWritten);
    connect(m_socket, &QTcpSocket::disconnected, this, &ByteStream::ended);
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError) {
        if (m_socket->state() != QAbstractSocket::ConnectedState)
            emit ended();
    });
}

bool TcpStream::open(const PortAddress &address, const QDeadlineTimer &deadline, QString *why)
{
    return connectSocket(address, deadline, why);
}

bool TcpStream::connectSocket(const PortAddress &address, const QDeadlineTimer &deadline, QString *why)
{
    m_socket->abort(); // what is left of an earlier connection ends here, not in this one
    bool ended = false;
    const auto end = connect(this, &ByteStream::ended, this, [&ended] { ended = true; });
    const qint64 allowedMs = deadline.remainingTime();
    startConnecting(address);
    waitFor(deadline, [this, &ended] { return isConnected() || ended; });
    disconnect(end);
    if (isConnected()) {
        m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        return true;
    }
    const QString where = address.text();
    switch (m_socket->error()) {
    case QAbstractSocket::ConnectionRefusedError:
        *why = StreamTexts::tr("%1 への接続は拒否されました。サーバーが動いているか、ポート番号が正しいか確かめてください。")
                   .arg(where);
        break;
    case QAbstractSocket::HostNotFoundError:
        *why = StreamTexts::tr("%1: ホスト「%2」が見つかりません。").arg(where, address.host);
        break;
    default:
        *why = ended ? QStringLiteral("%1: %2").arg(where, m_socket->errorString())
                     : StreamTexts::tr("%1 は %2 秒以内に接続に応答しませんでした。").arg(where).arg(allowedMs / 1000.0);
    }
    return false;
}

int TcpStream::takeDescriptor()
{
    const int descriptor = isConnected() ? ::fcntl(int(m_socket->socketDescriptor()), F_DUPFD_CLOEXEC, 0) : -1;
    m_socket->abort(); // closes its own descriptor only: the connection stays with the other
    return descriptor;
}

void TcpStream::close()
{
    if (m_socket->state() != QAbstractSocket::UnconnectedState) {
        m_socket->flush();
        m_socket->disconnectFromHost();
    }
}

qint64 TcpStream::write(const QByteArray &bytes)
{
    const qint64 written = m_socket->write(bytes);
    m_socket->flush();
    return written;
}

} // namespace korvanta
