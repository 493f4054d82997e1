// The terminal window: the appender's rules, typed keys, and the wait for
// unsent characters when it closes.

#include "app/terminal.h"
#include "appfixture.h"
#include "link/link.h"

#include <QPlainTextEdit>
#include <QTest>

using namespace korvanta;

class TerminalTest : public QObject {
    Q_OBJECT

private slots:
    void appender_data();
    void appender();
    void fullBoxLosesItsOldest_data();
    void fullBoxLosesItsOldest();
    void typedKeysGoToTheLine();
    void typedKeysStayWhenTheLineIsClosed();
    void closingWaitsForUnsentCharacters_data();
    void closingWaitsForUnsentCharacters();
};

void TerminalTest::appender_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<QString>("after");
    QTest::newRow("LF dropped, put back after CR") << "" << QByteArray("AB\r\nC") << "AB\r\nC";
    QTest::newRow("CR alone gets its LF") << "" << QByteArray("A\rB\r") << "A\r\nB\r\n";
    QTest::newRow("LF alone goes") << "X" << QByteArray("\n\nY") << "XY";
    QTest::newRow("backspace after a character") << "" << QByteArray("AB\b") << "A";
    QTest::newRow("backspaces in a row") << "" << QByteArray("ABC\b\bD") << "AD";
    QTest::newRow("leading backspace takes the last shown") << "XY" << QByteArray("\b") << "X";
    QTest::newRow("leading backspace, then text") << "XY" << QByteArray("\bZ") << "XZ";
    QTest::newRow("two leading backspaces take one") << "XY" << QByteArray("\b\b") << "X";
    QTest::newRow("backspace reaching the front") << "XY" << QByteArray("A\b\bB") << "XB";
    QTest::newRow("leading backspace, empty box") << "" << QByteArray("\bA") << "A";
    QTest::newRow("echo of a typed correction") << "AT" << QByteArray("\b \bI") << "AI";
}

void TerminalTest::appender()
{
    QFETCH(QString, before);
    QFETCH(QByteArray, received);
    QFETCH(QString, after);
    TerminalText box;
    box.text = before;
    AppendTerminalText(box, received);
    QCOMPARE(box.text, after);
}

void TerminalTest::fullBoxLosesItsOldest_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("dropped");
    QTest::newRow("one short of full") << TerminalText::kTrimAt - 1 << 0;
    QTest::newRow("full") << TerminalText::kTrimAt << TerminalText::kTrimBy;
    QTest::newRow("over full") << TerminalText::kTrimAt + 10 << TerminalText::kTrimBy;
}

void TerminalTest::fullBoxLosesItsOldest()
{
    QFETCH(int, length);
    QFETCH(int, dropped);
    TerminalText box;
    for (int i = 0; i < length; ++i)
        box.text += QChar(u'a' + i % 26);
    const QString before = box.text;
    AppendTerminalText(box, "Z");
    QCOMPARE(box.text, before.mid(dropped) + "Z");
}

void TerminalTest::typedKeysGoToTheLine()
{
    AppFixture f;
    TerminalWindow t(f.session);
    t.show();
    auto *term = t.findChild<QPlainTextEdit *>("Term");
    QTest::keyClicks(term, "ATX");
    QTest::keyClick(term, Qt::Key_Backspace);
    QTest::keyClicks(term, "I");
    QTest::keyClick(term, Qt::Key_Return);
    QTRY_COMPARE(f.adapter.log(), QList<QByteArray>{"ATI"});
    QCOMPARE(t.text(), QString()); // only the adapter's echo shows what was typed
    QCOMPARE(term->toPlainText(), QString());
}

void TerminalTest::typedKeysStayWhenTheLineIsClosed()
{
    AppFixture f;
    f.link.close();
    TerminalWindow t(f.session);
    t.show();
    auto *term = t.findChild<QPlainTextEdit *>("Term");
    QTest::keyClicks(term, "AB");
    QTest::keyClick(term, Qt::Key_Return);
    QTest::keyClicks(term, "C");
    QCOMPARE(t.text(), QStringLiteral("AB\r\nC"));
    QCOMPARE(term->toPlainText(), QStringLiteral("AB\nC"));
    QVERIFY(f.adapter.log().isEmpty());
}

void TerminalTest::closingWaitsForUnsentCharacters_data()
{
    QTest::addColumn<bool>("pending");
    QTest::addColumn<QList<QMessageBox::StandardButton>>("answers");
    QTest::addColumn<bool>("closes");
    using B = QMessageBox::StandardButton;
    QTest::newRow("nothing unsent") << false << QList<B>{} << true;
    QTest::newRow("Abort keeps it open") << true << QList<B>{QMessageBox::Abort} << false;
    QTest::newRow("Ignore closes") << true << QList<B>{QMessageBox::Ignore} << true;
    QTest::newRow("Retry waits again") << true << QList<B>{QMessageBox::Retry, QMessageBox::Ignore} << true;
}

void TerminalTest::closingWaitsForUnsentCharacters()
{
    QFETCH(bool, pending);
    QFETCH(QList<QMessageBox::StandardButton>, answers);
    QFETCH(bool, closes);
    MessageRecorder messages;
    QList<QMessageBox::StandardButton> queue = answers;
    Messages::setHandler([&](const MessageRequest &r) {
        messages.boxes << r;
        return queue.isEmpty() ? QMessageBox::Ignore : queue.takeFirst();
    });
    AppFixture f;
    sim::Faults slow;
    slow.charTimeUs = 1000000; // a second a character: the line stays busy
    f.adapter.setFaults(slow);
    f.session.timing.drainDeadlineMs = 1;
    TerminalWindow t(f.session);
    t.show();
    if (pending) {
        QTest::keyClicks(t.findChild<QPlainTextEdit *>("Term"), "ATI");
        QVERIFY(f.link.outBufferCount() > 0);
    }
    t.close();
    QCOMPARE(messages.boxes.size(), answers.size());
    for (const auto &box : messages.boxes) {
        QCOMPARE(box.text, QStringLiteral("初期化に失敗しました"));
        QCOMPARE(box.title, kProgramTitle);
        QCOMPARE(box.buttons, QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore);
    }
    QCOMPARE(t.isVisible(), !closes);
    QVERIFY(f.link.isOpen()); // the line belongs to the main window
}

QTEST_MAIN(TerminalTest)
#include "terminal_test.moc"
