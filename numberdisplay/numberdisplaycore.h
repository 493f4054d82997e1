// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The number display detail's procedures without widgets: NdRead and NdWrite
// of one telephone port against the work file and a record of values
// (sections "TEL1" to "TEL3", keys "NDISPLAY" and "INUMBER"), and the same
// for the three ports at once.

#include "numberdisplay/numberdisplaymodel.h"
#include "workfile/settingvalues.h"

#include <QString>
#include <optional>
#include <vector>

class QObject;

namespace korvanta {
class Session;
}

namespace korvanta::numberdisplay {

// NdRead (port 0 is TEL1): the number display, then the i-number, stored in
// the work file and values; a reply no option stands for leaves its key as
// it was. A failure is reported over parent and skips what follows.
bool NdRead(Session &session, int port, SettingValues &values, QObject *parent = nullptr);
// NdWrite: one command with what wanted holds that differs from the work
// file (a missing work-file key counts as "1"). The number display is not
// written while the other one of TEL2 and TEL3 has it on. False when it
// failed; NumberDisplayFlags follow once the adapter took the change.
bool NdWrite(Session &session, int port, const SettingValues &wanted, QObject *parent = nullptr);

// The two settings of TEL1, TEL2 and TEL3, in the order of reading.
const std::vector<SettingKey> &settingKeys();
// The rule across them: TEL2 and TEL3 do not both show numbers.
const std::vector<SettingRule> &settingRules();
// The detail of TEL1, TEL2 and TEL3 until one fails (ReadFailed).
bool readAll(Session &session, SettingValues &values, QObject *parent = nullptr);
// The "登録" of TEL1, TEL2 and TEL3 until one fails; the ports whose number
// display goes off come first, so that a display moved from TEL3 to TEL2 (or
// back) arrives in one run.
bool writeAll(Session &session, const SettingValues &wanted, QObject *parent = nullptr);

} // namespace korvanta::numberdisplay
