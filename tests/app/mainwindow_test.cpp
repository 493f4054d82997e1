// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: menus, opening the other windows, help, and the exit
// procedure.

#include "app/mainwindow.h"
#include "app/profilewindows.h"
#include "app/terminal.h"
#include "appfixture.h"
#include "dataport/bapdialog.h"
#include "dataport/throughputboddialog.h"
#include "link/session/commevents.h"
#include "link/session/exitsignals.h"
#include "link/session/identify.h"
#include "link/transport/link.h"
#include "link/ports/portnames.h"
#include "link/ports/ports.h"
#include "link/session/serialcontrol.h"
#include "numberdisplay/numberdisplaydialog.h"
#include "profile/history.h"
#include "ui/helpviewer.h"
#include "ui/messagebox.h"
#include "ui/settingsdialog.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QMenuBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>
#include <QTreeWidget>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace korvanta;
using sim::Faults;

namespace {
QAction *action(QWidget *window, const char *name)
{
    return window->findChild<QAction *>(QString::fromLatin1(name));
}

QWidget *topLevel(const QString &name)
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible())
            return w;
    return nullptr;
}

Faults silent()
{
    Faults f;
    f.silent = true;
    return f;
}

// Replies held back, so that something can happen while an exchange waits.
Faults slow()
{
    Faults f;
    f.delayMs = 30;
    return f;
}

// Runs what once, from the event loop, while the first command line from now
// on waits for its reply.
void whenTheFirstLineWaits(sim::SimulatedAdapter &adapter, std::function<void()> what)
{
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = QObject::connect(&adapter, &sim::SimulatedAdapter::lineReceived, &adapter,
                                   [connection, what = std::move(what)](const QByteArray &) {
                                       QObject::disconnect(*connection);
                                       QTimer::singleShot(0, what);
                                   });
}

bool centredOnScreen(const QWidget *window)
{
    const QPoint off = window->frameGeometry().center() - window->screen()->availableGeometry().center();
    return off.manhattanLength() <= 2;
}
} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void menusInOrder();
    void menusOpenOnlyWhileTheWindowIsEnabled();
    void exitProcedure_data();
    void exitProcedure();
    void closeWaitsForAnExchange();
    void settingsWindows_data();
    void settingsWindows();
    void readFailureClosesOnlyFromTheButton_data();
    void readFailureClosesOnlyFromTheButton();
    void modalWindows_data();
    void modalWindows();
    void settingsWindowCentredAfterACompleteRead_data();
    void settingsWindowCentredAfterACompleteRead();
    void progressWindowAroundEverySequence_data();
    void progressWindowAroundEverySequence();
    void afterCancelOnASerialErrorNothingIsSent_data();
    void afterCancelOnASerialErrorNothingIsSent();
    void signalRunsTheExitProcedure_data();
    void signalRunsTheExitProcedure();
    void terminalGetsWhatArrives();
    void helpOpensAtItsContext();
    void profileSavedAndRestored_data();
    void profileSavedAndRestored();
    void restoreNamesWhatTheFirmwareLacks();
    void profileSavedIntoAPipe();
    void versionShowsTheFirmwareVerbatim();
    void registrationKeptAndUndone_data();
    void registrationKeptAndUndone();
    void historyRestoresAnEntry();
    void rolledBackByTheOtherProgram();

private:
    QTemporaryDir m_home; // history and its settings, whatever a test registers
};

void MainWindowTest::initTestCase()
{
    QVERIFY(m_home.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.filePath("config")));
}

void MainWindowTest::init()
{
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.filePath("data"))); // whatever the last test made it
}

void MainWindowTest::menusInOrder()
{
    AppFixture f;
    MainWindow w(f.session);
    QCOMPARE(w.objectName(), QStringLiteral("Form1"));
    QCOMPARE(w.windowTitle(), QStringLiteral("KORVAN-TA 設定ユーティリティ"));
    QCOMPARE(w.findChild<QObject *>(QStringLiteral("MSComm1")), &f.session.link); // the window's serial control
    const QList<QStringList> expected = {
        {"MFile", "ﾌｧｲﾙ(&F)", "Term", "ﾀｰﾐﾅﾙ(&T)", "Bar3", "", "FileSave", "設定の保存(&S)...", "FileRestore",
         "設定の復元(&R)...", "FileHistory", "履歴(&H)...", "FileUndo", "元に戻す(&U)", "Bar4", "", "FileExit",
         "終了(&E)"},
        {"MSet", "設定(&S)", "AnaSet", "ｱﾅﾛｸﾞﾎﾟｰﾄ設定(&A)...", "DataSet", "ﾃﾞｰﾀﾎﾟｰﾄ設定(&D)...", "NumSet",
         "短縮番号登録(&N)...", "Bar1", "", "Init", "初期化(&I)..."},
        {"MHelp", "ﾍﾙﾌﾟ(&H)", "Help", "目次(&C)", "Bar2", "", "Version", "ﾊﾞｰｼﾞｮﾝ情報(&V)..."},
    };
    const QList<QAction *> menus = w.menuBar()->actions();
    QCOMPARE(menus.size(), expected.size());
    for (int m = 0; m < menus.size(); ++m) {
        QStringList seen{menus[m]->menu()->objectName(), menus[m]->text()};
        for (QAction *entry : menus[m]->menu()->actions())
            seen << entry->objectName() << entry->text();
        QCOMPARE(seen, expected[m]);
    }
    const QStringList buttons{"アナログポート設定", "データポート設定", "短縮番号登録"};
    for (int i = 0; i < 3; ++i)
        QCOMPARE(w.findChild<QPushButton *>(QStringLiteral("Command%1").arg(i + 1))->text(), buttons[i]);
    for (const char *image : {"Image1", "Image2", "Image3"})
        QVERIFY(!w.findChild<QLabel *>(image)->pixmap().isNull());
}

