// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMap>
#include <QString>

namespace korvanta::sim {

// The simulator program's file of stored settings, so that what "AT&W0&W1"
// stored is there at the next start: one "key=value" a line, in key order.
// Reading a missing or unreadable file gives an empty map.
QMap<QString, QString> readStateFile(const QString &path);
bool writeStateFile(const QString &path, const QMap<QString, QString> &values);

} // namespace korvanta::sim
