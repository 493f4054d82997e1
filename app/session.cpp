#include "app/session.h"

#include "app/helpviewer.h"
#include "link/link.h"
#include "link/messages.h"


namespace korvanta {

Session::Session(Link &l, WorkFile &w, const Timing &t) : link(l), workFile(w), timing(t) {}

std::optional<QByteArray> Session::query(const QByteArray &command, int window)
{
    BusyScope busy(*this);
    return QueryExchange(link, command, timing.queryDeadlineMs, window);
}

bool Session::set(const QByteArray &command, QWidget *parent)
{
    BusyScope busy(*this);
    return SetExchange(link, command, timing.setDeadlineMs, [parent] { reportReceiveFailure(parent); });
}

void Session::reportReceiveFailure(QWidget *parent)
{
    Messages::inform(kReceiveFailed, parent);
}

QString Session::helpFile() const
{
    if (!m_helpFile.isEmpty())
        return m_helpFile;
    return HelpViewer::findHelpFile();
}

void Session::showHelp(int context, QWidget *owner)
{
    HelpViewer::show(helpFile(), context, owner);
}

} // namespace korvanta
