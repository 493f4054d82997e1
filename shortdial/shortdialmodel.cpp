// SPDX-License-Identifier: GPL-3.0-or-later
#include "shortdial/shortdialmodel.h"

#include "link/protocol/reply.h"
#include "workfile/charset.h"

namespace korvanta::shortdial {

namespace {
// The echo of readCommand() fills positions 1 to 92 of the reply.
constexpr int kEchoLength = 92;

// The entry of an index token "00:".."19:", or -1.
int entryOfToken(const QByteArray &token)
{
    for (int i = 0; i < kEntryCount; ++i)
        if (token == QByteArray(kEntryRows[i].key) + ':')
            return i;
    return -1;
}

// Leading and trailing blanks removed.
QString trimBlanks(const QByteArray &text)
{
    const QByteArray right = reply::trimRight(text);
    int first = 0;
    while (first < right.size() && right[first] == ' ')
        ++first;
    return QString::fromLatin1(right.mid(first));
}
} // namespace

QString wireForm(const Entry &entry)
{
    if (entry.subaddress.isEmpty())
        return entry.number;
    return entry.number + QLatin1Char('*') + entry.subaddress;
}

Entry entryOf(const QString &stored)
{
    const qsizetype star = stored.indexOf(QLatin1Char('*'));
    if (star < 0)
        return {stored, QString()};
    return {stored.left(star), stored.mid(star + 1)};
}

bool accepts(const QString &stored)
{
    const Entry entry = entryOf(stored);
    return charset::fits(entry.number, charset::kNumber, kNumberMaxLength) &&
           charset::fits(entry.subaddress, charset::kSubaddress, kSubaddressMaxLength);
}

QByteArray readCommand()
{
    QByteArray command = "AT";
    for (int i = 0; i < kEntryCount; ++i)
        command += "&Z" + QByteArray::number(i) + '?';
    return command;
}

QByteArray writeCommand(int entry, const QString &wire)
{
    return "AT&Z" + QByteArray::number(entry) + '=' + wire.toLatin1();
}

std::optional<QList<ReadEntry>> parseDirectory(const QByteArray &answer)
{
    const int colon = reply::find(answer, ':', kEchoLength + 1);
    if (!colon)
        return std::nullopt;

    QList<ReadEntry> entries;
    int at = colon - 3; // 0-based: the first digit of the first index token
    for (;;) {
        const auto token = reply::threeCharsAt(answer, at + 1);
        const int entry = token ? entryOfToken(*token) : -1;
        if (entry < 0)
            break;
        at += 3;

        // The line's number runs to a "*" or CR; after a "*" the subaddress runs
        // to CR. Each CR records the entry as it stands; the LF ends the line and
        // the CR LF that opens the next one is stepped over.
        ReadEntry read{entry, {}, {}};
        QByteArray number, subaddress;
        bool inSubaddress = false, recorded = false, ended = false;
        while (at < answer.size() && !ended) {
            const char c = answer[at++];
            if (c == '\r') {
                if (inSubaddress) {
                    read.shown = {trimBlanks(number), trimBlanks(subaddress)};
                    read.stored = read.shown.number + QLatin1Char('*') + read.shown.subaddress;
                } else {
                    read.shown = {trimBlanks(number), QString()};
                    read.stored = read.shown.number;
                }
                recorded = true;
            } else if (c == '\n') {
                at += 2;
                ended = true;
            } else if (c == '*' && !inSubaddress) {
                // The boxes change with the work file, at a CR: a line that
                // ends before it changes neither.
                inSubaddress = true;
            } else if (reply::keptInField(c)) {
                (inSubaddress ? subaddress : number) += c;
            }
        }
        if (recorded)
            entries.append(read);
        if (!ended)
            break; // the text ended inside the line
    }
    return entries;
}

QList<QByteArray> changedEntryCommands(const std::array<std::optional<QString>, kEntryCount> &wanted,
                                       const std::function<QString(const QString &key)> &stored)
{
    QList<QByteArray> commands;
    for (int i = 0; i < kEntryCount; ++i)
        if (wanted[i] && stored(QString::fromLatin1(kEntryRows[i].key)) != *wanted[i])
            commands.append(writeCommand(i, *wanted[i]));
    return commands;
}

} // namespace korvanta::shortdial
