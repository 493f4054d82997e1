// korvanta-cli ports: the serial devices found on the machine.

#include "cli/command.h"

#include <cstdio>

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

    int run(Context &, const QCommandLineParser &, const QStringList &arguments) override
    {
        if (!arguments.isEmpty())
            return usageError(Command::tr("ports takes no arguments"));
        const QList<FoundPort> found = findSerialPorts();
        std::printf("%s", listPorts(found).toUtf8().constData());
        if (found.isEmpty())
            std::fprintf(stderr, "korvanta-cli: %s\n", qPrintable(Command::tr("no serial devices found")));
        return kDone;
    }
};

const Registration<PortsCommand> portsRegistered;
} // namespace

} // namespace korvanta::cli
