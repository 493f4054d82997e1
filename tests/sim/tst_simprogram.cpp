// SPDX-License-Identifier: GPL-3.0-or-later
// The korvanta-sim program over a real pseudo-terminal.

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int kDeadlineMs = 10000;

// The program running, with the slave side of its pty opened as the utility
// would open the port.
class Sim {
public:
    explicit Sim(const QStringList &args)
    {
        const QString bin = qEnvironmentVariable("KORVANTA_BIN_DIR");
        process.start(QDir(bin).filePath("korvanta-sim"), args);
        if (!process.waitForStarted(kDeadlineMs))
            return;
        while (!process.canReadLine() && process.waitForReadyRead(kDeadlineMs)) {
        }
        path = QString::fromLatin1(process.readLine().trimmed());
        fd = ::open(path.toLatin1().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        termios raw{};
        if (fd >= 0 && tcgetattr(fd, &raw) == 0) {
            cfmakeraw(&raw);
            tcsetattr(fd, TCSANOW, &raw);
        }
    }
    ~Sim()
    {
        if (fd >= 0)
            ::close(fd);
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
    }

    // Sends a line and collects until the reply ends with `end` or the line
    // hangs up. Empty on a deadline.
    QByteArray exchange(const QByteArray &line, const QByteArray &end = "OK\r\n")
    {
        if (::write(fd, line.constData(), line.size()) != line.size())
            return {};
        QByteArray got;
        QElapsedTimer clock;
        clock.start();
        while (!got.endsWith(end) && clock.elapsed() < kDeadlineMs) {
            pollfd p{fd, POLLIN, 0};
            ::poll(&p, 1, int(kDeadlineMs - clock.elapsed()));
            char buf[512];
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n > 0)
                got.append(buf, int(n));
            else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                hungUp = true;
                break;
            }
        }
        return got;
    }

    bool terminate()
    {
        process.terminate(); // SIGTERM
        return process.waitForFinished(kDeadlineMs) && process.exitStatus() == QProcess::NormalExit
            && process.exitCode() == 0;
    }

    QProcess process;
    QString path;
    int fd = -1;
    bool hungUp = false;
};

} // namespace

class TestSimProgram : public QObject {
    Q_OBJECT
private slots:
    void servesStoresAndLogs();
    void lineGoesAway();
};

void TestSimProgram::servesStoresAndLogs()
{
    QTemporaryDir dir;
    const QString state = dir.filePath("state.txt");
    const QString log = dir.filePath("lines.log");
    {
        Sim sim({"--state", state, "--log", log});
        QVERIFY2(sim.path.startsWith("/dev/pts/"), qPrintable(sim.path));
        QVERIFY(sim.fd >= 0);
        QCOMPARE(sim.exchange("ATI\r"), QByteArray("ATI\r\r\nKORVAN-TA\r\n\r\nOK\r\n"));
        QVERIFY(sim.exchange("AT$L1=1\r").endsWith("\r\nOK\r\n"));
        QVERIFY(sim.exchange("AT$C1=0311\r").endsWith("\r\nOK\r\n"));
        QVERIFY(sim.exchange("AT&W0&W1\r").endsWith("\r\nOK\r\n"));
        QVERIFY(sim.terminate());
    }
    QFile lines(log);
    QVERIFY(lines.open(QIODevice::ReadOnly));
    QCOMPARE(lines.readAll(), QByteArray("ATI\nAT$L1=1\nAT$C1=0311\nAT&W0&W1\n"));

    // The next start powers on with what was stored.
    Sim again({"--state", state, "--old-firmware"});
    QVERIFY(again.fd >= 0);
    const QByteArray listing = again.exchange("AT\\S2\r");
    QVERIFY2(listing.contains("TEL1 ADR:0311\r\n") && listing.contains("$L1:1 "), listing.constData());
    QVERIFY(again.exchange("AT%I2\r").contains("Ver 1.20 99/11/30"));
    QVERIFY(again.terminate());
}

void TestSimProgram::lineGoesAway()
{
    Sim sim({"--drop-after", "3", "--drop-on", "ATI"});
    QVERIFY(sim.fd >= 0);
    QVERIFY(sim.exchange("AT\r").endsWith("OK\r\n"));
    QCOMPARE(sim.exchange("ATI\r", "never"), QByteArray("ATI\r\r\nK"));
    QVERIFY(sim.hungUp);
    QVERIFY(sim.terminate());
}

QTEST_GUILESS_MAIN(TestSimProgram)
#include "tst_simprogram.moc"
