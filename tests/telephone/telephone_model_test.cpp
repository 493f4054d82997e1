// SPDX-License-Identifier: GPL-3.0-or-later
// The telephone port model from bytes to bytes: listings and query replies
// read, commands composed from what the controls show against what was
// stored, validation.
#include "telephone/telephonemodel.h"

#include <QMap>
#include <QTest>

using namespace korvanta::telephone;

namespace {

using Values = QMap<QString, QString>;

// The port values as "KEY=v" pairs separated by blanks.
Values values(const QString &pairs)
{
    Values v;
    for (const QString &pair : pairs.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const int eq = pair.indexOf(QLatin1Char('='));
        v.insert(pair.left(eq), pair.mid(eq + 1));
    }
    return v;
}

Stored storedFrom(const Values &v)
{
    return [v](const QString &key, const QString &fallback) { return v.value(key, fallback); };
}

// What the port's controls show: the stored values (defaults where missing),
// then the changes.
PortShown portShown(const Values &stored, const Values &changes)
{
    PortShown shown;
    for (const PortChoice &c : portChoices()) {
        const QString key = QLatin1String(c.key);
        const QString v = changes.value(key, stored.value(key, QString(QLatin1Char(c.defaultValue))));
        shown.choices.push_back(v.at(0).toLatin1());
    }
    for (const PortText &t : portTexts()) {
        const QString key = QLatin1String(t.key);
        shown.texts.push_back(changes.value(key, stored.value(key)));
    }
    return shown;
}

CommonShown commonShown(const Values &stored, const Values &changes)
{
    CommonShown shown;
    for (const CommonSetting &s : commonSettings()) {
        const QString key = QLatin1String(s.key);
        shown.push_back(changes.value(key, stored.value(key, QLatin1String(s.defaultValue))));
    }
    return shown;
}

// What applying a listing's tokens in order leaves, as "KEY=v" pairs.
QString applied(const PortStatus &status)
{
    QMap<QString, QChar> v;
    for (const auto &[index, value] : status.tokens)
        v[QLatin1String(portChoices()[index].key)] = QLatin1Char(value);
    QStringList out;
    for (auto it = v.cbegin(); it != v.cend(); ++it)
        out << it.key() + QLatin1Char('=') + it.value();
    return out.join(QLatin1Char(' '));
}

QByteArray listing(const QByteArray &query, const QByteArray &lines)
{
    return query + "\r\r\n" + lines + "\r\n\r\nOK\r\n";
}

const QByteArray kFullTel2 = "$B2:3 $O2:0 $P2:1 $M2:1 $N2:0 $L2:1 $K2:2 $F2:1 $H2:3 $U2:0 $D2:1";

} // namespace

class TelephoneModelTest : public QObject {
    Q_OBJECT

private slots:
    void tablesHaveAControlPerPortAndValue();

    void portStatus_data();
    void portStatus();

    void queryReplies_data();
    void queryReplies();

    void portWrite_data();
    void portWrite();

    void commonWrite_data();
    void commonWrite();

    void validation_data();
    void validation();

};

void TelephoneModelTest::tablesHaveAControlPerPortAndValue()
{
    // Every control name is used once only across the window: tests and the
    // dialog find controls by name.
    QSet<QString> names;
    const auto add = [&](const char *name) {
        QVERIFY2(name, "control without a name");
        QVERIFY2(!names.contains(QLatin1String(name)), name);
        names.insert(QLatin1String(name));
    };
    for (const PortChoice &c : portChoices())
        for (const ChoiceValue &v : c.values)
            for (const char *name : v.control)
                add(name);
    for (const PortText &t : portTexts())
        for (const char *name : t.box)
            add(name);
    for (const CommonSetting &s : commonSettings())
        for (const ChoiceValue &v : s.values)
            add(v.control[0]);
    QCOMPARE(names.size(), 3 * (2 + 2 + 2 + 2 + 2 + 3 + 4 + 2 + 2 + 3 + 3) + 12 + 2 + 6 + 6);
}

