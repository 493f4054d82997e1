#pragma once

#include "link/commandline.h"
#include "link/ports.h"
#include "link/session.h"
#include "link/timing.h"
#include "link/trafficlog.h"

#include <QCommandLineOption>
#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class QCommandLineParser;

namespace korvanta {
class WorkFile;
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
// standard output for results and standard error for the rest.
class Context {
public:
    explicit Context(const LineOptions &options, const Timing &timing = {});
    ~Context();
    Context(const Context &) = delete;
    Context &operator=(const Context &) = delete;

    const LineOptions &options() const { return m_options; }

    // Locks the work file, opens the port (--port, COM1 when none is named)
    // and identifies the adapter. Null when that failed: a message has said
    // why, and failure() is the status to end with.
    Session *connect();
    int failure() const { return m_failure; }

    // Ends a command's run: has the adapter store what was written
    // ("AT&W0&W1") and closes the line. The status to exit with: a store
    // that went unacknowledged turns success into kFailed.
    int finish(int status);

    // A result on standard output, as UTF-8, with a line end added.
    static void print(const QString &line);
    // The step under way, on one line of standard error that each step
    // overwrites; only when standard error is a terminal.
    static void progress(const QString &step);

private:
    LineOptions m_options;
    Timing m_timing;
    int m_failure = kDone;
    std::unique_ptr<WorkFile> m_workFile;
    TrafficLog m_log;
    std::unique_ptr<sim::SimulatedAdapter> m_adapter;
    std::unique_ptr<SerialControl> m_control;
    std::unique_ptr<Session> m_session;
};

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
    // Says what is wrong with the command line and returns kTrouble.
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
