// SPDX-License-Identifier: GPL-3.0-or-later
// The adapter's answers byte for byte, laid out so that the utility's
// fixed-position and token parsers land on the values.

#include <QSignalSpy>
#include <QTest>

#include "sim/simulatedadapter.h"

using namespace korvanta::sim;

using Settings = QMap<QString, QString>;
Q_DECLARE_METATYPE(Settings)

namespace {

const QByteArray kOk = "\r\nOK\r\n";
const QByteArray kError = "\r\nERROR\r\n";

void apply(SimulatedAdapter &sim, const Settings &values)
{
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        QVERIFY2(sim.setValue(it.key(), it.value()), qPrintable(it.key()));
}

struct Snapshot {
    QMap<QString, QString> working, stored;
    bool echo, verbose;
    bool operator==(const Snapshot &) const = default;
};

Snapshot snapshot(const SimulatedAdapter &sim)
{
    Snapshot s{{}, sim.storedSettings(), sim.echo(), sim.verbose()};
    for (const QString &k : sim.keys())
        s.working.insert(k, sim.value(k));
    return s;
}

// The utility's reading of the whole directory: from the first ":" at or
// after position 93, three-character index tokens, each entry ended by its
// LF, the CR LF opening the next line skipped.
QMap<int, QByteArray> scanDirectory(const QByteArray &buf)
{
    QMap<int, QByteArray> entries;
    const int colon = buf.indexOf(':', 92);
    if (colon < 0)
        return entries;
    int cursor = colon - 2;
    for (;;) {
        const QByteArray token = buf.mid(cursor, 3);
        cursor += 3;
        bool ok = false;
        const int index = token.left(2).toInt(&ok);
        if (!ok || !token.endsWith(':') || index > 19)
            return entries;
        QByteArray text;
        while (cursor < buf.size() && buf[cursor] != '\n') {
            if (buf[cursor] != '\r')
                text += buf[cursor];
            ++cursor;
        }
        entries.insert(index, text);
        cursor += 3;
    }
}

} // namespace

class TestSimAdapter : public QObject {
    Q_OBJECT
private slots:
    void queries_data();
    void queries();
    void directoryAtPosition93();
    void sets_data();
    void sets();
    void refusedLineChangesNothing_data();
    void refusedLineChangesNothing();
    void firmwareGating_data();
    void firmwareGating();
    void firmwareVersionBoundary_data();
    void firmwareVersionBoundary();
    void factoryResets();
    void storeKeepsStoredApart();
    void lineEditingAndFraming_data();
    void lineEditingAndFraming();
    void silentFromALine();
};

