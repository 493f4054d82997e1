// SPDX-License-Identifier: GPL-3.0-or-later
// The fault matrix: every exchange of the utility against the simulator
// program over a pseudo-terminal, once for each way the adapter or its line
// can fail. The windows are the utility's own, in this process, on a
// SerialLink; each cell asserts what was sent, what was shown, the flags, the
// window left open or closed, the time waited and the work file afterwards.
// A second table fails sequences in their middle. At the end a table of the
// cells is printed and written to fault_matrix.txt in the working folder.
// KORVANTA_TEST_ROWS, a regular expression, picks the rows whose names it
// matches; by default every row runs.

#include "app/initdialog.h"
#include "app/mainwindow.h"
#include "app/startup.h"
#include "app/terminal.h"
#include "link/session/commevents.h"
#include "link/session/messages.h"
#include "link/ports/ports.h"
#include "link/session/serialcontrol.h"
#include "link/transport/seriallink.h"
#include "link/session/session.h"
#include "numberdisplay/numberdisplaydialog.h"
#include "numberdisplay/numberdisplaymodel.h"
#include "shortdial/shortdialmodel.h"
#include "sim/simulatedadapter.h"
#include "tests/messagerecorder.h"
#include "ui/settingsdialog.h"
#include "workfile/workfile.h"

#include <QAbstractButton>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
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

constexpr int kInsideDelayMs = 100; // the slow, inside column's replies, 800 ms within their deadline
constexpr int kInsideDeadlineMs = kInsideDelayMs + 800;

// The late column: replies this late, and the second try's deadline, 900 ms
// beyond them.
constexpr int kLateDelayMs = 300;
constexpr int kAgainDeadlineMs = kLateDelayMs + 900;

const QString kLineLostMessage = QStringLiteral("機器との回線が切れました。ケーブルと機器の電源を確かめてください。");

struct Fault {
    QStringList options; // of the simulator for the cell
    int deadlineMs = kDeadlineMs;
    bool fails = false;      // the exchange under test is not answered in time
    bool waitsDeadline = false; // and is known to wait its whole deadline
};

