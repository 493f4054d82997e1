// SPDX-License-Identifier: GPL-3.0-or-later
// Profiles: the strict reading of the file, and backup and restore against
// simulated adapters, clone included.

#include "link/session/session.h"
#include "profile/adapterprofile.h"
#include "profile/destination.h"
#include "profile/history.h"
#include "profile/manualpage.h"
#include "profile/profilefile.h"
#include "sim/simulatedadapter.h"
#include "sim/simulatedlink.h"
#include "tests/messagerecorder.h"
#include "workfile/workfile.h"

#include <QProcess>
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
        problem = {};
        lastResult = {};
        Outcome outcome = profile::plan(*session, p, plan, &problem);
        if (outcome == Outcome::Done && !dryRun) {
            lastResult = apply(*session, plan);
            outcome = lastResult.outcome;
        }
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
    ApplyResult lastResult;
    ParseError problem;
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

// Settings of the adapter's own names ("$D2") set to values, one pair a row.
using SimValues = QList<std::pair<QString, QString>>;

// The profile of an adapter set to values, as a file and as read from it.
std::pair<QByteArray, Profile> profileOf(const SimValues &values, bool newFirmware = true)
{
    Adapter source(newFirmware);
    for (const auto &[key, value] : values)
        source.sim.setValue(key, value);
    const QByteArray text = source.backup();
    return {text, parsed(text)};
}

// Where "SECTION/KEY" stands in a profile's text: the offset of its line.
qsizetype offsetOf(const QByteArray &text, const QString &name)
{
    const qsizetype start = text.indexOf("\n[" + name.section('/', 0, 0).toUtf8() + "]\n");
    return text.indexOf("\n" + name.section('/', 1).toUtf8() + '=', start) + 1;
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
    void wordsOfTheWindows_data();
    void wordsOfTheWindows();
    void everyShownValueReadsBack();
    void sameStateSameBytes();
    void cloneRestoreTwiceAndDryRun();
    void cutOffAndRunAgain();
    void olderFirmwareNamesWhatItLacks();
    void rulesAcrossSettings_data();
    void rulesAcrossSettings();
    void blockingSettingsArriveInOneRestore_data();
    void blockingSettingsArriveInOneRestore();
    void everyValueTheManualGivesIsAccepted();
    void manualPageReadsWell();
    void historyKeptAndPruned();
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

// A value shown as its window shows it, and what an operator types, in
// either language, read back to the value the adapter keeps.
void ProfileTest::wordsOfTheWindows_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("raw");
    QTest::addColumn<QString>("shown");    // as this run shows it (Japanese)
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QStringList>("typed"); // each reads as raw: English among them
    QTest::addColumn<QStringList>("refused");
    QTest::newRow("choice") << "TEL" << "INUMBER" << "0" << "使用しない" << ""
                            << QStringList{"0", " off ", "OFF", "ＯＦＦ"} << QStringList{"2", "使用", "on off", ""};
    QTest::newRow("number with unit") << "TEL1" << "HASHIN" << "6" << "6 秒" << "秒"
                                      << QStringList{"6", "6秒", "6 s", " 06 S ", "６ 秒"}
                                      << QStringList{"2", "16 秒", "6 Hz", "six", "6.0", "-6", ""};
    QTest::newRow("scaled register") << "SLPUT" << "ADD_$41" << "12" << "60 秒" << "秒"
                                     << QStringList{"12", "60秒", "60 s"}
                                     << QStringList{"61 s", "1280", "0", "0 s", "60 %", "s"};
    QTest::newRow("scaled register, its highest") << "SLPUT" << "DEL_$44" << "255" << "1275 秒" << "秒"
                                                  << QStringList{"255", "1275 s"} << QStringList{"1276 s", "256"};
    QTest::newRow("bit sum") << "BACP" << "HASHIN" << "5" << "チャンネル追加 + チャンネル削除" << ""
                             << QStringList{"5", "チャンネル削除+チャンネル追加", "channel removal, Channel Addition",
                                            "Channel Addition + Channel Addition + Channel Removal"}
                             << QStringList{"8", "Channel Addition + Teleport", "+", "チャンネル追加 チャンネル削除"};
    QTest::newRow("bit sum, none") << "BACP" << "CYAKU" << "0" << "なし" << "" << QStringList{"0", "None", " なし"}
                                   << QStringList{"none of them"};
    QTest::newRow("boxes of a sum") << "TEL2" << "TOKI" << "3" << "転送トーキ + 転送元トーキ" << ""
                                    << QStringList{"3", "転送元トーキ, 転送トーキ"} << QStringList{"4", "転送トーキ + "};
    QTest::newRow("text") << "TEL1" << "JIKO_NO" << "0312345678" << "0312345678" << ""
                          << QStringList{"0312345678", " 0312345678 "} << QStringList{"03;&F", "0312345678 s"};
    QTest::newRow("speed-dial entry") << "TANSYUKU" << "07" << "0312345678*12" << "0312345678*12" << ""
                                      << QStringList{"0312345678*12"} << QStringList{"03*1-2", "abc"};
    QTest::newRow("newer firmware only") << "TEL" << "RING" << "16" << "16 ヘルツ" << "ヘルツ"
                                         << QStringList{"16", "16ヘルツ", "16 hz"} << QStringList{"15 Hz", "32 s"};
    QTest::newRow("a value newer firmware has") << "TEL3" << "TUCHI" << "3" << "網契約に従う" << ""
                                                << QStringList{"3", "網契約に従う"} << QStringList{"4", "網契約"};
    QTest::newRow("half-width caption") << "TEL1" << "RING" << "2" << "ﾘｰﾝﾘﾝ･ﾘｰﾝﾘﾝ" << ""
                                        << QStringList{"2", "リーンリン・リーンリン"} << QStringList{"3", "ﾘｰﾝ"};
}