void MainWindowTest::menusOpenOnlyWhileTheWindowIsEnabled()
{
    AppFixture f;
    MainWindow w(f.session);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QMenuBar *bar = w.menuBar();
    QAction *title = bar->actions().value(1);
    QMenu *menu = title->menu();
    const QRect titleArea = bar->actionGeometry(title);

    // It opens under its title.
    QTest::mouseClick(bar, Qt::LeftButton, {}, titleArea.center());
    QTRY_VERIFY(menu->isVisible());
    QVERIFY(menu->isEnabled());
    const QPoint titleBottomLeft = bar->mapToGlobal(titleArea.bottomLeft());
    QVERIFY(std::abs(menu->geometry().left() - titleBottomLeft.x()) <= 4);
    QVERIFY(std::abs(menu->geometry().top() - titleBottomLeft.y()) <= 4);
    menu->hide();

    // While a settings window has the main window disabled, it stays shut.
    w.setEnabled(false);
    QVERIFY(!bar->isEnabled());
    QTest::mouseClick(bar, Qt::LeftButton, {}, titleArea.center());
    QTest::keyClick(bar, Qt::Key_S, Qt::AltModifier);
    QCoreApplication::processEvents();
    QVERIFY(!menu->isVisible());
    w.setEnabled(true);
}

void MainWindowTest::exitProcedure_data()
{
    QTest::addColumn<Faults>("faults");
    QTest::addColumn<int>("writeCount");
    QTest::addColumn<bool>("serialErrorCancelled");
    QTest::addColumn<bool>("byFrame");
    QTest::addColumn<QList<QByteArray>>("sent");

    const QList<QByteArray> none;
    const QList<QByteArray> store{"AT&W0&W1"};
    QTest::newRow("nothing written, 終了") << Faults{} << 0 << false << false << none;
    QTest::newRow("nothing written, frame") << Faults{} << 0 << false << true << none;
    QTest::newRow("written, 終了") << Faults{} << 1 << false << false << store;
    QTest::newRow("written, frame") << Faults{} << 2 << false << true << store;
    QTest::newRow("written, no answer") << silent() << 1 << false << false << store;
    Faults pieces;
    pieces.fragmentOk = true;
    QTest::newRow("written, OK in pieces") << pieces << 1 << false << false << store;
    QTest::newRow("written, port closed by a serial error") << Faults{} << 1 << true << false << none;
}

void MainWindowTest::exitProcedure()
{
    QFETCH(Faults, faults);
    QFETCH(int, writeCount);
    QFETCH(bool, serialErrorCancelled);
    QFETCH(bool, byFrame);
    QFETCH(QList<QByteArray>, sent);

    MessageRecorder messages;
    AppFixture f;
    f.adapter.setFaults(faults);
    f.session.WriteCount = writeCount;
    if (faults.fragmentOk)
        f.session.timing.setDeadlineMs = 60000; // in pieces it must not wait for the deadline
    MainWindow w(f.session);
    QSignalSpy finished(&w, &MainWindow::finished);
    w.show();
    if (serialErrorCancelled) {
        messages.answer = MessageBox::Cancel;
        emit f.link.commEvent(comEventCTSTO);
        QCOMPARE(messages.boxes.size(), 1);
        QCOMPARE(messages.boxes[0].title, QStringLiteral("［ｷｬﾝｾﾙ］中断 , ［OK］無視"));
        messages.boxes.clear();
    }

    QElapsedTimer clock;
    clock.start();
    if (byFrame)
        QVERIFY(w.close());
    else
        action(&w, "FileExit")->trigger();
    const qint64 took = clock.elapsed();

    QCOMPARE(f.adapter.log(), sent); // once, though the window's close runs the procedure again
    QVERIFY(!f.link.isOpen());
    QVERIFY(!w.isVisible());
    QCOMPARE(finished.size(), 1);
    QVERIFY(messages.boxes.isEmpty()); // silent, also on time-out
    if (faults.silent)
        QVERIFY(took >= f.session.timing.setDeadlineMs);
    if (faults.fragmentOk)
        QVERIFY2(took < 30000, qPrintable(QString::number(took)));
    if (!serialErrorCancelled)
        QVERIFY(took >= f.session.timing.exitPauseMs);
}

void MainWindowTest::closeWaitsForAnExchange()
{
    AppFixture f;
    f.session.WriteCount = 1;
    MainWindow w(f.session);
    w.show();
    {
        Session::BusyScope busy(f.session);
        QVERIFY(!w.close());
        QVERIFY(w.isVisible());
        QVERIFY(f.link.isOpen());
        QVERIFY(f.adapter.log().isEmpty());
    }
    QVERIFY(w.close());
    QCOMPARE(f.adapter.log(), QList<QByteArray>{"AT&W0&W1"});
}

void MainWindowTest::settingsWindows_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("form");
    QTest::newRow("アナログポート設定") << "Command1" << "Form2";
    QTest::newRow("データポート設定") << "Command2" << "Form3";
    QTest::newRow("短縮番号登録") << "Command3" << "Form4";
}

