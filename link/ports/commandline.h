// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/transport/address.h"
#include "link/ports/portnames.h"
#include "link/ports/ports.h"

#include <QString>

#include <optional>

class QCommandLineParser;

namespace korvanta {

// The options of the line that both programs take.
struct LineOptions {
    PortMap ports;          // --port COMn=ADDRESS, repeatable
    int port = 0;           // --port COMn: the port to use; 0 when none was named
    std::optional<PortAddress> device; // --port ADDRESS: a device or network port to use directly
    PortNames names;        // the user's ports.conf
    bool simulate = false;  // --simulate: the built-in simulated adapter on every port
    QString workFile;       // --workfile PATH; empty: the work file's usual place
    QString logFile;        // --log FILE: the traffic log
};

// Adds --port, --simulate, --workfile and --log to the parser.
void addLineOptions(QCommandLineParser &parser);

// Reads them from a parser that has parsed, with the names of ports.conf.
// --port COMn, --port ADDRESS and --port COMn=ADDRESS name the port to use,
// which only a program that uses one port takes (choosesPort); the last one
// named counts. ADDRESS is a device path (a relative one from the current
// folder), a network address (parseAddress()) or a name from ports.conf.
// False with the reason when an option cannot be understood.
bool readLineOptions(const QCommandLineParser &parser, bool choosesPort, LineOptions &options, QString *error);

// What the port to use is called in messages: its name from ports.conf, its
// network address, or its device path.
PortAddress chosenPort(const LineOptions &options);

// The help text of --simulate, --workfile and --log, as the usage lists them;
// workFilePerPort: the command line's default work file, one for each port.
QString lineOptionsUsage(bool workFilePerPort = false);

} // namespace korvanta
