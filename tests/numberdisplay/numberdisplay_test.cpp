// SPDX-License-Identifier: GPL-3.0-or-later
// The number display detail: its replies from bytes, and Form14 against the
// simulated adapter, offscreen.
#include "numberdisplay/numberdisplaydialog.h"
#include "numberdisplay/numberdisplaymodel.h"
#include "tests/telephone/simfixture.h"

#include <QGroupBox>
#include <QLabel>
#include <QPointer>

using namespace korvanta;
using namespace korvanta::numberdisplay;
using Lines = QList<QByteArray>;
using Flags = std::array<int, 3>;

namespace {

QPointer<NumberDisplayDialog> openForm14(SimFixture &f, int port)
{
    QPointer<NumberDisplayDialog> d = new NumberDisplayDialog(*f.session, port, &f.opener);
    d->openAndRead();
    return d;
}

QByteArray answer(const QByteArray &query, const QByteArray &value)
{
    return query + "\r\r\n" + value + "\r\n\r\nOK\r\n";
}

const Setting &settingNamed(const QString &name)
{
    return name == QLatin1String("display") ? numberDisplay() : iNumber();
}

} // namespace

class NumberDisplayTest : public QObject {
    Q_OBJECT

private slots:
    void replies_data();
    void replies();

    void bothSettingsOfTel3InOneCommand();
    void tel2OnLocksTel3();
    void displayLockedByTheOtherOfThePair_data();
    void displayLockedByTheOtherOfThePair();
    void unchangedSendsNothingAndCloses();
    void writeTimeOutKeepsFlagAndWindow();
    void failedReadsAndOddReplies();
    void unknownINumberReplySendsNothing_data();
    void unknownINumberReplySendsNothing();
    void helpByPort();
};

void NumberDisplayTest::replies_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<int>("port");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("value"); // "-": nothing the setting knows

    QTest::newRow("display on") << "display" << 1 << answer("AT$D2?", "001") << true << "1";
    QTest::newRow("display off") << "display" << 2 << answer("AT$D3?", "000") << true << "0";
    QTest::newRow("display 002 changes nothing") << "display" << 0 << answer("AT$D1?", "002") << true << "-";
    QTest::newRow("i-number 003") << "inumber" << 0 << answer("AT@J1?", "003") << true << "3";
    QTest::newRow("i-number 004 changes nothing") << "inumber" << 1 << answer("AT@J2?", "004") << true << "-";
    QTest::newRow("no 0 after the echo") << "inumber" << 2 << answer("AT@J3?", "1") << false << "-";
}

void NumberDisplayTest::replies()
{
    QFETCH(QString, setting);
    QFETCH(int, port);
    QFETCH(QByteArray, answer);
    const Reading r = readReply(settingNamed(setting), port, answer);
    QTEST(r.ok, "ok");
    QTEST(r.value ? QString(QLatin1Char(*r.value)) : QStringLiteral("-"), "value");
}

void NumberDisplayTest::bothSettingsOfTel3InOneCommand()
{
    SimFixture f;
    f.adapter.setValue("$D3", "1");
    auto d = openForm14(f, 2);
    QCOMPARE(f.adapter.log(), (Lines{"AT$D3?", "AT@J3?"}));
    QCOMPARE(d->windowTitle(), "ＴＥＬ３詳細設定");
    QVERIFY(isChecked(d, "Option2") && isChecked(d, "Option4"));
    QCOMPARE(f.stored("TEL3", "NDISPLAY"), "1");
    QCOMPARE(f.stored("TEL3", "INUMBER"), "0");
    QVERIFY(!f.opener.isEnabled());
    f.session->NumberDisplayFlags[2] = 1;

    f.adapter.clearLog();
    act(d, {"Option1", "Option6", "Command3"});
    QCOMPARE(f.adapter.log(), Lines{"AT$D3=0@J3=2"});
    QCOMPARE(f.adapter.value("$D3"), "0");
    QCOMPARE(f.adapter.value("@J3"), "2");
    QCOMPARE(f.session->NumberDisplayFlags[2], 0);
    QCOMPARE(f.session->WriteCount, 1);
    QCOMPARE(f.stored("TEL3", "NDISPLAY"), "1"); // the write leaves the work file alone
    QTRY_VERIFY(!d);
    QVERIFY(f.opener.isEnabled());
}

