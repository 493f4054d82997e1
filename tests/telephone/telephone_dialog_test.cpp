// SPDX-License-Identifier: GPL-3.0-or-later
// Form2 against the simulated adapter, offscreen: the command lines the
// adapter received, in order, the work file, and the controls.
#include "numberdisplay/numberdisplaydialog.h"
#include "telephone/telephonedialog.h"
#include "telephone/telephonemodel.h"
#include "translations/language.h"
#include "tests/telephone/simfixture.h"

#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QPointer>
#include <QScopeGuard>
#include <QScrollBar>

using namespace korvanta;
using korvanta::telephone::ChoiceValue;
using korvanta::telephone::holdKey;
using Lines = QList<QByteArray>;

namespace {

const Lines kReads = {"AT\\S2",  "AT$I11?", "AT$W1?",  "AT\\S3",  "AT$I12?", "AT$W2?",  "AT\\S4",
                      "AT$I13?", "AT$W3?",  "AT@I?",   "AT$I20?", "AT$I14?", "AT$I15?", "AT$I29?", "AT$V?"};

// The firmware-gated controls of every tab.
const QStringList kGated = {"Option82", "Option83", "Option84", "Frame42", "Option91", "Frame41", "Option88",
                            "Frame40",  "Option85", "Option75", "Option79", "Option80", "Frame43", "Text14",
                            "Label19",  "Frame44",  "Text15"};

QPointer<TelephoneDialog> openForm2(SimFixture &f)
{
    QPointer<TelephoneDialog> d = new TelephoneDialog(*f.session, &f.opener);
    d->openAndRead();
    return d;
}

// Opens Form2, forgets the reads, does the steps and presses "登録".
QPointer<TelephoneDialog> editAndRegister(SimFixture &f, const QStringList &steps)
{
    auto d = openForm2(f);
    f.adapter.clearLog();
    act(d, steps);
    act(d, {"Command3"});
    return d;
}

} // namespace

class TelephoneDialogTest : public QObject {
    Q_OBJECT

private slots:
    void readsEveryPortAndTheCommonSettings();
    void unchangedDialogSendsNothing();

    void registerSends_data();
    void registerSends();

    void validationMessages_data();
    void validationMessages();

    void olderFirmware();
    void olderFirmwareGatesEvenAfterAFailedRead();
    void timeOutInTel1LeavesTheRestUnsent();
    void unreadControlsSendNothing_data();
    void unreadControlsSendNothing();
    void oddRepliesThroughTheDialog();
    void valuesLongerThanTheirBoxes_data();
    void valuesLongerThanTheirBoxes();

    void keyFilters_data();
    void keyFilters();
    void spins_data();
    void spins();

    void helpByTab_data();
    void helpByTab();
    void detailOpensForTheCurrentTab();
    void operatorRoundTrip();
    void unitFollowsTheCount(); // last: it installs the English translation
};

void TelephoneDialogTest::readsEveryPortAndTheCommonSettings()
{
    SimFixture f;
    f.adapter.setValue("$C2", "0312345678");
    f.adapter.setValue("$E2", "12");
    f.adapter.setValue("$G2", "09012345678");
    f.adapter.setValue("$K2", "2");
    f.adapter.setValue("$H2", "1");
    f.adapter.setValue("$I12", "10");
    f.adapter.setValue("$W3", "0");
    f.adapter.setValue("$D3", "1");
    f.adapter.setValue("$I14", "5");
    f.adapter.setValue("$I29", "25");
    auto d = openForm2(f);
    QCOMPARE(f.adapter.log(), kReads);
    QVERIFY(f.messages.isEmpty());
    QCOMPARE(f.session->ReadFailed, 0);

    QCOMPARE(f.stored("TEL2", "JIKO_NO"), "0312345678");
    QCOMPARE(f.stored("TEL2", "SUB_NO"), "12");
    QCOMPARE(f.stored("TEL2", "TRA_NO"), "09012345678");
    QCOMPARE(f.stored("TEL2", "CALLWAIT"), "2");
    QCOMPARE(f.stored("TEL2", "TOKI"), "1");
    QCOMPARE(f.stored("TEL2", "HASHIN"), "10");
    QCOMPARE(f.stored("TEL3", "RING"), "0");
    QCOMPARE(f.stored("TEL1", "TUCHI"), "3");
    QCOMPARE(f.stored("TEL", "GAISEN"), "5");
    QCOMPARE(f.stored("TEL", "RING"), "25");
    QCOMPARE(f.stored("TEL", "NDSQ"), "0");

    QCOMPARE(child<QLineEdit>(d, "Text5")->text(), "0312345678");
    QCOMPARE(child<QLineEdit>(d, "Text6")->text(), "12");
    QCOMPARE(child<QLineEdit>(d, "Text8")->text(), "10");
    QVERIFY(isChecked(d, "Option28"));
    QVERIFY(!isChecked(d, "Check3") && isChecked(d, "Check4"));
    QVERIFY(isChecked(d, "Option85"));
    QVERIFY(isChecked(d, "Option64"));
    QCOMPARE(child<QLineEdit>(d, "Text14")->text(), "25");
    QCOMPARE(f.session->NumberDisplayFlags, (std::array<int, 3>{0, 0, 1}));
    // The key pairing ran on the hold key read: "＃＊" is taken for the short dial.
    QVERIFY(!isEnabled(d, "Option81"));
    QVERIFY(isEnabled(d, "Option75"));
    QVERIFY(!f.opener.isEnabled());
}

