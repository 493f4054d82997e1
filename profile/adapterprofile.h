// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Profiles against the adapter: read every setting into a profile, and bring
// the adapter to a profile through the windows' own reading and writing.

#include "profile/profilefile.h"

#include <QList>
#include <QString>
#include <optional>

class QObject;

namespace korvanta {
class Session;
}

namespace korvanta::profile {

// Reads every setting, window after window, into profile (and the work file,
// as the windows do). False when a read failed; the failure was reported.
bool backup(Session &session, Profile &profile, QObject *parent = nullptr);

// The cross-setting rules the windows check on registering, applied to a
// whole profile; the window's message on failure.
std::optional<QString> validate(const SettingValues &values, bool newFirmware);

// A profile's settings sorted for an adapter's firmware: those it takes, and
// those it lacks (the setting, or the profile's value of it), in the table's
// order.
struct FirmwareFit {
    SettingValues held;
    QList<const SettingKey *> lacking;
};
FirmwareFit fitFirmware(const SettingValues &values, bool newFirmware);

// Why the firmware lacks what the profile asks of the setting: the setting
// itself, or only the profile's value of it. In the operator's language, or
// in fixed English words for scripts, which compare them whatever the locale.
enum class Wording { Operator, Fixed };
QString lackReason(const SettingKey &setting, const SettingValues &wanted, Wording wording = Wording::Operator);

// Reads the settings (every one when none is named) into values, reading
// only the windows' parts that hold them: a port's listing and registers,
// the common settings, a detail window. False when a read failed; the
// failure was reported.
bool read(Session &session, const QList<const SettingKey *> &settings, SettingValues &values, QObject *parent = nullptr);

// What a merge of these values reads and reads back: the settings, and those
// a rule across settings binds them to.
QList<const SettingKey *> scopeOf(const SettingValues &values);

// The settings the adapter has and a profile does not hold: the firmware it
// was read from had none of them. A restore leaves them as the adapter has
// them, and they are no difference.
QList<const SettingKey *> unmanaged(const Profile &profile, const SettingValues &adapter);

// What a restore does to one adapter.
struct RestorePlan {
    SettingValues adapter;        // what the adapter holds now
    SettingValues wanted;         // the profile's settings this adapter has
    QList<Difference> changes;    // adapter value → profile value, in the windows' order
    // In the profile, but this adapter's firmware lacks the setting or the
    // profile's value of it.
    QList<const SettingKey *> skipped;
    // Not in the profile, left as the adapter has them (unmanaged()).
    QList<const SettingKey *> unmanaged;
    // What was read and is read back: empty for every setting, else the
    // settings of a merge and those its rules bind them to (scopeOf()).
    QList<const SettingKey *> scope;
};

enum class Outcome {
    Done,
    LineFailed, // a read or write failed on the line (reported)
    Refused,    // the profile breaks a rule for this adapter; nothing was sent
};

// Reads the adapter and works out the changes; sends no setting. Refused,
// with the fault in problem: a profile of another model, or one that breaks
// a rule across settings with what the firmware takes of it (found before the
// adapter is read) or laid over what the adapter keeps beside it; a rule
// broken because the firmware lacks a setting or value of the profile names
// that as its cause.
Outcome plan(Session &session, const Profile &profile, RestorePlan &plan, ParseError *problem,
             QObject *parent = nullptr);

// Where a restore was when it ended: Done once everything was written and
// read back (what is left is the store, the caller's).
enum class Step { Reading, Writing, ReadingBack, Storing, Done };

struct ApplyResult {
    Outcome outcome = Outcome::Done;
    Step step = Step::Writing;
    QList<Difference> unverified; // read back, still not as the profile says
    // Each change of the plan, by what became of the commands that carry it:
    // every one acknowledged; some sent and not acknowledged (the adapter may
    // or may not hold the change); none sent. In the plan's order.
    QList<const SettingKey *> acknowledged, unanswered, unsent;
};
// Sends the changes of a plan made just before, as the windows' registering
// does (only what differs, in their order), then reads everything back to
// verify. Nothing is sent when the plan has no changes. Where it stopped, the
// result tells each change by what the adapter answered to the commands that
// carry it.
ApplyResult apply(Session &session, const RestorePlan &plan, QObject *parent = nullptr);

} // namespace korvanta::profile