void NumberDisplayTest::tel2OnLocksTel3()
{
    SimFixture f;
    auto tel2 = openForm14(f, 1);
    QCOMPARE(child<QLabel>(tel2, "Label1")->text(), "注意） TEL2/TEL3は同時に使用できません。");
    f.adapter.clearLog();
    act(tel2, {"Option2", "Command3"});
    QCOMPARE(f.adapter.log(), Lines{"AT$D2=1"});
    QCOMPARE(f.session->NumberDisplayFlags, (std::array<int, 3>{0, 1, 0}));
    QTRY_VERIFY(!tel2);

    auto tel3 = openForm14(f, 2);
    QVERIFY(!isEnabled(tel3, "Option1") && !isEnabled(tel3, "Option2"));
    QVERIFY(isEnabled(tel3, "Option5"));
    QCOMPARE(child<QLabel>(tel3, "Label1")->text(), "注意） TEL2/TEL3は同時に使用できません。");
    f.adapter.clearLog();
    act(tel3, {"Option2", "Option5", "Command3"}); // the locked option does not take the click
    QCOMPARE(f.adapter.log(), Lines{"AT@J3=1"});
}

void NumberDisplayTest::displayLockedByTheOtherOfThePair_data()
{
    QTest::addColumn<int>("port");
    QTest::addColumn<Flags>("flags");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("locked");
    QTest::addColumn<Lines>("sent"); // after "対応機器を使用する", "契約者回線番号で発着信する", "登録"

    const auto tel = [](int n) { return QStringLiteral("ＴＥＬ%1詳細設定").arg(QChar(u'０' + n)); };
    QTest::newRow("TEL2 while TEL3 shows numbers")
        << 1 << Flags{0, 0, 1} << tel(2) << true << Lines{"AT@J2=1"};
    QTest::newRow("TEL3 while TEL2 shows numbers")
        << 2 << Flags{0, 1, 0} << tel(3) << true << Lines{"AT@J3=1"};
    QTest::newRow("TEL2 by its own flag: free") << 1 << Flags{1, 1, 0} << tel(2) << false
                                                << Lines{"AT$D2=1@J2=1"};
    QTest::newRow("TEL3 by its own flag: free") << 2 << Flags{1, 0, 1} << tel(3) << false
                                                << Lines{"AT$D3=1@J3=1"};
    QTest::newRow("TEL1 never") << 0 << Flags{1, 1, 1} << tel(1) << false << Lines{"AT$D1=1@J1=1"};
}

void NumberDisplayTest::displayLockedByTheOtherOfThePair()
{
    QFETCH(int, port);
    QFETCH(Flags, flags);
    QFETCH(bool, locked);
    SimFixture f;
    f.session->NumberDisplayFlags = flags;
    auto d = openForm14(f, port);
    QTEST(d->windowTitle(), "title");
    QCOMPARE(child<QLabel>(d, "Label1")->text(),
             port == 0 ? QString() : QStringLiteral("注意） TEL2/TEL3は同時に使用できません。"));
    QCOMPARE(isEnabled(d, "Option1"), !locked);
    QCOMPARE(isEnabled(d, "Option2"), !locked);
    f.adapter.clearLog();
    act(d, {"Option2", "Option5", "Command3"}); // a locked option does not take the click
    QTEST(f.adapter.log(), "sent");
    QTRY_VERIFY(!d);
}

void NumberDisplayTest::unchangedSendsNothingAndCloses()
{
    SimFixture f;
    auto d = openForm14(f, 1);
    f.adapter.clearLog();
    act(d, {"Command3"});
    QCOMPARE(f.adapter.log(), Lines{});
    QCOMPARE(f.session->WriteCount, 1);
    QTRY_VERIFY(!d);
    QVERIFY(f.opener.isEnabled());
}

