// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/session/session.h"

#include "link/transport/link.h"
#include "link/session/messages.h"

namespace korvanta {

Session::Session(Link &l, WorkFile &w, const Timing &t) : link(l), workFile(w), timing(t) {}

std::optional<QByteArray> Session::query(const QByteArray &command, int window)
{
    BusyScope busy(*this);
    return QueryExchange(link, command, timing.queryDeadlineMs, window);
}

bool Session::set(const QByteArray &command, QObject *parent, const std::function<void()> &meanwhile)
{
    if (rehearsal) {
        rehearsal->append(command);
        if (meanwhile)
            meanwhile();
        return true;
    }
    BusyScope busy(*this);
    const quint64 sentBefore = link.commandsSent();
    const bool acknowledged = SetExchange(
        link, command, timing.setDeadlineMs, [parent, &command] { reportReceiveFailure(parent, command); }, meanwhile);
    if (setRecord && link.commandsSent() != sentBefore)
        setRecord->append({command, acknowledged});
    return acknowledged;
}

bool Session::setEach(const QList<QByteArray> &commands, QObject *parent)
{
    return setEach(std::vector<CommandMaker>{[&commands] { return commands; }}, parent);
}

bool Session::setEach(const std::vector<CommandMaker> &procedures, QObject *parent)
{
    QList<QByteArray> ready; // made and not sent yet
    size_t made = 0;         // procedures whose commands were made
    const auto makeNext = [&] {
        while (ready.isEmpty() && made < procedures.size())
            for (const QByteArray &command : procedures[made++]())
                if (!command.isEmpty())
                    ready << command;
    };
    makeNext();
    while (!ready.isEmpty()) {
        const QByteArray command = ready.takeFirst();
        if (!set(command, parent, makeNext))
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
