// Profiles: the strict reading of the file, and backup and restore against
// simulated adapters, clone included.

#include "link/session.h"
#include "profile/adapterprofile.h"
#include "profile/profilefile.h"
#include "sim/simulatedadapter.h"
#include "sim/simulatedlink.h"
#include "tests/messagerecorder.h"
#include "workfile/workfile.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace korvanta;
using namespace korvanta::profile;

namespace {

// A small table of its own, so that the file rules are seen apart from the
// adapter's settings.
const std::vector<SettingKey> &tinyTable()
{
    static const std::vector<SettingKey> keys = {
        {"TEL1", "RING", "着信音", false, [](const QString &v) { return v == "0" || v == "1"; }},
        {"TEL1", "JIKO_NO", "自己番号", false,
         [](const QString &v) { return v.size() <= 4 && v.count(QRegularExpression("[0-9]")) == v.size(); }},
        {"TEL", "NDSQ", "送出順序", true, [](const QString &v) { return v == "0" || v == "2"; }},
    };
    return keys;
}

// One adapter on an in-process line, with its own work file and session.
struct Adapter {
    explicit Adapter(bool newFirmware = true)
    {
        if (!newFirmware) {
            auto f = sim.faults();
            f.firmware = sim::kOldFirmware;
            sim.setFaults(f);
            sim.factoryReset();
        }
        open();
    }
    void open()
    {
        link = std::make_unique<sim::SimulatedLink>(sim);
        link->open();
        work = std::make_unique<WorkFile>(dir.filePath(QStringLiteral("mail.ini")));
        session = std::make_unique<Session>(*link, *work, Timing{}.scaled(20));
        session->ModelName = QString::fromLatin1(sim::kModelName);
        session->FirmwareVersion = QString::fromLatin1(sim.faults().firmware);
        session->NewFirmwareFlag = sim.oldFirmware() ? QStringLiteral("0") : QStringLiteral("1");
    }
    QByteArray backup()
    {
        Profile p;
        if (!profile::backup(*session, p))
            return {};
        return write(p);
    }
    // Plans and applies; the lines the adapter received meanwhile.
    Outcome restore(const Profile &p, QList<QByteArray> *lines = nullptr, bool dryRun = false)
    {
        sim.clearLog();
        RestorePlan plan;
        Outcome outcome = profile::plan(*session, p, plan, nullptr);
        if (outcome == Outcome::Done && !dryRun)
            outcome = apply(*session, plan).outcome;
        lastPlan = plan;
        if (lines)
            *lines = sim.log();
        return outcome;
    }

    QTemporaryDir dir;
    sim::SimulatedAdapter sim;
    std::unique_ptr<sim::SimulatedLink> link;
    std::unique_ptr<WorkFile> work;
    std::unique_ptr<Session> session;
    RestorePlan lastPlan;
};

Profile parsed(const QByteArray &text)
{
    auto result = parse(text);
    if (auto *error = std::get_if<ParseError>(&result))
        qFatal("%s", qPrintable(error->describe(QStringLiteral("profile"))));
    return std::get<Profile>(result);
}

// The lines of a whole reading: anything else a restore sends is a setting.
QSet<QByteArray> readingLines()
{
    Adapter a;
    a.backup();
    const auto log = a.sim.log();
    return QSet<QByteArray>(log.begin(), log.end());
}

QList<QByteArray> settingLines(const QList<QByteArray> &lines)
{
    static const QSet<QByteArray> reading = readingLines();
    QList<QByteArray> out;
    for (const QByteArray &l : lines)
        if (!reading.contains(l))
            out << l;
    return out;
}

// A changed adapter: a setting of every window.
void change(sim::SimulatedAdapter &sim)
{
    const std::pair<const char *, const char *> changes[] = {
        {"$C1", "0312345678"}, {"$E1", "12"}, {"$L2", "1"},  {"$I20", "5"},  {"$C4", "0451112222"},
        {"$I42", "55"},       {"$I46", "3"}, {"&Z3", "0459876543*7"}, {"$W3", "2"}, {"$I29", "20"},
    };
    for (const auto &[key, value] : changes)
        QVERIFY2(sim.setValue(QLatin1String(key), QLatin1String(value)), key);
}

} // namespace

class ProfileTest : public QObject {
    Q_OBJECT
private slots:
    void fileRules_data();
    void fileRules();
    void refusedValueSaysWhatIsTaken_data();
    void refusedValueSaysWhatIsTaken();
    void sameStateSameBytes();
    void cloneRestoreTwiceAndDryRun();
    void cutOffAndRunAgain();
    void olderFirmwareNamesWhatItLacks();
    void profileBreakingARuleSendsNothing();
};

