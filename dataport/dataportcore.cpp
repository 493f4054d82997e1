// SPDX-License-Identifier: GPL-3.0-or-later
#include "dataport/dataportcore.h"

#include "dataport/strings.h"
#include "link/protocol/exchange.h"
#include "link/session/messages.h"
#include "link/session/session.h"
#include "workfile/workfile.h"

#include <QCoreApplication>

#include <initializer_list>
#include <type_traits>

namespace korvanta::dataport {

namespace {
// A query and what its reply gave; no reply in time is a failed reading.
template <class Parse> Reading ask(Session &session, const char *query, Parse parse)
{
    const auto answer = session.query(query);
    return answer ? parse(*answer) : Reading{false, {}};
}

// "コマンドの受信に失敗しました" over parent, after what a value refused was,
// if any; the flag, if any, set to 1.
bool failed(QObject *parent, int *flag = nullptr, const ReadKeeper *refused = nullptr)
{
    if (refused)
        Messages::warn(refused->refusal, parent);
    Session::reportReceiveFailure(parent);
    if (flag)
        *flag = 1;
    return false;
}

template <class T> const T &row(const T &t) { return t; }
template <class T> const T &row(const T *t) { return *t; }

// Each row's query in turn, each value kept under the row's key; a reply that
// gives none keeps nothing. The first failed reading ends it.
template <class Rows> bool readEach(Session &s, const Rows &rows, Reading (*parse)(const QByteArray &), const ReadKeeper &keep,
                                    QObject *parent)
{
    for (const auto &r : rows) {
        const Reading reading = ask(s, row(r).query, parse);
        if (!reading.ok)
            return failed(parent);
        if (reading.value && !keep(row(r).key, *reading.value))
            return failed(parent, nullptr, &keep);
    }
    return true;
}

StoredValue storedIn(WorkFile &file, const char *section)
{
    return [&file, s = nameOf(section)](const char *key, const char *fallback) {
        return file.fetch(s, nameOf(key), QString::fromLatin1(fallback));
    };
}

ValueOf wantedIn(const SettingValues &wanted, const char *section)
{
    return [&wanted, s = nameOf(section)](const char *key) { return wanted.get(s, nameOf(key)).value_or(QString()); };
}

// The commands of one write procedure, the empty ones skipped, up to the first
// that fails (shown); the input is discarded in every case.
bool send(Session &session, const std::vector<Session::CommandMaker> &procedures, QObject *parent)
{
    const bool sent = session.setEach(procedures, parent);
    DiscardInput(session.link);
    return sent;
}

std::function<bool(const QString &)> oneOf(const QStringList &values)
{
    return [values](const QString &value) { return values.contains(value); };
}

template <class Options> std::function<bool(const QString &)> optionValues(const Options &options)
{
    QStringList values;
    for (const auto &o : options)
        values << QString::fromLatin1(o.value);
    return oneOf(values);
}

std::function<bool(const QString &)> digitsUpTo(int highest)
{
    QStringList values;
    for (int v = 0; v <= highest; ++v)
        values << QString::number(v);
    return oneOf(values);
}
} // namespace

// ---------------------------------------------------------------------------
// Reading

bool PortRead(Session &s, PortIndex p, SettingValues &values, QObject *parent)
{
    const Port &pt = port(p);
    s.ReadFailed = 0;
    WorkFile::Batch batch(s.workFile);
    const ReadKeeper keep{s.workFile, values, nameOf(pt.section), settingKeys()};
    const bool ok = [&] {
        const auto listing = s.query(pt.listing);
        if (!listing)
            return false;
        const ListingReading r = parseListing(*listing, pt);
        if (!r.ok)
            return false;
        if (!keep(kOwnNumberKey, QString::fromLatin1(r.number)) || !keep(kSubaddressKey, QString::fromLatin1(r.subaddress)))
            return false;
        for (const auto &[setting, value] : r.values)
            if (!keep(setting->key, value))
                return false;

        const Reading n = ask(s, pt.iNumberQuery, parseINumber);
        return n.ok && (!n.value || keep(kINumberKey, *n.value));
    }();
    return ok || failed(parent, &s.ReadFailed, keep.refusal.isEmpty() ? nullptr : &keep);
}

bool DataExtRead(Session &s, SettingValues &values, QObject *parent)
{
    s.ReadFailed = 0;
    WorkFile::Batch batch(s.workFile);
    const ReadKeeper keep{s.workFile, values, nameOf(kExtSection), settingKeys()};
    for (const ExtSetting *setting : extReadOrder()) {
        const Reading r = ask(s, setting->query, [setting](const QByteArray &a) { return parseExtended(*setting, a); });
        if (!r.ok)
            return failed(parent, &s.ReadFailed);
        if (!keep(setting->key, *r.value))
            return failed(parent, &s.ReadFailed, &keep);
    }
    return true;
}

bool BodRead(Session &s, SettingValues &values, QObject *parent)
{
    WorkFile::Batch batch(s.workFile);
    const ReadKeeper keep{s.workFile, values, nameOf(kBodSection), settingKeys()};
    if (!readEach(s, bodDirections(), parseDirection, keep, parent)
        || !readEach(s, bodReadOrder(), parseRegister, keep, parent))
        return false;
    for (const BodRegister &reg : bodRegisters())
        if (reg.kind == BodKind::Threshold)
            s.workFile.store(keep.section, nameOf(bodDirections()[reg.direction].speedKey),
                             speedText(numericValue(*values.get(keep.section, nameOf(reg.key)))));
    return true;
}

bool BapRead(Session &s, SettingValues &values, QObject *parent)
{
    WorkFile::Batch batch(s.workFile);
    return readEach(s, bapSides(), parseMask, ReadKeeper{s.workFile, values, nameOf(kBapSection), settingKeys()}, parent); // the calling side first
}

bool readForm3(Session &s, SettingValues &values, QObject *parent)
{
    WorkFile::Batch batch(s.workFile); // one save for the three readings
    return PortRead(s, DataPort, values, parent) && PortRead(s, UsbPort, values, parent)
        && DataExtRead(s, values, parent);
}

// ---------------------------------------------------------------------------
// Writing

namespace {
// DataWrite and UsbWrite, DataExtWrite, BodWrite, BapWrite: their commands.
QList<QByteArray> portWriteCommands(Session &s, PortIndex p, const SettingValues &wanted)
{
    const Port &pt = port(p);
    const QString section = nameOf(pt.section);
    const PortCommands c = composePortWrite(pt, storedIn(s.workFile, pt.section), wantedIn(wanted, pt.section),
                                            wanted.get(section, nameOf(kOwnNumberKey)),
                                            wanted.get(section, nameOf(kSubaddressKey)));
    return {c.number, c.subaddress, c.settings};
}

QList<QByteArray> dataExtWriteCommands(Session &s, const SettingValues &wanted)
{
    return {composeExtWrite(storedIn(s.workFile, kExtSection), wantedIn(wanted, kExtSection))};
}

QList<QByteArray> bodWriteCommands(Session &s, const SettingValues &wanted)
{
    return {composeBodWrite(storedIn(s.workFile, kBodSection), wantedIn(wanted, kBodSection))};
}

QList<QByteArray> bapWriteCommands(Session &s, const SettingValues &wanted)
{
    return {composeBapWrite(storedIn(s.workFile, kBapSection), wantedIn(wanted, kBapSection))};
}

// Form3's procedures: DataWrite, UsbWrite, DataExtWrite.
std::vector<Session::CommandMaker> form3Procedures(Session &s, const SettingValues &wanted)
{
    return {[&] { return portWriteCommands(s, DataPort, wanted); },
            [&] { return portWriteCommands(s, UsbPort, wanted); },
            [&] { return dataExtWriteCommands(s, wanted); }};
}
} // namespace

bool BodWrite(Session &s, const SettingValues &wanted, QObject *parent)
{
    return send(s, {[&] { return bodWriteCommands(s, wanted); }}, parent);
}

bool BapWrite(Session &s, const SettingValues &wanted, QObject *parent)
{
    return send(s, {[&] { return bapWriteCommands(s, wanted); }}, parent);
}

bool writeForm3(Session &s, const SettingValues &wanted, QObject *parent)
{
    return send(s, form3Procedures(s, wanted), parent);
}

// ---------------------------------------------------------------------------
// The subsystem as a whole

namespace {
// The captions of the three windows' tables, in the operator's language.
QString portText(const char *caption)
{
    return QCoreApplication::translate("korvanta::DataPortDialog", caption);
}
QString bodText(const char *caption)
{
    return QCoreApplication::translate("korvanta::ThroughputBodDialog", caption);
}
QString bapText(const char *caption)
{
    return QCoreApplication::translate("korvanta::BapDialog", caption);
}

// An option's caption in the operator's language, from whichever of the
// three windows shows it.
QString optionText(const char *caption)
{
    const QString source = QString::fromUtf8(caption);
    for (QString (*text)(const char *) : {portText, bodText, bapText})
        if (const QString translated = text(caption); translated != source)
            return translated;
    return source;
}

// The same caption in each language an operator may type it in.
QStringList optionWords(const char *caption)
{
    for (const char *context : {"korvanta::DataPortDialog", "korvanta::ThroughputBodDialog", "korvanta::BapDialog"})
        if (QStringList words = windowWords(context, caption); words.size() > 1)
            return words;
    return {QString::fromUtf8(caption)};
}

template <class Options> SettingDomain optionsOf(const Options &options, PortIndex p = DataPort)
{
    SettingDomain d;
    for (const auto &o : options) {
        const char *caption = o.caption;
        if constexpr (std::is_same_v<std::decay_t<decltype(o)>, PortOption>) {
            if (p == UsbPort && o.usbCaption)
                caption = o.usbCaption;
            // The option older firmware disables on both ports.
            d.options.push_back({nameOf(o.value), optionText(caption),
                                 qstrcmp(o.control[0], ports()[0].networkOption) == 0, optionWords(caption)});
        } else {
            d.options.push_back({nameOf(o.value), optionText(caption), false, optionWords(caption)});
        }
    }
    return d;
}

SettingDomain directionOf(const BodDirection &dir)
{
    SettingDomain d;
    for (size_t v = 0; v < std::size(dir.options); ++v)
        d.options.push_back({QString::number(v), optionText(dir.options[v].caption), false,
                             optionWords(dir.options[v].caption)});
    return d;
}

// A register as the adapter holds it: the box's range divided by its scale.
SettingDomain registerOf(const BodRegister &reg)
{
    const BodRange &r = bodRange(reg.kind);
    SettingDomain d;
    d.min = (r.minimum + r.scale - 1) / r.scale;
    d.max = r.maximum / r.scale;
    d.text = {{charset::kDigits, kRegisterDigits}};
    d.unit = bodText(r.unit);
    d.unitWords = optionWords(r.unit);
    d.scale = r.scale;
    if (r.scale != 1)
        d.note = QCoreApplication::translate("korvanta::ThroughputBodDialog", "%1 %2 単位: 画面では %3～%4 %2 と表示します")
                     .arg(r.scale)
                     .arg(bodText(r.unit))
                     .arg(r.minimum)
                     .arg(r.maximum);
    return d;
}

// A side that answers none of the requests.
constexpr const char *kNone = QT_TRANSLATE_NOOP("korvanta::BapDialog", "なし");

SettingDomain maskOf()
{
    SettingDomain d;
    QStringList bits;
    d.max = 0;
    for (const BapRequest &r : bapRequests()) {
        d.max |= r.bit;
        bits << QStringLiteral("%1 %2").arg(r.bit).arg(optionText(r.caption));
        d.bits.push_back({r.bit, optionText(r.caption), optionWords(r.caption)});
    }
    d.none = bapText(kNone);
    d.noneWords = windowWords("korvanta::BapDialog", kNone);
    d.text = {{charset::kDigits, 1}};
    d.note = QCoreApplication::translate("korvanta::BapDialog",
                                         "自動で応答する要求 (%1) の和: %2。それ以外は拒否します (%3)")
                 .arg(text::kAnswer.toString(), bits.join(QStringLiteral(", ")), text::kRefuse.toString());
    return d;
}
} // namespace

const std::vector<SettingKey> &settingKeys()
{
    static const std::vector<SettingKey> keys = [] {
        std::vector<SettingKey> k;
        const auto add = [&k](const char *section, const char *key, const QStringList &where,
                              std::function<bool(const QString &)> accepts, SettingDomain domain) {
            k.push_back({nameOf(section), nameOf(key), where.join(QStringLiteral(" / ")), false, std::move(accepts)});
            k.back().newFirmwareValue = domain.newFirmwareValues();
            k.back().domain = std::move(domain);
        };
        for (const Port &pt : ports()) {
            const QStringList tab{text::kDataPortTitle, portText(pt.tabCaption).trimmed()};
            for (const NumberBox &b : numberBoxes()) {
                SettingDomain text;
                text.text = {{b.allowed, b.maxLength}};
                add(pt.section, b.key, tab + QStringList{portText(b.caption)},
                    [&b](const QString &v) { return b.accepts(v); }, text);
            }
            for (const PortSetting &s : portSettings())
                add(pt.section, s.key, tab + QStringList{portText(s.frameCaption)}, optionValues(s.options),
                    optionsOf(s.options, PortIndex(&pt - ports().data())));
        }
        for (const ExtSetting *s : extReadOrder())
            add(kExtSection, s->key, {text::kDataPortTitle, text::kCommonTab.toString().trimmed(), portText(s->frameCaption)},
                optionValues(s->options), optionsOf(s->options));
        for (const BodDirection &dir : bodDirections())
            add(kBodSection, dir.key, {text::kBodTitle, bodText(dir.frameCaption), text::kDirection},
                digitsUpTo(int(std::size(dir.options)) - 1), directionOf(dir));
        for (const BodRegister *reg : bodReadOrder())
            add(kBodSection, reg->key,
                {text::kBodTitle, bodText(bodDirections()[reg->direction].frameCaption),
                 bodText(bodRange(reg->kind).caption)},
                [reg](const QString &v) { return acceptsRegisterValue(*reg, v); }, registerOf(*reg));
        for (const BapSide &side : bapSides())
            add(kBapSection, side.key, {text::kBapTitle, text::kBapFrame, bapText(side.caption)},
                digitsUpTo(maskOf().max), maskOf());
        return k;
    }();
    return keys;
}

const std::vector<SettingRule> &settingRules()
{
    static const std::vector<SettingRule> rules = [] {
        const ExtSetting &throughput = extSetting(kThroughputKey);
        const QString onOff = QStringLiteral("%1/%2").arg(nameOf(kExtSection), nameOf(kThroughputKey));
        QStringList keys{onOff};
        QStringList never;
        for (const BodDirection &dir : bodDirections()) {
            keys << QStringLiteral("%1/%2").arg(nameOf(kBodSection), nameOf(dir.key));
            never << bodText(dir.options[3].caption);
        }
        const QString on = nameOf(throughput.options.front().value);
        const QString off = nameOf(throughput.options.back().value);
        return std::vector<SettingRule>{
            {keys,
             QCoreApplication::translate("korvanta::DataPortDialog",
                                         "[%8] %1=%2 (%3) となるのは、[%4] の %5 か %6 が %7 以外のときだけです: データポート設定は、"
                                         "どちらかの方向がチャンネルを追加または削除するときスループットＢＯＤを使用すると表示し、"
                                         "使用しないにすると両方向に %7 を送り、使用するにしただけでは何も送りません。")
                 .arg(nameOf(kThroughputKey), on, optionText(throughput.options.front().caption),
                      nameOf(kBodSection), nameOf(bodDirections()[0].key), nameOf(bodDirections()[1].key),
                      nameOf(kDirectionDefault), nameOf(kExtSection)),
             QCoreApplication::translate("korvanta::DataPortDialog",
                                         "%1: 「%2」は評価方向の一方が「%3」以外のとき、「%4」は両方がそれらのときだけです")
                 .arg(portText(throughput.frameCaption), portText(throughput.options.front().caption),
                      never.join(QCoreApplication::translate("korvanta::DataPortDialog", "」「")),
                      portText(throughput.options.back().caption)),
             [on, off](const SettingValues &v) {
                 const auto used = v.get(nameOf(kExtSection), nameOf(kThroughputKey));
                 bool directing = false;
                 for (const BodDirection &dir : bodDirections()) {
                     const auto value = v.get(nameOf(kBodSection), nameOf(dir.key));
                     if (!value)
                         return true;
                     directing = directing || *value != nameOf(kDirectionDefault);
                 }
                 return !used || *used == (directing ? on : off);
             }}};
    }();
    return rules;
}

std::optional<QString> validateAll(const SettingValues &wanted, bool /*newFirmware*/)
{
    return bodRangeMessage([&wanted](const BodRegister &reg) -> std::optional<QString> {
        const std::optional<QString> value = wanted.get(nameOf(kBodSection), nameOf(reg.key));
        return value && !value->isEmpty() ? boxTextOf(reg, *value) : value;
    });
}

bool readAll(Session &s, SettingValues &values, QObject *parent)
{
    WorkFile::Batch batch(s.workFile);
    if (!readForm3(s, values, parent))
        return false;
    if (BodRead(s, values, parent) && BapRead(s, values, parent))
        return true;
    s.ReadFailed = 1;
    return false;
}

bool writeAll(Session &s, const SettingValues &wanted, QObject *parent)
{
    WorkFile::Batch batch(s.workFile); // what was read, looked up many times
    std::vector<Session::CommandMaker> procedures = form3Procedures(s, wanted);
    procedures.push_back([&] { return bodWriteCommands(s, wanted); });
    procedures.push_back([&] { return bapWriteCommands(s, wanted); });
    return send(s, procedures, parent);
}

} // namespace korvanta::dataport