void TelephoneDialogTest::unchangedDialogSendsNothing()
{
    SimFixture f;
    auto d = editAndRegister(f, {});
    QCOMPARE(f.adapter.log(), Lines{});
    QCOMPARE(f.session->WriteCount, 1);
    QTRY_VERIFY(!d);
    QVERIFY(f.opener.isEnabled());
}

void TelephoneDialogTest::registerSends_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<Lines>("sent");
    QTest::addColumn<QStringList>("adapterAfter"); // "key=value" the adapter holds afterwards

    QTest::newRow("TEL2 call waiting and dial time")
        << QStringList{"tab:1", "Option28", "Text8=12"} << Lines{"AT$I12=12", "AT$K2=2"}
        << QStringList{"$K2=2", "$I12=12"};
    // The keys start as hold "＊", short dial "＃": each is locked for the
    // other, so the operator goes by "なし".
    QTest::newRow("hold key and short-dial key swapped")
        << QStringList{"tab:3", "Option72", "Option67", "Option75"} << Lines{"AT$I14=0$I15=0$I14=2$I15=1"}
        << QStringList{"$I14=2", "$I15=1"};
    QTest::newRow("TEL3 announcements only") << QStringList{"tab:2", "Check6", "Check5"} << Lines{"AT$H3=3"}
                                             << QStringList{"$H3=3"};
    QTest::newRow("hold key to none") << QStringList{"Option69"} << Lines{"AT$I14=0"} << QStringList{"$I14=0"};
    QTest::newRow("numbers of TEL1 and the common commands of their own")
        << QStringList{"Text2=03-1234", "Text1=9*", "Text3=", "Option95", "Text13=5", "Text14=30", "Text15=2",
                       "Option92", "Option93"}
        << Lines{"AT$C1=03-1234", "AT$E1=9*", "AT$W1=2", "AT@I0$I20=5", "AT$I29=30", "AT$V2"}
        << QStringList{"$C1=03-1234", "$E1=9*", "$W1=2", "@I=0", "$I20=5", "$I29=30", "$V=2"};
}

void TelephoneDialogTest::registerSends()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, adapterAfter);
    SimFixture f;
    auto d = editAndRegister(f, steps);
    QTEST(f.adapter.log(), "sent");
    QVERIFY2(f.messages.isEmpty(), qPrintable(f.messageTexts().join(u'|')));
    for (const QString &pair : adapterAfter)
        QCOMPARE(f.adapter.value(pair.section(u'=', 0, 0)), pair.section(u'=', 1));
    QTRY_VERIFY(!d);
    // Writing leaves the work file as the read left it.
    QCOMPARE(f.stored("TEL2", "CALLWAIT"), "0");
}

