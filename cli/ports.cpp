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
                              "whether this user may open it; then the ports named\n"
                              "in ports.conf: name, address, \"ports.conf\", \"-\",\n"
                              "and \"network\" or the device's access");
    }

    int run(Context &context, const QCommandLineParser &, const QStringList &arguments) override
    {
        if (!arguments.isEmpty())
            return usageError(Command::tr("ports takes no arguments"));
        const QList<FoundPort> found = findSerialPorts();
        // The ports named in ports.conf, as they are written: nothing connects.
        const QList<PortAddress> &named = context.options().names.ports();
        const auto kind = [](const PortAddress &a) { return a.isNetwork() ? QStringLiteral("network") : QStringLiteral("serial"); };
        const auto access = [](const PortAddress &a) {
            FoundPort device;
            device.path = a.path;
            return accessOf(device);
        };
        if (context.json()) {
            const auto orNull = [](const QString &text) { return text.isEmpty() ? QJsonValue() : QJsonValue(text); };
            QJsonArray list;
            for (const FoundPort &port : found)
                list.append(QJsonObject{{QStringLiteral("kind"), QStringLiteral("serial")},
                                        {QStringLiteral("name"), QJsonValue()},
                                        {QStringLiteral("path"), port.path},
                                        {QStringLiteral("by_id"), orNull(port.byId)},
                                        {QStringLiteral("description"), orNull(port.description)},
                                        {QStringLiteral("manufacturer"), orNull(port.manufacturer)},
                                        {QStringLiteral("access"), accessOf(port)}});
            for (const PortAddress &port : named)
                list.append(QJsonObject{{QStringLiteral("kind"), kind(port)},
                                        {QStringLiteral("name"), port.name},
                                        {QStringLiteral("path"), port.text()},
                                        {QStringLiteral("by_id"), QJsonValue()},
                                        {QStringLiteral("description"), QJsonValue()},
                                        {QStringLiteral("manufacturer"), QJsonValue()},
                                        {QStringLiteral("access"), port.isNetwork() ? QJsonValue()
                                                                                    : QJsonValue(access(port))}});
            context.printJson(QJsonDocument(list));
        } else {
            context.write(listPorts(found).toUtf8());
            // NAME, ADDRESS, "ports.conf", "-", the kind or the device's access.
            for (const PortAddress &port : named)
                context.print(QStringList{port.name, port.text(), QStringLiteral("ports.conf"), QStringLiteral("-"),
                                          port.isNetwork() ? kind(port) : access(port)}
                                  .join(u'\t'));
        }
        if (found.isEmpty() && named.isEmpty())
            context.say(Command::tr("no serial devices found"));
        return kDone;
    }
};

const Registration<PortsCommand> portsRegistered;
} // namespace

} // namespace korvanta::cli
