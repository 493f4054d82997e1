// SPDX-License-Identifier: GPL-3.0-or-later
// korvanta-cli ports: the serial devices found on the machine.

#include "cli/command.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace korvanta::cli {

namespace {
class PortsCommand : public Command {
public:
    QString name() const override { return QStringLiteral("ports"); }
    QString summary() const override
    {
        return Command::tr("the serial devices found, one a line, tab-separated:\n"
                              "path, by-id name, description, manufacturer, and\n"
                              "whether this user may open it");
    }

    int run(Context &context, const QCommandLineParser &, const QStringList &arguments) override
    {
        if (!arguments.isEmpty())
            return usageError(Command::tr("ports takes no arguments"));
        const QList<FoundPort> found = findSerialPorts();
        if (context.json()) {
            const auto orNull = [](const QString &text) { return text.isEmpty() ? QJsonValue() : QJsonValue(text); };
            QJsonArray list;
            for (const FoundPort &port : found)
                list.append(QJsonObject{{QStringLiteral("path"), port.path},
                                        {QStringLiteral("by_id"), orNull(port.byId)},
                                        {QStringLiteral("description"), orNull(port.description)},
                                        {QStringLiteral("manufacturer"), orNull(port.manufacturer)},
                                        {QStringLiteral("access"), accessOf(port)}});
            context.printJson(QJsonDocument(list));
        } else {
            context.write(listPorts(found).toUtf8());
        }
        if (found.isEmpty())
            context.say(Command::tr("no serial devices found"));
        return kDone;
    }
};

const Registration<PortsCommand> portsRegistered;
} // namespace

} // namespace korvanta::cli
