// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>

// The adapter's settings as data: one row per setting, expanded into one key
// per port or directory entry ("$L1", "$I11", "@J4", "&Z19"). The command
// parser, the port listings and the factory reset all work from these rows.

namespace korvanta::sim {

// Every setting's value as the adapter holds it: decimal text for numbers,
// the text itself for numbers and directory entries. Keyed by setting key.
using Values = QMap<QByteArray, QByteArray>;

enum SettingFlag : unsigned {
    Query = 1,        // "<key>?" answers the value
    Equals = 2,       // set as "<key>=v"; otherwise the value follows the key directly
    OwnCommand = 4,   // set only as the whole line, the value running to its end
    NewFirmware = 8,  // unknown to firmware 1.20 and older, query and set
    DialInfo = 16,    // survives "AT&F"
};

enum class TextKind {
    None,       // a number setting
    Number,     // telephone number: 0-9 - ( ) #, at most 32
    Subaddress, // 0-9 # *, at most 20
    Directory,  // a number, then "*" and a subaddress when there is one
};

struct SettingDef {
    const char *name;
    int first = -1; // ports or entries the name is followed by; -1: none
    int last = -1;
    int min = 0;
    int max = 0;
    int factory = 0;
    unsigned flags = 0;
    unsigned newFirmwareValues = 0; // bit v: value v unknown to older firmware
    int oldFirmwareFactory = -1;    // factory value with older firmware; -1: as factory
    TextKind text = TextKind::None;
};

struct Setting {
    QByteArray key;
    const SettingDef *def;
    int index; // port or entry, -1 when none

    bool isText() const { return def->text != TextKind::None; }
    bool has(SettingFlag f) const { return def->flags & f; }
    QByteArray factoryValue(bool oldFirmware) const;
    // True when value is well formed and in range for this setting. Directory
    // values are taken in wire form and normalised into *normalised.
    bool accepts(const QByteArray &value, QByteArray *normalised = nullptr) const;
    // Whether firmware 1.20 and older know this value.
    bool knownToOldFirmware(const QByteArray &value) const;
};

// The actions that are not settings: switches, identification, listings,
// storage and factory resets.
enum class Action { Echo, Verbose, Identify, Firmware, Listing, Store, FactoryKeepDial, FactoryAll };

struct ActionDef {
    const char *name;
    Action action;
    int min;
    int max;
    bool argumentOptional; // a missing argument means min
};

// One telephone or data port as its listing shows it.
struct PortDef {
    int port;           // the digit in the port's keys
    const char *label;  // "TEL1", "DATA"
    const char *tokens; // letters of the token line, in order
    bool forwarding;    // a "FWD:" line between the address line and the tokens
};

const QList<Setting> &allSettings();
const Setting *findSetting(const QByteArray &key);
const QList<PortDef> &allPorts();

// The longest setting or action name that stands at body[pos], or null.
struct Match {
    const Setting *setting = nullptr;
    const ActionDef *action = nullptr;
    int length = 0;
};
Match matchAt(const QByteArray &body, int pos);

// Settings that may never share a nonzero value: the outside-line hold key and
// the short-dial key; the number display of TEL2 and TEL3. The partner's key,
// or an empty one.
QByteArray partnerOf(const QByteArray &key);

// Every setting at its factory value. keepDialInfo keeps the rows flagged
// DialInfo from `from`.
Values factoryValues(bool oldFirmware, const Values &from = {}, bool keepDialInfo = false);

// Version number after the first blank ("Ver 1.30 01/03/15" gives 1.30);
// 1.20 and lower is older firmware.
bool isOldFirmware(const QByteArray &firmwareText);

} // namespace korvanta::sim
