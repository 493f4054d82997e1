// SPDX-License-Identifier: GPL-3.0-or-later
// The telephone core against the simulated adapter, without a window: what
// the whole-subsystem reading fills, what writing a record sends, and the
// checks of values and records.
#include "telephone/telephonecore.h"
#include "tests/telephone/simfixture.h"

using namespace korvanta;
using Lines = QList<QByteArray>;

class TelephoneCoreTest : public QObject {
    Q_OBJECT

private slots:
    void readAll_data();
    void readAll();
    void writeAll_data();
    void writeAll();
    void failures();
    void accepts_data();
    void accepts();
    void validateAll_data();
    void validateAll();
};

void TelephoneCoreTest::readAll_data()
{
    QTest::addColumn<bool>("newFirmware");
    QTest::addColumn<QStringList>("adapter"); // "key=value" set before reading
    QTest::addColumn<QStringList>("read");    // some of the values expected
    QTest::addColumn<int>("queries");
    QTest::addColumn<int>("keys");

    QTest::newRow("newer firmware")
        << true << QStringList{"$C2=0312345678", "$E2=12", "$K2=2", "$H2=1", "$I12=10", "$W3=0", "$I14=5", "$I29=25"}
        << QStringList{"TEL2/JIKO_NO=0312345678", "TEL2/SUB_NO=12", "TEL2/CALLWAIT=2", "TEL2/TOKI=1",
                       "TEL2/HASHIN=10", "TEL3/RING=0", "TEL1/TUCHI=3", "TEL/GAISEN=5", "TEL/RING=25", "TEL/NDSQ=0"}
        << 15 << 3 * 15 + 6;
    QTest::newRow("older firmware: no ring pattern, frequency or sequence")
        << false << QStringList{"$I13=15"} << QStringList{"TEL3/HASHIN=15", "TEL/TANSYUKU=2"} << 10 << 3 * 14 + 4;
}

void TelephoneCoreTest::readAll()
{
    QFETCH(bool, newFirmware);
    QFETCH(QStringList, adapter);
    QFETCH(QStringList, read);
    SimFixture f(newFirmware);
    for (const QString &pair : adapter)
        QVERIFY(f.adapter.setValue(pair.section(u'=', 0, 0), pair.section(u'=', 1)));
    SettingValues values;
    QVERIFY(telephone::readAll(*f.session, values));
    QTEST(int(f.adapter.log().size()), "queries");
    QTEST(int(values.entries().size()), "keys");
    for (const QString &pair : read)
        QVERIFY2(pairsOf(values).contains(pair), qPrintable(pair));
    QCOMPARE(f.stored("TEL2", "CALLWAIT"), values.get("TEL2", "CALLWAIT").value());
    QVERIFY(described(values, telephone::settingKeys()));
    QCOMPARE(f.session->ReadFailed, 0);
    checkBackAndSilent(f, values, telephone::readAll, telephone::writeAll);
}

void TelephoneCoreTest::writeAll_data()
{
    QTest::addColumn<bool>("newFirmware");
    QTest::addColumn<QStringList>("wanted");
    QTest::addColumn<Lines>("sent");

    QTest::newRow("port settings and the keys swapped")
        << true << QStringList{"TEL/TANSYUKU=1", "TEL2/CALLWAIT=2", "TEL/GAISEN=2", "TEL2/HASHIN=12"}
        << Lines{"AT$I12=12", "AT$K2=2", "AT$I14=0$I15=0$I14=2$I15=1"};
    QTest::newRow("numbers, ring pattern, commands of their own")
        << true << QStringList{"TEL/NDSQ=2", "TEL3/RING=2", "TEL1/JIKO_NO=03-1234", "TEL/RING=30", "TEL1/SUB_NO=9*"}
        << Lines{"AT$C1=03-1234", "AT$E1=9*", "AT$W3=2", "AT$I29=30", "AT$V2"};
    QTest::newRow("values as read") << true << QStringList{"TEL1/TUCHI=3", "TEL/INUMBER=1", "TEL2/TRA_NO="}
                                    << Lines{};
    QTest::newRow("older firmware: what it lacks is not sent")
        << false << QStringList{"TEL1/RING=0", "TEL/RING=20", "TEL/NDSQ=1", "TEL1/CHIEN=2"} << Lines{"AT$U1=2"};
}

void TelephoneCoreTest::writeAll()
{
    QFETCH(bool, newFirmware);
    QFETCH(QStringList, wanted);
    SimFixture f(newFirmware);
    SettingValues read;
    QVERIFY(telephone::readAll(*f.session, read));
    f.adapter.clearLog();
    QVERIFY(telephone::writeAll(*f.session, settingValues(wanted)));
    QTEST(f.adapter.log(), "sent");
}

