// SPDX-License-Identifier: GPL-3.0-or-later
// The real utility over a pseudo-terminal against the simulator program:
// start-up, identification (with its traffic log), a clean exit, and the end
// on a signal.

#include "tests/trafficlog.h"

#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <csignal>
#include <memory>

class StartupE2eTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void identifiesAndExits();
    void noAdapterEndsWithStatusOne();
    void aSecondStartOnTheSameWorkFileEnds();
    void aSignalStoresWhatWasWritten_data();
    void aSignalStoresWhatWasWritten();

private:
    // Starts the simulator with extra options; its device path.
    QString startSimulator(const QStringList &options = {});
    void startUtility(QProcess &utility, const QStringList &extra, const QString &platform = "offscreen");
    QStringList simulatorLog() const;

    std::unique_ptr<QTemporaryDir> m_dir; // one for each test: work file and simulator log
    QProcess m_sim;
    QString m_device;
};

namespace {
QString program(const char *name)
{
    return QDir(qEnvironmentVariable("KORVANTA_BIN_DIR")).filePath(QString::fromLatin1(name));
}

// A keyboard and a view of the utility's screen: Qt's VNC platform shows the
// windows there and takes keys from a client of the remote framebuffer
// protocol.
class VncScreen {
public:
    static constexpr quint32 kAlt = 0xffe9, kReturn = 0xff0d;

    // Connects, and waits until a window is painted on the screen.
    bool connectTo(quint16 port)
    {
        for (int attempt = 0; attempt < 100 && m_socket.state() != QAbstractSocket::ConnectedState; ++attempt) {
            m_socket.connectToHost(QStringLiteral("127.0.0.1"), port);
            if (!m_socket.waitForConnected(3000))
                QTest::qWait(100);
        }
        const QByteArray version = read(12); // "RFB 003.003\n"
        if (!version.startsWith("RFB "))
            return false;
        m_socket.write(version);
        if (qFromBigEndian<quint32>(read(4).constData()) != 1) // no authentication
            return false;
        m_socket.write("\x01", 1); // shared
        const QByteArray init = read(24);
        if (init.size() < 24)
            return false;
        m_width = qFromBigEndian<quint16>(init.constData());
        m_height = qFromBigEndian<quint16>(init.constData() + 2);
        m_bytesPerPixel = quint8(init[4]) / 8;
        read(qFromBigEndian<quint32>(init.constData() + 20)); // the desktop's name
        // Pixels in the screen's own format, sent raw.
        m_socket.write(QByteArray(4, 0) + init.mid(4, 16));
        m_socket.write(QByteArray("\x02\x00\x00\x01\x00\x00\x00\x00", 8));
        const QByteArray empty(pixels().size(), 0);
        return !waitForScreenOtherThan({empty, pixels().left(m_bytesPerPixel).repeated(m_width * m_height)}).isEmpty();
    }

    // The whole screen, pixel by pixel.
    QByteArray pixels()
    {
        QByteArray request(10, 0);
        request[0] = 3; // update request, not incremental
        qToBigEndian<quint16>(m_width, request.data() + 6);
        qToBigEndian<quint16>(m_height, request.data() + 8);
        m_socket.write(request);
        const QByteArray header = read(4);
        QByteArray out;
        for (int r = header.size() == 4 ? qFromBigEndian<quint16>(header.constData() + 2) : 0; r > 0; --r) {
            const QByteArray rect = read(12);
            out += read(qint64(qFromBigEndian<quint16>(rect.constData() + 4)) * qFromBigEndian<quint16>(rect.constData() + 6)
                        * m_bytesPerPixel);
        }
        return out;
    }

    // Waits until the screen shows none of the given pictures; what it shows
    // then, or nothing when it does not change.
    QByteArray waitForScreenOtherThan(const QList<QByteArray> &pictures)
    {
        for (int attempt = 0; attempt < 50; ++attempt) {
            const QByteArray now = pixels();
            if (!pictures.contains(now))
                return now;
            QTest::qWait(100);
        }
        return {};
    }

    // The screen once painting is done: two looks a moment apart agree.
    QByteArray settled()
    {
        QByteArray last = pixels();
        for (int attempt = 0; attempt < 50; ++attempt) {
            QTest::qWait(100);
            const QByteArray now = pixels();
            if (now == last)
                return now;
            last = now;
        }
        return last;
    }