void TelephoneDialogTest::validationMessages_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("icon");
    QTest::addColumn<QStringList>("adapterBefore");

    const int warn = MessageBox::Warning;
    const QString dial = QStringLiteral("発信時間設定は03～15(秒)まで可能です");
    QTest::newRow("TEL1 dial time emptied") << QStringList{"Text4="} << "TEL1" + dial << warn << QStringList{};
    QTest::newRow("TEL2 dial time 16") << QStringList{"Text8=16"} << "TEL2" + dial << warn << QStringList{};
    QTest::newRow("TEL3 dial time 2") << QStringList{"Text12=2"} << "TEL3" + dial << warn << QStringList{};
    QTest::newRow("ring frequency") << QStringList{"Text14=15"} << "有効範囲は16～30Hzです" << warn << QStringList{};
    QTest::newRow("sending sequence") << QStringList{"Text15=3"} << "有効範囲は0～2です" << warn << QStringList{};
    // An emptied box would go out as "AT$I20=" or "AT$V", which the adapter
    // refuses for the whole line.
    QTest::newRow("delay count emptied") << QStringList{"Text13="} << "有効範囲は0～9(回)です" << warn << QStringList{};
    QTest::newRow("sending sequence emptied") << QStringList{"Text15="} << "有効範囲は0～2です" << warn << QStringList{};
    QTest::newRow("first failing check only")
        << QStringList{"Text12=1", "Text15=9"} << "TEL3" + dial << warn << QStringList{};
    // An adapter can report the same key for both; the dialog cannot make it.
    QTest::newRow("hold and short-dial key the same")
        << QStringList{} << "外線保留キーと短縮ダイヤルキーが重複しています" << int(MessageBox::Information)
        << QStringList{"$I14=1", "$I15=1"};
}

void TelephoneDialogTest::validationMessages()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, adapterBefore);
    SimFixture f;
    for (const QString &pair : adapterBefore)
        f.adapter.setValue(pair.section(u'=', 0, 0), pair.section(u'=', 1));
    auto d = editAndRegister(f, steps);
    QCOMPARE(f.messages.size(), 1);
    QTEST(f.messages[0].text, "message");
    QTEST(int(f.messages[0].icon), "icon");
    QCOMPARE(f.adapter.log(), Lines{});
    QVERIFY(d && d->isVisible() && d->isEnabled());
    QCOMPARE(f.session->WriteCount, 1);
}

void TelephoneDialogTest::olderFirmware()
{
    SimFixture f(false);
    auto d = openForm2(f);
    for (const QByteArray &line : f.adapter.log())
        QVERIFY2(!line.startsWith("AT$W") && !line.startsWith("AT$I29") && !line.startsWith("AT$V"), line);
    QCOMPARE(f.adapter.log().size(), kReads.size() - 5);
    for (const QString &name : kGated)
        QVERIFY2(!isEnabled(d, name), qPrintable(name));
    // Whatever the ring frequency and sequence boxes hold: not checked, not sent.
    f.adapter.clearLog();
    child<QLineEdit>(d, "Text14")->setText("99");
    child<QLineEdit>(d, "Text15")->setText("");
    act(d, {"Option44", "Option69"});
    // Hold key "なし" gives back the short-dial keys older firmware knows only.
    QVERIFY(!isEnabled(d, "Option75") && isEnabled(d, "Option77") && !isEnabled(d, "Option80"));
    act(d, {"Command3"});
    QCOMPARE(f.adapter.log(), (Lines{"AT$F3=1", "AT$I14=0"}));
    QVERIFY(f.messages.isEmpty());
}

void TelephoneDialogTest::olderFirmwareGatesEvenAfterAFailedRead()
{
    SimFixture f(false);
    f.setFault([](sim::Faults &x) { x.silent = true; });
    auto d = openForm2(f);
    QCOMPARE(f.adapter.log(), Lines{"AT\\S2"});
    QCOMPARE(f.messageTexts(), QStringList{kReceiveFailed});
    QCOMPARE(f.session->ReadFailed, 1);
    for (const QString &name : kGated)
        QVERIFY2(!isEnabled(d, name), qPrintable(name));
}

void TelephoneDialogTest::timeOutInTel1LeavesTheRestUnsent()
{
    SimFixture f;
    auto d = openForm2(f);
    f.adapter.clearLog();
    act(d, {"Text2=0123", "Option2", "Option25", "Option69"});
    f.setFault([](sim::Faults &x) { x.errorFor = {"AT$L1=1"}; });
    act(d, {"Command3"});
    QCOMPARE(f.adapter.log(), (Lines{"AT$C1=0123", "AT$L1=1"}));
    QCOMPARE(f.messageTexts(), QStringList{kReceiveFailed});
    QCOMPARE(f.session->WriteCount, 1);
    QVERIFY(d && d->isVisible() && d->isEnabled());

    // The reference is still the last read: a second try sends the same again.
    f.setFault([](sim::Faults &x) { x.errorFor.clear(); });
    f.adapter.clearLog();
    act(d, {"Command3"});
    QCOMPARE(f.adapter.log(), (Lines{"AT$C1=0123", "AT$L1=1", "AT$L2=1", "AT$I14=0"}));
    QTRY_VERIFY(!d);
}

