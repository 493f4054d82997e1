// SPDX-License-Identifier: GPL-3.0-or-later
// The initialization window.

#include "app/initdialog.h"
#include "app/mainwindow.h"
#include "appfixture.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace korvanta;

class InitDialogTest : public QObject {
    Q_OBJECT

private slots:
    void sendsTheChosenCommand_data();
    void sendsTheChosenCommand();
    void aTimeOutStillCountsAWrite();
};

void InitDialogTest::sendsTheChosenCommand_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<bool>("okInPieces");
    QTest::addColumn<QByteArray>("command");
    QTest::newRow("all settings") << "Option1" << false << QByteArray("AT%Z");
    QTest::newRow("keep the dial information") << "Option2" << false << QByteArray("AT&F");
    QTest::newRow("OK in pieces") << "Option1" << true << QByteArray("AT%Z");
}

void InitDialogTest::sendsTheChosenCommand()
{
    QFETCH(QString, option);
    QFETCH(bool, okInPieces);
    QFETCH(QByteArray, command);
    MessageRecorder messages;
    AppFixture f;
    sim::Faults pieces;
    pieces.fragmentOk = okInPieces;
    f.adapter.setFaults(pieces);
    f.session.timing.setDeadlineMs = 60000; // an acknowledgement missed would wait this long
    InitDialog d(f.session);
    d.show();
    QVERIFY(d.findChild<QRadioButton *>("Option1")->isChecked());
    d.findChild<QRadioButton *>(option)->click();
    QElapsedTimer clock;
    clock.start();
    d.findChild<QPushButton *>("Command1")->click();
    QVERIFY(clock.elapsed() < 30000);
    QCOMPARE(f.adapter.log(), QList<QByteArray>{command});
    QVERIFY(!d.isVisible());
    QCOMPARE(f.session.WriteCount, 1);
    QVERIFY(messages.boxes.isEmpty());
    QCOMPARE(f.link.inputLen(), int(Link::kBulkInputLen));
}

void InitDialogTest::aTimeOutStillCountsAWrite()
{
    MessageRecorder messages;
    AppFixture f;
    sim::Faults silent;
    silent.silent = true;
    f.adapter.setFaults(silent);
    {
        InitDialog d(f.session);
        d.show();
        d.findChild<QPushButton *>("Command1")->click();
        QCOMPARE(messages.texts(), QStringList{kReceiveFailed});
        QVERIFY(d.isVisible());
        QVERIFY(d.isEnabled());
        QCOMPARE(f.session.WriteCount, 1);
        d.findChild<QPushButton *>("Command2")->click(); // キャンセル
        QVERIFY(!d.isVisible());
    }
    f.adapter.setFaults({});
    MainWindow w(f.session);
    w.show();
    w.close();
    QCOMPARE(f.adapter.log(), (QList<QByteArray>{"AT%Z", "AT&W0&W1"}));
}

QTEST_MAIN(InitDialogTest)
#include "initdialog_test.moc"