void TelephoneModelTest::portStatus_data()
{
    QTest::addColumn<int>("port");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QString>("read"); // "whole", "numbers" (up to the forwarding line) or "none"
    QTest::addColumn<QByteArray>("own");
    QTest::addColumn<QByteArray>("sub");
    QTest::addColumn<QByteArray>("forwarding");
    QTest::addColumn<QString>("settings");
    QTest::addColumn<int>("display"); // -1: no "D" token

    QTest::newRow("TEL2 whole listing")
        << 1 << listing("AT\\S3", "TEL2 ADR:0312345678*12\r\nTEL2 FWD:09012345678\r\n" + kFullTel2) << "whole"
        << QByteArray("0312345678") << QByteArray("12") << QByteArray("09012345678")
        << "CALLWAIT=2 CHIEN=0 CYAKU=0 CYAKU_TRN=1 GLOBAL=0 ONSEI=1 SHIKI=1 SUB_ADR=1 TOKI=3 TUCHI=3" << 1;
    QTest::newRow("no star: no subaddress, trailing blanks dropped")
        << 0 << listing("AT\\S2", "TEL1 ADR:03-1234  \r\nTEL1 FWD:  \r\n$B1:1 $D1:0") << "whole"
        << QByteArray("03-1234") << QByteArray() << QByteArray("  ").left(0) << "TUCHI=1" << 0;
    QTest::newRow("subaddress keeps a second star")
        << 2 << listing("AT\\S4", "TEL3 ADR:*1*2#\r\nTEL3 FWD:\r\n") << "whole" << QByteArray() << QByteArray("1*2#")
        << QByteArray() << "" << -1;
    QTest::newRow("unknown token skipped, the ones after it read")
        << 0 << listing("AT\\S2", "TEL1 ADR:\r\nTEL1 FWD:\r\n$Z1:0 $B1:7 $K1:1 $B2:0 $U1:2") << "whole" << QByteArray()
        << QByteArray() << QByteArray() << "CALLWAIT=1 CHIEN=2" << -1;
    QTest::newRow("repeated token: the later wins")
        << 0 << listing("AT\\S2", "TEL1 ADR:\r\nTEL1 FWD:\r\n$K1:1 $D1:1 $K1:2 $D1:0") << "whole" << QByteArray()
        << QByteArray() << QByteArray() << "CALLWAIT=2" << 0;
    QTest::newRow("the scan ends at the token line's CR")
        << 0 << QByteArray("AT\\S2\r\r\nTEL1 ADR:1\r\nTEL1 FWD:2\r\n$L1:1\r\n$N1:0\r\n\r\nOK\r\n") << "whole"
        << QByteArray("1") << QByteArray() << QByteArray("2") << "ONSEI=1" << -1;
    QTest::newRow("reply cut inside a token") << 0 << QByteArray("AT\\S2\r\r\nTEL1 ADR:1\r\nTEL1 FWD:2\r\n$L1:1 $N1")
                                              << "whole" << QByteArray("1") << QByteArray() << QByteArray("2")
                                              << "ONSEI=1" << -1;
    QTest::newRow("no colon after the echo") << 0 << listing("AT\\S2", "TEL1 ADR") << "none" << QByteArray()
                                             << QByteArray() << QByteArray() << "" << -1;
    QTest::newRow("no forwarding line: the numbers before it are read")
        << 1 << listing("AT\\S3", "TEL2 ADR:0312*5") << "numbers" << QByteArray("0312") << QByteArray("5")
        << QByteArray() << "" << -1;
}

void TelephoneModelTest::portStatus()
{
    QFETCH(int, port);
    QFETCH(QByteArray, answer);
    const auto status = parsePortStatus(answer, ports()[port]);
    QTEST(QString::fromLatin1(!status ? "none" : status->complete ? "whole" : "numbers"), "read");
    if (!status)
        return;
    QTEST(status->ownNumber, "own");
    QTEST(status->subaddress, "sub");
    QTEST(status->forwarding, "forwarding");
    QTEST(applied(*status), "settings");
    QTEST(status->numberDisplay.value_or(-1), "display");
}

