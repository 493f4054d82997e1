// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/protocol/exchange.h"

#include "link/transport/link.h"
#include "link/transport/wait.h"

#include <QDeadlineTimer>

namespace korvanta {

namespace {
constexpr char kAck[] = "OK\r\n";

int firstA(const QByteArray &buffer)
{
    for (int i = 0; i < buffer.size(); ++i)
        if (buffer[i] == 'A' || buffer[i] == 'a')
            return i;
    return -1;
}
} // namespace

std::optional<QByteArray> QueryExchange(Link &link, const QByteArray &command, int deadlineMs,
                                        int window, const AnswerAcceptor &accept)
{
    DiscardInput(link); // a late reply to an exchange that timed out is no answer to this one
    link.send(command + '\r');
    // Until the echo's "A" has come the buffer is blanks, where nothing can match.
    const QByteArray blanks(window, ' ');
    QByteArray buffer = blanks;
    const QDeadlineTimer deadline(deadlineMs, Qt::PreciseTimer);
    InputWait input(link, deadline);
    while (!deadline.hasExpired() && link.isOpen()) {
        if (!input.next())
            continue;
        buffer += link.input();
        const int a = firstA(buffer);
        if (a < 0) {
            buffer = blanks; // what came holds no "A": it can never be part of the answer
            continue;
        }
        buffer = buffer.mid(a, window);
        const int ok = buffer.indexOf(kAck);
        if (ok >= 0 && (!accept || accept(buffer)))
            return buffer;
    }
    return std::nullopt;
}

bool AwaitAcknowledge(Link &link, int deadlineMs)
{
    const QDeadlineTimer deadline(deadlineMs, Qt::PreciseTimer);
    int matched = 0; // characters of "OK" CR LF seen in a row
    InputWait input(link, deadline);
    while (!deadline.hasExpired() && link.isOpen()) {
        if (!input.next())
            continue;
        const QByteArray c = link.input();
        if (c.isEmpty())
            continue;
        if (c[0] == kAck[matched]) {
            if (++matched == 4)
                return true;
        } else {
            matched = 0; // the character is consumed, as the echo's own are
        }
    }
    return false;
}

void DiscardInput(Link &link)
{
    link.setInputLen(Link::kBulkInputLen);
    link.input();
}

bool SetExchange(Link &link, const QByteArray &command, int deadlineMs,
                 const std::function<void()> &onTimeout, const std::function<void()> &meanwhile)
{
    DiscardInput(link); // a late "OK" of an exchange that timed out is not this command's
    link.setInputLen(1);
    link.send(command + '\r');
    if (meanwhile)
        meanwhile();
    const bool acknowledged = AwaitAcknowledge(link, deadlineMs);
    if (!acknowledged && onTimeout)
        onTimeout();
    DiscardInput(link);
    return acknowledged;
}

} // namespace korvanta