    void press(quint32 key) { event(key, true); }
    void release(quint32 key) { event(key, false); }
    void tap(quint32 key)
    {
        press(key);
        release(key);
    }

private:
    QByteArray read(qint64 n)
    {
        QByteArray out;
        while (out.size() < n && (m_socket.bytesAvailable() > 0 || m_socket.waitForReadyRead(5000)))
            out += m_socket.read(n - out.size());
        return out;
    }

    void event(quint32 key, bool down)
    {
        QByteArray message(8, 0);
        message[0] = 4;
        message[1] = down ? 1 : 0;
        qToBigEndian<quint32>(key, message.data() + 4);
        m_socket.write(message);
        m_socket.waitForBytesWritten(1000);
    }

    QTcpSocket m_socket;
    quint16 m_width = 0, m_height = 0;
    int m_bytesPerPixel = 4;
};

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}
} // namespace

void StartupE2eTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void StartupE2eTest::cleanup()
{
    m_sim.terminate();
    m_sim.waitForFinished(5000);
}

QString StartupE2eTest::startSimulator(const QStringList &options)
{
    m_sim.start(program("korvanta-sim"), QStringList{"--log", m_dir->filePath("sim.log")} + options);
    if (!m_sim.waitForStarted(5000) || !m_sim.waitForReadyRead(5000))
        return {};
    return QString::fromLocal8Bit(m_sim.readLine()).trimmed();
}

void StartupE2eTest::startUtility(QProcess &utility, const QStringList &extra, const QString &platform)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", platform);
    env.insert("XDG_DATA_HOME", m_dir->path()); // its backups
    utility.setProcessEnvironment(env);
    utility.start(program("korvanta"), QStringList{"--port", "COM1=" + m_device, "--auto-port", "1", "--workfile",
                                                   m_dir->filePath("mail.ini")}
                                           + extra);
}

QStringList StartupE2eTest::simulatorLog() const
{
    QFile log(m_dir->filePath("sim.log"));
    if (!log.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(log.readAll()).split('\n', Qt::SkipEmptyParts);
}

void StartupE2eTest::identifiesAndExits()
{
    m_device = startSimulator();
    QVERIFY2(m_device.startsWith("/dev/"), qPrintable(m_device));
    QProcess utility;
    const QString log = m_dir->filePath("traffic.log");
    startUtility(utility, {"--exit-after-start", "--log", log});
    QVERIFY(utility.waitForFinished(30000));
    const QString out = QString::fromLocal8Bit(utility.readAllStandardOutput());
    const QString err = QString::fromLocal8Bit(utility.readAllStandardError());
    QCOMPARE(utility.exitStatus(), QProcess::NormalExit);
    QVERIFY2(utility.exitCode() == 0, qPrintable(err));
    QVERIFY2(out.contains("COM1: KORVAN-TA, Ver 1.30 01/03/15\n"), qPrintable(out));
    QVERIFY2(out.contains("main window shown after"), qPrintable(out));
    // Identification, and no store command: nothing was written.
    QCOMPARE(simulatorLog(), (QStringList{"ATE1V1", "ATI", "AT%I2"}));
    QCOMPARE(trafficLines(log), kIdentificationTraffic);
    QVERIFY(!QFile::exists(m_dir->filePath("mail.ini.lock"))); // the work file is free again
}

void StartupE2eTest::noAdapterEndsWithStatusOne()
{
    m_device = startSimulator({"--silent"});
    QVERIFY(!m_device.isEmpty());
    QProcess utility;
    startUtility(utility, {"--exit-after-start"});
    QVERIFY(utility.waitForFinished(30000)); // the 3-second identification deadline
    QCOMPARE(utility.exitCode(), 1);
    QVERIFY(QString::fromLocal8Bit(utility.readAllStandardError()).contains("機器が接続されていません"));
    QCOMPARE(simulatorLog(), QStringList{"ATE1V1"});
}

void StartupE2eTest::aSecondStartOnTheSameWorkFileEnds()
{
    m_device = startSimulator();
    QVERIFY(!m_device.isEmpty());
    QProcess first;
    auto stopFirst = qScopeGuard([&] {
        first.terminate();
        first.waitForFinished(5000);
    });
    startUtility(first, {});
    QVERIFY(first.waitForReadyRead(30000)); // identified, main window up
    QVERIFY(first.readAllStandardOutput().startsWith("COM1: KORVAN-TA"));

    QProcess second;
    startUtility(second, {"--exit-after-start"});
    QVERIFY(second.waitForFinished(30000));
    QCOMPARE(second.exitCode(), 1);
    QVERIFY(QString::fromLocal8Bit(second.readAllStandardError()).contains("既に起動しています"));
    QCOMPARE(simulatorLog(), (QStringList{"ATE1V1", "ATI", "AT%I2"})); // the second one never spoke
}

void StartupE2eTest::aSignalStoresWhatWasWritten_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::addColumn<bool>("windowOpen"); // the short-dial window open when the signal comes
    QTest::newRow("SIGTERM") << SIGTERM << false;
    QTest::newRow("SIGHUP, a settings window open") << SIGHUP << true;
}

