// SPDX-License-Identifier: GPL-3.0-or-later
// korvanta-cli as a user runs it: exit statuses, results and messages, the
// traffic log, and the libraries it needs.

#include "sim/simulatedadapter.h"
#include "tests/trafficlog.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <sys/sysmacros.h>

class CliTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void statuses_data();
    void statuses();
    void logsTraffic();
    void profiles();
    void restoresThatCannotHold_data();
    void restoresThatCannotHold();
    void storedAfterPowerCycle_data();
    void storedAfterPowerCycle();
    void stoppedBySignal_data();
    void stoppedBySignal();
    void backupIntoAnyFile_data();
    void backupIntoAnyFile();
    void json();
    void refusedWithNothingSent_data();
    void refusedWithNothingSent();
    void cutShortSaysWhatWasDone_data();
    void cutShortSaysWhatWasDone();
    void deviceHeldExclusively();
    void rackOfSixInParallel();
    void backupOfAMalformedReply_data();
    void backupOfAMalformedReply();
    void portsAsTheWindowProgram();
    void linksNeitherWidgetsNorGui();

private:
    // Starts korvanta-sim with the options, its stored settings in a file of
    // the test's folder and every line it receives in sim.log; false when it
    // gave no device. Started again: the adapter after a power cycle.
    bool startSimulator(const QStringList &options = {});
    // Lines the simulator received.
    QStringList simulatorLog() const;
    // Starts a program of the build in the test's folder, $XDG_DATA_HOME
    // there too, {pty} in the arguments the simulator's device; standard
    // output into the file output when one is named.
    void start(QProcess &process, const char *name, const QStringList &arguments, const QString &output = {});
    // Runs a program of the build to its end; its exit status.
    int run(const char *name, const QStringList &arguments, const QString &output = {});
    // factory.ini from the simulator, and changed.ini with two settings
    // changed; the options that lead korvanta-cli to the simulator, through
    // a power cycle too.
    QStringList writeProfiles();

    std::unique_ptr<QTemporaryDir> m_dir;
    QProcess m_sim;
    QString m_device;
    QString m_out, m_err;
};

namespace {
QString program(const char *name)
{
    return QDir(qEnvironmentVariable("KORVANTA_BIN_DIR")).filePath(QString::fromLatin1(name));
}

// An adapter behind a raw TCP port of 127.0.0.1, as a console server offers
// it, served by the test's own event loop: the simulator's engine, with the
// whole answer to chosen command lines replaced by replies the adapter never
// gives.
struct TcpAdapter {
    TcpAdapter()
    {
        server.listen(QHostAddress::LocalHost);
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            QTcpSocket *socket = server.nextPendingConnection();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, line = QByteArray()]() mutable {
                for (const char c : socket->readAll()) {
                    line += c;
                    if (c != '\r')
                        continue;
                    const auto replaced = replies.constFind(line.chopped(1));
                    socket->write(replaced == replies.cend() ? adapter.respond(line) : *replaced);
                    line.clear();
                }
            });
        });
    }
    QString address() const { return QStringLiteral("tcp://127.0.0.1:%1").arg(server.serverPort()); }
    QTcpServer server;
    korvanta::sim::SimulatedAdapter adapter;
    QMap<QByteArray, QByteArray> replies; // command line without CR -> the whole answer, echo included
};

// The status of a run started, waited for while the event loop serves.
int waitedStatus(QProcess &process)
{
    QDeadlineTimer deadline(30000);
    while (process.state() != QProcess::NotRunning && !deadline.hasExpired())
        QTest::qWait(10);
    return process.state() == QProcess::NotRunning && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

int modeOf(const QString &path)
{
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? int(status.st_mode & 07777) : -1;
}
} // namespace

void CliTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void CliTest::cleanup()
{
    m_sim.terminate();
    m_sim.waitForFinished(5000);
}

bool CliTest::startSimulator(const QStringList &options)
{
    cleanup();
    m_sim.start(program("korvanta-sim"),
                QStringList{"--state", m_dir->filePath("state"), "--log", m_dir->filePath("sim.log")} + options);
    if (!m_sim.waitForStarted(5000) || !m_sim.waitForReadyRead(5000))
        return false;
    m_device = QString::fromLocal8Bit(m_sim.readLine()).trimmed();
    return m_device.startsWith(u'/');
}

QStringList CliTest::simulatorLog() const
{
    QFile file(m_dir->filePath("sim.log"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()).split(u'\n', Qt::SkipEmptyParts)
                                          : QStringList{};
}

void CliTest::start(QProcess &process, const char *name, const QStringList &arguments, const QString &output)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_DATA_HOME", m_dir->filePath("data"));
    environment.insert("XDG_CONFIG_HOME", m_dir->filePath("config")); // no ports.conf of the user's
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(m_dir->path());
    if (!output.isEmpty())
        process.setStandardOutputFile(output);
    QStringList filled = arguments; // {pty}: the simulator's device now
    filled.replaceInStrings("{pty}", m_device);
    process.start(name[0] == '/' ? QString::fromLatin1(name) : program(name), filled);
    process.closeWriteChannel(); // standard input is empty
}

