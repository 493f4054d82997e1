// The fault matrix: every exchange of the utility against the simulator
// program over a pseudo-terminal, once for each way the adapter or its line
// can fail. The windows are the utility's own, in this process, on a
// SerialLink; each cell asserts what was sent, what was shown, the flags, the
// window left open or closed, the time waited and the work file afterwards.
// At the end a table of the cells is printed and written to
// fault_matrix.txt in the working folder.

#include "app/initdialog.h"
#include "app/mainwindow.h"
#include "app/ports.h"
#include "app/session.h"
#include "app/settingsdialog.h"
#include "app/startup.h"
#include "app/terminal.h"
#include "link/commevents.h"
#include "link/messages.h"
#include "tests/messagerecorder.h"
#include "link/seriallink.h"
#include "numberdisplay/numberdisplaydialog.h"
#include "numberdisplay/numberdisplaymodel.h"
#include "shortdial/shortdialmodel.h"
#include "sim/simulatedadapter.h"
#include "workfile/workfile.h"

#include <QAbstractButton>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProcess>
#include <QScopeGuard>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QTimer>

#include <functional>
#include <memory>

using namespace korvanta;
using Lines = QList<QByteArray>;

namespace {

// ---- columns: the faults -------------------------------------------------

enum Column { Silent, OkInPieces, ReplyInPieces, Noise, ErrorReply, SlowInside, SlowOutside, LateThenAgain, LineLost,
              AdapterKilled, OtherModel, OlderFirmware, ColumnCount };

const char *const kColumnNames[ColumnCount] = {
    "silent",        "OK in pieces", "3-byte pieces", "noise",      "ERROR",       "slow, inside",
    "slow, outside", "late, again",  "line lost",     "sim killed", "other model", "old firmware"};

constexpr int kDeadlineMs = 400;   // every exchange of a cell, unless the column says otherwise
constexpr int kMarginMs = 1500;    // what a cell may take beyond its deadlines
constexpr int kSetupDeadlineMs = 5000; // exchanges that only prepare a cell: never waited out

constexpr int kInsideDelayMs = 200; // the slow, inside column's replies

// The late column: replies this late, and the second try's deadline.
constexpr int kLateDelayMs = 600;
constexpr int kAgainDeadlineMs = 1500;

const QString kLineLostMessage = QStringLiteral("未知ｴﾗｰが発生しました");

struct Fault {
    QStringList options; // of the simulator for the cell
    int deadlineMs = kDeadlineMs;
    bool fails = false;      // the exchange under test is not answered in time
    bool waitsDeadline = false; // and is known to wait its whole deadline
};

Fault faultFor(Column c, const QByteArray &target)
{
    const QString cmd = QString::fromLatin1(target);
    switch (c) {
    case Silent:
        return {{"--silent"}, kDeadlineMs, true, true};
    case OkInPieces:
        return {{"--fragment-ok"}};
    case ReplyInPieces:
        return {{"--fragment-size", "3", "--fragment-pause", "2"}};
    case Noise: // no "A" in it: what is before the echo is cut off
        return {{"--noise", "\\r\\n#O~\\x7f\\xfe"}};
    case ErrorReply: // an ERROR is no "OK": the exchange runs into its deadline
        return {{"--error-for", cmd}, kDeadlineMs, true, true};
    case SlowInside:
        return {{"--delay", QString::number(kInsideDelayMs)}, 1000};
    case SlowOutside:
        return {{"--delay", "1000"}, 250, true, true};
    case LateThenAgain: // as slow, outside; then the same again with time enough
        return {{"--delay", QString::number(kLateDelayMs)}, 100, true, true};
    case LineLost: // five characters of the reply: "OK" CR of an acknowledgement, no LF
        return {{"--drop-after", "5", "--drop-on", cmd}, kDeadlineMs, true};
    case AdapterKilled: // killed once the command has come, while it holds the reply back
        return {{"--delay", "2000"}, kDeadlineMs, true};
    case OtherModel:
        return {{"--model", "KORVAN-TB"}};
    case OlderFirmware:
        return {{"--old-firmware"}};
    case ColumnCount:
        break;
    }
    return {};
}

// ---- the simulator program -----------------------------------------------

QString program(const char *name)
{
    return QDir(qEnvironmentVariable("KORVANTA_BIN_DIR")).filePath(QString::fromLatin1(name));
}

// One korvanta-sim process; its device path, or empty.
struct Simulator {
    QProcess process;
    QString device;
    QString logPath;

