// SPDX-License-Identifier: GPL-3.0-or-later
#include "dataport/dataportmodel.h"

#include <QTest>

using namespace korvanta::dataport;

namespace {
// An answer as the adapter frames it: the echo, then each value line, then OK.
QByteArray answer(const QByteArray &command, const QList<QByteArray> &lines)
{
    QByteArray a = command + '\r';
    for (const QByteArray &l : lines)
        a += "\r\n" + l + "\r\n";
    return a + "\r\nOK\r\n";
}

QString fmt(const Reading &r) { return !r.ok ? "fail" : r.value ? *r.value : "none"; }
} // namespace

class DataPortModelTest : public QObject {
    Q_OBJECT
private slots:
    void listing_data();
    void listing();
    void extendedReplies_data();
    void extendedReplies();
    void registerAndDigitReplies_data();
    void registerAndDigitReplies();
    void speedText_data();
    void speedText();
};

void DataPortModelTest::listing_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("number");
    QTest::addColumn<QByteArray>("sub");
    QTest::addColumn<QString>("tokens"); // key=value, in reply order

    QTest::newRow("number and subaddress") << answer("AT\\S5", {"DATA ADR:0312345678*12#\r\n$B4:2 $O4:1 $N4:0 $M4:0 $P4:1"})
                                           << true << QByteArray("0312345678") << QByteArray("12#")
                                           << "TUCHI=2 CYAKU=1 GLOBAL=0 SUB_ADR=0 SHIKI=1";
    QTest::newRow("no subaddress, trailing blanks go, leading stay")
        << answer("AT\\S5", {"DATA ADR: 0312  \r\n$B4:3"}) << true << QByteArray(" 0312") << QByteArray() << "TUCHI=3";
    QTest::newRow("other port's and unknown tokens skipped")
        << answer("AT\\S6", {"USB ADR:\r\n$B4:1 $X5:1 $b5:0 $N5:7 $M5:1"}) << true << QByteArray() << QByteArray()
        << "TUCHI=0 SUB_ADR=1";
    // Only the line right after the number line carries tokens.
    QTest::newRow("tokens past the next line ignored")
        << answer("AT\\S5", {"DATA ADR:1\r\n$O4:1", "$N4:0"}) << true << QByteArray("1") << QByteArray() << "CYAKU=1";
    QTest::newRow("text ends without CR") << QByteArray("AT\\S5\r\r\nDATA ADR:77*9") << true << QByteArray("77")
                                          << QByteArray("9") << "";
    QTest::newRow("no colon is a failure") << answer("AT\\S5", {"DATA ADR"}) << false << QByteArray() << QByteArray()
                                           << "";
}

void DataPortModelTest::listing()
{
    QFETCH(QByteArray, reply);
    const ListingReading r = parseListing(reply, port(reply.contains("S6") ? UsbPort : DataPort));
    QFETCH(bool, ok);
    QCOMPARE(r.ok, ok);
    QTEST(r.number, "number");
    QTEST(r.subaddress, "sub");
    QStringList tokens;
    for (const auto &[setting, value] : r.values)
        tokens << QString("%1=%2").arg(setting->key, value);
    QTEST(tokens.join(' '), "tokens");
}

void DataPortModelTest::extendedReplies_data()
{
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("expected");

    QTest::newRow("%C 0: two channels") << QByteArray("CYANNEL") << answer("AT%C?", {"000"}) << "0";
    QTest::newRow("%C 1: one channel") << QByteArray("CYANNEL") << answer("AT%C?", {"001"}) << "1";
    QTest::newRow("%U read one after the 0") << QByteArray("REBOD") << answer("AT%U?", {"002"}) << "2";
    QTest::newRow("%U any other value") << QByteArray("REBOD") << answer("AT%U?", {"009"}) << "3";
    QTest::newRow("&B 0") << QByteArray("BACP") << answer("AT&B?", {"000"}) << "0";
    QTest::newRow("%Y 1") << QByteArray("CYAKU") << answer("AT%Y?", {"001"}) << "1";
    QTest::newRow("%Y no 0 at all") << QByteArray("CYAKU") << QByteArray("AT%Y?\r\r\nOK\r\n") << "fail";
    QTest::newRow("BOD add 0") << QByteArray("SLPUT") << answer("AT%A?%D?", {"000", "003"}) << "1";
    QTest::newRow("BOD add 3 delete 1") << QByteArray("SLPUT") << answer("AT%A?%D?", {"003", "001"}) << "1";
    QTest::newRow("BOD add 3 delete 3") << QByteArray("SLPUT") << answer("AT%A?%D?", {"003", "003"}) << "0";
    QTest::newRow("BOD add 3 and no delete") << QByteArray("SLPUT") << answer("AT%A?%D?", {"003"}) << "fail";
}

void DataPortModelTest::extendedReplies()
{
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, reply);
    QTEST(fmt(parseExtended(extSetting(key.constData()), reply)), "expected");
}

void DataPortModelTest::registerAndDigitReplies_data()
{
    QTest::addColumn<int>("kind"); // 0 register, 1 direction, 2 BAP mask, 3 i-Number
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("expected");

    QTest::newRow("register 100") << 0 << answer("AT$I41?", {"100"}) << "100";
    QTest::newRow("register 012 without zeros") << 0 << answer("AT$I40?", {"012"}) << "12";
    QTest::newRow("register eleventh char 3") << 0 << answer("AT$I40?", {"300"}) << "fail";
    QTest::newRow("register eleventh char letter") << 0 << answer("AT$I40?", {"X00"}) << "fail";
    QTest::newRow("register reply cut short") << 0 << QByteArray("AT$I40?\r\r") << "fail";
    QTest::newRow("direction 002") << 1 << answer("AT%A?", {"002"}) << "2";
    QTest::newRow("direction 004 changes nothing") << 1 << answer("AT%A?", {"004"}) << "none";
    QTest::newRow("mask 005") << 2 << answer("AT$I47?", {"005"}) << "5";
    QTest::newRow("mask 008 changes nothing") << 2 << answer("AT$I47?", {"008"}) << "none";
    QTest::newRow("i-Number 002") << 3 << answer("AT@J4?", {"002"}) << "2";
    QTest::newRow("i-Number 005 is no failure") << 3 << answer("AT@J4?", {"005"}) << "none";
    QTest::newRow("i-Number without 0") << 3 << QByteArray("AT@J4?\r\r\n9\r\n\r\nOK\r\n") << "fail";
}

void DataPortModelTest::registerAndDigitReplies()
{
    QFETCH(int, kind);
    QFETCH(QByteArray, reply);
    const Reading r = kind == 0 ? parseRegister(reply) : kind == 1 ? parseDirection(reply)
                    : kind == 2 ? parseMask(reply) : parseINumber(reply);
    QTEST(fmt(r), "expected");
}

void DataPortModelTest::speedText_data()
{
    QTest::addColumn<int>("threshold");
    QTest::addColumn<QString>("caption");
    QTest::newRow("50") << 50 << "約 4Kbps";
    QTest::newRow("33, not 2.6399999") << 33 << "約 2.64Kbps";
    QTest::newRow("0") << 0 << "約 0Kbps";
    QTest::newRow("1, zero before the point") << 1 << "約 0.08Kbps";
    QTest::newRow("9") << 9 << "約 0.72Kbps";
    QTest::newRow("999") << 999 << "約 79.92Kbps";
}

void DataPortModelTest::speedText()
{
    QFETCH(int, threshold);
    QTEST(speedCaption(threshold), "caption");
}

QTEST_GUILESS_MAIN(DataPortModelTest)
#include "dataportmodel_test.moc"
