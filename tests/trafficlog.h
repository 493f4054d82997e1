// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the programs' --log wrote: each line's time stamp checked and taken off.

#include <QFile>
#include <QRegularExpression>
#include <QStringList>

// The lines of the log without their time stamps and ports ("send ATI\r"); a
// line with no proper stamp and port comes back whole after "no time stamp: ",
// so that a comparison shows it.
inline QStringList trafficLines(const QString &path)
{
    static const QRegularExpression stamp(
        QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} \\[.*?\\] (?=send |recv )"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {QStringLiteral("no log at ") + path};
    QStringList lines;
    for (const QString &line : QString::fromLatin1(file.readAll()).split(u'\n', Qt::SkipEmptyParts)) {
        const auto match = stamp.match(line);
        lines << (match.hasMatch() ? line.mid(match.capturedLength()) : QStringLiteral("no time stamp: ") + line);
    }
    return lines;
}

// The identification as the simulated adapter answers it.
inline const QStringList kIdentificationTraffic{
    QStringLiteral(R"(send ATE1V1\r)"),
    QStringLiteral(R"(recv ATE1V1\r\r\nOK\r\n)"),
    QStringLiteral(R"(send ATI\r)"),
    QStringLiteral(R"(recv ATI\r\r\nKORVAN-TA\r\n\r\nOK\r\n)"),
    QStringLiteral(R"(send AT%I2\r)"),
    QStringLiteral(R"(recv AT%I2\r\r\nVer 1.30 01/03/15\r\n\r\nOK\r\n)"),
};