void TestSimAdapter::queries_data()
{
    QTest::addColumn<Settings>("setup");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("answers"); // between the echo and the final OK

    auto row = [](const char *name, Settings setup, QByteArray cmd, QByteArray answers) {
        QTest::newRow(name) << setup << cmd << answers;
    };
    row("model", {}, "ATI", "\r\nKORVAN-TA\r\n");
    row("firmware", {}, "AT%I2", "\r\nVer 1.30 01/03/15\r\n");
    row("empty command", {}, "AT", "");
    row("switches", {}, "ATE1V1", "");
    row("dial time", {{"$I13", "15"}}, "AT$I13?", "\r\n015\r\n");
    row("ring pattern", {}, "AT$W2?", "\r\n001\r\n");
    row("i-number TEL1", {}, "AT@J1?", "\r\n000\r\n");
    row("i-number DATA", {}, "AT@J4?", "\r\n001\r\n");
    row("i-number USB", {{"@J5", "3"}}, "AT@J5?", "\r\n003\r\n");
    row("number display", {{"$D3", "1"}}, "AT$D3?", "\r\n001\r\n");
    row("i-number service", {}, "AT@I?", "\r\n001\r\n");
    row("hold key", {}, "AT$I14?", "\r\n001\r\n");
    row("short-dial key", {}, "AT$I15?", "\r\n002\r\n");
    row("ring frequency", {}, "AT$I29?", "\r\n016\r\n");
    row("sending sequence", {}, "AT$V?", "\r\n000\r\n");
    row("initial channels", {}, "AT%C?", "\r\n000\r\n");
    row("resource BOD", {{"%U", "2"}}, "AT%U?", "\r\n002\r\n");
    row("BACP", {}, "AT&B?", "\r\n001\r\n");
    row("priority", {}, "AT%Y?", "\r\n000\r\n");
    row("add and delete", {{"%A", "1"}}, "AT%A?%D?", "\r\n001\r\n\r\n003\r\n");
    row("BOD add time", {}, "AT$I40?", "\r\n010\r\n");
    row("BOD add holding", {}, "AT$I41?", "\r\n012\r\n");
    row("BOD add threshold", {}, "AT$I42?", "\r\n080\r\n");
    row("BOD delete time 255", {{"$I43", "255"}}, "AT$I43?", "\r\n255\r\n");
    row("BOD delete holding", {}, "AT$I44?", "\r\n012\r\n");
    row("BOD delete threshold", {}, "AT$I45?", "\r\n040\r\n");
    row("BAP called", {}, "AT$I46?", "\r\n007\r\n");
    row("BAP calling", {{"$I47", "5"}}, "AT$I47?", "\r\n005\r\n");
    row("TEL1 listing factory", {}, "AT\\S2",
        "\r\nTEL1 ADR:\r\nTEL1 FWD:\r\n"
        "$B1:3 $O1:0 $P1:0 $M1:1 $N1:1 $L1:0 $K1:0 $F1:0 $H1:0 $U1:1 $D1:0\r\n");
    row("TEL2 listing", {{"$C2", "0312345678"}, {"$E2", "12"}, {"$G2", "09012345678"}, {"$K2", "2"}},
        "AT\\S3",
        "\r\nTEL2 ADR:0312345678*12\r\nTEL2 FWD:09012345678\r\n"
        "$B2:3 $O2:0 $P2:0 $M2:1 $N2:1 $L2:0 $K2:2 $F2:0 $H2:0 $U2:1 $D2:0\r\n");
    row("TEL3 listing", {{"$H3", "3"}, {"$D3", "1"}}, "AT\\S4",
        "\r\nTEL3 ADR:\r\nTEL3 FWD:\r\n"
        "$B3:3 $O3:0 $P3:0 $M3:1 $N3:1 $L3:0 $K3:0 $F3:0 $H3:3 $U3:1 $D3:1\r\n");
    row("DATA listing", {{"$C4", "0311112222"}, {"$N4", "0"}}, "AT\\S5",
        "\r\nDATA ADR:0311112222\r\n$B4:3 $O4:0 $N4:0 $M4:1 $P4:0\r\n");
    row("USB listing", {{"$C5", "(03)1111"}, {"$E5", "9#*"}, {"$B5", "2"}}, "AT\\S6",
        "\r\nUSB ADR:(03)1111*9#*\r\n$B5:2 $O5:0 $N5:1 $M5:1 $P5:0\r\n");
    row("directory entry", {{"&Z5", "0312345678*12"}}, "AT&Z5?", "\r\n05:0312345678*12\r\n");
    row("directory in the order asked", {{"&Z12", "111"}, {"&Z3", "333"}}, "AT&Z12?&Z3?",
        "\r\n12:111\r\n\r\n03:333\r\n");
    row("lower case", {}, "at$i11?", "\r\n004\r\n");
}

void TestSimAdapter::queries()
{
    QFETCH(Settings, setup);
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, answers);
    SimulatedAdapter sim;
    apply(sim, setup);
    const QByteArray buf = sim.respond(command + '\r');
    QCOMPARE(buf, command + '\r' + answers + kOk);
    if (command.size() == 7) // register queries are read at positions 11 to 13
        QCOMPARE(buf.mid(10, 3), answers.mid(2, 3));
}

void TestSimAdapter::directoryAtPosition93()
{
    QByteArray command = "AT";
    QMap<int, QByteArray> expected;
    SimulatedAdapter sim;
    for (int k = 0; k < 20; ++k) {
        command += "&Z" + QByteArray::number(k) + '?';
        // Empty, number only, number with subaddress in turn.
        const QByteArray entry = k % 3 == 0 ? QByteArray()
            : k % 3 == 1 ? "03" + QByteArray::number(k * 1111)
                         : "(06)" + QByteArray::number(k) + "*" + QByteArray::number(k) + "#*";
        QVERIFY(sim.setValue("&Z" + QString::number(k), entry));
        expected.insert(k, entry);
    }
    QCOMPARE(command.size(), 92);
    const QByteArray buf = sim.respond(command + '\r');
    QCOMPARE(buf.indexOf(':', 92), 97); // "00:" right after the echo's CR and the CR LF
    QCOMPARE(scanDirectory(buf), expected);
    QVERIFY(buf.endsWith("\r\n19:" + expected[19] + "\r\n" + kOk));
}

