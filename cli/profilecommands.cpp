// SPDX-License-Identifier: GPL-3.0-or-later
// korvanta-cli backup, restore and diff: settings profiles of the adapter.

#include "cli/restore.h"
#include "link/session/session.h"
#include "profile/adapterprofile.h"
#include "profile/destination.h"
#include "profile/restore.h"

#include <QCommandLineParser>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>


namespace korvanta::cli {

namespace {

QString standardInput() { return Command::tr("standard input"); }
QString nothingChanged() { return Command::tr("nothing was changed"); }

// A profile from a file ("-": standard input); empty, with the reason said,
// when it cannot be read or is refused.
std::optional<profile::Profile> readProfile(Context &context, const QString &path,
                                           profile::Reading reading = profile::Reading::Whole)
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
    const auto parsed = profile::parse(text, profile::settingKeys(), reading);
    if (const auto *error = std::get_if<profile::ParseError>(&parsed)) {
        context.say(error->describe(name));
        return std::nullopt;
    }
    return std::get<profile::Profile>(parsed);
}

// --merge: a profile of some settings, the others left as they are.
profile::Reading readingOf(const QCommandLineParser &parser)
{
    return parser.isSet(QStringLiteral("merge")) ? profile::Reading::Merge : profile::Reading::Whole;
}

QJsonValue orNull(const std::optional<QString> &value)
{
    return value ? QJsonValue(*value) : QJsonValue();
}

// What the value means, in the run's language.
QJsonValue textOrNull(const SettingKey &setting, const std::optional<QString> &value)
{
    return value ? QJsonValue(profile::meaning(setting, value)) : QJsonValue();
}

QJsonArray keyNames(const QList<const SettingKey *> &settings)
{
    QJsonArray names;
    for (const SettingKey *k : settings)
        names.append(k->section + u'.' + k->key);
    return names;
}

// The document of diff and restore: each change from → to, what was skipped
// and why, what the profile leaves alone, the backup taken; for a restore,
// each change by what the adapter acknowledged, whether the adapter stored,
// and the step a failure stopped it in.
struct Report {
    QJsonValue port; // null when two files are compared
    QString model, firmware;
    QList<profile::Difference> changes;
    QJsonArray skipped;
    QList<const SettingKey *> unmanaged;
    QString backup;
    profile::ApplyResult applied;
    StoreOutcome stored = StoreOutcome::NotSent;
    QString failedStep; // empty: none failed
    bool restoring = false;

    Report(const Context &context, const QString &model, const QString &firmware, bool aboutPort = true)
        : port(aboutPort ? QJsonValue(context.portName()) : QJsonValue()), model(model), firmware(firmware)
    {
    }

    // What the firmware lacks of the profile, said and listed.
    void skip(Context &context, const QList<const SettingKey *> &lacking, const SettingValues &wanted)
    {
        for (const SettingKey *k : lacking) {
            context.say(Command::tr("skipped, %1: %2 [%3] %4").arg(profile::lackReason(*k, wanted), k->caption, k->section, k->key));
            skipped.append(QJsonObject{{QStringLiteral("caption"), k->caption},
                                       {QStringLiteral("section"), k->section},
                                       {QStringLiteral("key"), k->key},
                                       {QStringLiteral("reason"), profile::lackReason(*k, wanted, profile::Wording::Fixed)}});
        }
    }

    // What the profile does not hold, said once with its own heading.
    void leave(Context &context, const QList<const SettingKey *> &settings)
    {
        unmanaged = settings;
        if (settings.isEmpty())
            return;
        QStringList names;
        for (const SettingKey *k : settings)
            names << QStringLiteral("%1 [%2] %3").arg(k->caption, k->section, k->key);
        context.say(Command::tr("not in the profile (its firmware had none), left as the adapter has them:\n%1")
                        .arg(names.join(u'\n')));
    }

