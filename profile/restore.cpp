// SPDX-License-Identifier: GPL-3.0-or-later
#include "profile/restore.h"

#include "link/session/session.h"

namespace korvanta::profile {

std::optional<ParseError> refusedOutright(const Profile &wanted)
{
    // What this adapter's firmware takes is checked once it has said which
    // it has.
    return brokenRule(wanted, fitFirmware(wanted.values, false).held);
}

RestoreResult restore(Session &session, const RestoreRequest &request, const RestoreSteps &steps)
{
    RestoreResult r;
    const auto begin = [&](Step step) {
        r.step = step;
        if (steps.stepping)
            steps.stepping(step);
    };
    const auto stopped = [&] { return steps.stopping && steps.stopping(); };
    const auto end = [&](RestoreEnd how) {
        r.end = how;
        return r;
    };
    if (auto broken = refusedOutright(request.wanted)) {
        r.problem = *broken;
        return end(RestoreEnd::Refused);
    }
    begin(Step::Reading);
    switch (plan(session, request.wanted, r.plan, &r.problem, steps.parent)) {
    case Outcome::LineFailed:
        return end(RestoreEnd::LineFailed);
    case Outcome::Refused:
        return end(RestoreEnd::Refused);
    case Outcome::Done:
        break;
    }
    if (stopped())
        return end(RestoreEnd::Stopped);
    for (const Difference &d : r.plan.changes)
        r.applied.unsent << d.setting;
    if (request.lackingRefused && !r.plan.skipped.isEmpty())
        return end(RestoreEnd::Lacking);
    if (steps.confirm && !steps.confirm(r.plan))
        return end(RestoreEnd::Declined);

    if (!r.plan.changes.isEmpty()) {
        // The settings as read, kept before the first is changed, so that a
        // rollback undoes this restore.
        if (request.keepHistory) {
            HistoryEntry about = request.about;
            about.changed.clear();
            for (const Difference &d : r.plan.changes)
                about.changed << d.setting->section + u'.' + d.setting->key;
            const Profile before{session.ModelName, session.FirmwareVersion, r.plan.adapter, {}, !r.plan.scope.isEmpty()};
            r.entry = record(before, request.port, about, &r.entryProblem);
            if (r.entry.isEmpty())
                return end(RestoreEnd::NoHistory);
        }
        begin(Step::Writing);
        r.applied = apply(session, r.plan, steps.parent);
        r.step = r.applied.step;
        if (stopped())
            return end(RestoreEnd::Stopped);
    }
    // The adapter stores what it holds, changed now or left unstored
    // before; a failed restore stores whatever got through.
    if (steps.store) {
        const Step reached = r.step;
        begin(Step::Storing);
        r.stored = steps.store();
        if (stopped())
            return end(RestoreEnd::Stopped);
        r.step = reached;
    }
    if (r.applied.outcome != Outcome::Done)
        return end(RestoreEnd::LineFailed);
    if (!r.applied.unverified.isEmpty())
        return end(RestoreEnd::Unverified);
    r.step = Step::Storing;
    if (steps.store && r.stored != StoreOutcome::Acknowledged)
        return end(RestoreEnd::StoreFailed);
    r.step = Step::Done;
    return end(RestoreEnd::Done);
}

} // namespace korvanta::profile
