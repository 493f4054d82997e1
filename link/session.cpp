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
    return SetExchange(link, command, timing.setDeadlineMs, [parent] { reportReceiveFailure(parent); });
}

void Session::reportReceiveFailure(QObject *parent)
{
    Messages::inform(kReceiveFailed, parent);
}

} // namespace korvanta
