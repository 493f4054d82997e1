// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/session/commevents.h"
#include "link/protocol/exchange.h"
#include "link/session/messages.h"
#include "link/protocol/reply.h"
#include "scriptedlink.h"

#include <QElapsedTimer>
#include <QTest>

using namespace korvanta;
using Answer = ScriptedLink::Answer;

namespace {
// The box of a line that went away.
const QString kLost = QStringLiteral("機器との回線が切れました。ケーブルと機器の電源を確かめてください。");
// The framed answer to a register query, as the adapter sends it.
QByteArray registerAnswer(const QByteArray &command, const QByteArray &value)
{
    return command + "\r\r\n" + value + "\r\n\r\nOK\r\n";
}
} // namespace

class ExchangeTest : public QObject {
    Q_OBJECT

private slots:
    void query_data();
    void query();
    void queryWindowEdge_data();
    void queryWindowEdge();
    void queryAcceptorWaitsForTheWantedAnswer();
    void queryTimesOutAtItsDeadline();
    void set_data();
    void set();
    void setTimeoutReportsBeforeDiscarding();
    void waitIsPreparedOnceTheCommandIsOut();
    void replyScanning();
    void commEvents_data();
    void commEvents();
    void errorsRaisedWhileABoxIsOpenWaitTheirTurn_data();
    void errorsRaisedWhileABoxIsOpenWaitTheirTurn();
    void receivedTextGoesToTheTerminalOnlyWhileOneIsOpen();
};

void ExchangeTest::query_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<QByteArray>("expected"); // empty: time-out

    const QByteArray full = registerAnswer("AT$I11?", "004");
    QTest::newRow("one piece") << Answer{{0, full}} << full;
    QTest::newRow("many pieces") << Answer{{0, "AT$I"}, {5, "11?\r\r"}, {5, "\n004\r\n\r\nO"}, {5, "K\r\n"}} << full;
    QTest::newRow("noise before the echo is cut") << Answer{{0, "\x07zz\r\n"}, {2, full}} << full;
    QTest::newRow("lower-case a before the echo starts the answer")
        << Answer{{0, "xa"}, {2, full}} << QByteArray("a" + full);
    QTest::newRow("no A at all never succeeds") << Answer{{0, "\r\n004\r\n\r\nOK\r\n"}} << QByteArray();
    QTest::newRow("ERROR runs into the deadline") << Answer{{0, "AT$I11?\r\r\nERROR\r\n"}} << QByteArray();
    QTest::newRow("OK without LF is not the end") << Answer{{0, "AT$I11?\r\r\n004\r\n\r\nOK\r"}} << QByteArray();
    QTest::newRow("silence") << Answer{} << QByteArray();
}

void ExchangeTest::query()
{
    QFETCH(Answer, answer);
    QFETCH(QByteArray, expected);
    ScriptedLink link;
    link.script(answer);
    const auto got = QueryExchange(link, "AT$I11?", 300);
    QCOMPARE(link.written, QList<QByteArray>{"AT$I11?\r"});
    QCOMPARE(link.inputLen(), Link::kBulkInputLen);
    if (expected.isEmpty()) {
        QVERIFY(!got);
    } else {
        QVERIFY(got);
        QCOMPARE(*got, expected);
    }
}

void ExchangeTest::queryWindowEdge_data()
{
    QTest::addColumn<int>("window");
    QTest::addColumn<int>("padding");
    QTest::addColumn<bool>("found");
    // The answer "AT\r" + padding + "\r\nOK\r\n" is 3 + padding + 6 long; it must
    // fit in the window counted from the "A".
    QTest::newRow("256: OK ends on the last place") << 256 << 256 - 9 << true;
    QTest::newRow("256: one place too far") << 256 << 256 - 8 << false;
    QTest::newRow("2048: OK ends on the last place") << 2048 << 2048 - 9 << true;
    QTest::newRow("2048: one place too far") << 2048 << 2048 - 8 << false;
}

void ExchangeTest::queryWindowEdge()
{
    QFETCH(int, window);
    QFETCH(int, padding);
    QFETCH(bool, found);
    ScriptedLink link;
    const QByteArray answer = "AT\r" + QByteArray(padding, '-') + "\r\nOK\r\n";
    // Noise first, then the answer in two pieces that split the OK.
    link.script({{0, "noise"}, {1, answer.left(answer.size() - 3)}, {1, answer.right(3)}});
    const auto got = QueryExchange(link, "AT", 300, window);
    QCOMPARE(bool(got), found);
    if (got)
        QCOMPARE(got->size(), window);
}

