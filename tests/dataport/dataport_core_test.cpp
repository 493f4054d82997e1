// SPDX-License-Identifier: GPL-3.0-or-later
// The data port core without windows: the three windows' readings into values,
// their registrations from values, the checks of values.

#include "dataport/dataportcore.h"
#include "link/session/session.h"
#include "sim/simulatedadapter.h"
#include "sim/simulatedlink.h"
#include "tests/messagerecorder.h"
#include "workfile/workfile.h"

#include <QTemporaryDir>
#include <QTest>

using namespace korvanta;

using Commands = QList<QByteArray>;
using Entries = QList<SettingValues::Entry>;
Q_DECLARE_METATYPE(Entries)

namespace {
// The adapter as the rows have it: changed from the factory settings.
const QList<std::pair<const char *, const char *>> kAdapter{{"$C4", "0312345678"}, {"$E4", "12"}, {"$B4", "2"},
                                                            {"@J5", "2"}, {"%U", "2"}, {"%A", "1"}, {"$I41", "100"},
                                                            {"$I42", "33"}, {"$I47", "5"}};

const Commands kEveryRead{"AT\\S5", "AT@J4?", "AT\\S6", "AT@J5?", "AT%C?", "AT%U?", "AT%A?%D?", "AT&B?", "AT%Y?",
                          "AT%A?", "AT%D?", "AT$I40?", "AT$I43?", "AT$I41?", "AT$I44?", "AT$I42?", "AT$I45?",
                          "AT$I47?", "AT$I46?"};

struct Rig {
    explicit Rig(const sim::Faults &faults = {}) : adapter(faults)
    {
        for (const auto &[key, value] : kAdapter)
            adapter.setValue(key, value);
        link.open();
    }

    QTemporaryDir dir;
    sim::SimulatedAdapter adapter;
    sim::SimulatedLink link{adapter};
    WorkFile file{dir.filePath("mail.ini")};
    Session session{link, file, Timing{}.scaled(5)};
    MessageRecorder messages;
};

const SettingKey *keyOf(const QString &section, const QString &key)
{
    for (const SettingKey &k : dataport::settingKeys())
        if (k.section == section && k.key == key)
            return &k;
    return nullptr;
}

SettingValues valuesOf(const Entries &entries)
{
    SettingValues values;
    for (const SettingValues::Entry &e : entries)
        values.set(e.section, e.key, e.value);
    return values;
}
} // namespace

class DataPortCoreTest : public QObject {
    Q_OBJECT
private slots:
    void readAllThenWriteAllSendsNothing();
    void writeAllSendsWhatDiffers_data();
    void writeAllSendsWhatDiffers();
    void failureEndsTheSequence();
    void valueChecks_data();
    void valueChecks();
    void validateAll_data();
    void validateAll();
};

void DataPortCoreTest::readAllThenWriteAllSendsNothing()
{
    Rig rig;
    SettingValues values;
    QVERIFY(dataport::readAll(rig.session, values));
    QCOMPARE(rig.adapter.log(), kEveryRead);
    const QList<std::tuple<const char *, const char *, const char *>> expected{
        {"DATA", "JIKO_NO", "0312345678"}, {"DATA", "SUB_NO", "12"}, {"DATA", "TUCHI", "2"}, {"USB", "SUB_NO", ""},
        {"USB", "INUMBER", "2"}, {"DATAEXT", "REBOD", "2"}, {"DATAEXT", "SLPUT", "1"}, {"SLPUT", "ADD", "1"},
        {"SLPUT", "ADD_$41", "100"}, {"SLPUT", "ADD_$42", "33"}, {"BACP", "HASHIN", "5"}, {"BACP", "CYAKU", "7"}};
    for (const auto &[section, key, value] : expected)
        QCOMPARE(values.get(section, key), QString(value));
    QCOMPARE(rig.file.fetch("SLPUT", "ADD_SPEED"), "2.64");

    // Every setting read once, as the work file keeps it, and one its window
    // could send.
    QCOMPARE(values.entries().size(), qsizetype(dataport::settingKeys().size()));
    for (const SettingValues::Entry &e : values.entries()) {
        QCOMPARE(rig.file.fetch(e.section, e.key, "<missing>"), e.value);
        const SettingKey *k = keyOf(e.section, e.key);
        QVERIFY2(k && k->accepts(e.value), qPrintable(e.section + '/' + e.key));
    }

    rig.adapter.clearLog();
    QVERIFY(dataport::writeAll(rig.session, values));
    QCOMPARE(rig.adapter.log(), Commands{});
    QVERIFY(rig.messages.boxes.isEmpty());
}

void DataPortCoreTest::writeAllSendsWhatDiffers_data()
{
    QTest::addColumn<Entries>("wanted"); // only these: the rest is absent
    QTest::addColumn<Commands>("expected");
    QTest::newRow("nothing") << Entries{} << Commands{};
    QTest::newRow("own number first, settings in table order")
        << Entries{{"DATA", "TUCHI", "1"}, {"DATA", "JIKO_NO", "0311"}, {"DATA", "GLOBAL", "0"}}
        << Commands{"AT$C4=0311", "AT$N4=0$B4=1"};
    QTest::newRow("each window in turn")
        << Entries{{"BACP", "HASHIN", "6"}, {"SLPUT", "ADD_$41", "20"}, {"SLPUT", "DEL", "0"},
                   {"DATAEXT", "CYANNEL", "1"}, {"USB", "SUB_NO", "5"}}
        << Commands{"AT$E5=5", "AT%C1", "AT%D0$I41=20", "AT$I47=6"};
    QTest::newRow("throughput BOD off") << Entries{{"DATAEXT", "SLPUT", "0"}} << Commands{"AT%A3%D3"};
    QTest::newRow("an emptied own number") << Entries{{"DATA", "JIKO_NO", ""}} << Commands{"AT$C4="};
}

