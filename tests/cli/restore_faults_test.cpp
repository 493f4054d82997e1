// SPDX-License-Identifier: GPL-3.0-or-later
// A restore broken at every step of its line, each way a line breaks: what
// korvanta-cli reports (status, each change acknowledged, sent without an
// answer or not sent, whether the adapter stored) is held against what the
// simulator logged and what it stored, read back after a power cycle.

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/stat.h>

namespace {

QString program(const char *name)
{
    return QDir(qEnvironmentVariable("KORVANTA_BIN_DIR")).filePath(QString::fromLatin1(name));
}

// The changes of the profile, each with what marks the line that carries it.
// Two of them share one line.
struct Change {
    const char *key;
    const char *value;
    const char *line;
};
const Change kChanges[] = {
    {"TEL1.JIKO_NO", "0312345678", "AT$C1=0312345678"},
    {"TEL1.HASHIN", "6", "$I11=6"},
    {"TEL2.ONSEI", "1", "$L2=1"},
    {"TEL2.GLOBAL", "0", "$N2=0"},
    {"TANSYUKU.00", "117", "AT&Z0=117"},
};

const QByteArray kStore = "AT&W0&W1";

// The faults, as korvanta-sim gives them at one place of the sequence.
struct Fault {
    const char *name;
    QStringList options;
    bool silencesAfter; // nothing after the broken line is answered either
};
const Fault kFaults[] = {
    {"line lost", {"--drop-on", "*", "--drop-after", "0"}, true},
    {"stalled", {"--silent-from", "*"}, true},
    {"ERROR", {"--error-for", "*"}, false},
    {"cut short", {"--drop-on", "*", "--cut-after", "3"}, false},
};

QSet<QString> names(const QJsonValue &list)
{
    QSet<QString> out;
    for (const QJsonValue &v : list.toArray())
        out << (v.isObject() ? v[QStringLiteral("section")].toString() + u'.' + v[QStringLiteral("key")].toString()
                             : v.toString());
    return out;
}

} // namespace

class RestoreFaultsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void restoreBrokenAnywhere_data();
    void restoreBrokenAnywhere();
    void onlyStoringStillChanges_data();
    void onlyStoringStillChanges();

private:
    // korvanta-sim from the stored state in the test's folder (none: the
    // factory's), logging to sim.log, with the options.
    bool startSimulator(const QStringList &options = {});
    QList<QByteArray> simulatorLog() const;
    // korvanta-cli on the simulator's port with the test's work file, its
    // deadlines shortened; the status, and its output in m_out and m_err.
    int cli(const QStringList &arguments, const QString &output = {});
    void reset(); // a factory adapter, nothing logged

    QTemporaryDir m_dir;
    QProcess m_sim;
    QString m_device, m_out, m_err;
    int m_identifying = 0, m_reading = 0, m_whole = 0; // lines of each run
};

bool RestoreFaultsTest::startSimulator(const QStringList &options)
{
    cleanup();
    m_sim.start(program("korvanta-sim"),
                QStringList{"--state", m_dir.filePath("state"), "--log", m_dir.filePath("sim.log")} + options);
    if (!m_sim.waitForStarted(5000) || !m_sim.waitForReadyRead(5000))
        return false;
    m_device = QString::fromLocal8Bit(m_sim.readLine()).trimmed();
    return m_device.startsWith(u'/');
}

void RestoreFaultsTest::cleanup()
{
    m_sim.terminate();
    m_sim.waitForFinished(5000);
}

QList<QByteArray> RestoreFaultsTest::simulatorLog() const
{
    QFile file(m_dir.filePath("sim.log"));
    return file.open(QIODevice::ReadOnly) ? file.readAll().split('\n') : QList<QByteArray>{};
}

int RestoreFaultsTest::cli(const QStringList &arguments, const QString &output)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_DATA_HOME", m_dir.filePath("data"));
    environment.insert("XDG_CONFIG_HOME", m_dir.filePath("config"));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(m_dir.path());
    if (!output.isEmpty())
        process.setStandardOutputFile(output);
    process.start(program("korvanta-cli"), QStringList{"--deadline-scale", "0.03", "--language", "c", "--port", m_device,
                                                       "--workfile", m_dir.filePath("mail.ini")} +
                                               arguments);
    process.closeWriteChannel();
    if (!process.waitForFinished(30000))
        return -1;
    m_out = QString::fromUtf8(process.readAllStandardOutput());
    m_err = QString::fromUtf8(process.readAllStandardError());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