// An initialization through the keyboard counts as a write; a signal then
// ends the utility through the exit procedure, which has the adapter store.
void StartupE2eTest::aSignalStoresWhatWasWritten()
{
    QFETCH(int, signalNumber);
    QFETCH(bool, windowOpen);
    if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::PluginsPath) + "/platforms/libqvnc.so"))
        QSKIP("Qt's VNC platform is not installed");
    m_device = startSimulator();
    QVERIFY(!m_device.isEmpty());
    QProcess utility;
    auto stop = qScopeGuard([&] {
        utility.kill();
        utility.waitForFinished(5000);
    });
    const quint16 port = freePort();
    startUtility(utility, {}, QStringLiteral("vnc:port=%1").arg(port));
    QVERIFY(utility.waitForReadyRead(30000)); // identified
    VncScreen screen;
    QVERIFY(screen.connectTo(port));

    // 設定(&S), then an entry by its letter, each key once what it opens shows.
    const auto menuEntry = [&screen](char letter) {
        const QByteArray before = screen.pixels();
        screen.press(VncScreen::kAlt);
        screen.tap('s');
        screen.release(VncScreen::kAlt);
        const QByteArray menu = screen.waitForScreenOtherThan({before});
        QVERIFY(!menu.isEmpty());
        screen.tap(letter);
        QVERIFY(!screen.waitForScreenOtherThan({before, menu}).isEmpty());
    };
    // 初期化(&I)..., Enter on its 登録: the settings read and kept first, then
    // the command, then a box that says where they went, answered by Enter
    // once it shows.
    menuEntry('i');
    screen.tap(VncScreen::kReturn);
    QTRY_VERIFY_WITH_TIMEOUT(simulatorLog().endsWith("AT%Z"), 10000);
    QStringList expected = simulatorLog();
    QCOMPARE(expected.mid(0, 3), (QStringList{"ATE1V1", "ATI", "AT%I2"}));
    QVERIFY(expected.size() > 4);
    // The settings before the initialization, one entry in the port's history.
    const QString kept = m_dir->filePath("korvanta/history/" + m_device.mid(5).replace('/', '_'));
    QCOMPARE(QDir(kept).entryList(QDir::Files).size(), 1);
    const QByteArray told = screen.settled();
    screen.tap(VncScreen::kReturn);
    QVERIFY(!screen.waitForScreenOtherThan({told}).isEmpty());
    if (windowOpen) { // 短縮番号登録(&N)...: its read, and the window stays open
        menuEntry('n');
        QString directory = "AT"; // the whole directory in one query
        for (int entry = 0; entry < 20; ++entry)
            directory += QStringLiteral("&Z%1?").arg(entry);
        expected << directory;
        QTRY_COMPARE_WITH_TIMEOUT(simulatorLog(), expected, 10000);
    }

    ::kill(pid_t(utility.processId()), signalNumber);
    QVERIFY(utility.waitForFinished(30000));
    QCOMPARE(utility.exitStatus(), QProcess::NormalExit);
    QCOMPARE(utility.exitCode(), 128 + signalNumber);
    QCOMPARE(simulatorLog(), expected << "AT&W0&W1");
    QVERIFY(!QFile::exists(m_dir->filePath("mail.ini.lock"))); // the work file is free again
}

QTEST_GUILESS_MAIN(StartupE2eTest)
#include "startup_e2e_test.moc"
