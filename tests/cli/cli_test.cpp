// korvanta-cli as a user runs it: exit statuses, results and messages, the
// traffic log, and the libraries it needs.

#include "tests/trafficlog.h"

#include <QDir>
#include <QLockFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

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
    void portsAsTheWindowProgram();
    void linksNeitherWidgetsNorGui();

private:
    // Starts korvanta-sim with the options; false when it gave no device.
    bool startSimulator(const QStringList &options);
    // Runs a program of the build to its end; its exit status.
    int run(const char *name, const QStringList &arguments);

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
    m_sim.start(program("korvanta-sim"), options);
    if (!m_sim.waitForStarted(5000) || !m_sim.waitForReadyRead(5000))
        return false;
    m_device = QString::fromLocal8Bit(m_sim.readLine()).trimmed();
    return m_device.startsWith(u'/');
}

int CliTest::run(const char *name, const QStringList &arguments)
{
    QProcess process;
    process.start(program(name), arguments);
    if (!process.waitForFinished(30000))
        return -1;
    m_out = QString::fromUtf8(process.readAllStandardOutput());
    m_err = QString::fromUtf8(process.readAllStandardError());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

void CliTest::statuses_data()
{
    QTest::addColumn<QStringList>("simulator"); // korvanta-sim's options; none: no simulator
    QTest::addColumn<bool>("workFileInUse");
    QTest::addColumn<QStringList>("arguments");  // {pty}: the simulator's device; {dir}: a scratch folder
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
                                    << "COMポートがオープンできません\nデバイス " + QStringLiteral("{dir}/ttyX が存在しません");
    QTest::newRow("silent adapter") << QStringList{"--silent"} << false << QStringList{"--port", "{pty}", "identify"}
                                    << 1 << "" << "機器が接続されていません";
    QTest::newRow("no KORVAN-TA") << QStringList{"--silent-from", "ATI"} << false
                                  << QStringList{"--port", "{pty}", "identify"} << 1 << ""
                                  << "KORVAN-TAが接続されていません";
    // The question whether to go on is answered at once: the command ends.
    QTest::newRow("line lost") << QStringList{"--drop-after", "5", "--drop-on", "ATI"} << false
                               << QStringList{"--port", "{pty}", "identify"} << 1 << ""
                               << "未知ｴﾗｰが発生しました";
}

void CliTest::statuses()
{
    QFETCH(QStringList, simulator);
    QFETCH(bool, workFileInUse);
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    if (!simulator.isEmpty())
        QVERIFY(startSimulator(simulator));
    const QString workFile = m_dir->filePath("mail.ini");
    QLockFile otherProgram(workFile + ".lock");
    if (workFileInUse)
        QVERIFY(otherProgram.tryLock(0));
    const auto fill = [this](QString text) { return text.replace("{pty}", m_device).replace("{dir}", m_dir->path()); };
    QStringList line{"--workfile", workFile};
    for (const QString &argument : arguments)
        line << fill(argument);

    QCOMPARE(run("korvanta-cli", line), status);
    QCOMPARE(m_out, out);
    QVERIFY2(m_err.contains(fill(err)), qPrintable(m_err));
    if (status == 2 && !workFileInUse)
        QVERIFY(!QFile::exists(workFile + ".lock")); // a usage error touches nothing
}

// Two runs append to one log: every line sent, every reply, with the time.
void CliTest::logsTraffic()
{
    QVERIFY(startSimulator({"--log", "/dev/null"}));
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
    QVERIFY(startSimulator({"--log", "/dev/null"}));
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

    // Two files: the settings that differ, with the windows' captions.
    QCOMPARE(run("korvanta-cli", {"diff", dir + "/factory.ini", dir + "/changed.ini"}), 1);
    QCOMPARE(m_out.count('\n'), 2);
    QVERIFY2(m_out.contains("[TANSYUKU] 00: \"\" → \"117\""), qPrintable(m_out));

    // A refused profile never reaches the line.
    QByteArray bad = changed;
    bad.replace("JIKO_NO=0312345678", "JIKO_NO=03;&F");
    file("bad.ini", bad);
    const QString log = dir + "/traffic.log";
    QCOMPARE(run("korvanta-cli", line + QStringList{"--log", log, "restore", dir + "/bad.ini"}), 2);
    const int badLine = int(bad.left(bad.indexOf("JIKO_NO=03;")).count('\n')) + 1;
    QVERIFY2(m_err.contains(QStringLiteral("bad.ini:%1: TEL1/JIKO_NO").arg(badLine)), qPrintable(m_err));
    QVERIFY(!QFile::exists(log));

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
    // SerialPort, the C++ runtime) a needless dependency of the package.
    QProcess readelf;
    readelf.start("readelf", {"--dynamic", program("korvanta-cli")});
    QVERIFY(readelf.waitForFinished(10000));
    QStringList needed;
    const QRegularExpression entry(QStringLiteral(R"(\(NEEDED\)\s+Shared library: \[([^\]]+)\])"));
    for (const QRegularExpressionMatch &m : entry.globalMatch(QString::fromLocal8Bit(readelf.readAllStandardOutput())))
        needed << m.captured(1);
    QVERIFY2(needed.contains("libQt6Core.so.6") && needed.contains("libQt6SerialPort.so.6"), qPrintable(needed.join(' ')));
    const QRegularExpression allowed(QStringLiteral(R"(^lib(Qt6Core|Qt6SerialPort|simpleini|stdc\+\+|gcc_s|m|c)\.so\.\d+$)"));
    for (const QString &library : std::as_const(needed))
        QVERIFY2(allowed.match(library).hasMatch(), qPrintable(library + " in " + needed.join(' ')));
}

QTEST_GUILESS_MAIN(CliTest)
#include "cli_test.moc"
