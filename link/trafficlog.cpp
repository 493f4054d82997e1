#include "link/trafficlog.h"

#include <QDateTime>

namespace korvanta {

bool TrafficLog::open(const QString &path, QString *error)
{
    m_file.setFileName(path);
    if (m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return true;
    if (error)
        *error = QStringLiteral("%1: %2").arg(path, m_file.errorString());
    return false;
}

QByteArray TrafficLog::escaped(const QByteArray &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\\')
            out += "\\\\";
        else if (byte < 0x20 || byte >= 0x7f)
            out += "\\x" + QByteArray::number(byte, 16).rightJustified(2, '0');
        else
            out += c;
    }
    return out;
}

void TrafficLog::write(const char *direction, const QByteArray &text, const QDateTime &at)
{
    if (!m_file.isOpen())
        return;
    const QByteArray stamp = at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toLatin1();
    m_file.write(stamp + ' ' + direction + ' ' + escaped(text) + '\n');
}

TrafficLogLink::TrafficLogLink(std::unique_ptr<Link> inner, TrafficLog &log, QObject *parent)
    : Link(parent), m_inner(std::move(inner)), m_log(log)
{
    connect(m_inner.get(), &Link::commEvent, this, &Link::commEvent);
}

TrafficLogLink::~TrafficLogLink()
{
    writeReply();
}

void TrafficLogLink::close()
{
    writeReply();
    m_inner->close();
}

void TrafficLogLink::output(const QByteArray &text)
{
    if (!isOpen())
        return;
    writeReply();
    m_log.sent(text);
    m_inner->output(text);
}

QByteArray TrafficLogLink::readBuffered(int max)
{
    m_inner->setInputLen(max);
    const QByteArray text = m_inner->input();
    if (!text.isEmpty()) {
        m_reply += text;
        m_replyAt = QDateTime::currentDateTime();
    }
    return text;
}

void TrafficLogLink::writeReply()
{
    if (!m_reply.isEmpty())
        m_log.received(std::exchange(m_reply, {}), m_replyAt);
}

LinkFactory loggedLinkFactory(LinkFactory factory, TrafficLog &log)
{
    factory.create = [create = std::move(factory.create), &log](int port) -> std::unique_ptr<Link> {
        std::unique_ptr<Link> link = create ? create(port) : nullptr;
        if (!link)
            return nullptr;
        return std::make_unique<TrafficLogLink>(std::move(link), log);
    };
    return factory;
}

} // namespace korvanta
