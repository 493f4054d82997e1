#include "dataport/dataportcore.h"

#include "dataport/strings.h"
#include "link/exchange.h"
#include "link/session.h"
#include "workfile/workfile.h"

#include <QCoreApplication>

#include <initializer_list>

namespace korvanta::dataport {

namespace {
// A query and what its reply gave; no reply in time is a failed reading.
template <class Parse> Reading ask(Session &session, const char *query, Parse parse)
{
    const auto answer = session.query(query);
    return answer ? parse(*answer) : Reading{false, {}};
}

// "コマンドの受信に失敗しました" over parent; the flag, if any, set to 1.
bool failed(QObject *parent, int *flag = nullptr)
{
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
        if (reading.value)
            keep(row(r).key, *reading.value);
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
// that fails (shown, WriteFailed 1); the input is discarded in every case.
bool send(Session &session, std::initializer_list<QByteArray> commands, QObject *parent)
{
    session.WriteFailed = 0;
    const bool sent = session.setEach(QList<QByteArray>(commands), parent);
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
    const ReadKeeper keep{s.workFile, values, nameOf(pt.section)};
    const bool ok = [&] {
        const auto listing = s.query(pt.listing);
        if (!listing)
            return false;
        const ListingReading r = parseListing(*listing, pt);
        if (!r.ok)
            return false;
        keep(kOwnNumberKey, QString::fromLatin1(r.number));
        keep(kSubaddressKey, QString::fromLatin1(r.subaddress));
        for (const auto &[setting, value] : r.values)
            keep(setting->key, value);

        const Reading n = ask(s, pt.iNumberQuery, parseINumber);
        if (n.value)
            keep(kINumberKey, *n.value);
        return n.ok;
    }();
    return ok || failed(parent, &s.ReadFailed);
}

bool DataExtRead(Session &s, SettingValues &values, QObject *parent)
{
    s.ReadFailed = 0;
    WorkFile::Batch batch(s.workFile);
    const ReadKeeper keep{s.workFile, values, nameOf(kExtSection)};
    for (const ExtSetting *setting : extReadOrder()) {
        const Reading r = ask(s, setting->query, [setting](const QByteArray &a) { return parseExtended(*setting, a); });
        if (!r.ok)
            return failed(parent, &s.ReadFailed);
        keep(setting->key, *r.value);
    }
    return true;
}

bool BodRead(Session &s, SettingValues &values, QObject *parent)
{
    WorkFile::Batch batch(s.workFile);
    const ReadKeeper keep{s.workFile, values, nameOf(kBodSection)};
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
    return readEach(s, bapSides(), parseMask, ReadKeeper{s.workFile, values, nameOf(kBapSection)}, parent); // the calling side first
}

bool readForm3(Session &s, SettingValues &values, QObject *parent)
{
    WorkFile::Batch batch(s.workFile); // one save for the three readings
    return PortRead(s, DataPort, values, parent) && PortRead(s, UsbPort, values, parent)
        && DataExtRead(s, values, parent);
}

// ---------------------------------------------------------------------------
// Writing

bool PortWrite(Session &s, PortIndex p, const SettingValues &wanted, QObject *parent)
{
    const Port &pt = port(p);
    const QString section = nameOf(pt.section);
    const PortCommands c = composePortWrite(pt, storedIn(s.workFile, pt.section), wantedIn(wanted, pt.section),
                                            wanted.get(section, nameOf(kOwnNumberKey)),
                                            wanted.get(section, nameOf(kSubaddressKey)));
    return send(s, {c.number, c.subaddress, c.settings}, parent);
}

bool DataExtWrite(Session &s, const SettingValues &wanted, QObject *parent)
{
    return send(s, {composeExtWrite(storedIn(s.workFile, kExtSection), wantedIn(wanted, kExtSection))}, parent);
}

bool BodWrite(Session &s, const SettingValues &wanted, QObject *parent)
{
    return send(s, {composeBodWrite(storedIn(s.workFile, kBodSection), wantedIn(wanted, kBodSection))}, parent);
}

bool BapWrite(Session &s, const SettingValues &wanted, QObject *parent)
{
    return send(s, {composeBapWrite(storedIn(s.workFile, kBapSection), wantedIn(wanted, kBapSection))}, parent);
}

bool writeForm3(Session &s, const SettingValues &wanted, QObject *parent)
{
    return PortWrite(s, DataPort, wanted, parent) && PortWrite(s, UsbPort, wanted, parent)
        && DataExtWrite(s, wanted, parent);
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
} // namespace

const std::vector<SettingKey> &settingKeys()
{
    static const std::vector<SettingKey> keys = [] {
        std::vector<SettingKey> k;
        const auto add = [&k](const char *section, const char *key, const QStringList &where,
                              std::function<bool(const QString &)> accepts) {
            k.push_back({nameOf(section), nameOf(key), where.join(QStringLiteral(" / ")), false, std::move(accepts)});
        };
        // The option older firmware disables on both ports, as a value of its setting.
        const auto networkOption = [](const PortSetting &s) -> std::function<bool(const QString &)> {
            for (const PortOption &o : s.options)
                if (qstrcmp(o.control[0], ports()[0].networkOption) == 0)
                    return [value = QString::fromLatin1(o.value)](const QString &v) { return v == value; };
            return {};
        };
        for (const Port &pt : ports()) {
            const QStringList tab{text::kDataPortTitle, portText(pt.tabCaption).trimmed()};
            for (const NumberBox &b : numberBoxes())
                add(pt.section, b.key, tab + QStringList{portText(b.caption)},
                    [&b](const QString &v) { return b.accepts(v); });
            for (const PortSetting &s : portSettings()) {
                add(pt.section, s.key, tab + QStringList{portText(s.frameCaption)}, optionValues(s.options));
                k.back().newFirmwareValue = networkOption(s);
            }
        }
        for (const ExtSetting *s : extReadOrder())
            add(kExtSection, s->key, {text::kDataPortTitle, text::kCommonTab.toString().trimmed(), portText(s->frameCaption)},
                optionValues(s->options));
        for (const BodDirection &dir : bodDirections())
            add(kBodSection, dir.key, {text::kBodTitle, bodText(dir.frameCaption), text::kDirection},
                digitsUpTo(int(std::size(dir.options)) - 1));
        for (const BodRegister *reg : bodReadOrder())
            add(kBodSection, reg->key,
                {text::kBodTitle, bodText(bodDirections()[reg->direction].frameCaption),
                 bodText(bodRange(reg->kind).caption)},
                [reg](const QString &v) { return acceptsRegisterValue(*reg, v); });
        int everyRequest = 0;
        for (const BapRequest &r : bapRequests())
            everyRequest |= r.bit;
        for (const BapSide &side : bapSides())
            add(kBapSection, side.key, {text::kBapTitle, text::kBapFrame, bapText(side.caption)},
                digitsUpTo(everyRequest));
        return k;
    }();
    return keys;
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
    return writeForm3(s, wanted, parent) && BodWrite(s, wanted, parent) && BapWrite(s, wanted, parent);
}

} // namespace korvanta::dataport
