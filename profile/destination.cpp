// SPDX-License-Identifier: GPL-3.0-or-later
#include "profile/destination.h"

#include "link/ports/ports.h"
#include "profile/profilefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvanta::profile {

namespace {

QString because(const QString &path, int error)
{
    return QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(error)));
}

// errno of a write access check; 0 when this user may write there.
int writeError(const QString &path)
{
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0 ? 0 : errno;
}

// Why no file can be made in folder: it is missing, no folder, or not this
// user's to write. Empty when one can.
QString folderProblem(const QString &folder)
{
    struct stat status {};
    if (::stat(QFile::encodeName(folder).constData(), &status) != 0)
        return because(folder, errno);
    if (!S_ISDIR(status.st_mode))
        return because(folder, ENOTDIR);
    const int error = writeError(folder);
    return error ? because(folder, error) : QString();
}

std::optional<int> descriptorOf(const QString &path)
{
    static const QRegularExpression named(QStringLiteral("^/(?:dev/fd|proc/self/fd)/([0-9]{1,6})$"));
    if (path == QLatin1String("/dev/stdout"))
        return STDOUT_FILENO;
    if (path == QLatin1String("/dev/stderr"))
        return STDERR_FILENO;
    if (const auto m = named.match(path); m.hasMatch())
        return m.captured(1).toInt();
    return std::nullopt;
}

// Writes all of bytes to an open descriptor, where it stands (at the end when
// it was opened to append). Empty, or the system's reason with the path.
QString writeAll(int fd, const QString &path, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return because(path, n < 0 ? errno : ENOSPC);
        done += n;
    }
    return {};
}

} // namespace

Destination destinationOf(const QString &path)
{
    if (path == QLatin1String("-"))
        return {Destination::Descriptor, path, STDOUT_FILENO, 0};
    if (const auto fd = descriptorOf(path))
        return {Destination::Descriptor, path, *fd, 0};
    QString target = path;
    struct stat status {};
    // A symbolic link, however many, is written through: its final target
    // takes the writing, and the links stay as they are.
    for (int hops = 0; ::lstat(QFile::encodeName(target).constData(), &status) == 0 && S_ISLNK(status.st_mode); ++hops) {
        if (hops == 40)
            return {Destination::Unusable, target, -1, ELOOP};
        const QFileInfo link(target);
        target = QDir::cleanPath(QDir(link.absolutePath()).absoluteFilePath(link.symLinkTarget()));
        if (const auto fd = descriptorOf(target))
            return {Destination::Descriptor, path, *fd, 0};
    }
    if (::stat(QFile::encodeName(target).constData(), &status) != 0)
        return {errno == ENOENT ? Destination::NewFile : Destination::Unusable, target, -1, errno};
    if (S_ISREG(status.st_mode))
        return {Destination::RegularFile, target, -1, 0};
    if (S_ISFIFO(status.st_mode) || S_ISCHR(status.st_mode) || S_ISSOCK(status.st_mode))
        return {Destination::Direct, target, -1, 0};
    return {Destination::Unusable, target, -1, S_ISDIR(status.st_mode) ? EISDIR : 0};
}

QString unwritableReason(const QString &path)
{
    const Destination d = destinationOf(path);
    switch (d.kind) {
    case Destination::Descriptor: {
        const int flags = ::fcntl(d.fd, F_GETFL);
        if (flags < 0)
            return because(path, errno);
        return (flags & O_ACCMODE) == O_RDONLY ? because(path, EBADF) : QString();
    }
    case Destination::NewFile:
    case Destination::RegularFile: {
        // The temporary file is made in the same folder.
        const QString folder = QFileInfo(d.path).absolutePath();
        return folderProblem(folder);
    }
    case Destination::Direct: {
        const int error = writeError(d.path);
        return error ? because(d.path, error) : QString();
    }
    case Destination::Unusable:
        if (d.error)
            return because(path, d.error);
        break;
    }
    return Texts::tr("%1: 設定ファイルを書き込めるファイルではありません").arg(path);
}

QString workFileClash(const QString &path, const QString &workFile)
{
    const Destination d = destinationOf(path);
    struct stat written {}, work {};
    const bool there = d.kind == Destination::Descriptor ? ::fstat(d.fd, &written) == 0
                                                         : ::stat(QFile::encodeName(d.path).constData(), &written) == 0;
    const bool same = there && ::stat(QFile::encodeName(workFile).constData(), &work) == 0
                          ? written.st_dev == work.st_dev && written.st_ino == work.st_ino
                          : d.kind != Destination::Descriptor
                                && QFileInfo(d.path).absoluteFilePath()
                                       == QFileInfo(destinationOf(workFile).path).absoluteFilePath();
    return same ? Texts::tr("%1: 作業ファイル %2 そのものです (設定ファイルには別のファイルを指定してください)").arg(path, workFile)
                : QString();
}

QString writeFile(const QString &path, const QByteArray &bytes, const std::function<bool()> &keep, int mode)
{
    if (QString why = unwritableReason(path); !why.isEmpty())
        return why;
    const Destination d = destinationOf(path);
    if (d.kind == Destination::Descriptor)
        return writeAll(d.fd, path, bytes);
    if (d.kind == Destination::Direct) {
        const int fd = ::open(QFile::encodeName(d.path).constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        if (fd < 0)
            return because(path, errno);
        QString why = writeAll(fd, path, bytes);
        ::close(fd);
        return why;
    }
    // A regular file or a new one: a temporary file beside it, renamed over
    // it at the end. QSaveFile's commit() can report success after a failed
    // last write: flush() tells.
    QSaveFile file(d.path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
        return QStringLiteral("%1: %2").arg(path, file.errorString());
    if (mode < 0 && d.kind == Destination::NewFile)
        mode = 0600;
    if (mode >= 0 && ::fchmod(file.handle(), mode_t(mode)) != 0)
        return because(path, errno);
    if (keep && !keep()) {
        file.cancelWriting();
        return Texts::tr("%1: 書き込みを取り消しました").arg(path);
    }
    if (!file.commit())
        return QStringLiteral("%1: %2").arg(path, file.errorString());
    return {};
}

QString portFileName(const QString &device)
{
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9._+-]+"));
    // A stable name alone says which adapter; another device its path
    // below /dev/ ("pts_3", "ttyUSB0").
    const QString stable = device.startsWith(u'/') ? stableName(device) : device;
    const QString name = stable != device || !device.startsWith(QLatin1String("/dev/"))
                             ? QFileInfo(stable).fileName()
                             : device.mid(5).replace(u'/', u'_');
    QString safe = name;
    safe.replace(unsafe, QStringLiteral("_"));
    return safe.isEmpty() || safe.startsWith(u'.') ? u'_' + safe : safe;
}

QString folderToMakeProblem(const QString &path)
{
    QString folder = path;
    // The first folder on the way that exists must let this user make the rest.
    while (!QFileInfo(folder).exists() && QFileInfo(folder).absolutePath() != folder)
        folder = QFileInfo(folder).absolutePath();
    return folderProblem(folder);
}

QString writePrivateFile(const QString &path, const QByteArray &bytes)
{
    const QString folder = QFileInfo(path).absolutePath();
    QString why = folderToMakeProblem(folder);
    if (why.isEmpty() && !QDir().mkpath(folder))
        why = because(folder, errno ? errno : EACCES);
    return why.isEmpty() ? writeFile(path, bytes, {}, 0600) : why;
}

} // namespace korvanta::profile
