// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A restore's run, shared by the commands that change the adapter: restore
// (a whole profile or a merge) and set (a merge made of the command line).

#include "cli/command.h"
#include "profile/profilefile.h"

namespace korvanta::cli {

// --dry-run, --no-store, --no-backup.
QList<QCommandLineOption> restoreOptions();

// Brings the adapter to wanted: refuses what breaks a rule (status 2,
// nothing sent), reads what wanted needs, prints each change, saves the
// adapter's settings as read to an automatic backup, sends only what
// differs, reads back and stores, reporting each change as the adapter
// answered it. source names wanted in messages (a file, the command line).
// lackingRefused: a setting or value the adapter's firmware lacks refuses the
// whole (status 2, nothing sent) instead of being skipped.
int restoreProfile(Context &context, const QCommandLineParser &parser, const profile::Profile &wanted,
                   const QString &source, bool lackingRefused = false);

} // namespace korvanta::cli
