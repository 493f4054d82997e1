// SPDX-License-Identifier: GPL-3.0-or-later
#include "workfile/workfile.h"

#include "workfile/settingvalues.h"

#define SI_NO_CONVERSION
#include <SimpleIni.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>

#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace korvanta {

namespace {
constexpr qint64 kMaxFileSize = 64 * 1024 * 1024; // larger is not a work file of ours
} // namespace

struct WorkFile::Ini {
    CSimpleIniA ini{false, false, false};
    Ini() { ini.SetSpaces(false); }
};

// Writes whole texts of the file, one after the other, on a thread of its own.
// Only the newest text waiting matters: each holds the whole file.
class WorkFile::Writer {
public:
    struct Written {
        quint64 count = 0; // texts written (or refused) so far
        bool ok = true;
        QDateTime stamp;
        qint64 size = -1;
    };

    explicit Writer(const QString &path) : m_path(path), m_thread([this] { run(); }) {}
    ~Writer()
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        m_thread.join(); // after what is waiting has been written
    }

    void write(std::string text)
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_next = std::move(text);
            ++m_queued;
        }
        m_wake.notify_all();
    }
    // True while a text waits or is being written.
    bool busy() const
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_written.count != m_queued;
    }
    Written waitIdle() const
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_idle.wait(lock, [this] { return m_written.count == m_queued; });
        return m_written;
    }
    Written written() const
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_written;
    }

private:
    void run()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_next || m_stop; });
            if (!m_next)
                return; // stopped, nothing left
            const std::string text = std::move(*m_next);
            m_next.reset();
            const quint64 upTo = m_queued;
            lock.unlock();
            Written w;
            // A new file is its owner's alone: it holds telephone numbers. One
            // that is there keeps its mode.
            const bool fresh = !QFileInfo::exists(m_path);
            QSaveFile file(m_path);
            w.ok = file.open(QIODevice::WriteOnly) && (!fresh || ::fchmod(file.handle(), 0600) == 0)
                   && file.write(text.data(), qint64(text.size())) == qint64(text.size())
                   && file.flush() && file.commit();
            if (!w.ok)
                file.cancelWriting();
            const QFileInfo info(m_path);
            w.stamp = info.lastModified();
            w.size = info.size();
            lock.lock();
            w.count = upTo;
            m_written = w;
            if (m_written.count == m_queued)
                m_idle.notify_all();
        }
    }

    const QString m_path;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_idle;
    std::condition_variable m_wake;
    std::optional<std::string> m_next;
    quint64 m_queued = 0;
    Written m_written;
    bool m_stop = false;
    std::thread m_thread;
};

WorkFile::WorkFile(const QString &path)
    : m_path(path), m_ini(std::make_unique<Ini>()), m_writer(std::make_unique<Writer>(path))
{
}

WorkFile::~WorkFile()
{
    if (m_dirty)
        save();
    m_writer.reset(); // what is queued is written first
}

QString WorkFile::defaultPath()
{
    const QDir dir(QCoreApplication::applicationDirPath());
    const QString beside = dir.filePath(QStringLiteral("mail.ini"));
    if (dir.exists(QStringLiteral(KORVANTA_BUILD_TREE_MARKER)))
        return beside;
    // A copy of the program in a folder of its own (no share/korvanta beside
    // its folder, as an install prefix has) that already keeps its mail.ini
    // there goes on using it. A mail.ini under a prefix is none of ours to
    // write: an earlier run as root may have left it.
    const QFileInfo existing(beside);
    const bool installed = QFileInfo(dir.filePath(QStringLiteral("../share/korvanta"))).isDir();
    if (!installed && existing.isFile() && existing.isWritable())
        return beside;
    const QString data =
        QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)).filePath(QStringLiteral("korvanta"));
    QDir().mkpath(data);
    return QDir(data).filePath(QStringLiteral("mail.ini"));
}

void WorkFile::reloadIfChanged() const
{
    if (m_checkedInBatch)
        return;
    if (m_writer->busy())
        return; // what this process stored and has not yet written wins
    adoptWritten();
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
    QString text = QString::fromUtf8(value);
    if (text.size() > kMaxValueLength)
        // Not between the two halves of a character outside the BMP: half of
        // one is no character, and could not be stored again.
        text.truncate(text[kMaxValueLength - 1].isHighSurrogate() ? kMaxValueLength - 1 : kMaxValueLength);
    return text;
}

void WorkFile::store(const QString &section, const QString &key, const QString &value)
{
    reloadIfChanged();
    // A line break inside a value would make a new line of the file, and
    // blanks at either end do not come back from it: the value kept is the
    // one the file gives back, in this run as in the next.
    QString clean = value;
    clean.remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    while (!clean.isEmpty() && blank(clean.back()))
        clean.chop(1);
    qsizetype start = 0;
    while (start < clean.size() && blank(clean[start]))
        ++start;
    clean.remove(0, start);
    m_ini->ini.SetValue(section.toUtf8().constData(), key.toUtf8().constData(), clean.toUtf8().constData());
    m_dirty = true;
    if (m_batchDepth == 0)
        save();
}

