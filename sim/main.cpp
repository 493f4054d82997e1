// SPDX-License-Identifier: GPL-3.0-or-later
// korvanta-sim: the simulated adapter served on a pseudo-terminal. Prints the
// slave device path (/dev/pts/N) as its first line, then answers there as the
// adapter would, until SIGINT or SIGTERM.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/signalfd.h>
#include <termios.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "sim/simulatedadapter.h"
#include "sim/statefile.h"

using namespace korvanta::sim;

namespace {

// The adapter on the master side of a pty. The slave stays open here as well:
// with no slave open the master reads EIO at once and forever, which would
// happen every time the utility closes its port.
class PtyServer : public QObject {
public:
    explicit PtyServer(SimulatedAdapter &adapter) : m_adapter(adapter) {}

    // The line settings the adapter hears on; while the terminal's differ,
    // what comes in is lost, as on a serial line set wrong.
    void expectLine(const termios &line) { m_expected = line, m_expecting = true; }
    ~PtyServer() override
    {
        closeMaster();
        if (m_slave >= 0)
            ::close(m_slave);
    }

    // Empty on failure, with the reason on stderr.
    QByteArray open()
    {
        char name[128];
        // A pseudo-terminal's number comes free when its master closes, while
        // a program that still holds the old slave open keeps its serial lock
        // file ("LCK..pts_N"): the utility would then be refused the new
        // terminal of that number. Numbers that a lock file names are passed
        // over, held open until a free one is found.
        std::vector<int> passedOver;
        bool opened = false;
        for (int tries = 0; tries < 64 && !opened; ++tries) {
            m_master = posix_openpt(O_RDWR | O_NOCTTY);
            if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0
                || ptsname_r(m_master, name, sizeof name) != 0)
                break;
            const QString lock = QStringLiteral("/var/lock/LCK..")
                + QString::fromLocal8Bit(name).mid(5).replace(QLatin1Char('/'), QLatin1Char('_'));
            opened = !QFileInfo::exists(lock);
            if (!opened)
                passedOver.push_back(std::exchange(m_master, -1));
        }
        for (int fd : passedOver)
            ::close(fd);
        if (!opened) {
            std::perror("pseudo-terminal");
            return {};
        }
        m_slave = ::open(name, O_RDWR | O_NOCTTY);
        termios raw{};
        if (m_slave < 0 || tcgetattr(m_slave, &raw) != 0) {
            std::perror(name);
            return {};
        }
        cfmakeraw(&raw);
        cfsetspeed(&raw, B19200);
        tcsetattr(m_slave, TCSANOW, &raw);
        fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);

        m_reader = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
        m_writer = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
        m_writer->setEnabled(false);
        connect(m_reader, &QSocketNotifier::activated, this, &PtyServer::readHost);
        connect(m_writer, &QSocketNotifier::activated, this, &PtyServer::flush);
        connect(&m_adapter, &SimulatedAdapter::transmitted, this, [this](const QByteArray &bytes) {
            m_pending += bytes;
            flush();
        });
        connect(&m_adapter, &SimulatedAdapter::lineLost, this, &PtyServer::hangUp);
        return name;
    }

private:
    void readHost()
    {
        char buf[4096];
        for (;;) {
            const ssize_t n = ::read(m_master, buf, sizeof buf);
            if (n > 0) {
                if (lineAsExpected())
                    m_adapter.receive(QByteArray(buf, int(n)));
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n == 0 || errno != EAGAIN) {
                std::perror("pty read");
                m_reader->setEnabled(false);
            }
            return;
        }
    }

    // Writes what the adapter sent as soon as the pty takes it; pacing is the
    // adapter's, so every character leaves when its time has come.
    void flush()
    {
        while (!m_pending.isEmpty() && m_master >= 0) {
            const ssize_t n = ::write(m_master, m_pending.constData(), m_pending.size());
            if (n > 0) {
                m_pending.remove(0, int(n));
            } else if (n < 0 && errno == EINTR) {
                continue;
            } else {
                if (errno != EAGAIN)
                    m_pending.clear();
                break;
            }
        }
        if (m_writer)
            m_writer->setEnabled(!m_pending.isEmpty());
    }

    // The line goes away: the utility's side reads a hang-up. Closing the
    // master throws away what the slave has not read yet, so the bytes sent
    // before the loss are left to be read first (for three seconds at most).
    void hangUp()
    {
        if (m_reader)
            m_reader->setEnabled(false);
        QElapsedTimer waited;
        waited.start();
        auto *check = new QTimer(this);
        connect(check, &QTimer::timeout, this, [this, check, waited] {
            if (m_pending.isEmpty() && (slaveDrained() || waited.hasExpired(3000))) {
                check->deleteLater();
                closeMaster();
            }
        });
        check->start(2);
    }

    bool lineAsExpected() const
    {
        termios now{};
        if (!m_expecting)
            return true;
        if (tcgetattr(m_slave, &now) != 0)
            return false;
        constexpr tcflag_t framing = CSIZE | PARENB | PARODD | CSTOPB;
        return cfgetispeed(&now) == cfgetispeed(&m_expected) && (now.c_cflag & framing) == (m_expected.c_cflag & framing);
    }

    bool slaveDrained() const
    {
        // A poll of the slave first moves bytes still on their way from the
        // master into its input queue, where FIONREAD counts them.
        pollfd p{m_slave, POLLIN, 0};
        ::poll(&p, 1, 0);
        int unread = 0;
        return ioctl(m_slave, FIONREAD, &unread) != 0 || unread == 0;
    }

    void closeMaster()
    {
        delete m_reader;
        delete m_writer;
        m_reader = m_writer = nullptr;
        m_pending.clear();
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }

    SimulatedAdapter &m_adapter;
    int m_master = -1;
    int m_slave = -1;
    QSocketNotifier *m_reader = nullptr;
    QSocketNotifier *m_writer = nullptr;
    QByteArray m_pending;
    termios m_expected{};
    bool m_expecting = false;
};

