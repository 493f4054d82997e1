// SPDX-License-Identifier: GPL-3.0-or-later
// The windows under stress: a close, an Escape, a quit or a click on a
// disabled opener while an exchange waits, "登録" pressed twice quickly, the
// exit handshake asked for twice. No second exchange may start, no window may
// go away under its exchange, and the utility ends cleanly. Run in the
// sanitizer build, this also shows that no object is used after it is gone.

#include "tests/safety/safety.h"

#include "app/mainwindow.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <functional>

using namespace korvanta;

namespace {

// Replies held back long enough to act while an exchange waits; deadlines
// long enough that nothing times out.
constexpr int kReplyDelayMs = 40;

SettingsDialog *openSettingsWindow(QWidget *mainWindow)
{
    for (QWidget *w : mainWindow->findChildren<SettingsDialog *>())
        if (w->isVisible())
            return static_cast<SettingsDialog *>(w);
    return nullptr;
}

// Runs what once, from the event loop, as soon as the adapter has received
// its first command line after this call (its reply is then still held back).
void whenTheFirstLineWaits(sim::SimulatedAdapter &adapter, std::function<void()> what)
{
    auto *connection = new QMetaObject::Connection;
    *connection = QObject::connect(&adapter, &sim::SimulatedAdapter::lineReceived, &adapter,
                                   [connection, what = std::move(what)](const QByteArray &) {
                                       QObject::disconnect(*connection);
                                       delete connection;
                                       QTimer::singleShot(0, what);
                                   });
}

struct Stage : safety::Bench {
    Stage() : safety::Bench({}, Timing{}), window(*session)
    {
        setFault([](sim::Faults &f) { f.delayMs = kReplyDelayMs; });
        window.show();
        finished = std::make_unique<QSignalSpy>(&window, &MainWindow::finished);
    }
    MainWindow window;
    std::unique_ptr<QSignalSpy> finished;
};

// A mouse press and release queued on a button, as a quick click is.
void postClick(QPushButton *button)
{
    const QPointF at = button->rect().center();
    QApplication::postEvent(button, new QMouseEvent(QEvent::MouseButtonPress, at, button->mapToGlobal(at),
                                                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
    QApplication::postEvent(button, new QMouseEvent(QEvent::MouseButtonRelease, at, button->mapToGlobal(at),
                                                    Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
}

// Changes something in a window, so that "登録" has something to write: a
// box's text ("Text2=0312"), or "choice": the first choice not yet taken.
void makeAChange(QWidget *dialog, const QString &change)
{
    if (change == QLatin1String("choice")) {
        for (QRadioButton *option : dialog->findChildren<QRadioButton *>())
            if (option->isEnabled() && !option->isChecked()) {
                option->click();
                return;
            }
    }
    auto *edit = dialog->findChild<QLineEdit *>(change.section('=', 0, 0));
    QVERIFY2(edit, qPrintable(change));
    edit->setText(change.section('=', 1));
}

} // namespace

class WindowsTest : public QObject {
    Q_OBJECT

private slots:
    void disturbedRead_data();
    void disturbedRead();
    void registrationUnderStress_data();
    void registrationUnderStress();
    void exitAskedForTwice();
    void disabledWindowRefusesToClose_data();
    void disabledWindowRefusesToClose();
};

void WindowsTest::disturbedRead_data()
{
    QTest::addColumn<QString>("opener");
    QTest::addColumn<QString>("disturbance");
    for (const char *opener : {"Command1", "Command2", "Command3"})
        for (const char *d : {"main window closed", "window closed by its frame", "Escape", "every window closed",
                              "opener clicked", "other opener clicked"})
            QTest::addRow("%s, %s", opener, d) << QString::fromLatin1(opener) << QString::fromLatin1(d);
}

void WindowsTest::disturbedRead()
{
    QFETCH(QString, opener);
    QFETCH(QString, disturbance);

    // The read as it goes undisturbed.
    QList<QByteArray> undisturbed;
    {
        Stage calm;
        QTest::mouseClick(calm.window.findChild<QPushButton *>(opener), Qt::LeftButton);
        QVERIFY(openSettingsWindow(&calm.window));
        undisturbed = calm.adapter.log();
    }

    Stage stage;
    MainWindow &main = stage.window;
    bool disturbed = false;
    whenTheFirstLineWaits(stage.adapter, [&] {
        QVERIFY(stage.session->busy());
        // The window reads before it shows: the operator sees the progress
        // window alone, and whatever reaches the window finds it busy.
        QVERIFY(!openSettingsWindow(&main));
        auto *dialog = main.findChild<SettingsDialog *>();
        QVERIFY(dialog);
        if (disturbance == QLatin1String("main window closed"))
            main.close();
        else if (disturbance == QLatin1String("window closed by its frame"))
            dialog->close();
        else if (disturbance == QLatin1String("Escape"))
            QTest::keyClick(dialog, Qt::Key_Escape);
        else if (disturbance == QLatin1String("every window closed"))
            QApplication::closeAllWindows();
        else if (disturbance == QLatin1String("opener clicked"))
            QTest::mouseClick(main.findChild<QPushButton *>(opener), Qt::LeftButton);
        else
            QTest::mouseClick(main.findChild<QPushButton *>(opener == QLatin1String("Command1") ? "Command2" : "Command1"),
                              Qt::LeftButton);
        disturbed = true;
    });
    QTest::mouseClick(main.findChild<QPushButton *>(opener), Qt::LeftButton);
    QVERIFY(disturbed);

    // The read ran to its end on its own, nothing else started, and every
    // window is still there.
    QCOMPARE(stage.adapter.log(), undisturbed);
    QVERIFY(main.isVisible());
    QCOMPARE(stage.finished->count(), 0);
    QPointer<SettingsDialog> dialog = openSettingsWindow(&main);
    QVERIFY(dialog);
    QCOMPARE(main.findChildren<SettingsDialog *>().size(), 1);
    QVERIFY(!main.isEnabled());
    QVERIFY(stage.messages.isEmpty());

    // Closed once the read is over, the window goes and its opener is free.
    dialog->close();
    QTRY_VERIFY(dialog.isNull());
    QVERIFY(main.isEnabled());
}

void WindowsTest::registrationUnderStress_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("stress");
    const char *const changes[][2] = {{"Form2", "Text2=0312"}, {"Form3", "Text1=0312"}, {"Form4", "Text1=0312"},
                                      {"Form5", "Text1=50"},    {"Form6", "choice"},     {"Form14", "choice"}};
    for (const auto &c : changes)
        for (const char *stress : {"pressed twice quickly", "closed while it writes"})
            QTest::addRow("%s, %s", c[0], stress) << c[0] << c[1] << stress;
}

// "登録" pressed twice in quick succession, or, while it writes, the window
// and the main window asked to close and Escape pressed: the one write runs
// to its end, then the window closes as a registration closes it.
void WindowsTest::registrationUnderStress()
{
    QFETCH(QString, form);
    QFETCH(QString, change);
    QFETCH(QString, stress);
    const auto registration = [&](bool stressed, QList<QByteArray> &log) {
        Stage stage;
        QPointer<SettingsDialog> dialog = safety::window(form).open(*stage.session, &stage.window);
        dialog->openAndRead();
        makeAChange(dialog, change);
        stage.adapter.clearLog();
        QPushButton *button = safety::registerButton(dialog);
        if (stressed && stress == QLatin1String("closed while it writes"))
            whenTheFirstLineWaits(stage.adapter, [&] {
                dialog->close();
                QTest::keyClick(dialog, Qt::Key_Escape);
                stage.window.close();
                QApplication::closeAllWindows();
                QVERIFY(dialog);
            });
        postClick(button);
        if (stressed && stress == QLatin1String("pressed twice quickly"))
            postClick(button);
        QTRY_VERIFY_WITH_TIMEOUT(dialog.isNull(), 20000);
        QVERIFY(stage.window.isVisible());
        QVERIFY(stage.window.isEnabled());
        QCOMPARE(stage.finished->count(), 0);
        log = stage.adapter.log();
    };
    QList<QByteArray> calm, stressed;
    registration(false, calm);
    QVERIFY(!calm.isEmpty());
    registration(true, stressed);
    QCOMPARE(stressed, calm);
}

void WindowsTest::exitAskedForTwice()
{
    Stage stage;
    stage.session->WriteCount = 1; // something was written: the store command goes at exit
    QAction *exit = stage.window.findChild<QAction *>(QStringLiteral("FileExit"));
    whenTheFirstLineWaits(stage.adapter, [&] {
        stage.window.close();
        exit->trigger();
        QApplication::closeAllWindows();
    });
    stage.window.close();
    QCOMPARE(stage.adapter.log(), QList<QByteArray>{"AT&W0&W1"});
    QCOMPARE(stage.finished->count(), 1);
    QVERIFY(!stage.link.isOpen());
}

// A window disabled under one it opened refuses every close, and what the
// operator has open over it stays.
void WindowsTest::disabledWindowRefusesToClose_data()
{
    QTest::addColumn<QString>("opener");
    QTest::addColumn<QStringList>("toDetail"); // then clicked in the settings window
    for (const char *opener : {"Command1", "Command2", "Command3"})
        QTest::addRow("Form1, %s", opener) << opener << QStringList{};
    QTest::newRow("Form2 under Form14") << "Command1" << QStringList{"Command5"};
    QTest::newRow("Form3 under Form5") << "Command2" << QStringList{"Option17", "Command4"};
    QTest::newRow("Form3 under Form6") << "Command2" << QStringList{"Option4", "Command5"};
}

void WindowsTest::disabledWindowRefusesToClose()
{
    QFETCH(QString, opener);
    QFETCH(QStringList, toDetail);
    auto stage = std::make_unique<Stage>();
    stage->session->WriteCount = 1;
    QTest::mouseClick(stage->window.findChild<QPushButton *>(opener), Qt::LeftButton);
    QWidget *disabled = &stage->window;
    QPointer<SettingsDialog> top = openSettingsWindow(disabled);
    for (const QString &name : toDetail)
        top->findChild<QAbstractButton *>(name)->click();
    if (!toDetail.isEmpty())
        top = openSettingsWindow(disabled = top);
    stage->adapter.clearLog();
    // The close box, the window system's close, and 終了.
    QVERIFY(!disabled->close());
    disabled->windowHandle()->close();
    stage->window.findChild<QAction *>(QStringLiteral("FileExit"))->trigger();
    QCoreApplication::processEvents();
    QVERIFY(disabled->isVisible() && top && top->isVisible());
    QCOMPARE(stage->finished->count(), 0);
    QVERIFY(stage->adapter.log().isEmpty() && stage->link.isOpen());
    stage.reset(); // the main window goes, and every window with it
    QVERIFY(top.isNull());
}

QTEST_MAIN(WindowsTest)
#include "windows_test.moc"
