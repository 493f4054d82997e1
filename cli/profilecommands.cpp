// SPDX-License-Identifier: GPL-3.0-or-later
// korvanta-cli backup, restore and diff: settings profiles of the adapter.

#include "cli/command.h"
#include "link/session.h"
#include "profile/adapterprofile.h"
#include "profile/destination.h"

#include <QCommandLineParser>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <sys/stat.h>

namespace korvanta::cli {

namespace {

QString standardInput() { return Command::tr("standard input"); }
QString nothingChanged() { return Command::tr("nothing was changed"); }

// A profile from a file ("-": standard input); empty, with the reason said,
// when it cannot be read or is refused.
std::optional<profile::Profile> readProfile(Context &context, const QString &path)
{
    QFile file;
    const bool fromStdin = path == QLatin1String("-");
    const QString name = fromStdin ? standardInput() : path;
    const bool opened = fromStdin ? file.open(stdin, QIODevice::ReadOnly)
                                  : (file.setFileName(path), file.open(QIODevice::ReadOnly));
    if (!opened) {
        context.say(Command::tr("%1: %2").arg(name, file.errorString()));
        return std::nullopt;
    }
    const QByteArray text = file.readAll();
    if (file.error() != QFileDevice::NoError) { // a folder reads as an error, not as nothing
        context.say(Command::tr("%1: %2").arg(name, file.errorString()));
        return std::nullopt;
    }
    const auto parsed = profile::parse(text);
    if (const auto *error = std::get_if<profile::ParseError>(&parsed)) {
        context.say(error->describe(name));
        return std::nullopt;
    }
    return std::get<profile::Profile>(parsed);
}

QJsonValue orNull(const std::optional<QString> &value)
{
    return value ? QJsonValue(*value) : QJsonValue();
}

// The document of diff and restore: each change from → to, what was skipped
// and why, the backup taken, and whether the adapter stored.
struct Report {
    QList<profile::Difference> changes;
    QJsonArray skipped;
    QString backup;
    bool stored = false;

