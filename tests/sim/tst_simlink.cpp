// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated link and the fault knobs, as the utility's link sees them.

#include <QElapsedTimer>
#include <QTest>

#include "sim/simulatedadapter.h"
#include "sim/simulatedlink.h"

using namespace korvanta;
using namespace korvanta::sim;

Q_DECLARE_METATYPE(Faults)

namespace {

const QByteArray kAtiReply = "ATI\r\r\nKORVAN-TA\r\n\r\nOK\r\n";

// Reads on every receive event, as the terminal window does, and notes what
// arrived when.
struct Recorder {
    explicit Recorder(SimulatedLink &link) : link(link)
    {
        clock.start();
        QObject::connect(&link, &Link::commEvent, &link, [this](int code) {
            if (insideOutput)
                reentered = true;
            events.append(code);
            if (code == comEvReceive) {
                arrivals.append(this->link.input());
                arrivedUs.append(clock.nsecsElapsed() / 1000);
            }
        });
    }
    void send(const QByteArray &text)
    {
        clock.restart();
        insideOutput = true;
        link.output(text);
        insideOutput = false;
    }
    QByteArray received() const { return arrivals.join(); }

    SimulatedLink &link;
    QElapsedTimer clock;
    QList<int> events;
    QList<QByteArray> arrivals;
    QList<qint64> arrivedUs;
    bool insideOutput = false;
    bool reentered = false;
};

} // namespace

class TestSimLink : public QObject {
    Q_OBJECT
private slots:
    void arrivals_data();
    void arrivals();
    void pacedLine();
    void silentAdapterSendsNothing();
    void lineLost();
    void portCannotOpen();
};

void TestSimLink::arrivals_data()
{
    QTest::addColumn<Faults>("faults");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QList<QByteArray>>("pieces"); // one per receive event
    QTest::addColumn<int>("lastPieceNotBeforeMs");

    Faults healthy;
    QTest::newRow("healthy") << healthy << QByteArray("ATI")
                             << QList<QByteArray>{"ATI\r", kAtiReply.mid(4)} << 0;
    Faults model;
    model.model = "KORVAN-TB";
    QTest::newRow("other model") << model << QByteArray("ATI")
                                 << QList<QByteArray>{"ATI\r", "\r\nKORVAN-TB\r\n\r\nOK\r\n"} << 0;
    Faults old;
    old.firmware = kOldFirmware;
    QTest::newRow("older firmware") << old << QByteArray("AT%I2")
                                    << QList<QByteArray>{"AT%I2\r", "\r\nVer 1.20 99/11/30\r\n\r\nOK\r\n"} << 0;
    QTest::newRow("older firmware refuses") << old << QByteArray("AT$W1?")
                                            << QList<QByteArray>{"AT$W1?\r", "\r\nERROR\r\n"} << 0;
    Faults split;
    split.fragmentOk = true;
    split.fragmentPauseMs = 30;
    QTest::newRow("OK in two") << split << QByteArray("ATI")
                               << QList<QByteArray>{"ATI\r", "\r\nKORVAN-TA\r\n\r\nO", "K\r\n"} << 30;
    Faults pieces;
    pieces.fragmentSize = 8;
    pieces.fragmentPauseMs = 5;
    QTest::newRow("pieces of 8") << pieces << QByteArray("ATI")
                                 << QList<QByteArray>{"ATI\r", "\r\nKORVAN", "-TA\r\n\r\nO", "K\r\n"} << 10;
    Faults noise;
    noise.noise = QByteArray("\x00\xff~", 3);
    QTest::newRow("noise") << noise << QByteArray("ATI")
                           << QList<QByteArray>{noise.noise, "ATI\r", kAtiReply.mid(4)} << 0;
    Faults refused;
    refused.errorFor = {"AT$C1=*"};
    QTest::newRow("error for a command") << refused << QByteArray("AT$C1=0311")
                                         << QList<QByteArray>{"AT$C1=0311\r", "\r\nERROR\r\n"} << 0;
    QTest::newRow("error for another command") << refused << QByteArray("AT$C2=0311")
                                               << QList<QByteArray>{"AT$C2=0311\r", "\r\nOK\r\n"} << 0;
    Faults late;
    late.delayMs = 60;
    QTest::newRow("delayed") << late << QByteArray("ATI") << QList<QByteArray>{"ATI\r", kAtiReply.mid(4)}
                             << 60;
}