    bool start(const QString &log, const QString &state, const QStringList &options)
    {
        logPath = log;
        process.start(program("korvanta-sim"), QStringList{"--log", log, "--state", state} + options);
        if (!process.waitForStarted(5000) || !process.waitForReadyRead(5000))
            return false;
        device = QString::fromLocal8Bit(process.readLine()).trimmed();
        return device.startsWith("/dev/");
    }
    Lines log() const
    {
        QFile f(logPath);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        Lines lines;
        for (const QByteArray &l : f.readAll().split('\n'))
            if (!l.isEmpty())
                lines << l;
        return lines;
    }
    ~Simulator()
    {
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            process.waitForFinished(5000);
        }
    }
};

// ---- one cell's world ------------------------------------------------------

struct Cell;
using Step = std::function<void(Cell &)>;

struct Cell {
    Cell() : work(dir.filePath("mail.ini")), session(link, work, Timing{}) {}
    ~Cell()
    {
        // The windows the act made are children of the main window.
        terminal.reset();
        init.reset();
        control.reset();
        delete main.data();
        link.close();
        Messages::setHandler(nullptr);
    }

    void setTiming(int deadlineMs)
    {
        session.timing.queryDeadlineMs = deadlineMs;
        session.timing.identifyDeadlineMs = deadlineMs;
        session.timing.setDeadlineMs = deadlineMs;
        session.timing.exitPauseMs = 50;
        session.timing.drainDeadlineMs = deadlineMs;
    }
    bool attach(const QString &device)
    {
        link.close();
        link.setDevicePath(device);
        if (!link.open())
            return false;
        link.setInputLen(Link::kBulkInputLen);
        return true;
    }
    QByteArray workBytes() const
    {
        work.flush();
        QFile f(work.path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QStringList messageTexts() const { return recorder.texts(); }

    QTemporaryDir dir;
    SerialLink link;
    WorkFile work;
    Session session;
    QPointer<MainWindow> main;
    QPointer<QDialog> form;   // the settings dialog of the row
    QPointer<QDialog> detail; // a detail dialog opened from it
    MessageRecorder recorder;
    QList<MessageRequest> &messages = recorder.boxes;

    // What the act left behind, for the row's check.
    PortDialogResult portResult = PortCancelled;
    Identity identity;
    std::unique_ptr<SerialControl> control;
    std::unique_ptr<TerminalWindow> terminal;
    std::unique_ptr<InitDialog> init;
};

template <class T = QWidget> T *child(QObject *root, const QString &name)
{
    return root ? root->findChild<T *>(name) : nullptr;
}

void click(QObject *root, const char *name)
{
    if (auto *b = child<QAbstractButton>(root, QLatin1String(name)))
        b->click();
    else
        qWarning("no button %s", name);
}

void type(QObject *root, const char *name, const QString &text)
{
    if (auto *box = child<QLineEdit>(root, QLatin1String(name)))
        box->setText(text);
    else
        qWarning("no box %s", name);
}

SettingsDialog *openFromButton(Cell &c, int command)
{
    return c.main->openSettings(kSettingsCommands[command], true);
}

// ---- rows: the exchanges ---------------------------------------------------

enum class Kind { Read, Write, Startup, Exit, Init, Terminal };

struct Probe {
    const char *section;
    QString key;
    QString fromAdapter; // what a read stores from the adapter's state below
};

struct Row {
    const char *name;
    Kind kind;
    QStringList state;       // the adapter's settings, "key=value"
    Step setup;              // against a healthy adapter; may be empty
    Step act;                // the exchange under test
    Lines sent;              // every command line when all goes well
    Lines sentOldFirmware;   // with older firmware; empty: as sent
    QList<Column> notApplicable;
    QList<Probe> probes = {}; // values a read stores
    bool readFailedFlag = false; // a failed read sets ReadFailed
    bool closesOnReadFailure = false; // opened from the main window's button
};

const Lines kForm2Reads = {"AT\\S2",  "AT$I11?", "AT$W1?",  "AT\\S3",  "AT$I12?", "AT$W2?",  "AT\\S4",  "AT$I13?",
                           "AT$W3?",  "AT@I?",   "AT$I20?", "AT$I14?", "AT$I15?", "AT$I29?", "AT$V?"};
const Lines kForm2ReadsOld = {"AT\\S2", "AT$I11?", "AT\\S3", "AT$I12?", "AT\\S4",
                              "AT$I13?", "AT@I?",  "AT$I20?", "AT$I14?", "AT$I15?"};
const Lines kForm3Reads = {"AT\\S5", "AT@J4?", "AT\\S6", "AT@J5?", "AT%C?", "AT%U?", "AT%A?%D?", "AT&B?", "AT%Y?"};

QByteArray shortDialRead() { return shortdial::readCommand(); }

void openForm2(Cell &c) { c.form = openFromButton(c, 0); }
void openForm3(Cell &c) { c.form = openFromButton(c, 1); }
void openForm4(Cell &c) { c.form = openFromButton(c, 2); }
void openForm5(Cell &c)
{
    click(c.form, "Command4");
    c.detail = child<QDialog>(c.form, "Form5");
}
void openForm6(Cell &c)
{
    click(c.form, "Command5");
    c.detail = child<QDialog>(c.form, "Form6");
}
void openForm14(Cell &c)
{
    click(c.form, "Command9");
    c.detail = child<QDialog>(c.form, "Form14");
}

const QList<Row> &rows()
{
    static const QList<Row> r = [] {
        QList<Row> rows;
        const QList<Column> onlyStartup = {OtherModel};
        const QList<Column> noFirmware = {OtherModel, OlderFirmware};

        rows << Row{"Form2 read", Kind::Read, {"$C1=0311112222", "$I11=9", "$I14=5"}, {}, openForm2, kForm2Reads,
                    kForm2ReadsOld, onlyStartup,
                    {{"TEL1", "JIKO_NO", "0311112222"}, {"TEL1", "HASHIN", "9"}, {"TEL", "GAISEN", "5"}}, true, true};
        rows << Row{"Form2 register", Kind::Write, {},
                    openForm2,
                    [](Cell &c) {
                        c.form->findChild<QTabWidget *>("SSTab1")->setCurrentIndex(1);
                        click(c.form, "Option28");
                        type(c.form, "Text8", "12");
                        click(c.form, "Command3");
                    },
                    {"AT$I12=12", "AT$K2=2"}, {}, onlyStartup};
        rows << Row{"Form3 read", Kind::Read, {"$C4=0322223333", "@J4=2", "%Y=1"}, {}, openForm3, kForm3Reads, {},
                    onlyStartup,
                    {{"DATA", "JIKO_NO", "0322223333"}, {"DATA", "INUMBER", "2"}, {"DATAEXT", "CYAKU", "1"}}, true,
                    true};
        rows << Row{"Form3 register", Kind::Write, {}, openForm3,
                    [](Cell &c) {
                        type(c.form, "Text1", "0312");
                        click(c.form, "Option10");
                        click(c.form, "Command8");
                    },
                    {"AT$C4=0312", "AT$M4=0"}, {}, onlyStartup};
        rows << Row{"Form4 read", Kind::Read, {"&Z3=0344445555"}, {}, openForm4, {shortDialRead()}, {},
                    onlyStartup, {{"TANSYUKU", QString::fromLatin1(shortdial::kEntryRows[3].key), "0344445555"}}};
        rows << Row{"Form4 register", Kind::Write, {}, openForm4,
                    [](Cell &c) {
                        type(c.form, shortdial::kEntryRows[3].numberBox, "0311112222");
                        type(c.form, shortdial::kEntryRows[5].numberBox, "0312");
                        type(c.form, shortdial::kEntryRows[5].subaddressBox, "34#*");
                        click(c.form, "Command7");
                    },
                    {"AT&Z3=0311112222", "AT&Z5=0312*34#*"}, {}, onlyStartup};
        rows << Row{"Form5 read", Kind::Read, {"%A=1", "$I42=33"}, openForm3, openForm5,
                    {"AT%A?", "AT%D?", "AT$I40?", "AT$I43?", "AT$I41?", "AT$I44?", "AT$I42?", "AT$I45?"}, {},
                    onlyStartup, {{"SLPUT", "ADD_$42", "33"}, {"SLPUT", "ADD", "1"}}};
        rows << Row{"Form5 register", Kind::Write, {"%A=1"},
                    [](Cell &c) {
                        openForm3(c);
                        openForm5(c);
                    },
                    [](Cell &c) {
                        type(c.detail, "Text3", "502");
                        click(c.detail, "Command2");
                    },
                    {"AT$I41=100"}, {}, onlyStartup};
        rows << Row{"Form6 read", Kind::Read, {"$I47=5", "$I46=3"}, openForm3, openForm6, {"AT$I47?", "AT$I46?"},
                    {}, onlyStartup, {{"BACP", "HASHIN", "5"}, {"BACP", "CYAKU", "3"}}};
        rows << Row{"Form6 register", Kind::Write, {"$I47=5"},
                    [](Cell &c) {
                        openForm3(c);
                        openForm6(c);
                    },
                    [](Cell &c) {
                        click(c.detail, "Option11");
                        click(c.detail, "Option4");
                        click(c.detail, "Option1");
                        click(c.detail, "Command1");
                    },
                    {"AT$I47=6$I46=3"}, {}, onlyStartup};
        rows << Row{"Form14 read", Kind::Read, {"$D1=1", "@J1=2"}, openForm2, openForm14, {"AT$D1?", "AT@J1?"}, {},
                    onlyStartup,
                    {{numberdisplay::port(0).section, QLatin1String(numberdisplay::numberDisplay().key), "1"},
                     {numberdisplay::port(0).section, QLatin1String(numberdisplay::iNumber().key), "2"}}};
        rows << Row{"Form14 register", Kind::Write, {},
                    [](Cell &c) {
                        openForm2(c);
                        openForm14(c);
                    },
                    [](Cell &c) {
                        click(c.detail, "Option2");
                        click(c.detail, "Command3");
                    },
                    {"AT$D1=1"}, {}, onlyStartup};
        rows << Row{"start-up", Kind::Startup, {}, {},
                    [](Cell &c) {
                        PortMap map;
                        map.assign("COM1=" + c.link.devicePath());
                        c.link.close();
                        c.control = std::make_unique<SerialControl>(serialLinkFactory(map));
                        c.portResult = tryPort(*c.control, 1, c.session.timing, c.identity, nullptr);
                    },
                    {"ATE1V1", "ATI", "AT%I2"}, {}, {LateThenAgain}};
        rows << Row{"exit", Kind::Exit, {}, {},
                    [](Cell &c) {
                        c.session.WriteCount = 1;
                        c.main->exitProcedure();
                    },
                    {"AT&W0&W1"}, {}, {LateThenAgain, OtherModel, OlderFirmware}};
        rows << Row{"Form11 init", Kind::Init, {}, {},
                    [](Cell &c) {
                        c.init = std::make_unique<InitDialog>(c.session, c.main);
                        c.init->show();
                        click(c.init.get(), "Option2");
                        click(c.init.get(), "Command1");
                    },
                    {"AT&F"}, {}, noFirmware};
        rows << Row{"Form9 terminal", Kind::Terminal, {}, {},
                    [](Cell &c) {
                        c.terminal = std::make_unique<TerminalWindow>(c.session, c.main);
                        TerminalWindow *t = c.terminal.get();
                        c.session.TerminalActive = 1;
                        c.session.commEvents->setTerminalSink([t](const QByteArray &text) { t->append(text); });
                        c.terminal->show();
                        auto *term = child<QPlainTextEdit>(t, "Term");
                        QTest::keyClicks(term, "ATI");
                        QTest::keyClick(term, Qt::Key_Return);
                    },
                    {"ATI"}, {}, {SlowInside, SlowOutside, LateThenAgain, OtherModel, OlderFirmware}};
        return rows;
    }();
    return r;
}

// Results for the table: row -> column -> "pass" / "FAIL".
QMap<int, QMap<int, QString>> &results()
{
    static QMap<int, QMap<int, QString>> r;
    return r;
}

} // namespace

void checkProbes(Cell &c, const Row &R)
{
    for (const Probe &p : R.probes)
        QCOMPARE(c.work.fetch(QLatin1String(p.section), p.key, "<none>"), p.fromAdapter);
}

// The same exchange again, once the late reply to the first try has come in:
// every command is answered by its own reply, not by the one left over, and
// ends as if nothing had gone before.
void tryAgain(Cell &c, const Row &R, const Simulator &sim, const Lines &sentBefore)
{
    QTRY_VERIFY(c.link.inBufferCount() > 0); // the late reply is waiting
    if (R.kind == Kind::Read) {
        QPointer<QDialog> window = R.setup ? c.detail : c.form;
        if (window)
            window->close();
        QTRY_VERIFY(!window || !window->isVisible());
        QWidget *opener = R.setup ? static_cast<QWidget *>(c.form) : c.main.data();
        QTRY_VERIFY(opener->isEnabled());
    }
    c.messages.clear();
    c.session.ReadFailed = c.session.WriteFailed = 0;
    c.setTiming(kAgainDeadlineMs);
    const QByteArray before = c.workBytes();
    QElapsedTimer clock;
    clock.start();
    R.act(c);
    const qint64 elapsed = clock.elapsed();

    QCOMPARE(sim.log(), sentBefore + R.sent);
    QVERIFY2(elapsed >= qint64(kLateDelayMs) * R.sent.size(), qPrintable(QStringLiteral("%1 ms").arg(elapsed)));
    QVERIFY2(elapsed <= qint64(kAgainDeadlineMs) * R.sent.size() + kMarginMs,
             qPrintable(QStringLiteral("%1 ms").arg(elapsed)));
    QCOMPARE(c.messageTexts(), QStringList());
    switch (R.kind) {
    case Kind::Read: {
        QCOMPARE(c.session.ReadFailed, 0);
        QPointer<QDialog> window = R.setup ? c.detail : c.form;
        QVERIFY(window && window->isVisible());
        checkProbes(c, R);
        break;
    }
    case Kind::Write: {
        QCOMPARE(c.session.WriteFailed, 0);
        QPointer<QDialog> window = c.detail ? c.detail : c.form;
        QTRY_VERIFY(!window);
        QCOMPARE(c.workBytes(), before);
        break;
    }
    case Kind::Init:
        QVERIFY(!c.init->isVisible());
        break;
    default:
        QFAIL("no second try for this row");
    }
}

class FaultMatrixTest : public QObject {
    Q_OBJECT

private slots:
    void cell_data();
    void cell();
    void cleanupTestCase();
};

void FaultMatrixTest::cell_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    for (int r = 0; r < rows().size(); ++r)
        for (int c = 0; c < ColumnCount; ++c)
            if (!rows()[r].notApplicable.contains(Column(c)))
                QTest::addRow("%s / %s", rows()[r].name, kColumnNames[c]) << r << c;
}

