// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/ports.h"

#include <QString>

class QCommandLineParser;

namespace korvanta {

// The options of the line that both programs take.
struct LineOptions {
    PortMap ports;          // --port COMn=PATH, repeatable
    int port = 0;           // --port COMn: the port to use; 0 when none was named
    QString device;         // --port PATH: a device to use directly
    bool simulate = false;  // --simulate: the built-in simulated adapter on every port
    QString workFile;       // --workfile PATH; empty: the work file's usual place
    QString logFile;        // --log FILE: the traffic log
};

// Adds --port, --simulate, --workfile and --log to the parser.
void addLineOptions(QCommandLineParser &parser);

// Reads them from a parser that has parsed. --port COMn, --port PATH and
// --port COMn=PATH name the port to use, which only a program that uses one
// port takes (choosesPort); the last one named counts. A relative PATH is
// taken from the current folder. False with the reason when an
// option cannot be understood.
bool readLineOptions(const QCommandLineParser &parser, bool choosesPort, LineOptions &options, QString *error);

// The help text of --simulate, --workfile and --log, as the usage lists them.
QString lineOptionsUsage();

} // namespace korvanta