void TestSimLink::arrivals()
{
    QFETCH(Faults, faults);
    QFETCH(QByteArray, command);
    QFETCH(QList<QByteArray>, pieces);
    QFETCH(int, lastPieceNotBeforeMs);
    SimulatedAdapter adapter(faults);
    SimulatedLink link(adapter);
    QVERIFY(link.open());
    Recorder rec(link);
    rec.send(command + '\r');
    QCOMPARE(rec.events.size(), 0); // never from inside output()
    QTRY_COMPARE(rec.arrivals.size(), pieces.size());
    QCOMPARE(rec.arrivals, pieces);
    QVERIFY(!rec.reentered);
    QVERIFY(rec.arrivedUs.last() >= lastPieceNotBeforeMs * 1000);
    QCOMPARE(adapter.log(), QList<QByteArray>{command});
    QCOMPARE(adapter.value("$C1"), QString()); // the refused own number did not stick
}

void TestSimLink::pacedLine()
{
    // A slow line, so that every character's time is measurable: no byte may
    // arrive before all the bytes up to it could have crossed the line (the
    // command's own characters first, then the echo and the reply).
    Faults slow;
    slow.charTimeUs = 2000;
    SimulatedAdapter adapter(slow);
    SimulatedLink link(adapter);
    QVERIFY(link.open());
    Recorder rec(link);
    rec.send("ATI\r");
    QCOMPARE(link.outBufferCount(), 4);
    QCOMPARE(adapter.log().size(), 0);
    QTRY_COMPARE(rec.received(), kAtiReply);
    QCOMPARE(link.outBufferCount(), 0);
    qsizetype bytes = 0;
    for (int i = 0; i < rec.arrivals.size(); ++i) {
        bytes += rec.arrivals[i].size();
        QVERIFY2(rec.arrivedUs[i] >= (bytes + 1) * slow.charTimeUs,
                 qPrintable(QString("arrival %1 early").arg(i)));
    }
}

void TestSimLink::silentAdapterSendsNothing()
{
    Faults silent;
    silent.silent = true;
    SimulatedAdapter adapter(silent);
    SimulatedLink link(adapter);
    QVERIFY(link.open());
    Recorder rec(link);
    rec.send("ATE1V1\r");
    QCoreApplication::processEvents();
    QCOMPARE(adapter.pendingOutput(), 0);
    QCOMPARE(link.inBufferCount(), 0);
    QCOMPARE(rec.events.size(), 0);
    QCOMPARE(adapter.log(), QList<QByteArray>{"ATE1V1"});
}

void TestSimLink::lineLost()
{
    Faults dropping;
    dropping.dropAfter = 5;
    dropping.dropOn = "AT\\S2";
    SimulatedAdapter adapter(dropping);
    SimulatedLink link(adapter);
    QVERIFY(link.open());
    Recorder rec(link);
    rec.send("ATI\r"); // not the line that drops
    QTRY_COMPARE(rec.received(), kAtiReply);
    rec.arrivals.clear();
    rec.events.clear();
    rec.send("AT\\S2\r");
    QTRY_VERIFY(rec.events.contains(comEventLineLost));
    QCOMPARE(rec.received(), QByteArray("AT\\S2\r\r\nTEL"));
    QCOMPARE(rec.events.last(), int(comEventLineLost));
    QVERIFY(link.isOpen());

    rec.send("AT$L1=1\r"); // vanishes
    QCoreApplication::processEvents();
    QCOMPARE(adapter.log().size(), 2);
    QCOMPARE(adapter.value("$L1"), QString("0"));
    link.close();
    QVERIFY(!link.open());

    adapter.powerCycle();
    QVERIFY(link.open());
    rec.arrivals.clear();
    rec.send("ATI\r");
    QTRY_COMPARE(rec.received(), kAtiReply);
}

void TestSimLink::portCannotOpen()
{
    Faults f;
    f.cannotOpen = true;
    SimulatedAdapter adapter(f);
    SimulatedLink link(adapter);
    QVERIFY(!link.open());
    QVERIFY(!link.isOpen());
    link.output("ATI\r");
    QCOMPARE(adapter.log().size(), 0);
    f.cannotOpen = false;
    adapter.setFaults(f);
    QVERIFY(link.open());
    QVERIFY(!link.open()); // a second opening, as of a port in use
}

QTEST_GUILESS_MAIN(TestSimLink)
#include "tst_simlink.moc"