void TelephoneCoreTest::failures()
{
    // A listing without its forwarding line: the numbers before it are read,
    // nothing after it.
    SimFixture f(true, true);
    f.tamperedLink->replies["AT\\S4"] = "AT\\S4\r\r\nTEL3 ADR:0312*5\r\n\r\nOK\r\n";
    SettingValues values;
    QVERIFY(!telephone::readAll(*f.session, values));
    QCOMPARE(f.session->ReadFailed, 1);
    QCOMPARE(f.messageTexts(), QStringList{kReceiveFailed});
    QCOMPARE(pairsOf(values).filter(QStringLiteral("TEL3/")), (QStringList{"TEL3/JIKO_NO=0312", "TEL3/SUB_NO=5"}));
    QVERIFY(!values.contains("TEL", "INUMBER"));

    // The first refused command ends the writing.
    SimFixture g;
    QVERIFY(telephone::readAll(*g.session, values));
    g.adapter.clearLog();
    g.setFault([](sim::Faults &x) { x.errorFor = {"AT$K2=1"}; });
    QVERIFY(!telephone::writeAll(*g.session, settingValues({"TEL1/HASHIN=5", "TEL2/CALLWAIT=1", "TEL/CHIEN=4"})));
    QCOMPARE(g.adapter.log(), (Lines{"AT$I11=5", "AT$K2=1"}));
}

void TelephoneCoreTest::accepts_data()
{
    QTest::addColumn<QString>("setting"); // SECTION/KEY
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("accepted");

    const struct {
        const char *setting;
        QString value;
        bool accepted;
    } rows[] = {
        {"TEL1/CALLWAIT", "2", true},    {"TEL1/CALLWAIT", "3", false},   {"TEL2/TOKI", "3", true},
        {"TEL2/TOKI", "4", false},       {"TEL1/JIKO_NO", "03-(1)#", true}, {"TEL1/JIKO_NO", "03*1", false},
        {"TEL3/TRA_NO", QString(33, u'1'), false}, {"TEL3/SUB_NO", "12*#", true}, {"TEL2/HASHIN", "16", false},
        {"TEL2/HASHIN", "", false},      {"TEL/CHIEN", "10", false},      {"TEL/TANSYUKU", "6", false},
        {"TEL/RING", "16", true},        {"TEL/NDSQ", "1;", false},
    };
    for (const auto &r : rows)
        QTest::addRow("%s=%s", r.setting, qPrintable(r.value)) << QString::fromLatin1(r.setting) << r.value << r.accepted;
}

void TelephoneCoreTest::accepts()
{
    QFETCH(QString, setting);
    QFETCH(QString, value);
    const auto &keys = telephone::settingKeys();
    const auto key = std::find_if(keys.begin(), keys.end(), [&](const SettingKey &k) {
        return k.section + u'/' + k.key == setting;
    });
    QVERIFY(key != keys.end());
    QTEST(key->accepts(value), "accepted");
}

void TelephoneCoreTest::validateAll_data()
{
    QTest::addColumn<bool>("newFirmware");
    QTest::addColumn<QStringList>("wanted");
    QTest::addColumn<QString>("message"); // empty: passes

    QTest::newRow("nothing to check") << true << QStringList{} << "";
    QTest::newRow("dial time of TEL2")
        << true << QStringList{"TEL1/HASHIN=3", "TEL2/HASHIN=16"} << "TEL2発信時間設定は03～15(秒)まで可能です";
    QTest::newRow("dial time before the delay count")
        << true << QStringList{"TEL/CHIEN=", "TEL3/HASHIN=2"} << "TEL3発信時間設定は03～15(秒)まで可能です";
    QTest::newRow("ring frequency") << true << QStringList{"TEL/RING=40"} << "有効範囲は16～30Hzです";
    QTest::newRow("ring frequency, older firmware") << false << QStringList{"TEL/RING=40"} << "";
    QTest::newRow("hold and short-dial key the same")
        << true << QStringList{"TEL/GAISEN=3", "TEL/TANSYUKU=3"} << "外線保留キーと短縮ダイヤルキーが重複しています";
}

void TelephoneCoreTest::validateAll()
{
    QFETCH(bool, newFirmware);
    QFETCH(QStringList, wanted);
    QTEST(telephone::validateAll(settingValues(wanted), newFirmware).value_or(QString()), "message");
}

QTEST_MAIN(TelephoneCoreTest)
#include "telephone_core_test.moc"
