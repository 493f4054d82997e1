// SPDX-License-Identifier: GPL-3.0-or-later
// utility_bench: the whole utility against the simulator program, korvanta-sim,
// on a pseudo-terminal through the utility's own SerialLink, windows offscreen.
//
//  1. Each settings window's read on opening and one typical registration
//     (one option changed, "登録"), the simulator paced at 19200 bit/s:
//     characters each way, the line's own time, the measured time, the ratio.
//     The line's own time is the slower direction's characters x 10/19200 s.
//     The adapter echoes every character, so its direction (echo + answer)
//     is the slower one; the characters are what the adapter answered to the
//     command lines it logged, replayed on a copy of the adapter's engine.
//  2. The same, simulator unpaced: the utility's own cost per exchange (from
//     the first command written to the last reply read, divided by the
//     exchanges; wall and processor time of this process), and what the
//     window costs besides (building, showing, painting, closing).
//  3. Processor time of this process while one exchange waits out its 10 s
//     deadline (silent adapter, Form2 opening), and of the real korvanta
//     program idle for 10 s with its main window open.
//  4. korvanta --auto-port --exit-after-start: time from starting the program
//     to its main window shown, less the line's time of the identification.
//  5. korvanta --screenshots: peak resident memory of a run that opens every
//     window once.
//  6. korvanta-cli backup and restore against the paced simulator: the whole
//     program's time against the line's own time of every line it sent; its
//     start with nothing to do, and its peak resident memory.
//
//   utility_bench [--runs N] [--only FORM] [--windows-only | --cli-only]
//     --runs N         runs of each figure (default 5)
//     --only FORM      the settings windows part for that window alone
//     --windows-only   the settings windows part alone (for profiling)
//     --cli-only       the korvanta-cli part alone
#include "app/mainwindow.h"
#include "dataport/bapdialog.h"
#include "dataport/dataportdialog.h"
#include "dataport/throughputboddialog.h"
#include "link/session/messages.h"
#include "link/ports/ports.h"
#include "link/transport/seriallink.h"
#include "link/session/session.h"
#include "numberdisplay/numberdisplaydialog.h"
#include "shortdial/shortdialdialog.h"
#include "sim/simulatedadapter.h"
#include "sim/statefile.h"
#include "simulator.h"
#include "telephone/telephonedialog.h"
#include "ui/settingsdialog.h"
#include "ui/style.h"
#include "workfile/workfile.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <map>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace korvanta;
using bench::ConsoleServer;
using bench::Run;
using bench::runProgram;
using bench::ScopedVariable;
using bench::Simulator;

namespace {

constexpr double kCharMs = 10.0 / 19200.0 * 1000.0;

// The way to the adapter: its pseudo-terminal, ser2net by RFC 2217, the
// same within TLS, or OpenSSH's server bridging to it.
enum class Via { Pty, Ser2net, Tls, Ssh };

ConsoleServer::Kind serverFor(Via via)
{
    return via == Via::Tls ? ConsoleServer::Tls : via == Via::Ssh ? ConsoleServer::Ssh : ConsoleServer::Rfc2217;
}

double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// Processor time of another process, all its threads, in ms.
double cpuMsOf(qint64 pid)
{
    double ms = 0;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(tasks.filePath(task + QStringLiteral("/schedstat")));
        if (stat.open(QIODevice::ReadOnly))
            ms += stat.readAll().split(' ').value(0).toDouble() / 1e6;
    }
    return ms;
}

struct Figure {
    std::vector<double> values;
    void add(double v) { values.push_back(v); }
    double at(double q) const
    {
        std::vector<double> v = values;
        std::sort(v.begin(), v.end());
        return v.empty() ? 0 : v[size_t(q * double(v.size() - 1) + 0.5)];
    }
    double min() const { return at(0); }
    double median() const { return at(0.5); }
    double max() const { return at(1); }
    QString text(int decimals) const
    {
        if (values.empty())
            return QStringLiteral("-");
        return QStringLiteral("%1 / %2 / %3")
            .arg(min(), 0, 'f', decimals)
            .arg(median(), 0, 'f', decimals)
            .arg(max(), 0, 'f', decimals);
    }
};

// The adapter as the runs find it: the factory settings and five directory
// entries in use.
QMap<QString, QString> startingState()
{
    sim::SimulatedAdapter factory;
    QMap<QString, QString> state = factory.storedSettings();
    for (int k = 0; k < 5; ++k)
        state[QStringLiteral("&Z%1").arg(k)] = QStringLiteral("03-1234-56%1*%2").arg(k, 2, 10, QLatin1Char('0')).arg(k + 1);
    return state;
}