int CliTest::run(const char *name, const QStringList &arguments, const QString &output)
{
    QProcess process;
    start(process, name, arguments, output);
    if (!process.waitForFinished(30000))
        return -1;
    m_out = QString::fromUtf8(process.readAllStandardOutput());
    m_err = QString::fromUtf8(process.readAllStandardError());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

QStringList CliTest::writeProfiles()
{
    const QStringList line{"--port", "{pty}", "--workfile", m_dir->filePath("mail.ini")};
    if (run("korvanta-cli", line + QStringList{"backup", "factory.ini"}) != 0)
        return {};
    QFile factory(m_dir->filePath("factory.ini")), changed(m_dir->filePath("changed.ini"));
    if (!factory.open(QIODevice::ReadOnly) || !changed.open(QIODevice::WriteOnly))
        return {};
    QByteArray text = factory.readAll();
    text.replace("\n[TANSYUKU]\n00=\n", "\n[TANSYUKU]\n00=117\n");
    text.replace("[TEL1]\nJIKO_NO=\n", "[TEL1]\nJIKO_NO=0312345678\n");
    changed.write(text);
    return line;
}

void CliTest::statuses_data()
{
    QTest::addColumn<QStringList>("simulator"); // korvanta-sim's options; none: no simulator
    QTest::addColumn<bool>("workFileInUse");
    QTest::addColumn<QStringList>("arguments");  // {pty}: the simulator's device, also {dir}/adapter; {dir}: a scratch folder; >FILE last: standard output into FILE
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    const QStringList none;
    const QStringList answers{"--log", "/dev/null"}; // a simulator that answers as the adapter does
    const QString identified = "KORVAN-TA\tVer 1.30 01/03/15\n";
    QTest::newRow("no command") << none << false << QStringList{} << 2 << "" << "no command";
    QTest::newRow("unknown command") << none << false << QStringList{"frobnicate"} << 2 << "" << "unknown command";
    QTest::newRow("unknown option") << none << false << QStringList{"--fast", "identify"} << 2 << "" << "Unknown option 'fast'";
    QTest::newRow("identify with a word") << none << false << QStringList{"identify", "now"} << 2 << "" << "no arguments";
    QTest::newRow("COM10") << none << false << QStringList{"--port", "COM10", "identify"} << 2 << "" << "COM1 to COM9";
    QTest::newRow("log cannot be written") << none << false
                                           << QStringList{"--simulate", "--log", "{dir}/none/log", "identify"} << 2
                                           << "" << "none/log";
    QTest::newRow("work file in use") << none << true << QStringList{"--simulate", "identify"} << 2 << ""
                                      << "既に起動しています";
    QTest::newRow("simulated") << none << false << QStringList{"--simulate", "identify"} << 0 << identified << "";
    QTest::newRow("options after the command") << none << false << QStringList{"identify", "--simulate"} << 0
                                                << identified << "";
    QTest::newRow("device path") << answers << false << QStringList{"--port", "{pty}", "identify"} << 0 << identified
                                 << "";
    QTest::newRow("COMn led to the device") << answers << false
                                            << QStringList{"--port", "COM4={pty}", "--port", "com4", "identify"} << 0
                                            << identified << "";
    QTest::newRow("missing device") << none << false << QStringList{"--port", "{dir}/ttyX", "identify"} << 1 << ""
                                    << "korvanta-cli: {dir}/ttyX: COMポートがオープンできません\n"
                                       "korvanta-cli: {dir}/ttyX: デバイス {dir}/ttyX が存在しません";
    QTest::newRow("silent adapter") << QStringList{"--silent"} << false << QStringList{"--port", "{pty}", "identify"}
                                    << 1 << "" << "機器が接続されていません";
    QTest::newRow("no KORVAN-TA") << QStringList{"--silent-from", "ATI"} << false
                                  << QStringList{"--port", "{pty}", "identify"} << 1 << ""
                                  << "KORVAN-TAが接続されていません";
    // The question whether to go on is answered at once: the command ends.
    QTest::newRow("line lost") << QStringList{"--drop-after", "5", "--drop-on", "ATI"} << false
                               << QStringList{"--port", "{pty}", "identify"} << 1 << ""
                               << "機器との回線が切れました。ケーブルと機器の電源を確かめてください。";

    // Checked before the port opens, and said with the port's device.
    const auto more = [&](const char *name, const QStringList &sim, const QStringList &arguments, int status,
                          const QString &out, const QString &err) {
        QTest::newRow(name) << sim << false << arguments << status << out << err;
    };
    more("log is a folder, no port", none, {"--log", "{dir}", "ports"}, 2, "", "the log cannot be opened: {dir}: ");
    more("log on a full disk", answers, {"--port", "{pty}", "--log", "/dev/full", "identify"}, 2, "",
         "korvanta-cli: {pty}: stopped as the log cannot be written (/dev/full: ");
    more("standard output full", answers, {"--port", "{pty}", "identify", ">/dev/full"}, 2, "",
         "korvanta-cli: {pty}: standard output cannot be written: ");
    more("backup to a full standard output", answers, {"--port", "{pty}", "backup", "-", ">/dev/full"}, 2, "",
         "standard output cannot be written: ");
    more("relative device path", answers, {"--port", "adapter", "identify"}, 0, identified, "");
    more("COMn=PATH alone", answers, {"--port", "COM4={pty}", "identify"}, 0, identified, "");
    more("store", answers, {"--port", "{pty}", "store"}, 0, "", "");
    more("empty standard input", answers, {"--port", "{pty}", "restore", "-"}, 2, "",
         "korvanta-cli: {pty}: standard input: 空です");
    more("reading cut off", {"--drop-after", "5", "--drop-on", "AT\\S3"}, {"--port", "{pty}", "backup", "-"}, 1, "",
         "korvanta-cli: {pty}: コマンドの受信に失敗しました (AT\\S3)\n");
    // "=": the whole of standard error.
    more("usage error in one line", none, {"--fast", "identify"}, 2, "",
         "=korvanta-cli: Unknown option 'fast'.\nTry 'korvanta-cli --help'.\n");
    // A profile never goes over the run's own work file, however named; the
    // port is not even opened (the work file's lock is never made).
    more("backup over the work file", answers, {"--port", "{pty}", "backup", "{dir}/mail.ini"}, 2, "",
         "{dir}/mail.ini: 作業ファイル {dir}/mail.ini そのものです");
    more("backup over the work file by another path", answers, {"--port", "{pty}", "backup", "{dir}/./mail.ini"}, 2,
         "", "作業ファイル {dir}/mail.ini そのものです");
    more("work file in a missing folder", answers, {"--port", "{pty}", "--workfile", "{dir}/none/mail.ini", "identify"}, 2,
         "", "korvanta-cli: {pty}: the work file cannot be written: {dir}/none: No such file or directory");
    more("store's report into a full disk", answers, {"--port", "{pty}", "--json", "store", ">/dev/full"}, 2, "",
         "korvanta-cli: {pty}: standard output cannot be written, so nothing was sent: No space left on device");
    more("diff names the port", none, {"--port", "{dir}/ttyX", "diff", "none.ini"}, 2, "",
         "=korvanta-cli: {dir}/ttyX: none.ini: No such file or directory\n");
    more("diff of two files names none", none, {"--port", "{dir}/ttyX", "diff", "none.ini", "none.ini"}, 2, "",
         "=korvanta-cli: none.ini: No such file or directory\n");
    more("--language ja", none, {"--language", "ja", "frobnicate"}, 2, "", "知らないコマンドです");
    more("--language en", none, {"--language", "en", "--port", "{dir}/ttyX", "identify"}, 1, "",
         "korvanta-cli: {dir}/ttyX: Cannot open the COM port.");
    more("--language c", none, {"--language", "c", "--port", "{dir}/ttyX", "identify"}, 1, "",
         "korvanta-cli: {dir}/ttyX: COMポートがオープンできません");
}

void CliTest::statuses()
{
    QFETCH(QStringList, simulator);
    QFETCH(bool, workFileInUse);
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    if (!simulator.isEmpty()) {
        QVERIFY(startSimulator(simulator));
        QVERIFY(QFile::link(m_device, m_dir->filePath("adapter")));
    }
    const QString workFile = m_dir->filePath("mail.ini");
    QLockFile otherProgram(workFile + ".lock");
    if (workFileInUse)
        QVERIFY(otherProgram.tryLock(0));
    const auto fill = [this](QString text) { return text.replace("{pty}", m_device).replace("{dir}", m_dir->path()); };
    QStringList line{"--workfile", workFile};
    for (const QString &argument : arguments)
        line << fill(argument);

    const QString output = line.last().startsWith('>') ? line.takeLast().mid(1) : QString();
    QCOMPARE(run("korvanta-cli", line, output), status);
    QCOMPARE(m_out, out);
    if (err.startsWith('='))
        QCOMPARE(m_err, fill(err.mid(1)));
    else
        QVERIFY2(m_err.contains(fill(err)), qPrintable(m_err));
    if (status == 2 && !workFileInUse)
        QVERIFY(!QFile::exists(workFile + ".lock")); // a usage error touches nothing
}

// Two runs append to one log: every line sent, every reply, with the time.
void CliTest::logsTraffic()
{
    QVERIFY(startSimulator());
    const QString log = m_dir->filePath("traffic.log");
    for (int i = 0; i < 2; ++i)
        QCOMPARE(run("korvanta-cli", {"--port", m_device, "--workfile", m_dir->filePath("mail.ini"), "--log", log,
                                      "identify"}),
                 0);
    QCOMPARE(trafficLines(log), kIdentificationTraffic + kIdentificationTraffic);
}

// Backup, diff, restore as an operator scripts them, against one adapter.
void CliTest::profiles()
{
    QVERIFY(startSimulator());
    const QString dir = m_dir->path();
    const QStringList line{"--port", m_device, "--workfile", dir + "/mail.ini"};
    const auto file = [&](const char *name, const QByteArray &bytes) {
        QFile f(dir + '/' + name);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    };
    QCOMPARE(run("korvanta-cli", line + QStringList{"backup", "-"}), 0);
    const QByteArray factory = m_out.toUtf8();
    QVERIFY(factory.startsWith("; KORVAN-TA settings profile\n[PROFILE]\nMODEL=KORVAN-TA\n"));
    QByteArray changed = factory;
    changed.replace("\n[TANSYUKU]\n00=\n", "\n[TANSYUKU]\n00=117\n");
    changed.replace("[TEL1]\nJIKO_NO=\n", "[TEL1]\nJIKO_NO=0312345678\n");
    QVERIFY(changed != factory);
    file("factory.ini", factory);
    file("changed.ini", changed);

    // Two files: the settings that differ, with the windows' captions, from
    // the first to the second; the adapter and a file: from the adapter.
    QCOMPARE(run("korvanta-cli", {"diff", dir + "/factory.ini", dir + "/changed.ini"}), 1);
    QCOMPARE(m_out.count('\n'), 2);
    QVERIFY2(m_out.contains("[TANSYUKU] 00: \"\" → \"117\""), qPrintable(m_out));
    const QString twoFiles = m_out;
    QCOMPARE(run("korvanta-cli", line + QStringList{"diff", dir + "/changed.ini"}), 1);
    QCOMPARE(m_out, twoFiles);

    // A refused profile never reaches the line.
    QByteArray bad = changed;
    bad.replace("JIKO_NO=0312345678", "JIKO_NO=03;&F");
    file("bad.ini", bad);
    const QString log = dir + "/traffic.log";
    QCOMPARE(run("korvanta-cli", line + QStringList{"--log", log, "restore", dir + "/bad.ini"}), 2);
    const int badLine = int(bad.left(bad.indexOf("JIKO_NO=03;")).count('\n')) + 1;
    QVERIFY2(m_err.contains(QStringLiteral("bad.ini:%1: TEL1/JIKO_NO").arg(badLine)), qPrintable(m_err));
    QCOMPARE(QFileInfo(log).size(), 0);

    // A dry run prints the two changes and sends neither.
    QCOMPARE(run("korvanta-cli", line + QStringList{"--log", log, "restore", "--dry-run", dir + "/changed.ini"}), 0);
    QCOMPARE(m_out.count('\n'), 2);
    QFile traffic(log);
    QVERIFY(traffic.open(QIODevice::ReadOnly));
    const QByteArray sent = traffic.readAll();
    QVERIFY(!sent.contains("send AT$C1=") && !sent.contains("send AT&Z0=") && !sent.contains("AT&W"));

    // Restored and stored; the adapter then equals the file, and a second
    // restore has nothing to do.
    QCOMPARE(run("korvanta-cli", line + QStringList{"restore", dir + "/changed.ini"}), 0);
    QCOMPARE(run("korvanta-cli", line + QStringList{"diff", dir + "/changed.ini"}), 0);
    QCOMPARE(m_out, QString());
    QCOMPARE(run("korvanta-cli", line + QStringList{"restore", dir + "/changed.ini"}), 0);
    QCOMPARE(m_out, QString());
}

void CliTest::restoresThatCannotHold_data()
{
    QTest::addColumn<QStringList>("simulator");
    QTest::addColumn<QByteArray>("from"); // every such line of the adapter's own profile ...
    QTest::addColumn<QByteArray>("to");   // ... changed to this
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("err");     // {line}: the line of the last change
    QTest::addColumn<bool>("portOpened");
    QTest::newRow("number display on TEL2 and TEL3") << QStringList{"--log", "/dev/null"} << QByteArray("\nNDISPLAY=0\n")
                                                     << QByteArray("\nNDISPLAY=1\n") << 2
                                                     << "p.ini:{line}: TEL2/NDISPLAY, TEL3/NDISPLAY: " << false;
    QTest::newRow("a setting the adapter keeps") << QStringList{"--keep", "$L2"} << QByteArray("\nONSEI=0\n")
                                                 << QByteArray("\nONSEI=1\n") << 1 << "[TEL2] ONSEI: 音声 (0) → 3.1KHzｵｰﾃﾞｨｵ (1)"
                                                 << true;
}

// A restore that could not end with the adapter holding the profile: refused
// before a setting is sent, or reported as failed, naming what.
void CliTest::restoresThatCannotHold()
{
    QFETCH(QStringList, simulator);
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, to);
    QFETCH(int, status);
    QFETCH(QString, err);
    QFETCH(bool, portOpened);
    QVERIFY(startSimulator(simulator));
    const QString dir = m_dir->path();
    const QStringList line{"--port", m_device, "--workfile", dir + "/mail.ini"};
    QCOMPARE(run("korvanta-cli", line + QStringList{"backup", "-"}), 0);
    const QByteArray text = m_out.toUtf8().replace(from, to);
    const int at = int(text.left(text.lastIndexOf(to) + 1).count('\n')) + 1;
    QFile file(dir + "/p.ini");
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
    file.close();
    const QString log = dir + "/traffic.log";
    QCOMPARE(run("korvanta-cli", line + QStringList{"--log", log, "restore", file.fileName()}), status);
    QVERIFY2(m_err.contains(err.replace("{line}", QString::number(at))), qPrintable(m_err));
    QFile traffic(log);
    QCOMPARE(traffic.open(QIODevice::ReadOnly) && traffic.readAll().contains(" send "), portOpened);
}

