// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Where profiles are written: files that are never left half-written, pipes
// and devices written as they are, and the backups a restore takes of the
// adapter before it changes anything.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <functional>

namespace korvanta::profile {

struct Profile;

// Why nothing could be written to path, as far as can be told before anything
// is read: a folder, a folder that does not exist or that this user may not
// write in, a device or pipe this user may not write, anything else that is
// not a file. Empty when writing may be tried.
QString unwritableReason(const QString &path);

// Writes bytes to path. An existing regular file or a new name gets a
// temporary file beside it, renamed over it at the end, so that a failure or
// an interruption leaves the old file whole; keep() is asked just before the
// rename, and false leaves the old file as well. A named pipe, a character
// device or a /dev/fd/N path is opened and written directly. Empty on
// success, else what went wrong, with the path.
QString writeFile(const QString &path, const QByteArray &bytes, const std::function<bool()> &keep = {});

// The file name part for a port: the device's stable name without its folder
// ("usb-FTDI_…-port0"), else its path below /dev/ ("ttyUSB0", "pts_3"), any
// character that does not belong in a file name replaced by "_".
QString portFileName(const QString &device);

// $XDG_DATA_HOME/korvanta/backups/<port>-<UTC time>.ini (by default under
// ~/.local/share), the time as 20261208T091502Z.
QString automaticBackupPath(const QString &device, const QDateTime &utc = QDateTime::currentDateTimeUtc());

// Writes the profile to a new automatic backup of the port, the folder made
// when needed. Its path, or empty with why in error.
QString saveAutomaticBackup(const Profile &profile, const QString &device, QString *error);

} // namespace korvanta::profile