void FaultMatrixTest::cell()
{
    QFETCH(int, row);
    QFETCH(int, column);
    const Row &R = rows()[row];
    const auto col = Column(column);
    bool passed = false;
    auto record = qScopeGuard([&] { results()[row][column] = passed ? "pass" : "FAIL"; });

    // Declared first, ended last: the line is closed before its adapter goes.
    Simulator healthy;
    Simulator sim;
    Cell c;
    auto restoreBeep = qScopeGuard([] { Messages::setBeepHandler({}); });

    const bool oldFirmware = col == OlderFirmware;
    const Fault fault = faultFor(col, R.sent.first());
    const QStringList firmware = oldFirmware ? QStringList{"--old-firmware"} : QStringList{};

    // The adapter's settings, for both simulators of the cell.
    const QString state = c.dir.filePath("state");
    {
        QFile f(state);
        QVERIFY(f.open(QIODevice::WriteOnly));
        for (const QString &line : R.state)
            f.write(line.toLatin1() + '\n');
    }

    // Set-up against a healthy adapter, then the line moves to the faulty one.
    c.setTiming(kSetupDeadlineMs);
    c.session.NewFirmwareFlag = oldFirmware ? "0" : "1";
    if (R.setup || R.kind != Kind::Startup) {
        QVERIFY(healthy.start(c.dir.filePath("setup.log"), state, firmware));
        QVERIFY(c.attach(healthy.device));
    }
    c.main = new MainWindow(c.session);
    c.main->show();
    if (R.setup) {
        R.setup(c);
        QVERIFY2(c.messages.isEmpty(), qPrintable(c.messageTexts().join(", ")));
        QVERIFY(c.form);
    }

    QVERIFY(sim.start(c.dir.filePath("cell.log"), state, fault.options));
    if (R.kind == Kind::Startup)
        c.link.setDevicePath(sim.device);
    else
        QVERIFY(c.attach(sim.device));

    // What a read must not touch when it fails: a value of an earlier read.
    for (const Probe &p : R.probes)
        c.work.store(QLatin1String(p.section), p.key, "stale");
    const QByteArray before = c.workBytes();

    c.setTiming(fault.deadlineMs);
    c.session.ReadFailed = c.session.WriteFailed = 0;
    const int writeCountBefore = c.session.WriteCount;
    QTimer killer;
    if (col == AdapterKilled) {
        QObject::connect(&killer, &QTimer::timeout, [&] {
            if (sim.log().contains(R.sent.first())) {
                killer.stop();
                sim.process.kill();
            }
        });
        killer.start(5);
    }
    QElapsedTimer clock;
    clock.start();
    R.act(c);
    const qint64 elapsed = clock.elapsed();

    // Which commands went out.
    const Lines whole = oldFirmware && !R.sentOldFirmware.isEmpty() ? R.sentOldFirmware : R.sent;
    const bool modelFails = col == OtherModel;
    const bool fails = fault.fails || modelFails;
    Lines expected = whole;
    if (modelFails)
        expected = whole.mid(0, 2);
    else if (fails)
        expected = whole.mid(0, 1);
    if (R.kind == Kind::Terminal)
        QTRY_COMPARE(sim.log(), expected);
    else
        QCOMPARE(sim.log(), expected);

    // No wait longer than the deadlines of the exchanges that ran.
    const qint64 bound = qint64(expected.size()) * fault.deadlineMs + kMarginMs
                         + (R.kind == Kind::Exit ? c.session.timing.exitPauseMs : 0);
    QVERIFY2(elapsed <= bound, qPrintable(QStringLiteral("%1 ms > %2 ms").arg(elapsed).arg(bound)));
    if (fault.waitsDeadline && R.kind != Kind::Terminal)
        QVERIFY2(elapsed >= fault.deadlineMs, qPrintable(QStringLiteral("%1 ms").arg(elapsed)));
    if (col == SlowInside) // each command answered by its own reply, which is held back
        QVERIFY2(elapsed >= qint64(kInsideDelayMs) * expected.size(), qPrintable(QStringLiteral("%1 ms").arg(elapsed)));

    // The messages: the line's loss is an error event of its own; then the
    // row's failure message.
    QStringList messages;
    const bool lineGone = col == LineLost || col == AdapterKilled;
    if (lineGone)
        messages << kLineLostMessage;
    if (R.kind == Kind::Terminal && lineGone)
        QTRY_COMPARE(c.messageTexts(), messages);

    switch (R.kind) {
    case Kind::Read: {
        if (fails)
            messages << kReceiveFailed;
        QCOMPARE(c.messageTexts(), messages);
        QCOMPARE(c.session.ReadFailed, fails && R.readFailedFlag ? 1 : 0);
        QPointer<QDialog> window = R.setup ? c.detail : c.form;
        if (fails && R.closesOnReadFailure) {
            QTRY_VERIFY(!window || !window->isVisible());
            QTRY_VERIFY(c.main->isEnabled());
        } else {
            QVERIFY(window && window->isVisible() && window->isEnabled());
        }
        if (fails) // nothing of a reply that did not come whole
            QCOMPARE(c.workBytes(), before);
        else
            checkProbes(c, R);
        break;
    }
    case Kind::Write: {
        if (fails)
            messages << kReceiveFailed;
        QCOMPARE(c.messageTexts(), messages);
        QCOMPARE(c.session.WriteFailed, fails ? 1 : 0);
        QCOMPARE(c.session.WriteCount, writeCountBefore + 1);
        QPointer<QDialog> window = c.detail ? c.detail : c.form;
        if (fails)
            QVERIFY(window && window->isVisible() && window->isEnabled());
        else
            QTRY_VERIFY(!window);
        // Writing never changes the work file: it keeps the last read.
        QCOMPARE(c.workBytes(), before);
        break;
    }
    case Kind::Startup: {
        if (modelFails)
            messages << kNotKorvanta;
        else if (fails)
            messages << kNoDevice;
        QCOMPARE(c.messageTexts(), messages);
        QCOMPARE(c.portResult, fails ? PortShowAgain : PortConnected);
        QCOMPARE(c.control->link()->isOpen(), !fails);
        if (!fails) {
            QCOMPARE(c.identity.ModelName, QStringLiteral("KORVAN-TA"));
            QCOMPARE(c.identity.FirmwareVersion,
                     QString::fromLatin1(oldFirmware ? sim::kOldFirmware : sim::kCurrentFirmware));
            applyIdentity(c.session, c.identity);
            QCOMPARE(c.session.NewFirmwareFlag, oldFirmware ? "0" : "1");
        }
        QVERIFY(!QFile::exists(c.work.path())); // start-up writes no work file
        break;
    }
    case Kind::Exit:
        // Silent on time-out; the line is closed in every case.
        QCOMPARE(c.messageTexts(), messages);
        QVERIFY(!c.link.isOpen());
        if (!fails) // the acknowledgement was recognised, not waited out
            QVERIFY2(elapsed < fault.deadlineMs, qPrintable(QStringLiteral("%1 ms").arg(elapsed)));
        break;
    case Kind::Init:
        if (fails)
            messages << kReceiveFailed;
        QCOMPARE(c.messageTexts(), messages);
        QCOMPARE(c.session.WriteCount, writeCountBefore + 1);
        QCOMPARE(c.init->isVisible(), fails);
        QVERIFY(c.init->isEnabled());
        break;
    case Kind::Terminal: {
        TerminalWindow *t = c.terminal.get();
        if (col == Silent) {
            QCOMPARE(t->text(), QString());
        } else if (col == ErrorReply) {
            QTRY_VERIFY2(t->text().endsWith("ERROR\r\n"), qPrintable(t->text()));
        } else if (lineGone) {
            if (col == LineLost) // a killed adapter's last characters may go with it
                QTRY_VERIFY2(t->text().contains("ATI\r"), qPrintable(t->text()));
            QVERIFY(!t->text().contains("KORVAN-TA"));
        } else {
            QTRY_VERIFY2(t->text().endsWith("KORVAN-TA\r\n\r\nOK\r\n"), qPrintable(t->text()));
            QVERIFY(t->text().contains("ATI\r\n"));
        }
        QCOMPARE(c.messageTexts(), messages);
        QElapsedTimer closing;
        closing.start();
        t->close();
        QVERIFY(closing.elapsed() <= fault.deadlineMs + kMarginMs);
        QVERIFY(!t->isVisible());
        c.session.commEvents->setTerminalSink({});
        c.session.TerminalActive = 0;
        break;
    }
    }

    if (col == LateThenAgain) {
        tryAgain(c, R, sim, expected);
        if (QTest::currentTestFailed())
            return;
    }

    // Failure messages as exchanges show them: the utility's title, information icon.
    for (const MessageRequest &m : c.messages)
        if (m.text != kLineLostMessage)
            QVERIFY(m.title == kProgramTitle && m.icon == QMessageBox::Information && m.buttons == QMessageBox::Ok);

    // The simulator outlived the cell, and no half-written work file was left.
    c.work.flush();
    QCOMPARE(sim.process.state(), col == AdapterKilled ? QProcess::NotRunning : QProcess::Running);
    const QStringList leftovers = QDir(c.dir.path()).entryList({"mail.ini?*"}, QDir::Files | QDir::Hidden);
    QVERIFY2(leftovers.isEmpty() || leftovers == QStringList{"mail.ini.lock"}, qPrintable(leftovers.join(", ")));
    if (QFile::exists(c.work.path()))
        QVERIFY(c.workBytes().isEmpty() || c.workBytes().endsWith('\n'));
    passed = true;
}

void FaultMatrixTest::cleanupTestCase()
{
    QString table;
    QTextStream out(&table);
    int run = 0, passed = 0;
    out << "| |";
    for (int c = 0; c < ColumnCount; ++c)
        out << ' ' << kColumnNames[c] << " |";
    out << "\n|---|";
    for (int c = 0; c < ColumnCount; ++c)
        out << "---|";
    out << '\n';
    for (int r = 0; r < rows().size(); ++r) {
        out << "| " << rows()[r].name << " |";
        for (int c = 0; c < ColumnCount; ++c) {
            QString v = results().value(r).value(c);
            if (rows()[r].notApplicable.contains(Column(c)))
                v = "n/a";
            else if (v.isEmpty())
                v = "not run";
            else {
                ++run;
                passed += v == "pass";
            }
            out << ' ' << v << " |";
        }
        out << '\n';
    }
    out << "\ncells passed: " << passed << " of " << run << " run\n";
    out.flush();
    qDebug().noquote() << '\n' + table;
    QFile file("fault_matrix.txt");
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(table.toUtf8());
}

QTEST_MAIN(FaultMatrixTest)
#include "faultmatrix_test.moc"
