// SPDX-License-Identifier: GPL-3.0-or-later
// korvanta-cli identify: the adapter's model and firmware.

#include "cli/command.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace korvanta::cli {

namespace {
class IdentifyCommand : public Command {
public:
    QString name() const override { return QStringLiteral("identify"); }
    QString summary() const override
    {
        return Command::tr("ask the adapter who it is (\"ATE1V1\", \"ATI\",\n"
                              "\"AT%I2\"); prints its model and firmware,\n"
                              "tab-separated");
    }

    int run(Context &context, const QCommandLineParser &, const QStringList &arguments) override
    {
        if (!arguments.isEmpty())
            return usageError(Command::tr("identify takes no arguments"));
        const Session *session = context.connect();
        if (!session)
            return context.failure();
        if (context.json())
            context.printJson(QJsonDocument(QJsonObject{{QStringLiteral("port"), context.portName()},
                                                        {QStringLiteral("model"), session->ModelName},
                                                        {QStringLiteral("firmware"), session->FirmwareVersion}}));
        else
            context.print(session->ModelName + u'\t' + session->FirmwareVersion);
        return kDone;
    }
};

const Registration<IdentifyCommand> identifyRegistered;
} // namespace

} // namespace korvanta::cli
