// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/session/store.h"

#include "link/protocol/exchange.h"
#include "link/transport/link.h"
#include "link/session/session.h"
#include "link/transport/wait.h"

namespace korvanta {

StoreOutcome storeAndClose(Session &session, ExitPause pause)
{
    Link &link = session.link;
    if (!link.isOpen())
        return StoreOutcome::NotSent;
    Session::BusyScope busy(session);
    StoreOutcome outcome = StoreOutcome::NotSent;
    if (session.WriteCount != 0) {
        DiscardInput(link); // a late "OK" of an earlier exchange is not the store's
        link.setInputLen(1);
        // A line that is stopped sends nothing: only a store that left can
        // have been done.
        if (link.send(kStoreCommand + '\r'))
            outcome = AwaitAcknowledge(link, session.timing.setDeadlineMs) ? StoreOutcome::Acknowledged
                                                                            : StoreOutcome::Unanswered;
        DiscardInput(link);
    }
    if (pause == ExitPause::Always || session.WriteCount != 0)
        waitUntil(QDeadlineTimer(session.timing.exitPauseMs, Qt::PreciseTimer));
    link.close();
    return outcome;
}

} // namespace korvanta