void ExchangeTest::queryAcceptorWaitsForTheWantedAnswer()
{
    ScriptedLink link;
    link.script({{0, "ATI\r\r\nOTHER-MODEL\r\n\r\nOK\r\n"}, {20, "\r\nKORVAN-TA\r\n\r\nOK\r\n"}});
    int asked = 0;
    const auto got = QueryExchange(link, "ATI", 2000, kQueryWindow, [&asked](const QByteArray &a) {
        ++asked;
        return a.contains("KORVAN-TA");
    });
    QVERIFY(got);
    QCOMPARE(asked, 2);
    QVERIFY(got->startsWith("ATI\r"));

    // Never the wanted answer: the exchange waits out its deadline.
    link.script({{0, "ATI\r\r\nOTHER-MODEL\r\n\r\nOK\r\n"}});
    QElapsedTimer t;
    t.start();
    QVERIFY(!QueryExchange(link, "ATI", 150, kQueryWindow, [](const QByteArray &) { return false; }));
    QVERIFY(t.elapsed() >= 150);
}

void ExchangeTest::queryTimesOutAtItsDeadline()
{
    ScriptedLink link;
    // Noise that keeps coming must not hold the exchange beyond its deadline.
    for (int i = 1; i <= 40; ++i)
        QTimer::singleShot(i * 10, &link, [&link] { link.deliver("zz"); });
    QElapsedTimer t;
    t.start();
    QVERIFY(!QueryExchange(link, "AT", 200));
    QVERIFY(t.elapsed() >= 200);
    QVERIFY(t.elapsed() < 2000);
}

void ExchangeTest::set_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<bool>("acknowledged");

    QTest::newRow("echo and OK at once") << Answer{{0, "AT$O1=1$K1=1\r\r\nOK\r\n"}} << true;
    QTest::newRow("OK in pieces") << Answer{{0, "AT$L1=1\r\r\nO"}, {30, "K\r\n"}} << true;
    QTest::newRow("every character apart")
        << Answer{{0, "AT$L1=1\r\r\n"}, {5, "O"}, {5, "K"}, {5, "\r"}, {5, "\n"}} << true;
    QTest::newRow("echo holding O and K") << Answer{{0, "AT$C1=OK\r\r\nOK\r\n"}} << true;
    QTest::newRow("ERROR") << Answer{{0, "AT$L1=7\r\r\nERROR\r\n"}} << false;
    QTest::newRow("OK without LF") << Answer{{0, "AT$L1=1\r\r\nOK\r"}} << false;
    QTest::newRow("silence") << Answer{} << false;
}

void ExchangeTest::set()
{
    QFETCH(Answer, answer);
    QFETCH(bool, acknowledged);
    ScriptedLink link;
    link.script(answer);
    int timeouts = 0;
    QCOMPARE(SetExchange(link, "AT$L1=1", 300, [&timeouts] { ++timeouts; }), acknowledged);
    QCOMPARE(timeouts, acknowledged ? 0 : 1);
    QCOMPARE(link.written.size(), 1);
    QVERIFY(link.written.first().endsWith('\r'));
    QCOMPARE(link.inputLen(), Link::kBulkInputLen);
    QCOMPARE(link.inBufferCount(), 0);
}

void ExchangeTest::setTimeoutReportsBeforeDiscarding()
{
    // A late acknowledgement that arrives while the failure is being reported
    // must not be taken for the next command's.
    ScriptedLink link;
    bool reported = false;
    QVERIFY(!SetExchange(link, "AT$L1=1", 50, [&] {
        reported = true;
        link.deliver("\r\nOK\r\n");
    }));
    QVERIFY(reported);
    QCOMPARE(link.inBufferCount(), 0);
    QVERIFY(!SetExchange(link, "AT$L1=0", 50));
}

