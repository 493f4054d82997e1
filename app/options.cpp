// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/options.h"

#include <QCommandLineParser>

namespace korvanta {

namespace {
const QString kAutoPort = QStringLiteral("auto-port");
const QString kExitAfterStart = QStringLiteral("exit-after-start");
const QString kScreenshots = QStringLiteral("screenshots");
const QString kListPorts = QStringLiteral("list-ports");
} // namespace

bool parseOptions(const QStringList &arguments, Options &options, QString *error)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions({{{QStringLiteral("h"), QStringLiteral("help")}, {}},
                       {{QStringLiteral("v"), QStringLiteral("version")}, {}},
                       {kAutoPort, {}, QStringLiteral("N")},
                       {kExitAfterStart, {}},
                       {kScreenshots, {}, QStringLiteral("DIR")},
                       {kListPorts, {}}});
    addLineOptions(parser);
    auto failed = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (!parser.parse(arguments))
        return failed(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return failed(QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().first()));
    options.help = parser.isSet(QStringLiteral("help"));
    options.version = parser.isSet(QStringLiteral("version"));
    QString why;
    if (!readLineOptions(parser, false, options, &why))
        return failed(why);
    if (parser.isSet(kAutoPort)) {
        bool ok = false;
        options.autoPort = parser.value(kAutoPort).toInt(&ok);
        if (!ok || options.autoPort < kFirstComPort || options.autoPort > kLastComPort)
            return failed(QStringLiteral("--auto-port: a port number from 1 to 9, got \"%1\"")
                              .arg(parser.value(kAutoPort)));
    }
    options.exitAfterStart = parser.isSet(kExitAfterStart);
    options.screenshots = parser.value(kScreenshots);
    options.listPorts = parser.isSet(kListPorts);
    return true;
}

QString usage()
{
    return QStringLiteral(
        "Usage: korvanta [options]\n"
        "The KORVAN-TA settings utility: reads and writes the settings of a KORVAN-TA\n"
        "ISDN terminal adapter on a serial port.\n"
        "\n"
        "Options:\n"
        "  --port COMn=PORT   what port COMn of the port list leads to (repeatable):\n"
        "                     a device path, rfc2217://HOST:PORT, tcp://HOST:PORT,\n"
        "                     the same within TLS (rfc2217+tls://, tcp+tls://),\n"
        "                     ssh://[USER@]HOST[:PORT] or a name from ports.conf;\n"
        "                     by default COMn is\n"
        "                     /dev/ttyS(n-1); the serial devices found on the\n"
        "                     machine and the named ports follow COM9 in the list\n"
        "  --list-ports       print the serial devices found, one a line: path,\n"
        "                     by-id name, description, manufacturer, and whether\n"
        "                     this user may open it\n"
        "%1"
        "  --auto-port N      use port COMN without the port dialog; messages until\n"
        "                     the main window shows go to standard error; the\n"
        "                     program ends with status 1 when the adapter is not\n"
        "                     found there\n"
        "  --exit-after-start leave through the exit command as soon as the main\n"
        "                     window shows\n"
        "  --screenshots DIR  run every window against the simulated adapter, save a\n"
        "                     picture of each into DIR, print their paths and end\n"
        "                     (no display needed; a work file of its own, the\n"
        "                     user's is not touched)\n"
        "  -h, --help         this text\n"
        "  -v, --version      the version\n")
        .arg(lineOptionsUsage());
}

} // namespace korvanta