// A settings window to measure: how to make it, the option a typical
// registration changes, and its "登録" button.
struct Form {
    const char *name;
    std::function<SettingsDialog *(Session &, QWidget *)> make;
    std::function<bool(SettingsDialog &)> change;
    const char *registerButton;
};

// Clicks the first option that is enabled and off, in the page shown.
bool clickFirstOption(SettingsDialog &dialog)
{
    for (QRadioButton *option : dialog.findChildren<QRadioButton *>())
        if (option->isVisible() && option->isEnabled() && !option->isChecked()) {
            option->click();
            return true;
        }
    return false;
}

const std::vector<Form> &forms()
{
    static const std::vector<Form> all{
        {"Form2", [](Session &s, QWidget *o) { return new TelephoneDialog(s, o); }, clickFirstOption, "Command3"},
        {"Form14", [](Session &s, QWidget *o) { return new NumberDisplayDialog(s, 0, o); }, clickFirstOption,
         "Command3"},
        {"Form3", [](Session &s, QWidget *o) { return new DataPortDialog(s, o); }, clickFirstOption, "Command8"},
        {"Form5", [](Session &s, QWidget *o) { return new ThroughputBodDialog(s, o); }, clickFirstOption,
         "Command2"},
        {"Form6", [](Session &s, QWidget *o) { return new BapDialog(s, o); }, clickFirstOption, "Command1"},
        {"Form4", [](Session &s, QWidget *o) { return new ShortDialDialog(s, o); },
         [](SettingsDialog &d) {
             auto *box = d.findChild<QLineEdit *>(QString::fromLatin1(shortdial::kEntryRows[5].numberBox));
             if (!box)
                 return false;
             box->setText(QStringLiteral("0312345678"));
             return true;
         },
         "Command7"},
    };
    return all;
}

struct Exchanges {
    int count = 0;
    qint64 sent = 0;
    qint64 received = 0;
    double lineMs() const { return double(std::max(sent, received)) * kCharMs; }
};

// The command lines korvanta-sim logged, taken as they come, and what the
// adapter answered to them, replayed on a copy of its engine that started
// from the same settings.
class LineLog {
public:
    LineLog(const QString &path, const QMap<QString, QString> &state) : m_file(path)
    {
        m_shadow.setStoredSettings(state);
        m_shadow.powerCycle();
    }
    Exchanges take()
    {
        Exchanges e;
        if (!m_file.isOpen() && !m_file.open(QIODevice::ReadOnly))
            return e;
        while (!m_file.atEnd()) {
            const QByteArray line = m_file.readLine().chopped(1);
            ++e.count;
            e.sent += line.size() + 1;
            e.received += m_shadow.respond(line + '\r').size();
        }
        return e;
    }

private:
    QFile m_file;
    sim::SimulatedAdapter m_shadow;
};

struct Row {
    Exchanges exchanges;
    Figure ms;
    Figure ratio;
    Figure usPerExchange;
    Figure cpuUsPerExchange;
    Figure windowMs;
};

// The utility's own SerialLink, noting when the first command since reset()
// went out and when the last reply came in, in wall and processor time.
class TimedLink : public SerialLink {
public:
    explicit TimedLink(const QString &device) : SerialLink(device) { m_clock.start(); }
    void reset() { m_firstNs = m_lastNs = -1; }
    void output(const QByteArray &text) override
    {
        if (m_firstNs < 0) {
            m_firstNs = m_clock.nsecsElapsed();
            m_firstCpuMs = cpuMs();
        }
        SerialLink::output(text);
    }
    // From the first command to the last reply, ms; 0 when nothing went both ways.
    double spanMs() const { return m_firstNs < 0 || m_lastNs < m_firstNs ? 0 : double(m_lastNs - m_firstNs) / 1e6; }
    double spanCpuMs() const { return m_firstNs < 0 || m_lastNs < m_firstNs ? 0 : m_lastCpuMs - m_firstCpuMs; }

protected:
    QByteArray readBuffered(int max) override
    {
        QByteArray bytes = SerialLink::readBuffered(max);
        if (!bytes.isEmpty()) {
            m_lastNs = m_clock.nsecsElapsed();
            m_lastCpuMs = cpuMs();
        }
        return bytes;
    }

private:
    QElapsedTimer m_clock;
    qint64 m_firstNs = -1;
    qint64 m_lastNs = -1;
    double m_firstCpuMs = 0;
    double m_lastCpuMs = 0;
};