void ProfileTest::wordsOfTheWindows()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, raw);
    QFETCH(QString, shown);
    QFETCH(QString, unit);
    QFETCH(QStringList, typed);
    QFETCH(QStringList, refused);
    const SettingKey *k = findKey(settingKeys(), section, key);
    QVERIFY(k);
    QCOMPARE(meaning(*k, raw), shown);
    QCOMPARE(meaning(*k, QString(12, '9')), QString(12, '9')); // no number of a box
    QCOMPARE(unitOf(*k), unit);
    for (const QString &text : typed << shown)
        QVERIFY2(valueFromText(*k, text) == raw, qPrintable(text + " gave " + valueFromText(*k, text).value_or("nothing")));
    for (const QString &text : refused)
        QVERIFY2(!valueFromText(*k, text), qPrintable(text + " gave " + valueFromText(*k, text).value_or("")));
    // A difference shows both sides as the window does, the value beside
    // where they are not the same.
    const QString right = shown == raw ? '"' + raw + '"' : shown + " (" + raw + ')';
    QCOMPARE(describe({k, std::nullopt, raw}),
             QStringLiteral("%1 [%2] %3: (なし) → %4").arg(k->caption, k->section, k->key, right));
}

// Every value of every setting, shown as its window shows it, reads back as
// itself: no two options of a setting share a caption, no unit or scale is
// lost on the way.
void ProfileTest::everyShownValueReadsBack()
{
    int values = 0;
    for (const SettingKey &k : settingKeys()) {
        QStringList raws;
        for (const SettingDomain::Option &o : k.domain.options) {
            raws << o.value;
            for (const QString &word : o.words) // its caption in each language
                QVERIFY2(valueFromText(k, word) == o.value, qPrintable(k.section + '/' + k.key + ": " + word));
        }
        for (int v = k.domain.min; v <= k.domain.max && k.domain.options.empty(); ++v)
            raws << QString::number(v);
        for (const QString &raw : raws) {
            const QString shown = meaning(k, raw);
            QVERIFY2(valueFromText(k, shown) == raw, qPrintable(k.section + '/' + k.key + ": " + shown));
            ++values;
        }
    }
    QVERIFY(values > 1000);
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
    // Users keep profiles under version control: the same state must give the
    // same bytes in every version of the program, not only in this one.
    QFile golden(QFINDTESTDATA("changed-adapter.ini"));
    QVERIFY(golden.open(QIODevice::ReadOnly));
    QCOMPARE(first, golden.readAll());
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

void ProfileTest::rulesAcrossSettings_data()
{
    QTest::addColumn<bool>("newFirmware");    // of the adapter restored to
    QTest::addColumn<SimValues>("adapter");   // set before
    QTest::addColumn<SimValues>("profile");   // [SECTION] KEY and value, changed in a factory profile
    QTest::addColumn<bool>("fileAlone");      // refused before the adapter is read
    QTest::addColumn<QString>("keys");

    QTest::newRow("number display on TEL2 and TEL3")
        << true << SimValues{} << SimValues{{"TEL2/NDISPLAY", "1"}, {"TEL3/NDISPLAY", "1"}} << true
        << "TEL2/NDISPLAY, TEL3/NDISPLAY";
    QTest::newRow("throughput BOD used, neither direction adds or deletes")
        << true << SimValues{} << SimValues{{"DATAEXT/SLPUT", "1"}} << true << "DATAEXT/SLPUT, SLPUT/ADD, SLPUT/DEL";
    QTest::newRow("throughput BOD unused, a direction deletes")
        << true << SimValues{} << SimValues{{"SLPUT/DEL", "0"}} << true << "DATAEXT/SLPUT, SLPUT/ADD, SLPUT/DEL";
    QTest::newRow("hold key on the short-dial key")
        << true << SimValues{} << SimValues{{"TEL/GAISEN", "2"}} << true << "TEL/GAISEN, TEL/TANSYUKU";
    // Older firmware keeps its own short-dial key: the profile's "＊" is skipped.
    QTest::newRow("hold key on the key older firmware keeps")
        << false << SimValues{{"$I14", "0"}, {"$I15", "5"}} << SimValues{{"TEL/GAISEN", "5"}, {"TEL/TANSYUKU", "1"}}
        << false << "TEL/GAISEN, TEL/TANSYUKU";
    QTest::newRow("another model") << true << SimValues{} << SimValues{{"PROFILE/MODEL", "KORVAN-TB"}} << true
                                   << "PROFILE/MODEL";
}

// Each rule is refused with its line and keys, and no setting is sent; what
// the file alone breaks is refused before a single query.
void ProfileTest::rulesAcrossSettings()
{
    QFETCH(bool, newFirmware);
    QFETCH(SimValues, adapter);
    QFETCH(SimValues, profile);
    QFETCH(bool, fileAlone);
    QFETCH(QString, keys);
    MessageRecorder messages;
    QByteArray text = profileOf({}).first;
    for (const auto &[name, value] : profile) {
        const qsizetype at = offsetOf(text, name);
        text.replace(at, text.indexOf('\n', at) - at, name.section('/', 1).toUtf8() + '=' + value.toUtf8());
    }
    int line = 0; // of the last of the rule's settings
    for (const QString &name : keys.split(", "))
        line = std::max(line, int(text.left(offsetOf(text, name)).count('\n')) + 1);
    const Profile p = parsed(text);
    Adapter target(newFirmware);
    for (const auto &[key, value] : adapter)
        QVERIFY(target.sim.setValue(key, value));
    QList<QByteArray> lines;
    QCOMPARE(target.restore(p, &lines), Outcome::Refused);
    QCOMPARE(target.problem.key, keys);
    QCOMPARE(target.problem.line, line);
    QVERIFY(!target.problem.message.isEmpty());
    QCOMPARE(settingLines(lines), QList<QByteArray>{});
    QCOMPARE(lines.isEmpty(), fileAlone);
}

void ProfileTest::blockingSettingsArriveInOneRestore_data()
{
    QTest::addColumn<SimValues>("adapter");
    QTest::addColumn<SimValues>("profile");
    QTest::newRow("number display from TEL3 to TEL2") << SimValues{{"$D3", "1"}} << SimValues{{"$D2", "1"}};
    QTest::newRow("number display from TEL2 to TEL3") << SimValues{{"$D2", "1"}} << SimValues{{"$D3", "1"}};
    QTest::newRow("hold and short-dial keys trade places")
        << SimValues{{"$I14", "1"}, {"$I15", "2"}} << SimValues{{"$I14", "2"}, {"$I15", "1"}};
    QTest::newRow("hold key onto the short-dial key's old key")
        << SimValues{{"$I14", "1"}, {"$I15", "2"}} << SimValues{{"$I14", "2"}, {"$I15", "5"}};
    QTest::newRow("throughput BOD switched off")
        << SimValues{{"%A", "0"}, {"%D", "1"}} << SimValues{{"%A", "3"}, {"%D", "3"}};
    QTest::newRow("throughput BOD switched on") << SimValues{} << SimValues{{"%A", "3"}, {"%D", "2"}};
}

// Settings that block each other: one restore brings the adapter to the
// profile, and a second has nothing to send.
void ProfileTest::blockingSettingsArriveInOneRestore()
{
    QFETCH(SimValues, adapter);
    QFETCH(SimValues, profile);
    MessageRecorder messages;
    const auto [text, p] = profileOf(profile);
    Adapter target;
    for (const auto &[key, value] : adapter)
        QVERIFY(target.sim.setValue(key, value));
    QCOMPARE(target.restore(p), Outcome::Done);
    QCOMPARE(target.lastResult.unverified.size(), 0);
    QCOMPARE(target.backup(), text);
    QCOMPARE(target.restore(p), Outcome::Done);
    QCOMPARE(target.lastPlan.changes.size(), 0);
    QCOMPARE(messages.texts(), QStringList{});
}

// What the manual page says of each setting's values is what reading a
// profile accepts: its options and no other digit, both ends of its range and
// not one beyond, its characters up to its length and not one more.
void ProfileTest::everyValueTheManualGivesIsAccepted()
{
    for (const SettingKey &k : settingKeys()) {
        const SettingDomain &d = k.domain;
        const QString name = k.section + '/' + k.key;
        const auto expect = [&](const QString &value, bool accepted) {
            QVERIFY2(k.accepts(value) == accepted, qPrintable(name + " \"" + value + "\""));
        };
        QVERIFY2(!d.options.empty() || d.max >= d.min || !d.text.empty(), qPrintable(name));
        if (!d.options.empty())
            for (int digit = 0; digit <= 9; ++digit) {
                const QString v = QString::number(digit);
                expect(v, std::any_of(d.options.begin(), d.options.end(), [&](const auto &o) { return o.value == v; }));
            }
        if (d.max >= d.min) {
            expect(QString::number(d.min), true);
            expect(QString::number(d.max), true);
            if (d.min > 0)
                expect(QString::number(d.min - 1), false);
            expect(QString::number(d.max + 1), false);
            if (!d.text.empty())
                expect(QString::number(d.min).rightJustified(d.text.front().maxLength + 1, '0'), false);
            continue;
        }
        if (d.text.empty())
            continue;
        QStringList longest; // of each part, joined by "*"
        for (const SettingDomain::Text &t : d.text) {
            for (const QChar c : t.characters)
                expect(&t == &d.text.front() ? QString(c) : "*" + QString(c), true);
            longest << t.characters.right(1).repeated(t.maxLength);
        }
        expect(longest.join('*'), true);
        for (int part = 0; part < longest.size(); ++part)
            for (const QString &more : {longest[part].right(1), QString(";")}) {
                QStringList over = longest;
                over[part] += more;
                expect(over.join('*'), false);
            }
    }
}

void ProfileTest::manualPageReadsWell()
{
    const QByteArray roff = manualPage(settingKeys(), settingRules());
    const QString page = QString::fromUtf8(roff).remove("\\:"); // where a line may break
    QVERIFY(page.contains("0 通知しない, 1 契約者回線番号を通知, 2 自己アドレスを通知, 3 網契約に従う (新しいファームウェア)"));
    QVERIFY(page.contains("0 通知しない, 1 契約者番号を通知, 2 自己アドレスを通知, 3 網契約に従う (新しいファームウェア)"));
    // And groff reads it without a warning.
    QProcess groff;
    groff.start("groff", {"-man", "-Tutf8", "-ww", "-z", "-K", "utf8"});
    if (!groff.waitForStarted())
        QSKIP("no groff");
    groff.write(roff);
    groff.closeWriteChannel();
    QVERIFY(groff.waitForFinished());
    QCOMPARE(QString::fromUtf8(groff.readAllStandardError()), QString());
    QCOMPARE(groff.exitCode(), 0);
}

QTEST_MAIN(ProfileTest)
// A history entry is kept only of a profile that would restore: a value its
// setting refuses (quoted, control characters escaped) or a setting missing
// leaves no file, and says which setting. Entries are found by number, name
// or path, and pruning keeps what the retention says, the newest always.
void ProfileTest::historyKeptAndPruned()
{
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(data.filePath("config")));
    const Profile whole = parsed(Adapter().backup());
    QCOMPARE(unrestorable(whole), QString());
    Profile refused = whole, missing = whole;
    refused.values.set("TANSYUKU", "03", "03\x1b" "12");
    missing.values.remove("TANSYUKU", "03");
    const HistoryEntry about{{}, {}, {}, "korvanta-cli", "set TEL1.HASHIN=6\nand more", {"TEL1.HASHIN"}};
    for (const auto &[p, said] : {std::pair{refused, "[TANSYUKU] 03: 機器の応答の値 \"03\\x1b12\""},
                                  std::pair{missing, "[TANSYUKU] 03: 機器の応答にこの設定の値がありません"}}) {
        QString why;
        QCOMPARE(record(p, "lab-1", about, &why), QString());
        QVERIFY2(why.contains(QString::fromUtf8(said)), qPrintable(why));
    }
    QVERIFY(history("lab-1").isEmpty());
    QStringList kept;
    for (int i = 0; i < 4; ++i) {
        QString why;
        kept.prepend(record(whole, "lab-1", about, &why));
        QVERIFY2(!kept.first().isEmpty(), qPrintable(why));
    }
    QCOMPARE(QFileInfo(kept.first()).dir().dirName(), QStringLiteral("lab-1"));
    QCOMPARE(QFileInfo(kept.first()).permissions() & 0x0077, 0); // the owner's alone
    const QList<HistoryEntry> entries = history("lab-1");
    QCOMPARE(entries.size(), 4);
    QCOMPARE(entries.first().path, kept.first());
    QCOMPARE(entries.first().change, QStringLiteral("set TEL1.HASHIN=6 and more"));
    QCOMPARE(entries.first().changed, QStringList{"TEL1.HASHIN"});
    QCOMPARE(*readEntry(entries.first(), nullptr), whole);
    QString why;
    QCOMPARE(findEntry("lab-1", "", &why)->path, kept[0]);
    QCOMPARE(findEntry("lab-1", "2", &why)->path, kept[1]);
    QCOMPARE(findEntry("lab-1", kept[2], &why)->path, kept[2]);
    QCOMPARE(findEntry("lab-1", entries[3].name, &why)->path, kept[3]);
    QVERIFY(!findEntry("lab-1", "5", &why) && !findEntry("lab-1", "2026", &why) && !findEntry("other", "", &why));

    QVERIFY(QDir().mkpath(data.filePath("config/korvanta")));
    QFile conf(retentionPath());
    QVERIFY(conf.open(QIODevice::WriteOnly));
    conf.write("# two entries, and whatever is younger than a day\nkeep = 2\ndays=1\nkeep all\n");
    conf.close();
    QStringList problems;
    const Retention r = historyRetention(&problems);
    QCOMPARE(std::pair(r.keep, r.days), std::pair(2, 1));
    QCOMPARE(problems.size(), 1);
    QVERIFY2(problems.first().contains(":4:"), qPrintable(problems.first()));
    // Young, all are kept; a day on, the two newest; with none to keep, the
    // newest all the same.
    QCOMPARE(prune("lab-1", r), QStringList{});
    QCOMPARE(prune("lab-1", r, QDateTime::currentDateTimeUtc().addDays(2)), (QStringList{kept[2], kept[3]}));
    QCOMPARE(prune("lab-1", {0, 0}, QDateTime::currentDateTimeUtc().addSecs(1)), QStringList{kept[1]});
    QCOMPARE(history("lab-1").size(), 1);
    qunsetenv("XDG_DATA_HOME");
    qunsetenv("XDG_CONFIG_HOME");
}

#include "profile_test.moc"
