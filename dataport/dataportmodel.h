// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The data port settings without widgets: the tables of the DATA and USB port
// blocks, the extended data settings, the throughput BOD detail and the BAP
// request masks; how the adapter's replies are read, how the set commands are
// put together and which values a setting takes. The readings and writings
// (dataportcore.h), the dialogs and the tests all work from these tables.

#include "workfile/charset.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace korvanta::dataport {

inline QString nameOf(const char *name) { return QString::fromLatin1(name); }

// ---------------------------------------------------------------------------
// DATA and USB port blocks

enum PortIndex { DataPort = 0, UsbPort = 1 };

struct Port {
    int digit;                 // 4 DATA, 5 USB: the digit of every register token
    const char *section;       // work-file section
    const char *listing;       // port listing query
    const char *iNumberQuery;  // "AT@J4?"
    const char *tabCaption;
    int helpContext;
    const char *numberFrame;   // frame "番号登録"
    const char *numberLabel;
    const char *numberBox;
    const char *subLabel;
    const char *subBox;
    const char *networkOption; // "網契約に従う", disabled with older firmware
};
const std::span<const Port> ports();
const Port &port(PortIndex p);

struct PortOption {
    const char *value;
    const char *control[2];    // DATA, USB
    const char *caption;
    const char *usbCaption;    // nullptr: the same as caption
};

// One choice setting of a port. Options are listed top to bottom as the frame
// shows them.
struct PortSetting {
    const char *key;
    const char *frameCaption;
    const char *frame[2];      // DATA, USB
    char letter;               // token letter of the listing ("B4:0"); 0 for the i-Number
    const char *setPrefix;     // "$B", "@J"
    const char *defaultValue;  // assumed by the writing when the key is missing
    std::vector<PortOption> options;
};
// In the order the writing sends them.
const std::vector<PortSetting> &portSettings();
const PortSetting &portSetting(const char *key);

inline constexpr const char *kOwnNumberKey = "JIKO_NO";
inline constexpr const char *kSubaddressKey = "SUB_NO";
inline constexpr const char *kINumberKey = "INUMBER";

// The own number and the subaddress box of a port: the characters and the
// length they take, on both ports.
struct NumberBox {
    const char *key;
    const char *caption;     // of its label
    const char *Port::*box;
    const char *Port::*label;
    QString allowed;
    int maxLength;
    bool accepts(const QString &text) const;
};
const std::span<const NumberBox> numberBoxes(); // own number, subaddress

// What one reply gave: ok false is a failed reading; value empty with ok true
// is a reply that carried nothing the setting knows (changes nothing).
struct Reading {
    bool ok = true;
    std::optional<QString> value;
};

struct ListingReading {
    bool ok = false;
    QByteArray number;
    QByteArray subaddress;
    std::vector<std::pair<const PortSetting *, QString>> values; // tokens recognised, in reply order
};
ListingReading parseListing(const QByteArray &answer, const Port &port);
Reading parseINumber(const QByteArray &answer);

// The wanted value of a setting, by key; empty when the window shows none (no
// option of the setting's frame on), and then nothing is sent for it.
using ValueOf = std::function<QString(const char *key)>;
// The stored value of a key, or the given default when it is missing.
using StoredValue = std::function<QString(const char *key, const char *defaultValue)>;

struct PortCommands {
    QByteArray number;     // "AT$C4=..." or empty when unchanged
    QByteArray subaddress; // "AT$E4=..."
    QByteArray settings;   // "AT$M4=0$N4=1..." or empty
};
// A box given as nullopt shows nothing the adapter holds (no reading filled it
// and the operator did not type in it): nothing is sent for it.
PortCommands composePortWrite(const Port &port, const StoredValue &stored, const ValueOf &current,
                              const std::optional<QString> &number, const std::optional<QString> &subaddress);

// ---------------------------------------------------------------------------
// Extended data settings (section "DATAEXT")

inline constexpr const char *kExtSection = "DATAEXT";

struct ExtOption {
    const char *value;
    const char *control;
    const char *caption;
    const char *token;     // set token; "" when choosing it sends nothing
};

struct ExtSetting {
    const char *key;
    const char *frameCaption;
    const char *frame;
    const char *query;
    int searchFrom;        // first "0" at or after this position
    int valueOffset;       // the three characters start this far after that "0"
    const char *defaultValue;
    std::vector<ExtOption> options; // top to bottom
};
// In the order the writing sends them.
const std::vector<ExtSetting> &extSettings();
// Every row, in the order the reading asks for them.
const std::vector<const ExtSetting *> &extReadOrder();
const ExtSetting &extSetting(const char *key);