// What the adapter holds after a power cycle: a restore always ends stored,
// whether it changed something or not.
void CliTest::storedAfterPowerCycle_data()
{
    QTest::addColumn<QList<QStringList>>("runs");
    QTest::addColumn<int>("diff"); // diff changed.ini after the power cycle
    QTest::addColumn<QString>("said"); // the last run's line of what it did
    const QStringList restore{"restore", "changed.ini"}, unstored{"restore", "--no-store", "changed.ini"};
    QTest::newRow("restore") << QList<QStringList>{restore} << 0 << ": 2 settings changed and stored; rollback undoes it\n";
    QTest::newRow("unstored, then restore with nothing to change")
        << QList<QStringList>{unstored, restore} << 0 << ": 0 settings changed and stored\n";
    QTest::newRow("unstored, then store") << QList<QStringList>{unstored, {"store"}} << 0
                                          << ": the adapter stored its settings\n";
    QTest::newRow("unstored") << QList<QStringList>{unstored} << 1
                              << ": 2 settings changed, not stored: the adapter forgets it when switched off";
    QTest::newRow("dry run") << QList<QStringList>{{"restore", "--dry-run", "changed.ini"}} << 1
                             << ": dry run: nothing was sent; 2 settings would change\n";
}

void CliTest::storedAfterPowerCycle()
{
    QFETCH(QList<QStringList>, runs);
    QFETCH(int, diff);
    QFETCH(QString, said);
    QVERIFY(startSimulator());
    const QStringList line = writeProfiles();
    QVERIFY(!line.isEmpty());
    for (const QStringList &command : runs)
        QCOMPARE(run("korvanta-cli", line + command), 0);
    QVERIFY2(m_err.contains(said), qPrintable(m_err));
    QVERIFY(startSimulator()); // from what it stored
    QCOMPARE(run("korvanta-cli", line + QStringList{"diff", "changed.ini"}), diff);
}