void ProfileTest::fileRules_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("line");    // -1: read, 0: the file as a whole
    QTest::addColumn<QString>("key");

    const QByteArray head = "[PROFILE]\nMODEL=KORVAN-TA\nFIRMWARE=Ver 1.30\n";
    QTest::newRow("good, any order, comments") << head + "; c\n[TEL1]\nJIKO_NO=0312\nring=1\n" << -1 << "";
    QTest::newRow("newer firmware's setting may be absent or there")
        << head + "[TEL]\nNDSQ=2\n[TEL1]\nRING=0\nJIKO_NO=\n" << -1 << "";
    QTest::newRow("value outside its set") << head + "[TEL1]\nRING=2\nJIKO_NO=\n" << 5 << "TEL1/RING";
    QTest::newRow("character the box refuses") << head + "[TEL1]\nRING=1\nJIKO_NO=03;&F\n" << 6 << "TEL1/JIKO_NO";
    QTest::newRow("too long for the box") << head + "[TEL1]\nRING=1\nJIKO_NO=12345\n" << 6 << "TEL1/JIKO_NO";
    QTest::newRow("unknown section") << head + "[TEL9]\nRING=1\n" << 4 << "TEL9";
    QTest::newRow("unknown key") << head + "[TEL1]\nRINGS=1\n" << 5 << "TEL1/RINGS";
    QTest::newRow("unknown key in PROFILE") << head + "DATE=today\n" << 4 << "PROFILE/DATE";
    QTest::newRow("given twice") << head + "[TEL1]\nRING=1\nring=0\n" << 6 << "TEL1/ring";
    QTest::newRow("not INI") << head + "[TEL1]\nRING 1\n" << 5 << "";
    QTest::newRow("setting before any section") << QByteArray("RING=1\n") + head << 1 << "";
    QTest::newRow("cut inside a line") << head + "[TEL1]\nRING=1\nJIKO" << 6 << "";
    QTest::newRow("cut between lines") << head + "[TEL1]\nRING=1\n" << 0 << "TEL1/JIKO_NO";
    QTest::newRow("no model") << QByteArray("[TEL1]\nRING=1\nJIKO_NO=\n") << 0 << "PROFILE/MODEL";
    QTest::newRow("not text") << head + "[TEL1]\nRING=\xff\n" << 5 << "";
    QTest::newRow("byte-order mark") << "\xEF\xBB\xBF" + head + "[TEL1]\nRING=1\nJIKO_NO=\n" << -1 << "";
    QTest::newRow("empty") << QByteArray() << 0 << "";
    QTest::newRow("only blank lines") << QByteArray("\n \r\n") << 0 << "";
}

void ProfileTest::fileRules()
{
    QFETCH(QByteArray, text);
    QFETCH(int, line);
    QFETCH(QString, key);
    const auto result = parse(text, tinyTable());
    if (line < 0) {
        if (const auto *error = std::get_if<ParseError>(&result))
            QFAIL(qPrintable(error->describe(QStringLiteral("p"))));
        const Profile &p = std::get<Profile>(result);
        QCOMPARE(p.model, QStringLiteral("KORVAN-TA"));
        // Written back in the table's order, whatever order it was read in.
        const QByteArray again = write(p, tinyTable());
        QVERIFY(again.indexOf("RING=") < again.indexOf("JIKO_NO="));
        QCOMPARE(write(std::get<Profile>(parse(again, tinyTable())), tinyTable()), again);
        return;
    }
    QVERIFY(std::holds_alternative<ParseError>(result));
    const ParseError &e = std::get<ParseError>(result);
    QCOMPARE(e.line, line);
    QCOMPARE(e.key, key);
    QVERIFY(!e.message.isEmpty());
    if (key == "TEL1/RING") // what the setting takes
        QVERIFY2(e.message.endsWith(" (0, 1 のどれか)"), qPrintable(e.message));
    if (text.trimmed().isEmpty())
        QCOMPARE(e.message, QStringLiteral("空です (設定がひとつもありません)"));
}

// A refused value comes with what its setting takes, as the setting's own
// check answers.
void ProfileTest::refusedValueSaysWhatIsTaken_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("taken");
    QTest::newRow("range") << "TEL1" << "HASHIN" << "3～15 の範囲";
    QTest::newRow("range from 0") << "TEL" << "CHIEN" << "0～9 の範囲";
    QTest::newRow("two values") << "TEL2" << "NDISPLAY" << "0, 1 のどれか";
    QTest::newRow("number box") << "TEL1" << "JIKO_NO" << "使える文字は 0-9 # ( ) - で 32 文字まで";
    QTest::newRow("subaddress box") << "TEL1" << "SUB_NO" << "使える文字は 0-9 # * で 20 文字まで";
}

