// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/command.h"

#include "link/session/identify.h"
#include "link/transport/link.h"
#include "link/session/messages.h"
#include "link/session/store.h"
#include "profile/destination.h"
#include "sim/simulatedadapter.h"
#include "sim/simulatedlink.h"
#include "workfile/settingvalues.h"
#include "workfile/workfile.h"
#include "link/session/serialcontrol.h"
#include "link/transport/secrets.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <poll.h>
#include <termios.h>
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
    std::fprintf(stderr, "korvanta-cli: %s\n%s\n", why.toUtf8().constData(),
                 tr("Try 'korvanta-cli --help'.").toUtf8().constData());
    return kTrouble;
}

namespace {
Context *g_current = nullptr;

// A control character that came from a file or a reply shown as \xHH, so
// that a message is always whole lines of text.
QString printable(const QString &line)
{
    QString out;
    out.reserve(line.size());
    for (const QChar c : line) {
        if (isControlCharacter(c.unicode()) && c != u'\t')
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

QString signalName(int signalNumber)
{
    switch (signalNumber) {
    case SIGINT:
        return QStringLiteral("SIGINT");
    case SIGTERM:
        return QStringLiteral("SIGTERM");
    case SIGHUP:
        return QStringLiteral("SIGHUP");
    default:
        return QStringLiteral("signal %1").arg(signalNumber);
    }
}

// A passphrase or password typed on the terminal, not shown: Enter ends it,
// Ctrl-C or Ctrl-D (or an empty answer) declines, and so does a signal that
// tells the run to end.
std::optional<QByteArray> askOnTerminal(const SecretRequest &request)
{
    const int tty = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios usual{};
    if (tty < 0 || ::tcgetattr(tty, &usual) != 0) {
        if (tty >= 0)
            ::close(tty);
        return std::nullopt;
    }
    termios quiet = usual;
    quiet.c_lflag &= ~tcflag_t(ECHO | ICANON | ISIG);
    quiet.c_cc[VMIN] = 1;
    quiet.c_cc[VTIME] = 0;
    ::tcsetattr(tty, TCSAFLUSH, &quiet); // before the question: nothing typed after it is lost
    // On a line of its own: the progress line it may follow is cleared.
    const QByteArray question = "\r\033[K" + request.text().toLocal8Bit() + ' ';
    [[maybe_unused]] const ssize_t shown = ::write(tty, question.constData(), size_t(question.size()));
    QByteArray answer;
    answer.reserve(1024); // never grows: no copy of it is left behind
    bool typed = false;
    // The signals that end a run wait while it is seen whether one came, and
    // come only inside ppoll(), which returns at once: none is missed between.
    sigset_t ending, others;
    sigemptyset(&ending);
    for (int s : {SIGTERM, SIGINT, SIGHUP})
        sigaddset(&ending, s);
    ::pthread_sigmask(SIG_BLOCK, &ending, &others);
    pollfd typing{tty, POLLIN, 0};
    const auto nextKey = [&typing, &others](char *c) {
        for (;;) {
            if (ExitSignals::caught())
                return false;
            if (::ppoll(&typing, 1, nullptr, &others) == 1)
                return ::read(typing.fd, c, 1) == 1;
            if (errno != EINTR)
                return false;
        }
    };
    for (char c = 0; answer.size() < 1023 && nextKey(&c);) {
        if (c == '\n' || c == '\r' || c == 3 || c == 4) {
            typed = c == '\n' || c == '\r';
            break;
        }
        if (c != 0x7f && c != '\b') {
            answer.append(c);
        } else if (!answer.isEmpty()) { // erased: overwritten as well
            answer.back() = 0;
            answer.chop(1);
        }
    }
    ::pthread_sigmask(SIG_SETMASK, &others, nullptr);
    ::tcsetattr(tty, TCSAFLUSH, &usual);
    [[maybe_unused]] const ssize_t ended = ::write(tty, "\n", 1);
    ::close(tty);
    if (typed && !answer.isEmpty())
        return answer;
    wipe(answer);
    return std::nullopt;
}
} // namespace

Context::Context(const LineOptions &options, bool json, const Timing &timing, bool prefixPort)
    : m_options(options), m_json(json), m_prefixPort(prefixPort), m_timing(timing), m_doing(Command::tr("starting")),
      m_doneSoFar(Command::tr("nothing was sent"))
{
    g_current = this;
}

Context::~Context()
{
    finish(kDone);
    g_current = nullptr;
}

Context *Context::current()
{
    return g_current;
}

bool Context::openLog()
{
    if (m_options.logFile.isEmpty())
        return true;
    QString error;
    if (!m_log.open(m_options.logFile, &error)) {
        say(Command::tr("the log cannot be opened: ") + error);
        return false;
    }
    // A line the log could not keep ends the run: nothing more goes out
    // unrecorded.
    m_log.onWriteFailure([this](const QString &why) {
        m_logFailure = why;
        endRun();
    });
    return true;
}

void Context::aboutPort()
{
    m_aboutPort = true;
}

QString Context::portName() const
{
    if (!m_portName.isEmpty())
        return m_portName;
    const int port = m_options.port ? m_options.port : kFirstComPort;
    const PortAddress address = chosenPort(m_options);
    m_portName = m_options.simulate ? QStringLiteral("COM%1 (simulated adapter)").arg(port) : korvanta::portName(address);
    return m_portName;
}

QString Context::historyPort() const
{
    return m_options.simulate ? sim::simulatedPortName() : portName();
}

QString Context::workFilePath() const
{
    const PortAddress address = chosenPort(m_options);
    const QString device = address.byLabel() ? address.label() : address.path;
    const QDir folder = QFileInfo(WorkFile::defaultPath()).dir();
    return folder.filePath(QStringLiteral("workfiles/%1.ini").arg(profile::portFileName(device)));
}

Session *Context::connect()
{
    aboutPort();
    const bool ownFolder = m_options.workFile.isEmpty() && !m_options.simulate;
    m_workFilePlace = std::make_unique<WorkFilePlace>(m_options.workFile, m_options.simulate,
                                                      ownFolder ? workFilePath() : QString());
    const QString workPath = m_workFilePlace->path();
    if (ownFolder)
        QDir().mkpath(QFileInfo(workPath).absolutePath());
    if (const QString why = WorkFile::unwritableReason(workPath); !why.isEmpty()) {
        say(Command::tr("the work file cannot be written: %1").arg(why));
        m_failure = kTrouble;
        return nullptr;
    }
    m_workFile = std::make_unique<WorkFile>(workPath);
    if (!m_workFile->lock()) {
        Messages::inform(m_workFile->inUseMessage());
        m_failure = kTrouble;
        return nullptr;
    }

    const int port = m_options.port ? m_options.port : kFirstComPort;
    // A key's passphrase or a password is asked only of someone at a terminal.
    if (::isatty(STDIN_FILENO) == 1 && ::isatty(STDERR_FILENO) == 1)
        setSecretAsker(askOnTerminal);
    LinkFactory factory;
    if (m_options.simulate) {
        m_adapter = sim::builtInAdapter();
        factory = sim::simulatedLinkFactory(*m_adapter);
    } else {
        PortMap map = m_options.ports;
        if (m_options.device)
            map.set(port, *m_options.device);
        factory = serialLinkFactory(map);
    }
    if (!m_options.logFile.isEmpty())
        factory = loggedLinkFactory(factory, m_log);
    // Once the run is told to end, no command goes out.
    factory.create = [create = std::move(factory.create), this](int port) {
        std::unique_ptr<Link> link = create ? create(port) : nullptr;
        if (link)
            link->stopWhen([this] { return stopRequested(); });
        return link;
    };
    m_control = std::make_unique<SerialControl>(factory);

    m_signals = std::make_unique<ExitSignals>();
    QObject::connect(m_signals.get(), &ExitSignals::received, m_signals.get(), [this](int s) { onSignal(s); });
    step(Command::tr("identifying the adapter"), Command::tr("nothing was changed"));
    progress(Command::tr("identifying the adapter on %1").arg(m_control->describe(port)));
    Identity identity;
    const bool identified = connectPort(*m_control, port, m_timing, identity, nullptr);
    progress({});
    if (!identified) {
        m_failure = kFailed;
        return nullptr;
    }
    m_session = std::make_unique<Session>(*m_control->link(), *m_workFile, m_control->timingOf(port, m_timing));
    m_session->commEvents = m_control->commEvents();
    m_session->portName = historyPort();
    applyIdentity(*m_session, identity);
    return m_session.get();
}

void Context::step(const QString &doing, const QString &doneSoFar)
{
    m_doing = doing;
    m_doneSoFar = doneSoFar;
    progress(doing);
}

void Context::onSignal(int signalNumber)
{
    if (!m_signal)
        m_signal = signalNumber;
    endRun();
}

void Context::endRun()
{
    // The exchange under way ends at once: a closed line answers nothing.
    if (m_control)
        m_control->close();
}

bool Context::stopping()
{
    if (m_signals) // a signal that came between two exchanges waits in the event queue
        QCoreApplication::processEvents();
    return stopRequested();
}

void Context::releaseSignals()
{
    m_signals.reset();
}

void Context::changing(const QString &done)
{
    m_changed = true;
    m_done = done;
}

QString Context::unwritableOutput()
{
    const auto because = [](int error) {
        return QString::fromLocal8Bit(std::strerror(error));
    };
    const int flags = ::fcntl(STDOUT_FILENO, F_GETFL);
    if (flags < 0)
        return because(errno);
    if ((flags & O_ACCMODE) == O_RDONLY)
        return because(EBADF);
    // A write of nothing reaches a device's own refusal (/dev/full), and a
    // pipe whose reader has gone says so when polled.
    if (::write(STDOUT_FILENO, "", 0) < 0)
        return because(errno);
    pollfd out{STDOUT_FILENO, POLLOUT, 0};
    if (::poll(&out, 1, 0) == 1 && (out.revents & POLLERR))
        return because(EPIPE);
    return {};
}

StoreOutcome Context::store(const QString &doneBefore)
{
    if (!m_session || stopping())
        return StoreOutcome::NotSent;
    if (!m_changed)
        changing(Command::tr("stored"));
    const QString before = doneBefore.isEmpty() ? QString() : doneBefore + QStringLiteral("; ");
    step(Command::tr("storing the settings"), before + storeText(StoreOutcome::Unanswered));
    ++m_session->WriteCount;
    const StoreOutcome stored = storeAndClose(*m_session, ExitPause::AfterStore);
    if (stored != StoreOutcome::Acknowledged && !stopRequested())
        say(storeText(stored));
    return stored;
}

QString Context::storeText(StoreOutcome outcome)
{
    switch (outcome) {
    case StoreOutcome::Acknowledged:
        return Command::tr("the adapter acknowledged the store (\"AT&W0&W1\")");
    case StoreOutcome::Unanswered:
        return Command::tr("the store (\"AT&W0&W1\") was sent and not acknowledged: the adapter may or may not "
                           "keep the changes; run the same command again");
    case StoreOutcome::NotSent:
        break;
    }
    return Command::tr("the store (\"AT&W0&W1\") was not sent: nothing was stored");
}

QJsonValue storedJson(StoreOutcome outcome)
{
    return outcome == StoreOutcome::Unanswered ? QJsonValue() : QJsonValue(outcome == StoreOutcome::Acknowledged);
}

int Context::finish(int status)
{
    if (m_finished)
        return status;
    m_finished = true;
    progress({});
    if (stopping()) {
        if (m_control)
            m_control->close(); // nothing more is sent, the store neither
        const int signal = m_signal ? m_signal : caughtSignal();
        const QString what = signal ? Command::tr("stopped by %1").arg(signalName(signal))
                                    : Command::tr("stopped as the log cannot be written (%1)").arg(m_logFailure);
        say(Command::tr("%1 while %2: %3; running the same command again completes it")
                .arg(what, m_doing, m_doneSoFar));
        // Status 2 only while nothing was sent.
        status = signal ? 128 + signal : m_changed ? int(kFailed) : int(kTrouble);
    } else if (m_session) {
        // What was written and not stored yet is stored now; a line that
        // has closed meanwhile stores nothing, which is a failure.
        const bool owed = m_session->WriteCount != 0 && m_session->link.isOpen();
        if (storeAndClose(*m_session, ExitPause::AfterStore) != StoreOutcome::Acknowledged && owed && status == kDone)
            status = kFailed;
    }
    m_session.reset();
    m_signals.reset();
    if (!m_outputFailure.isEmpty() && m_changed) {
        // The adapter was changed: not status 2, which says nothing was sent.
        say(Command::tr("%1; the report could not be written: %2").arg(m_done, m_outputFailure));
        if (status == kDone || status == kTrouble)
            status = kFailed;
    } else if (!m_outputFailure.isEmpty()) {
        say(Command::tr("standard output cannot be written: ") + m_outputFailure);
        if (status < kTrouble)
            status = kTrouble;
    }
    return status;
}

void Context::write(const QByteArray &bytes)
{
    if (!m_outputFailure.isEmpty())
        return;
    if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) != size_t(bytes.size())
        || std::fflush(stdout) != 0)
        m_outputFailure = QString::fromLocal8Bit(std::strerror(errno));
}

void Context::print(const QString &line)
{
    write(line.toUtf8() + '\n');
}

void Context::printJson(const QJsonDocument &document)
{
    write(document.toJson(QJsonDocument::Indented));
}

void Context::say(const QString &text) const
{
    progress({});
    const QString head = QStringLiteral("korvanta-cli: ") + (m_aboutPort ? portName() + QStringLiteral(": ") : QString());
    QString out;
    for (const QString &line : text.split(u'\n'))
        out += head + printable(line) + u'\n';
    const QByteArray bytes = out.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

void Context::progress(const QString &step)
{
    static const bool terminal = ::isatty(STDERR_FILENO) == 1;
    if (terminal)
        std::fprintf(stderr, "\r%s\033[K", step.toUtf8().constData());
}

} // namespace korvanta::cli