void ExchangeTest::waitIsPreparedOnceTheCommandIsOut()
{
    // What a window prepares for the wait runs after the command has been
    // written, once, whichever exchange sends it; cleared, it does not run.
    ScriptedLink link;
    link.script({{0, registerAnswer("AT$I11?", "015")}});
    link.script({{0, "AT$L1=1\r\r\nOK\r\n"}});
    link.script({{0, "AT$L1=0\r\r\nOK\r\n"}});
    QList<int> writtenWhenRun;
    const auto prepare = [&] { writtenWhenRun << int(link.written.size()); };
    link.whenSent(prepare);
    QVERIFY(QueryExchange(link, "AT$I11?", 300));
    QVERIFY(SetExchange(link, "AT$L1=1", 300));
    QCOMPARE(writtenWhenRun, QList<int>{1});
    link.whenSent(prepare);
    link.whenSent({});
    QVERIFY(SetExchange(link, "AT$L1=0", 300));
    QCOMPARE(writtenWhenRun, QList<int>{1});
}

void ExchangeTest::replyScanning()
{
    const QByteArray answer = registerAnswer("AT$I11?", "015");
    QCOMPARE(reply::find(answer, '0', 8), 11);
    QCOMPARE(*reply::threeDigitsFrom(answer, 8), QByteArray("015"));
    QCOMPARE(*reply::threeCharsAt(answer, 11), QByteArray("015"));
    QVERIFY(!reply::threeDigitsFrom("AT$I11?\r\r\nOK\r\n", 8));
    // The scans stop at the end of the text.
    QCOMPARE(*reply::threeDigitsFrom("AT?0", 4), QByteArray("0"));
    QVERIFY(!reply::threeCharsAt("AT", 3));
    QVERIFY(!reply::threeCharsAt("AT", 0));
    QCOMPARE(reply::leadingNumber("010"), 10);
    QCOMPARE(reply::leadingNumber("01x"), 1);
    QCOMPARE(reply::leadingNumber("x12"), 0);
    QCOMPARE(reply::leadingNumber("99999999999999"), 9999999);
    QCOMPARE(reply::trimRight("0312  "), QByteArray("0312"));
}

void ExchangeTest::commEvents_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message"); // empty: not shown
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("stillOpen");

    QTest::newRow("CTS time-out, OK") << 1002 << "CTS 時間切れｴﾗｰを検出しました" << int(MessageBox::Ok) << true;
    QTest::newRow("DSR time-out, Cancel") << 1003 << "DSR 時間切れｴﾗｰを検出しました" << int(MessageBox::Cancel) << false;
    QTest::newRow("overrun") << 1006 << "ﾃﾞｰﾀ喪失ｴﾗｰが発生しました" << int(MessageBox::Ok) << true;
    QTest::newRow("carrier time-out") << 1007 << "ｷｬﾘｱ検出時間切れｴﾗｰを検出しました" << int(MessageBox::Ok) << true;
    QTest::newRow("buffer overflow") << 1008 << "ﾊﾞｯﾌｧｵｰﾊﾞﾌﾛｰｴﾗｰが発生しました" << int(MessageBox::Ok) << true;
    QTest::newRow("transmit buffer full") << 1010 << "送信ﾊﾞｯﾌｧﾌﾙｴﾗｰが発生しました" << int(MessageBox::Ok) << true;
    QTest::newRow("line lost, Cancel") << int(comEventLineLost) << kLost << int(MessageBox::Cancel) << false;
    QTest::newRow("unknown code") << 4242 << "未知ｴﾗｰが発生しました" << int(MessageBox::Ok) << true;
    for (int code : {1, 3, 4, 5, 6, 7, 1001, 1004, 1009})
        QTest::addRow("notification %d", code) << code << QString() << int(MessageBox::Cancel) << true;
}

void ExchangeTest::commEvents()
{
    QFETCH(int, code);
    QFETCH(QString, message);
    QFETCH(int, answer);
    QFETCH(bool, stillOpen);
    ScriptedLink link;
    CommEventHandler handler(link);
    QList<MessageRequest> shown;
    int beeps = 0;
    Messages::setHandler([&](const MessageRequest &r) {
        shown << r;
        return MessageBox::Button(answer);
    });
    Messages::setBeepHandler([&beeps] { ++beeps; });
    link.raise(code);
    Messages::setHandler(nullptr);
    Messages::setBeepHandler(nullptr);

    QCOMPARE(link.isOpen(), stillOpen);
    if (message.isEmpty()) {
        QVERIFY(shown.isEmpty());
        QCOMPARE(beeps, 0);
        return;
    }
    QCOMPARE(shown.size(), 1);
    QCOMPARE(beeps, 1);
    QCOMPARE(shown[0].text, message);
    QCOMPARE(shown[0].title, QStringLiteral("［ｷｬﾝｾﾙ］中断 , ［OK］無視"));
    QVERIFY(shown[0].informative.contains("［キャンセル］は機器との回線を閉じます")); // the title may be cut
    QCOMPARE(shown[0].icon, MessageBox::NoIcon);
    QCOMPARE(shown[0].buttons, MessageBox::Ok | MessageBox::Cancel);
}

