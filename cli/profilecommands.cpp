// korvanta-cli backup, restore and diff: settings profiles of the adapter.

#include "cli/command.h"
#include "link/session.h"
#include "profile/adapterprofile.h"

#include <QCommandLineParser>
#include <QFile>
#include <QSaveFile>

#include <cstdio>

namespace korvanta::cli {

namespace {

void say(const QString &text)
{
    Context::progress({});
    std::fprintf(stderr, "korvanta-cli: %s\n", text.toUtf8().constData());
}

// A profile from a file ("-": standard input); empty, with the reason said,
// when it cannot be read or is refused.
std::optional<profile::Profile> readProfile(const QString &path)
{
    QFile file;
    const bool opened = path == QLatin1String("-") ? file.open(stdin, QIODevice::ReadOnly)
                                                   : (file.setFileName(path), file.open(QIODevice::ReadOnly));
    if (!opened) {
        say(QStringLiteral("%1: %2").arg(path, file.errorString()));
        return std::nullopt;
    }
    const auto parsed = profile::parse(file.readAll());
    if (const auto *error = std::get_if<profile::ParseError>(&parsed)) {
        say(error->describe(path));
        return std::nullopt;
    }
    return std::get<profile::Profile>(parsed);
}

void printDifferences(const QList<profile::Difference> &differences)
{
    for (const profile::Difference &d : differences)
        Context::print(profile::describe(d));
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
        Session *session = context.connect();
        if (!session)
            return context.failure();
        Context::progress(Command::tr("reading the settings"));
        profile::Profile p;
        if (!profile::backup(*session, p))
            return kFailed;
        Context::progress({});
        const QByteArray bytes = profile::write(p);
        if (path == QLatin1String("-")) {
            std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
            return std::fflush(stdout) == 0 ? kDone : kTrouble;
        }
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush() || !file.commit()) {
            say(QStringLiteral("%1: %2").arg(path, file.errorString()));
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
                              "each change, sends only those, reads back and\n"
                              "stores (\"AT&W0&W1\"); --dry-run: print only;\n"
                              "--no-store: leave the store to a later run");
    }
    QList<QCommandLineOption> options() const override
    {
        return {{QStringLiteral("dry-run"), Command::tr("print the changes, send none")},
                {QStringLiteral("no-store"), Command::tr("do not store what was sent")}};
    }
    int run(Context &context, const QCommandLineParser &parser, const QStringList &arguments) override
    {
        if (arguments.size() != 1)
            return usageError(Command::tr("restore takes one FILE"));
        const auto wanted = readProfile(arguments[0]);
        if (!wanted)
            return kTrouble; // nothing reaches the line
        if (const auto broken = profile::brokenRule(*wanted, wanted->values)) {
            say(broken->describe(arguments[0])); // nor when its settings break a rule
            return kTrouble;
        }
        Session *session = context.connect();
        if (!session)
            return context.failure();
        Context::progress(Command::tr("reading the settings"));
        profile::RestorePlan plan;
        profile::ParseError problem;
        switch (profile::plan(*session, *wanted, plan, &problem)) {
        case profile::Outcome::LineFailed:
            return kFailed;
        case profile::Outcome::Refused:
            say(problem.describe(arguments[0]));
            return kTrouble;
        case profile::Outcome::Done:
            break;
        }
        Context::progress({});
        for (const SettingKey *k : plan.skipped)
            say(Command::tr("skipped, the adapter's firmware lacks it: %1 [%2] %3").arg(k->caption, k->section, k->key));
        printDifferences(plan.changes);
        if (parser.isSet(QStringLiteral("dry-run")) || plan.changes.isEmpty())
            return kDone;
        Context::progress(Command::tr("writing %n settings", nullptr, int(plan.changes.size())));
        const profile::ApplyResult result = profile::apply(*session, plan);
        // Whatever got through is stored, as the window program stores at exit.
        if (!parser.isSet(QStringLiteral("no-store")))
            ++session->WriteCount;
        if (result.outcome != profile::Outcome::Done)
            return kFailed;
        if (!result.unverified.isEmpty()) {
            say(Command::tr("read back, these differ from the profile:"));
            for (const profile::Difference &d : result.unverified)
                say(profile::describe(d));
            return kFailed;
        }
        return kDone;
    }
};

class DiffCommand : public Command {
public:
    QString name() const override { return QStringLiteral("diff"); }
    QString synopsis() const override { return QStringLiteral("FILE [FILE2]"); }
    QString summary() const override
    {
        return Command::tr("the settings where the adapter (or FILE2)\n"
                              "differs from FILE; status 0 same, 1 different,\n"
                              "2 trouble");
    }
    int run(Context &context, const QCommandLineParser &, const QStringList &arguments) override
    {
        if (arguments.isEmpty() || arguments.size() > 2)
            return usageError(Command::tr("diff takes FILE, or FILE1 FILE2"));
        const auto left = readProfile(arguments[0]);
        if (!left)
            return kTrouble;
        profile::Profile right;
        if (arguments.size() == 2) {
            const auto other = readProfile(arguments[1]);
            if (!other)
                return kTrouble;
            right = *other;
        } else {
            Session *session = context.connect();
            if (!session)
                return kTrouble;
            Context::progress(Command::tr("reading the settings"));
            if (!profile::backup(*session, right))
                return kTrouble;
            Context::progress({});
        }
        const auto differences = profile::compare(left->values, right.values);
        printDifferences(differences);
        return differences.isEmpty() ? kDone : kFailed;
    }
};

const Registration<BackupCommand> backupRegistered;
const Registration<RestoreCommand> restoreRegistered;
const Registration<DiffCommand> diffRegistered;

} // namespace

} // namespace korvanta::cli