QStringList g_messages;
QString g_only; // --only
constexpr char kBare[] = "15 queries";

void recordMessages()
{
    Messages::setHandler([](const MessageRequest &r) {
        g_messages << r.text;
        return MessageBox::Ok;
    });
}

// The two steps of an opening, as functions of their own so that a profiler
// can collect one of them alone (valgrind --tool=callgrind
// --toggle-collect='*paintWhatIsLeft*').
__attribute__((noinline)) void openAndRead(SettingsDialog *dialog) { dialog->openAndRead(); }
__attribute__((noinline)) void paintWhatIsLeft() { QCoreApplication::processEvents(); }

// One pass over every form on a fresh simulator: opening, then registration.
// Fills rows["Form2 open"] etc.; false when something went wrong.
bool passOverForms(bool paced, std::map<QString, Row> &rows)
{
    QTemporaryDir dir;
    const QMap<QString, QString> state = startingState();
    const QString statePath = dir.filePath(QStringLiteral("adapter.state"));
    const QString logPath = dir.filePath(QStringLiteral("lines.log"));
    sim::writeStateFile(statePath, state);
    QStringList args{QStringLiteral("--state"), statePath, QStringLiteral("--log"), logPath};
    if (paced)
        args << QStringLiteral("--paced");
    Simulator simulator;
    if (!simulator.start(args))
        return false;
    TimedLink link(simulator.device());
    if (!link.open()) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(simulator.device()));
        return false;
    }
    WorkFile work(dir.filePath(QStringLiteral("mail.ini")));
    Session session(link, work);
    session.NewFirmwareFlag = QStringLiteral("1");
    LineLog log(logPath, state);
    // The windows open over the main window, as in the utility, which has
    // loaded the fonts and painted once by then.
    MainWindow main(session);
    main.show();
    QCoreApplication::processEvents();

    // An opening ends with its values painted; a registration when the
    // window has closed.
    auto measure = [&](const QString &key, const std::function<void()> &work) {
        link.reset();
        QElapsedTimer clock;
        clock.start();
        work();
        const double ms = double(clock.nsecsElapsed()) / 1e6;
        QCoreApplication::processEvents();
        QThread::msleep(20); // the last line reaches the log file
        const Exchanges e = log.take();
        Row &row = rows[key];
        row.exchanges = e;
        if (paced) {
            row.ms.add(ms);
            row.ratio.add(ms / e.lineMs());
        } else {
            row.usPerExchange.add(link.spanMs() * 1000 / std::max(1, e.count));
            row.cpuUsPerExchange.add(link.spanCpuMs() * 1000 / std::max(1, e.count));
            row.windowMs.add(ms - link.spanMs());
        }
    };

    bool ok = true;
    for (const Form &form : forms()) {
        if (!g_only.isEmpty() && g_only != QLatin1String(form.name))
            continue;
        g_messages.clear();
        const QString name = QString::fromLatin1(form.name);
        QPointer<SettingsDialog> dialog;
        measure(name + QStringLiteral(" open"), [&] {
            dialog = form.make(session, &main);
            openAndRead(dialog);
            paintWhatIsLeft();
        });
        if (session.ReadFailed != 0 || !g_messages.isEmpty()) {
            std::fprintf(stderr, "%s: read failed %s\n", form.name, qPrintable(g_messages.join(' ')));
            ok = false;
        }
        if (!form.change(*dialog)) {
            std::fprintf(stderr, "%s: nothing to change\n", form.name);
            ok = false;
        }
        auto *button = dialog->findChild<QAbstractButton *>(QString::fromLatin1(form.registerButton));
        measure(name + QStringLiteral(" register"), [&] { button->click(); });
        if (!g_messages.isEmpty()) {
            std::fprintf(stderr, "%s: registration failed %s\n", form.name, qPrintable(g_messages.join(' ')));
            ok = false;
        }
        if (dialog && dialog->isVisible()) {
            std::fprintf(stderr, "%s: still open after registration\n", form.name);
            ok = false;
        }
        delete dialog;
        session.ReadFailed = 0;
    }
    // Form2's reading without any window: the exchanges alone.
    if (g_only.isEmpty())
        measure(QString::fromLatin1(kBare), [&] {
            for (const char *query : {"AT\\S2", "AT$I11?", "AT$W1?", "AT\\S3", "AT$I12?", "AT$W2?", "AT\\S4",
                                      "AT$I13?", "AT$W3?", "AT@I?", "AT$I20?", "AT$I14?", "AT$I15?", "AT$I29?",
                                      "AT$V?"})
                ok = session.query(query).has_value() && ok;
        });
    link.close();
    return ok;
}

