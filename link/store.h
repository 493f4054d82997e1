// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

namespace korvanta {

class Session;

inline const QByteArray kStoreCommand = "AT&W0&W1";

// The end of a run on the line: when anything was written (the session's
// WriteCount), "AT&W0&W1" has the adapter store it, its "OK" awaited with the
// set deadline, silently; then the exit pause, and the line closed. The
// session is busy meanwhile. Nothing happens once the line is closed. False
// when a store went unacknowledged. The pause lets the adapter finish storing;
// the window program's exit waits it out whatever happened before, as its
// exit procedure always has; a program that wrote nothing may close at once.
enum class ExitPause { Always, AfterStore };
bool storeAndClose(Session &session, ExitPause pause = ExitPause::Always);

} // namespace korvanta
