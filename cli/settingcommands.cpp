// SPDX-License-Identifier: GPL-3.0-or-later
// korvanta-cli get and set: single settings, named SECTION.KEY as in
// profiles, shown as their windows show them.

#include "cli/restore.h"
#include "link/session/session.h"
#include "profile/adapterprofile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace korvanta::cli {

namespace {

// The settings a name stands for: "SECTION.KEY" one, "SECTION" all of its
// section, case-blind. Empty, with the reason said, for a name that names
// none.
QList<const SettingKey *> named(Context &context, const QString &name)
{
    QList<const SettingKey *> found;
    const qsizetype dot = name.indexOf(u'.');
    const QString section = dot < 0 ? name : name.left(dot);
    for (const SettingKey &k : profile::settingKeys())
        if (k.section.compare(section, Qt::CaseInsensitive) == 0
            && (dot < 0 || k.key.compare(name.mid(dot + 1), Qt::CaseInsensitive) == 0))
            found << &k;
    if (found.isEmpty())
        context.say(Command::tr("%1: no such setting (SECTION.KEY or SECTION, as in a profile: korvanta-profile(5))")
                        .arg(name));
    return found;
}

// A value as its window shows it, and the raw value beside where they differ.
QString shown(const SettingKey &setting, const QString &value)
{
    const QString text = profile::meaning(setting, value);
    if (value.isEmpty())
        return QStringLiteral("\"\"");
    return text == value ? value : QStringLiteral("%1 (%2)").arg(text, value);
}

class GetCommand : public Command {
public:
    QString name() const override { return QStringLiteral("get"); }
    QString synopsis() const override { return QStringLiteral("[NAME...]"); }
    QString summary() const override
    {
        return Command::tr("print settings as their windows show them, each\n"
                           "with its raw value: NAME is SECTION.KEY or a\n"
                           "SECTION (as in profiles); none: every setting,\n"
                           "by window. Reads only what holds them");
    }
    int run(Context &context, const QCommandLineParser &, const QStringList &arguments) override
    {
        QList<const SettingKey *> settings;
        for (const QString &name : arguments) {
            const QList<const SettingKey *> found = named(context, name);
            if (found.isEmpty())
                return kTrouble;
            for (const SettingKey *k : found)
                if (!settings.contains(k))
                    settings << k;
        }
        Session *session = context.connect();
        if (!session)
            return context.failure();
        context.step(Command::tr("reading the settings"), Command::tr("nothing was changed"));
        SettingValues values;
        if (!profile::read(*session, settings, values) || context.stopping())
            return kFailed;
        Context::progress({});
        if (settings.isEmpty())
            for (const SettingKey &k : profile::settingKeys())
                settings << &k;
        // What the adapter has: a setting its firmware lacks is not read.
        settings.removeIf([&values](const SettingKey *k) { return !values.contains(k->section, k->key); });
        if (context.json()) {
            QJsonArray list;
            for (const SettingKey *k : settings) {
                const QString value = *values.get(k->section, k->key);
                list.append(QJsonObject{{QStringLiteral("section"), k->section},
                                        {QStringLiteral("key"), k->key},
                                        {QStringLiteral("caption"), k->caption},
                                        {QStringLiteral("value"), value},
                                        {QStringLiteral("text"), profile::meaning(*k, value)},
                                        {QStringLiteral("unit"), profile::unitOf(*k)}});
            }
            context.printJson(QJsonDocument(QJsonObject{{QStringLiteral("port"), context.portName()},
                                                        {QStringLiteral("model"), session->ModelName},
                                                        {QStringLiteral("firmware"), session->FirmwareVersion},
                                                        {QStringLiteral("settings"), list}}));
            return kDone;
        }
        const QString head = context.prefixPort() ? context.portName() + QStringLiteral(": ") : QString();
        if (!arguments.isEmpty()) {
            for (const SettingKey *k : settings)
                context.print(head + QStringLiteral("%1 [%2] %3: %4")
                                         .arg(k->caption, k->section, k->key, shown(*k, *values.get(k->section, k->key))));
            return kDone;
        }
        // The whole adapter, for people: window by window.
        context.print(head + Command::tr("%1, firmware %2").arg(session->ModelName, session->FirmwareVersion));
        QString window;
        for (const SettingKey *k : settings) {
            const qsizetype cut = k->caption.indexOf(QStringLiteral(" / "));
            const QString title = cut < 0 ? k->caption : k->caption.left(cut);
            if (title != window) {
                context.print(QString());
                context.print(head + title);
                window = title;
            }
            context.print(head + QStringLiteral("  %1 [%2] %3: %4")
                                     .arg(cut < 0 ? QString() : k->caption.mid(cut + 3), k->section, k->key,
                                          shown(*k, *values.get(k->section, k->key))));
        }
        return kDone;
    }
};

class SetCommand : public Command {
public:
    QString name() const override { return QStringLiteral("set"); }
    QString synopsis() const override { return QStringLiteral("NAME=VALUE..."); }
    QString summary() const override
    {
        return Command::tr("change the named settings alone (NAME as\n"
                           "SECTION.KEY, VALUE raw or as its window shows\n"
                           "it), as a restore --merge of them: the rules\n"
                           "checked, a backup first, only what differs sent,\n"
                           "read back and stored");
    }
    QList<QCommandLineOption> options() const override { return restoreOptions(); }
    int run(Context &context, const QCommandLineParser &parser, const QStringList &arguments) override
    {
        if (arguments.isEmpty())
            return usageError(Command::tr("set takes NAME=VALUE, one or more"));
        profile::Profile wanted;
        wanted.partial = true;
        for (const QString &argument : arguments) {
            const qsizetype eq = argument.indexOf(u'=');
            if (eq <= 0)
                return usageError(Command::tr("set takes NAME=VALUE, got \"%1\"").arg(argument));
            const QString name = argument.left(eq);
            const QList<const SettingKey *> found = named(context, name);
            if (found.isEmpty())
                return kTrouble;
            if (found.size() != 1 || !name.contains(u'.'))
                return usageError(Command::tr("%1: set takes one setting, SECTION.KEY").arg(name));
            const SettingKey &k = *found.first();
            if (wanted.values.contains(k.section, k.key))
                return usageError(Command::tr("%1 is given twice").arg(name));
            const auto value = profile::valueFromText(k, argument.mid(eq + 1));
            if (!value) {
                const QString takes = profile::acceptedValues(k);
                context.say(Command::tr("%1: \"%2\" is no value of %3%4")
                                .arg(name, argument.mid(eq + 1), k.caption,
                                     takes.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(takes)));
                return kTrouble;
            }
            wanted.values.set(k.section, k.key, *value);
        }
        // What was asked for by name is done or refused, never skipped.
        return restoreProfile(context, parser, wanted, Command::tr("the command line"),
                              commandLine(name(), parser, arguments), true);
    }
};

const Registration<GetCommand> getRegistered;
const Registration<SetCommand> setRegistered;

} // namespace

} // namespace korvanta::cli