// `target` is the command that fails; `midway`: the adapter answers the
// commands before it. `cut`: what comes of the reply when the line is lost.
Fault faultFor(Column c, const QByteArray &target, bool midway = false, int cut = 5)
{
    const QString cmd = QString::fromLatin1(target);
    switch (c) {
    case Silent:
        return {midway ? QStringList{"--silent-from", cmd} : QStringList{"--silent"}, kDeadlineMs, true, true};
    case OkInPieces:
        return {{"--fragment-ok"}};
    case ReplyInPieces:
        return {{"--fragment-size", "3", "--fragment-pause", "2"}};
    case Noise: // no "A" in it: what is before the echo is cut off
        return {{"--noise", "\\r\\n#O~\\x7f\\xfe"}};
    case ErrorReply: // an ERROR is no "OK": the exchange runs into its deadline
        return {{"--error-for", cmd}, kDeadlineMs, true, true};
    case SlowInside:
        return {{"--delay", QString::number(kInsideDelayMs)}, kInsideDeadlineMs};
    case SlowOutside:
        return {{"--delay", "1000"}, 250, true, true};
    case LateThenAgain: // as slow, outside; then the same again with time enough
        return {{"--delay", QString::number(kLateDelayMs)}, 100, true, true};
    case LineLost: // by default five characters of the reply: "OK" CR of an acknowledgement, no LF
        return {{"--drop-after", QString::number(cut), "--drop-on", cmd}, kDeadlineMs, true};
    case AdapterKilled: // killed once the command has come, while it holds the reply back
        return {{"--delay", "2000"}, kDeadlineMs, true};
    case OtherModel:
        return {{"--model", "KORVAN-TB"}};
    case OlderFirmware: // the cell gives both simulators the firmware
        return {};
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
    bool viaMenu = false;     // settings dialogs opened from the menu: they stay open when a read fails
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

SettingsDialog *openFromMain(Cell &c, int command)
{
    return c.main->openSettings(kSettingsCommands[command], !c.viaMenu);
}

// ---- rows: the exchanges ---------------------------------------------------

enum class Kind { Read, Write, Startup, Exit, Init, Terminal };

// How a window shows a probe's value.
enum class Shows {
    Nothing,
    Text,     // in a box, empty before
    Checked,  // an option checked, unchecked before
    Disabled, // a button disabled, enabled before
    Gated,    // not a value: a control disabled with older firmware, read or not
};

// A value a read stores in the work file (section null: none), and where the
// window shows it. A probe with no command holds wherever the sequence ended
// (an edit the window keeps, say).
struct Probe {
    const char *section;
    QString key;
    QString value; // what the read stores from the adapter's state below
    QByteArray by = {}; // the command whose reply brings it
    const char *control = nullptr;
    Shows shows = Shows::Nothing;
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

void openForm2(Cell &c) { c.form = openFromMain(c, 0); }
void openForm3(Cell &c) { c.form = openFromMain(c, 1); }
void openForm4(Cell &c) { c.form = openFromMain(c, 2); }
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

        using enum Shows;
        rows << Row{"Form2 read", Kind::Read, {"$C1=0311112222", "$I11=9", "$C2=0322223333", "$I13=15", "$W3=2", "$I14=5"},
                    {}, openForm2, kForm2Reads, kForm2ReadsOld, onlyStartup,
                    {{"TEL1", "JIKO_NO", "0311112222", "AT\\S2", "Text2", Text},
                     {"TEL1", "HASHIN", "9", "AT$I11?", "Text4", Text},
                     {"TEL2", "JIKO_NO", "0322223333", "AT\\S3", "Text5", Text},
                     {"TEL3", "HASHIN", "15", "AT$I13?", "Text12", Text},
                     {"TEL3", "RING", "2", "AT$W3?"},
                     {"TEL", "INUMBER", "1", "AT@I?", "Option94", Checked},
                     {"TEL", "GAISEN", "5", "AT$I14?", "Option64", Checked},
                     {nullptr, {}, {}, {}, "Option84", Gated}, // TEL3 "網契約に従う"
                     {nullptr, {}, {}, {}, "Text15", Gated}},
                    true, true};
        rows << Row{"Form2 register", Kind::Write, {},
                    openForm2,
                    [](Cell &c) {
                        c.form->findChild<QTabWidget *>("SSTab1")->setCurrentIndex(1);
                        type(c.form, "Text2", "0312");
                        click(c.form, "Option28");
                        type(c.form, "Text8", "12");
                        type(c.form, "Text13", "5");
                        click(c.form, "Command3");
                    },
                    {"AT$C1=0312", "AT$I12=12", "AT$K2=2", "AT$I20=5"}, {}, onlyStartup,
                    {{nullptr, {}, "12", {}, "Text8", Text}}};
        rows << Row{"Form3 read", Kind::Read,
                    {"$C4=0322223333", "@J4=2", "$C5=0355556666", "@J5=2", "%U=2", "%A=3", "%D=3", "&B=0", "%Y=1"}, {},
                    openForm3, kForm3Reads, {}, onlyStartup,
                    {{"DATA", "JIKO_NO", "0322223333", "AT\\S5", "Text1", Text},
                     {"DATA", "INUMBER", "2", "AT@J4?", "Option42", Checked},
                     {"USB", "JIKO_NO", "0355556666", "AT\\S6", "Text4", Text},
                     {"USB", "INUMBER", "2", "AT@J5?", "Option39", Checked},
                     {"DATAEXT", "REBOD", "2", "AT%U?", "Option21", Checked},
                     {"DATAEXT", "SLPUT", "0", "AT%A?%D?", "Command4", Disabled},
                     {"DATAEXT", "BACP", "0", "AT&B?", "Command5", Disabled},
                     {"DATAEXT", "CYAKU", "1", "AT%Y?", "Option35", Checked},
                     {nullptr, {}, {}, {}, "Option16", Gated},
                     {nullptr, {}, {}, {}, "Option31", Gated}},
                    true, true};
        rows << Row{"Form3 register", Kind::Write, {}, openForm3,
                    [](Cell &c) {
                        type(c.form, "Text1", "0312");
                        type(c.form, "Text2", "5");
                        click(c.form, "Option10");
                        type(c.form, "Text4", "0313");
                        click(c.form, "Command8");
                    },
                    {"AT$C4=0312", "AT$E4=5", "AT$M4=0", "AT$C5=0313"}, {}, onlyStartup,
                    {{nullptr, {}, "0313", {}, "Text4", Text}}};
        rows << Row{"Form4 read", Kind::Read, {"&Z3=0344445555"}, {}, openForm4, {shortDialRead()}, {},
                    onlyStartup,
                    {{"TANSYUKU", QString::fromLatin1(shortdial::kEntryRows[3].key), "0344445555", shortDialRead(),
                      shortdial::kEntryRows[3].numberBox, Text}}};
        rows << Row{"Form4 register", Kind::Write, {}, openForm4,
                    [](Cell &c) {
                        type(c.form, shortdial::kEntryRows[3].numberBox, "0311112222");
                        type(c.form, shortdial::kEntryRows[5].numberBox, "0312");
                        type(c.form, shortdial::kEntryRows[5].subaddressBox, "34#*");
                        type(c.form, shortdial::kEntryRows[7].numberBox, "0399");
                        click(c.form, "Command7");
                    },
                    {"AT&Z3=0311112222", "AT&Z5=0312*34#*", "AT&Z7=0399"}, {}, onlyStartup,
                    {{nullptr, {}, "0399", {}, shortdial::kEntryRows[7].numberBox, Text}}};
        rows << Row{"Form5 read", Kind::Read, {"%A=1", "$I42=33"}, openForm3, openForm5,
                    {"AT%A?", "AT%D?", "AT$I40?", "AT$I43?", "AT$I41?", "AT$I44?", "AT$I42?", "AT$I45?"}, {},
                    onlyStartup, {{"SLPUT", "ADD_$42", "33", "AT$I42?"}, {"SLPUT", "ADD", "1", "AT%A?"}}};
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
                    {}, onlyStartup, {{"BACP", "HASHIN", "5", "AT$I47?"}, {"BACP", "CYAKU", "3", "AT$I46?"}}};
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
                    {{numberdisplay::port(0).section, QLatin1String(numberdisplay::numberDisplay().key), "1", "AT$D1?"},
                     {numberdisplay::port(0).section, QLatin1String(numberdisplay::iNumber().key), "2", "AT@J1?"}}};
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
        rows << Row{"Form11 init", Kind::Init, {},
                    [](Cell &c) {
                        // The backup before it, read from the healthy adapter.
                        qputenv("XDG_DATA_HOME", QFile::encodeName(c.dir.path()));
                        c.init = std::make_unique<InitDialog>(c.session, c.main);
                        c.init->show();
                        QVERIFY(c.init->keepBackup());
                        c.form = c.init.get();
                    },
                    [](Cell &c) {
                        click(c.init.get(), "Option2");
                        click(c.init.get(), "Command1");
                    },
                    {"AT&F"}, {}, noFirmware};
        rows << Row{"Form9 terminal", Kind::Terminal, {}, {},
                    [](Cell &c) {
                        c.terminal = std::make_unique<TerminalWindow>(c.session, c.main);
                        TerminalWindow *t = c.terminal.get();
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

Lines sentBy(const Row &R, bool oldFirmware)
{
    return oldFirmware && !R.sentOldFirmware.isEmpty() ? R.sentOldFirmware : R.sent;
}

const Row &rowNamed(const char *name)
{
    for (const Row &r : rows())
        if (qstrcmp(r.name, name) == 0)
            return r;
    qFatal("no row %s", name);
}

// The rows KORVANTA_TEST_ROWS picks, by name.
bool selected(const char *rowName)
{
    static const QRegularExpression pick(qEnvironmentVariable("KORVANTA_TEST_ROWS"));
    return pick.match(QLatin1String(rowName)).hasMatch();
}

// ---- positions: failures in the middle of a sequence ------------------------
//
// A failure ends a sequence wherever it comes: what follows is not sent, what
// the replies before it stored stays stored and shown, and the window stays
// open (read windows are opened from the menu here, where a failed read leaves
// them open). Each position is tried with the faults that end an exchange in
// the three ways there are: no answer, an answer that is no acknowledgement,
// the line lost inside the reply; and no answer once more with older firmware
// for the reads, whose sequences and controls it changes. The matrix's other
// columns either succeed wherever they come (pieces, noise, slow inside) or
// end as one of these (too late, killed).

struct PositionFault {
    Column column;
    bool oldFirmware;
    const char *name;
};
const PositionFault kPositionFaults[] = {
    {Silent, false, "silent"}, {ErrorReply, false, "ERROR"}, {LineLost, false, "line lost"},
    {Silent, true, "silent, old firmware"}};
constexpr int kPositionFaultCount = int(std::size(kPositionFaults));

struct Position {
    const char *row;       // the sequence, by its row's name
    QByteArray at;         // the command that fails
    QByteArray atOld = {}; // with older firmware, where `at` is not sent
    int cut = 0;           // > 0: only the line lost, after this many characters of the reply
};

const QList<Position> &positions()
{
    static const QList<Position> p = {
        {"Form2 read", "AT\\S3"},            // the second port: the first stays read
        {"Form2 read", "AT$W3?", "AT$I13?"}, // the last port query
        {"Form2 read", "AT$I14?"},           // a common query, after two that got through
        {"Form3 read", "AT\\S6"},            // the USB port: no extended read
        {"Form3 read", "AT@J5?"},
        {"Form3 read", "AT%U?"}, // the detail buttons as the window was made
        {"Form3 read", "AT%Y?"}, // the detail buttons as the replies before set them
        // Entries 00 to 03 and a piece of 04, of twenty: nothing of it is taken.
        {"Form4 read", shortDialRead(), {}, 3 * 7 + 17 + 4},
        {"Form2 register", "AT$I12=12"},
        {"Form3 register", "AT$E4=5"},
        {"Form4 register", "AT&Z5=0312*34#*"},
    };
    return p;
}

QString positionName(const Position &p)
{
    return QStringLiteral("%1 %2").arg(QLatin1String(p.row),
                                      p.cut ? QStringLiteral("inside its reply") : "at " + QString::fromLatin1(p.at));
}

// A cut reply is tried with the line lost alone; older firmware with reads alone.
bool positionApplies(int p, int f)
{
    const Position &P = positions()[p];
    const PositionFault &F = kPositionFaults[f];
    if (P.cut)
        return F.column == LineLost && !F.oldFirmware;
    return !F.oldFirmware || rowNamed(P.row).kind == Kind::Read;
}

// Results for the tables: row -> column -> "pass" / "FAIL".
using Results = QMap<int, QMap<int, QString>>;
Results &results()
{
    static Results r;
    return r;
}
Results &positionResults()
{
    static Results r;
    return r;
}

} // namespace

// What the replies to the first `answered` commands of `sent` left behind: their
// probes' values stored and shown, the others' keys as the cell found them
// ("stale") and their controls as the window was made. Controls are looked at
// only in a window still open.
void checkProbes(Cell &c, const Row &R, const Lines &sent, qsizetype answered, QWidget *window)
{
    const bool oldFirmware = c.session.NewFirmwareFlag == "0";
    for (const Probe &p : R.probes) {
        const qsizetype at = sent.indexOf(p.by);
        const bool read = p.by.isEmpty() || (at >= 0 && at < answered);
        if (p.section)
            QCOMPARE(c.work.fetch(QLatin1String(p.section), p.key, "<none>"), read ? p.value : "stale");
        QWidget *w = window && p.control ? child(window, QLatin1String(p.control)) : nullptr;
        if (window && p.control)
            QVERIFY2(w, p.control);
        if (!w)
            continue;
        switch (p.shows) {
        case Shows::Nothing:
            break;
        case Shows::Text:
            QCOMPARE(qobject_cast<QLineEdit *>(w)->text(), read ? p.value : QString());
            break;
        case Shows::Checked:
            QVERIFY2(qobject_cast<QAbstractButton *>(w)->isChecked() == read, p.control);
            break;
        case Shows::Disabled:
            QVERIFY2(w->isEnabled() == !read, p.control);
            break;
        case Shows::Gated:
            QVERIFY2(w->isEnabled() == !oldFirmware, p.control);
            break;
        }
    }
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
    c.session.ReadFailed = 0;
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
    if (R.kind == Kind::Init) // where the settings before it were kept
        QVERIFY(c.messageTexts().size() == 1 && c.messageTexts()[0].startsWith("初期化しました。"));
    else
        QCOMPARE(c.messageTexts(), QStringList());
    switch (R.kind) {
    case Kind::Read: {
        QCOMPARE(c.session.ReadFailed, 0);
        QPointer<QDialog> window = R.setup ? c.detail : c.form;
        QVERIFY(window && window->isVisible());
        checkProbes(c, R, R.sent, R.sent.size(), window);
        break;
    }
    case Kind::Write: {
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

// A cell's world up to the exchange under test: the adapter's settings, the
// set-up against a healthy adapter, then the line moved to the faulty one and
// the probes' keys marked as an earlier read's.
void prepare(Cell &c, const Row &R, Simulator &healthy, Simulator &sim, const Fault &fault, bool oldFirmware)
{
    const QStringList firmware = oldFirmware ? QStringList{"--old-firmware"} : QStringList{};
    const QString state = c.dir.filePath("state");
    {
        QFile f(state);
        QVERIFY(f.open(QIODevice::WriteOnly));
        for (const QString &line : R.state)
            f.write(line.toLatin1() + '\n');
    }

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

    QVERIFY(sim.start(c.dir.filePath("cell.log"), state, fault.options + firmware));
    if (R.kind == Kind::Startup)
        c.link.setDevicePath(sim.device);
    else
        QVERIFY(c.attach(sim.device));

    // What a read must not touch when it fails: a value of an earlier read.
    for (const Probe &p : R.probes)
        if (p.section)
            c.work.store(QLatin1String(p.section), p.key, "stale");
    c.setTiming(fault.deadlineMs);
    c.session.ReadFailed = 0;
}

// What every cell ends with: failure messages as exchanges show them (the
// utility's title, information icon), the simulator alive unless the cell
// killed it, and no half-written work file.
void checkAftermath(Cell &c, Simulator &sim, bool killed)
{
    for (const MessageRequest &m : c.messages)
        if (m.text != kLineLostMessage)
            QVERIFY(m.title == kProgramTitle && m.icon == MessageBox::Information && m.buttons == MessageBox::Ok);
    c.work.flush();
    QCOMPARE(sim.process.state(), killed ? QProcess::NotRunning : QProcess::Running);
    const QStringList leftovers = QDir(c.dir.path()).entryList({"mail.ini?*"}, QDir::Files | QDir::Hidden);
    QVERIFY2(leftovers.isEmpty() || leftovers == QStringList{"mail.ini.lock"}, qPrintable(leftovers.join(", ")));
    if (QFile::exists(c.work.path()))
        QVERIFY(c.workBytes().isEmpty() || c.workBytes().endsWith('\n'));
}

class FaultMatrixTest : public QObject {
    Q_OBJECT

private slots:
    void cell_data();
    void cell();
    void position_data();
    void position();
    void cleanupTestCase();
};

void FaultMatrixTest::cell_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    for (int r = 0; r < rows().size(); ++r)
        for (int c = 0; c < ColumnCount; ++c)
            if (selected(rows()[r].name) && !rows()[r].notApplicable.contains(Column(c)))
                QTest::addRow("%s / %s", rows()[r].name, kColumnNames[c]) << r << c;
}

void FaultMatrixTest::cell()
{
    if (!QTest::currentDataTag())
        QSKIP("no cell of the rows picked");
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
    prepare(c, R, healthy, sim, fault, oldFirmware);
    if (QTest::currentTestFailed())
        return;
    const QByteArray before = c.workBytes();
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
    const Lines whole = sentBy(R, oldFirmware);
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
        checkProbes(c, R, whole, fails ? 0 : whole.size(), window);
        break;
    }
    case Kind::Write: {
        if (fails)
            messages << kReceiveFailed;
        QCOMPARE(c.messageTexts(), messages);
        QCOMPARE(c.session.WriteCount, writeCountBefore + 1);
        QPointer<QDialog> window = c.detail ? c.detail : c.form;
        if (fails) {
            QVERIFY(window && window->isVisible() && window->isEnabled());
            checkProbes(c, R, whole, 0, window);
        } else {
            QTRY_VERIFY(!window);
        }
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
        else // where the settings before it were kept
            messages << c.messageTexts().value(messages.size());
        QCOMPARE(c.messageTexts(), messages);
        QVERIFY(fails || messages.last().startsWith("初期化しました。"));
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
        break;
    }
    }

    if (col == LateThenAgain) {
        tryAgain(c, R, sim, expected);
        if (QTest::currentTestFailed())
            return;
    }

    checkAftermath(c, sim, col == AdapterKilled);
    if (!QTest::currentTestFailed())
        passed = true;
}

void FaultMatrixTest::position_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("fault");
    for (int p = 0; p < positions().size(); ++p)
        for (int f = 0; f < kPositionFaultCount; ++f)
            if (selected(positions()[p].row) && positionApplies(p, f))
                QTest::addRow("%s / %s", qPrintable(positionName(positions()[p])), kPositionFaults[f].name) << p << f;
}

void FaultMatrixTest::position()
{
    if (!QTest::currentDataTag())
        QSKIP("no position of the rows picked");
    QFETCH(int, index);
    QFETCH(int, fault);
    const Position &P = positions()[index];
    const PositionFault &F = kPositionFaults[fault];
    const Row &R = rowNamed(P.row);
    bool passed = false;
    auto record = qScopeGuard([&] { positionResults()[index][fault] = passed ? "pass" : "FAIL"; });

    Simulator healthy;
    Simulator sim;
    Cell c;
    c.viaMenu = true;
    auto restoreBeep = qScopeGuard([] { Messages::setBeepHandler({}); });
    const QByteArray at = F.oldFirmware && !P.atOld.isEmpty() ? P.atOld : P.at;
    prepare(c, R, healthy, sim, faultFor(F.column, at, true, P.cut ? P.cut : 5), F.oldFirmware);
    if (QTest::currentTestFailed())
        return;
    const QByteArray before = c.workBytes();
    const int writeCountBefore = c.session.WriteCount;
    R.act(c);

    const Lines whole = sentBy(R, F.oldFirmware);
    const qsizetype failed = whole.indexOf(at);
    QVERIFY(failed >= 0);
    QCOMPARE(sim.log(), whole.mid(0, failed + 1));
    QStringList messages{kReceiveFailed};
    if (F.column == LineLost)
        messages.prepend(kLineLostMessage);
    QCOMPARE(c.messageTexts(), messages);
    QPointer<QDialog> window = c.form;
    QVERIFY(window && window->isVisible() && window->isEnabled());
    if (R.kind == Kind::Read) {
        QCOMPARE(c.session.ReadFailed, R.readFailedFlag ? 1 : 0);
    } else {
        QCOMPARE(c.session.WriteCount, writeCountBefore + 1);
        QCOMPARE(c.workBytes(), before);
    }
    checkProbes(c, R, whole, failed, window);
    checkAftermath(c, sim, false);
    if (!QTest::currentTestFailed())
        passed = true;
}

// One table of results: a line per row that ran, a column per fault.
void printTable(QTextStream &out, const QStringList &rowNames, const QStringList &columnNames, const Results &results,
                const std::function<bool(int, int)> &applies, int &run, int &passed)
{
    out << "| |";
    for (const QString &c : columnNames)
        out << ' ' << c << " |";
    out << "\n|---|" << QStringLiteral("---|").repeated(columnNames.size()) << '\n';
    for (int r = 0; r < rowNames.size(); ++r) {
        if (!results.contains(r))
            continue;
        out << "| " << rowNames[r] << " |";
        for (int c = 0; c < columnNames.size(); ++c) {
            QString v = results.value(r).value(c);
            if (!applies(r, c))
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
}

void FaultMatrixTest::cleanupTestCase()
{
    QString table;
    QTextStream out(&table);
    int run = 0, passed = 0;
    QStringList rowNames, columnNames, positionNames, positionFaultNames;
    for (const Row &r : rows())
        rowNames << QLatin1String(r.name);
    for (const char *name : kColumnNames)
        columnNames << QLatin1String(name);
    for (const Position &p : positions())
        positionNames << positionName(p);
    for (const PositionFault &f : kPositionFaults)
        positionFaultNames << QLatin1String(f.name);
    printTable(out, rowNames, columnNames, results(),
               [](int r, int c) { return !rows()[r].notApplicable.contains(Column(c)); }, run, passed);
    out << '\n';
    printTable(out, positionNames, positionFaultNames, positionResults(), positionApplies, run, passed);
    out << "\ncells passed: " << passed << " of " << run << " run\n";
    out.flush();
    qDebug().noquote() << '\n' + table;
    QFile file("fault_matrix.txt");
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(table.toUtf8());
}

QTEST_MAIN(FaultMatrixTest)
#include "faultmatrix_test.moc"