void RestoreFaultsTest::reset()
{
    QFile::remove(m_dir.filePath("state"));
    QFile::remove(m_dir.filePath("sim.log"));
}

void RestoreFaultsTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // How many lines identifying takes, reading everything, and a whole
    // restore: where each step of a restore begins.
    QVERIFY(startSimulator());
    QCOMPARE(cli({"identify"}), 0);
    m_identifying = int(simulatorLog().size()) - 1;
    QCOMPARE(cli({"backup", "factory.ini"}), 0);
    m_reading = int(simulatorLog().size()) - 1 - 2 * m_identifying; // it identifies too
    QFile factory(m_dir.filePath("factory.ini")), changed(m_dir.filePath("changed.ini"));
    QVERIFY(factory.open(QIODevice::ReadOnly) && changed.open(QIODevice::WriteOnly));
    QByteArray text = factory.readAll();
    for (const Change &c : kChanges) {
        const QList<QByteArray> name = QByteArray(c.key).split('.');
        const qsizetype section = text.indexOf("[" + name[0] + "]\n");
        const qsizetype at = text.indexOf("\n" + name[1] + "=", section) + 1;
        QVERIFY(section >= 0 && at > section);
        text.replace(at, text.indexOf('\n', at) - at, name[1] + "=" + c.value);
    }
    changed.write(text);
    changed.close();
    reset();
    QVERIFY(startSimulator());
    QCOMPARE(cli({"restore", "changed.ini"}), 0);
    const QList<QByteArray> log = simulatorLog();
    m_whole = int(log.size()) - 1;
    QCOMPARE(log[m_whole - 1], kStore);
}

// Every place of the restore's line: identifying, the first and last query
// of the reading, each command of the writing, the first and last of the
// reading back, and the store; in each, each fault.
void RestoreFaultsTest::restoreBrokenAnywhere_data()
{
    QTest::addColumn<int>("place");
    QTest::addColumn<QStringList>("fault");
    QTest::addColumn<bool>("silencesAfter");
    const int writing = m_identifying + m_reading;
    const int writes = m_whole - writing - m_reading - 1;
    QList<std::pair<int, QString>> places{{1, "identifying"}, {m_identifying + 1, "first read"}, {writing, "last read"}};
    for (int w = 1; w <= writes; ++w)
        places.append({writing + w, QStringLiteral("write %1").arg(w)});
    places.append({writing + writes + 1, "first read back"});
    places.append({m_whole - 1, "last read back"});
    places.append({m_whole, "store"});
    for (const auto &[place, name] : places)
        for (const Fault &f : kFaults)
            QTest::addRow("%s, %s", qPrintable(name), f.name) << place << f.options << f.silencesAfter;
}