void TelephoneDialogTest::unreadControlsSendNothing_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("spinDown"); // a spin whose lower arrow is clicked
    QTest::addColumn<Lines>("sent");
    // One control of each kind on the TEL2 tab that its read did not fill.
    QTest::newRow("nothing changed") << QStringList{} << "" << Lines{};
    QTest::newRow("text box") << QStringList{"Text7=0900"} << "" << Lines{"AT$G2=0900"};
    QTest::newRow("number box, by its spin") << QStringList{} << "VScroll2" << Lines{"AT$I12=15"};
    QTest::newRow("check box") << QStringList{"Check4"} << "" << Lines{"AT$H2=1"};
    QTest::newRow("option group") << QStringList{"Option28"} << "" << Lines{"AT$K2=2"};
}

void TelephoneDialogTest::unreadControlsSendNothing()
{
    // An earlier run left TEL2's own number and both announcements in the
    // work file; this time the TEL2 listing fails, and with it everything
    // after it. What the window shows empty or unchosen goes out only when
    // the operator changes it: no range check asks for it either.
    QFETCH(QStringList, steps);
    SimFixture f;
    f.adapter.setValue("$C2", "0312345678");
    f.adapter.setValue("$H2", "3");
    f.work->store("TEL2", "JIKO_NO", "0312345678");
    f.work->store("TEL2", "TOKI", "3");
    f.setFault([](sim::Faults &x) { x.errorFor = {"AT\\S3"}; });
    f.session->timing.queryDeadlineMs = 100;
    auto d = openForm2(f);
    QCOMPARE(f.messageTexts(), QStringList{kReceiveFailed});
    QCOMPARE(child<QLineEdit>(d, "Text5")->text(), "");
    const auto *tabs = child<QTabWidget>(d, "SSTab1");
    const QString unread = QStringLiteral("（読み込めませんでした）");
    QCOMPARE(tabs->tabText(0), "TEL1ポート");
    for (int t = 1; t < tabs->count(); ++t)
        QVERIFY2(tabs->tabText(t).endsWith(unread), qPrintable(tabs->tabText(t)));

    f.adapter.clearLog();
    act(d, steps);
    QFETCH(QString, spinDown);
    if (!spinDown.isEmpty()) // from an empty box down to the top of the range
        child<QScrollBar>(d, spinDown)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    act(d, {"Command3"});
    QTEST(f.adapter.log(), "sent");
    QCOMPARE(f.messageTexts(), QStringList{kReceiveFailed});
    QTRY_VERIFY(!d);
    QCOMPARE(f.adapter.value("$C2"), "0312345678");
    QCOMPARE(f.stored("TEL2", "JIKO_NO"), "0312345678");
    QCOMPARE(f.stored("TEL2", "TOKI"), "3");
}

