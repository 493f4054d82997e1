// SPDX-License-Identifier: GPL-3.0-or-later
#include "profile/destination.h"

#include "link/ports.h"
#include "profile/profilefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace korvanta::profile {

namespace {

enum class Kind { Missing, Regular, Direct, Folder, Other };

Kind kindOf(const QString &path, int *error = nullptr)
{
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0) {
        if (error)
            *error = errno;
        return Kind::Missing;
    }
    if (S_ISREG(status.st_mode))
        return Kind::Regular;
    if (S_ISFIFO(status.st_mode) || S_ISCHR(status.st_mode))
        return Kind::Direct;
    return S_ISDIR(status.st_mode) ? Kind::Folder : Kind::Other;
}

QString because(const QString &path, int error)
{
    return QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(error)));
}

bool mayWrite(const QString &path) { return ::access(QFile::encodeName(path).constData(), W_OK) == 0; }

} // namespace

QString unwritableReason(const QString &path)
{
    int error = 0;
    switch (kindOf(path, &error)) {
    case Kind::Missing: {
        if (error != ENOENT)
            return because(path, error);
        const QString folder = QFileInfo(path).absolutePath();
        if (kindOf(folder, &error) != Kind::Folder)
            return because(folder, error ? error : ENOTDIR);
        return mayWrite(folder) ? QString() : because(folder, EACCES);
    }
    case Kind::Regular: {
        // The temporary file is made in the same folder.
        const QString folder = QFileInfo(path).absolutePath();
        return mayWrite(folder) ? QString() : because(folder, EACCES);
    }
    case Kind::Direct:
        return mayWrite(path) ? QString() : because(path, EACCES);
    case Kind::Folder:
        return because(path, EISDIR);
    case Kind::Other:
        break;
    }
    return Texts::tr("%1: 設定ファイルを書き込めるファイルではありません").arg(path);
}

QString writeFile(const QString &path, const QByteArray &bytes, const std::function<bool()> &keep)
{
    if (QString why = unwritableReason(path); !why.isEmpty())
        return why;
    if (kindOf(path) == Kind::Direct) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(bytes) != bytes.size())
            return QStringLiteral("%1: %2").arg(path, file.errorString());
        return {};
    }
    // QSaveFile's commit() can report success after a failed last write:
    // flush() tells.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
        return QStringLiteral("%1: %2").arg(path, file.errorString());
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

QString automaticBackupPath(const QString &device, const QDateTime &utc)
{
    const QDir data(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    return data.filePath(QStringLiteral("korvanta/backups/%1-%2.ini")
                             .arg(portFileName(device), utc.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"))));
}

QString saveAutomaticBackup(const Profile &profile, const QString &device, QString *error)
{
    const QString first = automaticBackupPath(device);
    QString path = first;
    // Two restores of one port within a second keep both backups.
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = QString(first).replace(QStringLiteral(".ini"), QStringLiteral("-%1.ini").arg(n));
    const QString folder = QFileInfo(path).absolutePath();
    errno = 0;
    const QString why = QDir().mkpath(folder) ? writeFile(path, write(profile)) : because(folder, errno ? errno : EACCES);
    if (why.isEmpty())
        return path;
    if (error)
        *error = why;
    return {};
}

} // namespace korvanta::profile