void MainWindowTest::settingsWindows()
{
    QFETCH(QString, button);
    QFETCH(QString, form);
    MessageRecorder messages;
    AppFixture f;
    MainWindow w(f.session);
    w.show();
    w.findChild<QPushButton *>(button)->click();
    QWidget *dialog = topLevel(form);
    QVERIFY(dialog);
    QVERIFY(!w.isEnabled());
    QVERIFY(dialog->isEnabled()); // not disabled along with its opener
    QVERIFY(messages.boxes.isEmpty());
    // Disabled, the main window refuses to close, by its frame or by 終了.
    f.session.WriteCount = 1;
    QVERIFY(!w.close());
    action(&w, "FileExit")->trigger();
    QVERIFY(w.isVisible());
    QVERIFY(dialog->isVisible());
    QVERIFY(f.link.isOpen());
    dialog->close();
    QVERIFY(w.isEnabled());
    f.adapter.clearLog();
    QVERIFY(w.close());
    QCOMPARE(f.adapter.log(), QList<QByteArray>{"AT&W0&W1"});
}

void MainWindowTest::readFailureClosesOnlyFromTheButton_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("form");
    QTest::addColumn<bool>("fromButton");
    for (int i = 0; i < 2; ++i) { // the two windows whose reads report failure
        const SettingsCommand &c = kSettingsCommands[i];
        const QString form = i == 0 ? "Form2" : "Form3";
        QTest::addRow("%s", c.button) << QString::fromLatin1(c.button) << form << true;
        QTest::addRow("%s", c.menuEntry) << QString::fromLatin1(c.menuEntry) << form << false;
    }
}

void MainWindowTest::readFailureClosesOnlyFromTheButton()
{
    QFETCH(QString, command);
    QFETCH(QString, form);
    QFETCH(bool, fromButton);
    MessageRecorder messages;
    AppFixture f;
    f.adapter.setFaults(silent()); // unplugged
    MainWindow w(f.session);
    w.show();
    if (fromButton)
        w.findChild<QPushButton *>(command)->click();
    else
        w.findChild<QAction *>(command)->trigger();
    QCOMPARE(f.session.ReadFailed, 1);
    QCOMPARE(messages.texts(), QStringList{kReceiveFailed});
    QWidget *dialog = topLevel(form);
    QCOMPARE(dialog == nullptr, fromButton);
    QCOMPARE(w.isEnabled(), fromButton);
    if (dialog)
        dialog->close();
}

void MainWindowTest::modalWindows_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("title");
    QTest::newRow("terminal") << "Term" << "Form9" << "ターミナル";
    QTest::newRow("initialization") << "Init" << "Form11" << "初期化";
    QTest::newRow("version") << "Version" << "Form7" << "バージョン情報";
}

void MainWindowTest::modalWindows()
{
    QFETCH(QString, entry);
    QFETCH(QString, form);
    QFETCH(QString, title);
    AppFixture f;
    MainWindow w(f.session);
    w.show();
    bool mainEnabled = true, windowEnabled = false, mainClosed = true;
    ModalSteps steps{[&](QWidget *window) {
        QCOMPARE(window->objectName(), form);
        QCOMPARE(window->windowTitle(), title);
        mainEnabled = w.isEnabled();
        windowEnabled = window->isEnabled();
        mainClosed = w.close() || !w.isVisible();
        window->close();
    }};
    w.findChild<QAction *>(entry)->trigger();
    QCOMPARE(steps.shown, 1);
    QVERIFY(!mainEnabled);
    QVERIFY(windowEnabled);
    QVERIFY(!mainClosed);
    QVERIFY(w.isEnabled());
    QVERIFY(f.adapter.log().isEmpty());
}

void MainWindowTest::settingsWindowCentredAfterACompleteRead_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<bool>("unplugged");
    QTest::addColumn<int>("readFailedBefore"); // left by the window it is opened from
    QTest::addColumn<bool>("centred");

    QTest::newRow("Form2 read") << "AnaSet" << false << 0 << true;
    QTest::newRow("Form2 read failed") << "AnaSet" << true << 0 << false;
    QTest::newRow("Form3 read") << "DataSet" << false << 0 << true;
    QTest::newRow("Form3 read failed") << "DataSet" << true << 0 << false;
    QTest::newRow("Form4 read failed") << "NumSet" << true << 0 << true; // its read leaves ReadFailed at 0
    QTest::newRow("Form5") << "Form5" << false << 0 << true;
    QTest::newRow("Form5 over a failed Form3 read") << "Form5" << false << 1 << false;
    QTest::newRow("Form6 over a failed Form3 read") << "Form6" << false << 1 << false;
    QTest::newRow("Form14 over a failed Form2 read") << "Form14" << false << 1 << true;
}

void MainWindowTest::settingsWindowCentredAfterACompleteRead()
{
    QFETCH(QString, window);
    QFETCH(bool, unplugged);
    QFETCH(int, readFailedBefore);
    QFETCH(bool, centred);
    MessageRecorder messages;
    AppFixture f;
    if (unplugged)
        f.adapter.setFaults(silent());
    MainWindow w(f.session);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    f.session.ReadFailed = readFailedBefore;
    SettingsDialog *dialog = nullptr;
    if (window == "Form5")
        dialog = new ThroughputBodDialog(f.session, &w);
    else if (window == "Form6")
        dialog = new BapDialog(f.session, &w);
    else if (window == "Form14")
        dialog = new NumberDisplayDialog(f.session, 0, &w);
    if (dialog) {
        dialog->openAndRead();
    } else {
        action(&w, window.toLatin1())->trigger(); // the menu keeps a window whose read failed
        dialog = w.findChild<SettingsDialog *>();
    }
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(centredOnScreen(dialog), centred);
    if (!centred) // over its opener's corner
        QCOMPARE(dialog->frameGeometry().topLeft(), w.frameGeometry().topLeft());
    dialog->close();
}

void MainWindowTest::progressWindowAroundEverySequence_data()
{
    QTest::addColumn<bool>("writing");
    QTest::addColumn<bool>("unplugged");
    QTest::addColumn<QString>("line1");
    QTest::newRow("read") << false << false << "読取り中です";
    QTest::newRow("read failed") << false << true << "読取り中です";
    QTest::newRow("write") << true << false << "書込み中です";
    QTest::newRow("write failed") << true << true << "書込み中です";
}

