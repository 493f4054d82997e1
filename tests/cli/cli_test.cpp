// SPDX-License-Identifier: GPL-3.0-or-later
// korvanta-cli as a user runs it: exit statuses, results and messages, the
// traffic log, and the libraries it needs.

#include "tests/trafficlog.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/stat.h>
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
                               << "未知ｴﾗｰが発生しました";

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
                                                 << QByteArray("\nONSEI=1\n") << 1 << "[TEL2] ONSEI: \"0\" → \"1\""
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
    const QStringList restore{"restore", "changed.ini"}, unstored{"restore", "--no-store", "changed.ini"};
    QTest::newRow("restore") << QList<QStringList>{restore} << 0;
    QTest::newRow("unstored, then restore with nothing to change") << QList<QStringList>{unstored, restore} << 0;
    QTest::newRow("unstored, then store") << QList<QStringList>{unstored, {"store"}} << 0;
    QTest::newRow("unstored") << QList<QStringList>{unstored} << 1;
    QTest::newRow("dry run") << QList<QStringList>{{"restore", "--dry-run", "changed.ini"}} << 1;
}

void CliTest::storedAfterPowerCycle()
{
    QFETCH(QList<QStringList>, runs);
    QFETCH(int, diff);
    QVERIFY(startSimulator());
    const QStringList line = writeProfiles();
    QVERIFY(!line.isEmpty());
    for (const QStringList &command : runs)
        QCOMPARE(run("korvanta-cli", line + command), 0);
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
                                            << "stopped by SIGINT while writing 2 settings: some of the 2 changes";
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
    const QString cli = (QStringList{program("korvanta-cli")} + line).join(' ') + " backup " + target;
    const int status = run("/bin/bash", {"-c", cli + "; s=$?; wait $!; exit $s"}); // as a shell runs it
    QVERIFY2(m_err.contains(err), qPrintable(m_err));
    QCOMPARE(status, err.isEmpty() ? 0 : 2);
    if (status != 0)
        QCOMPARE(simulatorLog().size(), asked); // the adapter was not even asked
    reader.waitForFinished(10000);
    QFile result(m_dir->filePath(written));
    QVERIFY(written.isEmpty() || (result.open(QIODevice::ReadOnly) && result.readAll() == expected));
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
        QCOMPARE(port.toObject().keys(), (QStringList{"access", "by_id", "description", "manufacturer", "path"}));

    // diff and restore: adapter (or first file) → profile (or second file).
    const QJsonObject change{{"caption", "アナログポート設定 / TEL1ポート / 自己アドレス"},
                             {"section", "TEL1"}, {"key", "JIKO_NO"}, {"from", ""}, {"to", "0312345678"}};
    const auto report = [](const QJsonArray &changes, const QJsonValue &backup, bool stored) {
        return QJsonObject{{"changes", changes}, {"skipped", QJsonArray{}}, {"backup", backup}, {"stored", stored}};
    };
    for (const QStringList &diff : {QStringList{"diff", "factory.ini", "changed.ini"}, QStringList{"diff", "changed.ini"}}) {
        o = document(line + diff, 1).object();
        QCOMPARE(o["changes"].toArray().size(), 2);
        QCOMPARE(o["changes"][0].toObject(), change);
        QCOMPARE(o, report(o["changes"].toArray(), QJsonValue(), false));
    }
    o = document(line + QStringList{"restore", "--dry-run", "changed.ini"}, 0).object();
    QCOMPARE(o, report(o["changes"].toArray(), QJsonValue(), false));
    QCOMPARE(o["changes"].toArray().size(), 2);

    // The restore keeps the adapter's settings as they were, and says where.
    o = document(line + QStringList{"restore", "changed.ini"}, 0).object();
    QCOMPARE(o, report(o["changes"].toArray(), o["backup"], true));
    const QString backup = o["backup"].toString();
    const QString port = m_device.mid(5).replace('/', '_'); // pts_N
    QVERIFY2(backup.startsWith(m_dir->filePath("data/korvanta/backups/" + port + "-")), qPrintable(backup));
    QVERIFY2(m_err.contains(backup), qPrintable(m_err));
    QCOMPARE(run("korvanta-cli", QStringList{"diff", "factory.ini", backup}), 0);
    // Nothing to change: no backup, stored all the same.
    QCOMPARE(document(line + QStringList{"restore", "changed.ini"}, 0).object(), report({}, QJsonValue(), true));
    QCOMPARE(document(line + QStringList{"store"}, 0).object(), (QJsonObject{{"port", m_device}, {"stored", true}}));

    // Older firmware: what it lacks is skipped, the setting or the value.
    QVERIFY(startSimulator({"--old-firmware"}));
    o = document(line + QStringList{"restore", "--dry-run", "factory.ini"}, 0).object();
    QMap<QString, QString> skipped;
    for (const QJsonValue &s : o["skipped"].toArray())
        skipped[s["section"].toString() + '/' + s["key"].toString()] = s["reason"].toString();
    QCOMPARE(skipped.value("TEL/RING"), "the adapter's firmware lacks the setting");
    QCOMPARE(skipped.value("TEL1/TUCHI"), "the adapter's firmware lacks the value \"3\" of the setting");

    // A backup that cannot be kept refuses the restore, unless none is asked for.
    QFile blocker(m_dir->filePath("data"));
    QVERIFY(QDir(blocker.fileName()).removeRecursively() && blocker.open(QIODevice::WriteOnly));
    const qsizetype asked = simulatorLog().size();
    QCOMPARE(run("korvanta-cli", line + QStringList{"restore", "factory.ini"}), 2);
    QVERIFY2(m_err.contains("no backup of the adapter's settings, so nothing was sent"), qPrintable(m_err));
    QVERIFY(simulatorLog().size() > asked && !simulatorLog().mid(asked).contains("AT$C1="));
    QCOMPARE(document(line + QStringList{"restore", "--no-backup", "factory.ini"}, 0)["backup"], QJsonValue());
}

