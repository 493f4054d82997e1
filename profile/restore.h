// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The one restore both programs carry out, for a profile, a merge, single
// settings set by name and a rollback alike: plan (the firmware fit and the
// rules checked), the history entry of the settings as they were, the
// changes sent, read back and stored. The front ends only ask, confirm and
// show what the result says.

#include "link/session/store.h"
#include "profile/adapterprofile.h"
#include "profile/history.h"

#include <functional>

namespace korvanta::profile {

struct RestoreRequest {
    Profile wanted;
    QString port;       // the port as the history names it
    HistoryEntry about; // the entry's program and change; the settings changed are the plan's
    // A setting or value the firmware lacks refuses the whole (nothing
    // sent) instead of being skipped: what was asked for by name.
    bool lackingRefused = false;
    bool keepHistory = true;
};

// What the front end does along the way; each may be left empty.
struct RestoreSteps {
    // The plan is made and nothing kept or sent yet: false ends the restore
    // there (a dry run, or the operator said no).
    std::function<bool(const RestorePlan &)> confirm;
    // A step begins: Reading, Writing, Storing.
    std::function<void(Step)> stepping;
    // Has the adapter store what it holds, whatever the writes did; empty
    // when the caller stores later or not at all.
    std::function<StoreOutcome()> store;
    // Asked after each step: true ends the restore there.
    std::function<bool()> stopping;
    QObject *parent = nullptr; // over which the reads and writes report
};

enum class RestoreEnd {
    Done,        // written, read back as wanted, stored when asked
    Refused,     // the profile breaks a rule or is of another model: problem; nothing sent
    Lacking,     // lackingRefused and the firmware lacks some of it (plan.skipped); nothing sent
    Declined,    // confirm() said no; nothing sent
    NoHistory,   // the entry could not be kept (entryProblem); nothing sent
    LineFailed,  // a read or write failed on the line, reported; step says where
    Unverified,  // read back, applied.unverified still differ
    StoreFailed, // the store was not acknowledged (stored)
    Stopped,     // stopping() ended it; step says where
};

struct RestoreResult {
    RestoreEnd end = RestoreEnd::Done;
    ParseError problem;
    RestorePlan plan;
    ApplyResult applied; // each change of the plan by what the adapter answered
    QString entry;        // the history entry kept; empty when none
    QString entryProblem; // why none could be kept
    StoreOutcome stored = StoreOutcome::NotSent;
    Step step = Step::Done; // where it ended
};

// A profile that breaks a rule with what any firmware takes of it, or of
// another model: refused before the adapter is read.
std::optional<ParseError> refusedOutright(const Profile &wanted);

RestoreResult restore(Session &session, const RestoreRequest &request, const RestoreSteps &steps);

} // namespace korvanta::profile
