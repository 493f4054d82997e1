// SPDX-License-Identifier: GPL-3.0-or-later
#include "shortdial/shortdialmodel.h"

#include <QTest>

using namespace korvanta::shortdial;

using Entries = QList<ReadEntry>;
Q_DECLARE_METATYPE(std::optional<Entries>)

namespace {
// The adapter's reply to the read command: the echo, one framed line per
// entry, the framed "OK".
QByteArray directoryReply(const QList<QByteArray> &lines)
{
    QByteArray reply = readCommand() + '\r';
    for (const QByteArray &line : lines)
        reply += "\r\n" + line + "\r\n";
    return reply + "\r\nOK\r\n";
}

ReadEntry read(int entry, const QString &stored, const QString &number, const QString &subaddress = {})
{
    return {entry, stored, {number, subaddress}};
}
} // namespace

namespace QTest {
template <>
char *toString(const ReadEntry &e)
{
    return toString(QStringLiteral("%1 stored '%2' shown '%3' / '%4'")
                        .arg(e.entry)
                        .arg(e.stored, e.shown.number, e.shown.subaddress));
}
} // namespace QTest

class ShortDialModelTest : public QObject {
    Q_OBJECT

private slots:
    void commands();
    void parse_data();
    void parse();
};

void ShortDialModelTest::commands()
{
    const QByteArray all = "AT&Z0?&Z1?&Z2?&Z3?&Z4?&Z5?&Z6?&Z7?&Z8?&Z9?&Z10?&Z11?&Z12?&Z13?&Z14?&Z15?&Z16?&Z17?"
                           "&Z18?&Z19?";
    QCOMPARE(readCommand(), all);
    QCOMPARE(readCommand().size(), 92);

    const struct {
        int entry;
        Entry shown;
        QByteArray command;
    } writes[] = {
        {0, {}, "AT&Z0="},
        {5, {"0312345678", ""}, "AT&Z5=0312345678"},
        {19, {"03-(1234)-5678#", "12#*"}, "AT&Z19=03-(1234)-5678#*12#*"},
        {12, {"", "34"}, "AT&Z12=*34"},
        {3, {" 0311 ", ""}, "AT&Z3= 0311 "}, // taken as shown, untrimmed
    };
    for (const auto &w : writes)
        QCOMPARE(writeCommand(w.entry, wireForm(w.shown)), w.command);
}

void ShortDialModelTest::parse_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<std::optional<Entries>>("expected");

    auto row = [](const char *name, const QByteArray &answer, const std::optional<Entries> &expected) {
        QTest::newRow(name) << answer << expected;
    };
    row("number only", directoryReply({"03:0312345678"}), Entries{read(3, "0312345678", "0312345678")});
    row("number and subaddress", directoryReply({"05:0312345678*12#"}),
        Entries{read(5, "0312345678*12#", "0312345678", "12#")});
    row("a further star belongs to the subaddress", directoryReply({"06:03*1*2"}),
        Entries{read(6, "03*1*2", "03", "1*2")});
    row("nothing after the colon", directoryReply({"07:"}), Entries{read(7, "", "")});
    row("trailing star is stored, not shown", directoryReply({"08:0311*"}), Entries{read(8, "0311*", "0311")});
    row("blanks around each field are trimmed", directoryReply({"09:  03 1  *  12  "}),
        Entries{read(9, "03 1*12", "03 1", "12")});
    row("lines in any order", directoryReply({"12:1212", "03:0303", "00:0000"}),
        Entries{read(12, "1212", "1212"), read(3, "0303", "0303"), read(0, "0000", "0000")});
    row("an unknown token ends the parse", directoryReply({"01:11", "20:99", "02:22"}),
        Entries{read(1, "11", "11")});
    row("a line without CR records nothing", readCommand() + "\r\r\n04:44\n\r\n05:55\r\n\r\nOK\r\n",
        Entries{read(5, "55", "55")});
    row("text ending inside a number", readCommand() + "\r\r\n01:11\r\n\r\n02:2", Entries{read(1, "11", "11")});
    row("text ending inside a subaddress", readCommand() + "\r\r\n02:22*3", Entries{});
    row("text ending after the CR", readCommand() + "\r\r\n02:22*3\r", Entries{read(2, "22*3", "22", "3")});
    row("text ending at the token", readCommand() + "\r\r\n02:22\r\n\r\n1", Entries{read(2, "22", "22")});
    row("no line at all", directoryReply({}), std::nullopt);
    row("only the echo", readCommand() + '\r', std::nullopt);

    QList<QByteArray> lines;
    Entries full;
    for (int i = 0; i < kEntryCount; ++i) {
        const QString number = QStringLiteral("0%1-(%2)#").arg(i, 2, 10, QLatin1Char('0')).leftJustified(32, '9');
        const QString subaddress = QStringLiteral("*#%1").arg(i).leftJustified(20, '7');
        lines.append(QByteArray(kEntryRows[i].key) + ':' + (number + '*' + subaddress).toLatin1());
        full.append(read(i, number + '*' + subaddress, number, subaddress));
    }
    row("full directory of maximum-length entries", directoryReply(lines), full);
}

void ShortDialModelTest::parse()
{
    QFETCH(QByteArray, answer);
    QFETCH(std::optional<Entries>, expected);
    QCOMPARE(parseDirectory(answer), expected);
}

QTEST_APPLESS_MAIN(ShortDialModelTest)
#include "shortdialmodel_test.moc"