void ExchangeTest::errorsRaisedWhileABoxIsOpenWaitTheirTurn_data()
{
    QTest::addColumn<QList<int>>("whileOpen"); // raised while the first box (CTS time-out) is open
    QTest::addColumn<QList<int>>("later");     // raised after every box has closed
    QTest::addColumn<QList<int>>("answers");   // to the boxes, in turn
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<bool>("stillOpen");

    const QString cts = QStringLiteral("CTS 時間切れｴﾗｰを検出しました");
    const QString lost = kLost;
    const QString overrun = QStringLiteral("ﾃﾞｰﾀ喪失ｴﾗｰが発生しました");
    const int ok = MessageBox::Ok, cancel = MessageBox::Cancel;
    QTest::newRow("a lost line behind a CTS time-out still offers Cancel")
        << QList<int>{comEventLineLost} << QList<int>{} << QList<int>{ok, cancel} << QStringList{cts, lost} << false;
    QTest::newRow("repeats fold, distinct errors come in order")
        << QList<int>{comEventCTSTO, comEventOverrun, comEventCTSTO, comEventLineLost, comEventOverrun}
        << QList<int>{} << QList<int>{ok, ok, ok} << QStringList{cts, overrun, lost} << true;
    QTest::newRow("notifications and receipts take no turn")
        << QList<int>{comEvCTS, comEvReceive, comEventBreak} << QList<int>{} << QList<int>{ok} << QStringList{cts} << true;
    QTest::newRow("Cancel closes the line and drops what waits")
        << QList<int>{comEventOverrun, comEventLineLost} << QList<int>{} << QList<int>{cancel} << QStringList{cts} << false;
    QTest::newRow("the same error after its box closed asks again")
        << QList<int>{} << QList<int>{comEventCTSTO} << QList<int>{ok, ok} << QStringList{cts, cts} << true;
}

void ExchangeTest::errorsRaisedWhileABoxIsOpenWaitTheirTurn()
{
    QFETCH(QList<int>, whileOpen);
    QFETCH(QList<int>, later);
    QFETCH(QList<int>, answers);
    QFETCH(QStringList, shown);
    QFETCH(bool, stillOpen);
    ScriptedLink link;
    CommEventHandler handler(link);
    QStringList texts;
    int beeps = 0;
    Messages::setHandler([&](const MessageRequest &r) {
        texts << r.text;
        if (texts.size() == 1) // the box is open: the line goes on raising
            for (int code : whileOpen)
                link.raise(code);
        return MessageBox::Button(answers.value(texts.size() - 1, MessageBox::Ok));
    });
    Messages::setBeepHandler([&beeps] { ++beeps; });
    link.raise(comEventCTSTO);
    for (int code : later)
        link.raise(code);
    Messages::setHandler(nullptr);
    Messages::setBeepHandler(nullptr);

    QCOMPARE(texts, shown);
    QCOMPARE(beeps, shown.size()); // one beep a box, none for what was folded
    QCOMPARE(link.isOpen(), stillOpen);
}

void ExchangeTest::receivedTextGoesToTheTerminalOnlyWhileOneIsOpen()
{
    ScriptedLink link;
    CommEventHandler handler(link);
    link.deliver("AT\r");
    QCOMPARE(link.inBufferCount(), 3); // left for the exchange that waits for it

    QByteArray terminal;
    handler.setTerminalSink([&terminal](const QByteArray &t) { terminal += t; });
    QVERIFY(handler.terminalActive());
    link.deliver("\r\nOK\r\n");
    QCOMPARE(terminal, QByteArray("AT\r\r\nOK\r\n"));
    QCOMPARE(link.inBufferCount(), 0);

    handler.setTerminalSink({});
    link.deliver("x");
    QCOMPARE(terminal.size(), 9);
    QCOMPARE(link.inBufferCount(), 1);
}

QTEST_MAIN(ExchangeTest)
#include "exchange_test.moc"