// Opens Form2 against a silent adapter: its first query waits out the
// settings-dialog deadline (10 s). Processor time of this process meanwhile,
// as a percentage of the time waited.
double timedOutExchange(bool network = false)
{
    QTemporaryDir dir;
    Simulator simulator;
    ConsoleServer server;
    if (!simulator.start({QStringLiteral("--silent")}) || (network && !server.start(simulator.device())))
        return -1;
    const std::unique_ptr<Link> link = network ? linkTo(*parseAddress(server.address()))
                                               : linkTo(PortAddress::device(simulator.device()));
    if (!link->open())
        return -1;
    WorkFile work(dir.filePath(QStringLiteral("mail.ini")));
    Session session(*link, work);
    session.NewFirmwareFlag = QStringLiteral("1");
    QWidget opener;
    auto *dialog = new TelephoneDialog(session, &opener);
    const double cpu0 = cpuMs();
    QElapsedTimer clock;
    clock.start();
    dialog->openAndRead();
    const double cpu = cpuMs() - cpu0;
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    delete dialog;
    std::printf("  timed-out exchange%s: waited %.0f ms, processor %.1f ms\n", network ? " through ser2net" : "", ms,
                cpu);
    return 100.0 * cpu / ms;
}

// How long opening the line takes: a pseudo-terminal, or the same behind
// ser2net by RFC 2217 (connection, negotiation, the line set and
// acknowledged), within TLS too (the handshake besides), or through SSH
// (the handshake, the host key checked, the login, the shell), in ms.
double openingMs(Via via)
{
    Simulator simulator;
    ConsoleServer server;
    if (!simulator.start({}) || (via != Via::Pty && !server.start(simulator.device(), serverFor(via))))
        return -1;
    const ScopedVariable home("HOME", QFile::encodeName(server.home()));
    PortAddress address = via == Via::Pty ? PortAddress::device(simulator.device()) : *parseAddress(server.address());
    address.settings.fingerprint = server.fingerprint();
    address.settings.keyFile = server.keyFile();
    const std::unique_ptr<Link> link = linkTo(address);
    QElapsedTimer clock;
    clock.start();
    if (!link->open())
        return -1;
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    link->close();
    return ms;
}

// The real program with its main window open, doing nothing, for 10 s: its
// processor time as a percentage of that.
struct IdleProgram {
    Simulator simulator;
    QTemporaryDir dir;
    QProcess program;
    double cpu0 = 0;
    QElapsedTimer clock;

    bool start()
    {
        if (!simulator.start({}))
            return false;
        program.start(bench::builtProgram(QStringLiteral("korvanta")),
                      {QStringLiteral("--auto-port"), QStringLiteral("1"), QStringLiteral("--port"),
                       QStringLiteral("COM1=") + simulator.device(), QStringLiteral("--workfile"),
                       dir.filePath(QStringLiteral("mail.ini"))});
        // "COM1: model, firmware" once identified; then the main window shows.
        if (!program.waitForReadyRead(10000))
            return false;
        QThread::msleep(1000);
        cpu0 = cpuMsOf(program.processId());
        clock.start();
        return true;
    }
    double percent() { return 100.0 * (cpuMsOf(program.processId()) - cpu0) / double(clock.elapsed()); }
    ~IdleProgram()
    {
        program.kill();
        program.waitForFinished(5000);
    }
};

// Time from starting korvanta to its main window shown, less the line's own
// time of the identification exchanges, in ms.
double startToMainWindow(double identificationLineMs, double *reported)
{
    QTemporaryDir dir;
    Simulator simulator;
    if (!simulator.start({QStringLiteral("--paced")}))
        return -1;
    QProcess program;
    QElapsedTimer clock;
    clock.start();
    program.start(bench::builtProgram(QStringLiteral("korvanta")),
                  {QStringLiteral("--auto-port"), QStringLiteral("1"), QStringLiteral("--port"),
                   QStringLiteral("COM1=") + simulator.device(), QStringLiteral("--workfile"),
                   dir.filePath(QStringLiteral("mail.ini")), QStringLiteral("--exit-after-start")});
    double ms = -1;
    while (program.waitForReadyRead(10000)) {
        while (program.canReadLine()) {
            const QByteArray line = program.readLine();
            if (line.startsWith("main window shown after")) {
                ms = double(clock.nsecsElapsed()) / 1e6;
                *reported = line.mid(24).split(' ').value(0).toDouble();
            }
        }
        if (ms >= 0)
            break;
    }
    program.waitForFinished(10000);
    return ms < 0 ? -1 : ms - identificationLineMs;
}