void TelephoneDialogTest::oddRepliesThroughTheDialog()
{
    SimFixture f(true, true);
    f.tamperedLink->replies["AT\\S2"] =
        "AT\\S2\r\r\nTEL1 ADR:0311112222  \r\nTEL1 FWD:0900\r\n"
        "$K1:1 $Q1:9 $B1:1 $K1:2 $H1:2 $D1:1 $X1:\r\n\r\nOK\r\n";
    auto d = openForm2(f);
    QVERIFY(f.messages.isEmpty());
    QCOMPARE(f.stored("TEL1", "JIKO_NO"), "0311112222");
    QCOMPARE(f.stored("TEL1", "SUB_NO"), "");
    QCOMPARE(f.stored("TEL1", "CALLWAIT"), "2");
    QCOMPARE(f.stored("TEL1", "TUCHI"), "1");
    QCOMPARE(f.stored("TEL1", "TOKI"), "2");
    QCOMPARE(f.stored("TEL1", "ONSEI"), "<none>"); // absent token: key untouched
    QVERIFY(isChecked(d, "Option13") && isChecked(d, "Option17") && isChecked(d, "Check1") && !isChecked(d, "Check2"));
    QCOMPARE(f.session->NumberDisplayFlags[0], 1);

    // A listing without the forwarding line fails the read after keeping
    // the own number and subaddress before it, in the boxes and the work
    // file alike; nothing after it is asked.
    SimFixture g(true, true);
    g.work->store("TEL", "INUMBER", "0"); // an earlier run's
    g.tamperedLink->replies["AT\\S4"] = "AT\\S4\r\r\nTEL3 ADR:0312*5\r\n\r\nOK\r\n";
    auto e = openForm2(g);
    QCOMPARE(g.tamperedLink->written, kReads.mid(0, 7));
    QCOMPARE(g.messageTexts(), QStringList{kReceiveFailed});
    QCOMPARE(g.session->ReadFailed, 1);
    QCOMPARE(g.stored("TEL3", "JIKO_NO"), "0312");
    QCOMPARE(g.stored("TEL3", "SUB_NO"), "5");
    QCOMPARE(g.stored("TEL3", "TRA_NO"), "<none>");
    QCOMPARE(child<QLineEdit>(e, "Text10")->text(), "0312");
    QCOMPARE(child<QLineEdit>(e, "Text9")->text(), "5");
    // The tab says the page is not whole, the frames what is missing.
    QCOMPARE(child<QTabWidget>(e, "SSTab1")->tabText(2), "TEL3ポート（読み込めませんでした）");
    QCOMPARE(child<QGroupBox>(e, "Frame23")->title(), "番号登録");
    QCOMPARE(child<QGroupBox>(e, "Frame24")->title(), "着信転送（読み込めませんでした）");
    // "登録" sends no number back, and nothing for the option groups no
    // read filled (TEL3's, the i-number's): only the boxes filled in to pass
    // the checks.
    g.tamperedLink->written.clear();
    act(e, {"Text12=4", "Text13=3", "Text14=16", "Text15=0", "Command3"});
    QCOMPARE(g.tamperedLink->written, (Lines{"AT$I13=4", "AT$I20=3", "AT$I29=16", "AT$V0"}));
    QCOMPARE(g.messageTexts(), QStringList{kReceiveFailed});

    // A hold-key reply outside "000".."005" selects none of the six options
    // and keeps the key's stored value: "登録" sends nothing for it.
    SimFixture h(true, true);
    act(openForm2(h), {"Command2"});
    h.tamperedLink->replies["AT$I14?"] = "AT$I14?\r\r\n006\r\n\r\nOK\r\n";
    auto k = openForm2(h);
    QVERIFY(h.messages.isEmpty());
    for (const ChoiceValue &v : holdKey().values)
        QVERIFY2(!isChecked(k, v.control[0]), v.control[0]);
    QCOMPARE(h.stored("TEL", "GAISEN"), "1");
    h.tamperedLink->written.clear();
    act(k, {"Command3"});
    QCOMPARE(h.tamperedLink->written, Lines{});
    QTRY_VERIFY(!k);
}

void TelephoneDialogTest::valuesLongerThanTheirBoxes_data()
{
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<QByteArray>("from"); // replaced in the adapter's answer
    QTest::addColumn<QByteArray>("to");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("key"); // section/key
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("message"); // of "登録"; empty: it closes

    QTest::newRow("own number of 40") << QByteArray("AT\\S2") << QByteArray("ADR:")
                                      << "ADR:" + QByteArray(40, '1') << "Text2" << "TEL1/JIKO_NO"
                                      << QString(40, u'1') << "";
    QTest::newRow("subaddress of 24") << QByteArray("AT\\S3") << QByteArray("ADR:")
                                      << "ADR:*" + QByteArray(24, '2') << "Text6" << "TEL2/SUB_NO"
                                      << QString(24, u'2') << "";
    QTest::newRow("forwarding number of 36") << QByteArray("AT\\S4") << QByteArray("FWD:")
                                             << "FWD:" + QByteArray(36, '3') << "Text11" << "TEL3/TRA_NO"
                                             << QString(36, u'3') << "";
    // Shown whole, the delay count fails its range check instead of going
    // back cut to "1".
    QTest::newRow("delay count of two digits") << QByteArray("AT$I20?") << QByteArray("003") << QByteArray("012")
                                               << "Text13" << "TEL/CHIEN" << "12" << "有効範囲は0～9(回)です";
}