void DataPortCoreTest::writeAllSendsWhatDiffers()
{
    Rig rig;
    SettingValues read;
    QVERIFY(dataport::readAll(rig.session, read));
    rig.adapter.clearLog();
    QFETCH(Entries, wanted);
    QVERIFY(dataport::writeAll(rig.session, valuesOf(wanted)));
    QTEST(rig.adapter.log(), "expected");
    QCOMPARE(rig.session.WriteCount, 0);
}

void DataPortCoreTest::failureEndsTheSequence()
{
    // A reading failed in the BOD detail keeps what came before and reads no
    // BAP; a failed extended write leaves BOD and BAP unsent.
    sim::Faults faults;
    faults.errorFor = {"AT$I42?", "AT%C1"};
    Rig rig(faults);
    rig.session.timing.queryDeadlineMs = 100;
    rig.session.timing.setDeadlineMs = 100;
    SettingValues values;
    QVERIFY(!dataport::readAll(rig.session, values));
    QCOMPARE(rig.adapter.log(), kEveryRead.mid(0, kEveryRead.indexOf("AT$I42?") + 1));
    QCOMPARE(rig.session.ReadFailed, 1);
    QCOMPARE(values.get("SLPUT", "ADD_$41"), "100");
    QVERIFY(!values.contains("SLPUT", "ADD_$42"));
    QCOMPARE(rig.messages.texts(), QStringList{kReceiveFailed});

    rig.adapter.clearLog();
    values.set("DATAEXT", "CYANNEL", "1");
    values.set("SLPUT", "ADD", "0");
    values.set("BACP", "HASHIN", "6");
    QVERIFY(!dataport::writeAll(rig.session, values));
    QCOMPARE(rig.adapter.log(), Commands{"AT%C1"});
    QCOMPARE(rig.messages.texts(), (QStringList{kReceiveFailed, kReceiveFailed}));
}

void DataPortCoreTest::valueChecks_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QStringList>("accepted");
    QTest::addColumn<QStringList>("refused");
    QTest::addColumn<QString>("caption");
    QTest::newRow("DATA own number") << "DATA" << "JIKO_NO" << QStringList{"", "03-(12)#", QString(32, '1')}
                                     << QStringList{"03a", "1*", QString(33, '1')}
                                     << "データポート設定 / DATAポート / 自己アドレス";
    QTest::newRow("USB subaddress") << "USB" << "SUB_NO" << QStringList{"12#*", QString(20, '1')}
                                    << QStringList{"12-", QString(21, '1')}
                                    << "データポート設定 / USBポート / 自己サブアドレス";
    QTest::newRow("resource BOD") << "DATAEXT" << "REBOD" << QStringList{"0", "3"} << QStringList{"4", ""}
                                  << "データポート設定 / 共通 / リソースＢＯＤの設定";
    QTest::newRow("delete direction") << "SLPUT" << "DEL" << QStringList{"0", "3"} << QStringList{"4"}
                                      << "ｽﾙｰﾌﾟｯﾄBOD詳細設定 / チャンネル削除設定 / 評価方向";
    QTest::newRow("add threshold") << "SLPUT" << "ADD_$42" << QStringList{"0", "050", "100"}
                                   << QStringList{"101", "", "1a", "0100"}
                                   << "ｽﾙｰﾌﾟｯﾄBOD詳細設定 / チャンネル追加設定 / しきい値";
    QTest::newRow("delete holding time, in fifths") << "SLPUT" << "DEL_$44" << QStringList{"1", "255"}
                                                    << QStringList{"0", "256", "1275"}
                                                    << "ｽﾙｰﾌﾟｯﾄBOD詳細設定 / チャンネル削除設定 / 最小保持時間";
    QTest::newRow("called side") << "BACP" << "CYAKU" << QStringList{"0", "7"} << QStringList{"8", "-1"}
                                 << "BACP/BAP詳細設定 / ＢＡＰリクエスト対処方法 / ＜着信側要求＞";
}

void DataPortCoreTest::valueChecks()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    const SettingKey *k = keyOf(section, key);
    QVERIFY(k);
    QFETCH(QStringList, accepted);
    for (const QString &v : accepted)
        QVERIFY2(k->accepts(v), qPrintable(v));
    QFETCH(QStringList, refused);
    for (const QString &v : refused)
        QVERIFY2(!k->accepts(v), qPrintable(v));
    QTEST(k->caption, "caption");
}

void DataPortCoreTest::validateAll_data()
{
    QTest::addColumn<Entries>("wanted");
    QTest::addColumn<QString>("message"); // empty: none
    QTest::newRow("no BOD register") << Entries{{"DATA", "TUCHI", "9"}} << "";
    QTest::newRow("in range") << Entries{{"SLPUT", "ADD_$42", "100"}, {"SLPUT", "DEL_$44", "255"}} << "";
    QTest::newRow("threshold before holding time")
        << Entries{{"SLPUT", "DEL_$44", "256"}, {"SLPUT", "ADD_$42", "101"}} << "有効範囲は0～100(%)です";
    QTest::newRow("holding time in fifths") << Entries{{"SLPUT", "DEL_$44", "256"}} << "有効範囲は5～1275(秒)です";
    QTest::newRow("empty evaluation time") << Entries{{"SLPUT", "ADD_$40", ""}} << "有効範囲は1～255(秒)です";
}

void DataPortCoreTest::validateAll()
{
    QFETCH(Entries, wanted);
    QTEST(dataport::validateAll(valuesOf(wanted), true).value_or(QString()), "message");
}

QTEST_GUILESS_MAIN(DataPortCoreTest)
#include "dataport_core_test.moc"
