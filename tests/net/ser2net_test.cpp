// SPDX-License-Identifier: GPL-3.0-or-later
// korvanta-cli against simulated adapters that Debian's ser2net serves on
// the network: one port by telnet with RFC 2217, its device set to the wrong
// speed (9600n81) so that only a client that sets the line reaches the
// adapter, and one by raw TCP. The adapters hear nothing while their line is
// not 19200 8N1.

#include "app/mainwindow.h"
#include "app/networkportdialog.h"
#include "app/startup.h"
#include "link/session/identify.h"
#include "link/transport/link.h"
#include "link/transport/networklink.h"
#include "link/ports/ports.h"
#include "link/session/serialcontrol.h"
#include "link/session/session.h"
#include "tests/consoleserver.h"
#include "tests/messagerecorder.h"
#include "ui/settingsdialog.h"
#include "workfile/workfile.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScopeGuard>
#include <QSet>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSocketNotifier>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>

#include <csignal>
#include <cstdlib>
#include <memory>
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
QString program(const char *name)
{
    return QDir(qEnvironmentVariable("KORVANTA_BIN_DIR")).filePath(QString::fromLatin1(name));
}

using korvanta::testing::ConsoleServer;
using korvanta::testing::diesWithParent;
using korvanta::testing::freePort;

const QString kSetting = QStringLiteral("AT$C1=0312345678"); // what changed.ini changes first
const QByteArray kTerminate = "(SIGTERM)"; // typed at a terminal: the run is told to end instead

QByteArray readTrimmed(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed() : QByteArray();
}
} // namespace

class Ser2netTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void backupRestoreDiff_data();
    void backupRestoreDiff();
    void lostInTheMiddleOfARestore();
    void failures_data();
    void failures();
    void noAnswerToTheConnection();
    void windowProgram();
    void addNetworkPort_data();
    void addNetworkPort();
    void tls();
    void overSsh_data();
    void overSsh();

private:
    enum Served { ByRfc2217, ByTcp };
    // The simulators (stored settings in <kind>.state, lines received in
    // <kind>.log) and ser2net in front of them; false when one did not start.
    bool startSimulators(const QStringList &options = {});
    bool startSer2net();
    void stop(QProcess &process);
    QStringList simulatorLog(Served kind) const;
    // A key pair made by ssh-keygen in the test's folder: NAME and NAME.pub,
    // locked by the passphrase when one is given.
    QString makeKey(const QString &name, const QString &passphrase = {});
    // Starts OpenSSH's server on the tcp port of 127.0.0.1 (m_ports[ByTcp]), with
    // the host key ("host", made here) and authorized_keys in the test's folder,
    // as the test's own user: the user key's login runs the bridge (socat) to
    // the tcp adapter's line at 19200 8N1, or, when not bridged, a command that
    // ends at once.
    bool startSshd(const QString &userKey, bool bridged = true);
    // Why sshd cannot run here, empty when it can: run by root it wants its
    // privilege separation folder owned by root, which a user namespace
    // (`unshare -r`) shows as another user's.
    static QString whySshdCannotRun();
    // The ssl accepter of ser2net for the certificate NAME.pem, with more options.
    QString tlsAccepter(const QString &name, const QString &more = {}) const;
    QString address(Served kind) const;
    // Starts korvanta-cli in the test's folder, $XDG_DATA_HOME and
    // $XDG_CONFIG_HOME there too; under the wrapper when one is given (a
    // command that runs "$0" "$@" as its last step).
    void startCli(QProcess &cli, const QStringList &arguments, const QStringList &wrapper = {});
    // Runs it to its end, the event loop running meanwhile; its status, its
    // standard output in m_out, its standard error in m_err. With typed, its
    // standard input and error are a terminal, where it is typed once a
    // passphrase is asked.
    int run(const QStringList &arguments, const QStringList &wrapper = {}, const QByteArray &typed = {});
    // A CA and, signed by it, certificates for 127.0.0.1/localhost (server),
    // another host (other), an expired one (expired) and a client (client),
    // each NAME.pem with NAME.key, made by openssl in the test's folder; the
    // client's CA allowed by ser2net in auth/.
    bool makeCertificates();
    // openssl's SHA-256 fingerprint of NAME.pem ("SHA256:AB:…").
    QString fingerprint(const QString &name);
    // factory.ini read through the address, changed.ini with two settings changed.
    bool writeProfiles(const QStringList &line);

    std::unique_ptr<QTemporaryDir> m_dir;
    QProcess m_sims[2];
    QProcess m_sshd, m_agent;
    QProcessEnvironment m_environment; // korvanta-cli's
    QString m_ptys[2];
    quint16 m_ports[2] = {};
    ConsoleServer m_ser2net;
    QString m_out, m_err;
};

void Ser2netTest::initTestCase()
{
    QVERIFY2(!ConsoleServer::program().isEmpty(), "ser2net is missing: scripts/setup.sh installs it");
}

void Ser2netTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir(m_dir->path()).mkpath("config/korvanta"));
    m_ports[ByRfc2217] = freePort();
    m_ports[ByTcp] = freePort();
    QVERIFY(m_ports[ByRfc2217] && m_ports[ByTcp] && m_ports[ByRfc2217] != m_ports[ByTcp]);
    m_environment = QProcessEnvironment::systemEnvironment();
    m_environment.insert("XDG_DATA_HOME", m_dir->filePath("data"));
    m_environment.insert("XDG_CONFIG_HOME", m_dir->filePath("config"));
}

void Ser2netTest::cleanup()
{
    m_ser2net.stop();
    for (QProcess &process : {std::ref(m_sims[0]), std::ref(m_sims[1]), std::ref(m_sshd), std::ref(m_agent)})
        stop(process);
}

