// SPDX-License-Identifier: GPL-3.0-or-later
// What korvanta-cli changes on the adapter, held against what the simulator
// logged and what it stored, read back after a power cycle: a restore broken
// at every step of its line, each way a line breaks (what it reports: status,
// each change acknowledged, sent without an answer or not sent, whether the
// adapter stored); single settings read and set, raw and as their windows
// show them; a merge of one setting.

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
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

// The rows KORVANTA_TEST_ROWS, a regular expression, picks by name (every row
// when it is not set), so that parts of the table run beside each other.
bool picked(const QString &row)
{
    static const QRegularExpression pick(qEnvironmentVariable("KORVANTA_TEST_ROWS"));
    return pick.match(row).hasMatch();
}

} // namespace

class ChangesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void restoreBrokenAnywhere_data();
    void restoreBrokenAnywhere();
    void onlyStoringStillChanges_data();
    void onlyStoringStillChanges();
    void singleSettings_data();
    void singleSettings();
    void refusedByARuleOrMerged();
    void rolledBack();

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

bool ChangesTest::startSimulator(const QStringList &options)
{
    cleanup();
    m_sim.start(program("korvanta-sim"),
                QStringList{"--state", m_dir.filePath("state"), "--log", m_dir.filePath("sim.log")} + options);
    if (!m_sim.waitForStarted(5000) || !m_sim.waitForReadyRead(5000))
        return false;
    m_device = QString::fromLocal8Bit(m_sim.readLine()).trimmed();
    return m_device.startsWith(u'/');
}

void ChangesTest::cleanup()
{
    m_sim.terminate();
    m_sim.waitForFinished(5000);
}

QList<QByteArray> ChangesTest::simulatorLog() const
{
    QFile file(m_dir.filePath("sim.log"));
    return file.open(QIODevice::ReadOnly) ? file.readAll().split('\n') : QList<QByteArray>{};
}

int ChangesTest::cli(const QStringList &arguments, const QString &output)
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

void ChangesTest::reset()
{
    QFile::remove(m_dir.filePath("state"));
    QFile::remove(m_dir.filePath("sim.log"));
}

void ChangesTest::initTestCase()
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
void ChangesTest::restoreBrokenAnywhere_data()
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
            if (picked(name + QStringLiteral(", ") + QLatin1String(f.name)))
                QTest::addRow("%s, %s", qPrintable(name), f.name) << place << f.options << f.silencesAfter;
}

