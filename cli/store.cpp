// SPDX-License-Identifier: GPL-3.0-or-later
// korvanta-cli store: the adapter keeps its settings over a power cycle.

#include "cli/command.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace korvanta::cli {

namespace {
class StoreCommand : public Command {
public:
    QString name() const override { return QStringLiteral("store"); }
    QString summary() const override
    {
        return Command::tr("have the adapter store its settings (\"AT&W0&W1\"),\n"
                           "as a restore --no-store left them");
    }

    int run(Context &context, const QCommandLineParser &, const QStringList &arguments) override
    {
        if (!arguments.isEmpty())
            return usageError(Command::tr("store takes no arguments"));
        if (const QString why = context.json() ? Context::unwritableOutput() : QString(); !why.isEmpty()) {
            context.aboutPort();
            context.say(Command::tr("standard output cannot be written, so nothing was sent: ") + why);
            return kTrouble;
        }
        const Session *session = context.connect();
        if (!session)
            return context.failure();
        const StoreOutcome stored = context.store();
        if (stored == StoreOutcome::Acknowledged)
            context.say(Command::tr("the adapter stored its settings"));
        if (context.json())
            context.printJson(QJsonDocument(QJsonObject{{QStringLiteral("port"), context.portName()},
                                                        {QStringLiteral("model"), session->ModelName},
                                                        {QStringLiteral("firmware"), session->FirmwareVersion},
                                                        {QStringLiteral("stored"), storedJson(stored)}}));
        return stored == StoreOutcome::Acknowledged ? kDone : kFailed;
    }
};

const Registration<StoreCommand> storeRegistered;
} // namespace

} // namespace korvanta::cli