// A signal ends the exchange under way and the run: nothing more is sent,
// nothing half-written is left, and the same command run again completes.
void CliTest::stoppedBySignal_data()
{
    QTest::addColumn<QString>("silentFrom"); // the command the adapter leaves unanswered
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<int>("signal");
    QTest::addColumn<QString>("said");
    QTest::newRow("SIGINT while restoring") << "AT$C1=0312345678" << QStringList{"restore", "changed.ini"} << SIGINT
                                            << "stopped by SIGINT while writing 2 changes: 0 of the 2 changes acknowledged, 1 sent "
                                               "without an answer, 1 not sent; the store (\"AT&W0&W1\") was not sent";
    QTest::newRow("SIGTERM while backing up") << "AT\\S3" << QStringList{"backup", "factory.ini"} << SIGTERM
                                              << "stopped by SIGTERM while reading the settings: nothing was changed, "
                                                 "factory.ini was not written";
    QTest::newRow("SIGHUP while comparing") << "AT\\S2" << QStringList{"diff", "changed.ini"} << SIGHUP
                                            << "stopped by SIGHUP while reading the settings: nothing was changed";
}

void CliTest::stoppedBySignal()
{
    QFETCH(QString, silentFrom);
    QFETCH(QStringList, command);
    QFETCH(int, signal);
    QFETCH(QString, said);
    QVERIFY(startSimulator());
    const QStringList line = writeProfiles();
    QVERIFY(!line.isEmpty());
    QFile factory(m_dir->filePath("factory.ini"));
    QVERIFY(factory.open(QIODevice::ReadOnly));
    const QByteArray saved = factory.readAll();
    QVERIFY(startSimulator({"--silent-from", silentFrom}));
    const QStringList files = QDir(m_dir->path()).entryList(QDir::Files);

    QProcess cli;
    start(cli, "korvanta-cli", line + command);
    QTRY_VERIFY2_WITH_TIMEOUT(simulatorLog().endsWith(silentFrom),
                              qPrintable(simulatorLog().join(' ') + cli.readAllStandardError()), 20000);
    const pid_t pid = pid_t(cli.processId()); // 0 once it ended: a signal to 0 reaches this whole group
    QVERIFY(pid > 0);
    ::kill(pid, signal);
    // The exchange under way ends at once, long before its 10-second deadline.
    QVERIFY(cli.waitForFinished(5000));
    QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
    QCOMPARE(cli.exitCode(), 128 + signal);
    const QString err = QString::fromUtf8(cli.readAllStandardError());
    const QStringList lines = err.split(u'\n', Qt::SkipEmptyParts);
    for (const QString &l : lines)
        QVERIFY2(l.startsWith("korvanta-cli: " + m_device + ": "), qPrintable(err));
    QVERIFY2(lines.last().contains(": " + said), qPrintable(err));
    QVERIFY2(err.endsWith("; running the same command again completes it\n"), qPrintable(err));
    QVERIFY2(simulatorLog().endsWith(silentFrom), qPrintable(simulatorLog().join(' '))); // nothing more sent
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), files); // nothing written, nothing left behind
    factory.seek(0);
    QCOMPARE(factory.readAll(), saved);

    QVERIFY(startSimulator());
    QCOMPARE(run("korvanta-cli", line + command), command[0] == "diff" ? 1 : 0);
    QVERIFY(startSimulator()); // what it stored
    QCOMPARE(run("korvanta-cli", line + QStringList{"diff", "changed.ini"}), command[0] == "restore" ? 0 : 1);
}

// A backup replaces a regular file whole; into a pipe, a device or a
// process substitution it writes directly; a folder, or a folder that is
// not there, is refused before the adapter is read.
void CliTest::backupIntoAnyFile_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("written"); // where the profile is found after; none: nowhere
    QTest::addColumn<QString>("err");
    QTest::newRow("new file") << "new.ini" << "new.ini" << "";
    QTest::newRow("existing file") << "factory.ini" << "factory.ini" << "";
    QTest::newRow("named pipe") << "pipe" << "piped" << "";
    QTest::newRow("character device") << "null" << "" << "";
    QTest::newRow("process substitution") << ">(cat >substituted)" << "substituted" << "";
    QTest::newRow("folder") << "." << "" << ": Is a directory";
    QTest::newRow("missing folder") << "none/new.ini" << "" << "none: No such file or directory";
    // Written through, never replaced: a descriptor where it stands (kept.txt
    // holds a line before, and keeps it and its inode), a link's target.
    QTest::newRow("/dev/stdout, appending") << "/dev/stdout >>kept.txt" << "kept.txt" << "";
    QTest::newRow("/dev/fd/3, appending") << "/dev/fd/3 3>>kept.txt" << "kept.txt" << "";
    QTest::newRow("/proc/self/fd/1 after a line") << "/proc/self/fd/1 >>kept.txt" << "kept.txt" << "";
    QTest::newRow("symbolic link") << "link.ini" << "factory.ini" << "";
    QTest::newRow("link to /dev/stdout, appending") << "stdout.link >>kept.txt" << "kept.txt" << "";
    QTest::newRow("read-only descriptor") << "/dev/fd/3 3<kept.txt" << "" << "/dev/fd/3: Bad file descriptor";
}