void ChangesTest::restoreBrokenAnywhere()
{
    if (!QTest::currentDataTag())
        QSKIP("no row of this part");
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
void ChangesTest::onlyStoringStillChanges_data()
{
    QTest::addColumn<QStringList>("command");
    for (const auto &[name, command] : {std::pair<QString, QStringList>{"store", {"--json", "store"}},
                                        {"restore with nothing to change", {"--json", "restore", "factory.ini"}}})
        if (picked(name))
            QTest::newRow(qPrintable(name)) << command;
}

void ChangesTest::onlyStoringStillChanges()
{
    if (!QTest::currentDataTag())
        QSKIP("no row of this part");
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

// Each kind of setting read, then set by its raw value and by the text its
// window shows (as get gives it): only its own line goes out, and the store.
void ChangesTest::singleSettings_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("line"); // what marks the line that sets it
    const struct {
        const char *row, *name, *value, *line;
    } rows[] = {
        {"choice", "TEL1.ONSEI", "1", "$L1=1"},
        {"number with its unit", "TEL1.HASHIN", "6", "$I11=6"},
        {"register in fifths of seconds", "SLPUT.ADD_$41", "20", "$I41=20"},
        {"bit sum", "BACP.HASHIN", "5", "$I47=5"},
        {"text", "TEL2.JIKO_NO", "0312345678", "AT$C2=0312345678"},
        {"speed-dial entry", "TANSYUKU.05", "117*12", "AT&Z5=117*12"},
        {"newer firmware only", "TEL1.RING", "2", "$W1=2"},
    };
    for (const auto &r : rows)
        if (picked(QLatin1String(r.row)))
            QTest::newRow(r.row) << QString::fromLatin1(r.name) << QString::fromLatin1(r.value) << QByteArray(r.line);
}

void ChangesTest::singleSettings()
{
    if (!QTest::currentDataTag())
        QSKIP("no row of this part");
    QFETCH(QString, name);
    QFETCH(QString, value);
    QFETCH(QByteArray, line);
    reset();
    QVERIFY(startSimulator());
    const auto setting = [this, &name]() {
        return QJsonDocument::fromJson(m_out.toUtf8())["settings"][0].toObject();
    };
    QCOMPARE(cli({"--json", "get", name}), 0);
    const QString factory = setting()["value"].toString();
    QVERIFY2(factory != value, qPrintable(m_out));
    // Only the windows' parts that hold it are read.
    QVERIFY2(simulatorLog().size() - 1 < m_identifying + m_reading / 2, qPrintable(simulatorLog().join(' ')));

    const auto setTo = [&](const QString &given, const QString &expected) {
        QFile(m_dir.filePath("sim.log")).resize(0); // the simulator appends to it
        QCOMPARE(cli({"set", name + u'=' + given}), 0);
        QList<QByteArray> sets; // what changed the adapter
        for (const QByteArray &l : simulatorLog())
            if (l.contains('=') || l.startsWith("AT&W"))
                sets << l;
        QCOMPARE(sets.size(), 2);
        QVERIFY2(sets[0].contains(expected == value ? line : QByteArray()), sets[0].constData());
        QCOMPARE(sets[1], kStore);
        QCOMPARE(cli({"--json", "get", name}), 0);
        QCOMPARE(setting()["value"].toString(), expected);
    };
    setTo(value, value);
    const QString text = setting()["text"].toString();
    setTo(factory, factory);
    setTo(text, value); // as the window shows it
}

// A change a rule across settings refuses sends nothing; a merge profile of
// one setting changes that one and compares equal after.
void ChangesTest::refusedByARuleOrMerged()
{
    if (!picked(QStringLiteral("rule and merge")))
        QSKIP("not in this part");
    reset();
    QVERIFY(startSimulator());
    QCOMPARE(cli({"set", "TEL.GAISEN=2"}), 2); // the speed-dial key's own
    for (const QByteArray &l : simulatorLog())
        QVERIFY2(!l.contains('=') && !l.startsWith("AT&W"), l.constData());
    // Nor is a setting sent that older firmware lacks: asked for by name, it
    // is refused, not skipped.
    QVERIFY(startSimulator({"--old-firmware"}));
    QCOMPARE(cli({"set", "TEL1.HASHIN=7", "TEL1.RING=2"}), 2);
    for (const QByteArray &l : simulatorLog())
        QVERIFY2(!l.contains('=') && !l.startsWith("AT&W"), l.constData());
    reset();
    QVERIFY(startSimulator());
    QFile one(m_dir.filePath("one.ini"));
    QVERIFY(one.open(QIODevice::WriteOnly));
    one.write("[tel1]\nhashin=7\n");
    one.close();
    QCOMPARE(cli({"diff", "--merge", "one.ini"}), 1);
    QFile(m_dir.filePath("sim.log")).resize(0);
    QCOMPARE(cli({"--json", "restore", "--merge", "one.ini"}), 0);
    const QList<QByteArray> log = simulatorLog();
    QCOMPARE(std::count_if(log.begin(), log.end(), [](const QByteArray &l) { return l.contains('='); }), 1);
    QVERIFY(log.contains("AT$I11=7"));
    // Its backup is a merge of what was read, which takes the adapter back.
    const QString backup = QJsonDocument::fromJson(m_out.toUtf8())["backup"].toString();
    QCOMPARE(cli({"diff", "--merge", "one.ini"}), 0);
    QCOMPARE(cli({"restore", "--merge", backup}), 0);
    QCOMPARE(cli({"diff", "--merge", "one.ini"}), 1);
}

// A set, then a rollback, on a port named in ports.conf: the adapter stores
// what it stored before, byte for byte; a rollback of the rollback brings the
// set back. Each change keeps its entry under the port's name.
void ChangesTest::rolledBack()
{
    if (!picked(QStringLiteral("rule and merge")))
        QSKIP("not in this part");
    reset();
    QVERIFY(startSimulator());
    QVERIFY(QDir().mkpath(m_dir.filePath("config/korvanta")));
    QFile names(m_dir.filePath("config/korvanta/ports.conf"));
    QVERIFY(names.open(QIODevice::WriteOnly));
    names.write("lab-1 = " + m_device.toUtf8() + '\n');
    names.close();
    const auto stored = [this] {
        QFile state(m_dir.filePath("state"));
        return state.open(QIODevice::ReadOnly) ? state.readAll() : QByteArray();
    };
    const auto onLab = [this](const QStringList &arguments) { return cli(QStringList{"--port", "lab-1"} + arguments); };
    QCOMPARE(cli({"set", "TEL3.HASHIN=5"}), 0); // a stored state other than the factory's
    const QByteArray before = stored();
    QCOMPARE(onLab({"set", "TEL1.HASHIN=7", "TEL2.ONSEI=1"}), 0);
    const QByteArray changed = stored();
    QVERIFY(!before.isEmpty() && changed != before);
    QCOMPARE(onLab({"rollback"}), 0);
    QCOMPARE(stored(), before);
    QCOMPARE(onLab({"rollback"}), 0);
    QCOMPARE(stored(), changed);
    QCOMPARE(onLab({"--json", "history"}), 0);
    const QJsonDocument history = QJsonDocument::fromJson(m_out.toUtf8());
    QVERIFY2(history["folder"].toString().endsWith("/history/lab-1"), qPrintable(m_out));
    const QJsonArray entries = history["entries"].toArray();
    QCOMPARE(entries.size(), 3); // the first set's is under the device's own name
    QCOMPARE(entries[2]["change"].toString(), "set TEL1.HASHIN=7 TEL2.ONSEI=1");
    QCOMPARE(entries[0]["change"].toString(), "rollback " + entries[1]["name"].toString());
    for (const QJsonValue &e : entries)
        QCOMPARE(e["changed"].toArray(), (QJsonArray{"TEL1.HASHIN", "TEL2.ONSEI"}));
}

QTEST_GUILESS_MAIN(ChangesTest)
#include "changes_test.moc"
