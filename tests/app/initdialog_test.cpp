// SPDX-License-Identifier: GPL-3.0-or-later
// The initialization window: the command of each choice, the backup before
// it, and a failed try.

#include "app/initdialog.h"
#include "app/mainwindow.h"
#include "appfixture.h"
#include "profile/history.h"
#include "profile/profilefile.h"

#include <QDir>
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
    void backupFirst_data();
    void backupFirst();
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
    qputenv("XDG_DATA_HOME", QFile::encodeName(f.dir.path())); // the backups' folder
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
    QCOMPARE(f.adapter.log().last(), command);
    QVERIFY(!d.isVisible());
    QCOMPARE(f.session.WriteCount, 1);
    QCOMPARE(messages.boxes.size(), 1); // where the settings before it went
    QCOMPARE(f.link.inputLen(), int(Link::kBulkInputLen));
}

// Before the first try the adapter's settings are read and kept, as before a
// restore; without a backup the operator decides whether to go on.
void InitDialogTest::backupFirst_data()
{
    QTest::addColumn<QByteArray>("failingQuery"); // answered ERROR while the settings are read
    QTest::addColumn<bool>("folder");             // the backups' folder can be made
    QTest::addColumn<int>("answer");              // to the question
    QTest::addColumn<QStringList>("told");        // how each box begins
    QTest::addColumn<bool>("sent");
    const QString cannot = QStringLiteral("初期化する前の機器の設定を控えとして保存できません。\n");
    const int yes = MessageBox::Yes, no = MessageBox::No;
    QTest::newRow("kept, and told where") << QByteArray() << true << yes << QStringList{"初期化しました。"} << true;
    QTest::newRow("no folder, not without one") << QByteArray() << false << no << QStringList{cannot} << false;
    QTest::newRow("no folder, on without one") << QByteArray() << false << yes << QStringList{cannot} << true;
    QTest::newRow("a read failed, not without one")
        << QByteArray("AT\\S3") << true << no << QStringList{kReceiveFailed, cannot + "機器の設定を読めませんでした。"} << false;
}

void InitDialogTest::backupFirst()
{
    QFETCH(QByteArray, failingQuery);
    QFETCH(bool, folder);
    QFETCH(int, answer);
    QFETCH(QStringList, told);
    QFETCH(bool, sent);
    MessageRecorder messages;
    messages.answer = MessageBox::Button(answer);
    AppFixture f;
    // A plain file where the data folder should be: no folder can be made there.
    QFile blocker(f.dir.filePath("file"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    qputenv("XDG_DATA_HOME", QFile::encodeName(folder ? f.dir.path() : f.dir.filePath("file/data")));
    sim::Faults faults;
    if (!failingQuery.isEmpty())
        faults.errorFor = {failingQuery};
    f.adapter.setFaults(faults);
    InitDialog d(f.session);
    d.show();
    d.findChild<QPushButton *>("Command1")->click();

    QCOMPARE(messages.boxes.size(), told.size());
    for (int i = 0; i < told.size(); ++i)
        QVERIFY2(messages.boxes[i].text.startsWith(told[i]), qPrintable(messages.boxes[i].text));
    const QList<QByteArray> log = f.adapter.log();
    QVERIFY(log.size() > 1);                      // the settings were read first ...
    QCOMPARE(log.count("AT%Z"), sent ? 1 : 0);    // ... and the command, if sent,
    QCOMPARE(log.last() == "AT%Z", sent);         // came last
    QCOMPARE(d.isVisible(), !sent);
    QCOMPARE(f.session.WriteCount, sent ? 1 : 0);
    // The whole of the adapter's settings, kept in its history.
    const QList<profile::HistoryEntry> backups = profile::history(f.session.portName);
    QCOMPARE(backups.size(), folder && failingQuery.isEmpty() ? 1 : 0);
    if (!backups.isEmpty()) {
        QFile backup(backups[0].path);
        QVERIFY(backup.open(QIODevice::ReadOnly));
        QVERIFY(std::holds_alternative<profile::Profile>(profile::parse(backup.readAll())));
        QCOMPARE(backups[0].change, d.windowTitle());
        QVERIFY(messages.boxes.last().text.contains(backups[0].path));
    }
}

// A command the adapter answers ERROR, or never, fails after its deadline; the
// store at exit still follows. A second try reads nothing again.
void InitDialogTest::aTimeOutStillCountsAWrite()
{
    MessageRecorder messages;
    AppFixture f;
    qputenv("XDG_DATA_HOME", QFile::encodeName(f.dir.path()));
    sim::Faults refused;
    refused.errorFor = {"AT%Z"};
    f.adapter.setFaults(refused);
    {
        InitDialog d(f.session);
        d.show();
        d.findChild<QPushButton *>("Command1")->click();
        QCOMPARE(messages.texts(), QStringList{kReceiveFailed});
        QCOMPARE(messages.boxes[0].informative, QStringLiteral("送信したコマンド: AT%Z"));
        QVERIFY(d.isVisible());
        QVERIFY(d.isEnabled());
        QCOMPARE(f.session.WriteCount, 1);
        f.adapter.clearLog();
        d.findChild<QPushButton *>("Command1")->click();
        QCOMPARE(f.adapter.log(), QList<QByteArray>{"AT%Z"});
        d.findChild<QPushButton *>("Command2")->click(); // キャンセル
        QVERIFY(!d.isVisible());
    }
    f.adapter.setFaults({});
    f.adapter.clearLog();
    MainWindow w(f.session);
    w.show();
    w.close();
    QCOMPARE(f.adapter.log(), (QList<QByteArray>{"AT&W0&W1"}));
}

QTEST_MAIN(InitDialogTest)
#include "initdialog_test.moc"
