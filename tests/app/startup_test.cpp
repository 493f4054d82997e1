// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up: the port dialog, opening the port and identifying the adapter.

#include "app/startup.h"
#include "appfixture.h"
#include "link/ports/ports.h"
#include "link/session/serialcontrol.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>

using namespace korvanta;
using sim::Faults;
using sim::SimulatedAdapter;

namespace {
const Timing kTiming = Timing{}.scaled(20); // identification deadline 150 ms

void press(QWidget *window, const char *button)
{
    window->findChild<QPushButton *>(QString::fromLatin1(button))->click();
}
} // namespace

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void firmwareFlag_data();
    void firmwareFlag();
    void identifiesTheAdapter();
    void failureRows_data();
    void failureRows();
    void dialogComesAgainAfterAFailure();
    void cancelEnds_data();
    void cancelEnds();
    void portNumberChanges();
};

void StartupTest::firmwareFlag_data()
{
    QTest::addColumn<QString>("firmware");
    QTest::addColumn<QString>("flag");
    QTest::newRow("1.20") << "Ver 1.20 99/11/30" << "0";
    QTest::newRow("1.21") << "Ver 1.21 00/06/01" << "1";
    QTest::newRow("1.30") << "Ver 1.30 01/03/15" << "1";
    QTest::newRow("exactly 1.2") << "Ver 1.2 00/01/01" << "0";
    QTest::newRow("1.201 read as 1.20") << "Ver 1.201 01/01/1" << "0";
    QTest::newRow("2.0") << "Ver 2.0 02/02/02" << "1";
    QTest::newRow("no blank: V first") << "V1.30/01/03/15" << "0";
    QTest::newRow("letters after the blank") << "Ver x.50" << "0";
    QTest::newRow("empty") << "" << "0";
}

void StartupTest::firmwareFlag()
{
    QFETCH(QString, firmware);
    QFETCH(QString, flag);
    QCOMPARE(deriveNewFirmwareFlag(firmware), flag);
}

void StartupTest::identifiesTheAdapter()
{
    MessageRecorder messages;
    SimulatedAdapter adapter;
    SerialControl control(simulatedLinkFactory(adapter));
    Identity identity;
    QCOMPARE(tryPort(control, 1, kTiming, identity, nullptr), PortConnected);
    QCOMPARE(adapter.log(), (QList<QByteArray>{"ATE1V1", "ATI", "AT%I2"}));
    QCOMPARE(identity.ModelName, QStringLiteral("KORVAN-TA"));
    QCOMPARE(identity.FirmwareVersion, QStringLiteral("Ver 1.30 01/03/15"));
    QVERIFY(control.link()->isOpen());
    QVERIFY(messages.boxes.isEmpty());

    AppFixture f;
    f.session.WriteCount = 3;
    applyIdentity(f.session, identity);
    QCOMPARE(f.session.NewFirmwareFlag, QStringLiteral("1"));
    QCOMPARE(f.session.WriteCount, 0);
}

void StartupTest::failureRows_data()
{
    QTest::addColumn<Faults>("faults");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QList<QByteArray>>("sent");
    QTest::addColumn<int>("atLeastMs"); // the message waits for the deadline

    Faults silent;
    silent.silent = true;
    QTest::newRow("no answer") << silent << QString(kNoDevice) << QList<QByteArray>{"ATE1V1"} << kTiming.identifyDeadlineMs;
    Faults otherModel;
    otherModel.model = "KORVAN-TX";
    QTest::newRow("another model") << otherModel << QString(kNotKorvanta) << QList<QByteArray>{"ATE1V1", "ATI"}
                                   << kTiming.identifyDeadlineMs;
    Faults noVersion;
    noVersion.errorFor = {"AT%I2"};
    QTest::newRow("no version answer") << noVersion << QString() << QList<QByteArray>{"ATE1V1", "ATI", "AT%I2"}
                                       << kTiming.identifyDeadlineMs;
    Faults closed;
    closed.cannotOpen = true;
    QTest::newRow("port cannot be opened") << closed << QString(kCannotOpenPort) << QList<QByteArray>{} << 0;
}

void StartupTest::failureRows()
{
    QFETCH(Faults, faults);
    QFETCH(QString, message);
    QFETCH(QList<QByteArray>, sent);
    QFETCH(int, atLeastMs);

    MessageRecorder messages;
    SimulatedAdapter adapter(faults);
    SerialControl control(simulatedLinkFactory(adapter));
    Identity identity;
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(tryPort(control, 1, kTiming, identity, nullptr), PortShowAgain);
    QVERIFY(clock.elapsed() >= atLeastMs);
    QCOMPARE(messages.texts(), message.isEmpty() ? QStringList() : QStringList{message});
    for (const auto &box : messages.boxes) {
        QCOMPARE(box.title, kProgramTitle);
        QCOMPARE(box.icon, MessageBox::Information);
    }
    QCOMPARE(adapter.log(), sent);
    QVERIFY(!control.link()->isOpen()); // each attempt starts from a closed port
}