void RestoreFaultsTest::restoreBrokenAnywhere()
{
    QFETCH(int, place);
    QFETCH(QStringList, fault);
    QFETCH(bool, silencesAfter);
    reset();
    QVERIFY(startSimulator(QStringList{"--at-line", QString::number(place)} + fault));
    const int status = cli({"--json", "restore", "changed.ini"});
    const QList<QByteArray> log = simulatorLog();
    QCOMPARE(status, 1);

    // What the simulator saw of each change: sent before the broken line and
    // so acknowledged, sent in it, or never sent.
    QSet<QString> acknowledged, unanswered, unsent;
    for (const Change &c : kChanges) {
        qsizetype at = -1;
        for (qsizetype i = 0; i < log.size() && at < 0; ++i)
            if (log[i].contains(c.line))
                at = i + 1;
        (at < 0 ? unsent : at < place ? acknowledged : unanswered) << QString::fromLatin1(c.key);
    }
    const bool storeSent = log.contains(kStore);
    if (place <= m_identifying) {
        QVERIFY2(m_out.isEmpty(), qPrintable(m_out)); // no adapter, no report
        QCOMPARE(unsent.size(), qsizetype(std::size(kChanges)));
        QVERIFY(!storeSent);
        return;
    }
    const QJsonObject report = QJsonDocument::fromJson(m_out.toUtf8()).object();
    QVERIFY2(!report.isEmpty(), qPrintable(m_out + m_err));
    const int writing = m_identifying + m_reading, readingBack = m_whole - m_reading;
    const bool reading = place <= writing;
    QCOMPARE(report["step"].toString(), reading                 ? QStringLiteral("reading")
                                        : place < readingBack  ? QStringLiteral("writing")
                                        : place < m_whole      ? QStringLiteral("reading back")
                                                               : QStringLiteral("storing"));
    if (reading) {
        QVERIFY(report["acknowledged"].toArray().isEmpty() && report["unanswered"].toArray().isEmpty());
        QCOMPARE(unsent.size(), qsizetype(std::size(kChanges)));
    } else {
        QCOMPARE(names(report["acknowledged"]), acknowledged);
        QCOMPARE(names(report["unanswered"]), unanswered);
        QCOMPARE(names(report["unsent"]), unsent);
    }
    // Stored only when the adapter acknowledged the store, not stored when
    // it never went out, unknown when it went and nothing came back.
    const QJsonValue stored = report["stored"];
    const qsizetype storeLine = log.indexOf(kStore) + 1;
    if (!storeSent)
        QCOMPARE(stored, QJsonValue(false));
    else if (storeLine == place || silencesAfter)
        QCOMPARE(stored, QJsonValue());
    else
        QCOMPARE(stored, QJsonValue(true));

    // What the adapter holds after a power cycle agrees: what was
    // acknowledged and stored is there, what was not sent is not.
    QVERIFY(startSimulator());
    QVERIFY(cli({"--json", "diff", "changed.ini"}) <= 1);
    const QSet<QString> differing = names(QJsonDocument::fromJson(m_out.toUtf8())["changes"]);
    QVERIFY(differing.contains(unsent));
    if (stored == QJsonValue(true))
        QVERIFY(!differing.intersects(acknowledged));
    if (!storeSent)
        QCOMPARE(differing.size(), qsizetype(std::size(kChanges)));
}

// A run that only stores changes the adapter all the same: once the store
// went out, a report that cannot be written is status 1, never 2 (nothing
// sent).
void RestoreFaultsTest::onlyStoringStillChanges_data()
{
    QTest::addColumn<QStringList>("command");
    QTest::newRow("store") << QStringList{"--json", "store"};
    QTest::newRow("restore with nothing to change") << QStringList{"--json", "restore", "factory.ini"};
}

void RestoreFaultsTest::onlyStoringStillChanges()
{
    QFETCH(QStringList, command);
    reset();
    // The store's answer waits, so that the report's reader goes first.
    const int storeLine = command.contains("store") ? m_identifying + 1 : m_identifying + m_reading + 1;
    QVERIFY(startSimulator({"--at-line", QString::number(storeLine), "--delay", "5000"}));
    const QString fifo = m_dir.filePath("report");
    QFile::remove(fifo);
    QVERIFY(::mkfifo(QFile::encodeName(fifo), 0600) == 0);
    QProcess reader;
    reader.start("/bin/cat", {fifo});
    reader.setStandardOutputFile(QProcess::nullDevice());
    QVERIFY(reader.waitForStarted());
    QProcess run;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_DATA_HOME", m_dir.filePath("data"));
    run.setProcessEnvironment(environment);
    run.setWorkingDirectory(m_dir.path());
    run.setStandardOutputFile(fifo);
    run.start(program("korvanta-cli"), QStringList{"--language", "c", "--port", m_device, "--workfile",
                                                   m_dir.filePath("mail.ini")} +
                                           command);
    QTRY_VERIFY_WITH_TIMEOUT(simulatorLog().contains(kStore), 10000);
    reader.kill();
    reader.waitForFinished();
    QVERIFY(run.waitForFinished(30000));
    const QString err = QString::fromUtf8(run.readAllStandardError());
    QCOMPARE(run.exitCode(), 1);
    QVERIFY2(err.contains("stored; the report could not be written"), qPrintable(err));
}

QTEST_GUILESS_MAIN(RestoreFaultsTest)
#include "restore_faults_test.moc"
