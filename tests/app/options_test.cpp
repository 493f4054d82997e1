// SPDX-License-Identifier: GPL-3.0-or-later
// The command line: port mapping and the options that run the utility
// without an operator.

#include "app/options.h"

#include <QTest>

using namespace korvanta;

class OptionsTest : public QObject {
    Q_OBJECT

private slots:
    void devicePaths();
    void arguments_data();
    void arguments();
};

void OptionsTest::devicePaths()
{
    Options o;
    QVERIFY(parseOptions({"korvanta", "--port", "COM3=/dev/ttyUSB0", "--port", "com1=/dev/pts/7"}, o, nullptr));
    QCOMPARE(o.ports.devicePath(1), QStringLiteral("/dev/pts/7"));
    QCOMPARE(o.ports.devicePath(2), QStringLiteral("/dev/ttyS1"));
    QCOMPARE(o.ports.devicePath(3), QStringLiteral("/dev/ttyUSB0"));
    QCOMPARE(o.ports.devicePath(9), QStringLiteral("/dev/ttyS8"));
}

void OptionsTest::arguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("autoPort");
    QTest::newRow("none") << QStringList{} << true << 0;
    QTest::newRow("auto port") << QStringList{"--auto-port", "9", "--exit-after-start"} << true << 9;
    QTest::newRow("auto port 0") << QStringList{"--auto-port", "0"} << false << 0;
    QTest::newRow("auto port 10") << QStringList{"--auto-port", "10"} << false << 0;
    QTest::newRow("auto port word") << QStringList{"--auto-port", "COM1"} << false << 0;
    QTest::newRow("COM0") << QStringList{"--port", "COM0=/dev/x"} << false << 0;
    QTest::newRow("no path") << QStringList{"--port", "COM2="} << false << 0;
    QTest::newRow("not COM") << QStringList{"--port", "/dev/ttyS0"} << false << 0;
    QTest::newRow("stray word") << QStringList{"COM1"} << false << 0;
    QTest::newRow("unknown option") << QStringList{"--fast"} << false << 0;
}

void OptionsTest::arguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, accepted);
    QFETCH(int, autoPort);
    Options o;
    QString error;
    QCOMPARE(parseOptions(QStringList{"korvanta"} + arguments, o, &error), accepted);
    QCOMPARE(error.isEmpty(), accepted);
    if (accepted)
        QCOMPARE(o.autoPort, autoPort);
}

QTEST_GUILESS_MAIN(OptionsTest)
#include "options_test.moc"