void StartupTest::dialogComesAgainAfterAFailure()
{
    MessageRecorder messages;
    Faults silent;
    silent.silent = true;
    SimulatedAdapter adapter(silent);
    messages.onBox = [&](const MessageRequest &) { adapter.setFaults({}); }; // plugged in now
    SerialControl control(simulatedLinkFactory(adapter));
    Identity identity;
    int firstEntryOnShowing = 0;
    ModalSteps steps{[](QWidget *w) {
                         QCOMPARE(w->objectName(), QStringLiteral("Form8"));
                         QCOMPARE(w->windowTitle(), QStringLiteral("シリアルポート設定"));
                         auto *combo = w->findChild<QComboBox *>("Combo1");
                         QCOMPARE(combo->count(), 10); // the nine, then "ネットワーク ポートの追加..."
                         QCOMPARE(combo->itemText(8), QStringLiteral("COM9   (ﾎﾟｰﾄ9)"));
                         combo->setCurrentIndex(1);
                         press(w, "OKButton");
                     },
                     [&](QWidget *w) {
                         firstEntryOnShowing = w->findChild<QComboBox *>("Combo1")->currentIndex() + 1;
                         w->findChild<QComboBox *>("Combo1")->setCurrentIndex(1);
                         press(w, "OKButton");
                     }};
    QVERIFY(selectPortAndIdentify(control, kTiming, identity));
    QCOMPARE(steps.shown, 2);
    QCOMPARE(firstEntryOnShowing, 1); // a fresh dialog: the first entry again
    QCOMPARE(messages.texts(), QStringList{kNoDevice});
    QCOMPARE(control.commPort(), 2);
    QVERIFY(control.link()->isOpen());
    QCOMPARE(identity.ModelName, QStringLiteral("KORVAN-TA"));
}

void StartupTest::cancelEnds_data()
{
    QTest::addColumn<bool>("byFrame");
    QTest::newRow("キャンセル") << false;
    QTest::newRow("window frame") << true;
}

void StartupTest::cancelEnds()
{
    QFETCH(bool, byFrame);
    MessageRecorder messages;
    SimulatedAdapter adapter;
    SerialControl control(simulatedLinkFactory(adapter));
    Identity identity;
    ModalSteps steps{[byFrame](QWidget *w) {
        if (byFrame)
            w->close();
        else
            press(w, "Command1");
    }};
    QVERIFY(!selectPortAndIdentify(control, kTiming, identity));
    QCOMPARE(steps.shown, 1);
    QVERIFY(adapter.log().isEmpty());
    QVERIFY(messages.boxes.isEmpty());
}

void StartupTest::portNumberChanges()
{
    MessageRecorder messages;
    SimulatedAdapter adapter;
    QList<int> created;
    // COM3 has no link at all.
    LinkFactory factory{[&](int port) -> std::unique_ptr<Link> {
                            if (port == 3)
                                return nullptr;
                            created << port;
                            return std::make_unique<sim::SimulatedLink>(adapter);
                        },
                        {}};
    SerialControl control(factory);
    Identity identity;

    QCOMPARE(tryPort(control, 0, kTiming, identity, nullptr), PortShowAgain); // nothing selected
    QCOMPARE(tryPort(control, 3, kTiming, identity, nullptr), PortShowAgain);
    QCOMPARE(messages.texts(), QStringList{kCannotOpenPort});
    QCOMPARE(control.commPort(), 0); // the previous number stays

    Faults silent;
    silent.silent = true;
    adapter.setFaults(silent);
    QCOMPARE(tryPort(control, 2, kTiming, identity, nullptr), PortShowAgain);
    adapter.setFaults({});
    QCOMPARE(tryPort(control, 2, kTiming, identity, nullptr), PortConnected);
    QCOMPARE(created, QList<int>{2}); // the same port again is not set up anew
    QCOMPARE(control.commPort(), 2);

    // A failure on another port leaves that one closed, the old link closed too.
    Link *previous = control.link();
    QCOMPARE(tryPort(control, 3, kTiming, identity, nullptr), PortShowAgain);
    QCOMPARE(control.commPort(), 2);
    QVERIFY(!previous->isOpen());
}

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