void TelephoneModelTest::queryReplies_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QString>("digits"); // "-": no "0" found
    QTest::addColumn<QString>("ring");
    QTest::addColumn<QString>("holdKey"); // the hold key value, "-" for none

    QTest::newRow("dial time 10") << QByteArray("AT$I11?") << listing("AT$I11?", "010") << "010" << "2" << "-";
    QTest::newRow("ring 000") << QByteArray("AT$W1?") << listing("AT$W1?", "000") << "000" << "0" << "0";
    QTest::newRow("ring 001") << QByteArray("AT$W2?") << listing("AT$W2?", "001") << "001" << "1" << "1";
    QTest::newRow("ring 007 counts as the third")
        << QByteArray("AT$W3?") << listing("AT$W3?", "007") << "007" << "2" << "-";
    QTest::newRow("hold key 005") << QByteArray("AT$I14?") << listing("AT$I14?", "005") << "005" << "2" << "5";
    QTest::newRow("hold key 006: none") << QByteArray("AT$I14?") << listing("AT$I14?", "006") << "006" << "2"
                                        << "-";
    QTest::newRow("the echo's own 0 is not the value")
        << QByteArray("AT$I20?") << listing("AT$I20?", "003") << "003" << "2" << "3";
    QTest::newRow("no 0 after the echo") << QByteArray("AT$I20?") << listing("AT$I20?", "ERROR") << "-" << "" << "";
    QTest::newRow("reply ends after the 0") << QByteArray("AT$V?") << QByteArray("AT$V?\r\r\n0") << "0" << "0"
                                            << "-";
}

void TelephoneModelTest::queryReplies()
{
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, answer);
    QFETCH(QString, digits);
    const auto d = replyDigits(answer, command);
    QCOMPARE(d ? QString::fromLatin1(*d) : QStringLiteral("-"), digits);
    if (!d)
        return;
    // As the ring pattern's row reads its own query's reply.
    const auto ringRow = std::find_if(portChoices().begin(), portChoices().end(),
                                      [](const PortChoice &c) { return qstrcmp(c.key, "RING") == 0; });
    QVERIFY(ringRow != portChoices().end() && ringRow->fromReply);
    QTEST(QString(QLatin1Char(ringRow->fromReply(*d).value_or('-'))), "ring");
    const auto key = replyChoice(*d, holdKey().values);
    QTEST(key ? QString(QLatin1Char(*key)) : QStringLiteral("-"), "holdKey");
}

void TelephoneModelTest::portWrite_data()
{
    QTest::addColumn<int>("port");
    QTest::addColumn<bool>("newFirmware");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("changes");
    QTest::addColumn<QByteArrayList>("commands");

    const QString read = QStringLiteral("ONSEI=0 GLOBAL=1 SUB_ADR=1 CYAKU=0 SHIKI=0 CALLWAIT=0 TUCHI=3 CYAKU_TRN=0 "
                                        "TOKI=0 CHIEN=1 RING=1 JIKO_NO=031234 SUB_NO= TRA_NO= HASHIN=10");
    QTest::newRow("unchanged") << 0 << true << read << "" << QByteArrayList{};
    QTest::newRow("TEL2 call waiting and dial time")
        << 1 << true << read << "CALLWAIT=2 HASHIN=12" << QByteArrayList{"AT$I12=12", "AT$K2=2"};
    QTest::newRow("TEL3 announcements only") << 2 << true << read << "TOKI=3" << QByteArrayList{"AT$H3=3"};
    QTest::newRow("numbers in their order, emptied box sends nothing after =")
        << 0 << true << read << "HASHIN=5 TRA_NO=0(3)# SUB_NO=*9 JIKO_NO="
        << QByteArrayList{"AT$C1=", "AT$E1=*9", "AT$G1=0(3)#", "AT$I11=5"};
    QTest::newRow("missing key compares with its default")
        << 0 << true << "" << "" << QByteArrayList{};
    QTest::newRow("every choice changed: eleven pieces in order")
        << 2 << true << read
        << "ONSEI=1 GLOBAL=0 SUB_ADR=0 CYAKU=1 SHIKI=1 CALLWAIT=1 TUCHI=0 CYAKU_TRN=1 TOKI=2 CHIEN=0 RING=2"
        << QByteArrayList{"AT$L3=1$N3=0$M3=0$O3=1$P3=1$K3=1$B3=0$F3=1$H3=2$U3=0$W3=2"};
    QTest::newRow("older firmware: no ring pattern piece")
        << 0 << false << read << "RING=0 CHIEN=2" << QByteArrayList{"AT$U1=2"};
}