// Peak resident memory of korvanta --screenshots, which opens every window
// once, in MB.
double peakMemoryOfTour()
{
    QTemporaryDir dir;
    Run run;
    return runProgram(QStringLiteral("korvanta"),
                      {QStringLiteral("--screenshots"), dir.filePath(QStringLiteral("pictures")), QStringLiteral("--workfile"),
                       dir.filePath(QStringLiteral("mail.ini"))},
                      run)
               ? run.mb
               : -1;
}

// korvanta-cli backup and restore against korvanta-sim --paced: the run of
// the whole program against the line's own time of every line it sent
// (identification, reading, writing, reading back, store), and its memory.
struct ProfileRows {
    Exchanges backupLine, restoreLine, getLine, setLine;
    Figure backupMs, backupRatio, restoreMs, restoreRatio, getMs, getRatio, setMs, setRatio, memory;
    // The backup's wait for its first answer, from korvanta-cli's own log: on
    // a console server, beyond the line's time, the server's start of the port.
    Figure firstAnswerMs;
};

// From korvanta-cli's log (--log): the time from its first command to the
// first answer, in ms; -1 when there is none.
double firstAnswerMs(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> lines = file.readAll().split('\n');
    const auto when = [](const QByteArray &line) {
        return QDateTime::fromString(QString::fromLatin1(line.left(23)), QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    };
    if (lines.size() < 2 || !lines[0].contains("] send ") || !lines[1].contains("] recv "))
        return -1;
    return double(when(lines[0]).msecsTo(when(lines[1])));
}

// korvanta-cli COMMAND... against korvanta-sim --paced started from state:
// the run, and the line's own time of what it sent.
bool cliAgainst(const QMap<QString, QString> &state, const QStringList &command, const QDir &dir, Run &run,
                Exchanges &line, Via via, double *firstAnswer = nullptr)
{
    const QString name = command.value(0);
    const QString statePath = dir.filePath(name + QStringLiteral(".state"));
    const QString logPath = dir.filePath(name + QStringLiteral(".log"));
    sim::writeStateFile(statePath, state);
    Simulator simulator;
    ConsoleServer server; // through it, the adapter hears nothing until the line is set
    if (!simulator.start({QStringLiteral("--state"), statePath, QStringLiteral("--log"), logPath, QStringLiteral("--paced"),
                          QStringLiteral("--expect-line"), QStringLiteral("19200,8N1")})
        || (via != Via::Pty && !server.start(simulator.device(), serverFor(via))))
        return false;
    // Within TLS and SSH by the name of a ports.conf that pins the server's
    // certificate or names the key.
    const ScopedVariable config("XDG_CONFIG_HOME", QFile::encodeName(server.configHome()));
    const ScopedVariable home("HOME", QFile::encodeName(server.home()));
    const QString port = via == Via::Tls || via == Via::Ssh ? QStringLiteral("bench")
                         : via == Via::Ser2net              ? server.address()
                                                            : simulator.device();
    const QString cliLog = dir.filePath(name + QStringLiteral(".cli.log"));
    QFile::remove(cliLog);
    QStringList options{QStringLiteral("--port"), port, QStringLiteral("--workfile"), dir.filePath(name + QStringLiteral(".ini"))};
    if (firstAnswer)
        options << QStringLiteral("--log") << cliLog;
    if (!runProgram(QStringLiteral("korvanta-cli"), options + command, run))
        return false;
    line = LineLog(logPath, state).take();
    if (firstAnswer)
        *firstAnswer = firstAnswerMs(cliLog);
    return !firstAnswer || *firstAnswer >= 0;
}

bool profileRun(ProfileRows &rows, Via via)
{
    QTemporaryDir dir;
    const QString profile = dir.filePath(QStringLiteral("profile.ini"));
    Run backup, restore;
    double firstAnswer = 0;
    // The restore's own backup of the adapter goes to the scratch folder.
    const ScopedVariable dataHome("XDG_DATA_HOME", QFile::encodeName(dir.path()));
    // The adapter the windows are measured on, restored onto one as shipped.
    if (!cliAgainst(startingState(), {QStringLiteral("backup"), profile}, QDir(dir.path()), backup, rows.backupLine,
                    via, &firstAnswer)
        || !cliAgainst(sim::SimulatedAdapter().storedSettings(), {QStringLiteral("restore"), profile},
                       QDir(dir.path()), restore, rows.restoreLine, via))
        return false;
    rows.backupMs.add(backup.ms);
    rows.backupRatio.add(backup.ms / rows.backupLine.lineMs());
    rows.firstAnswerMs.add(firstAnswer);
    rows.restoreMs.add(restore.ms);
    rows.restoreRatio.add(restore.ms / rows.restoreLine.lineMs());
    rows.memory.add(std::max(backup.mb, restore.mb));
    // One setting read, and one changed: only what holds it is read.
    Run get, set;
    if (!cliAgainst(startingState(), {QStringLiteral("get"), QStringLiteral("TEL1.HASHIN")}, QDir(dir.path()), get,
                    rows.getLine, via)
        || !cliAgainst(startingState(), {QStringLiteral("set"), QStringLiteral("TEL1.HASHIN=9")}, QDir(dir.path()), set,
                       rows.setLine, via))
        return false;
    rows.getMs.add(get.ms);
    rows.getRatio.add(get.ms / rows.getLine.lineMs());
    rows.setMs.add(set.ms);
    rows.setRatio.add(set.ms / rows.setLine.lineMs());
    return true;
}

// korvanta-cli from start to end with nothing to do on the line.
double cliStartMs()
{
    Run run;
    return runProgram(QStringLiteral("korvanta-cli"), {QStringLiteral("--version")}, run) ? run.ms : -1;
}

// Identification: "ATE1V1", "ATI", "AT%I2" on the line.
double identificationLineMs()
{
    sim::SimulatedAdapter adapter;
    qint64 received = 0;
    for (const char *line : {"ATE1V1", "ATI", "AT%I2"})
        received += adapter.respond(QByteArray(line) + '\r').size();
    return double(received) * kCharMs;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    applyStyle(); // the utility's own look, as korvanta applies it
    int runs = 5;
    const QStringList args = QCoreApplication::arguments();
    if (const qsizetype at = args.indexOf(QStringLiteral("--runs")); at > 0 && at + 1 < args.size())
        runs = std::max(1, args[at + 1].toInt());
    if (const qsizetype at = args.indexOf(QStringLiteral("--only")); at > 0 && at + 1 < args.size())
        g_only = args[at + 1];
    const bool windowsOnly = args.contains(QStringLiteral("--windows-only"));
    const bool cliOnly = args.contains(QStringLiteral("--cli-only"));
    recordMessages();
    bool ok = true;

    std::map<QString, Row> paced, unpaced;
    for (int run = 0; run < (cliOnly ? 0 : runs); ++run) {
        ok = passOverForms(true, paced) && ok;
        ok = passOverForms(false, unpaced) && ok;
        std::fprintf(stderr, "settings windows: run %d of %d\n", run + 1, runs);
    }

    // The idle programs run while this process waits out its time-outs.
    Figure exchangeCpu, idleCpu;
    for (int run = 0; run < (windowsOnly || cliOnly ? 0 : std::max(3, runs / 2)); ++run) {
        IdleProgram idle;
        const bool idleStarted = idle.start();
        ok = idleStarted && ok;
        exchangeCpu.add(timedOutExchange());
        if (idleStarted)
            idleCpu.add(idle.percent());
        std::fprintf(stderr, "waiting: run %d\n", run + 1);
    }

    const double idMs = identificationLineMs();
    Figure start, reported, memory;
    for (int run = 0; run < (windowsOnly || cliOnly ? 0 : runs); ++run) {
        double own = 0;
        const double ms = startToMainWindow(idMs, &own);
        ok = ms >= 0 && ok;
        if (ms >= 0) {
            start.add(ms);
            reported.add(own - idMs);
        }
        const double mb = peakMemoryOfTour();
        ok = mb >= 0 && ok;
        if (mb >= 0)
            memory.add(mb);
    }

    ProfileRows profiles, networkProfiles, tlsProfiles, sshProfiles;
    Figure cliStart, networkCpu, openPty, openNetwork, openTls, openSsh;
    for (int run = 0; run < (windowsOnly ? 0 : runs); ++run) {
        ok = profileRun(profiles, Via::Pty) && ok;
        ok = profileRun(networkProfiles, Via::Ser2net) && ok;
        ok = profileRun(tlsProfiles, Via::Tls) && ok;
        ok = profileRun(sshProfiles, Via::Ssh) && ok;
        const double pty = openingMs(Via::Pty), network = openingMs(Via::Ser2net), tls = openingMs(Via::Tls),
                     ssh = openingMs(Via::Ssh);
        ok = pty >= 0 && network >= 0 && tls >= 0 && ssh >= 0 && ok;
        openPty.add(pty);
        openNetwork.add(network);
        openTls.add(tls);
        openSsh.add(ssh);
        if (run < std::max(3, runs / 2))
            networkCpu.add(timedOutExchange(true));
        const double ms = cliStartMs();
        ok = ms >= 0 && ok;
        if (ms >= 0)
            cliStart.add(ms);
        std::fprintf(stderr, "profiles: run %d\n", run + 1);
    }

    std::printf("\nSettings windows over a pty, korvanta-sim --paced (19200 bit/s); %d runs, min / median / max\n",
                runs);
    std::printf("%-15s %5s %6s %6s %8s  %-26s %-20s  %-17s %-14s %-20s\n", "", "exch", "sent", "recv", "line ms",
                "measured ms", "ratio", "own us/exch", "cpu us/exch", "window ms");
    Figure allRatios, allUs;
    QStringList keys;
    for (const Form &form : forms())
        for (const char *what : {" open", " register"})
            keys << QString::fromLatin1(form.name) + QLatin1String(what);
    keys << QString::fromLatin1(kBare);
    for (const QString &key : keys) {
        if (!paced.count(key))
            continue;
        const Row &p = paced[key];
        const Row &u = unpaced[key];
        std::printf("%-15s %5d %6lld %6lld %8.1f  %-26s %-20s  %-17s %-14s %-20s\n", qPrintable(key),
                    p.exchanges.count, p.exchanges.sent, p.exchanges.received, p.exchanges.lineMs(),
                    qPrintable(p.ms.text(1)), qPrintable(p.ratio.text(3)), qPrintable(u.usPerExchange.text(0)),
                    qPrintable(u.cpuUsPerExchange.text(0)), qPrintable(u.windowMs.text(1)));
        allRatios.add(p.ratio.median());
        allUs.add(u.usPerExchange.median());
    }
    std::printf("\nProcessor, %% of a core (min / median / max)\n");
    std::printf("  one exchange timing out after 10 s (Form2 opening, silent adapter): %s\n",
                qPrintable(exchangeCpu.text(3)));
    std::printf("  korvanta idle 10 s, main window open:                                %s\n",
                qPrintable(idleCpu.text(3)));
    std::printf("\nkorvanta --auto-port 1 --exit-after-start, simulator paced (identification on the line %.1f ms)\n",
                idMs);
    std::printf("  start to main window, less the identification's line time, ms:   %s\n", qPrintable(start.text(0)));
    std::printf("  the same, by the program's own clock (from main()), ms:          %s\n",
                qPrintable(reported.text(0)));
    std::printf("\nkorvanta --screenshots (every window opened once): peak resident memory, MB: %s\n",
                qPrintable(memory.text(1)));
    if (!windowsOnly) {
        std::printf("\nkorvanta-cli against korvanta-sim --paced, the whole program; %d runs, min / median / max\n", runs);
        std::printf("%-15s %5s %6s %6s %8s  %-26s %-20s\n", "", "exch", "sent", "recv", "line ms", "measured ms",
                    "ratio");
        const auto row = [](const char *name, const Exchanges &e, const Figure &ms, const Figure &ratio) {
            std::printf("%-15s %5d %6lld %6lld %8.1f  %-26s %-20s\n", name, e.count, e.sent, e.received, e.lineMs(),
                        qPrintable(ms.text(1)), qPrintable(ratio.text(3)));
        };
        row("backup", profiles.backupLine, profiles.backupMs, profiles.backupRatio);
        row("restore", profiles.restoreLine, profiles.restoreMs, profiles.restoreRatio);
        row("get one", profiles.getLine, profiles.getMs, profiles.getRatio);
        row("set one", profiles.setLine, profiles.setMs, profiles.setRatio);
        row("backup rfc2217", networkProfiles.backupLine, networkProfiles.backupMs, networkProfiles.backupRatio);
        row("restore rfc2217", networkProfiles.restoreLine, networkProfiles.restoreMs, networkProfiles.restoreRatio);
        row("get one rfc2217", networkProfiles.getLine, networkProfiles.getMs, networkProfiles.getRatio);
        row("set one rfc2217", networkProfiles.setLine, networkProfiles.setMs, networkProfiles.setRatio);
        row("backup tls", tlsProfiles.backupLine, tlsProfiles.backupMs, tlsProfiles.backupRatio);
        row("restore tls", tlsProfiles.restoreLine, tlsProfiles.restoreMs, tlsProfiles.restoreRatio);
        row("backup ssh", sshProfiles.backupLine, sshProfiles.backupMs, sshProfiles.backupRatio);
        row("restore ssh", sshProfiles.restoreLine, sshProfiles.restoreMs, sshProfiles.restoreRatio);
        std::printf("  (rfc2217: through ser2net on 127.0.0.1, the device at 9600n81 until the program sets it;\n"
                    "  tls: the same within TLS, a self-signed P-256 certificate pinned in ports.conf;\n"
                    "  ssh: OpenSSH's sshd on 127.0.0.1, an ed25519 key, its forced command socat to the device)\n");
        std::printf("  opening the line, ms: pty %s; rfc2217 through ser2net %s; within TLS %s; through SSH %s\n",
                    qPrintable(openPty.text(2)), qPrintable(openNetwork.text(2)), qPrintable(openTls.text(2)),
                    qPrintable(openSsh.text(2)));
        std::printf("  the backup's first answer, ms: pty %s; through SSH %s (sshd starting the forced command)\n",
                    qPrintable(profiles.firstAnswerMs.text(1)), qPrintable(sshProfiles.firstAnswerMs.text(1)));
        std::printf("  one exchange timing out after 10 s through ser2net, processor %% of a core: %s\n",
                    qPrintable(networkCpu.text(3)));
        std::printf("  korvanta-cli --version, start to end, ms: %s\n", qPrintable(cliStart.text(1)));
        std::printf("  korvanta-cli backup / restore, peak resident memory, MB: %s\n", qPrintable(profiles.memory.text(1)));
        std::printf("  Targets: backup ratio <= 1.05 (median %.3f), restore ratio <= 1.10 (median %.3f), start < 50 ms\n"
                    "  (median %.1f), memory < 20 MB (max %.1f); one setting (TEL1.HASHIN) got <= 1.15 (median %.3f),\n"
                    "  set <= 1.15 (median %.3f)\n",
                    profiles.backupRatio.median(), profiles.restoreRatio.median(), cliStart.median(), profiles.memory.max(),
                    profiles.getRatio.median(), profiles.setRatio.median());
        std::printf("  Targets through ser2net: backup ratio <= 1.05 (median %.3f), restore ratio <= 1.10 (median %.3f),\n"
                    "  opening adds < 50 ms (median %.1f), processor <= 1%% while waiting (median %.3f)\n",
                    networkProfiles.backupRatio.median(), networkProfiles.restoreRatio.median(),
                    openNetwork.median() - openPty.median(), networkCpu.median());
        std::printf("  Targets within TLS and through SSH: backup <= 1.05 x the line's time plus the handshake (tls\n"
                    "  median %.3f less its opening, ssh median %.3f less its opening and the server's start of\n"
                    "  the command); handshake tls <= 150 ms (median %.1f), ssh <= 400 ms (median %.1f)\n",
                    (tlsProfiles.backupMs.median() - openTls.median()) / tlsProfiles.backupLine.lineMs(),
                    (sshProfiles.backupMs.median() - openSsh.median()
                     - (sshProfiles.firstAnswerMs.median() - profiles.firstAnswerMs.median()))
                        / sshProfiles.backupLine.lineMs(),
                    openTls.median() - openPty.median(), openSsh.median() - openPty.median());
    }
    std::printf("\nTargets: ratio <= 1.10 (worst median %.3f); own cost < 1000 us an exchange (worst median %.0f);\n"
                "processor <= 1%% (medians %.3f, %.3f); start < 500 ms (median %.0f); memory < 80 MB (max %.1f)\n",
                allRatios.max(), allUs.max(), exchangeCpu.median(), idleCpu.median(), start.median(),
                memory.max());
    return ok ? 0 : 1;
}