    QJsonDocument document() const
    {
        QJsonArray list;
        for (const profile::Difference &d : changes)
            list.append(QJsonObject{{QStringLiteral("caption"), d.setting->caption},
                                    {QStringLiteral("section"), d.setting->section},
                                    {QStringLiteral("key"), d.setting->key},
                                    {QStringLiteral("from"), orNull(d.left)},
                                    {QStringLiteral("to"), orNull(d.right)},
                                    {QStringLiteral("from_text"), textOrNull(*d.setting, d.left)},
                                    {QStringLiteral("to_text"), textOrNull(*d.setting, d.right)}});
        QJsonArray left;
        for (const SettingKey *k : unmanaged)
            left.append(QJsonObject{{QStringLiteral("caption"), k->caption},
                                    {QStringLiteral("section"), k->section},
                                    {QStringLiteral("key"), k->key}});
        QJsonObject o{{QStringLiteral("port"), port},
                      {QStringLiteral("model"), model},
                      {QStringLiteral("firmware"), firmware},
                      {QStringLiteral("changes"), list},
                      {QStringLiteral("skipped"), skipped},
                      {QStringLiteral("unmanaged"), left},
                      {QStringLiteral("backup"), backup.isEmpty() ? QJsonValue() : backup},
                      {QStringLiteral("stored"), storedJson(stored)}};
        if (restoring) {
            o.insert(QStringLiteral("acknowledged"), keyNames(applied.acknowledged));
            o.insert(QStringLiteral("unanswered"), keyNames(applied.unanswered));
            o.insert(QStringLiteral("unsent"), keyNames(applied.unsent));
            o.insert(QStringLiteral("step"), failedStep.isEmpty() ? QJsonValue() : QJsonValue(failedStep));
        }
        return QJsonDocument(o);
    }
};

void printChanges(Context &context, const QList<profile::Difference> &differences, bool aboutPort = true)
{
    if (context.json())
        return;
    const QString head = context.prefixPort() && aboutPort ? context.portName() + QStringLiteral(": ") : QString();
    for (const profile::Difference &d : differences)
        context.print(head + profile::describe(d));
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
        // What cannot be written is said before the adapter is read; so is a
        // profile that would be written over the run's own work file.
        const LineOptions &line = context.options();
        const QString workFile = !line.workFile.isEmpty() ? line.workFile
                                 : line.simulate          ? QString()
                                                          : context.workFilePath();
        QString why = workFile.isEmpty() ? QString() : profile::workFileClash(path, workFile);
        if (why.isEmpty() && !toStdout)
            why = profile::unwritableReason(path);
        if (!why.isEmpty()) {
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
        // A reply the profile would refuse: a file that restore refused later
        // would be no backup at all. The old file stays as it was.
        if (const QString refused = profile::unrestorable(p); !refused.isEmpty()) {
            context.say(refused);
            context.say(unwritten);
            return kFailed;
        }
        const QByteArray bytes = profile::write(p);
        if (toStdout) {
            context.write(bytes);
            return kDone;
        }
        context.step(Command::tr("writing %1").arg(path), unwritten);
        const auto kind = profile::destinationOf(path).kind;
        if (kind == profile::Destination::Direct || kind == profile::Destination::Descriptor)
            context.releaseSignals(); // a pipe may wait for its reader: a signal ends the wait as usual
        why = profile::writeFile(path, bytes, [&context] { return !context.stopping(); });
        if (!why.isEmpty() && !context.stopping()) {
            context.say(why);
            return kTrouble;
        }
        return kDone;
    }
};

} // namespace

namespace {
// The steps of a restore, as JSON names them and as messages say them.
constexpr const char *kStepKeys[] = {"reading", "writing", "reading back", "storing"};
// The step a failure stopped the run in; what stops it after the read-back
// stops it before the store.
QString stepKey(profile::Step step)
{
    return QString::fromLatin1(kStepKeys[int(step == profile::Step::Done ? profile::Step::Storing : step)]);
}
QString stepName(profile::Step step, int count = 0)
{
    switch (step) {
    case profile::Step::Reading:
        return Command::tr("reading the settings");
    case profile::Step::Writing:
        return Command::tr("writing %n change(s)", nullptr, count);
    case profile::Step::ReadingBack:
        return Command::tr("reading the settings back");
    case profile::Step::Storing:
    case profile::Step::Done:
        break;
    }
    return Command::tr("storing the settings");
}
// Each change by what the adapter answered: acknowledged, sent without
// an answer, not sent.
QString counts(const profile::ApplyResult &r, int count)
{
    return Command::tr("%1 of the %n change(s) acknowledged, %2 sent without an answer, %3 not sent", nullptr, count)
        .arg(r.acknowledged.size())
        .arg(r.unanswered.size())
        .arg(r.unsent.size());
}

} // namespace

QList<QCommandLineOption> restoreOptions()
{
    return {{QStringLiteral("dry-run"), Command::tr("print the changes, send none")},
            {QStringLiteral("no-store"), Command::tr("do not store what was sent")},
            {QStringLiteral("no-backup"), Command::tr("no backup of the adapter's settings first")}};
}

