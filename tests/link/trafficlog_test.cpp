// SPDX-License-Identifier: GPL-3.0-or-later
// The traffic log: how text is written, what makes one reply, and where a
// reply's line is cut.

#include "link/transport/trafficlog.h"
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
    void cutAtAFixedSize_data();
    void cutAtAFixedSize();
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

// A reply longer than a line's record, read in pieces: its first bytes, and
// how many more came; the reply after it is whole again.
void TrafficLogTest::cutAtAFixedSize_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("after");
    const int max = TrafficLog::kMaxRecord;
    QTest::newRow("just fits") << max << QString();
    QTest::newRow("one byte over") << max + 1 << QStringLiteral("… (1 byte more)");
    QTest::newRow("many times over") << 5 * max + 7 << QStringLiteral("… (%1 bytes more)").arg(4 * max + 7);
}

void TrafficLogTest::cutAtAFixedSize()
{
    QFETCH(int, size);
    QFETCH(QString, after);
    QTemporaryDir dir;
    const QString path = dir.filePath("traffic.log");
    TrafficLog log;
    QVERIFY(log.open(path, nullptr));
    QByteArray reply;
    for (int i = 0; i < size; ++i)
        reply += char('a' + i % 26);
    auto *far = new ScriptedLink;
    {
        TrafficLogLink link(std::unique_ptr<Link>(far), log);
        QVERIFY(link.open());
        link.send("ATI\r");
        for (int at = 0; at < size; at += 1000) {
            far->deliver(reply.mid(at, 1000));
            while (!link.input().isEmpty()) {
            }
        }
        link.send("ATZ\r");
        far->deliver("OK\r\n");
        QCOMPARE(link.input(), QByteArray("OK\r\n"));
    }
    // The file's lines as Latin-1: the mark's UTF-8 bytes as such.
    const QString cut = QString::fromLatin1(reply.left(TrafficLog::kMaxRecord) + after.toUtf8());
    QCOMPARE(trafficLines(path), (QStringList{R"(send ATI\r)", "recv " + cut, R"(send ATZ\r)", R"(recv OK\r\n)"}));
}

QTEST_GUILESS_MAIN(TrafficLogTest)
#include "trafficlog_test.moc"