    QJsonDocument document() const
    {
        QJsonArray list;
        for (const profile::Difference &d : changes)
            list.append(QJsonObject{{QStringLiteral("caption"), d.setting->caption},
                                    {QStringLiteral("section"), d.setting->section},
                                    {QStringLiteral("key"), d.setting->key},
                                    {QStringLiteral("from"), orNull(d.left)},
                                    {QStringLiteral("to"), orNull(d.right)}});
        return QJsonDocument(QJsonObject{{QStringLiteral("changes"), list},
                                         {QStringLiteral("skipped"), skipped},
                                         {QStringLiteral("backup"), backup.isEmpty() ? QJsonValue() : backup},
                                         {QStringLiteral("stored"), stored}});
    }
};

void printChanges(Context &context, const QList<profile::Difference> &differences)
{
    if (context.json())
        return;
    for (const profile::Difference &d : differences)
        context.print(profile::describe(d));
}

// What the adapter's firmware lacks: the setting, or only the profile's value
// of it. In the operator's language when translated; as written for --json,
// whose reasons scripts compare whatever the locale.
QString lackReason(const SettingKey &k, const profile::Profile &wanted, bool translated)
{
    const char *const text = k.newFirmwareOnly
                                 ? QT_TRANSLATE_NOOP("korvanta::cli::Command", "the adapter's firmware lacks the setting")
                                 : QT_TRANSLATE_NOOP("korvanta::cli::Command",
                                                     "the adapter's firmware lacks the value \"%1\" of the setting");
    const QString reason = translated ? Command::tr(text) : QString::fromLatin1(text);
    return k.newFirmwareOnly ? reason : reason.arg(wanted.values.get(k.section, k.key).value_or(QString()));
}

class BackupCommand : public Command {
public:
    QString name() const override { return QStringLiteral("backup"); }
    QString synopsis() const override { return QStringLiteral("FILE"); }
    QString summary() const override
    {
        return Command::tr("read every setting into a profile FILE\n(\"-\": standard output)");
    }
    int run(Context &context, const QCommandLineParser &, const QStringList &arguments) override
    {
        if (arguments.size() != 1)
            return usageError(Command::tr("backup takes one FILE"));
        const QString path = arguments[0];
        const bool toStdout = path == QLatin1String("-");
        context.aboutPort();
        // What cannot be written is said before the adapter is read.
        if (const QString why = toStdout ? QString() : profile::unwritableReason(path); !why.isEmpty()) {
            context.say(why);
            return kTrouble;
        }
        Session *session = context.connect();
        if (!session)
            return context.failure();
        const QString unwritten = toStdout ? nothingChanged() : Command::tr("nothing was changed, %1 was not written").arg(path);
        context.step(Command::tr("reading the settings"), unwritten);
        profile::Profile p;
        if (!profile::backup(*session, p) || context.stopping())
            return kFailed;
        Context::progress({});
        const QByteArray bytes = profile::write(p);
        if (toStdout) {
            context.write(bytes);
            return kDone;
        }
        context.step(Command::tr("writing %1").arg(path), unwritten);
        struct stat status {};
        if (::stat(QFile::encodeName(path).constData(), &status) == 0 && !S_ISREG(status.st_mode))
            context.releaseSignals(); // a pipe may wait for its reader: a signal ends the wait as usual
        const QString why = profile::writeFile(path, bytes, [&context] { return !context.stopping(); });
        if (!why.isEmpty() && !context.stopping()) {
            context.say(why);
            return kTrouble;
        }
        return kDone;
    }
};

class RestoreCommand : public Command {
public:
    QString name() const override { return QStringLiteral("restore"); }
    QString synopsis() const override { return QStringLiteral("FILE"); }
    QString summary() const override
    {
        return Command::tr("bring the adapter to the profile FILE: prints\n"
                              "each change, saves the adapter's settings to a\n"
                              "backup, sends only the changes, reads back and\n"
                              "stores (\"AT&W0&W1\"); --dry-run: print only;\n"
                              "--no-store: leave the store to a later run;\n"
                              "--no-backup: no backup first");
    }
    QList<QCommandLineOption> options() const override
    {
        return {{QStringLiteral("dry-run"), Command::tr("print the changes, send none")},
                {QStringLiteral("no-store"), Command::tr("do not store what was sent")},
                {QStringLiteral("no-backup"), Command::tr("no backup of the adapter's settings first")}};
    }
    int run(Context &context, const QCommandLineParser &parser, const QStringList &arguments) override
    {
        if (arguments.size() != 1)
            return usageError(Command::tr("restore takes one FILE"));
        context.aboutPort();
        const auto wanted = readProfile(context, arguments[0]);
        if (!wanted)
            return kTrouble; // nothing reaches the line
        if (const auto broken = profile::brokenRule(*wanted, wanted->values)) {
            context.say(broken->describe(arguments[0])); // nor when its settings break a rule
            return kTrouble;
        }
        Session *session = context.connect();
        if (!session)
            return context.failure();
        context.step(Command::tr("reading the settings"), nothingChanged());
        profile::RestorePlan plan;
        profile::ParseError problem;
        switch (profile::plan(*session, *wanted, plan, &problem)) {
        case profile::Outcome::LineFailed:
            return kFailed;
        case profile::Outcome::Refused:
            context.say(problem.describe(arguments[0]));
            return kTrouble;
        case profile::Outcome::Done:
            break;
        }
        if (context.stopping())
            return kFailed;
        Context::progress({});
        Report report;
        report.changes = plan.changes;
        for (const SettingKey *k : plan.skipped) {
            context.say(Command::tr("skipped, %1: %2 [%3] %4").arg(lackReason(*k, *wanted, true), k->caption, k->section, k->key));
            report.skipped.append(QJsonObject{{QStringLiteral("caption"), k->caption},
                                              {QStringLiteral("section"), k->section},
                                              {QStringLiteral("key"), k->key},
                                              {QStringLiteral("reason"), lackReason(*k, *wanted, false)}});
        }
        printChanges(context, plan.changes);
        const int status = parser.isSet(QStringLiteral("dry-run")) ? kDone : apply(context, parser, *session, plan, report);
        if (context.json())
            context.printJson(report.document());
        return status;
    }

private:
    // Backup, the changes, the read-back, the store.
    static int apply(Context &context, const QCommandLineParser &parser, Session &session,
                     const profile::RestorePlan &plan, Report &report)
    {
        const int count = int(plan.changes.size());
        if (count > 0 && !parser.isSet(QStringLiteral("no-backup"))) {
            context.step(Command::tr("saving the adapter's settings"), nothingChanged());
            QString why;
            const profile::Profile before{session.ModelName, session.FirmwareVersion, plan.adapter, {}};
            report.backup = profile::saveAutomaticBackup(before, context.portName(), &why);
            if (report.backup.isEmpty()) {
                context.say(Command::tr("no backup of the adapter's settings, so nothing was sent: %1").arg(why));
                return kTrouble;
            }
            context.say(Command::tr("the adapter's settings before the restore: ") + report.backup);
        }
        profile::ApplyResult result;
        if (count > 0) {
            context.step(Command::tr("writing %1 settings").arg(count),
                         Command::tr("some of the %1 changes may have been sent, none was stored").arg(count));
            result = profile::apply(session, plan);
            if (context.stopping())
                return kFailed;
        }
        // The adapter stores what it holds, changed now or left unstored
        // before; a failed restore stores whatever got through.
        if (!parser.isSet(QStringLiteral("no-store")))
            report.stored = context.store();
        if (result.outcome != profile::Outcome::Done)
            return kFailed;
        if (!result.unverified.isEmpty()) {
            context.say(Command::tr("read back, these differ from the profile:"));
            for (const profile::Difference &d : result.unverified)
                context.say(profile::describe(d));
            return kFailed;
        }
        return report.stored || parser.isSet(QStringLiteral("no-store")) ? kDone : kFailed;
    }
};

class DiffCommand : public Command {
public:
    QString name() const override { return QStringLiteral("diff"); }
    QString synopsis() const override { return QStringLiteral("FILE [FILE2]"); }
    QString summary() const override
    {
        return Command::tr("the settings where FILE differs from the adapter\n"
                              "(adapter → FILE), or FILE2 from FILE (FILE →\n"
                              "FILE2); status 0 same, 1 different, 2 trouble");
    }
    int run(Context &context, const QCommandLineParser &, const QStringList &arguments) override
    {
        if (arguments.isEmpty() || arguments.size() > 2)
            return usageError(Command::tr("diff takes FILE, or FILE1 FILE2"));
        if (arguments.size() == 1)
            context.aboutPort();
        const auto first = readProfile(context, arguments[0]);
        if (!first)
            return kTrouble;
        profile::Profile from, to;
        if (arguments.size() == 2) {
            const auto second = readProfile(context, arguments[1]);
            if (!second)
                return kTrouble;
            from = *first;
            to = *second;
        } else {
            Session *session = context.connect();
            if (!session)
                return kTrouble;
            context.step(Command::tr("reading the settings"), nothingChanged());
            if (!profile::backup(*session, from) || context.stopping())
                return kTrouble;
            Context::progress({});
            to = *first;
        }
        Report report;
        report.changes = profile::compare(from.values, to.values);
        printChanges(context, report.changes);
        if (context.json())
            context.printJson(report.document());
        return report.changes.isEmpty() ? kDone : kFailed;
    }
};

const Registration<BackupCommand> backupRegistered;
const Registration<RestoreCommand> restoreRegistered;
const Registration<DiffCommand> diffRegistered;

} // namespace

} // namespace korvanta::cli
