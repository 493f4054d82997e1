// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/protocol/timing.h"

#include "link/session/text.h"
#include "link/session/serialcontrol.h"

#include <QString>

class QObject;

namespace korvanta {

class Link;
class SerialControl;
class Session;

// What identification read from the adapter.
struct Identity {
    QString ModelName;       // 9 characters of the answer to "ATI"
    QString FirmwareVersion; // 17 characters of the answer to "AT%I2" from its first "V"
};

inline constexpr Text kCannotOpenPort{"korvanta::Identity",
                                      QT_TRANSLATE_NOOP("korvanta::Identity", "COMポートがオープンできません")};
// The same for a port on a console server, which is connected to, not opened.
inline constexpr Text kCannotConnect{"korvanta::Identity",
                                     QT_TRANSLATE_NOOP("korvanta::Identity", "ポートに接続できません")};
inline constexpr Text kNoDevice{"korvanta::Identity", QT_TRANSLATE_NOOP("korvanta::Identity", "機器が接続されていません")};
inline constexpr Text kNotKorvanta{"korvanta::Identity",
                                   QT_TRANSLATE_NOOP("korvanta::Identity", "KORVAN-TAが接続されていません")};

// "ATE1V1", "ATI", "AT%I2" on an open link, each with the identification
// deadline. True when the adapter is identified; otherwise says why through
// the message seam (over parent) and closes the link.
bool identifyAdapter(Link &link, const Timing &timing, Identity &identity, QObject *parent);

// Sets the control to the port (COM1 to COM9 are 1 to 9, found devices follow),
// opens it at 19200,N,8,1 and identifies the adapter. When the port does not
// open, "COMポートがオープンできません" says so ("ポートに接続できません" for a
// console server's), with a second line saying which device and why where
// the system told.
bool connectPort(SerialControl &control, int port, const Timing &timing, Identity &identity, QObject *parent);

// "1" when the number behind the first blank of the firmware text (its first
// four characters when there is no blank) is greater than 1.2, else "0".
QString deriveNewFirmwareFlag(const QString &firmwareVersion);

// Hands the identification to the session: model, firmware, the firmware flag,
// and no writes yet.
void applyIdentity(Session &session, const Identity &identity);

} // namespace korvanta