QString commandLine(const QString &command, const QCommandLineParser &parser, const QStringList &arguments)
{
    QStringList words{command};
    if (parser.optionNames().contains(QStringLiteral("merge")) && parser.isSet(QStringLiteral("merge")))
        words << QStringLiteral("--merge");
    for (const QString &argument : arguments)
        words << (argument.contains(u' ') ? u'"' + argument + u'"' : argument);
    return words.join(u' ');
}

int restoreProfile(Context &context, const QCommandLineParser &parser, const profile::Profile &wanted,
                   const QString &source, const QString &change, bool lackingRefused)
{
    context.aboutPort();
    // Nor when what any firmware takes of it breaks a rule: what this
    // adapter's takes is checked once it has said which it has.
    if (const auto broken = profile::refusedOutright(wanted)) {
        context.say(broken->describe(source));
        return kTrouble;
    }
    // Nor when the report or the history entry could not be written: found
    // before the adapter is read, where that can be told.
    const bool dryRun = parser.isSet(QStringLiteral("dry-run"));
    const bool keepHistory = !parser.isSet(QStringLiteral("no-backup"));
    const bool storing = !parser.isSet(QStringLiteral("no-store"));
    if (const QString why = dryRun ? QString() : Context::unwritableOutput(); !why.isEmpty()) {
        context.say(Command::tr("standard output cannot be written, so nothing was sent: ") + why);
        return kTrouble;
    }
    const auto noHistory = [&context](const QString &why) {
        context.say(Command::tr("no backup of the adapter's settings, so nothing was sent: %1").arg(why));
        return kTrouble;
    };
    if (!dryRun && keepHistory)
        if (const QString why = profile::historyProblem(); !why.isEmpty())
            return noHistory(why);
    Session *session = context.connect();
    if (!session)
        return context.failure();

    Report report(context, session->ModelName, session->FirmwareVersion);
    report.restoring = !dryRun;
    profile::RestoreRequest request;
    request.wanted = wanted;
    request.port = session->portName;
    request.about.program = QStringLiteral("korvanta-cli");
    request.about.change = change;
    request.lackingRefused = lackingRefused;
    request.keepHistory = keepHistory;
    int count = 0;
    profile::RestoreSteps steps;
    steps.stopping = [&context] { return context.stopping(); };
    steps.stepping = [&](profile::Step step) {
        if (step == profile::Step::Reading) {
            context.step(stepName(step), nothingChanged());
        } else if (step == profile::Step::Writing) {
            context.changing(storing ? Command::tr("restored and stored") : Command::tr("restored, not stored"));
            context.step(stepName(step, count),
                         Command::tr("some of the %n change(s) may have been sent, none was stored", nullptr, count));
        }
    };
    steps.confirm = [&](const profile::RestorePlan &plan) {
        Context::progress({});
        count = int(plan.changes.size());
        report.changes = plan.changes;
        report.skip(context, plan.skipped, wanted.values);
        report.leave(context, plan.unmanaged);
        printChanges(context, plan.changes);
        return !dryRun;
    };
    profile::RestoreResult result;
    if (storing)
        steps.store = [&] { return context.store(counts(result.applied, count)); };
    result = profile::restore(*session, request, steps);
    report.applied = result.applied;
    report.stored = result.stored;
    report.backup = result.entry;
    if (!result.entry.isEmpty())
        context.say(Command::tr("the adapter's settings before the change: ") + result.entry);
    int status = kFailed;
    // What was done, in one line, where it went as asked.
    const auto summary = [&] {
        if (dryRun)
            return Command::tr("dry run: nothing was sent; %n setting(s) would change", nullptr, count);
        const QString changed = Command::tr("%n setting(s) changed", nullptr, count);
        if (!storing)
            return Command::tr("%1, not stored: the adapter forgets it when switched off unless "
                               "`korvanta-cli store` runs first").arg(changed);
        return result.entry.isEmpty() ? Command::tr("%1 and stored").arg(changed)
                                      : Command::tr("%1 and stored; rollback undoes it").arg(changed);
    };
    switch (result.end) {
    case profile::RestoreEnd::Refused:
        context.say(result.problem.describe(source));
        return kTrouble;
    case profile::RestoreEnd::Lacking:
        report.skip(context, result.plan.skipped, wanted.values);
        context.say(Command::tr("the adapter's firmware cannot take it, so nothing was sent"));
        return kTrouble;
    case profile::RestoreEnd::NoHistory:
        return noHistory(result.entryProblem);
    case profile::RestoreEnd::Declined:
    case profile::RestoreEnd::Done:
        context.say(summary());
        status = kDone;
        break;
    case profile::RestoreEnd::Stopped:
        // What the signal's message says: the step cut short and what the
        // adapter answered until then.
        if (result.step != profile::Step::Reading)
            context.step(stepName(result.step == profile::Step::Done ? profile::Step::Storing : result.step, count),
                         counts(result.applied, count) + QStringLiteral("; ") + Context::storeText(result.stored));
        report.failedStep = stepKey(result.step);
        break;
    case profile::RestoreEnd::LineFailed:
        report.failedStep = stepKey(result.step);
        if (result.step == profile::Step::Reading || context.stopRequested())
            break;
        // As a signal's message: what went out, what was kept, what to do.
        context.say(Command::tr("the restore failed on the line while %1: %2; %3; running the same command "
                                "again completes it")
                        .arg(stepName(result.step, count), counts(result.applied, count),
                             result.stored == StoreOutcome::Acknowledged ? Command::tr("what the adapter took was stored")
                                                                         : Context::storeText(result.stored)));
        break;
    case profile::RestoreEnd::Unverified:
        context.say(Command::tr("read back, these differ from the profile:"));
        for (const profile::Difference &d : result.applied.unverified)
            context.say(profile::describe(d));
        break;
    case profile::RestoreEnd::StoreFailed:
        report.failedStep = stepKey(profile::Step::Storing);
        break; // the store said why
    }
    if (context.json())
        context.printJson(report.document());
    return status;
}