void TelephoneDialogTest::valuesLongerThanTheirBoxes()
{
    QFETCH(QByteArray, query);
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, to);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QString, message);
    SimFixture f(true, true);
    f.tamperedLink->replies[query] = f.adapter.respond(query + '\r').replace(from, to);
    auto d = openForm2(f);
    QVERIFY(f.messages.isEmpty());
    QFETCH(QString, box);
    QCOMPARE(child<QLineEdit>(d, box)->text(), value);
    QCOMPARE(f.stored(qPrintable(key.section(u'/', 0, 0)), qPrintable(key.section(u'/', 1))), value);
    f.tamperedLink->written.clear();
    act(d, {"Command3"});
    QCOMPARE(f.tamperedLink->written, Lines{});
    QCOMPARE(f.messageTexts(), message.isEmpty() ? QStringList{} : QStringList{message});
    if (message.isEmpty())
        QTRY_VERIFY(!d);
}

void TelephoneDialogTest::keyFilters_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("composed"); // committed by an input method
    QTest::addColumn<QString>("result");

    QTest::newRow("own number") << "Text2" << "0a3-(1)#*" << "" << "" << "03-(1)#";
    QTest::newRow("forwarding number") << "Text11" << "9x9" << "" << "" << "99";
    QTest::newRow("subaddress") << "Text6" << "1-2*#" << "" << "" << "12*#";
    QTest::newRow("own number at most 32") << "Text10" << QString(40, u'1') << "" << "" << QString(32, u'1');
    QTest::newRow("subaddress at most 20") << "Text9" << QString(25, u'2') << "" << "" << QString(20, u'2');
    QTest::newRow("dial time two digits") << "Text4" << "1a23" << "" << "" << "12";
    QTest::newRow("delay count one digit") << "Text13" << "78" << "" << "" << "7";
    QTest::newRow("ring frequency digits only") << "Text14" << "2&F" << "" << "" << "2";
    QTest::newRow("paste into sequence screened") << "Text15" << "" << "1;" << "" << "";
    QTest::newRow("paste of a number") << "Text3" << "" << "03-12" << "" << "03-12";
    QTest::newRow("input method: full-width digits refused") << "Text2" << "1" << "" << "０３" << "1";
    QTest::newRow("input method: Japanese refused in ring frequency") << "Text14" << "" << "" << "ヘルツ" << "";
    QTest::newRow("input method: digits taken") << "Text8" << "" << "" << "12" << "12";
}

void TelephoneDialogTest::keyFilters()
{
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QString, pasted);
    QFETCH(QString, composed);
    SimFixture f;
    auto d = openForm2(f);
    auto *b = child<QLineEdit>(d, box);
    b->clear();
    QTest::keyClicks(b, typed);
    if (!pasted.isEmpty()) {
        QApplication::clipboard()->setText(pasted);
        b->paste();
    }
    if (!composed.isEmpty()) {
        QInputMethodEvent event;
        event.setCommitString(composed);
        QApplication::sendEvent(b, &event);
    }
    QTEST(b->text(), "result");
}

void TelephoneDialogTest::spins_data()
{
    QTest::addColumn<QString>("spin");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("before");
    QTest::addColumn<bool>("up");
    QTest::addColumn<QString>("after");

    QTest::newRow("delay count down from 0 wraps") << "VScroll4" << "Text13" << "0" << false << "9";
    QTest::newRow("delay count up from 9 wraps") << "VScroll4" << "Text13" << "9" << true << "0";
    QTest::newRow("dial time up from empty") << "VScroll2" << "Text8" << "" << true << "1";
    QTest::newRow("dial time down from 3 wraps") << "VScroll3" << "Text12" << "3" << false << "15";
    QTest::newRow("ring frequency up from 30 wraps") << "VScroll5" << "Text14" << "30" << true << "16";
    QTest::newRow("sequence down") << "VScroll6" << "Text15" << "2" << false << "1";
    QTest::newRow("above the range, down: no wrap") << "VScroll5" << "Text14" << "40" << false << "39";
}

void TelephoneDialogTest::spins()
{
    QFETCH(QString, before);
    QFETCH(bool, up);
    SimFixture f;
    auto d = openForm2(f);
    QFETCH(QString, spin);
    QFETCH(QString, box);
    child<QLineEdit>(d, box)->setText(before);
    auto *s = child<QScrollBar>(d, spin);
    s->triggerAction(up ? QAbstractSlider::SliderSingleStepSub : QAbstractSlider::SliderSingleStepAdd);
    QTEST(child<QLineEdit>(d, box)->text(), "after");
    QCOMPARE(s->value(), 0);
}

