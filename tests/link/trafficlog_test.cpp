// SPDX-License-Identifier: GPL-3.0-or-later
// The traffic log: how text is written, and what makes one reply.

#include "link/trafficlog.h"
#include "scriptedlink.h"
#include "tests/trafficlog.h"

#include <QTemporaryDir>
#include <QTest>

using namespace korvanta;

class TrafficLogTest : public QObject {
    Q_OBJECT

private slots:
    void escaped_data();
    void escaped();
    void oneReplyBetweenSends();
};

void TrafficLogTest::escaped_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("command") << QByteArray("AT%A?&Z1=*#\r") << QByteArray(R"(AT%A?&Z1=*#\r)");
    QTest::newRow("line ends") << QByteArray("\r\n\n\r") << QByteArray(R"(\r\n\n\r)");
    QTest::newRow("backslash") << QByteArray("AT\\S2") << QByteArray(R"(AT\\S2)");
    QTest::newRow("other controls") << QByteArray("\0\t\x1b\x7f", 4) << QByteArray(R"(\x00\x09\x1b\x7f)");
    QTest::newRow("beyond ASCII") << QByteArray("\x80\xb1\xff") << QByteArray(R"(\x80\xb1\xff)");
}

void TrafficLogTest::escaped()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, written);
    QCOMPARE(TrafficLog::escaped(text), written);
}

// What is read in pieces between two sends is one reply; the last one is
// written when the link goes away, closed or not.
void TrafficLogTest::oneReplyBetweenSends()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("traffic.log");
    TrafficLog log;
    QVERIFY(log.open(path, nullptr));
    auto *far = new ScriptedLink;
    {
        TrafficLogLink link(std::unique_ptr<Link>(far), log);
        QVERIFY(link.open());
        link.setInputLen(1);
        for (const QByteArray command : {"ATA\r", "ATB\r"}) {
            link.send(command);
            far->deliver("O");
            far->deliver("K\r\n");
            while (!link.input().isEmpty()) {
            }
        }
        far->deliver("late");
        QCOMPARE(link.input(), QByteArray("l"));
    }
    QCOMPARE(trafficLines(path), (QStringList{R"(send ATA\r)", R"(recv OK\r\n)", R"(send ATB\r)", R"(recv OK\r\nl)"}));
}

QTEST_GUILESS_MAIN(TrafficLogTest)
#include "trafficlog_test.moc"