namespace {

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
                              "--no-backup: no backup first; --merge: FILE may\n"
                              "hold any of the settings, the others are left\n"
                              "as they are");
    }
    QList<QCommandLineOption> options() const override
    {
        return restoreOptions() << QCommandLineOption(QStringLiteral("merge"), Command::tr("FILE holds only some settings"));
    }
    int run(Context &context, const QCommandLineParser &parser, const QStringList &arguments) override
    {
        if (arguments.size() != 1)
            return usageError(Command::tr("restore takes one FILE"));
        context.aboutPort();
        const auto wanted = readProfile(context, arguments[0], readingOf(parser));
        if (!wanted)
            return kTrouble; // nothing reaches the line
        return restoreProfile(context, parser, *wanted, arguments[0], commandLine(name(), parser, arguments));
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
    QList<QCommandLineOption> options() const override
    {
        return {{QStringLiteral("merge"), Command::tr("FILE holds only some settings")}};
    }
    int run(Context &context, const QCommandLineParser &parser, const QStringList &arguments) override
    {
        if (arguments.isEmpty() || arguments.size() > 2)
            return usageError(Command::tr("diff takes FILE, or FILE1 FILE2"));
        const bool withAdapter = arguments.size() == 1;
        if (withAdapter)
            context.aboutPort();
        const profile::Reading reading = readingOf(parser);
        const auto first = readProfile(context, arguments[0], reading);
        if (!first)
            return kTrouble;
        if (!withAdapter) {
            const auto second = readProfile(context, arguments[1], reading);
            if (!second)
                return kTrouble;
            Report report(context, first->model, first->firmware, false);
            report.changes = profile::compare(first->values, second->values);
            return finish(context, report, false);
        }
        Session *session = context.connect();
        if (!session)
            return kTrouble;
        context.step(Command::tr("reading the settings"), nothingChanged());
        // A merge reads only what holds the settings it names.
        SettingValues adapter;
        const QList<const SettingKey *> scope = first->partial ? profile::scopeOf(first->values)
                                                               : QList<const SettingKey *>{};
        if (!profile::read(*session, scope, adapter) || context.stopping())
            return kTrouble;
        Context::progress({});
        // As a restore sees it: what the firmware cannot take is skipped,
        // not a difference.
        const profile::FirmwareFit fit = profile::fitFirmware(first->values, session->newFirmware());
        Report report(context, session->ModelName, session->FirmwareVersion);
        report.skip(context, fit.lacking, first->values);
        if (!first->partial)
            report.leave(context, profile::unmanaged(*first, adapter));
        // Only what the profile holds and the adapter can take: a setting
        // the adapter lacks, or one the profile leaves alone, is no difference.
        report.changes = profile::compare(adapter, fit.held, profile::settingKeys(), true);
        return finish(context, report, true);
    }

private:
    static int finish(Context &context, const Report &report, bool aboutPort)
    {
        printChanges(context, report.changes, aboutPort);
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