void MainWindowTest::progressWindowAroundEverySequence()
{
    QFETCH(bool, writing);
    QFETCH(bool, unplugged);
    QFETCH(QString, line1);
    MessageRecorder messages;
    AppFixture f;
    f.adapter.setFaults(slow());
    MainWindow w(f.session);
    w.show();
    SettingsDialog *dialog = nullptr;
    if (writing) {
        dialog = w.openSettings(kSettingsCommands[0], false);
        QVERIFY(dialog);
        dialog->findChild<QLineEdit *>("Text2")->setText("0312"); // something to write
    }
    if (unplugged)
        f.adapter.setFaults(silent());

    QStringList seen; // title, the two lines, while the first command waits
    bool shown = false;
    const auto progressShown = [&w]() -> QDialog * {
        for (auto *progress : w.findChildren<QDialog *>("Form13"))
            if (progress->isVisible())
                return progress;
        return nullptr;
    };
    whenTheFirstLineWaits(f.adapter, [&] {
        QDialog *progress = progressShown();
        shown = progress;
        if (!progress)
            return;
        seen << progress->windowTitle() << progress->findChild<QLabel *>("Label1")->text()
             << progress->findChild<QLabel *>("Label2")->text();
    });
    if (writing)
        dialog->findChild<QPushButton *>("Command3")->click(); // 登録
    else
        action(&w, "AnaSet")->trigger();

    QVERIFY(shown);
    QCOMPARE(seen, (QStringList{QString(), line1, "しばらくお待ちください"}));
    QVERIFY(!progressShown()); // hidden, whatever the outcome
    QCOMPARE(messages.texts(), unplugged ? QStringList{kReceiveFailed} : QStringList{});
    if (auto *open = w.findChild<SettingsDialog *>())
        open->close();
}

void MainWindowTest::afterCancelOnASerialErrorNothingIsSent_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("Form2") << "AnaSet" << QStringList{kReceiveFailed};
    // The backup's reading fails first, and nothing goes without it unasked.
    QTest::newRow("Form11") << "Init"
                            << QStringList{kReceiveFailed, "初期化する前の機器の設定を控えとして保存できません。\n"
                                                           "機器の設定を読めませんでした。\n\n控えなしで初期化しますか？"};
    // The terminal has no exchange: a typed key stays in its own box.
    QTest::newRow("terminal") << "Term" << QStringList{};
}