inline constexpr const char *kThroughputKey = "SLPUT";
inline constexpr const char *kBacpKey = "BACP";

Reading parseExtended(const ExtSetting &setting, const QByteArray &answer);

QByteArray composeExtWrite(const StoredValue &stored, const ValueOf &current);

// ---------------------------------------------------------------------------
// Throughput BOD detail (section "SLPUT")

inline constexpr const char *kBodSection = "SLPUT";

struct BodDirection {
    const char *key;       // "ADD", "DEL"
    const char *query;     // "AT%A?"
    const char *setPrefix; // "%A"
    const char *frameCaption;
    const char *outerFrame;
    const char *frame;
    const char *speedLabel;
    const char *speedKey;  // the speed of the threshold, for the work file
    struct Option { const char *control; const char *caption; };
    Option options[4];     // values 0 to 3, top to bottom
};
const std::span<const BodDirection> bodDirections(); // add, delete

enum class BodKind { Threshold, EvaluationTime, HoldingTime };

struct BodRegister {
    const char *key;       // "ADD_$42"
    const char *query;     // "AT$I42?"
    const char *setPrefix; // "$I42="
    int direction;         // 0 add, 1 delete
    BodKind kind;
    const char *box;
    const char *spinner;
    int maxLength;
};
// In the order the writing sends them.
const std::span<const BodRegister> bodRegisters();
// Every row, in the order the reading asks for them.
const std::vector<const BodRegister *> &bodReadOrder();

struct BodRange {
    BodKind kind;
    const char *caption;   // row caption
    const char *unit;
    int minimum;
    int maximum;
    int step;
    int scale;             // the register holds the box's value divided by this
    const char *rangeMessage;
};
const BodRange &bodRange(BodKind kind);

inline constexpr const char *kDirectionDefault = "3";

Reading parseDirection(const QByteArray &answer);
// A register reply: the value (decimal text as the register holds it).
Reading parseRegister(const QByteArray &answer);
// The box text for a register value, and the register text for a box.
QString boxTextOf(const BodRegister &reg, const QString &registerValue);
QString registerTextOf(const BodRegister &reg, const QString &boxText);

// "4" for a threshold of 50, "2.64" for 33.
QString speedText(int threshold);
QString speedCaption(int threshold); // "約 4Kbps"

// A spinner step: the box's value raised (up) or lowered by one step, wrapped
// at the ends of its range.
int spin(BodKind kind, int value, bool up);

// The whole number of the box text ("" gives 0).
int numericValue(const QString &text);

// The range message of the first box out of range, in the order the
// registration checks them; a box given as nullopt is not checked. An empty
// box is out of range: its register would go out with no value.
std::optional<QString> bodRangeMessage(const std::function<std::optional<QString>(const BodRegister &)> &boxText);

// A register value as the work file keeps it that the window could send: at
// most three digits, its box's value within range.
inline constexpr int kRegisterDigits = 3;
bool acceptsRegisterValue(const BodRegister &reg, const QString &value);

// Directions by key ("ADD"), registers by key ("ADD_$42") as register texts.
QByteArray composeBodWrite(const StoredValue &stored, const ValueOf &current);

// ---------------------------------------------------------------------------
// BAP request handling (section "BACP")

inline constexpr const char *kBapSection = "BACP";

struct BapSide {
    const char *key;       // "HASHIN"
    const char *query;     // "AT$I47?"
    const char *setPrefix; // "$I47="
    const char *label;
    const char *caption;
    const char *defaultValue;
};
const std::span<const BapSide> bapSides(); // calling side (left column) first

struct BapRequest {
    int bit;
    const char *caption;
    const char *frame[2];   // per side
    const char *refuse[2];  // option "拒否する" per side
    const char *answer[2];  // option "自動応答" per side
};
const std::span<const BapRequest> bapRequests();

Reading parseMask(const QByteArray &answer);

inline constexpr int kNoChoice = -1; // no option of a frame is on: nothing is sent

// A side's value, frame by frame: a bit is set when its "自動応答" is on and
// clear when its "拒否する" is; a frame with neither on keeps the bit of the
// stored value (one digit 0 to 7) and, with none stored, counts as answered.
int maskOf(const std::function<bool(const char *control)> &isOn, int side, const QString &stored);

// One value per side, by the side's key.
QByteArray composeBapWrite(const StoredValue &stored, const ValueOf &current);

} // namespace korvanta::dataport
