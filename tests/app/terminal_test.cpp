// SPDX-License-Identifier: GPL-3.0-or-later
// The terminal window: the appender's rules, typed, pasted and dropped text,
// and the wait for unsent characters when it closes.

#include "app/terminal.h"
#include "appfixture.h"
#include "link/transport/link.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
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
    void typing_data();
    void typing();
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
    QTest::newRow("leading backspace takes a line break") << "A\r\n" << QByteArray("\bB") << "AB";
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

namespace {
// Types text key by key: CR as Return, BS as Backspace, ESC as Escape, any
// other character (beyond the Basic Multilingual Plane too) as a key that
// carries it.
void typeKeys(QWidget *box, const QString &text)
{
    for (const char32_t c : text.toUcs4()) {
        const Qt::Key key = c == U'\r' ? Qt::Key_Return
                            : c == U'\b' ? Qt::Key_Backspace
                            : c == U'\x1b' ? Qt::Key_Escape
                            : c < 128 ? Qt::Key(QChar(c).toUpper().unicode())
                                      : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Click, box, key, QString::fromUcs4(&c, 1), Qt::NoModifier);
    }
}
} // namespace

void TerminalTest::typing_data()
{
    QTest::addColumn<bool>("open");
    QTest::addColumn<QString>("before"); // typed first, with the line closed
    QTest::addColumn<int>("at");         // then the caret (or the drop) here; -1 the end
    QTest::addColumn<QString>("way");
    QTest::addColumn<QString>("entered");
    QTest::addColumn<QList<QByteArray>>("sent");
    QTest::addColumn<QString>("box");
    using L = QList<QByteArray>;
    QTest::newRow("open: keys go out, a correction too") << true << "" << -1 << "keys" << "ATX\bI\r" << L{"ATI"} << "";
    QTest::newRow("open: a key with no byte is dropped") << true << "" << -1 << "keys" << "AT\u3042I\r" << L{"ATI"} << "";
    QTest::newRow("open: a paste goes out, LF as CR") << true << "" << -1 << "paste" << "ATI\n" << L{"ATI"} << "";
    QTest::newRow("open: a drop goes out") << true << "" << -1 << "drop" << "ATZ\r\n" << L{"ATZ"} << "";
    QTest::newRow("closed: keys at the end") << false << "" << -1 << "keys" << "AB\rC" << L{} << "AB\r\nC";
    QTest::newRow("closed: keys at the caret") << false << "AB\rC" << 1 << "keys" << "X\r" << L{} << "AX\r\nB\r\nC";
    QTest::newRow("closed: backspace takes a line break") << false << "AB\rC" << 3 << "keys" << "\b" << L{} << "ABC";
    QTest::newRow("closed: backspace at the caret") << false << "AB\rC" << 2 << "keys" << "\b" << L{} << "A\r\nC";
    QTest::newRow("closed: a key with no byte goes in") << false << "AB" << 1 << "keys" << "\u3042\u30a2" << L{}
                                                        << "A\u3042\u30a2B";
    QTest::newRow("closed: a paste at the caret") << false << "AB" << 1 << "paste" << "X\nY" << L{} << "AX\r\nYB";
    QTest::newRow("closed: a drop where it falls") << false << "AB\rCD" << 4 << "drop" << "Z" << L{} << "AB\r\nCZD";
    QTest::newRow("closed: backspace takes an emoji whole") << false << "A\U0001F600" << -1 << "keys" << "\b" << L{} << "A";
    QTest::newRow("closed: Escape puts nothing in") << false << "AB" << 1 << "keys" << "\x1b" << L{} << "AB";
    QTest::newRow("closed: an input method's text at the caret") << false << "AB" << 1 << "input method" << "\u65e5\u672c"
                                                                 << L{} << "A\u65e5\u672cB";
    QTest::newRow("open: an input method's text goes out") << true << "" << -1 << "input method" << "ATI\r" << L{"ATI"} << "";
}

void TerminalTest::typing()
{
    QFETCH(bool, open);
    QFETCH(QString, before);
    QFETCH(int, at);
    QFETCH(QString, way);
    QFETCH(QString, entered);
    QFETCH(QList<QByteArray>, sent);
    QFETCH(QString, box);
    AppFixture f;
    f.link.close();
    TerminalWindow t(f.session);
    t.show();
    auto *term = t.findChild<QPlainTextEdit *>("Term");
    typeKeys(term, before);
    if (open)
        f.link.open();

    QTextCursor caret = term->textCursor();
    if (at >= 0)
        caret.setPosition(at);
    if (way == "drop") {
        // dropped where the caret would stand, the caret itself elsewhere
        QMimeData data;
        data.setText(entered);
        const QPoint point = term->cursorRect(caret).center();
        QDragEnterEvent enter(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(term->viewport(), &enter);
        QDropEvent drop(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(term->viewport(), &drop);
    } else {
        term->setTextCursor(caret);
        if (way == "paste") {
            QApplication::clipboard()->setText(entered);
            QTest::keyClick(term, Qt::Key_V, Qt::ControlModifier);
        } else if (way == "input method") {
            // Only a closed line takes an input method's text: the open one
            // carries a byte a key.
            QFocusEvent focus(QEvent::FocusIn);
            QApplication::sendEvent(term, &focus);
            QCOMPARE(term->testAttribute(Qt::WA_InputMethodEnabled), !open);
            QInputMethodEvent composing(entered, {});
            QApplication::sendEvent(term, &composing);
            QInputMethodEvent commit;
            commit.setCommitString(entered);
            QApplication::sendEvent(term, &commit);
        } else {
            typeKeys(term, entered);
        }
    }
    QTRY_COMPARE(f.adapter.log(), sent);
    QCOMPARE(t.text(), box); // with the line open only the adapter's echo shows what went out
    QCOMPARE(term->toPlainText(), QString(box).remove(u'\r'));
}

void TerminalTest::closingWaitsForUnsentCharacters_data()
{
    QTest::addColumn<bool>("pending");
    QTest::addColumn<QList<MessageBox::Button>>("answers");
    QTest::addColumn<bool>("closes");
    using B = MessageBox::Button;
    QTest::newRow("nothing unsent") << false << QList<B>{} << true;
    QTest::newRow("Abort keeps it open") << true << QList<B>{MessageBox::Abort} << false;
    QTest::newRow("Ignore closes") << true << QList<B>{MessageBox::Ignore} << true;
    QTest::newRow("Retry waits again") << true << QList<B>{MessageBox::Retry, MessageBox::Ignore} << true;
}

void TerminalTest::closingWaitsForUnsentCharacters()
{
    QFETCH(bool, pending);
    QFETCH(QList<MessageBox::Button>, answers);
    QFETCH(bool, closes);
    MessageRecorder messages;
    QList<MessageBox::Button> queue = answers;
    Messages::setHandler([&](const MessageRequest &r) {
        messages.boxes << r;
        return queue.isEmpty() ? MessageBox::Ignore : queue.takeFirst();
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
        QCOMPARE(box.buttons, MessageBox::Abort | MessageBox::Retry | MessageBox::Ignore);
    }
    QCOMPARE(t.isVisible(), !closes);
    QVERIFY(f.link.isOpen()); // the line belongs to the main window
}

QTEST_MAIN(TerminalTest)
#include "terminal_test.moc"
