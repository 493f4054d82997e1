// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A restore's run, shared by the commands that change the adapter: restore
// (a whole profile or a merge), set (a merge made of the command line) and
// rollback (a merge of a history entry).

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
// change: the command as the history entry names it (commandLine()).
int restoreProfile(Context &context, const QCommandLineParser &parser, const profile::Profile &wanted,
                   const QString &source, const QString &change, bool lackingRefused = false);

// A command as its history entry names it: its name, the options that say
// what it does (--merge) and its arguments.
QString commandLine(const QString &command, const QCommandLineParser &parser, const QStringList &arguments);

} // namespace korvanta::cli
