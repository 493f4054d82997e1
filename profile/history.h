// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The history of an adapter's settings, shared by both programs: before each
// change (a restore, a set, a window's registration, an initialization, a
// rollback) the settings that change may touch are kept as they were, one
// profile a change, in $XDG_DATA_HOME/korvanta/history/<port>/. Each entry is
// a profile file (whole, or partial when the change touched only some
// settings) with a header that says when, which program, what change and
// which settings it changed; a restore --merge of it undoes that change.

#include "profile/profilefile.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace korvanta::profile {

// What an entry says of the change it was kept before.
struct HistoryEntry {
    QString path;       // the entry's file
    QString name;       // its name, the time it was kept: "20261210T145502.123Z"
    QDateTime when;     // UTC
    QString program;    // "korvanta-cli", "korvanta"
    QString change;     // the command or window that made the change
    QStringList changed; // the settings it changed, as "SECTION.KEY"
};

// $XDG_DATA_HOME/korvanta/history (by default under ~/.local/share).
QString historyFolder();
// The folder of one port: the port as the operator names it (a ports.conf
// name, else the device's stable name, else its path), made safe as a file
// name.
QString historyFolder(const QString &port);

// Why no entry could be kept, as far as can be told before the adapter is
// read: the folder, or the first of its parents that exists, that this user
// may not write in. Empty when it may be tried.
QString historyProblem();

// Keeps before as a new entry of the port, readable by its owner alone (it
// holds telephone numbers), then prunes the port's history by the retention
// of historyRetention(). The entry's path, or empty with why in error;
// nothing is kept of a profile that would not restore (unrestorable()).
// about gives the program, the change and the settings changed; its path,
// name and time are the new entry's.
QString record(const Profile &before, const QString &port, const HistoryEntry &about, QString *error);

// The entries of a port, newest first.
QList<HistoryEntry> history(const QString &port);

// The entry which names: empty for the newest; an entry's name, or the start
// of one when only one entry starts so; a number N for the Nth newest (1 the
// newest). Nothing, with why in error, when none or several match.
std::optional<HistoryEntry> findEntry(const QString &port, const QString &which, QString *error);

// The profile an entry keeps; nothing, with why (the file and the line), when
// it cannot be read.
std::optional<Profile> readEntry(const HistoryEntry &entry, QString *error);

// How much history is kept: every entry among the keep newest, and every
// entry younger than days; the newest always.
struct Retention {
    int keep = 50;
    int days = 30;
};
// $XDG_CONFIG_HOME/korvanta/history.conf: "keep = N", "days = N", "#"
// comments. A bad line is named in problems and the default stands for it.
QString retentionPath();
Retention historyRetention(QStringList *problems = nullptr);

// Removes the port's entries the retention does not keep; their paths.
QStringList prune(const QString &port, const Retention &retention,
                  const QDateTime &now = QDateTime::currentDateTimeUtc());

} // namespace korvanta::profile
