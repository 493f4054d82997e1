// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/transport/trafficlog.h"

#include <QDateTime>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace korvanta {

namespace {
QString systemReason(const QString &path, int error)
{
    return QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(error)));
}
} // namespace

TrafficLog::~TrafficLog()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool TrafficLog::open(const QString &path, QString *error)
{
    // A descriptor of its own in append mode: every line goes to the end of
    // the file, whoever else appends, and a device or pipe takes it as well.
    m_path = path;
    m_fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (m_fd >= 0)
        return true;
    if (error)
        *error = systemReason(path, errno);
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

void TrafficLog::write(const QString &port, const char *direction, const QByteArray &text, qint64 more,
                       const QDateTime &at)
{
    if (m_fd < 0)
        return;
    const QByteArray stamp = at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toLatin1();
    const QByteArray kept = text.left(kMaxRecord);
    more += text.size() - kept.size();
    QByteArray line = stamp + " [" + escaped(port.toUtf8()) + "] " + direction + ' ' + escaped(kept);
    if (more > 0)
        line += "\u2026 (" + QByteArray::number(more) + (more == 1 ? " byte more)" : " bytes more)");
    line += '\n';
    ssize_t written;
    do
        written = ::write(m_fd, line.constData(), size_t(line.size()));
    while (written < 0 && errno == EINTR);
    if (written == line.size())
        return;
    const QString why = systemReason(m_path, written < 0 ? errno : ENOSPC);
    ::close(m_fd);
    m_fd = -1;
    if (m_onFailure)
        m_onFailure(why);
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
    m_log.sent(m_inner->description(), text);
    m_inner->output(text);
}

QByteArray TrafficLogLink::readBuffered(int max)
{
    m_inner->setInputLen(max);
    const QByteArray text = m_inner->input();
    if (!text.isEmpty()) {
        const qsizetype kept = qBound<qsizetype>(0, TrafficLog::kMaxRecord - m_reply.size(), text.size());
        m_reply += text.left(kept);
        m_replyMore += text.size() - kept;
        m_replyAt = QDateTime::currentMSecsSinceEpoch(); // the local time only once the line is written
    }
    return text;
}

void TrafficLogLink::writeReply()
{
    if (!m_reply.isEmpty())
        m_log.received(m_inner->description(), std::exchange(m_reply, {}), QDateTime::fromMSecsSinceEpoch(m_replyAt),
                       std::exchange(m_replyMore, 0));
}

} // namespace korvanta
