#include "workfile/workfile.h"

#define SI_NO_CONVERSION
#include <SimpleIni.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace korvanta {

namespace {
constexpr qint64 kMaxFileSize = 64 * 1024 * 1024; // larger is not a work file of ours
} // namespace

struct WorkFile::Ini {
    CSimpleIniA ini{false, false, false};
    Ini() { ini.SetSpaces(false); }
};

WorkFile::WorkFile(const QString &path) : m_path(path), m_ini(std::make_unique<Ini>()) {}

WorkFile::~WorkFile()
{
    if (m_dirty)
        save();
}

QString WorkFile::defaultPath()
{
    const QString dir = QCoreApplication::applicationDirPath();
    const QString besideExecutable = QDir(dir).filePath(QStringLiteral("mail.ini"));
    const QFileInfo existing(besideExecutable);
    bool writable = existing.exists() ? existing.isWritable() : false;
    if (!existing.exists()) {
        QTemporaryFile probe(QDir(dir).filePath(QStringLiteral("mail.XXXXXX")));
        writable = probe.open();
    }
    if (writable)
        return besideExecutable;
    const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QDir().mkpath(config);
    return QDir(config).filePath(QStringLiteral("mail.ini"));
}

void WorkFile::reloadIfChanged() const
{
    if (m_checkedInBatch)
        return;
    m_checkedInBatch = m_batchDepth > 0;
    const QFileInfo info(m_path);
    const QDateTime stamp = info.exists() ? info.lastModified() : QDateTime();
    const qint64 size = info.exists() ? info.size() : -1;
    if (stamp == m_loadedStamp && size == m_loadedSize)
        return;
    if (m_dirty)
        return; // what this process stored and has not yet written wins
    m_loadedStamp = stamp;
    m_loadedSize = size;
    m_ini->ini.Reset();
    if (size <= 0 || size > kMaxFileSize)
        return;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray data = file.readAll();
    m_ini->ini.LoadData(data.constData(), size_t(data.size()));
}

QString WorkFile::fetch(const QString &section, const QString &key, const QString &fallback) const
{
    reloadIfChanged();
    const char *value = m_ini->ini.GetValue(section.toUtf8().constData(), key.toUtf8().constData(), nullptr);
    if (!value)
        return fallback;
    return QString::fromUtf8(value).left(kMaxValueLength);
}

void WorkFile::store(const QString &section, const QString &key, const QString &value)
{
    reloadIfChanged();
    // A line break inside a value would make a new line of the file.
    QString clean = value;
    clean.remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
    m_ini->ini.SetValue(section.toUtf8().constData(), key.toUtf8().constData(), clean.toUtf8().constData());
    m_dirty = true;
    if (m_batchDepth == 0)
        save();
}

void WorkFile::save()
{
    std::string text;
    m_ini->ini.Save(text);
    QSaveFile file(m_path);
    m_lastSaveOk = file.open(QIODevice::WriteOnly) && file.write(text.data(), qint64(text.size())) == qint64(text.size())
                   && file.flush() && file.commit();
    if (!m_lastSaveOk)
        file.cancelWriting();
    m_dirty = false;
    const QFileInfo info(m_path);
    // Keep the values in memory even when the disk refused them, so that a
    // later fetch of this run still sees what the adapter said.
    m_loadedStamp = m_lastSaveOk ? info.lastModified() : m_loadedStamp;
    m_loadedSize = m_lastSaveOk ? info.size() : m_loadedSize;
}

bool WorkFile::lock()
{
    if (!m_lock) {
        m_lock = std::make_unique<QLockFile>(m_path + QStringLiteral(".lock"));
        m_lock->setStaleLockTime(0);
    }
    if (m_lock->isLocked() || m_lock->tryLock(0))
        return true;
    // Only a lock file that exists is another utility's. One that cannot be
    // made at all (a folder that cannot be written) claims nothing either way.
    return m_lock->error() != QLockFile::LockFailedError;
}

} // namespace korvanta
