// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The data port procedures without widgets: the DATA and USB ports, the
// extended data settings, the throughput BOD detail and the BAP request
// handling read from the adapter into plain values and the work file, and
// what differs written back, as the windows Form3, Form5 and Form6 do. Values
// are in the work file's vocabulary: [DATA], [USB], [DATAEXT], [SLPUT] (the
// registers as the adapter holds them: a holding time in fifths of its
// seconds), [BACP]. Failures are reported through the message seam over
// parent.

#include "dataport/dataportmodel.h"
#include "workfile/settingvalues.h"

#include <optional>
#include <vector>

class QObject;

namespace korvanta {

class Session;

namespace dataport {

// Reads: every value taken is stored in the work file and set in values; a
// reply that carries nothing a setting knows sets nothing. False after a
// failure, reported, with what was read before kept in both. PortRead and
// DataExtRead set ReadFailed (0, then 1 on a failure); BodRead and BapRead
// leave it alone, as their windows do. BodRead also stores the speeds of the
// two thresholds ("ADD_SPEED", "DEL_SPEED") once everything is read.
bool PortRead(Session &session, PortIndex p, SettingValues &values, QObject *parent);
bool DataExtRead(Session &session, SettingValues &values, QObject *parent);
bool BodRead(Session &session, SettingValues &values, QObject *parent);
bool BapRead(Session &session, SettingValues &values, QObject *parent);

// Writes: send what in wanted differs from the work file (a missing key
// there counts as its default); a key absent from wanted sends nothing. The
// own number and subaddress go first, in commands of their own. Each stops
// at the first failed command (reported) and discards pending input at the end; the work file is left as it
// is. True when nothing failed.
bool BodWrite(Session &session, const SettingValues &wanted, QObject *parent);
bool BapWrite(Session &session, const SettingValues &wanted, QObject *parent);

// Form3's load and its "登録": the DATA port, the USB port, then the extended
// settings, each only when the one before succeeded (a procedure's commands
// are made while the command before them is on the line).
bool readForm3(Session &session, SettingValues &values, QObject *parent);
bool writeForm3(Session &session, const SettingValues &wanted, QObject *parent);

// Every setting of the three windows in the order of reading, with where the
// operator meets it and the values the window could show and send.
const std::vector<SettingKey> &settingKeys();
// The rule across them: throughput BOD is used exactly when a direction adds
// or deletes.
const std::vector<SettingRule> &settingRules();
// The BOD registration's range check on the registers present in wanted: the
// window's message for the first out of range.
std::optional<QString> validateAll(const SettingValues &wanted, bool newFirmware);
// Form3's load, then Form5's, then Form6's. On a failure: reported, ReadFailed
// set to 1, false; what was read before stays.
bool readAll(Session &session, SettingValues &values, QObject *parent = nullptr);
// Form3's "登録", then Form5's, then Form6's, for the settings in wanted; the
// first failed command ends it (false). WriteCount is left to
// the caller.
bool writeAll(Session &session, const SettingValues &wanted, QObject *parent = nullptr);

} // namespace dataport
} // namespace korvanta
