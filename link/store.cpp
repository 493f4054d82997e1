// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/store.h"

#include "link/exchange.h"
#include "link/link.h"
#include "link/session.h"
#include "link/wait.h"

namespace korvanta {

bool storeAndClose(Session &session, ExitPause pause)
{
    Link &link = session.link;
    if (!link.isOpen())
        return true;
    Session::BusyScope busy(session);
    bool stored = true;
    if (session.WriteCount != 0) {
        DiscardInput(link); // a late "OK" of an earlier exchange is not the store's
        link.setInputLen(1);
        link.output(kStoreCommand + '\r');
        stored = AwaitAcknowledge(link, session.timing.setDeadlineMs);
        DiscardInput(link);
    }
    if (pause == ExitPause::Always || session.WriteCount != 0)
        waitUntil(QDeadlineTimer(session.timing.exitPauseMs, Qt::PreciseTimer));
    link.close();
    return stored;
}

} // namespace korvanta
