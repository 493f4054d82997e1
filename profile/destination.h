// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Where profiles are written: files that are never left half-written, pipes
// and devices written as they are, and the files kept only for their owner.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>

namespace korvanta::profile {

struct Profile;

// What a path names for writing. A path that names an open descriptor
// ("-", /dev/stdout, /dev/stderr, /dev/fd/N, /proc/self/fd/N, or a link to one
// of them) is written through that descriptor, where it stands, appending
// when it was opened to append. A symbolic link is followed to its final
// target, which takes the writing in its place: the link stays. Only a
// regular file or a new name, so reached, is replaced as a whole.
struct Destination {
    enum Kind { Descriptor, NewFile, RegularFile, Direct, Unusable } kind;
    QString path; // the final target, or the path as given for a descriptor
    int fd;       // Descriptor: which
    int error;    // Unusable or NewFile: the system's reason, when there is one
};
Destination destinationOf(const QString &path);

// Why nothing could be written to path, as far as can be told before anything
// is read: a folder, a folder that does not exist or that this user may not
// write in, a device or pipe this user may not write, anything else that is
// not a file. Empty when writing may be tried.
QString unwritableReason(const QString &path);

// Why a profile may not be written to path when the run's work file is
// workFile: the same path, or the same file through links, a hard link or a
// descriptor that leads to it. The two files differ in kind: each written
// over the other would leave both unreadable. Empty when they differ.
QString workFileClash(const QString &path, const QString &workFile);

// Writes bytes to path (see Destination). An existing regular file or a new
// name gets a temporary file beside it, renamed over it at the end, so that a
// failure or an interruption leaves the old file whole; keep() is asked just
// before the rename, and false leaves the old file as well. The file written
// takes mode when it is given; else a new file is readable by its owner alone
// (profiles hold telephone numbers), and a file replaced keeps its mode. A named pipe, a character device or a socket is opened
// and written; a descriptor is written where it stands. Empty on success,
// else what went wrong, with the path and the system's own reason.
QString writeFile(const QString &path, const QByteArray &bytes, const std::function<bool()> &keep = {},
                  int mode = -1);

// The file name part for a port: the device's stable name without its folder
// ("usb-FTDI_…-port0"), else its path below /dev/ ("ttyUSB0", "pts_3"), any
// character that does not belong in a file name replaced by "_".
QString portFileName(const QString &device);

// Why no file could be made in folder, as far as can be told before
// anything is read: the folder, or the first of its parents that exists, that
// this user may not write in. Empty when it may be tried.
QString folderToMakeProblem(const QString &folder);

// Writes bytes to a new or replaced file at path readable by its owner alone
// (a profile holds telephone numbers), its folder made when needed. Empty on
// success, else why.
QString writePrivateFile(const QString &path, const QByteArray &bytes);

} // namespace korvanta::profile
