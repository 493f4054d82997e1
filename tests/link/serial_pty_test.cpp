// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/protocol/exchange.h"
#include "link/transport/link.h"
#include "link/transport/seriallink.h"

#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

using namespace korvanta;

// The serial link over a real pseudo-terminal, with the simulator program at
// the far end.
class SerialPtyTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void identifiesAndSets();
    void aLostLineIsReportedOnce();
    void aDeviceThatIsMissingDoesNotOpen();

private:
    QProcess m_sim;
    QString m_device;
};

void SerialPtyTest::init()
{
    const QString program = QDir(qEnvironmentVariable("KORVANTA_BIN_DIR")).filePath("korvanta-sim");
    m_sim.start(program, {});
    QVERIFY2(m_sim.waitForStarted(5000), qPrintable(program));
    QVERIFY(m_sim.waitForReadyRead(5000));
    m_device = QString::fromLocal8Bit(m_sim.readLine()).trimmed();
    QVERIFY2(m_device.startsWith("/dev/"), qPrintable(m_device));
}

void SerialPtyTest::cleanup()
{
    m_sim.terminate();
    m_sim.waitForFinished(5000);
}

void SerialPtyTest::identifiesAndSets()
{
    SerialLink link(m_device);
    QVERIFY(link.open());
    QVERIFY(link.isOpen());
    QVERIFY(QueryExchange(link, "ATE1V1", 3000));
    const auto model = QueryExchange(link, "ATI", 3000);
    QVERIFY(model);
    QVERIFY2(model->contains("\r\nKORVAN-TA\r\n"), model->constData());
    const auto version = QueryExchange(link, "AT%I2", 3000);
    QVERIFY(version);
    QVERIFY(version->contains("Ver "));

    QVERIFY(SetExchange(link, "AT$L1=1$K1=2", 3000));
    const auto listing = QueryExchange(link, "AT\\S2", 3000);
    QVERIFY(listing);
    QVERIFY2(listing->contains("$L1:1") && listing->contains("$K1:2"), listing->constData());

    // A refused command is no acknowledgement.
    QVERIFY(!SetExchange(link, "AT$L1=9", 300));
    link.close();
    QVERIFY(!link.isOpen());
}

void SerialPtyTest::aLostLineIsReportedOnce()
{
    SerialLink link(m_device);
    QVERIFY(link.open());
    QVERIFY(QueryExchange(link, "ATE1V1", 3000));
    QSignalSpy events(&link, &Link::commEvent);
    m_sim.kill();
    m_sim.waitForFinished(5000);
    QTRY_VERIFY(events.contains(QVariantList{int(comEventLineLost)}));
    // Writing to the lost line neither blocks nor raises again.
    QVERIFY(!QueryExchange(link, "AT", 100));
    QCOMPARE(std::count(events.begin(), events.end(), QVariantList{int(comEventLineLost)}), 1);
}

void SerialPtyTest::aDeviceThatIsMissingDoesNotOpen()
{
    SerialLink link(QStringLiteral("/dev/korvanta-no-such-device"));
    QVERIFY(!link.open());
    QVERIFY(!link.isOpen());
    // A second opening of a device in use fails too.
    SerialLink first(m_device), second(m_device);
    QVERIFY(first.open());
    QVERIFY(!second.open());
}

QTEST_GUILESS_MAIN(SerialPtyTest)
#include "serial_pty_test.moc"
