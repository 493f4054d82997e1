// SPDX-License-Identifier: GPL-3.0-or-later
// The number display core against the simulated adapter, without a window:
// the three ports read, and writing a record under the TEL2/TEL3 rule.
#include "numberdisplay/numberdisplaycore.h"
#include "tests/telephone/simfixture.h"

using namespace korvanta;
using Lines = QList<QByteArray>;
using Flags = std::array<int, 3>;

class NumberDisplayCoreTest : public QObject {
    Q_OBJECT

private slots:
    void readAllAndBack();
    void writeAll_data();
    void writeAll();
};

void NumberDisplayCoreTest::readAllAndBack()
{
    SimFixture f;
    f.adapter.setValue("$D2", "1");
    f.adapter.setValue("@J3", "2");
    SettingValues values;
    QVERIFY(numberdisplay::readAll(*f.session, values));
    QCOMPARE(f.adapter.log(), (Lines{"AT$D1?", "AT@J1?", "AT$D2?", "AT@J2?", "AT$D3?", "AT@J3?"}));
    QCOMPARE(pairsOf(values), (QStringList{"TEL1/NDISPLAY=0", "TEL1/INUMBER=0", "TEL2/NDISPLAY=1", "TEL2/INUMBER=0",
                                           "TEL3/NDISPLAY=0", "TEL3/INUMBER=2"}));
    QCOMPARE(f.stored("TEL3", "INUMBER"), "2");
    QVERIFY(described(values, numberdisplay::settingKeys()));
    for (const SettingKey &k : numberdisplay::settingKeys())
        QVERIFY2(!k.accepts(k.key == u"NDISPLAY" ? "2" : "4"), qPrintable(k.caption));
    QCOMPARE(numberdisplay::settingKeys()[3].caption, "ＴＥＬ２詳細設定 / ｉ・ナンバー");

    checkBackAndSilent(f, values, numberdisplay::readAll, numberdisplay::writeAll);
}

void NumberDisplayCoreTest::writeAll_data()
{
    QTest::addColumn<Flags>("flags");
    QTest::addColumn<QStringList>("wanted");
    QTest::addColumn<Lines>("sent");
    QTest::addColumn<Flags>("flagsAfter");

    QTest::newRow("both settings of a port in one command")
        << Flags{0, 0, 0} << QStringList{"TEL1/INUMBER=3", "TEL1/NDISPLAY=1"} << Lines{"AT$D1=1@J1=3"}
        << Flags{1, 0, 0};
    QTest::newRow("TEL2 on locks TEL3 out")
        << Flags{0, 0, 0} << QStringList{"TEL3/NDISPLAY=1", "TEL3/INUMBER=1", "TEL2/NDISPLAY=1"}
        << Lines{"AT$D2=1", "AT@J3=1"} << Flags{0, 1, 0};
    QTest::newRow("TEL3 on locks TEL2 out")
        << Flags{0, 0, 1} << QStringList{"TEL2/NDISPLAY=1", "TEL2/INUMBER=1"} << Lines{"AT@J2=1"} << Flags{0, 0, 1};
    QTest::newRow("TEL1 never locked") << Flags{0, 1, 1} << QStringList{"TEL1/NDISPLAY=1"} << Lines{"AT$D1=1"}
                                       << Flags{1, 1, 1};
}

void NumberDisplayCoreTest::writeAll()
{
    QFETCH(Flags, flags);
    QFETCH(QStringList, wanted);
    SimFixture f;
    SettingValues read;
    QVERIFY(numberdisplay::readAll(*f.session, read));
    f.session->NumberDisplayFlags = flags;
    f.adapter.clearLog();
    QVERIFY(numberdisplay::writeAll(*f.session, settingValues(wanted)));
    QTEST(f.adapter.log(), "sent");
    QTEST(f.session->NumberDisplayFlags, "flagsAfter");
}

QTEST_MAIN(NumberDisplayCoreTest)
#include "numberdisplay_core_test.moc"