void NumberDisplayTest::writeTimeOutKeepsFlagAndWindow()
{
    SimFixture f;
    auto d = openForm14(f, 1);
    f.setFault([](sim::Faults &x) { x.errorFor = {"AT$D2=1"}; });
    act(d, {"Option2", "Command3"});
    QCOMPARE(f.messageTexts(), QStringList{kReceiveFailed});
    QCOMPARE(f.session->WriteCount, 1);
    // Not taken by the adapter: the flag stays as it was.
    QCOMPARE(f.session->NumberDisplayFlags[1], 0);
    QVERIFY(d && d->isVisible() && d->isEnabled());
    QVERIFY(!f.opener.isEnabled());
    act(d, {"Command2"});
    QTRY_VERIFY(!d);
    QVERIFY(f.opener.isEnabled());
}

void NumberDisplayTest::failedReadsAndOddReplies()
{
    // No "0" in the number display reply: one message, the i-number query
    // skipped, the window opens all the same.
    SimFixture f(true, true);
    f.tamperedLink->replies["AT$D1?"] = answer("AT$D1?", "1");
    auto d = openForm14(f, 0);
    QCOMPARE(f.tamperedLink->written, Lines{"AT$D1?"});
    QCOMPARE(f.messageTexts(), QStringList{kReceiveFailed});
    QVERIFY(d && d->isVisible());
    QVERIFY(!isChecked(d, "Option1") && !isChecked(d, "Option2") && !isChecked(d, "Option3"));
    for (const char *frame : {"Frame2", "Frame1"})
        QVERIFY(child<QGroupBox>(d, frame)->title().endsWith(QStringLiteral("（読み込めませんでした）")));
    // A missing key counts as "1": no equipment is sent; the i-number group,
    // which no read filled, sends nothing.
    f.tamperedLink->written.clear();
    act(d, {"Option1", "Command3"});
    QCOMPARE(f.tamperedLink->written, Lines{"AT$D1=0"});
}

void NumberDisplayTest::unknownINumberReplySendsNothing_data()
{
    QTest::addColumn<QString>("earlier"); // i-number an earlier read stored; empty: none
    QTest::addColumn<Lines>("sent");
    QTest::newRow("nothing stored") << "" << Lines{};
    QTest::newRow("3 stored") << "3" << Lines{};
    QTest::newRow("0 stored") << "0" << Lines{};
}

void NumberDisplayTest::unknownINumberReplySendsNothing()
{
    QFETCH(QString, earlier);
    SimFixture f(true, true);
    if (!earlier.isEmpty()) {
        f.adapter.setValue("@J2", earlier);
        act(openForm14(f, 1), {"Command2"});
    }
    // A reply the dialog does not know: the key keeps what it held and no
    // i-number option is selected, so nothing is sent for it: a value the
    // operator never saw does not overwrite the adapter's.
    f.tamperedLink->replies["AT@J2?"] = answer("AT@J2?", "004");
    auto d = openForm14(f, 1);
    QVERIFY(f.messages.isEmpty());
    QCOMPARE(f.stored("TEL2", "INUMBER"), earlier.isEmpty() ? "<none>" : earlier);
    QCOMPARE(f.stored("TEL2", "NDISPLAY"), "0");
    for (const char *option : {"Option3", "Option4", "Option5", "Option6"})
        QVERIFY2(!isChecked(d, option), option);
    f.tamperedLink->written.clear();
    act(d, {"Command3"});
    QTEST(f.tamperedLink->written, "sent");
    QTRY_VERIFY(!d);
}

void NumberDisplayTest::helpByPort()
{
    SimFixture f;
    for (int port = 0; port < 3; ++port) {
        auto d = openForm14(f, port);
        act(d, {"Command1"});
        QCOMPARE(helpContextShown(), 13 + port);
        act(d, {"Command2"});
        QTRY_VERIFY(!d);
    }
}

QTEST_MAIN(NumberDisplayTest)
#include "numberdisplay_test.moc"
