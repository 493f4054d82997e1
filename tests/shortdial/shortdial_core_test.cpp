// SPDX-License-Identifier: GPL-3.0-or-later
// The short-dial core against the simulated adapter, without a window.
#include "shortdial/shortdialcore.h"
#include "tests/telephone/simfixture.h"

using namespace korvanta;
using Lines = QList<QByteArray>;

class ShortDialCoreTest : public QObject {
    Q_OBJECT

private slots:
    void readAllAndBack();
    void writeAll_data();
    void writeAll();
    void accepts_data();
    void accepts();
};

void ShortDialCoreTest::readAllAndBack()
{
    SimFixture f;
    QVERIFY(f.adapter.setValue("&Z3", "0344445555"));
    QVERIFY(f.adapter.setValue("&Z12", "0312*34#*"));
    SettingValues values;
    QVERIFY(shortdial::readAll(*f.session, values));
    QCOMPARE(f.adapter.log(), Lines{shortdial::readCommand()});
    QCOMPARE(values.entries().size(), shortdial::kEntryCount);
    QCOMPARE(values.get("TANSYUKU", "03").value_or("<none>"), "0344445555");
    QCOMPARE(values.get("TANSYUKU", "12").value_or("<none>"), "0312*34#*");
    QCOMPARE(values.get("TANSYUKU", "13").value_or("<none>"), "");
    QCOMPARE(f.stored("TANSYUKU", "12"), "0312*34#*");
    QVERIFY(described(values, shortdial::settingKeys()));
    QCOMPARE(shortdial::settingKeys()[12].caption, "短縮番号登録 / 登録２ / 12:");

    checkBackAndSilent(f, values, shortdial::readAll, shortdial::writeAll);
}

void ShortDialCoreTest::writeAll_data()
{
    QTest::addColumn<QStringList>("wanted");
    QTest::addColumn<Lines>("sent");

    // Entry 03 holds a number: left out, it is left alone.
    QTest::newRow("changed entries from 00 to 19")
        << QStringList{"TANSYUKU/19=0120", "TANSYUKU/04=", "TANSYUKU/05=03-1*9#"}
        << Lines{"AT&Z5=03-1*9#", "AT&Z19=0120"};
    QTest::newRow("an entry emptied") << QStringList{"TANSYUKU/03="} << Lines{"AT&Z3="};
}

void ShortDialCoreTest::writeAll()
{
    QFETCH(QStringList, wanted);
    SimFixture f;
    QVERIFY(f.adapter.setValue("&Z3", "0344445555"));
    SettingValues read;
    QVERIFY(shortdial::readAll(*f.session, read));
    f.adapter.clearLog();
    QVERIFY(shortdial::writeAll(*f.session, settingValues(wanted)));
    QTEST(f.adapter.log(), "sent");
}

void ShortDialCoreTest::accepts_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("number and subaddress") << "03-(1)#*12#*" << true;
    QTest::newRow("empty") << "" << true;
    QTest::newRow("number of 32") << QString(32, u'1') << true;
    QTest::newRow("number of 33") << QString(33, u'1') << false;
    QTest::newRow("subaddress of 21") << "1*" + QString(21, u'2') << false;
    QTest::newRow("letter in the number") << "03a" << false;
    QTest::newRow("hyphen in the subaddress") << "03*1-2" << false;
}

void ShortDialCoreTest::accepts()
{
    QFETCH(QString, value);
    QTEST(shortdial::settingKeys()[7].accepts(value), "accepted");
}

QTEST_MAIN(ShortDialCoreTest)
#include "shortdial_core_test.moc"