void Ser2netTest::stop(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

bool Ser2netTest::startSimulators(const QStringList &options)
{
    for (Served kind : {ByRfc2217, ByTcp}) {
        QProcess &sim = m_sims[kind];
        stop(sim);
        const QString name = kind == ByRfc2217 ? "rfc2217" : "tcp";
        diesWithParent(sim);
        sim.start(program("korvanta-sim"), QStringList{"--expect-line", "19200,8N1", "--state",
                                                       m_dir->filePath(name + ".state"), "--log",
                                                       m_dir->filePath(name + ".log")}
                                               + options);
        if (!sim.waitForStarted(5000) || !sim.waitForReadyRead(5000))
            return false;
        m_ptys[kind] = QString::fromLocal8Bit(sim.readLine()).trimmed();
    }
    return true;
}

bool Ser2netTest::startSer2net()
{
    return m_ser2net.start({{"telnet(rfc2217),tcp", m_ports[ByRfc2217], m_ptys[ByRfc2217], "9600n81"},
                            {"tcp", m_ports[ByTcp], m_ptys[ByTcp], "19200n81"}},
                           m_dir->path());
}

QStringList Ser2netTest::simulatorLog(Served kind) const
{
    QFile file(m_dir->filePath(kind == ByRfc2217 ? "rfc2217.log" : "tcp.log"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()).split(u'\n', Qt::SkipEmptyParts)
                                          : QStringList{};
}

QString Ser2netTest::address(Served kind) const
{
    return QStringLiteral("%1://127.0.0.1:%2").arg(kind == ByRfc2217 ? "rfc2217" : "tcp").arg(m_ports[kind]);
}

void Ser2netTest::startCli(QProcess &cli, const QStringList &arguments, const QStringList &wrapper)
{
    cli.setProcessEnvironment(m_environment);
    cli.setWorkingDirectory(m_dir->path());
    if (!cli.childProcessModifier())
        diesWithParent(cli);
    if (wrapper.isEmpty())
        cli.start(program("korvanta-cli"), arguments);
    else
        cli.start(wrapper[0], wrapper.mid(1) + QStringList{program("korvanta-cli")} + arguments);
    cli.closeWriteChannel();
}

int Ser2netTest::run(const QStringList &arguments, const QStringList &wrapper, const QByteArray &typed)
{
    QProcess cli;
    QEventLoop loop;
    connect(&cli, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    // A terminal of its own: the child leads a session whose terminal it is.
    const int terminal = typed.isEmpty() ? -1 : ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    int held = -1; // the terminal's side, held here too: what the program said last stays to be read
    const auto closeTerminal = qScopeGuard([terminal, &held] {
        for (int fd : {terminal, held})
            if (fd >= 0)
                ::close(fd);
    });
    QByteArray shown;
    std::unique_ptr<QSocketNotifier> reader;
    if (!typed.isEmpty()) {
        if (terminal < 0 || ::grantpt(terminal) != 0 || ::unlockpt(terminal) != 0)
            return -1;
        const QByteArray side = ::ptsname(terminal);
        held = ::open(side.constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        cli.setChildProcessModifier([side] {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            ::setsid();
            const int fd = ::open(side.constData(), O_RDWR);
            ::ioctl(fd, TIOCSCTTY, 0);
            ::dup2(fd, STDIN_FILENO);
            ::dup2(fd, STDERR_FILENO);
        });
        reader = std::make_unique<QSocketNotifier>(terminal, QSocketNotifier::Read);
        connect(reader.get(), &QSocketNotifier::activated, &loop, [&, answered = false]() mutable {
            char piece[4096];
            const ssize_t got = ::read(terminal, piece, sizeof piece);
            if (got <= 0) // the other side closed
                return reader->setEnabled(false);
            shown.append(piece, got);
            if (!answered && shown.contains("パスフレーズ")) {
                answered = true;
                if (typed == kTerminate)
                    ::kill(pid_t(cli.processId()), SIGTERM);
                else
                    [[maybe_unused]] const ssize_t written = ::write(terminal, typed.constData(), size_t(typed.size()));
            }
        });
    }
    startCli(cli, arguments, wrapper);
    loop.exec();
    if (cli.state() != QProcess::NotRunning)
        stop(cli);
    if (reader) { // what it said last
        ::fcntl(terminal, F_SETFL, O_NONBLOCK);
        char piece[4096];
        for (ssize_t got; (got = ::read(terminal, piece, sizeof piece)) > 0;)
            shown.append(piece, got);
    }
    m_out = QString::fromUtf8(cli.readAllStandardOutput());
    m_err = QString::fromUtf8(typed.isEmpty() ? cli.readAllStandardError() : shown);
    return cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
}

bool Ser2netTest::writeProfiles(const QStringList &line)
{
    if (run(line + QStringList{"backup", "factory.ini"}) != 0)
        return false;
    QFile factory(m_dir->filePath("factory.ini")), changed(m_dir->filePath("changed.ini"));
    if (!factory.open(QIODevice::ReadOnly) || !changed.open(QIODevice::WriteOnly))
        return false;
    QByteArray text = factory.readAll();
    text.replace("\n[TANSYUKU]\n00=\n", "\n[TANSYUKU]\n00=117\n");
    text.replace("[TEL1]\nJIKO_NO=\n", "[TEL1]\nJIKO_NO=0312345678\n");
    return changed.write(text) == text.size();
}

// Identify, backup, a restore that changes two settings and stores, and a
// diff that finds the adapter equal, through each kind of port and through
// a name of ports.conf.
void Ser2netTest::backupRestoreDiff_data()
{
    QTest::addColumn<int>("served");
    QTest::addColumn<bool>("named");
    QTest::newRow("rfc2217") << int(ByRfc2217) << false;
    QTest::newRow("tcp") << int(ByTcp) << false;
    QTest::newRow("named in ports.conf") << int(ByRfc2217) << true;
}

void Ser2netTest::backupRestoreDiff()
{
    QFETCH(int, served);
    QFETCH(bool, named);
    const Served kind = Served(served);
    QVERIFY(startSimulators());
    QVERIFY(startSer2net());
    QString port = address(kind);
    if (named) {
        QFile conf(m_dir->filePath("config/korvanta/ports.conf"));
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write("# the rack\nbroken line\nrack-a = " + port.toUtf8() + "  # first adapter\n");
        conf.close();
        port = "rack-a";
    }
    const QStringList line{"--port", port, "--workfile", m_dir->filePath("mail.ini")};

    QCOMPARE(run(line + QStringList{"--json", "identify"}), 0);
    QCOMPARE(QJsonDocument::fromJson(m_out.toUtf8()).object().value("port").toString(), port);
    if (named) { // the bad line is named, the others still count, and ports lists them
        QVERIFY2(m_err.contains("ports.conf:2: "), qPrintable(m_err));
        QCOMPARE(run({"--json", "ports"}), 0);
        const QJsonArray list = QJsonDocument::fromJson(m_out.toUtf8()).array();
        QVERIFY(!list.isEmpty());
        const QJsonObject last = list.last().toObject();
        QCOMPARE(last.value("name").toString(), "rack-a");
        QCOMPARE(last.value("kind").toString(), "network");
        QCOMPARE(last.value("path").toString(), address(kind));
    }
    QVERIFY(writeProfiles(line));
    QCOMPARE(run(line + QStringList{"restore", "changed.ini"}), 0);
    QVERIFY2(simulatorLog(kind).contains(kSetting), qPrintable(simulatorLog(kind).join(' ')));
    QCOMPARE(simulatorLog(kind).last(), "AT&W0&W1");
    QCOMPARE(run(line + QStringList{"diff", "changed.ini"}), 0);
    // The history entry before the restore is kept under the port's name.
    const QDir history(m_dir->filePath("data/korvanta/history"));
    const QStringList ports = history.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QCOMPARE(ports.size(), 1);
    QCOMPARE(QDir(history.filePath(ports.first())).entryList(QDir::Files).size(), 1);
    if (named)
        QCOMPARE(ports.first(), "rack-a");
    QCOMPARE(simulatorLog(Served(1 - kind)), QStringList{}); // the other adapter heard nothing
}

// ser2net killed while a restore waits for the adapter: the line is lost,
// the run fails naming the address, and once ser2net serves again the same
// command completes, stored.
void Ser2netTest::lostInTheMiddleOfARestore()
{
    QVERIFY(startSimulators());
    QVERIFY(startSer2net());
    const QStringList line{"--port", address(ByRfc2217), "--workfile", m_dir->filePath("mail.ini")};
    QVERIFY(writeProfiles(line));
    QVERIFY(startSimulators({"--silent-from", kSetting}));
    QVERIFY(startSer2net());

    QProcess cli;
    startCli(cli, line + QStringList{"restore", "changed.ini"});
    QTRY_VERIFY_WITH_TIMEOUT(simulatorLog(ByRfc2217).endsWith(kSetting), 20000);
    m_ser2net.kill();
    // Long before the exchange's own 10-second deadline.
    QVERIFY(cli.waitForFinished(5000));
    QCOMPARE(cli.exitCode(), 1);
    const QString err = QString::fromUtf8(cli.readAllStandardError());
    QVERIFY2(err.startsWith("korvanta-cli: " + address(ByRfc2217) + ": "), qPrintable(err));
    QVERIFY2(err.contains(address(ByRfc2217) + " との接続は閉じられました。"), qPrintable(err));

    QVERIFY(startSimulators());
    QVERIFY(startSer2net());
    QCOMPARE(run(line + QStringList{"restore", "changed.ini"}), 0);
    QVERIFY(startSimulators()); // after a power cycle: what it stored
    QVERIFY(startSer2net());
    QCOMPARE(run(line + QStringList{"diff", "changed.ini"}), 0);
}

// Each way a network port fails, with its status and what is said.
void Ser2netTest::failures_data()
{
    QTest::addColumn<QString>("port"); // {free}, {echo}, {closing}, {rfc}: ports of the test
    QTest::addColumn<bool>("held");    // another client holds the rfc2217 port
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("said");
    QTest::newRow("refused") << "rfc2217://127.0.0.1:{free}" << false << 1
                             << "rfc2217://127.0.0.1:{free} への接続は拒否されました。";
    QTest::newRow("unknown host") << "tcp://nosuchhost.invalid:2001" << false << 1
                                  << "ホスト「nosuchhost.invalid」が見つかりません。";
    QTest::newRow("unknown host, ssh") << "ssh://nosuchhost.invalid:22" << false << 1
                                       << "ホスト「nosuchhost.invalid」が見つかりません。";
    QTest::newRow("not RFC 2217: an echo server") << "rfc2217://127.0.0.1:{echo}" << false << 1
                                                  << "のサーバーは RFC 2217 (COM ポートの制御) を受け付けません。";
    QTest::newRow("not RFC 2217: silent") << "rfc2217://127.0.0.1:{silent}" << false << 1
                                          << "のサーバーは 3 秒以内に RFC 2217 (COM ポートの制御) に応じませんでした。";
    QTest::newRow("closed at once") << "rfc2217://127.0.0.1:{closing}" << false << 1
                                    << "rfc2217://127.0.0.1:{closing} との接続は閉じられました。";
    QTest::newRow("speed refused") << "rfc2217://127.0.0.1:{9600}" << false << 1
                                   << "のサーバーは速度 19200 bit/s を受け付けませんでした (9600 bit/s と応答)。";
    QTest::newRow("held by another client") << "rfc2217://127.0.0.1:{rfc}" << true << 1
                                            << "(サーバーの応答:「Port already in use」)";
    QTest::newRow("without the negotiation") << "tcp://127.0.0.1:{rfc}" << false << 1 << "機器が接続されていません";
    QTest::newRow("no port number") << "rfc2217://rack1" << false << 2
                                    << "アドレス「rfc2217://rack1」: ポート番号がありません";
}

void Ser2netTest::failures()
{
    QFETCH(QString, port);
    QFETCH(bool, held);
    QFETCH(int, status);
    QFETCH(QString, said);
    QTcpServer echo, closing;
    QVERIFY(echo.listen(QHostAddress::LocalHost) && closing.listen(QHostAddress::LocalHost));
    connect(&echo, &QTcpServer::newConnection, this, [&echo] {
        QTcpSocket *client = echo.nextPendingConnection();
        connect(client, &QTcpSocket::readyRead, client, [client] { client->write(client->readAll()); });
    });
    connect(&closing, &QTcpServer::newConnection, this, [&closing] { closing.nextPendingConnection()->close(); });
    QTcpServer silent; // accepts, and never says a word
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    // A server that takes the option and every setting but the speed.
    QTcpServer slow;
    QVERIFY(slow.listen(QHostAddress::LocalHost));
    connect(&slow, &QTcpServer::newConnection, this, [&slow] {
        QTcpSocket *client = slow.nextPendingConnection();
        connect(client, &QTcpSocket::readyRead, client, [client] {
            client->readAll();
            client->write(QByteArray("\xff\xfd\x2c\xff\xfa\x2c\x65\x00\x00\x25\x80\xff\xf0"
                                     "\xff\xfa\x2c\x66\x08\xff\xf0\xff\xfa\x2c\x67\x01\xff\xf0"
                                     "\xff\xfa\x2c\x68\x01\xff\xf0\xff\xfa\x2c\x69\x01\xff\xf0",
                                     41));
        });
    });
    if (port.contains("{rfc}")) {
        QVERIFY(startSimulators());
        QVERIFY(startSer2net());
    }
    QTcpSocket holder;
    if (held) {
        holder.connectToHost(QHostAddress::LocalHost, m_ports[ByRfc2217]);
        QVERIFY(holder.waitForConnected(5000));
    }
    for (auto [name, number] : {std::pair{"{free}", freePort()}, {"{echo}", echo.serverPort()},
                                {"{closing}", closing.serverPort()}, {"{rfc}", m_ports[ByRfc2217]},
                                {"{9600}", slow.serverPort()}, {"{silent}", silent.serverPort()}}) {
        port.replace(name, QString::number(number));
        said.replace(name, QString::number(number));
    }
    // An unknown host is one under ".invalid", unknown at once without asking
    // a name server (tests/preload/noaddrconfig.cpp): no test reaches
    // beyond the loopback network.
    const QString preload = QCoreApplication::applicationDirPath() + "/korvanta_test_noaddrconfig.so";
    const QProcessEnvironment before = m_environment;
    const auto restore = qScopeGuard([&] { m_environment = before; });
    if (port.contains(".invalid")) {
        QVERIFY(QFile::exists(preload));
        m_environment.insert("LD_PRELOAD", preload);
    }
    QCOMPARE(run({"--port", port, "--workfile", m_dir->filePath("mail.ini"), "identify"}), status);
    QVERIFY2(m_err.contains(said), qPrintable(m_err));
    if (status == 1) // the address begins every message
        QVERIFY2(m_err.startsWith("korvanta-cli: " + port + ": "), qPrintable(m_err));
}

// A server whose queue of connections is full answers no new one: the open
// gives up at its deadline and says so.
void Ser2netTest::noAnswerToTheConnection()
{
    using namespace korvanta;
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    const auto closeListener = qScopeGuard([listener] { ::close(listener); });
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof local;
    QVERIFY(::bind(listener, reinterpret_cast<sockaddr *>(&local), size) == 0 && ::listen(listener, 0) == 0
            && ::getsockname(listener, reinterpret_cast<sockaddr *>(&local), &size) == 0);
    QTcpSocket first; // fills the queue: nothing accepts it
    first.connectToHost(QHostAddress::LocalHost, ntohs(local.sin_port));
    QVERIFY(first.waitForConnected(5000));
    const QString address = QStringLiteral("tcp://127.0.0.1:%1").arg(ntohs(local.sin_port));
    NetworkLink link(*parseAddress(address));
    link.setDeadlines({300, 300});
    QVERIFY(!link.open());
    QCOMPARE(link.whyNotOpen(), address + " は 0.3 秒以内に接続に応答しませんでした。");
}

// The window program on an adapter behind ser2net: the telephone window
// reads, registers a change, and the exit stores it.
void Ser2netTest::windowProgram()
{
    using namespace korvanta;
    QVERIFY(startSimulators());
    QVERIFY(startSer2net());
    MessageRecorder messages;
    PortMap map;
    map.set(1, *parseAddress(address(ByRfc2217)));
    SerialControl control(serialLinkFactory(map));
    const Timing timing;
    Identity identity;
    QVERIFY(connectPort(control, 1, timing, identity, nullptr));
    WorkFile workFile(m_dir->filePath("mail.ini"));
    Session session(*control.link(), workFile, timing);
    session.commEvents = control.commEvents();
    applyIdentity(session, identity);
    MainWindow window(session);
    QSignalSpy finished(&window, &MainWindow::finished);
    window.show();
    SettingsDialog *telephone = window.openSettings(kSettingsCommands[0], false);
    QVERIFY(telephone);
    telephone->findChild<QLineEdit *>("Text2")->setText("0312345678");
    telephone->findChild<QPushButton *>("Command3")->click(); // 登録
    QTRY_VERIFY(!telephone->isVisible());
    window.findChild<QAction *>("FileExit")->trigger();
    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(messages.texts(), QStringList{});
    const QStringList log = simulatorLog(ByRfc2217);
    QVERIFY2(log.contains(kSetting) && log.last() == "AT&W0&W1", qPrintable(log.join(' ')));
    // Closed at the exit, the line opens again.
    QVERIFY(!control.link()->isOpen());
    QVERIFY2(control.link()->open(), qPrintable(control.link()->whyNotOpen()));
}

// "ネットワーク ポートの追加...", the port dialog's last entry: a port that
// answers is added to ports.conf and listed, selected; one that does not is
// refused with the reason and nothing is written. A TLS server or an SSH
// host it does not know is trusted in the dialog: the certificate pinned in
// the port's settings, the host key added to known_hosts; the port is added
// and opens.
void Ser2netTest::addNetworkPort_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("said"); // empty: added
    QTest::newRow("rfc2217") << "rfc2217://127.0.0.1:{rfc}" << QString();
    QTest::newRow("refused") << "tcp://127.0.0.1:{free}" << "への接続は拒否されました。";
    QTest::newRow("bad name") << "tcp://[::1" << "名前「COM3」は使えません";
    QTest::newRow("bad fingerprint") << "tcp+tls://127.0.0.1:{free}" << "fingerprint「AB:CD」は SHA-256 の指紋";
    QTest::newRow("unknown TLS server, trusted") << "rfc2217+tls://127.0.0.1:{tls}" << QString();
    QTest::newRow("unknown SSH host, trusted, the port's key asked in a window") << "ssh://127.0.0.1:{ssh}" << QString();
}

void Ser2netTest::addNetworkPort()
{
    using namespace korvanta;
    QFETCH(QString, port);
    QFETCH(QString, said);
    const bool tls = port.contains("{tls}"), ssh = port.contains("{ssh}");
    QByteArray settings; // what ports.conf takes below the port
    const QString home = m_dir->filePath("home"), knownHosts = home + "/.ssh/known_hosts";
    const QByteArray oldHome = qgetenv("HOME");
    const auto restoreHome = qScopeGuard([&oldHome] { qputenv("HOME", oldHome); });
    if (port.contains("{rfc}")) {
        QVERIFY(startSimulators());
        QVERIFY(startSer2net());
    } else if (tls) { // a certificate of the test's own CA, which no one trusts
        QVERIFY(makeCertificates());
        QVERIFY(startSimulators());
        QVERIFY(m_ser2net.start({{"telnet(rfc2217)," + tlsAccepter("server"), m_ports[ByRfc2217], m_ptys[ByRfc2217],
                                  "9600n81"}},
                                m_dir->path()));
        settings = "    fingerprint = " + fingerprint("server").toUtf8() + "\n";
    } else if (ssh) { // in a home with no ~/.ssh yet; the key's passphrase asked in the window program's way
        if (const QString why = whySshdCannotRun(); !why.isEmpty())
            QSKIP(qPrintable(why));
        const QString key = makeKey("user", "secret words");
        QVERIFY(!key.isEmpty() && startSimulators() && startSshd(key));
        QVERIFY(QDir().mkpath(home));
        qputenv("HOME", QFile::encodeName(home));
        settings = "    key = " + QFile::encodeName(key) + "\n    deadline-scale = 4\n"; // as overSsh's runs
    }
    setSecretAsker(askInWindow);
    const auto noAsker = qScopeGuard([] { setSecretAsker({}); });
    int asked = 0;
    QTimer answering; // types the passphrase into the window that asks for it
    connect(&answering, &QTimer::timeout, this, [&asked] {
        auto *secret = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!secret || secret->objectName() != "Secret")
            return;
        ++asked;
        secret->findChild<QLineEdit *>("SecretText")->setText("secret words");
        auto *ok = secret->findChild<QPushButton *>("OKButton");
        if (ok->isEnabled())
            ok->click();
        else
            secret->reject();
    });
    answering.start(10);
    port.replace("{rfc}", QString::number(m_ports[ByRfc2217])).replace("{free}", QString::number(freePort()));
    port.replace("{tls}", QString::number(m_ports[ByRfc2217])).replace("{ssh}", QString::number(m_ports[ByTcp]));
    const QString conf = m_dir->filePath("config/korvanta/ports.conf");
    MessageRecorder messages;
    SerialControl control(serialLinkFactory(PortMap()));
    const Timing timing;
    Identity identity;
    PortDialog dialog(control, timing, identity);
    dialog.setPortsFile(conf);
    dialog.show();
    auto *combo = dialog.findChild<QComboBox *>("Combo1");
    QCOMPARE(combo->count(), 10); // COM1 to COM9, then the entry that adds
    bool filled = false;
    messages.onBox = [&](const MessageRequest &) { // one refusal, then give up
        if (auto *add = qobject_cast<NetworkPortDialog *>(QApplication::activeModalWidget()))
            QMetaObject::invokeMethod(add, &QDialog::reject, Qt::QueuedConnection);
    };
    QTimer::singleShot(0, &dialog, [&] {
        auto *add = qobject_cast<NetworkPortDialog *>(QApplication::activeModalWidget());
        QVERIFY(add);
        add->findChild<QLineEdit *>("NameText")->setText(said.contains("COM3") ? "COM3" : "rack-a");
        add->findChild<QLineEdit *>("AddressText")->setText(port);
        if (ssh) {
            add->showSettings(true);
            add->findChild<QLineEdit *>("KeyText")->setText(m_dir->filePath("user"));
            add->findChild<QDoubleSpinBox *>("DeadlineScale")->setValue(4);
        }
        if (said.contains("fingerprint")) // checked as ports.conf checks it, before anything is tried
            add->findChild<QLineEdit *>("FingerprintText")->setText("AB:CD");
        filled = true;
        add->findChild<QPushButton *>("AddButton")->click();
        if (tls || ssh) { // refused, with what to trust
            auto *trust = add->findChild<QPushButton *>("TrustButton");
            QVERIFY(trust->isVisible());
            QVERIFY(messages.boxes.isEmpty());
            trust->click();
            if (add->isVisible()) // refused again: given up
                QMetaObject::invokeMethod(add, &QDialog::reject, Qt::QueuedConnection);
        }
    });
    combo->setCurrentIndex(9);
    dialog.findChild<QPushButton *>("OKButton")->click(); // 登録 on the last entry
    QVERIFY(filled);
    if (said.isEmpty()) {
        QCOMPARE(messages.texts(), QStringList{});
        QFile file(conf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), "rack-a = " + port.toUtf8() + "\n" + settings);
        if (ssh) { // the host's key as the server has it, in files of the user's alone
            const QList<QByteArray> key = readTrimmed(m_dir->filePath("host.pub")).split(' ');
            QCOMPARE(readTrimmed(knownHosts), "[127.0.0.1]:" + QByteArray::number(m_ports[ByTcp]) + ' ' + key[0] + ' ' + key[1]);
            for (const QString &path : {knownHosts, home + "/.ssh"})
                QVERIFY2((QFileInfo(path).permissions() & 0x0077) == 0, qPrintable(path));
        }
        QCOMPARE(asked, ssh ? 1 : 0); // once the host is trusted
        QCOMPARE(combo->count(), 11);
        QCOMPARE(combo->currentIndex(), 9);
        QCOMPARE(combo->currentText(), "rack-a");
        QCOMPARE(control.describe(10), port);
        dialog.findChild<QPushButton *>("OKButton")->click(); // 登録: the adapter behind it answers
        QVERIFY2(dialog.result() == PortConnected, qPrintable(messages.texts().join(u'\n')));
        QCOMPARE(identity.ModelName, "KORVAN-TA");
        QCOMPARE(asked, ssh ? 2 : 0);
    } else {
        QCOMPARE(messages.boxes.size(), 1);
        QVERIFY2(messages.texts()[0].contains(said), qPrintable(messages.texts()[0]));
        QVERIFY(!QFile::exists(conf));
        QCOMPARE(combo->count(), 10);
        QCOMPARE(combo->currentIndex(), 0); // back where it was
    }
}

bool Ser2netTest::makeCertificates()
{
    const QDir dir(m_dir->path());
    const auto openssl = [&dir](const QStringList &arguments) {
        QProcess process;
        process.setWorkingDirectory(dir.path());
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start("openssl", arguments);
        return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit
            && process.exitCode() == 0;
    };
    const QStringList newKey{"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"};
    QFile config(dir.filePath("ca.cnf"));
    if (!dir.mkpath("cadb") || !dir.mkpath("auth/korvanta/allowed_certs") || !config.open(QIODevice::WriteOnly))
        return false;
    config.write("[ca]\ndefault_ca = test\n[test]\ndatabase = cadb/index.txt\nnew_certs_dir = cadb\n"
                 "serial = cadb/serial\ndefault_md = sha256\npolicy = any\nunique_subject = no\n"
                 "[any]\ncommonName = supplied\n[server]\nsubjectAltName = DNS:localhost,IP:127.0.0.1\n"
                 "[other]\nsubjectAltName = DNS:other.example\n[client]\nextendedKeyUsage = clientAuth\n");
    config.close();
    QFile(dir.filePath("cadb/index.txt")).open(QIODevice::WriteOnly);
    QFile serial(dir.filePath("cadb/serial"));
    if (!serial.open(QIODevice::WriteOnly) || serial.write("01\n") != 3)
        return false;
    serial.close();
    if (!openssl(QStringList{"req", "-x509"} + newKey + QStringList{"-keyout", "ca.key", "-out", "ca.pem", "-days", "30",
                                                                    "-subj", "/CN=Test CA"}))
        return false;
    // name, common name, extensions, validity
    const QStringList made[] = {{"server", "localhost", "server", "-days", "30"},
                                {"other", "other.example", "other", "-days", "30"},
                                {"expired", "localhost", "server", "-startdate", "20200101000000Z", "-enddate",
                                 "20200201000000Z"},
                                {"client", "korvanta", "client", "-days", "30"}};
    for (const QStringList &c : made)
        if (!openssl(QStringList{"req"} + newKey + QStringList{"-keyout", c[0] + ".key", "-out", c[0] + ".csr", "-subj", "/CN=" + c[1]})
            || !openssl(QStringList{"ca", "-batch", "-notext", "-config", "ca.cnf", "-cert", "ca.pem", "-keyfile", "ca.key",
                                    "-in", c[0] + ".csr", "-out", c[0] + ".pem", "-extensions", c[2]}
                        + c.mid(3)))
            return false;
    // ser2net takes a client whose certificate chains to what the user's allowed_certs hold.
    return QFile::copy(dir.filePath("ca.pem"), dir.filePath("auth/korvanta/allowed_certs/ca.pem"))
        && openssl({"rehash", "auth/korvanta/allowed_certs"});
}

QString Ser2netTest::tlsAccepter(const QString &name, const QString &more) const
{
    return QStringLiteral("ssl(key=%1/%2.key,cert=%1/%2.pem%3),tcp").arg(m_dir->path(), name, more);
}

QString Ser2netTest::fingerprint(const QString &name)
{
    QProcess process;
    process.start("openssl", {"x509", "-noout", "-fingerprint", "-sha256", "-in", m_dir->filePath(name + ".pem")});
    process.waitForFinished(30000);
    const QString said = QString::fromLatin1(process.readAllStandardOutput()).trimmed();
    return "SHA256:" + said.mid(said.indexOf(u'=') + 1);
}

// Console servers over TLS: ser2net's ssl accepters, with a good certificate,
// one for another host, an expired one, and one that asks for the client's;
// raw TCP within TLS to the other adapter. A port that is trusted gives the
// same backup as the adapter's own line; each refusal says why, and nothing
// reached the adapter.
void Ser2netTest::tls()
{
    QVERIFY(makeCertificates());
    QVERIFY(startSimulators());
    const QString mail = m_dir->filePath("mail.ini");
    QCOMPARE(run({"--port", m_ptys[ByRfc2217], "--workfile", mail, "backup", "pty.ini"}), 0);
    QFile pty(m_dir->filePath("pty.ini"));
    QVERIFY(pty.open(QIODevice::ReadOnly));
    const QByteArray onThePty = pty.readAll();

    const QString dir = m_dir->path();
    const auto accepter = [this](const QString &name, const QString &more = {}) {
        return "telnet(rfc2217)," + tlsAccepter(name, more);
    };
    const quint16 good = freePort(), other = freePort(), expired = freePort(), client = freePort(), raw = freePort(),
                  rawClient = freePort();
    QVERIFY(QSet<quint16>({good, other, expired, client, raw, rawClient, 0}).size() == 7);
    QVERIFY(m_ser2net.start({{accepter("server"), good, m_ptys[ByRfc2217], "9600n81"},
                             {accepter("other"), other, m_ptys[ByRfc2217], "9600n81"},
                             {accepter("expired"), expired, m_ptys[ByRfc2217], "9600n81"},
                             {accepter("server", ",clientauth"), client, m_ptys[ByRfc2217], "9600n81",
                              "    authdir: " + dir + "/auth\n"},
                             {tlsAccepter("server"), raw, m_ptys[ByTcp], "19200n81"},
                             {tlsAccepter("server", ",clientauth"), rawClient, m_ptys[ByTcp], "19200n81",
                              "    authdir: " + dir + "/auth\n"}},
                            dir));
    const QString ca = "    ca = " + dir + "/ca.pem\n";
    const QString mine = "    cert = " + dir + "/client.pem\n    key = " + dir + "/client.key\n";
    const struct {
        const char *name;
        QString address;  // {good}, {other}, … : the ports above
        QString settings; // below the port in ports.conf; {fp}: the good certificate's fingerprint, {otherfp}: another's
        QString said;     // empty: trusted
        bool systemCa = false; // the test's CA is the system's, in a mount namespace of the program's own
    } rows[] = {
        {"good certificate", "rfc2217+tls://127.0.0.1:{good}", ca, {}},
        {"good certificate, the system's CA", "rfc2217+tls://127.0.0.1:{good}", {}, {}, true},
        {"good certificate, by host name", "rfc2217+tls://localhost:{good}", ca, {}},
        {"unknown CA", "rfc2217+tls://127.0.0.1:{good}", {},
         "信頼できる認証局のものではありません (SHA-256 指紋 {fp})。このサーバーを信頼するなら、ports.conf のこのポートの下に行「    fingerprint = {fp}」"},
        {"wrong host name", "rfc2217+tls://127.0.0.1:{other}", ca, "証明書はホスト「127.0.0.1」のものではありません (証明書の名前: other.example)"},
        {"expired", "rfc2217+tls://127.0.0.1:{expired}", ca, "証明書は 2020-02-01T00:00:00Z に期限が切れています。"},
        {"pinned, no CA", "tcp+tls://127.0.0.1:{raw}", "    fingerprint = {fp}\n", {}},
        {"changed fingerprint", "rfc2217+tls://127.0.0.1:{good}", ca + "    fingerprint = {otherfp}\n",
         "証明書 (SHA-256 指紋 {fp}) は ports.conf で固定された指紋 {otherfp} と違います。"},
        {"client certificate missing", "rfc2217+tls://127.0.0.1:{client}", ca, "cert と key の行を加えてください。"},
        {"client certificate given", "rfc2217+tls://127.0.0.1:{client}", ca + mine, {}},
        {"client certificate missing, raw", "tcp+tls://127.0.0.1:{rawclient}", ca, "cert と key の行を加えてください。"},
        {"unreadable CA file", "rfc2217+tls://127.0.0.1:{good}", "    ca = " + dir + "/none.pem\n",
         "認証局の証明書 (ca)のファイル「" + dir + "/none.pem」を読めません"},
        {"a key that is not one", "rfc2217+tls://127.0.0.1:{client}", ca + "    cert = " + dir + "/client.pem\n    key = " + dir + "/ca.pem\n",
         "秘密鍵 (key)のファイル「" + dir + "/ca.pem」を読めません (PEM 形式の暗号化されていない秘密鍵がありません)"},
    };
    // The system's store as Qt reads it, holding the test's CA alone.
    QVERIFY(QDir(dir).mkpath("system") && QFile::copy(dir + "/ca.pem", dir + "/system/ca-certificates.crt"));
    const QStringList asSystem{"unshare", "-m", "sh", "-c", "mount --bind " + dir + "/system /etc/ssl/certs && exec \"$0\" \"$@\""};
    const bool namespaces = QProcess::execute("unshare", {"-m", "true"}) == 0;
    const QString fp = fingerprint("server"), otherFp = fingerprint("other");
    QVERIFY(fp.size() == 7 + 95 && otherFp.size() == 7 + 95 && fp != otherFp);
    for (const auto &row : rows) {
        if (row.systemCa && !namespaces) {
            qInfo("%s: left out, no mount namespace for this user", row.name);
            continue;
        }
        QString address = row.address;
        for (auto [name, number] : {std::pair{"{good}", good}, {"{other}", other}, {"{expired}", expired},
                                    {"{client}", client}, {"{raw}", raw}, {"{rawclient}", rawClient}})
            address.replace(name, QString::number(number));
        const auto fill = [&](QString text) { return text.replace("{fp}", fp).replace("{otherfp}", otherFp); };
        QFile conf(m_dir->filePath("config/korvanta/ports.conf"));
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write(("rack = " + address + "\n" + fill(row.settings)).toUtf8());
        conf.close();
        const qsizetype heard = simulatorLog(ByRfc2217).size() + simulatorLog(ByTcp).size();
        QFile::remove(m_dir->filePath("tls.ini"));
        const int status = run({"--port", "rack", "--workfile", mail, "backup", "tls.ini"}, row.systemCa ? asSystem : QStringList{});
        if (row.said.isEmpty()) {
            QVERIFY2(status == 0, qPrintable(row.name + (": " + m_err)));
            QFile backup(m_dir->filePath("tls.ini"));
            QVERIFY(backup.open(QIODevice::ReadOnly));
            QVERIFY2(backup.readAll() == onThePty, row.name);
        } else {
            QVERIFY2(status == 1, qPrintable(row.name + (": " + m_err)));
            QVERIFY2(m_err.contains("korvanta-cli: rack: " + address), qPrintable(row.name + (": " + m_err)));
            QVERIFY2(m_err.contains(fill(row.said)), qPrintable(row.name + (": " + m_err)));
            QVERIFY2(simulatorLog(ByRfc2217).size() + simulatorLog(ByTcp).size() == heard, row.name);
        }
    }
}

QString Ser2netTest::makeKey(const QString &name, const QString &passphrase)
{
    const QString path = m_dir->filePath(name);
    return QProcess::execute("ssh-keygen", {"-q", "-t", "ed25519", "-N", passphrase, "-C", name, "-f", path}) == 0
        ? path
        : QString();
}

QString Ser2netTest::whySshdCannotRun()
{
    if (::getuid() != 0)
        return {};
    QDir().mkpath("/run/sshd");
    const QFileInfo folder("/run/sshd");
    return folder.exists() && folder.ownerId() != 0
               ? QStringLiteral("sshd run by root wants /run/sshd owned by root; here it belongs to user %1 "
                                "(a user namespace?)")
                     .arg(folder.ownerId())
               : QString();
}

bool Ser2netTest::startSshd(const QString &userKey, bool bridged)
{
    const QString socat = QStandardPaths::findExecutable("socat");
    if (socat.isEmpty() || makeKey("host").isEmpty()) {
        qWarning("socat is missing (scripts/setup.sh installs it), or ssh-keygen failed");
        return false;
    }
    QFile authorized(m_dir->filePath("authorized_keys"));
    if (!authorized.open(QIODevice::WriteOnly))
        return false;
    // One bridge at a time: a login that follows another at once waits for the
    // last one's socat to end, which would take the adapter's answers otherwise.
    const QString bridge = QStringLiteral("flock %1 %2 - %3,raw,echo=0,b19200,cs8,parenb=0,cstopb=0")
                               .arg(m_dir->filePath("bridge.lock"), socat, m_ptys[ByTcp]);
    authorized.write(QStringLiteral("command=\"%1\" ").arg(bridged ? bridge : QStringLiteral("true")).toUtf8()
                     + readTrimmed(userKey + ".pub") + "\n");
    authorized.close();
    const quint16 port = m_ports[ByTcp];
    if (::getuid() == 0) // sshd run by root wants its privilege separation folder
        QDir().mkpath("/run/sshd");
    QFile config(m_dir->filePath("sshd_config"));
    if (!config.open(QIODevice::WriteOnly))
        return false;
    config.write(QStringLiteral("Port %1\nListenAddress 127.0.0.1\nHostKey %2\nAuthorizedKeysFile %3\n"
                                "PidFile none\nUsePAM no\nStrictModes no\nPermitRootLogin yes\n"
                                "PasswordAuthentication no\nKbdInteractiveAuthentication no\n")
                     .arg(port)
                     .arg(m_dir->filePath("host"), m_dir->filePath("authorized_keys"))
                     .toUtf8());
    config.close();
    diesWithParent(m_sshd);
    m_sshd.setStandardErrorFile(m_dir->filePath("sshd.log"));
    m_sshd.start(QStandardPaths::findExecutable("sshd", {"/usr/sbin", "/usr/bin"}),
                 {"-D", "-e", "-f", config.fileName()});
    if (m_sshd.waitForStarted(5000) && QTest::qWaitFor([port] { return korvanta::testing::listening(port); }, 5000))
        return true;
    qWarning("%s", readTrimmed(m_dir->filePath("sshd.log")).constData());
    return false;
}

// A console server behind OpenSSH's server, its forced command bridging to
// the adapter's line at 19200 8N1: a backup through it gives the file the
// adapter's own line gives, logged in by the port's key (its passphrase typed
// at the terminal where it has one) or by ssh-agent; an unknown or changed
// host key, a key the server does not take and a passphrase not given are
// refused, with why, and the adapter hears nothing.
void Ser2netTest::overSsh_data()
{
    QTest::addColumn<QString>("knownKey"); // what known_hosts holds for the server: host, other, or nothing
    QTest::addColumn<QString>("login");    // "key" (ports.conf), "locked" (the same, with a passphrase), "agent",
                                           // "default" (~/.ssh/id_ed25519, with a passphrase),
                                           // "wrong" (a key the server does not know), or "gone" (the key, its
                                           // forced command ending at once)
    QTest::addColumn<QByteArray>("typed"); // empty: no terminal; else what is typed there at the question
    QTest::addColumn<QString>("said");     // empty: it works; {fingerprint}: the server's
    const QByteArray none;
    QTest::newRow("known host, the port's key") << "host" << "key" << none << "";
    QTest::newRow("known host, ssh-agent") << "host" << "agent" << none << "";
    QTest::newRow("unknown host") << "" << "key" << none
                                  << "のホスト鍵を知らないため接続しません。鍵の指紋は {fingerprint} です。";
    QTest::newRow("changed host key") << "other" << "agent" << none << ": 警告: ssh://127.0.0.1:";
    QTest::newRow("a key the server does not take") << "host" << "wrong" << none << "としてのログインを認めませんでした";
    QTest::newRow("the forced command ends at once") << "host" << "gone" << none << "との接続は閉じられました。";
    QTest::newRow("a key's passphrase, typed") << "host" << "locked" << QByteArray("secret words\r") << "";
    QTest::newRow("the default key's passphrase, typed") << "host" << "default" << QByteArray("secret words\r") << "";
    QTest::newRow("a key's passphrase, declined") << "host" << "locked" << QByteArray("\x03")
                                                  << "入力が取り消されたため、ログインせずに接続を終えました。";
    QTest::newRow("a key's passphrase, the run told to end") << "host" << "locked" << kTerminate
                                                             << "stopped by SIGTERM while identifying the adapter: nothing was changed";
    QTest::newRow("a key's passphrase, no terminal") << "host" << "locked" << none
                                                     << "ssh-add で ssh-agent に読み込んでから使ってください。";
}

void Ser2netTest::overSsh()
{
    QFETCH(QString, knownKey);
    QFETCH(QString, login);
    QFETCH(QByteArray, typed);
    QFETCH(QString, said);
    if (const QString why = whySshdCannotRun(); !why.isEmpty())
        QSKIP(qPrintable(why));
    const bool locked = login == "locked" || login == "default";
    const QString user = makeKey("user", locked ? "secret words" : ""), other = makeKey("other"),
                  wrong = makeKey("wrong");
    QVERIFY(!user.isEmpty() && !other.isEmpty() && !wrong.isEmpty());
    QVERIFY(startSimulators());
    QVERIFY(startSshd(user, login != "gone"));
    const quint16 port = m_ports[ByTcp];

    const QString home = m_dir->filePath("home");
    QVERIFY(QDir(home).mkpath(".ssh"));
    m_environment.insert("HOME", home);
    m_environment.remove("SSH_AUTH_SOCK");
    QFile knownHosts(home + "/.ssh/known_hosts");
    QVERIFY(knownHosts.open(QIODevice::WriteOnly));
    if (!knownKey.isEmpty())
        knownHosts.write(QStringLiteral("[127.0.0.1]:%1 ").arg(port).toUtf8()
                         + readTrimmed(m_dir->filePath(knownKey + ".pub")) + "\n");
    knownHosts.close();

    QString address = QStringLiteral("ssh://127.0.0.1:%1").arg(port);
    if (login == "default") {
        QVERIFY(QFile::copy(user, home + "/.ssh/id_ed25519") && QFile::copy(user + ".pub", home + "/.ssh/id_ed25519.pub"));
    } else if (login == "agent") {
        const QString socket = m_dir->filePath("agent");
        diesWithParent(m_agent);
        m_agent.start("ssh-agent", {"-D", "-a", socket});
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(socket), 5000);
        m_environment.insert("SSH_AUTH_SOCK", socket);
        QProcess add;
        add.setProcessEnvironment(m_environment);
        add.start("ssh-add", {"-q", user});
        QVERIFY(add.waitForFinished(10000) && add.exitCode() == 0);
    } else { // the key ports.conf names, with the user named too
        QFile conf(m_dir->filePath("config/korvanta/ports.conf"));
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write(QStringLiteral("rack-s = ssh://%1@127.0.0.1:%2\n    key = %3\n")
                       .arg(QString::fromLocal8Bit(::getpwuid(::getuid())->pw_name))
                       .arg(port)
                       .arg(login == "wrong" ? wrong : user)
                       .toUtf8());
        conf.close();
        address = "rack-s";
    }

    if (said.isEmpty()) // first, before the forced command holds the line
        QVERIFY2(run({"--port", m_ptys[ByTcp], "--workfile", m_dir->filePath("mail.ini"), "backup", "pty.ini"}) == 0,
                 qPrintable(m_err));
    const qsizetype heard = simulatorLog(ByTcp).size();
    // Deadlines long enough on a loaded machine, where the bridge behind sshd may start after the first command.
    const int status = run({"--port", address, "--deadline-scale", "4", "--workfile", m_dir->filePath("mail.ini"), "backup", "ssh.ini"},
                           {}, typed);
    if (!said.isEmpty()) {
        QProcess fingerprint;
        fingerprint.start("ssh-keygen", {"-l", "-f", m_dir->filePath("host.pub")});
        QVERIFY(fingerprint.waitForFinished(10000));
        said.replace("{fingerprint}", QString::fromLatin1(fingerprint.readAllStandardOutput()).section(' ', 1, 1));
        QCOMPARE(status, typed == kTerminate ? 128 + SIGTERM : 1);
        QVERIFY2(m_err.contains(said), qPrintable(m_err));
        QCOMPARE(simulatorLog(ByTcp), QStringList{}); // nothing reached the adapter
        return;
    }
    QVERIFY2(status == 0, qPrintable(QString::number(status) + ": " + m_err + readTrimmed(m_dir->filePath("sshd.log"))));
    QCOMPARE_GT(simulatorLog(ByTcp).size(), heard);
    QCOMPARE(readTrimmed(m_dir->filePath("ssh.ini")), readTrimmed(m_dir->filePath("pty.ini")));
}

QTEST_MAIN(Ser2netTest)
#include "ser2net_test.moc"
