// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/session.h"

#include "link/link.h"
#include "link/messages.h"

namespace korvanta {

Session::Session(Link &l, WorkFile &w, const Timing &t) : link(l), workFile(w), timing(t) {}

std::optional<QByteArray> Session::query(const QByteArray &command, int window)
{
    BusyScope busy(*this);
    return QueryExchange(link, command, timing.queryDeadlineMs, window);
}

bool Session::set(const QByteArray &command, QObject *parent)
{
    BusyScope busy(*this);
    return SetExchange(link, command, timing.setDeadlineMs, [parent, &command] { reportReceiveFailure(parent, command); });
}

bool Session::setEach(const QList<QByteArray> &commands, QObject *parent)
{
    for (const QByteArray &command : commands)
        if (!command.isEmpty() && !set(command, parent)) {
            WriteFailed = 1;
            return false;
        }
    return true;
}

void Session::reportReceiveFailure(QObject *parent, const QByteArray &command)
{
    MessageRequest r;
    r.text = kReceiveFailed;
    if (!command.isEmpty())
        r.informative = kCommandSent.toString().arg(QString::fromLatin1(command.trimmed()));
    Messages::show(r, parent);
}

} // namespace korvanta