void TelephoneDialogTest::helpByTab_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<int>("context");
    QTest::newRow("TEL1") << 0 << 2;
    QTest::newRow("TEL2") << 1 << 3;
    QTest::newRow("TEL3") << 2 << 4;
    QTest::newRow("common") << 3 << 9;
}

void TelephoneDialogTest::helpByTab()
{
    QFETCH(int, tab);
    SimFixture f;
    auto d = openForm2(f);
    act(d, {QStringLiteral("tab:%1").arg(tab), "Command1"});
    QTEST(helpContextShown(), "context");
}

void TelephoneDialogTest::detailOpensForTheCurrentTab()
{
    SimFixture f;
    auto d = openForm2(f);
    act(d, {"tab:2"});
    QCOMPARE(f.session->CurrentTelTab, 2);
    f.adapter.clearLog();
    act(d, {"Command9"});
    auto *detail = d->findChild<NumberDisplayDialog *>("Form14");
    QVERIFY(detail);
    QCOMPARE(detail->windowTitle(), "ＴＥＬ３詳細設定");
    QCOMPARE(f.adapter.log(), (Lines{"AT$D3?", "AT@J3?"}));
    QVERIFY(!d->isEnabled());
    QVERIFY(!d->close()); // not from under the detail
    act(detail, {"Command2"});
    QTRY_VERIFY(d->isEnabled());

    act(d, {"Command2"});
    QTRY_VERIFY(!d);
    auto again = openForm2(f);
    QCOMPARE(child<QTabWidget>(again, "SSTab1")->currentIndex(), 0);
    QCOMPARE(f.session->CurrentTelTab, 0);
}

void TelephoneDialogTest::operatorRoundTrip()
{
    SimFixture f;
    auto d = openForm2(f);
    // One change on every tab.
    act(d, {"Text2=03-5555-0001", "Option14", "tab:1", "Option27", "Check3", "tab:2", "Option87", "Option59",
            "Text12=15", "tab:3", "Option72", "Option64", "Text13=8", "Text14=22"});
    f.adapter.clearLog();
    act(d, {"Command3"});
    QCOMPARE(f.adapter.log(), (Lines{"AT$C1=03-5555-0001", "AT$F1=1", "AT$K2=1$H2=2", "AT$I13=15",
                                     "AT$B3=1$W3=2", "AT$I14=0$I15=0$I20=8$I14=5", "AT$I29=22"}));
    QVERIFY(f.messages.isEmpty());
    QTRY_VERIFY(!d);

    f.adapter.clearLog();
    auto again = openForm2(f);
    QCOMPARE(f.adapter.log(), kReads);
    QCOMPARE(child<QLineEdit>(again, "Text2")->text(), "03-5555-0001");
    QVERIFY(isChecked(again, "Option14"));
    QVERIFY(isChecked(again, "Option27") && isChecked(again, "Check3"));
    QVERIFY(isChecked(again, "Option87") && isChecked(again, "Option59"));
    QCOMPARE(child<QLineEdit>(again, "Text12")->text(), "15");
    QVERIFY(isChecked(again, "Option72") && isChecked(again, "Option64"));
    QCOMPARE(child<QLineEdit>(again, "Text13")->text(), "8");
    QCOMPARE(child<QLineEdit>(again, "Text14")->text(), "22");
    QCOMPARE(f.stored("TEL", "TANSYUKU"), "0");
    // Read back unchanged: registering again sends nothing.
    f.adapter.clearLog();
    act(again, {"Command3"});
    QCOMPARE(f.adapter.log(), Lines{});
    QCOMPARE(f.session->WriteCount, 2);
}

// In English the delay count's unit follows the number in its box: "1
// ring", "4 rings"; an empty box reads as many.
void TelephoneDialogTest::unitFollowsTheCount()
{
    installTranslators(Program::Windows, Language::English);
    const auto back = qScopeGuard([] { installTranslators(Program::Windows, Language::Source); });
    SimFixture f;
    auto d = openForm2(f);
    auto *box = child<QLineEdit>(d, "Text13");
    for (const auto &[typed, shown] : {std::pair{"1", "ring"}, {"4", "rings"}, {"0", "rings"}, {"", "rings"}}) {
        box->setText(QString::fromLatin1(typed));
        QCOMPARE(child<QLabel>(d, "Label13")->text(), QString::fromLatin1(shown));
    }
}

QTEST_MAIN(TelephoneDialogTest)
#include "telephone_dialog_test.moc"
