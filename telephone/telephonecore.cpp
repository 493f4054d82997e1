// SPDX-License-Identifier: GPL-3.0-or-later
#include "telephone/telephonecore.h"

#include "link/session/messages.h"
#include "link/session/session.h"
#include "workfile/charset.h"
#include "workfile/workfile.h"

#include <QCoreApplication>

namespace korvanta::telephone {

namespace {

// A caption of the window's tables in the operator's language.
QString u(const char *caption)
{
    return QCoreApplication::translate("korvanta::TelephoneDialog", caption);
}

QString one(char value)
{
    return QString(QLatin1Char(value));
}


// A query's three digits; empty when it timed out or has no "0" after the echo.
std::optional<QByteArray> queryDigits(Session &session, const char *query)
{
    const auto answer = session.query(query);
    return answer ? replyDigits(*answer, query) : std::nullopt;
}

Stored storedIn(Session &session, const QString &section)
{
    return [&session, section](const QString &key, const QString &fallback) {
        return session.workFile.fetch(section, key, fallback);
    };
}

bool failed(Session &session, QObject *parent, const ReadKeeper *refused = nullptr)
{
    if (refused)
        Messages::warn(refused->refusal, parent);
    Session::reportReceiveFailure(parent);
    session.ReadFailed = 1;
    return false;
}

std::optional<char> choiceIn(const SettingValues &values, const QString &section, const char *key)
{
    const auto v = values.get(section, QLatin1String(key));
    return v && !v->isEmpty() ? std::optional<char>(v->at(0).toLatin1()) : std::nullopt;
}

CommonShown commonIn(const SettingValues &values)
{
    CommonShown shown;
    for (const CommonSetting &s : commonSettings())
        shown.push_back(values.get(QLatin1String(kCommonSection), QLatin1String(s.key)));
    return shown;
}

} // namespace

QString unitText(const char *caption, bool counts, int n)
{
    // Only a caption with forms for counts is asked for one: another has a
    // single form, which a count past the first would not find.
    return counts ? QCoreApplication::translate("korvanta::TelephoneDialog", caption, nullptr, n) : u(caption);
}

bool AnaPortRead(Session &s, int p, SettingValues &values, QObject *parent)
{
    s.ReadFailed = 0;
    const Port &port = ports()[p];
    const ReadKeeper store{s.workFile, values, QLatin1String(port.section), settingKeys()};

    const auto answer = s.query(port.statusQuery);
    const auto status = answer ? parsePortStatus(*answer, port) : std::nullopt;
    if (!status)
        return failed(s, parent);
    // The own number and subaddress stand before the forwarding line: they
    // are kept even when that line is missing and the read fails.
    const std::pair<const char *, const QByteArray *> fields[] = {
        {kOwnNumberKey, &status->ownNumber}, {kSubaddressKey, &status->subaddress}, {kForwardingKey, &status->forwarding}};
    const size_t fieldsRead = status->complete ? std::size(fields) : 2;
    for (size_t t = 0; t < fieldsRead; ++t)
        if (!store(fields[t].first, QString::fromLatin1(*fields[t].second)))
            return failed(s, parent, &store);
    if (!status->complete)
        return failed(s, parent);
    for (const auto &[index, value] : status->tokens)
        if (!store(portChoices()[index].key, one(value)))
            return failed(s, parent, &store);
    if (status->numberDisplay)
        s.NumberDisplayFlags[p] = *status->numberDisplay;

    const PortText &dial = dialTime();
    const auto digits = queryDigits(s, dial.query[p]);
    if (!digits)
        return failed(s, parent);
    if (!store(dial.key, QString::number(boxNumber(QString::fromLatin1(*digits)))))
        return failed(s, parent, &store);

    // The choices with a query of their own that this firmware has.
    for (const PortChoice &c : portChoices()) {
        if (c.inStatus || (c.newFirmwareOnly && !s.newFirmware()))
            continue;
        const auto digits = queryDigits(s, c.query[p]);
        if (!digits)
            return failed(s, parent);
        const auto value = c.fromReply ? c.fromReply(*digits) : replyChoice(*digits, c.values);
        if (value && !store(c.key, one(*value)))
            return failed(s, parent, &store);
    }
    return true;
}

bool AnaRead(Session &s, SettingValues &values, QObject *parent)
{
    s.ReadFailed = 0;
    const ReadKeeper store{s.workFile, values, QLatin1String(kCommonSection), settingKeys()};
    for (const CommonSetting &c : commonSettings()) {
        if (c.newFirmwareOnly && !s.newFirmware())
            continue;
        const auto digits = queryDigits(s, c.query);
        if (!digits)
            return failed(s, parent);
        std::optional<QString> value;
        if (!c.isChoice())
            value = QString::number(boxNumber(QString::fromLatin1(*digits)));
        else if (const auto choice = replyChoice(*digits, c.values))
            value = one(*choice);
        if (value && !store(c.key, *value))
            return failed(s, parent, &store);
    }
    return true;
}

QList<QByteArray> anaPortWriteCommands(Session &s, int p, const SettingValues &wanted)
{
    const Port &port = ports()[p];
    const QString section = QLatin1String(port.section);
    PortShown shown;
    for (const PortChoice &c : portChoices())
        shown.choices.push_back(choiceIn(wanted, section, c.key));
    for (const PortText &t : portTexts())
        shown.texts.push_back(wanted.get(section, QLatin1String(t.key)));
    return portWriteCommands(port, shown, storedIn(s, section), s.newFirmware());
}

QList<QByteArray> anaWriteCommands(Session &s, const SettingValues &wanted)
{
    return commonWriteCommands(commonIn(wanted), storedIn(s, QLatin1String(kCommonSection)), s.newFirmware());
}

std::optional<Problem> check(const SettingValues &wanted, bool newFirmware)
{
    std::array<std::optional<QString>, kPortCount> dialTimes;
    for (int p = 0; p < kPortCount; ++p)
        dialTimes[p] = wanted.get(QLatin1String(ports()[p].section), QLatin1String(dialTime().key));
    return validate(dialTimes, commonIn(wanted), newFirmware);
}

namespace {
QStringList words(const char *caption, int n = -1)
{
    return windowWords("korvanta::TelephoneDialog", caption, n);
}

SettingDomain optionsOf(const std::vector<ChoiceValue> &values)
{
    SettingDomain d;
    for (const ChoiceValue &v : values)
        d.options.push_back({one(v.value), u(v.caption), v.newFirmwareOnly, words(v.caption)});
    return d;
}

// The announcement boxes: their value is the sum of the boxes checked.
SettingDomain boxesOf(const PortChoice &c)
{
    SettingDomain d;
    for (const ChoiceValue &v : c.values)
        d.bits.push_back({v.value - '0', u(v.caption), words(v.caption)});
    d.none = u("なし");
    d.noneWords = words("なし");
    for (int sum = 0; sum <= 3; ++sum) {
        QStringList checked;
        for (const SettingDomain::Bit &b : d.bits)
            if (sum & b.value)
                checked << b.name;
        d.options.push_back({QString::number(sum), checked.isEmpty() ? d.none : checked.join(u(" + "))});
    }
    return d;
}

SettingDomain numberOf(NumberRange range, const char *unit, bool counts, int maxLength)
{
    SettingDomain d;
    d.min = range.min;
    d.max = range.max;
    if (unit) {
        d.unit = unitText(unit, counts, range.max);
        if (counts && unitText(unit, counts, 1) != d.unit)
            d.unitOfOne = unitText(unit, counts, 1);
        d.unitWords = words(unit, counts ? 1 : -1) + words(unit, counts ? range.max : -1);
        d.unitWords.removeDuplicates();
    }
    d.text = {{charset::kDigits, maxLength}};
    return d;
}

SettingDomain domainOf(const PortText &t)
{
    if (!t.fromStatus())
        return numberOf(t.range, t.unitCaption, false, t.maxLength);
    SettingDomain d;
    d.text = {{t.charset, t.maxLength}};
    return d;
}

SettingDomain domainOf(const CommonSetting &s)
{
    return s.isChoice() ? optionsOf(s.values) : numberOf(s.range, s.unitCaption, s.unitCounts, s.maxLength);
}
} // namespace

const std::vector<SettingKey> &settingKeys()
{
    static const std::vector<SettingKey> keys = [] {
        std::vector<SettingKey> k;
        const auto add = [&k](const QString &section, const char *key, const QString &caption, bool newFirmwareOnly,
                              std::function<bool(const QString &)> accepts, SettingDomain domain) {
            k.push_back({section, QLatin1String(key), caption, newFirmwareOnly, std::move(accepts)});
            k.back().newFirmwareValue = domain.newFirmwareValues();
            k.back().domain = std::move(domain);
        };
        for (const Port &port : ports()) {
            const QString where = u(kWindowTitle) + u(" / ") + u(port.tabCaption) + u(" / ");
            const QString section = QLatin1String(port.section);
            const auto text = [&](const PortText &t) {
                add(section, t.key, where + u(t.label[0] ? t.caption : t.frameCaption), false,
                    [&t](const QString &v) { return accepts(t, v); }, domainOf(t));
            };
            const auto choice = [&](const PortChoice &c) {
                QString caption = u(c.frameCaption);
                if (c.checkBoxes) // the announcement boxes share their frame
                    for (const ChoiceValue &v : c.values)
                        caption += u(" / ") + u(v.caption);
                add(section, c.key, where + caption, c.newFirmwareOnly, [&c](const QString &v) { return accepts(c, v); },
                    c.checkBoxes ? boxesOf(c) : optionsOf(c.values));
            };
            // The listing's numbers and options, the dial time, the ring pattern.
            for (const PortText &t : portTexts())
                if (t.fromStatus())
                    text(t);
            for (const PortChoice &c : portChoices())
                if (c.inStatus)
                    choice(c);
            text(dialTime());
            for (const PortChoice &c : portChoices())
                if (!c.inStatus)
                    choice(c);
        }
        const QString where = u(kWindowTitle) + u(" / ") + u(kCommonTabCaption) + u(" / ");
        for (const CommonSetting &s : commonSettings())
            add(QLatin1String(kCommonSection), s.key, where + u(s.frameCaption), s.newFirmwareOnly,
                [&s](const QString &v) { return accepts(s, v); }, domainOf(s));
        return k;
    }();
    return keys;
}

const std::vector<SettingRule> &settingRules()
{
    static const std::vector<SettingRule> rules = [] {
        const QString section = QLatin1String(kCommonSection);
        const QString hold = section + u("/") + QLatin1String(holdKey().key);
        const QString shortDial = section + u("/") + QLatin1String(shortDialKey().key);
        return std::vector<SettingRule>{
            {{hold, shortDial},
             QCoreApplication::translate("korvanta::TelephoneDialog",
                                         "[%3] の %1 (外線保留キー) と %2 (短縮ダイヤルキー) は、両方が 0 (%4) のときを除き、"
                                         "別のキーです: 機器は、もう一方が持つキーを受け付けません。")
                 .arg(QLatin1String(holdKey().key), QLatin1String(shortDialKey().key), section, u("なし")),
             u(kKeyClashMessage), [section](const SettingValues &v) {
                 const auto a = v.get(section, QLatin1String(holdKey().key));
                 const auto b = v.get(section, QLatin1String(shortDialKey().key));
                 return !a || !b || a->size() != 1 || b->size() != 1 || !keysClash(a->at(0).toLatin1(), b->at(0).toLatin1());
             }}};
    }();
    return rules;
}

std::optional<QString> validateAll(const SettingValues &wanted, bool newFirmware)
{
    const auto problem = check(wanted, newFirmware);
    return problem ? std::optional<QString>(problem->message) : std::nullopt;
}

bool readAll(Session &session, SettingValues &values, QObject *parent)
{
    Session::BusyScope busy(session);
    WorkFile::Batch batch(session.workFile);
    for (int p = 0; p < kPortCount; ++p)
        if (!AnaPortRead(session, p, values, parent))
            return false;
    return AnaRead(session, values, parent);
}

bool writeAll(Session &session, const SettingValues &wanted, QObject *parent)
{
    Session::BusyScope busy(session);
    WorkFile::Batch batch(session.workFile);
    std::vector<Session::CommandMaker> procedures;
    for (int p = 0; p < kPortCount; ++p)
        procedures.push_back([&session, p, &wanted] { return anaPortWriteCommands(session, p, wanted); });
    procedures.push_back([&session, &wanted] { return anaWriteCommands(session, wanted); });
    return session.setEach(procedures, parent);
}

} // namespace korvanta::telephone
