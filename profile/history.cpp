// SPDX-License-Identifier: GPL-3.0-or-later
#include "profile/history.h"

#include "profile/destination.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimeZone>

#include <algorithm>

namespace korvanta::profile {

namespace {

const QString kTimeFormat = QStringLiteral("yyyyMMdd'T'HHmmss.zzz'Z'");
const QString kSuffix = QStringLiteral(".ini");

// The header lines, each "; NAME: value" at the top of the file.
constexpr const char *kWhen = "when";
constexpr const char *kProgram = "program";
constexpr const char *kChange = "change";
constexpr const char *kChanged = "changed";

// A header value on one line: control characters (a line break in a typed
// command, say) become spaces.
QString oneLine(QString text)
{
    for (QChar &c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = u' ';
    return text;
}

QByteArray header(const HistoryEntry &e)
{
    QByteArray out = "; KORVAN-TA settings history: the settings before one change;\n"
                     "; korvanta-cli rollback (or restore --merge of this file) brings them back\n";
    const auto line = [&out](const char *name, const QString &value) {
        out += "; " + QByteArray(name) + ": " + oneLine(value).toUtf8() + '\n';
    };
    line(kWhen, e.when.toString(Qt::ISODateWithMs));
    line(kProgram, e.program);
    line(kChange, e.change);
    line(kChanged, e.changed.join(u' '));
    return out;
}

std::optional<HistoryEntry> entryOf(const QString &path)
{
    const QFileInfo info(path);
    HistoryEntry e;
    e.path = path;
    e.name = info.completeBaseName();
    e.when = QDateTime::fromString(e.name, kTimeFormat);
    if (!e.when.isValid())
        return std::nullopt; // not an entry of ours
    e.when.setTimeZone(QTimeZone::utc());
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return e;
    // The header stands before the first setting.
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (!line.startsWith(u';'))
            break;
        const qsizetype colon = line.indexOf(QLatin1String(": "));
        if (colon < 0)
            continue;
        const QString name = line.mid(1, colon - 1).trimmed(), value = line.mid(colon + 2);
        if (name == QLatin1String(kProgram))
            e.program = value;
        else if (name == QLatin1String(kChange))
            e.change = value;
        else if (name == QLatin1String(kChanged))
            e.changed = value.split(u' ', Qt::SkipEmptyParts);
    }
    return e;
}

QString entryPath(const QString &port, const QDateTime &utc)
{
    return QDir(historyFolder(port)).filePath(utc.toUTC().toString(kTimeFormat) + kSuffix);
}

} // namespace

QString historyFolder()
{
    const QDir data(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    return data.filePath(QStringLiteral("korvanta/history"));
}

QString historyFolder(const QString &port)
{
    return QDir(historyFolder()).filePath(portFileName(port));
}

QString historyProblem()
{
    return folderToMakeProblem(historyFolder());
}

QString record(const Profile &before, const QString &port, const HistoryEntry &about, QString *error)
{
    HistoryEntry e = about;
    e.when = QDateTime::currentDateTimeUtc();
    e.path = entryPath(port, e.when);
    // Two changes of one port within a millisecond: the later one a
    // millisecond on, so that both are kept and still sort in time order.
    while (QFileInfo::exists(e.path))
        e.path = entryPath(port, e.when = e.when.addMSecs(1));
    QString why = unrestorable(before);
    if (why.isEmpty())
        why = writePrivateFile(e.path, header(e) + write(before));
    if (!why.isEmpty()) {
        if (error)
            *error = why;
        return {};
    }
    prune(port, historyRetention());
    return e.path;
}

QList<HistoryEntry> history(const QString &port)
{
    QList<HistoryEntry> entries;
    const QDir folder(historyFolder(port));
    // The names are times: sorted by name, newest first.
    for (const QString &name : folder.entryList({QLatin1Char('*') + kSuffix}, QDir::Files, QDir::Name | QDir::Reversed))
        if (auto e = entryOf(folder.filePath(name)))
            entries << *e;
    return entries;
}

std::optional<HistoryEntry> findEntry(const QString &port, const QString &which, QString *error)
{
    const QList<HistoryEntry> entries = history(port);
    const auto fail = [error](const QString &why) -> std::optional<HistoryEntry> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (entries.isEmpty())
        return fail(Texts::tr("%1 にはまだ履歴がありません").arg(port));
    if (which.isEmpty())
        return entries.first();
    bool number = false;
    const int n = which.toInt(&number);
    if (number && which.size() < 8) { // a name begins with eight digits of its date
        if (n >= 1 && n <= entries.size())
            return entries[n - 1];
        return fail(Texts::tr("%1 の履歴は %2 件です: %3 番目はありません").arg(port).arg(entries.size()).arg(which));
    }
    // A path or a file name names the entry as well as its name does.
    QString name = QFileInfo(which).fileName();
    if (name.endsWith(kSuffix))
        name.chop(kSuffix.size());
    QList<HistoryEntry> matching;
    for (const HistoryEntry &e : entries)
        if (e.name.startsWith(name, Qt::CaseInsensitive))
            matching << e;
    if (matching.size() == 1)
        return matching.first();
    if (matching.isEmpty())
        return fail(Texts::tr("%1 の履歴に「%2」はありません").arg(port, which));
    return fail(Texts::tr("%1 の履歴の %n 件が「%2」で始まります", nullptr, int(matching.size())).arg(port, which));
}

std::optional<Profile> readEntry(const HistoryEntry &entry, QString *error)
{
    QFile file(entry.path);
    QString why;
    if (!file.open(QIODevice::ReadOnly)) {
        why = QStringLiteral("%1: %2").arg(entry.path, file.errorString());
    } else {
        const auto parsed = parse(file.readAll(), settingKeys(), Reading::Merge);
        if (const auto *p = std::get_if<Profile>(&parsed))
            return *p;
        why = std::get<ParseError>(parsed).describe(entry.path);
    }
    if (error)
        *error = why;
    return std::nullopt;
}

QString retentionPath()
{
    const QDir config(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
    return config.filePath(QStringLiteral("korvanta/history.conf"));
}

Retention historyRetention(QStringList *problems)
{
    Retention r;
    QFile file(retentionPath());
    if (!file.open(QIODevice::ReadOnly))
        return r; // none: the defaults
    static const QRegularExpression setting(QStringLiteral("^\\s*(keep|days)\\s*=\\s*([0-9]{1,6})\\s*$"));
    int number = 0;
    while (!file.atEnd()) {
        ++number;
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QRegularExpressionMatch m = setting.match(line);
        if (!m.hasMatch()) {
            if (problems)
                *problems << Texts::tr("%1:%2: 「keep = 件数」か「days = 日数」ではありません: %3")
                                 .arg(file.fileName())
                                 .arg(number)
                                 .arg(line);
            continue;
        }
        (m.captured(1) == QLatin1String("keep") ? r.keep : r.days) = m.captured(2).toInt();
    }
    return r;
}

QStringList prune(const QString &port, const Retention &retention, const QDateTime &now)
{
    QStringList removed;
    const QList<HistoryEntry> entries = history(port);
    const QDateTime oldest = now.addDays(-retention.days);
    // The newest stays whatever the retention says: the last change can
    // always be undone.
    for (qsizetype i = std::max(1, retention.keep); i < entries.size(); ++i)
        if (entries[i].when < oldest && QFile::remove(entries[i].path))
            removed << entries[i].path;
    return removed;
}

} // namespace korvanta::profile