void TestSimAdapter::sets_data()
{
    QTest::addColumn<Settings>("setup");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<Settings>("expected");

    auto row = [](const char *name, Settings setup, QByteArray cmd, Settings expected) {
        QTest::newRow(name) << setup << cmd << expected;
    };
    row("pieces", {}, "AT$L1=1$N1=0@J1=2$M4=0@J5=3",
        {{"$L1", "1"}, {"$N1", "0"}, {"@J1", "2"}, {"$M4", "0"}, {"@J5", "3"}});
    row("later piece wins", {}, "AT$L1=1$L1=0", {{"$L1", "0"}});
    row("dial time piece", {}, "AT$K2=2$I12=12", {{"$K2", "2"}, {"$I12", "12"}});
    row("dial time leading zero", {}, "AT$I13=03", {{"$I13", "3"}});
    row("BOD registers", {}, "AT%A0%D3$I42=080$I45=100$I40=255$I41=1",
        {{"%A", "0"}, {"$I42", "80"}, {"$I45", "100"}, {"$I40", "255"}, {"$I41", "1"}});
    row("extended data", {}, "AT%C1%U2&B0%Y1@I0", {{"%C", "1"}, {"%U", "2"}, {"&B", "0"}, {"%Y", "1"}, {"@I", "0"}});
    row("ring frequency", {}, "AT$I29=30", {{"$I29", "30"}});
    row("sending sequence", {}, "AT$V2", {{"$V", "2"}});
    row("own number", {}, "AT$C1=03-1234(56)#", {{"$C1", "03-1234(56)#"}});
    row("own number cleared", {{"$C4", "123"}}, "AT$C4=", {{"$C4", ""}});
    row("subaddress", {}, "AT$E4=12#*", {{"$E4", "12#*"}});
    row("forwarding", {}, "AT$G3=0901234", {{"$G3", "0901234"}});
    row("directory entry", {}, "AT&Z19=0312345678*12*3", {{"&Z19", "0312345678*12*3"}});
    row("directory without subaddress", {}, "AT&Z0=123*", {{"&Z0", "123"}});
    row("directory cleared", {{"&Z7", "5"}}, "AT&Z7=", {{"&Z7", ""}});
    row("key rule: cleared before set", {}, "AT$I14=0$I15=0$I14=2$I15=1", {{"$I14", "2"}, {"$I15", "1"}});
    row("key rule: differing keys", {}, "AT$I14=3", {{"$I14", "3"}, {"$I15", "2"}});
    row("display: TEL3 off, then TEL2 on", {{"$D3", "1"}}, "AT$D3=0$D2=1", {{"$D2", "1"}, {"$D3", "0"}});
    row("display: TEL1 with TEL2", {{"$D2", "1"}}, "AT$D1=1", {{"$D1", "1"}, {"$D2", "1"}});
}

void TestSimAdapter::sets()
{
    QFETCH(Settings, setup);
    QFETCH(QByteArray, command);
    QFETCH(Settings, expected);
    SimulatedAdapter sim;
    apply(sim, setup);
    QCOMPARE(sim.respond(command + '\r'), command + '\r' + kOk);
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        QCOMPARE(sim.value(it.key()), it.value());
    QCOMPARE(sim.storedSettings(), SimulatedAdapter().storedSettings());
}

