// SPDX-License-Identifier: GPL-3.0-or-later
// korvanta-cli history and rollback: the adapter's settings as they were
// before each change, listed, pruned and brought back.

#include "cli/restore.h"
#include "profile/history.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace korvanta::cli {

namespace {

// The settings listed by name beside an entry; the rest are counted.
constexpr int kNamedSettings = 3;

QString changedText(const QStringList &changed)
{
    if (changed.isEmpty())
        return Command::tr("every setting");
    QString names = changed.mid(0, kNamedSettings).join(QStringLiteral(", "));
    if (changed.size() > kNamedSettings)
        names += QStringLiteral(", …");
    return Command::tr("%n setting(s): %1", nullptr, int(changed.size())).arg(names);
}

QString localTime(const QDateTime &utc)
{
    return utc.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

class HistoryCommand : public Command {
public:
    QString name() const override { return QStringLiteral("history"); }
    QString synopsis() const override { return QString(); }
    QString summary() const override
    {
        return Command::tr("list the adapter's settings as they were before\n"
                           "each change, newest first: when, which program,\n"
                           "what change; --prune: remove what the retention\n"
                           "(history.conf) does not keep; rollback brings\n"
                           "one back");
    }
    QList<QCommandLineOption> options() const override
    {
        return {{QStringLiteral("prune"), Command::tr("remove the entries the retention does not keep")}};
    }
    int run(Context &context, const QCommandLineParser &parser, const QStringList &arguments) override
    {
        if (!arguments.isEmpty())
            return usageError(Command::tr("history takes no arguments"));
        context.aboutPort();
        const QString port = context.historyPort();
        QStringList pruned;
        if (parser.isSet(QStringLiteral("prune"))) {
            QStringList problems;
            const profile::Retention retention = profile::historyRetention(&problems);
            for (const QString &problem : problems)
                context.say(problem);
            pruned = profile::prune(port, retention);
            if (!context.json())
                context.say(Command::tr("%n entry(ies) removed", nullptr, int(pruned.size())));
        }
        const QList<profile::HistoryEntry> entries = profile::history(port);
        if (context.json()) {
            QJsonArray list;
            int number = 0;
            for (const profile::HistoryEntry &e : entries)
                list.append(QJsonObject{{QStringLiteral("number"), ++number},
                                        {QStringLiteral("name"), e.name},
                                        {QStringLiteral("path"), e.path},
                                        {QStringLiteral("time"), e.when.toString(Qt::ISODateWithMs)},
                                        {QStringLiteral("program"), e.program},
                                        {QStringLiteral("change"), e.change},
                                        {QStringLiteral("changed"), QJsonArray::fromStringList(e.changed)}});
            QJsonObject o{{QStringLiteral("port"), context.portName()},
                          {QStringLiteral("folder"), profile::historyFolder(port)},
                          {QStringLiteral("entries"), list}};
            if (parser.isSet(QStringLiteral("prune")))
                o.insert(QStringLiteral("pruned"), QJsonArray::fromStringList(pruned));
            context.printJson(QJsonDocument(o));
            return kDone;
        }
        if (entries.isEmpty())
            context.say(Command::tr("no change of this adapter is on record (%1)").arg(profile::historyFolder(port)));
        int number = 0;
        for (const profile::HistoryEntry &e : entries)
            context.print(QStringLiteral("%1  %2  %3  %4: %5  [%6]")
                              .arg(++number, 2)
                              .arg(localTime(e.when), e.program, e.change, changedText(e.changed), e.name));
        return kDone;
    }
};

class RollbackCommand : public Command {
public:
    QString name() const override { return QStringLiteral("rollback"); }
    QString synopsis() const override { return QStringLiteral("[ENTRY]"); }
    QString summary() const override
    {
        return Command::tr("bring the adapter back to its settings before\n"
                           "the latest change, or before ENTRY (a number of\n"
                           "history, 1 the newest, or an entry's name), as a\n"
                           "restore --merge of that entry: it keeps an entry\n"
                           "of its own, so a rollback is undone by another");
    }
    QList<QCommandLineOption> options() const override { return restoreOptions(); }
    int run(Context &context, const QCommandLineParser &parser, const QStringList &arguments) override
    {
        if (arguments.size() > 1)
            return usageError(Command::tr("rollback takes one ENTRY at most"));
        context.aboutPort();
        QString why;
        const auto entry = profile::findEntry(context.historyPort(), arguments.value(0), &why);
        const auto wanted = entry ? profile::readEntry(*entry, &why) : std::nullopt;
        if (!wanted) {
            context.say(why);
            return kTrouble;
        }
        context.say(Command::tr("back to before %1 (%2, %3)").arg(entry->change, localTime(entry->when), entry->program));
        const int status = restoreProfile(context, parser, *wanted, entry->path, QStringLiteral("rollback ") + entry->name);
        // A rollback cut short has kept its own entry, now the newest: a plain
        // "rollback" again would undo this one instead of finishing it.
        if (status == kFailed)
            context.say(Command::tr("to finish this rollback, name its entry: korvanta-cli rollback %1").arg(entry->name));
        return status;
    }
};

const Registration<HistoryCommand> historyRegistered;
const Registration<RollbackCommand> rollbackRegistered;

} // namespace

} // namespace korvanta::cli