void CliTest::backupIntoAnyFile()
{
    QFETCH(QString, target);
    QFETCH(QString, written);
    QFETCH(QString, err);
    QVERIFY(startSimulator());
    const QStringList line = writeProfiles();
    QVERIFY(!line.isEmpty());
    const auto path = [this](const QString &name) { return QFile::encodeName(m_dir->filePath(name)); };
    QFile factory(path("factory.ini"));
    QVERIFY(factory.open(QIODevice::ReadOnly));
    const QByteArray expected = factory.readAll();
    struct stat before {}, after {};
    QVERIFY(::stat(path("factory.ini"), &before) == 0);
    const qsizetype asked = simulatorLog().size();
    QProcess reader;
    if (target == "pipe") {
        QVERIFY(::mkfifo(path("pipe"), 0600) == 0);
        start(reader, "/bin/cat", {"pipe"}, m_dir->filePath("piped"));
    }
    if (target == "null" && ::mknod(path("null"), S_IFCHR | 0666, makedev(1, 3)) != 0)
        QSKIP("mknod is not allowed here");
    const bool kept = target.contains("kept.txt");
    QFile keptFile(m_dir->filePath("kept.txt"));
    QVERIFY(!kept || (keptFile.open(QIODevice::WriteOnly) && keptFile.write("header\n") == 7));
    keptFile.close();
    struct stat keptBefore {};
    QVERIFY(!kept || ::stat(path("kept.txt"), &keptBefore) == 0);
    QVERIFY(target != "link.ini" || ::symlink("factory.ini", path("link.ini")) == 0);
    QVERIFY(!target.startsWith("stdout.link") || ::symlink("/dev/stdout", path("stdout.link")) == 0);
    // A file replaced keeps its mode; a new one is its owner's alone, as the
    // work file is: both hold telephone numbers.
    QVERIFY(::chmod(path("factory.ini"), 0640) == 0);
    QCOMPARE(modeOf(m_dir->filePath("mail.ini")), 0600);
    const QString cli = (QStringList{program("korvanta-cli")} + line).join(' ') + " backup " + target;
    const int status = run("/bin/bash", {"-c", cli + "; s=$?; wait $!; exit $s"}); // as a shell runs it
    QVERIFY2(m_err.contains(err), qPrintable(m_err));
    QCOMPARE(status, err.isEmpty() ? 0 : 2);
    if (status != 0)
        QCOMPARE(simulatorLog().size(), asked); // the adapter was not even asked
    reader.waitForFinished(10000);
    QFile result(m_dir->filePath(written));
    QVERIFY(written.isEmpty() || (result.open(QIODevice::ReadOnly) && result.readAll() == (kept ? "header\n" + expected : expected)));
    QVERIFY(!kept || (::stat(path("kept.txt"), &after) == 0 && after.st_ino == keptBefore.st_ino));
    QVERIFY(target != "link.ini" || (::lstat(path("link.ini"), &after) == 0 && S_ISLNK(after.st_mode)));
    QCOMPARE(modeOf(m_dir->filePath("factory.ini")), 0640);
    QVERIFY(target != "new.ini" || modeOf(m_dir->filePath("new.ini")) == 0600);
    // A file replaced whole, by a rename; a pipe or device still what it was.
    if (QStringList{"factory.ini", "pipe", "null"}.contains(target))
        QVERIFY(::stat(path(target), &after) == 0
                && (target == "factory.ini" ? after.st_ino != before.st_ino
                                            : (target == "pipe" ? S_ISFIFO(after.st_mode) : S_ISCHR(after.st_mode))));
}

// --json: one document a command, parsed as a script would.
void CliTest::json()
{
    QVERIFY(startSimulator());
    const QStringList line = writeProfiles() << "--json";
    QVERIFY(line.size() > 1);
    // The document, null when the status is not the one expected.
    const auto document = [this](const QStringList &arguments, int status) {
        return run("korvanta-cli", arguments) == status ? QJsonDocument::fromJson(m_out.toUtf8()) : QJsonDocument();
    };

    QJsonObject o = document(line + QStringList{"identify"}, 0).object();
    QCOMPARE(o, (QJsonObject{{"port", m_device}, {"model", "KORVAN-TA"}, {"firmware", "Ver 1.30 01/03/15"}}));
    const QJsonDocument ports = document({"--json", "ports"}, 0);
    QVERIFY(ports.isArray());
    for (const QJsonValue &port : ports.array())
        QCOMPARE(port.toObject().keys(),
                 (QStringList{"access", "by_id", "description", "kind", "manufacturer", "name", "path"}));

    // diff and restore: adapter (or first file) → profile (or second file).
    const QJsonObject change{{"caption", "アナログポート設定 / TEL1ポート / 自己アドレス"},
                             {"section", "TEL1"}, {"key", "JIKO_NO"}, {"from", ""}, {"to", "0312345678"},
                             {"from_text", ""}, {"to_text", "0312345678"}};
    // Which adapter, for a rack's scripts; no port when two files are compared.
    // A restore that was no dry run also tells each change by what the
    // adapter answered, and the step a failure stopped it in.
    const auto report = [this](const QJsonArray &changes, const QJsonValue &backup, bool stored,
                               const QJsonValue &port = QJsonValue::Undefined, bool restored = false) {
        QJsonObject o{{"port", port.isUndefined() ? QJsonValue(m_device) : port},
                      {"model", "KORVAN-TA"}, {"firmware", "Ver 1.30 01/03/15"},
                      {"changes", changes}, {"skipped", QJsonArray{}}, {"unmanaged", QJsonArray{}},
                      {"backup", backup}, {"stored", stored}};
        if (restored) {
            QJsonArray keys;
            for (const QJsonValue &c : changes)
                keys.append(c["section"].toString() + '.' + c["key"].toString());
            o.insert("acknowledged", keys);
            o.insert("unanswered", QJsonArray{});
            o.insert("unsent", QJsonArray{});
            o.insert("step", QJsonValue());
        }
        return o;
    };
    for (const QStringList &diff : {QStringList{"diff", "factory.ini", "changed.ini"}, QStringList{"diff", "changed.ini"}}) {
        o = document(line + diff, 1).object();
        QCOMPARE(o["changes"].toArray().size(), 2);
        QCOMPARE(o["changes"][0].toObject(), change);
        QCOMPARE(o, report(o["changes"].toArray(), QJsonValue(), false, diff.size() == 3 ? QJsonValue() : QJsonValue(m_device)));
    }
    // An option's value with its meaning, in the run's language; scripts keep the value.
    QFile factory(m_dir->filePath("factory.ini")), tuchi(m_dir->filePath("tuchi.ini"));
    QVERIFY(factory.open(QIODevice::ReadOnly) && tuchi.open(QIODevice::WriteOnly));
    tuchi.write(factory.readAll().replace("TUCHI=3", "TUCHI=1"));
    tuchi.close();
    o = document({"--json", "--language", "en", "diff", "factory.ini", "tuchi.ini"}, 1).object();
    QCOMPARE(o["changes"][0]["from"], "3");
    QCOMPARE(o["changes"][0]["from_text"], "As subscribed");
    QCOMPARE(o["changes"][0]["to_text"], "Send subscriber number");
    QCOMPARE(run("korvanta-cli", {"--language", "ja", "diff", "factory.ini", "tuchi.ini"}), 1);
    QVERIFY2(m_out.startsWith("アナログポート設定 / TEL1ポート / 発信者番号通知指定 [TEL1] TUCHI: 網契約に従う (3) → 契約者回線番号を通知 (1)\n"),
             qPrintable(m_out));

    o = document(line + QStringList{"restore", "--dry-run", "changed.ini"}, 0).object();
    QCOMPARE(o, report(o["changes"].toArray(), QJsonValue(), false));
    QCOMPARE(o["changes"].toArray().size(), 2);

    // The restore keeps the adapter's settings as they were, and says where.
    o = document(line + QStringList{"restore", "changed.ini"}, 0).object();
    QCOMPARE(o, report(o["changes"].toArray(), o["backup"], true, m_device, true));
    const QString backup = o["backup"].toString();
    const QString port = m_device.mid(5).replace('/', '_'); // pts_N
    QVERIFY2(backup.startsWith(m_dir->filePath("data/korvanta/history/" + port + "/")), qPrintable(backup));
    QCOMPARE(modeOf(backup), 0600); // it holds telephone numbers
    QVERIFY2(m_err.contains(backup), qPrintable(m_err));
    QCOMPARE(run("korvanta-cli", QStringList{"diff", "factory.ini", backup}), 0);
    // Nothing to change: no backup, stored all the same.
    QCOMPARE(document(line + QStringList{"restore", "changed.ini"}, 0).object(), report({}, QJsonValue(), true, m_device, true));
    QCOMPARE(document(line + QStringList{"store"}, 0).object(),
             (QJsonObject{{"port", m_device}, {"model", "KORVAN-TA"}, {"firmware", "Ver 1.30 01/03/15"}, {"stored", true}}));

    // Older firmware: what it lacks is skipped, the setting or the value.
    QVERIFY(startSimulator({"--old-firmware"}));
    o = document(line + QStringList{"restore", "--dry-run", "factory.ini"}, 0).object();
    QMap<QString, QString> skipped;
    for (const QJsonValue &s : o["skipped"].toArray())
        skipped[s["section"].toString() + '/' + s["key"].toString()] = s["reason"].toString();
    QCOMPARE(skipped.value("TEL/RING"), "the adapter's firmware lacks the setting");
    QCOMPARE(skipped.value("TEL1/TUCHI"), "the adapter's firmware lacks the value \"3\" of the setting");
    // Restored, the same profile compares equal: what was skipped is no difference.
    QCOMPARE(run("korvanta-cli", line + QStringList{"restore", "factory.ini"}), 0);
    o = document(line + QStringList{"diff", "factory.ini"}, 0).object();
    QCOMPARE(o["changes"].toArray(), QJsonArray{});
    QCOMPARE(o["skipped"].toArray().size(), skipped.size());
    // Its own settings, restored onto newer firmware, compare equal there:
    // what that firmware had none of is left alone, under its own heading.
    QCOMPARE(run("korvanta-cli", line + QStringList{"backup", "older.ini"}), 0);
    QVERIFY(startSimulator());
    QCOMPARE(run("korvanta-cli", line + QStringList{"restore", "older.ini"}), 0);
    o = document(line + QStringList{"diff", "older.ini"}, 0).object();
    QCOMPARE(o["changes"].toArray(), QJsonArray{});
    QStringList unmanaged;
    for (const QJsonValue &u : o["unmanaged"].toArray())
        unmanaged << u["section"].toString() + '/' + u["key"].toString();
    QVERIFY2(unmanaged.contains("TEL1/RING"), qPrintable(unmanaged.join(' ')));
    QVERIFY(startSimulator({"--old-firmware"}));

    // A backup that cannot be kept refuses the restore, unless none is asked for.
    QFile blocker(m_dir->filePath("data"));
    QVERIFY(QDir(blocker.fileName()).removeRecursively() && blocker.open(QIODevice::WriteOnly));
    const qsizetype asked = simulatorLog().size();
    QCOMPARE(run("korvanta-cli", line + QStringList{"restore", "factory.ini"}), 2);
    QVERIFY2(m_err.contains("no backup of the adapter's settings, so nothing was sent"), qPrintable(m_err));
    QCOMPARE(simulatorLog().size(), asked); // found before the adapter is asked anything
    QCOMPARE(document(line + QStringList{"restore", "--no-backup", "factory.ini"}, 0)["backup"], QJsonValue());
}

