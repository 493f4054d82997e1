// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/networklink.h"

#include "link/wait.h"

#include <QCoreApplication>

namespace korvanta {

namespace {
struct NetworkTexts {
    Q_DECLARE_TR_FUNCTIONS(korvanta::NetworkLink)
};
constexpr int kBannerLength = 120;
} // namespace

NetworkLink::NetworkLink(const PortAddress &address, QObject *parent) : Link(parent), m_address(address)
{
    connect(&m_socket, &QTcpSocket::readyRead, this, &NetworkLink::onReadyRead);
    connect(&m_socket, &QTcpSocket::disconnected, this, &NetworkLink::onEnded);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError) {
        if (m_socket.state() != QAbstractSocket::ConnectedState)
            onEnded();
    });
}

bool NetworkLink::open()
{
    if (m_open)
        return true;
    m_socket.abort(); // what is left of an earlier connection ends here, not in this one
    m_input.clear();
    m_banner.clear();
    m_ended = false;
    m_whyNotOpen.clear();
    m_codec.reset(m_address.kind == PortAddress::Rfc2217 ? new TelnetCodec(true) : nullptr);
    if (!connectToServer() || !negotiate()) {
        m_socket.abort();
        return false;
    }
    m_open = true;
    return true;
}

bool NetworkLink::connectToServer()
{
    const QString where = m_address.text();
    m_socket.connectToHost(m_address.host, m_address.port);
    waitFor(QDeadlineTimer(m_deadlines.connectMs),
            [this] { return m_socket.state() == QAbstractSocket::ConnectedState || m_ended; });
    if (m_socket.state() == QAbstractSocket::ConnectedState) {
        // A command goes out at once, not held back for an earlier one's acknowledgement.
        m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
        return true;
    }
    switch (m_socket.error()) {
    case QAbstractSocket::ConnectionRefusedError:
        m_whyNotOpen = NetworkTexts::tr("%1 への接続は拒否されました。サーバーが動いているか、ポート番号が正しいか確かめてください。")
                           .arg(where);
        break;
    case QAbstractSocket::HostNotFoundError:
        m_whyNotOpen = NetworkTexts::tr("%1: ホスト「%2」が見つかりません。").arg(where, m_address.host);
        break;
    default:
        m_whyNotOpen = m_ended ? QStringLiteral("%1: %2").arg(where, m_socket.errorString())
                               : NetworkTexts::tr("%1 は %2 秒以内に接続に応答しませんでした。")
                                     .arg(where)
                                     .arg(m_deadlines.connectMs / 1000.0);
    }
    return false;
}

bool NetworkLink::negotiate()
{
    const QString where = m_address.text();
    if (!m_codec)
        return true; // a raw port has nothing to agree
    const TelnetCodec::Line line;
    m_socket.write(m_codec->opening() + TelnetCodec::setLine(line));
    m_socket.flush();
    const auto settled = [this] {
        return m_ended || m_codec->comPort() == TelnetCodec::Agreement::Refused
            || (m_codec->comPort() == TelnetCodec::Agreement::Agreed && m_codec->answers().complete());
    };
    waitFor(QDeadlineTimer(m_deadlines.negotiateMs), settled);
    const TelnetCodec::Answers &answers = m_codec->answers();
    if (m_codec->comPort() == TelnetCodec::Agreement::Refused)
        m_whyNotOpen = NetworkTexts::tr("%1 のサーバーは RFC 2217 (COM ポートの制御) を受け付けません。").arg(where);
    else if (m_ended)
        m_whyNotOpen = closedReason();
    else if (m_codec->comPort() != TelnetCodec::Agreement::Agreed)
        m_whyNotOpen = NetworkTexts::tr("%1 のサーバーは %2 秒以内に RFC 2217 (COM ポートの制御) に応じませんでした。")
                           .arg(where)
                           .arg(m_deadlines.negotiateMs / 1000.0);
    else if (!answers.complete())
        m_whyNotOpen = NetworkTexts::tr("%1 のサーバーは %2 秒以内にポートの設定に応じませんでした。")
                           .arg(where)
                           .arg(m_deadlines.negotiateMs / 1000.0);
    else if (*answers.baud != line.baud)
        m_whyNotOpen = NetworkTexts::tr("%1 のサーバーは速度 19200 bit/s を受け付けませんでした (%2 bit/s と応答)。")
                           .arg(where)
                           .arg(*answers.baud);
    else if (*answers.dataSize != line.dataSize || *answers.parity != line.parity
             || *answers.stopSize != line.stopSize || *answers.control != line.control)
        m_whyNotOpen = NetworkTexts::tr("%1 のサーバーは 8 ビット、パリティなし、ストップビット 1、フロー制御なしを受け付けませんでした。")
                           .arg(where);
    return m_whyNotOpen.isEmpty();
}

QString NetworkLink::closedReason() const
{
    const QString said = QString::fromLatin1(m_banner).simplified();
    QString why = NetworkTexts::tr("%1 のサーバーが接続を閉じました。ポートは他のクライアントが使用中かもしれません。")
                      .arg(m_address.text());
    if (!said.isEmpty())
        why += NetworkTexts::tr("(サーバーの応答:「%1」)").arg(said);
    return why;
}

QString NetworkLink::whyLost() const
{
    if (!m_ended)
        return {};
    // A server that refuses a client on a port in use says so, then closes.
    if (!m_banner.isEmpty() && m_banner.size() <= kBannerLength)
        return closedReason();
    return NetworkTexts::tr("%1 との接続が切れました (サーバーが止まったか、ネットワークが切れました)。")
        .arg(m_address.text());
}

void NetworkLink::close()
{
    m_open = false;
    m_input.clear();
    if (m_socket.state() != QAbstractSocket::UnconnectedState) {
        m_socket.flush();
        m_socket.disconnectFromHost();
    }
}

void NetworkLink::output(const QByteArray &text)
{
    if (!m_open || m_ended)
        return;
    m_socket.write(m_codec ? m_codec->encode(text) : text);
    m_socket.flush();
}

int NetworkLink::outBufferCount() const
{
    return m_open && !m_ended ? int(qMin<qint64>(m_socket.bytesToWrite(), INT_MAX)) : 0;
}

QByteArray NetworkLink::readBuffered(int max)
{
    const QByteArray taken = m_input.left(max);
    m_input.remove(0, taken.size());
    return taken;
}

void NetworkLink::onReadyRead()
{
    const QByteArray bytes = m_socket.readAll();
    QByteArray data = bytes;
    if (m_codec) {
        data = m_codec->decode(bytes);
        if (const QByteArray replies = m_codec->takeReplies(); !replies.isEmpty()) {
            m_socket.write(replies);
            m_socket.flush();
        }
    }
    if (data.isEmpty())
        return;
    // The first words of a connection: a server that refuses the client
    // says why in them.
    if (m_banner.size() <= kBannerLength)
        m_banner += data.left(kBannerLength + 1 - m_banner.size());
    if (!m_open)
        return;
    m_input += data;
    emit commEvent(comEvReceive);
}

void NetworkLink::onEnded()
{
    if (m_ended)
        return;
    m_ended = true;
    if (m_open)
        emit commEvent(comEventLineLost);
}

} // namespace korvanta