void TestSimAdapter::refusedLineChangesNothing_data()
{
    QTest::addColumn<Settings>("setup");
    QTest::addColumn<QByteArray>("command");

    auto row = [](const char *name, QByteArray cmd, Settings setup = {}) {
        QTest::newRow(name) << setup << cmd;
    };
    row("not AT", "XYZ");
    row("unknown letter", "AT$X1=0");
    row("out of range", "AT$L1=2");
    row("bearer on a data port", "AT$L4=0");
    row("forwarding on a data port", "AT$G4=1");
    row("no equals", "AT$L1");
    row("bad piece after good ones", "AT$L1=1$N1=0$Q");
    row("query before a bad piece", "AT$I11?$L9=0");
    row("query of a listed setting", "AT$L1?");
    row("dial time above", "AT$I11=16");
    row("dial time empty", "AT$I12=");
    row("delay count", "AT$I20=10");
    row("threshold", "AT$I42=101");
    row("BAP mask", "AT$I46=8");
    row("ring frequency", "AT$I29=15");
    row("sequence", "AT$V3");
    row("own number letter", "AT$C1=12A");
    row("own number not first", "AT$L1=1$C1=123");
    row("subaddress dash", "AT$E1=1-2");
    row("directory 20", "AT&Z20=1");
    row("directory subaddress dash", "AT&Z1=123*4-5");
    row("listing 7", "AT\\S7");
    row("store 2", "AT&W2&F");
    row("key rule: hold on short-dial", "AT$L1=1$I14=2");
    row("key rule: short-dial on hold", "AT$I15=1", {{"$I14", "1"}});
    row("key rule: within the line", "AT$I14=0$I15=3$I14=3");
    row("display: TEL2 while TEL3", "AT$D2=1", {{"$D3", "1"}});
    row("display: both in one line", "AT$D3=1$D2=1");
}

void TestSimAdapter::refusedLineChangesNothing()
{
    QFETCH(Settings, setup);
    QFETCH(QByteArray, command);
    SimulatedAdapter sim;
    apply(sim, setup);
    const Snapshot before = snapshot(sim);
    QCOMPARE(sim.respond(command + '\r'), command + '\r' + kError);
    QVERIFY(snapshot(sim) == before);
    QCOMPARE(sim.log(), QList<QByteArray>{command});
}

void TestSimAdapter::firmwareGating_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<bool>("oldAccepts");
    QTest::newRow("ring pattern query") << QByteArray("AT$W1?") << false;
    QTest::newRow("ring frequency query") << QByteArray("AT$I29?") << false;
    QTest::newRow("sequence query") << QByteArray("AT$V?") << false;
    QTest::newRow("network notification TEL1") << QByteArray("AT$B1=3") << false;
    QTest::newRow("short-dial *") << QByteArray("AT$I14=0$I15=1") << false;
    QTest::newRow("short-dial *#") << QByteArray("AT$I15=3") << false;
    QTest::newRow("own address notification") << QByteArray("AT$B1=2") << true;
    QTest::newRow("short-dial **") << QByteArray("AT$I15=5") << true;
    QTest::newRow("hold key #*") << QByteArray("AT$I14=4") << true;
}

void TestSimAdapter::firmwareGating()
{
    QFETCH(QByteArray, command);
    QFETCH(bool, oldAccepts);
    Faults old;
    old.firmware = kOldFirmware;
    SimulatedAdapter older(old);
    SimulatedAdapter newer;
    QCOMPARE(newer.respond(command + '\r').endsWith(kOk), true);
    QCOMPARE(older.respond(command + '\r').endsWith(kOk), oldAccepts);
}

void TestSimAdapter::firmwareVersionBoundary_data()
{
    QTest::addColumn<QByteArray>("firmware");
    QTest::addColumn<bool>("old");
    QTest::newRow("1.30") << QByteArray(kCurrentFirmware) << false;
    QTest::newRow("1.21") << QByteArray("Ver 1.21 00/01/01") << false;
    QTest::newRow("1.20") << QByteArray(kOldFirmware) << true;
    QTest::newRow("1.2") << QByteArray("Ver 1.2 99/01/01") << true;
    QTest::newRow("1.10") << QByteArray("Ver 1.10 98/01/01") << true;
    QTest::newRow("no blank") << QByteArray("V1.30") << true;
}

void TestSimAdapter::firmwareVersionBoundary()
{
    QFETCH(QByteArray, firmware);
    QFETCH(bool, old);
    Faults f;
    f.firmware = firmware;
    SimulatedAdapter sim(f);
    QCOMPARE(sim.oldFirmware(), old);
    // Older firmware ships without the network-contract notification.
    QCOMPARE(sim.value("$B2"), old ? QString("1") : QString("3"));
    QCOMPARE(sim.respond("AT%I2\r"), "AT%I2\r\r\n" + firmware + "\r\n" + kOk);
}