namespace {
// Whether the simulator's log holds a line that changes the adapter: a set
// or the store (queries and the identification aside).
bool anySet(const QStringList &log)
{
    return std::any_of(log.begin(), log.end(), [](const QString &l) { return l.contains('=') || l.contains("&W"); });
}
} // namespace

// Refused with status 2, the reason said as the file has it, and not a
// setting sent: profiles that are no text or hold what cannot be shown, one
// that only breaks a rule because the firmware cannot take a value of it,
// and a report that could not be written.
void CliTest::refusedWithNothingSent_data()
{
    QTest::addColumn<QStringList>("simulator");
    QTest::addColumn<QByteArray>("from");   // replaced in changed.ini ...
    QTest::addColumn<QByteArray>("to");     // ... by this; "*": the whole file
    QTest::addColumn<QString>("output");    // standard output
    QTest::addColumn<QString>("err");
    const QStringList plain;
    QTest::newRow("NUL byte") << plain << QByteArray("HASHIN=") << QByteArray("HASHIN=\0", 8) << ""
                              << "changed.ini:20: テキストファイルではありません (NUL バイトがあります)";
    QTest::newRow("UTF-16") << plain << QByteArray() << QByteArray("*\xff\xfe[\0P\0") << ""
                            << "changed.ini: UTF-16 のテキストです";
    QTest::newRow("long key cut") << plain << QByteArray("[TEL1]\n") << "[TEL1]\n" + QByteArray(200000, 'K') + "=1\n"
                                  << "" << "TEL1/" + QString(55, 'K') + "…: 知らないキーです\n";
    QTest::newRow("control character escaped") << plain << QByteArray("JIKO_NO=0312345678") << QByteArray("JIKO_NO=03\x01")
                                               << "" << "値として使えません: \"03\\x01\"";
    // A C1 control (CSI, U+009B) would start an escape sequence on a terminal too.
    QTest::newRow("C1 control character escaped") << plain << QByteArray("JIKO_NO=0312345678")
                                                  << QByteArray("JIKO_NO=03\xc2\x9b" "2J") << ""
                                                  << "値として使えません: \"03\\x9b2J\"";
    QTest::newRow("a value the firmware lacks breaks a rule") << QStringList{"--old-firmware"}
        << QByteArray("GAISEN=1\nTANSYUKU=2") << QByteArray("GAISEN=2\nTANSYUKU=1") << ""
        << "([TEL] TANSYUKU=1 は送りません: 機器のファームウェアにはこの設定の値「1」がありません。機器の値は「2」のままです)";
    QTest::newRow("report into a full disk") << plain << QByteArray() << QByteArray() << "/dev/full"
                                             << "standard output cannot be written, so nothing was sent: No space left";
}

void CliTest::refusedWithNothingSent()
{
    QFETCH(QStringList, simulator);
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, to);
    QFETCH(QString, output);
    QFETCH(QString, err);
    QVERIFY(startSimulator(simulator));
    const QStringList line = writeProfiles();
    QVERIFY(!line.isEmpty());
    QFile changed(m_dir->filePath("changed.ini"));
    QVERIFY(changed.open(QIODevice::ReadOnly));
    QByteArray text = changed.readAll();
    QVERIFY(from.isEmpty() || text.contains(from));
    text = to.startsWith('*') ? to.mid(1) : text.replace(from, to);
    changed.close();
    QVERIFY(changed.open(QIODevice::WriteOnly | QIODevice::Truncate) && changed.write(text) == text.size());
    changed.close();

    QCOMPARE(run("korvanta-cli", line + QStringList{"restore", "changed.ini"}, output), 2);
    QVERIFY2(m_err.contains(err), qPrintable(m_err));
    QVERIFY2(m_err.size() < 1000 && m_err.endsWith('\n'), qPrintable(m_err.left(1000)));
    QVERIFY2(!anySet(simulatorLog()), qPrintable(simulatorLog().join('|')));
}