// "19200,8N1": speed, data bits, parity (N, E, O) and stop bits as termios
// settings; false when the text is not one.
bool readLine(const QString &text, termios &line)
{
    static const struct {
        int rate;
        speed_t speed;
    } speeds[] = {{1200, B1200}, {2400, B2400}, {4800, B4800}, {9600, B9600}, {19200, B19200}, {38400, B38400},
                  {57600, B57600}, {115200, B115200}};
    const QStringList parts = text.split(u',');
    const QString frame = parts.value(1).toUpper();
    if (parts.size() != 2 || frame.size() != 3 || !QStringLiteral("5678").contains(frame[0])
        || !QStringLiteral("NEO").contains(frame[1]) || !QStringLiteral("12").contains(frame[2]))
        return false;
    line = {};
    const tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
    line.c_cflag = sizes[frame[0].digitValue() - 5] | (frame[1] != u'N' ? PARENB : 0) | (frame[1] == u'O' ? PARODD : 0)
        | (frame[2] == u'2' ? CSTOPB : 0);
    for (const auto &s : speeds)
        if (parts[0].toInt() == s.rate)
            return cfsetspeed(&line, s.speed) == 0;
    return false;
}

// "\r", "\n", "\t", "\\" and "\xHH" in option texts, so that control
// characters can be given on a command line.
QByteArray unescape(const QString &text)
{
    const QByteArray in = text.toLatin1();
    QByteArray out;
    for (int i = 0; i < in.size(); ++i) {
        if (in[i] != '\\' || i + 1 == in.size()) {
            out += in[i];
            continue;
        }
        const char c = in[++i];
        if (c == 'x' && i + 2 < in.size()) {
            bool ok = false;
            const int v = in.mid(i + 1, 2).toInt(&ok, 16);
            if (ok) {
                out += char(v);
                i += 2;
                continue;
            }
        }
        out += c == 'r' ? '\r' : c == 'n' ? '\n' : c == 't' ? '\t' : c;
    }
    return out;
}

int intOption(const QCommandLineParser &p, const QString &name, int fallback)
{
    bool ok = false;
    const int v = p.value(name).toInt(&ok);
    return p.isSet(name) && ok ? v : fallback;
}

} // namespace