void MainWindowTest::afterCancelOnASerialErrorNothingIsSent()
{
    QFETCH(QString, entry);
    QFETCH(QStringList, shown);
    MessageRecorder messages;
    AppFixture f;
    MainWindow w(f.session);
    w.show();
    messages.answer = MessageBox::Cancel;
    emit f.link.commEvent(comEventLineLost);
    QVERIFY(!f.link.isOpen());
    messages.boxes.clear();
    messages.answer = MessageBox::Ok;

    QString typed;
    ModalSteps steps{[&](QWidget *window) {
        if (entry == "Init") {
            window->findChild<QPushButton *>("Command1")->click(); // OK: not without a backup
            window->findChild<QPushButton *>("Command2")->click(); // キャンセル
        } else {
            QTest::keyClick(window->findChild<QWidget *>("Term"), 'a');
            typed = static_cast<TerminalWindow *>(window)->text();
            window->close();
        }
    }};
    QElapsedTimer clock;
    clock.start();
    action(&w, entry.toLatin1())->trigger();
    // One deadline at most: the first failure ends the reading.
    QVERIFY2(clock.elapsed() < 2 * f.session.timing.queryDeadlineMs, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(messages.texts(), shown);
    QVERIFY(f.adapter.log().isEmpty());
    if (entry == "Term")
        QCOMPARE(typed, QStringLiteral("a"));
    if (auto *open = w.findChild<SettingsDialog *>())
        open->close();
}

// What the end-to-end test cannot time: a signal during an exchange, and one
// while a modal window runs its own event loop.
void MainWindowTest::signalRunsTheExitProcedure_data()
{
    QTest::addColumn<QString>("meanwhile");
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("during a read, SIGHUP") << "read" << SIGHUP;
    QTest::newRow("terminal open, SIGINT") << "terminal" << SIGINT;
    // A box nobody answers is answered as by Escape.
    QTest::newRow("range message open, SIGTERM") << "range message" << SIGTERM;
    QTest::newRow("receive failure open, SIGTERM") << "receive failure" << SIGTERM;
    QTest::newRow("serial error open, SIGTERM") << "serial error" << SIGTERM;
}

void MainWindowTest::signalRunsTheExitProcedure()
{
    QFETCH(QString, meanwhile);
    QFETCH(int, signalNumber);
    MessageRecorder messages;
    AppFixture f;
    f.adapter.setFaults(slow());
    f.session.WriteCount = 1;
    MainWindow w(f.session);
    w.show();
    ExitSignals exitSignals;
    connect(&exitSignals, &ExitSignals::received, &w, &MainWindow::endOnSignal);
    QSignalSpy finished(&w, &MainWindow::finished);
    const auto signal = [signalNumber] { ::raise(signalNumber); };

    QList<QByteArray> sent{"AT&W0&W1"};
    if (meanwhile == "read") {
        whenTheFirstLineWaits(f.adapter, signal);
        action(&w, "AnaSet")->trigger();
        QCOMPARE(f.session.ReadFailed, 0); // the read ran to its end on an open line
        QCOMPARE(finished.size(), 0);
        sent = f.adapter.log() + sent;
    } else if (meanwhile == "terminal") {
        bool endedWhileOpen = false;
        ModalSteps steps{[&](QWidget *window) {
            signal();
            QTRY_COMPARE(finished.size(), 1);
            endedWhileOpen = window->isVisible();
            window->close();
        }};
        action(&w, "Term")->trigger();
        QVERIFY(endedWhileOpen);
    } else {
        // Real boxes, left for nobody to answer.
        Messages::setHandler(nullptr);
        installMessageBoxes();
        const auto noBoxes = qScopeGuard([] { Messages::setPresenter({}); });
        bool unanswered = false;
        ModalSteps steps{[&](QWidget *box) {
            QTimer::singleShot(10000, box, [&unanswered, box] { // left open: the test fails
                unanswered = true;
                static_cast<QDialog *>(box)->done(0);
            });
            signal();
        }};
        if (meanwhile == "serial error") {
            emit f.link.commEvent(comEventLineLost); // its Escape is キャンセル: the line closes
            sent.clear();
        } else if (meanwhile == "receive failure") {
            f.adapter.setFaults(silent());
            action(&w, "AnaSet")->trigger();
            sent.prepend("AT\\S2");
        } else {
            action(&w, "AnaSet")->trigger();
            auto *form2 = w.findChild<SettingsDialog *>();
            form2->findChild<QLineEdit *>("Text4")->clear();
            f.adapter.clearLog();
            form2->findChild<QPushButton *>("Command3")->click(); // 登録: the range message
        }
        QVERIFY(!unanswered);
    }
    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(w.endSignal(), signalNumber);
    QCOMPARE(f.adapter.log(), sent);
    QVERIFY(!f.link.isOpen());
    QVERIFY(messages.boxes.isEmpty());
}

void MainWindowTest::terminalGetsWhatArrives()
{
    AppFixture f;
    MainWindow w(f.session);
    w.show();
    QString shown;
    ModalSteps steps{[&](QWidget *window) {
        auto *terminal = static_cast<TerminalWindow *>(window);
        f.link.output("ATI\r");
        QTRY_VERIFY(terminal->text().contains("OK\r\n"));
        shown = terminal->text();
        window->close();
    }};
    action(&w, "Term")->trigger();
    QCOMPARE(shown, QStringLiteral("ATI\r\n\r\nKORVAN-TA\r\n\r\nOK\r\n"));
    // Closed, the received text stays in the buffer for the next exchange.
    f.link.output("ATI\r");
    QTRY_VERIFY(f.link.inBufferCount() > 0);
}

// "設定の保存" and "設定の復元": the file, the question with every change, the
// answer, what is sent, and the store at exit that follows.
void MainWindowTest::profileSavedAndRestored_data()
{
    QTest::addColumn<QByteArray>("from");
    QTest::addColumn<QByteArray>("to");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<QString>("told"); // the last box
    QTest::addColumn<int>("stored");   // WriteCount: the exit stores when not 0
    QTest::addColumn<bool>("folder");  // the history's folder can be made
    const int yes = MessageBox::Yes, no = MessageBox::No;
    const QByteArray own = "[TEL1]\nJIKO_NO=\n";
    QTest::newRow("changed, yes") << own << QByteArray("[TEL1]\nJIKO_NO=0312345678\n") << yes
                                  << QStringList{"AT$C1=0312345678"} << "設定を復元しました (1 件)。" << 1 << true;
    QTest::newRow("changed, no") << own << QByteArray("[TEL1]\nJIKO_NO=0312345678\n") << no << QStringList{}
                                 << "" << 0 << true;
    QTest::newRow("unchanged") << own << own << yes << QStringList{}
                               << "機器の設定は設定ファイルと同じです。何も送信しません。" << 1 << true;
    QTest::newRow("refused") << own << QByteArray("[TEL1]\nJIKO_NO=03;&F\n") << yes << QStringList{}
                             << "設定ファイルに誤りがあります。何も送信しません。\n" << 0 << true;
    // Said before the adapter is read and anything is asked.
    QTest::newRow("no history") << own << QByteArray("[TEL1]\nJIKO_NO=0312345678\n") << yes << QStringList{}
                                << "機器の設定の控えを保存できません。何も送信しません。\n" << 0 << false;
}

void MainWindowTest::profileSavedAndRestored()
{
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, to);
    QFETCH(int, answer);
    QFETCH(QStringList, sent);
    QFETCH(QString, told);
    QFETCH(bool, folder);
    AppFixture f;
    QFile blocker(f.dir.filePath("file")); // a plain file where the history's folder should be
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    qputenv("XDG_DATA_HOME", QFile::encodeName(folder ? f.dir.path() : f.dir.filePath("file/data")));
    MainWindow w(f.session);
    MessageRecorder messages;
    const QString path = f.dir.filePath("profile.ini");
    QVERIFY(saveProfile(f.session, &w, path));
    QVERIFY(messages.texts().last().startsWith("設定を保存しました。"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QByteArray text = file.readAll();
    const QByteArray saved = text;
    QVERIFY(text.contains(from));
    text.replace(from, to);
    QVERIFY(file.resize(0) && file.write(text) == text.size());
    file.close();

    messages.boxes.clear();
    messages.answer = MessageBox::Button(answer);
    f.adapter.clearLog();
    restoreProfile(f.session, &w, path);
    QVERIFY(w.isEnabled());
    const bool asked = !messages.boxes.isEmpty() && messages.boxes[0].icon == MessageBox::Question;
    QCOMPARE(asked, from != to && !to.contains(';') && folder);
    if (asked)
        QVERIFY2(messages.boxes[0].text.contains("アナログポート設定 / TEL1ポート / ") &&
                     messages.boxes[0].text.contains("\"\" → \"0312345678\""),
                 qPrintable(messages.boxes[0].text));
    if (!told.isEmpty())
        QVERIFY2(messages.texts().last().startsWith(told), qPrintable(messages.texts().last()));
    QStringList settings;
    for (const QByteArray &line : f.adapter.log())
        if (!line.endsWith('?') && !line.startsWith("AT\\S"))
            settings << line;
    QCOMPARE(settings, sent);
    if (!folder)
        QVERIFY(f.adapter.log().isEmpty()); // not even read
    // A restore is stored at exit, as after a registration, whether it sent
    // something or found the adapter already equal to the profile.
    QTEST(f.session.WriteCount, "stored");
    // The adapter's settings as they were before anything was sent, kept in
    // its history with the change that followed.
    const QList<profile::HistoryEntry> history = profile::history(f.session.portName);
    QCOMPARE(history.size(), sent.isEmpty() ? 0 : 1);
    if (!history.isEmpty()) {
        QFile backup(history[0].path);
        QVERIFY(backup.open(QIODevice::ReadOnly));
        QVERIFY(backup.readAll().endsWith(saved));
        QCOMPARE(history[0].program, QStringLiteral("korvanta"));
        QCOMPARE(history[0].change, path);
        QCOMPARE(history[0].changed, QStringList{"TEL1.JIKO_NO"});
        QVERIFY(messages.texts().last().endsWith(history[0].path));
    }
}

// Onto older firmware, a profile of newer firmware: the restore says of each
// setting it skips whether the firmware lacks the setting or only the
// profile's value of it.
void MainWindowTest::restoreNamesWhatTheFirmwareLacks()
{
    AppFixture f;
    qputenv("XDG_DATA_HOME", QFile::encodeName(f.dir.path()));
    MainWindow w(f.session);
    MessageRecorder messages;
    const QString path = f.dir.filePath("profile.ini");
    f.session.NewFirmwareFlag = QStringLiteral("1");
    QVERIFY(saveProfile(f.session, &w, path)); // caller ID "as subscribed" (3), the ring patterns
    sim::Faults older;
    older.firmware = sim::kOldFirmware;
    f.adapter.setFaults(older);
    f.session.NewFirmwareFlag = QStringLiteral("0");
    messages.boxes.clear();
    messages.answer = MessageBox::No;
    restoreProfile(f.session, &w, path);
    const QString told = messages.texts().value(0);
    for (const QString &line : {QStringLiteral("TEL1ポート / 発信者番号通知指定: 機器のファームウェアにはこの設定の値「3」がありません\n"),
                                QStringLiteral("TEL1ポート / 内線呼出音: 機器のファームウェアにはこの設定がありません\n")})
        QVERIFY2(told.contains(line), qPrintable(told));
}

// "設定の保存" into a named pipe writes into it; a folder is refused before
// the adapter is read.
void MainWindowTest::profileSavedIntoAPipe()
{
    AppFixture f;
    MainWindow w(f.session);
    MessageRecorder messages;
    QVERIFY(!saveProfile(f.session, &w, f.dir.path()));
    QVERIFY(messages.texts().last().startsWith("設定ファイルに書き込めません。") && f.adapter.log().isEmpty());
    const QByteArray pipe = QFile::encodeName(f.dir.filePath("pipe"));
    QVERIFY(::mkfifo(pipe.constData(), 0600) == 0);
    const int fd = ::open(pipe.constData(), O_RDWR | O_NONBLOCK); // a reader, so that the save never waits
    QVERIFY(fd >= 0 && saveProfile(f.session, &w, QFile::decodeName(pipe)));
    char buffer[8192];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    QVERIFY(n > 0 && QByteArray(buffer, int(n)).startsWith("; KORVAN-TA settings profile\n"));
}

void MainWindowTest::helpOpensAtItsContext()
{
    AppFixture f;
    MainWindow w(f.session);
    w.show();
    action(&w, "Help")->trigger();
    QWidget *help = topLevel("HelpWindow");
    QVERIFY(help);
    auto *browser = help->findChild<QTextBrowser *>("HelpText");
    QCOMPARE(browser->source().fileName(), QStringLiteral("korvanta.hlp"));
    QCOMPARE(browser->source().fragment(), QStringLiteral("1"));
    QVERIFY(w.isEnabled()); // help leaves the main window as it is

    // Every context number has its topic, and the window goes to it.
    QFile file(helpFile(f.session));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    for (int context = 1; context <= 15; ++context)
        QVERIFY2(text.contains(QStringLiteral("<a name=\"%1\"></a>").arg(context)), qPrintable(QString::number(context)));
    showHelp(f.session, 12, &w);
    QCOMPARE(topLevel("HelpWindow"), help); // the same window
    QCOMPARE(browser->source().fragment(), QStringLiteral("12"));
    QVERIFY(browser->verticalScrollBar()->value() > 0);
    help->close();
}

void MainWindowTest::versionShowsTheFirmwareVerbatim()
{
    AppFixture f;
    f.session.FirmwareVersion = QStringLiteral("Ver 1.30 01/03/1 "); // trailing blank included
    MainWindow w(f.session);
    w.show();
    QString shown, version;
    ModalSteps steps{[&](QWidget *window) {
        shown = window->findChild<QLabel *>("Label3")->text();
        version = window->findChild<QLabel *>("Label2")->text();
        window->findChild<QPushButton *>("Command1")->click();
    }};
    action(&w, "Version")->trigger();
    QCOMPARE(shown, f.session.FirmwareVersion);
    QCOMPARE(version, QStringLiteral("Ｖｅｒｓｉｏｎ ２．３０"));
}

// A registration keeps the settings it changes as its window read them, even
// when its write fails part-way; "元に戻す" brings them back through the
// restore, and undoes that undo in turn.
void MainWindowTest::registrationKeptAndUndone_data()
{
    using Edits = QList<std::pair<QString, QString>>;
    QTest::addColumn<QString>("entry");        // the menu entry of the window
    QTest::addColumn<QString>("registerButton");
    QTest::addColumn<Edits>("edits");          // box, text
    QTest::addColumn<QStringList>("keys");     // the adapter's state of the settings edited
    QTest::addColumn<QStringList>("changed");  // what the entry says the registration changed
    QTest::addColumn<QByteArray>("refused");   // a command the adapter answers ERROR
    QTest::newRow("telephone") << "AnaSet" << "Command3" << Edits{{"Text2", "0312345678"}} << QStringList{"$C1"}
                               << QStringList{"TEL1.JIKO_NO"} << QByteArray();
    // No folder for the history: said, and nothing to undo.
    QTest::newRow("telephone, no history") << "AnaSet" << "Command3" << Edits{{"Text2", "0312345678"}}
                                           << QStringList{"$C1"} << QStringList{} << QByteArray();
    QTest::newRow("telephone, write fails part-way")
        << "AnaSet" << "Command3" << Edits{{"Text2", "0312345678"}, {"Text3", "0399998888"}}
        << QStringList{"$C1", "$G1"} << QStringList{"TEL1.JIKO_NO", "TEL1.TRA_NO"} << QByteArray("AT$G1=*");
    QTest::newRow("short dial") << "NumSet" << "Command7" << Edits{{"Text1", "117"}} << QStringList{"&Z0"}
                                << QStringList{"TANSYUKU.00"} << QByteArray();
    QTest::newRow("data port") << "DataSet" << "Command8" << Edits{{"Text1", "0311112222"}} << QStringList{"$C4"}
                               << QStringList{"DATA.JIKO_NO"} << QByteArray();
}

void MainWindowTest::registrationKeptAndUndone()
{
    using Edits = QList<std::pair<QString, QString>>;
    QFETCH(QString, entry);
    QFETCH(QString, registerButton);
    QFETCH(Edits, edits);
    QFETCH(QStringList, keys);
    QFETCH(QStringList, changed);
    QFETCH(QByteArray, refused);
    MessageRecorder messages;
    messages.answer = MessageBox::Yes;
    AppFixture f;
    f.session.portName = QTest::currentDataTag();
    if (changed.isEmpty()) {
        QFile blocker(f.dir.filePath("file")); // a plain file where the data folder should be
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        qputenv("XDG_DATA_HOME", QFile::encodeName(f.dir.filePath("file/data")));
    }
    const auto state = [&f, &keys] {
        QStringList values;
        for (const QString &key : keys)
            values << f.adapter.value(key);
        return values;
    };
    const QStringList before = state();
    MainWindow w(f.session);
    w.show();
    QAction *undo = action(&w, "FileUndo");
    QVERIFY(!undo->isEnabled());

    action(&w, entry.toLatin1())->trigger();
    QPointer<SettingsDialog> dialog = w.findChild<SettingsDialog *>();
    QVERIFY(dialog);
    const QString title = dialog->windowTitle();
    for (const auto &[box, text] : edits)
        dialog->findChild<QLineEdit *>(box)->setText(text);
    sim::Faults faults;
    if (!refused.isEmpty())
        faults.errorFor = {refused};
    f.adapter.setFaults(faults);
    dialog->findChild<QPushButton *>(registerButton)->click();
    if (!refused.isEmpty()) {
        QVERIFY(dialog); // open after the failure, closed by the operator
        dialog->close();
    }
    QTRY_VERIFY(!dialog);
    f.adapter.setFaults({});
    const QStringList registered = state();
    QVERIFY(registered.first() != before.first());

    QList<profile::HistoryEntry> history = profile::history(f.session.portName);
    if (changed.isEmpty()) {
        QVERIFY(history.isEmpty());
        QCOMPARE(messages.boxes.size(), 1);
        QVERIFY2(messages.texts()[0].startsWith("変更する前の機器の設定を履歴に保存できません。"), qPrintable(messages.texts()[0]));
        QVERIFY(!undo->isEnabled());
        return;
    }
    QCOMPARE(history.size(), 1);
    QCOMPARE(history[0].program, QStringLiteral("korvanta"));
    QCOMPARE(history[0].change, title);
    QCOMPARE(history[0].changed, changed);
    QVERIFY(undo->isEnabled());

    undo->trigger();
    QCOMPARE(state(), before);
    history = profile::history(f.session.portName);
    QCOMPARE(history.size(), 2); // the undo kept what it changed
    QCOMPARE(history[0].change, history[1].path);

    undo->trigger(); // the undo undone
    QCOMPARE(state(), registered);
    QCOMPARE(profile::history(f.session.portName).size(), 3);
}

// "履歴...": the entries newest first, what the one selected differs in from
// the adapter, and its restore, which an undo takes back.
void MainWindowTest::historyRestoresAnEntry()
{
    MessageRecorder messages;
    messages.answer = MessageBox::Yes;
    AppFixture f;
    f.session.portName = QStringLiteral("history window"); // a history of its own
    MainWindow w(f.session);
    w.show();
    action(&w, "AnaSet")->trigger();
    QPointer<SettingsDialog> dialog = w.findChild<SettingsDialog *>();
    QVERIFY(dialog);
    const QString before = f.adapter.value("$C1");
    dialog->findChild<QLineEdit *>("Text2")->setText("0312345678");
    dialog->findChild<QPushButton *>("Command3")->click();
    QTRY_VERIFY(!dialog);
    QCOMPARE(f.adapter.value("$C1"), QStringLiteral("0312345678"));

    QStringList listed, differences;
    int restoredAt = -1;
    ModalSteps steps{[&](QWidget *window) {
        auto *list = window->findChild<QTreeWidget *>("HistoryList");
        auto *shown = window->findChild<QPlainTextEdit *>("DifferenceText");
        for (int column = 1; column < list->columnCount(); ++column)
            listed << list->topLevelItem(0)->text(column);
        list->setCurrentItem(list->topLevelItem(0));
        differences << shown->toPlainText();
        window->findChild<QPushButton *>("RestoreButton")->click();
        restoredAt = list->indexOfTopLevelItem(list->currentItem()); // the same entry, below the new one
        differences << shown->toPlainText();
        window->close();
    }};
    action(&w, "FileHistory")->trigger();
    QCOMPARE(steps.shown, 1);
    QCOMPARE(listed, (QStringList{"korvanta", "アナログポート設定", "1 件: TEL1.JIKO_NO"}));
    QVERIFY2(differences.value(0).contains("\"0312345678\" → \"\""), qPrintable(differences.value(0)));
    QCOMPARE(differences.value(1), QStringLiteral("機器の設定はこの履歴と同じです。"));
    QCOMPARE(restoredAt, 1);
    QCOMPARE(f.adapter.value("$C1"), before);
    QCOMPARE(profile::history(f.session.portName).size(), 2);

    action(&w, "FileUndo")->trigger(); // the restore from the history undone
    QCOMPARE(f.adapter.value("$C1"), QStringLiteral("0312345678"));
    QCOMPARE(profile::history(f.session.portName).size(), 3);
}

// One history per port for both programs, on a port named in ports.conf: a
// registration in the telephone window rolled back by korvanta-cli, and a
// korvanta-cli set brought back from the window's History, each leave the
// adapter storing what it stored before, byte for byte.
void MainWindowTest::rolledBackByTheOtherProgram()
{
    QTemporaryDir dir;
    QProcess simulator;
    simulator.start(QDir(qEnvironmentVariable("KORVANTA_BIN_DIR")).filePath("korvanta-sim"),
                    {"--state", dir.filePath("state")});
    QVERIFY(simulator.waitForStarted(5000) && simulator.waitForReadyRead(5000));
    auto stop = qScopeGuard([&] {
        simulator.kill();
        simulator.waitForFinished(5000);
    });
    const QString device = QString::fromLocal8Bit(simulator.readLine()).trimmed();
    QVERIFY(QDir().mkpath(m_home.filePath("config/korvanta")));
    QFile names(m_home.filePath("config/korvanta/ports.conf"));
    QVERIFY(names.open(QIODevice::WriteOnly));
    names.write("bench-2 = " + device.toUtf8() + '\n');
    names.close();
    const auto stored = [&dir] {
        QFile state(dir.filePath("state"));
        return state.open(QIODevice::ReadOnly) ? state.readAll() : QByteArray();
    };
    const auto cli = [&dir](const QStringList &arguments) {
        QProcess p;
        p.start(QDir(qEnvironmentVariable("KORVANTA_BIN_DIR")).filePath("korvanta-cli"),
                QStringList{"--deadline-scale", "0.03", "--port", "bench-2", "--workfile", dir.filePath("cli.ini")} +
                    arguments);
        return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    };
    // The window program on the named port, as its port list opens it, until
    // it exits and stores.
    const auto inTheWindowProgram = [&dir](const std::function<void(MainWindow &)> &work) {
        SerialControl control(serialLinkFactory({}, {}, PortNames::load().ports()));
        const int port = kLastComPort + 1; // the first named port: no device was found
        const Timing timing = Timing{}.scaled(20);
        Identity identity;
        QVERIFY(connectPort(control, port, timing, identity, nullptr));
        WorkFile workFile(dir.filePath("mail.ini"));
        Session session(*control.link(), workFile, timing);
        session.commEvents = control.commEvents();
        applyIdentity(session, identity);
        session.portName = control.name(port);
        QCOMPARE(session.portName, QStringLiteral("bench-2"));
        MainWindow w(session);
        w.show();
        work(w);
        QVERIFY(w.close());
    };
    MessageRecorder messages;
    messages.answer = MessageBox::Yes;
    QCOMPARE(cli({"set", "TEL3.HASHIN=5"}), 0); // a stored state other than the factory's
    const QByteArray before = stored();

    inTheWindowProgram([](MainWindow &w) {
        action(&w, "AnaSet")->trigger();
        QPointer<SettingsDialog> dialog = w.findChild<SettingsDialog *>();
        QVERIFY(dialog);
        dialog->findChild<QLineEdit *>("Text2")->setText("0312345678");
        dialog->findChild<QPushButton *>("Command3")->click();
        QTRY_VERIFY(!dialog);
    });
    QVERIFY(stored() != before);
    QCOMPARE(cli({"rollback"}), 0);
    QCOMPARE(stored(), before);

    QCOMPARE(cli({"set", "TEL1.HASHIN=6"}), 0);
    QVERIFY(stored() != before);
    inTheWindowProgram([](MainWindow &w) {
        ModalSteps steps{[](QWidget *window) {
            auto *list = window->findChild<QTreeWidget *>("HistoryList");
            list->setCurrentItem(list->topLevelItem(0)); // the set
            window->findChild<QPushButton *>("RestoreButton")->click();
            window->close();
        }};
        action(&w, "FileHistory")->trigger();
        QCOMPARE(steps.shown, 1);
    });
    QCOMPARE(stored(), before);
    QCOMPARE(profile::history("bench-2").size(), 5); // set, registration, rollback, set, restore
}

QTEST_MAIN(MainWindowTest)
#include "mainwindow_test.moc"