void WorkFile::save()
{
    std::string text;
    m_ini->ini.Save(text);
    m_writer->write(std::move(text));
    m_dirty = false;
}

void WorkFile::adoptWritten() const
{
    const Writer::Written w = m_writer->written();
    if (w.count == m_adoptedWrite)
        return;
    m_adoptedWrite = w.count;
    m_lastSaveOk = w.ok;
    // Keep the values in memory even when the disk refused them, so that a
    // later fetch of this run still sees what the adapter said.
    if (w.ok) {
        m_loadedStamp = w.stamp;
        m_loadedSize = w.size;
    }
}

void WorkFile::flush() const
{
    m_writer->waitIdle();
    adoptWritten();
}

bool WorkFile::lastSaveOk() const
{
    flush();
    return m_lastSaveOk;
}

QString WorkFile::unwritableReason(const QString &path)
{
    const auto because = [](const QString &where, int error) {
        return QStringLiteral("%1: %2").arg(where, QString::fromLocal8Bit(std::strerror(error)));
    };
    if (path.isEmpty()) // no temporary folder could be made for it
        return because(QDir::tempPath(), EACCES);
    const QString folder = QFileInfo(path).absolutePath();
    struct stat status {};
    if (::stat(QFile::encodeName(folder).constData(), &status) != 0)
        return because(folder, errno);
    if (!S_ISDIR(status.st_mode))
        return because(folder, ENOTDIR);
    // The file is replaced through a temporary file in its folder.
    if (::access(QFile::encodeName(folder).constData(), W_OK) != 0)
        return because(folder, errno);
    if (::stat(QFile::encodeName(path).constData(), &status) == 0 && S_ISDIR(status.st_mode))
        return because(path, EISDIR);
    return {};
}

WorkFilePlace::WorkFilePlace(const QString &named, bool simulated, const QString &fallback)
{
    if (!named.isEmpty()) {
        m_path = named;
    } else if (simulated) {
        m_scratch = std::make_unique<QTemporaryDir>();
        m_path = m_scratch->isValid() ? m_scratch->filePath(QStringLiteral("mail.ini")) : QString();
    } else {
        m_path = fallback;
    }
}

WorkFilePlace::~WorkFilePlace() = default;

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

QString WorkFile::inUseMessage() const
{
    return QCoreApplication::translate("korvanta::WorkFile",
                                       "KORVAN-TA 設定ユーティリティは既に起動しています。\n"
                                       "同じ作業ファイル (%1) を使うユーティリティは一つだけ起動できます。")
        .arg(m_path);
}

QString quotedValue(const QString &value)
{
    constexpr qsizetype kLongest = 60;
    QString out;
    for (const QChar c : value.left(kLongest)) {
        if (isControlCharacter(c.unicode()))
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return value.size() > kLongest ? out + QStringLiteral("…") : out;
}

QString refusedReply(const SettingKey &setting, const QString &value)
{
    return QCoreApplication::translate("korvanta::SettingValues", "%1 [%2] %3: 機器の応答の値 \"%4\" はこの設定では使えません")
        .arg(setting.caption, setting.section, setting.key, quotedValue(value));
}

namespace {
// Whether a value its setting refuses is still one a window shows whole: a
// number out of its range, or a text of the setting's characters longer than
// its box. The box widens to it, so that box and work file agree, and the
// window's own range check refuses it should the operator send it; nothing is
// sent unasked. Any other character, or a choice the setting lacks, is no
// value of the setting at all.
bool onlyTooLong(const SettingDomain &domain, const QString &value)
{
    const auto allOf = [](const QString &text, const QString &characters) {
        return std::all_of(text.begin(), text.end(), [&characters](QChar c) { return characters.contains(c); });
    };
    if (domain.max >= domain.min)
        return !value.isEmpty() && allOf(value, QStringLiteral("0123456789"));
    if (domain.text.empty())
        return false;
    // A directory entry: a number, then "*" and a subaddress.
    const qsizetype star = domain.text.size() > 1 ? value.indexOf(u'*') : -1;
    return allOf(star < 0 ? value : value.left(star), domain.text.front().characters)
           && (star < 0 || allOf(value.mid(star + 1), domain.text.back().characters));
}
} // namespace

bool ReadKeeper::operator()(const char *key, const QString &value) const
{
    const QString name = QString::fromLatin1(key);
    for (const SettingKey &setting : settings) {
        if (!sameSettingName(setting.section, setting.key, section, name))
            continue;
        if (!setting.accepts || !(setting.accepts(value) || onlyTooLong(setting.domain, value))) {
            refusal = refusedReply(setting, value);
            return false;
        }
        break;
    }
    workFile.store(section, name, value);
    values.set(section, name, value);
    return true;
}

} // namespace korvanta