// A restore cut short once the adapter was changed ends with status 1 and
// says what went out, what was kept and what to do.
void CliTest::cutShortSaysWhatWasDone_data()
{
    QTest::addColumn<QStringList>("simulator");
    QTest::addColumn<bool>("readerGoes"); // the reader of standard output goes away once a setting was sent
    QTest::addColumn<QString>("err");
    QTest::newRow("line lost") << QStringList{"--drop-after", "0", "--drop-on", "AT$C1=*"} << false
                               << "the restore failed on the line while writing 2 changes: 0 of the 2 changes "
                                  "acknowledged, 1 sent without an answer, 1 not sent; the store (\"AT&W0&W1\") was "
                                  "not sent: nothing was stored; running the same command again completes it";
    QTest::newRow("report's reader gone") << QStringList{} << true
                                          << "restored and stored; the report could not be written: Broken pipe";
}

void CliTest::cutShortSaysWhatWasDone()
{
    QFETCH(QStringList, simulator);
    QFETCH(bool, readerGoes);
    QFETCH(QString, err);
    QVERIFY(startSimulator(simulator));
    const QStringList line = writeProfiles();
    QVERIFY(!line.isEmpty());
    const QString fifo = m_dir->filePath("report");
    QVERIFY(::mkfifo(QFile::encodeName(fifo), 0600) == 0);
    QProcess reader;
    start(reader, "/bin/cat", {fifo}, QProcess::nullDevice());
    QProcess cli;
    start(cli, "korvanta-cli", line + QStringList{"--json", "restore", "changed.ini"}, fifo);
    if (readerGoes) {
        QTRY_VERIFY_WITH_TIMEOUT(anySet(simulatorLog()), 10000);
        reader.kill();
    }
    QVERIFY(cli.waitForFinished(30000));
    QCOMPARE(cli.exitCode(), 1);
    const QString said = QString::fromUtf8(cli.readAllStandardError());
    QVERIFY2(said.contains(err), qPrintable(said));
    reader.kill();
    reader.waitForFinished();
}

// Another program holds the device open exclusively (TIOCEXCL): an
// unprivileged user is told it is in use, not the system's bare error.
void CliTest::deviceHeldExclusively()
{
    if (::geteuid() != 0)
        QSKIP("switching to an unprivileged user needs root");
    QVERIFY(startSimulator());
    const QByteArray device = QFile::encodeName(m_device);
    QVERIFY(::chmod(device, 0666) == 0);
    const int held = ::open(device, O_RDWR | O_NOCTTY);
    QVERIFY(held >= 0 && ::ioctl(held, TIOCEXCL) == 0);
    QVERIFY(::chmod(QFile::encodeName(m_dir->path()), 0777) == 0);
    const int status = run("/usr/bin/setpriv", {"--reuid=nobody", "--regid=nogroup", "--clear-groups", program("korvanta-cli"),
                                                "--workfile", m_dir->filePath("mail.ini"), "--port", m_device, "identify"});
    ::close(held);
    QCOMPARE(status, 1);
    QVERIFY2(m_err.contains(QStringLiteral("デバイス %1 は他のプログラムが使用中です").arg(m_device)), qPrintable(m_err));
}

// A rack: six adapters, six runs at once with no work file named, one log.
// None waits for another; a second run on a port already in use is refused.
void CliTest::rackOfSixInParallel()
{
    // A copy of its own, so that its work files go to the data folder of the
    // test, not beside the built program.
    const QString cli = m_dir->filePath("korvanta-cli");
    QVERIFY(QFile::copy(program("korvanta-cli"), cli));
    std::vector<std::unique_ptr<QProcess>> sims, runs;
    QStringList devices;
    for (int i = 0; i < 6; ++i) {
        auto &sim = sims.emplace_back(std::make_unique<QProcess>());
        sim->start(program("korvanta-sim"), {"--paced"});
        QVERIFY(sim->waitForStarted(5000) && sim->waitForReadyRead(5000));
        devices << QString::fromLocal8Bit(sim->readLine()).trimmed();
    }
    m_device = devices[0];
    QCOMPARE(run(cli.toUtf8(), {"--port", devices[0], "backup", "factory.ini"}), 0);
    QFile factory(m_dir->filePath("factory.ini")), changed(m_dir->filePath("changed.ini"));
    QVERIFY(factory.open(QIODevice::ReadOnly) && changed.open(QIODevice::WriteOnly));
    changed.write(factory.readAll().replace("[TEL1]\nJIKO_NO=\n", "[TEL1]\nJIKO_NO=0312345678\n"));
    changed.close();

    const QString log = m_dir->filePath("rack.log");
    for (const QString &device : devices + QStringList{devices[0]}) {
        auto &run = runs.emplace_back(std::make_unique<QProcess>());
        start(*run, cli.toUtf8(), {"--port", device, "--log", log, "--json", "--prefix-port", "restore", "changed.ini"});
    }
    QStringList ports;
    for (auto &run : runs)
        QVERIFY(run->waitForFinished(30000));
    // The seventh run, on the first port again, found it in use; or, had it
    // come first, the first did.
    int refused = 0;
    for (size_t i = 0; i < runs.size(); ++i) {
        const QString err = QString::fromUtf8(runs[i]->readAllStandardError());
        if (runs[i]->exitCode() == 2 && err.contains("既に起動しています") && (i == 0 || i == 6)) {
            ++refused;
            continue;
        }
        QCOMPARE(runs[i]->exitCode(), 0);
        const QJsonObject o = QJsonDocument::fromJson(runs[i]->readAllStandardOutput()).object();
        QCOMPARE(o["stored"], QJsonValue(true));
        QCOMPARE(o["changes"].toArray().size(), 1);
        ports << o["port"].toString();
    }
    QCOMPARE(refused, 1);
    ports.sort();
    QStringList expected = devices;
    expected.sort();
    QCOMPARE(ports, expected);
    // Every port's lines in the shared log, each under its port; and each
    // adapter as the profile says, told apart by --prefix-port.
    QFile shared(log);
    QVERIFY(shared.open(QIODevice::ReadOnly));
    const QByteArray lines = shared.readAll();
    for (const QString &device : devices) {
        QVERIFY2(lines.contains("[" + device.toUtf8() + "] send AT$C1=0312345678\\r"), device.toUtf8());
        QCOMPARE(run(cli.toUtf8(), {"--port", device, "--prefix-port", "diff", "factory.ini"}), 1);
        QCOMPARE(m_out, device + ": アナログポート設定 / TEL1ポート / 自己アドレス [TEL1] JIKO_NO: \"0312345678\" → \"\"\n");
    }
    QVERIFY(QFileInfo(m_dir->filePath("data/korvanta/workfiles/" + devices[0].mid(5).replace('/', '_') + ".ini")).isFile());
}

// Two adapters on the network at once, with no work file named: each port
// its own work file, so neither run waits for the other. Then the directory
// of one answers what the adapter never gives: the backup fails, naming the
// setting and quoting what came, and leaves the profile written before and
// the work file byte for byte as they were.
namespace {
// The directory's query, and its entry 03 as the adapter of the test holds it.
const QByteArray kDirectory = [] {
    QByteArray query = "AT";
    for (int i = 0; i < 20; ++i)
        query += "&Z" + QByteArray::number(i) + '?';
    return query;
}();
const QByteArray kEntry3 = "\r\n03:0311112222\r\n";
} // namespace

