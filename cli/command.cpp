#include "cli/command.h"

#include "link/identify.h"
#include "link/messages.h"
#include "link/store.h"
#include "sim/simulatedadapter.h"
#include "sim/simulatedlink.h"
#include "workfile/workfile.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <unistd.h>

namespace korvanta::cli {

namespace {
std::map<QString, std::unique_ptr<Command>> &registry()
{
    static std::map<QString, std::unique_ptr<Command>> all;
    return all;
}
} // namespace

void registerCommand(std::unique_ptr<Command> command)
{
    const QString name = command->name();
    registry()[name] = std::move(command);
}

std::vector<Command *> commands()
{
    std::vector<Command *> list;
    for (const auto &[name, command] : registry())
        list.push_back(command.get());
    return list;
}

Command *findCommand(const QString &name)
{
    const auto it = registry().find(name);
    return it == registry().end() ? nullptr : it->second.get();
}

int Command::usageError(const QString &why)
{
    std::fprintf(stderr, "korvanta-cli: %s\n", qPrintable(tr("%1 (korvanta-cli --help tells more)").arg(why)));
    return kTrouble;
}

Context::Context(const LineOptions &options, const Timing &timing) : m_options(options), m_timing(timing) {}

Context::~Context()
{
    finish(kDone);
}

Session *Context::connect()
{
    const QString workPath = m_options.workFile.isEmpty() ? WorkFile::defaultPath() : m_options.workFile;
    m_workFile = std::make_unique<WorkFile>(workPath);
    if (!m_workFile->lock()) {
        Messages::inform(m_workFile->inUseMessage());
        m_failure = kTrouble;
        return nullptr;
    }
    QString error;
    if (!m_options.logFile.isEmpty() && !m_log.open(m_options.logFile, &error)) {
        Messages::inform(error);
        m_failure = kTrouble;
        return nullptr;
    }

    const int port = m_options.port ? m_options.port : kFirstComPort;
    LinkFactory factory;
    if (m_options.simulate) {
        m_adapter = sim::builtInAdapter();
        factory = sim::simulatedLinkFactory(*m_adapter);
    } else {
        PortMap map = m_options.ports;
        if (!m_options.device.isEmpty())
            map.set(port, m_options.device);
        factory = serialLinkFactory(map);
    }
    if (!m_options.logFile.isEmpty())
        factory = loggedLinkFactory(factory, m_log);
    m_control = std::make_unique<SerialControl>(factory);

    progress(Command::tr("identifying the adapter on %1").arg(m_control->describe(port)));
    Identity identity;
    const bool identified = connectPort(*m_control, port, m_timing, identity, nullptr);
    progress({});
    if (!identified) {
        m_failure = kFailed;
        return nullptr;
    }
    m_session = std::make_unique<Session>(*m_control->link(), *m_workFile, m_timing);
    m_session->commEvents = m_control->commEvents();
    applyIdentity(*m_session, identity);
    return m_session.get();
}

int Context::finish(int status)
{
    if (m_session && !storeAndClose(*m_session, ExitPause::AfterStore) && status == kDone)
        status = kFailed;
    m_session.reset();
    return status;
}

void Context::print(const QString &line)
{
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

void Context::progress(const QString &step)
{
    static const bool terminal = ::isatty(STDERR_FILENO) == 1;
    if (terminal)
        std::fprintf(stderr, "\r%s\033[K", step.toUtf8().constData());
}

} // namespace korvanta::cli
