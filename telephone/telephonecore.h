// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The telephone port procedures without widgets: the reading of TEL1 to TEL3
// and of the common settings into the work file and a record of values, the
// writing of what a record holds that differs from the work file, and the
// checks of a record. The dialog Form2 shows and takes these records; other
// programs use the whole-subsystem functions at the end.

#include "telephone/telephonemodel.h"
#include "workfile/settingvalues.h"

#include <QString>
#include <optional>
#include <vector>

class QObject;

namespace korvanta {
class Session;
}

namespace korvanta::telephone {

// A unit's caption in the operator's language; one that counts (unitCounts)
// in its form for n ("1 ring", "4 rings").
QString unitText(const char *caption, bool counts, int n);

// Ana1Read .. Ana3Read (port 0 is TEL1): the port's listing, its dial time
// and, with newer firmware, its ring pattern, stored under the port's section
// in the work file and in values. A listing without its forwarding line keeps
// the own number and subaddress before it. Sets ReadFailed; on a failure
// reports it over parent and is false.
bool AnaPortRead(Session &session, int port, SettingValues &values, QObject *parent = nullptr);
// AnaRead: the settings common to the ports, section "TEL". A reply no option
// stands for leaves its key as it was.
bool AnaRead(Session &session, SettingValues &values, QObject *parent = nullptr);

// Ana1Write .. Ana3Write and AnaWrite: the commands for what wanted holds
// that differs from the work file (a missing key counts as its default).
QList<QByteArray> anaPortWriteCommands(Session &session, int port, const SettingValues &wanted);
QList<QByteArray> anaWriteCommands(Session &session, const SettingValues &wanted);

// The first check "登録" fails for wanted: dial times, then the common
// ranges, then the hold and short-dial keys.
std::optional<Problem> check(const SettingValues &wanted, bool newFirmware);

// Every setting of TEL1, TEL2, TEL3 and the common tab, in the order of reading.
const std::vector<SettingKey> &settingKeys();
std::optional<QString> validateAll(const SettingValues &wanted, bool newFirmware);
// The rule across them: the hold key and the short-dial key.
const std::vector<SettingRule> &settingRules();
// The window's load: TEL1 to TEL3 until one fails, then the common settings.
bool readAll(Session &session, SettingValues &values, QObject *parent = nullptr);
// The window's "登録": the commands of TEL1 to TEL3, then of the common
// settings, in that order, each port's made while the command before them is
// on the line. The first command that fails ends it (false), and what
// follows it is not sent.
bool writeAll(Session &session, const SettingValues &wanted, QObject *parent = nullptr);

} // namespace korvanta::telephone
