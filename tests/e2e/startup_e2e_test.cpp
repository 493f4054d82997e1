// The real utility over a pseudo-terminal against the simulator program:
// start-up, identification and a clean exit.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class StartupE2eTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void identifiesAndExits();
    void noAdapterEndsWithStatusOne();
    void aSecondStartOnTheSameWorkFileEnds();

private:
    // Starts the simulator with extra options; its device path.
    QString startSimulator(const QStringList &options = {});
    void startUtility(QProcess &utility, const QStringList &extra);
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

void StartupE2eTest::startUtility(QProcess &utility, const QStringList &extra)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
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
    startUtility(utility, {"--exit-after-start"});
    QVERIFY(utility.waitForFinished(30000));
    const QString out = QString::fromLocal8Bit(utility.readAllStandardOutput());
    const QString err = QString::fromLocal8Bit(utility.readAllStandardError());
    QCOMPARE(utility.exitStatus(), QProcess::NormalExit);
    QVERIFY2(utility.exitCode() == 0, qPrintable(err));
    QVERIFY2(out.contains("COM1: KORVAN-TA, Ver 1.30 01/03/15\n"), qPrintable(out));
    QVERIFY2(out.contains("main window shown after"), qPrintable(out));
    // Identification, and no store command: nothing was written.
    QCOMPARE(simulatorLog(), (QStringList{"ATE1V1", "ATI", "AT%I2"}));
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

QTEST_GUILESS_MAIN(StartupE2eTest)
#include "startup_e2e_test.moc"