void ProfileTest::refusedValueSaysWhatIsTaken()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, taken);
    const SettingKey *k = findKey(settingKeys(), section, key);
    QVERIFY(k);
    QCOMPARE(acceptedValues(*k), taken);
}

void ProfileTest::sameStateSameBytes()
{
    Adapter a;
    change(a.sim);
    const QByteArray first = a.backup();
    QVERIFY(!first.isEmpty());
    QCOMPARE(a.backup(), first);
    // Every setting of every window is there.
    const Profile p = parsed(first);
    QCOMPARE(p.values.entries().size(), qsizetype(settingKeys().size()));
    QVERIFY(first.contains("\n[TANSYUKU]\n00=\n01=\n02=\n03=0459876543*7\n"));
}

void ProfileTest::cloneRestoreTwiceAndDryRun()
{
    MessageRecorder messages;
    Adapter source;
    change(source.sim);
    const QByteArray saved = source.backup();
    const Profile p = parsed(saved);

    // Looked at first: a dry run sends no setting and changes nothing.
    Adapter target;
    QList<QByteArray> lines;
    QCOMPARE(target.restore(p, &lines, true), Outcome::Done);
    QCOMPARE(settingLines(lines), QList<QByteArray>{});
    QCOMPARE(target.lastPlan.changes.size(), 10);

    // Restored: the adapter now gives the same file, byte for byte.
    QCOMPARE(target.restore(p, &lines), Outcome::Done);
    QVERIFY(!settingLines(lines).isEmpty());
    QCOMPARE(target.backup(), saved);

    // Again: nothing differs, nothing is sent.
    QCOMPARE(target.restore(p, &lines), Outcome::Done);
    QCOMPARE(target.lastPlan.changes.size(), 0);
    QCOMPARE(settingLines(lines), QList<QByteArray>{});
    QCOMPARE(messages.texts(), QStringList{});
}

void ProfileTest::cutOffAndRunAgain()
{
    MessageRecorder messages;
    Adapter source;
    change(source.sim);
    const Profile p = parsed(source.backup());
    QList<QByteArray> sent;
    {
        Adapter whole;
        QCOMPARE(whole.restore(p, &sent), Outcome::Done);
    }
    sent = settingLines(sent);
    QVERIFY(sent.size() >= 5);
    for (const QByteArray &cut : sent) {
        Adapter target;
        auto f = target.sim.faults();
        f.dropAfter = 0;
        f.dropOn = cut;
        target.sim.setFaults(f);
        QVERIFY2(target.restore(p) == Outcome::LineFailed, cut.constData());
        // The line back: the same adapter, as it was left, on a new line.
        Adapter again;
        for (const QString &key : target.sim.keys())
            again.sim.setValue(key, target.sim.value(key));
        QCOMPARE(again.restore(p), Outcome::Done);
        QVERIFY2(again.backup() == write(p), cut.constData());
    }
}

void ProfileTest::olderFirmwareNamesWhatItLacks()
{
    MessageRecorder messages;
    Adapter source;
    change(source.sim);
    const Profile p = parsed(source.backup());
    Adapter older(false);
    QCOMPARE(older.restore(p), Outcome::Done);
    QStringList skipped;
    for (const SettingKey *k : older.lastPlan.skipped) {
        // The setting, or the profile's value of it ("網契約に従う").
        QVERIFY(k->newFirmwareOnly || k->newFirmwareValue(*p.values.get(k->section, k->key)));
        skipped << k->section + '/' + k->key;
    }
    for (const char *lacking : {"TEL/RING", "TEL3/RING", "TEL1/TUCHI", "USB/TUCHI"})
        QVERIFY2(skipped.contains(lacking), lacking);
    // Everything else arrived.
    const Profile after = parsed(older.backup());
    QCOMPARE(compare(after.values, p.values, settingKeys(), true).size(), skipped.size());
}

void ProfileTest::profileBreakingARuleSendsNothing()
{
    MessageRecorder messages;
    Adapter a;
    Profile p = parsed(a.backup());
    // The hold key and the short-dial key on one key.
    p.values.set("TEL", "GAISEN", "2");
    p.values.set("TEL", "TANSYUKU", "2");
    QList<QByteArray> lines;
    QCOMPARE(a.restore(p, &lines), Outcome::Refused);
    QCOMPARE(settingLines(lines), QList<QByteArray>{});
}

QTEST_MAIN(ProfileTest)
#include "profile_test.moc"
