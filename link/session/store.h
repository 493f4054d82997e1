// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

namespace korvanta {

class Session;

inline const QByteArray kStoreCommand = "AT&W0&W1";

// What became of a store: acknowledged by the adapter, sent with no
// acknowledgement (the adapter may or may not have stored), or never sent
// (nothing was written, or the line was already closed or went before it).
enum class StoreOutcome { NotSent, Unanswered, Acknowledged };

// The end of a run on the line: when anything was written (the session's
// WriteCount), "AT&W0&W1" has the adapter store it, its "OK" awaited with the
// set deadline, silently; then the exit pause, and the line closed. The
// session is busy meanwhile. Nothing happens once the line is closed: a line
// that is closed already stores nothing and says so. The pause lets the
// adapter finish storing; the window program's exit waits it out whatever
// happened before, as its exit procedure always has; a program that wrote
// nothing may close at once.
enum class ExitPause { Always, AfterStore };
StoreOutcome storeAndClose(Session &session, ExitPause pause = ExitPause::Always);

} // namespace korvanta
