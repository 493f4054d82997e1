// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/ports/commandline.h"
#include "link/session/exitsignals.h"
#include "link/ports/ports.h"
#include "link/session/serialcontrol.h"
#include "link/session/session.h"
#include "link/session/store.h"
#include "link/protocol/timing.h"
#include "link/transport/trafficlog.h"

#include <QCommandLineOption>
#include <QCoreApplication>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class QCommandLineParser;
class QJsonDocument;

namespace korvanta {
class WorkFile;
class WorkFilePlace;
namespace sim {
class SimulatedAdapter;
}
} // namespace korvanta

namespace korvanta::cli {

// The exit status of a command.
enum Status {
    kDone = 0,     // done
    kFailed = 1,   // the adapter or the line failed
    kTrouble = 2,  // wrong usage, or a file that cannot be read or written
};

// What a command runs with: the options of the line, the adapter behind them,
// standard output for results and standard error for the rest. One a run.
class Context {
public:
    explicit Context(const LineOptions &options, bool json = false, const Timing &timing = {},
                     bool prefixPort = false);
    ~Context();
    Context(const Context &) = delete;
    Context &operator=(const Context &) = delete;

    // The run's context, while there is one.
    static Context *current();

    const LineOptions &options() const { return m_options; }
    // --json: results as one JSON document.
    bool json() const { return m_json; }

    // Opens the --log, before anything else is touched. False, with the
    // reason said, when it cannot be opened: the run ends with kTrouble.
    bool openLog();

    // The command is about the adapter on the port: every message from now
    // on begins with the port's name (portName()).
    void aboutPort();
    // The device of --port (COM1 when none is named), by its stable
    // /dev/serial/by-id/ name where there is one.
    QString portName() const;
    // The port as its history is kept under: portName(), or the simulated
    // adapter's.
    QString historyPort() const;
    // --prefix-port: every change line of diff and restore begins with the
    // port's name, so that the output of runs in parallel can be told apart.
    bool prefixPort() const { return m_prefixPort; }

    // The work file of a run on a port: the one named (--workfile); for the
    // simulated adapter one of its own, removed at the end; else one for the
    // port alone (workfiles/<port>.ini beside the default "mail.ini"), so
    // that runs on different ports never wait for each other, and two runs on
    // one port are refused as two programs on one work file are.
    QString workFilePath() const;

    // Why standard output cannot take the report, where that can be told
    // before anything is sent: closed, read-only, a device that refuses every
    // write (/dev/full), a pipe nobody reads. Empty when it may be tried.
    static QString unwritableOutput();

    // Locks the work file, opens the port and identifies the adapter. From
    // here until the end SIGINT, SIGTERM and SIGHUP end the run after the
    // exchange under way, with nothing more sent. Null when that failed: a
    // message has said why, and failure() is the status to end with.
    Session *connect();
    int failure() const { return m_failure; }
    Session *session() const { return m_session.get(); }

    // The step under way and what has been done once it is cut short: said
    // when a signal ends the run ("nothing was changed").
    void step(const QString &doing, const QString &doneSoFar);
    // True when a signal (or a log that cannot be written) has asked the run
    // to end; one that is waiting is taken first.
    bool stopping();
    // The same, without looking for a waiting signal.
    bool stopRequested() const { return m_signal != 0 || caughtSignal() != 0 || !m_logFailure.isEmpty(); }
    // Gives the signals back their usual effect, for a wait that no exchange
    // would end (a named pipe that nobody reads yet).
    void releaseSignals();

    // The adapter is about to be changed; done is what will have been done
    // once the command ends as it should ("restored and stored"). From here
    // the run never ends with kTrouble: a report that cannot be written ends
    // it with kFailed, saying what was done.
    void changing(const QString &done);

    // Has the adapter store what it holds ("AT&W0&W1") and closes the line:
    // whether the store was acknowledged, sent and not acknowledged, or not
    // sent; a message says when it was not acknowledged. doneBefore is what
    // was done before the store, said with it when a signal ends the run.
    StoreOutcome store(const QString &doneBefore = {});
    // What became of a store, for people.
    static QString storeText(StoreOutcome outcome);

    // Ends a command's run: the store when anything was written, the line
    // closed, and what cut the run short said. The status to exit with: a
    // store that went unacknowledged turns success into kFailed, a signal
    // gives 128 + its number, a log or standard output that could not be
    // written kTrouble.
    int finish(int status);

    // A result on standard output, as UTF-8, with a line end added.
    void print(const QString &line);
    void write(const QByteArray &bytes);
    void printJson(const QJsonDocument &document);
    // A message on standard error: "korvanta-cli: ", the port's name once the
    // command is about one, and the text, on every line of it.
    void say(const QString &text) const;
    // The step under way, on one line of standard error that each step
    // overwrites; only when standard error is a terminal.
    static void progress(const QString &step);

private:
    void onSignal(int signalNumber);
    int caughtSignal() const { return m_signals ? ExitSignals::caught() : 0; }
    void endRun(); // nothing more goes out on the line

    LineOptions m_options;
    bool m_json = false;
    bool m_prefixPort = false;
    bool m_changed = false;
    QString m_done;
    Timing m_timing;
    int m_failure = kDone;
    bool m_aboutPort = false;
    mutable QString m_portName; // found once
    bool m_finished = false;
    int m_signal = 0;
    QString m_logFailure;    // why the log could not be written
    QString m_outputFailure; // why standard output could not be written
    QString m_doing;
    QString m_doneSoFar;
    std::unique_ptr<ExitSignals> m_signals;
    std::unique_ptr<WorkFilePlace> m_workFilePlace;
    std::unique_ptr<WorkFile> m_workFile;
    TrafficLog m_log;
    std::unique_ptr<sim::SimulatedAdapter> m_adapter;
    std::unique_ptr<SerialControl> m_control;
    std::unique_ptr<Session> m_session;
};

// "stored" of a JSON report: true when the store was acknowledged, false when
// it was not sent, null when it was sent and not acknowledged.
QJsonValue storedJson(StoreOutcome outcome);

// One command of korvanta-cli: `korvanta-cli [options] NAME [ARGUMENTS...]`.
// A command is a class of its own in a file of its own, registered there with
// `const Registration<TheCommand> registered;`.
//
// Its texts are written in English and translated under a Japanese locale:
// Command::tr() in every file of the command line.
class Command {
    Q_DECLARE_TR_FUNCTIONS(korvanta::cli::Command)

public:
    virtual ~Command() = default;

    // The word that runs it, e.g. "identify".
    virtual QString name() const = 0;
    // What it takes after its name, for the usage, e.g. "FILE"; empty: nothing.
    virtual QString synopsis() const { return {}; }
    // One line saying what it does, for the usage.
    virtual QString summary() const = 0;
    // Options of its own, beside those every command takes.
    virtual QList<QCommandLineOption> options() const { return {}; }

    // Runs with the words after its name; its own options are read from parser.
    // Returns the exit status: kDone, kFailed, kTrouble, or usageError().
    virtual int run(Context &context, const QCommandLineParser &parser, const QStringList &arguments) = 0;

protected:
    // Says what is wrong with the command line, on one line with where to
    // read more, and returns kTrouble.
    static int usageError(const QString &why);
};

// Every command, ordered by name.
std::vector<Command *> commands();
Command *findCommand(const QString &name);

void registerCommand(std::unique_ptr<Command> command);

template <typename C>
struct Registration {
    Registration() { registerCommand(std::make_unique<C>()); }
};

} // namespace korvanta::cli
