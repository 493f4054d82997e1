// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/transport/networklink.h"

#include "link/transport/streamfor.h"
#include "link/transport/wait.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace korvanta {

namespace {
struct NetworkTexts {
    Q_DECLARE_TR_FUNCTIONS(korvanta::NetworkLink)
};
constexpr int kBannerLength = 120;
constexpr int kReadPiece = 16 * 1024;
} // namespace

NetworkLink::NetworkLink(const PortAddress &address, QObject *parent)
    : Link(parent), m_address(address), m_stream(streamFor(address, this))
{
    // The stream's own buffer is bounded too: once it is full, the server is
    // held back until the link takes more.
    m_stream->setReadBufferSize(kMaxInput);
    connect(m_stream, &ByteStream::readyRead, this, &NetworkLink::pump);
    connect(m_stream, &ByteStream::bytesWritten, this, &NetworkLink::answer);
    connect(m_stream, &ByteStream::ended, this, &NetworkLink::onEnded);
}

bool NetworkLink::open()
{
    if (m_open)
        return true;
    m_stream->abort(); // what is left of an earlier connection ends here, not in this one
    m_input.clear();
    m_banner.clear();
    m_asked = false;
    m_ended = false;
    m_closedByServer = false;
    m_whyNotOpen.clear();
    m_codec.reset(m_address.kind == PortAddress::Rfc2217 ? new TelnetCodec(true) : nullptr);
    const bool connected = m_stream->open(m_address, QDeadlineTimer(m_deadlines.connectMs), &m_whyNotOpen);
    if (!connected && m_stream->closedByServer()) // it took the connection, and closed it at once
        m_whyNotOpen = closedReason();
    if (!connected || !negotiate()) {
        m_stream->abort();
        return false;
    }
    m_open = true;
    return true;
}

bool NetworkLink::negotiate()
{
    const QString where = m_address.text();
    if (!m_codec)
        return true; // a raw port has nothing to agree
    const TelnetCodec::Line line;
    m_stream->write(m_codec->opening() + TelnetCodec::setLine(line));
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

// The server's own words are those it said before the adapter was asked
// anything: a server that refuses a client says why, then closes. That
// another client holds the port is said only where they say so.
QString NetworkLink::closedReason() const
{
    static const QRegularExpression inUse(QStringLiteral("\\b(in use|busy)\\b"),
                                          QRegularExpression::CaseInsensitiveOption);
    const QString said = QString::fromLatin1(m_banner).simplified();
    QString why = inUse.match(said).hasMatch()
        ? NetworkTexts::tr("%1 のサーバーが接続を閉じました。ポートは他のクライアントが使用中かもしれません。")
        : NetworkTexts::tr("%1 との接続は閉じられました。");
    why = why.arg(m_address.text());
    if (!said.isEmpty())
        why += NetworkTexts::tr("(サーバーの応答:「%1」)").arg(said);
    return why + m_stream->closingHint();
}

QString NetworkLink::whyLost() const
{
    if (!m_ended)
        return {};
    if (m_closedByServer)
        return closedReason();
    return NetworkTexts::tr("%1 との接続が切れました (サーバーが止まったか、ネットワークが切れました)。")
        .arg(m_address.text());
}

void NetworkLink::close()
{
    m_open = false;
    m_input.clear();
    m_stream->close();
}

void NetworkLink::output(const QByteArray &text)
{
    if (!m_open || m_ended)
        return;
    m_asked = true;
    m_stream->write(m_codec ? m_codec->encode(text) : text);
}

int NetworkLink::outBufferCount() const
{
    return m_open && !m_ended ? int(qMin<qint64>(m_stream->bytesToWrite(), INT_MAX)) : 0;
}

QByteArray NetworkLink::readBuffered(int max)
{
    const QByteArray taken = m_input.left(max);
    m_input.remove(0, taken.size());
    // What waits in the socket comes in from the event loop, not from here:
    // a receiver that reads at every receive event would otherwise nest.
    if (!m_pumpQueued && m_stream->bytesAvailable() > 0) {
        m_pumpQueued = true;
        QMetaObject::invokeMethod(this, &NetworkLink::pump, Qt::QueuedConnection);
    }
    return taken;
}

// Takes what the server sent, as far as there is room for its data. Before
// the line is open its data goes nowhere; only the first words of the
// connection are kept, as the server's own.
void NetworkLink::pump()
{
    m_pumpQueued = false;
    bool received = false;
    for (;;) {
        const qint64 room = m_open ? kMaxInput - m_input.size() : kReadPiece;
        if (room <= 0 || m_stream->bytesAvailable() <= 0) // nothing waits: the connection may have ended meanwhile
            break;
        const QByteArray bytes = m_stream->read(qMin<qint64>(room, kReadPiece));
        if (bytes.isEmpty())
            break;
        const QByteArray data = m_codec ? m_codec->decode(bytes) : bytes;
        answer();
        if (!m_asked && m_banner.size() < kBannerLength)
            m_banner += data.left(kBannerLength - m_banner.size());
        if (m_open && !data.isEmpty()) {
            m_input += data;
            received = true;
        }
    }
    if (received)
        emit commEvent(comEvReceive);
}

// The server's requests are answered while less than kMaxUnsent bytes wait
// to go out; the answers wait in the codec otherwise, until the server reads.
void NetworkLink::answer()
{
    if (!m_codec || m_stream->bytesToWrite() >= kMaxUnsent)
        return;
    if (const QByteArray replies = m_codec->takeReplies(); !replies.isEmpty())
        m_stream->write(replies);
}

void NetworkLink::onEnded()
{
    if (m_ended)
        return;
    m_ended = true;
    m_closedByServer = m_stream->closedByServer();
    if (m_open)
        emit commEvent(comEventLineLost);
}

} // namespace korvanta