int main(int argc, char *argv[])
{
    // Blocked before any thread starts, so the signals reach only the signalfd.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigprocmask(SIG_BLOCK, &stopSignals, nullptr);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("korvanta-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KORVANTA_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Serves a simulated KORVAN-TA on a pseudo-terminal; prints its path first."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QList<QCommandLineOption> options{
        {"silent", "Never answer."},
        {"silent-from", "Echo the line CMD, then never answer again (CMD ending in * matches a prefix).", "CMD"},
        {"model", "Answer TEXT to ATI.", "TEXT"},
        {"firmware", "Answer TEXT to AT%I2 (1.20 or lower: older firmware).", "TEXT"},
        {"old-firmware", QStringLiteral("Older firmware, \"%1\".").arg(kOldFirmware)},
        {"paced", "Send at 19200 bit/s, 10 bits a character."},
        {"char-us", "With --paced: microseconds a character (default 521).", "US"},
        {"fragment-ok", "Send the final OK as \"O\", then \"K\" CR LF after a pause."},
        {"fragment-size", "Send every reply in pieces of N bytes.", "N"},
        {"fragment-pause", "Pause between pieces (default 20).", "MS"},
        {"noise", "Send TEXT before the echo of every line (\\r \\n \\xHH allowed).", "TEXT"},
        {"error-for", "Answer ERROR to the line CMD (CMD ending in * matches a prefix); repeatable.",
         "CMD"},
        {"keep", "Acknowledge a set of the setting KEY (\"$L2\", \"&Z3\") but keep its value; repeatable.", "KEY"},
        {"drop-after", "Let the line go away after N bytes of a reply.", "N"},
        {"drop-on", "With --drop-after or --cut-after: only in the reply to the line CMD.", "CMD"},
        {"cut-after", "Cut a reply after N bytes (echo not counted), the line staying up.", "N"},
        {"at-line", "The faults that name a line hold only for the Nth line received (from 1).", "N"},
        {"delay", "Hold every reply back MS milliseconds.", "MS"},
        {"state", "Load the stored settings from FILE, and save them there on AT&W.", "FILE"},
        {"log", "Append every command line received to FILE.", "FILE"},
        {"expect-line", "Hear nothing while the terminal is not set to LINE (\"19200,8N1\").", "LINE"},
    };
    parser.addOptions(options);
    parser.process(app);

    Faults faults;
    faults.silent = parser.isSet("silent");
    faults.silentFrom = parser.value("silent-from").toLatin1();
    if (parser.isSet("model"))
        faults.model = parser.value("model").toLatin1();
    if (parser.isSet("old-firmware"))
        faults.firmware = kOldFirmware;
    if (parser.isSet("firmware"))
        faults.firmware = parser.value("firmware").toLatin1();
    if (parser.isSet("paced"))
        faults.charTimeUs = intOption(parser, "char-us", kCharTimeUs19200);
    faults.fragmentOk = parser.isSet("fragment-ok");
    faults.fragmentSize = intOption(parser, "fragment-size", 0);
    faults.fragmentPauseMs = intOption(parser, "fragment-pause", faults.fragmentPauseMs);
    faults.noise = unescape(parser.value("noise"));
    for (const QString &cmd : parser.values("error-for"))
        faults.errorFor.append(cmd.toLatin1());
    for (const QString &key : parser.values("keep"))
        faults.keeps.append(key.toUpper().toLatin1());
    faults.dropAfter = intOption(parser, "drop-after", -1);
    faults.dropOn = parser.value("drop-on").toLatin1();
    faults.cutAfter = intOption(parser, "cut-after", -1);
    faults.atLine = intOption(parser, "at-line", 0);
    faults.delayMs = intOption(parser, "delay", 0);

    SimulatedAdapter adapter(faults);
    const QString statePath = parser.value("state");
    if (!statePath.isEmpty()) {
        adapter.setStoredSettings(readStateFile(statePath));
        adapter.powerCycle();
        QObject::connect(&adapter, &SimulatedAdapter::stored, [&] {
            if (!writeStateFile(statePath, adapter.storedSettings()))
                std::fprintf(stderr, "korvanta-sim: cannot write %s\n", qPrintable(statePath));
        });
    }
    QFile log(parser.value("log"));
    if (parser.isSet("log")) {
        if (!log.open(QIODevice::Append)) {
            std::fprintf(stderr, "korvanta-sim: cannot open %s\n", qPrintable(log.fileName()));
            return EXIT_FAILURE;
        }
        QObject::connect(&adapter, &SimulatedAdapter::lineReceived, [&](const QByteArray &line) {
            log.write(line + '\n');
            log.flush();
        });
    }

    PtyServer server(adapter);
    if (parser.isSet("expect-line")) {
        termios line{};
        if (!readLine(parser.value("expect-line"), line)) {
            std::fprintf(stderr, "korvanta-sim: --expect-line: expected SPEED,8N1 or the like, got \"%s\"\n",
                         qPrintable(parser.value("expect-line")));
            return EXIT_FAILURE;
        }
        server.expectLine(line);
    }
    const QByteArray path = server.open();
    if (path.isEmpty())
        return EXIT_FAILURE;
    std::printf("%s\n", path.constData());
    std::fflush(stdout);

    const int signalFd = signalfd(-1, &stopSignals, SFD_NONBLOCK | SFD_CLOEXEC);
    QSocketNotifier stop(signalFd, QSocketNotifier::Read);
    QObject::connect(&stop, &QSocketNotifier::activated, &app, [&] {
        signalfd_siginfo info;
        while (::read(signalFd, &info, sizeof info) > 0) {
        }
        app.quit();
    });
    const int rc = app.exec();
    ::close(signalFd);
    return rc;
}