void TestSimAdapter::factoryResets()
{
    const Settings dialInfo{{"$C1", "0311"}, {"$E2", "5"}, {"$G3", "090"}, {"$C5", "0322"}, {"&Z4", "123*4"}};
    const Settings others{{"$L1", "1"}, {"$B4", "0"}, {"$I11", "9"}, {"$I42", "50"}, {"%Y", "1"}, {"@J5", "3"}};
    const SimulatedAdapter factory;

    for (const char *command : {"AT&F", "AT%Z"}) {
        SimulatedAdapter sim;
        apply(sim, dialInfo);
        apply(sim, others);
        QVERIFY(sim.respond("AT&W0&W1\r").endsWith(kOk));
        const auto storedBefore = sim.storedSettings();
        QVERIFY(sim.respond(QByteArray(command) + '\r').endsWith(kOk));
        const bool keepsDial = QByteArray(command) == "AT&F";
        for (auto it = others.cbegin(); it != others.cend(); ++it)
            QCOMPARE(sim.value(it.key()), factory.value(it.key()));
        for (auto it = dialInfo.cbegin(); it != dialInfo.cend(); ++it)
            QCOMPARE(sim.value(it.key()), keepsDial ? it.value() : QString());
        QCOMPARE(sim.storedSettings(), storedBefore);
    }
}

void TestSimAdapter::storeKeepsStoredApart()
{
    SimulatedAdapter sim;
    QSignalSpy stored(&sim, &SimulatedAdapter::stored);
    QVERIFY(sim.respond("AT$L1=1\rAT$C2=0311\r").endsWith(kOk));
    QCOMPARE(sim.storedValue("$L1"), QString("0"));
    QVERIFY(sim.respond("AT&W0&W1\r").endsWith(kOk));
    QCOMPARE(stored.count(), 1);
    QVERIFY(sim.respond("AT$L1=0\r").endsWith(kOk));
    QCOMPARE(sim.value("$L1"), QString("0"));
    QCOMPARE(sim.storedValue("$L1"), QString("1"));
    QVERIFY(sim.respond("AT$L1=1&W0$Q\r").endsWith(kError)); // refused lines store nothing
    QCOMPARE(stored.count(), 1);
    sim.powerCycle();
    QCOMPARE(sim.value("$L1"), QString("1"));
    QCOMPARE(sim.value("$C2"), QString("0311"));
}

void TestSimAdapter::lineEditingAndFraming_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<QList<QByteArray>>("log");

    QTest::newRow("backspace") << QByteArray("ATX\b$I11?\r") << QByteArray("ATX\b$I11?\r\r\n004\r\n" + kOk)
                               << QList<QByteArray>{"AT$I11?"};
    QTest::newRow("LF ignored") << QByteArray("\nAT\n\r\n") << QByteArray("\nAT\n\r" + kOk + "\n")
                                << QList<QByteArray>{"AT"};
    QTest::newRow("empty line unanswered") << QByteArray("\r") << QByteArray("\r") << QList<QByteArray>{};
    QTest::newRow("echo off") << QByteArray("ATE0\rAT$I11?\rATE1\r")
                              << QByteArray("ATE0\r" + kOk + "\r\n004\r\n" + kOk + kOk)
                              << QList<QByteArray>{"ATE0", "AT$I11?", "ATE1"};
    QTest::newRow("verbose off") << QByteArray("ATV0\rAT%A?%D?\rATX\r")
                                 << QByteArray("ATV0\r0\rAT%A?%D?\r003\r\n003\r\n0\rATX\r4\r")
                                 << QList<QByteArray>{"ATV0", "AT%A?%D?", "ATX"};
}

void TestSimAdapter::lineEditingAndFraming()
{
    QFETCH(QByteArray, input);
    SimulatedAdapter sim;
    QTEST(sim.respond(input), "output");
    QTEST(sim.log(), "log");
}

void TestSimAdapter::silentFromALine()
{
    // Answers up to the line, echoes it, then nothing more; every line is logged.
    Faults faults;
    faults.silentFrom = "AT$I12?";
    SimulatedAdapter sim(faults);
    QCOMPARE(sim.respond("AT$I11?\rAT$I12?\rAT$I13?\r"), QByteArray("AT$I11?\r\r\n004\r\n" + kOk + "AT$I12?\r"));
    QCOMPARE(sim.log(), (QList<QByteArray>{"AT$I11?", "AT$I12?", "AT$I13?"}));
}

QTEST_GUILESS_MAIN(TestSimAdapter)
#include "tst_simadapter.moc"
