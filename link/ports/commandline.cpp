// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ports/commandline.h"
#include "link/ports/portnames.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace korvanta {

namespace {
// The options' texts, written in English, as the command line's own.
struct Texts {
    Q_DECLARE_TR_FUNCTIONS(korvanta::LineOptions)
};

const QString kPort = QStringLiteral("port");
const QString kSimulate = QStringLiteral("simulate");
const QString kWorkFile = QStringLiteral("workfile");
const QString kLog = QStringLiteral("log");

// The serial port library would look a name without a folder up under /dev/.
QString absolute(const QString &path)
{
    return path.isEmpty() ? path : QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

// A network address, a name from ports.conf, or else a device path. A bare
// word that is neither a name nor a file of the current folder is refused
// as the name it most likely misspells, with the names there are, quoting
// the option's value as given.
std::optional<PortAddress> resolve(const QString &text, const PortNames &names, QString *why, const QString &given)
{
    if (isNetworkAddress(text))
        return parseAddress(text, why);
    if (auto named = names.find(text))
        return named;
    if (!text.contains(u'/') && !QFileInfo::exists(absolute(text))) {
        QStringList known;
        for (const PortAddress &port : names.ports())
            known << port.label();
        *why = known.isEmpty()
                   ? Texts::tr("\"%1\" is no device, and ports.conf (%2) names no port").arg(given, PortNames::defaultPath())
                   : Texts::tr("\"%1\" is no device, nor a name in ports.conf (%2), which names %3")
                         .arg(given, PortNames::defaultPath(), known.join(QStringLiteral(", ")));
        return std::nullopt;
    }
    return parseAddress(absolute(text), why);
}
} // namespace

void addLineOptions(QCommandLineParser &parser)
{
    parser.addOptions({{kPort, {}, QStringLiteral("PORT")},
                       {kSimulate, {}},
                       {kWorkFile, {}, QStringLiteral("PATH")},
                       {kLog, {}, QStringLiteral("FILE")}});
}

bool readLineOptions(const QCommandLineParser &parser, bool choosesPort, LineOptions &options, QString *error)
{
    static const QRegularExpression comPort(QStringLiteral("\\ACOM([0-9]+)\\z"), QRegularExpression::CaseInsensitiveOption);
    options.names = PortNames::load();
    for (const QString &value : parser.values(kPort)) {
        QString why;
        const auto com = comPort.match(value);
        const int number = com.hasMatch() ? com.captured(1).toInt() : 0;
        if (value.contains(u'=')) {
            const qsizetype eq = value.indexOf(u'=');
            PortMap checked;
            if (checked.assign(value, &why)) {
                if (const auto address = resolve(value.mid(eq + 1), options.names, &why, value)) {
                    options.ports.set(value.mid(3, eq - 3).toInt(), *address);
                    if (choosesPort) // COMn=ADDRESS names the port to use as well
                        options.port = value.mid(3, eq - 3).toInt(), options.device.reset();
                    continue;
                }
            }
        } else if (choosesPort && com.hasMatch()) {
            options.port = number, options.device.reset();
            if (number >= kFirstComPort && number <= kLastComPort)
                continue;
            why = Texts::tr("a port from COM1 to COM9, got \"%1\"").arg(value);
        } else if (choosesPort && !value.isEmpty()) {
            if ((options.device = resolve(value, options.names, &why, value))) {
                options.port = 0;
                continue;
            }
        } else if (isNetworkAddress(value)) {
            parseAddress(value, &why);
        }
        if (why.isEmpty())
            why = Texts::tr("expected COMn=PATH with n from 1 to 9, got \"%1\"").arg(value);
        if (error)
            *error = QStringLiteral("--port: ") + why;
        return false;
    }
    options.simulate = parser.isSet(kSimulate);
    options.workFile = parser.value(kWorkFile);
    options.logFile = parser.value(kLog);
    return true;
}

PortAddress chosenPort(const LineOptions &options)
{
    return options.device ? *options.device : options.ports.address(options.port ? options.port : kFirstComPort);
}

QString lineOptionsUsage(bool workFilePerPort)
{
    return Texts::tr("  --simulate         attach the built-in simulated adapter to every port\n")
        + (workFilePerPort ? Texts::tr("  --workfile PATH    the settings work file (default: one for each port,\n"
                                       "                     workfiles/PORT.ini in $XDG_DATA_HOME/korvanta/, or\n"
                                       "                     beside the program when it runs from its build tree\n"
                                       "                     or is a copy that keeps its mail.ini there); one\n"
                                       "                     running program per work file\n")
                           : Texts::tr("  --workfile PATH    the settings work file (default: mail.ini in\n"
                                       "                     $XDG_DATA_HOME/korvanta/, or beside the program when\n"
                                       "                     it runs from its build tree or is a copy that keeps\n"
                                       "                     its mail.ini there); one running program per work file\n"))
        + Texts::tr("  --log FILE         append every line sent to the adapter and every reply\n"
                    "                     to FILE, one a line, time-stamped\n");
}

} // namespace korvanta