void CliTest::portsAsTheWindowProgram()
{
    QCOMPARE(run("korvanta", {"--list-ports"}), 0);
    const QString windowProgram = m_out;
    QCOMPARE(run("korvanta-cli", {"ports"}), 0);
    QCOMPARE(m_out, windowProgram);
}

void CliTest::linksNeitherWidgetsNorGui()
{
    // The libraries the program records as needed: the link keeps only those
    // it uses, so a GUI library here means code of the program calls into it,
    // and anything beyond these (SimpleIni for the work file, Qt Core and
    // SerialPort, the C++ runtime; the sanitizers' runtimes in the build that
    // has them) a needless dependency of the package.
    QProcess readelf;
    readelf.start("readelf", {"--dynamic", program("korvanta-cli")});
    QVERIFY(readelf.waitForFinished(10000));
    QStringList needed;
    const QRegularExpression entry(QStringLiteral(R"(\(NEEDED\)\s+Shared library: \[([^\]]+)\])"));
    for (const QRegularExpressionMatch &m : entry.globalMatch(QString::fromLocal8Bit(readelf.readAllStandardOutput())))
        needed << m.captured(1);
    QVERIFY2(needed.contains("libQt6Core.so.6") && needed.contains("libQt6SerialPort.so.6"), qPrintable(needed.join(' ')));
    const QRegularExpression allowed(QStringLiteral(R"(^lib(Qt6Core|Qt6SerialPort|simpleini|stdc\+\+|gcc_s|m|c|asan|ubsan)\.so\.\d+$)"));
    for (const QString &library : std::as_const(needed))
        QVERIFY2(allowed.match(library).hasMatch(), qPrintable(library + " in " + needed.join(' ')));
}

QTEST_GUILESS_MAIN(CliTest)
#include "cli_test.moc"