void CliTest::backupOfAMalformedReply_data()
{
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<QByteArray>("from"); // in the adapter's answer to the query ...
    QTest::addColumn<QByteArray>("to");   // ... replaced by this
    QTest::addColumn<QString>("err");
    QTest::addColumn<QByteArray>("kept"); // a line the work file holds after; none: it is as it was
    const auto entry = [](const QByteArray &text) { return "\r\n03:" + text + "\r\n"; };
    QTest::newRow("a letter") << kDirectory << kEntry3 << entry("03X2") << "[TANSYUKU] 03: 機器の応答の値 \"03X2\"" << QByteArray();
    QTest::newRow("escape") << kDirectory << kEntry3 << entry("03\x1b" "12") << "\"03\\x1b12\"" << QByteArray();
    // The line feed ends the entry's line before its CR records it.
    QTest::newRow("a line feed alone") << kDirectory << kEntry3 << entry("0312\n34")
                                       << "[TANSYUKU] 03: 機器の応答にこの設定の値がありません" << QByteArray();
    QTest::newRow("missing") << kDirectory << kEntry3 << QByteArray("\r\n")
                             << "[TANSYUKU] 03: 機器の応答にこの設定の値がありません" << QByteArray();
    // Shown whole by the window, so kept in the work file; no profile takes it.
    QTest::newRow("42 digits") << kDirectory << kEntry3 << entry(QByteArray(42, '5'))
                               << QString(QString(42, '5') + "\" はこの設定では使えません")
                               << "\n03=" + QByteArray(42, '5') + '\n';
    // The telephone and data ports' readings keep through the same check.
    QTest::newRow("telephone own number") << QByteArray("AT\\S2") << QByteArray("ADR:0311112222")
                                          << QByteArray("ADR:03X2") << "[TEL1] JIKO_NO: 機器の応答の値 \"03X2\""
                                          << QByteArray();
    QTest::newRow("data port own number") << QByteArray("AT\\S5") << QByteArray("0451112222")
                                          << QByteArray("04\x7f" "2") << "機器の応答の値 \"04\\x7f2\"" << QByteArray();
}

void CliTest::backupOfAMalformedReply()
{
    QFETCH(QByteArray, query);
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, to);
    QFETCH(QString, err);
    QFETCH(QByteArray, kept);
    // A copy of its own, so that its work files go to the test's data folder.
    const QString cli = m_dir->filePath("korvanta-cli");
    QVERIFY(QFile::copy(program("korvanta-cli"), cli));
    TcpAdapter adapters[2];
    for (TcpAdapter &a : adapters)
        QVERIFY(a.server.isListening() && a.adapter.setValue("&Z3", "0311112222") && a.adapter.setValue("$C1", "0311112222")
                && a.adapter.setValue("$C4", "0451112222"));
    QProcess runs[2];
    for (int i = 0; i < 2; ++i)
        start(runs[i], cli.toUtf8(), {"--port", adapters[i].address(), "backup", QStringLiteral("%1.ini").arg(i)});
    for (QProcess &run : runs)
        QCOMPARE(waitedStatus(run), 0);
    const auto workFile = [this](const TcpAdapter &a) {
        return m_dir->filePath(QStringLiteral("data/korvanta/workfiles/127.0.0.1_%1.ini").arg(a.server.serverPort()));
    };
    const auto bytes = [](const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
    };
    QVERIFY(QFileInfo(workFile(adapters[0])).isFile());
    const QString profile = m_dir->filePath("1.ini"), work = workFile(adapters[1]);
    const QByteArray before = bytes(profile), workBefore = bytes(work);
    QVERIFY(before.contains("\n03=0311112222\n") && workBefore.contains("\n03=0311112222\n"));

    QByteArray reply = adapters[1].adapter.respond(query + '\r');
    QVERIFY2(reply.contains(from), reply.constData());
    adapters[1].replies[query] = reply.replace(from, to);
    start(runs[1], cli.toUtf8(), {"--port", adapters[1].address(), "backup", "1.ini"});
    QCOMPARE(waitedStatus(runs[1]), 1);
    const QString said = QString::fromUtf8(runs[1].readAllStandardError());
    QVERIFY2(said.contains(err), qPrintable(said));
    QCOMPARE(bytes(profile), before);
    if (kept.isEmpty())
        QCOMPARE(bytes(work), workBefore);
    else
        QVERIFY(bytes(work).contains(kept));
}

void CliTest::portsAsTheWindowProgram()
{
    QCOMPARE(run("korvanta", {"--list-ports"}), 0);
    const QString windowProgram = m_out;
    QCOMPARE(run("korvanta-cli", {"ports"}), 0);
    QCOMPARE(m_out, windowProgram);

    // A port that is neither a device nor a name of ports.conf: refused by
    // both before anything opens, with the names ports.conf holds.
    const QString conf = m_dir->filePath("config/korvanta/ports.conf");
    QVERIFY(QDir().mkpath(QFileInfo(conf).path()));
    const struct {
        QByteArray names;
        QString says;
    } refusals[] = {{"", "\"lab-3\" is no device, and ports.conf (" + conf + ") names no port"},
                    {"lab-1 = tcp://127.0.0.1:4001\nlab-2 = /dev/ttyS1\n",
                     "\"lab-3\" is no device, nor a name in ports.conf (" + conf + "), which names lab-1, lab-2"}};
    for (const auto &r : refusals) {
        QFile file(conf);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(r.names) == r.names.size());
        file.close();
        QCOMPARE(run("korvanta-cli", {"--port", "lab-3", "identify"}), 2);
        QVERIFY2(m_err.contains(r.says), qPrintable(m_err));
        QCOMPARE(run("korvanta", {"--port", "COM1=lab-3", "--list-ports"}), 2);
        QVERIFY2(m_err.contains("\"COM1=lab-3\"") && m_err.contains(conf), qPrintable(m_err));
    }
}

void CliTest::linksNeitherWidgetsNorGui()
{
    // The libraries the program records as needed: the link keeps only those
    // it uses, so a GUI library here means code of the program calls into it,
    // and anything beyond these (SimpleIni for the work file, Qt Core,
    // SerialPort and Network, libssh for console servers behind a secure
    // shell, the C++ runtime; the sanitizers' runtimes in
    // the build that has them) a needless dependency of the package.
    QProcess readelf;
    readelf.start("readelf", {"--dynamic", program("korvanta-cli")});
    QVERIFY(readelf.waitForFinished(10000));
    QStringList needed;
    const QRegularExpression entry(QStringLiteral(R"(\(NEEDED\)\s+Shared library: \[([^\]]+)\])"));
    for (const QRegularExpressionMatch &m : entry.globalMatch(QString::fromLocal8Bit(readelf.readAllStandardOutput())))
        needed << m.captured(1);
    QVERIFY2(needed.contains("libQt6Core.so.6") && needed.contains("libQt6SerialPort.so.6"), qPrintable(needed.join(' ')));
    const QRegularExpression allowed(QStringLiteral(R"(^lib(Qt6Core|Qt6SerialPort|Qt6Network|simpleini|ssh|stdc\+\+|gcc_s|m|c|asan|ubsan)\.so\.\d+$)"));
    for (const QString &library : std::as_const(needed))
        QVERIFY2(allowed.match(library).hasMatch(), qPrintable(library + " in " + needed.join(' ')));
}

QTEST_GUILESS_MAIN(CliTest)
#include "cli_test.moc"