void TelephoneModelTest::portWrite()
{
    QFETCH(int, port);
    QFETCH(bool, newFirmware);
    QFETCH(QString, stored);
    QFETCH(QString, changes);
    const Values s = values(stored);
    QTEST(portWriteCommands(ports()[port], portShown(s, values(changes)), storedFrom(s), newFirmware), "commands");
}

void TelephoneModelTest::commonWrite_data()
{
    QTest::addColumn<bool>("newFirmware");
    QTest::addColumn<QString>("changes");
    QTest::addColumn<QByteArrayList>("commands");

    QTest::newRow("unchanged") << true << "" << QByteArrayList{};
    QTest::newRow("hold and short-dial keys swap, both reset first")
        << true << "GAISEN=2 TANSYUKU=1" << QByteArrayList{"AT$I14=0$I15=0$I14=2$I15=1"};
    QTest::newRow("hold key to none: the reset alone") << true << "GAISEN=0" << QByteArrayList{"AT$I14=0"};
    QTest::newRow("short-dial key alone") << true << "TANSYUKU=5" << QByteArrayList{"AT$I15=0$I15=5"};
    QTest::newRow("hold key without a selection sends nothing") << true << "GAISEN=" << QByteArrayList{};
    QTest::newRow("i-number and delay count")
        << true << "INUMBER=0 CHIEN=7" << QByteArrayList{"AT@I0$I20=7"};
    QTest::newRow("ring frequency and sequence as commands of their own")
        << true << "RING=20 NDSQ=1 INUMBER=0" << QByteArrayList{"AT@I0", "AT$I29=20", "AT$V1"};
    QTest::newRow("older firmware: neither ring frequency nor sequence")
        << false << "RING=20 NDSQ=1" << QByteArrayList{};
}

void TelephoneModelTest::commonWrite()
{
    QFETCH(bool, newFirmware);
    QFETCH(QString, changes);
    const Values s = values(QStringLiteral("INUMBER=1 CHIEN=3 GAISEN=1 TANSYUKU=2 RING=16 NDSQ=0"));
    QTEST(commonWriteCommands(commonShown(s, values(changes)), storedFrom(s), newFirmware), "commands");
}

void TelephoneModelTest::validation_data()
{
    QTest::addColumn<QStringList>("dialTimes");
    QTest::addColumn<QString>("common");
    QTest::addColumn<bool>("newFirmware");
    QTest::addColumn<QString>("message"); // empty: passes
    QTest::addColumn<bool>("exclamation");
    QTest::addColumn<int>("rows"); // of the common record given; -1 all

    const QString good = QStringLiteral("INUMBER=1 CHIEN=3 GAISEN=1 TANSYUKU=2 RING=16 NDSQ=0");
    QTest::newRow("all good") << QStringList{"3", "15", "10"} << good << true << "" << false << -1;
    QTest::newRow("TEL1 first") << QStringList{"16", "2", "4"} << good << true
                                << "TEL1発信時間設定は03～15(秒)まで可能です" << true << -1;
    QTest::newRow("older firmware skips ring frequency and sequence")
        << QStringList{"4", "4", "4"} << good + " RING=99 NDSQ=" << false << "" << false << -1;
    QTest::newRow("delay count before ring frequency")
        << QStringList{"4", "4", "4"} << good + " CHIEN=12 RING=0" << true << "有効範囲は0～9(回)です" << true << -1;
    QTest::newRow("both keys none") << QStringList{"4", "4", "4"} << good + " GAISEN=0 TANSYUKU=0" << true << ""
                                    << false << -1;
    QTest::newRow("a record without the keys' rows checks the rows it has")
        << QStringList{"4", "4", "4"} << good + " GAISEN=2 TANSYUKU=2" << true << "" << false << 2;
}

void TelephoneModelTest::validation()
{
    QFETCH(QStringList, dialTimes);
    QFETCH(QString, common);
    QFETCH(bool, newFirmware);
    QFETCH(QString, message);
    QFETCH(int, rows);
    CommonShown shown = commonShown({}, values(common));
    if (rows >= 0)
        shown.resize(rows);
    const auto problem = validate({dialTimes[0], dialTimes[1], dialTimes[2]}, shown, newFirmware);
    QCOMPARE(problem ? problem->message : QString(), message);
    if (problem)
        QTEST(problem->exclamation, "exclamation");
}

QTEST_APPLESS_MAIN(TelephoneModelTest)
#include "telephone_model_test.moc"
