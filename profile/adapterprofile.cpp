// SPDX-License-Identifier: GPL-3.0-or-later
#include "profile/adapterprofile.h"

#include "dataport/dataportcore.h"
#include "link/session/session.h"
#include "numberdisplay/numberdisplaycore.h"
#include "shortdial/shortdialcore.h"
#include "telephone/telephonecore.h"
#include "workfile/workfile.h"

#include <algorithm>
#include <span>
#include <utility>

namespace korvanta::profile {

namespace {

// The subsystems in the order of the main window's menu: what a profile
// holds, and the order of reading and writing.
using Read = bool (*)(Session &, SettingValues &, QObject *);
struct Subsystem {
    const std::vector<SettingKey> &(*keys)();
    std::optional<QString> (*validateAll)(const SettingValues &, bool); // none: no check of ranges
    const std::vector<SettingRule> &(*rules)(); // none: no rule across settings
    Read readAll;
    bool (*writeAll)(Session &, const SettingValues &, QObject *);
    // The reading of each section of the table, in the order the sections
    // first stand there: what a run that needs only some settings reads.
    std::vector<Read> sectionReads;
};
const Subsystem kSubsystems[] = {
    {telephone::settingKeys, telephone::validateAll, telephone::settingRules, telephone::readAll, telephone::writeAll,
     {[](Session &s, SettingValues &v, QObject *w) { return telephone::AnaPortRead(s, 0, v, w); },
      [](Session &s, SettingValues &v, QObject *w) { return telephone::AnaPortRead(s, 1, v, w); },
      [](Session &s, SettingValues &v, QObject *w) { return telephone::AnaPortRead(s, 2, v, w); },
      telephone::AnaRead}},
    {numberdisplay::settingKeys, nullptr, numberdisplay::settingRules, numberdisplay::readAll, numberdisplay::writeAll,
     {[](Session &s, SettingValues &v, QObject *w) { return numberdisplay::NdRead(s, 0, v, w); },
      [](Session &s, SettingValues &v, QObject *w) { return numberdisplay::NdRead(s, 1, v, w); },
      [](Session &s, SettingValues &v, QObject *w) { return numberdisplay::NdRead(s, 2, v, w); }}},
    {dataport::settingKeys, dataport::validateAll, dataport::settingRules, dataport::readAll, dataport::writeAll,
     {[](Session &s, SettingValues &v, QObject *w) { return dataport::PortRead(s, dataport::DataPort, v, w); },
      [](Session &s, SettingValues &v, QObject *w) { return dataport::PortRead(s, dataport::UsbPort, v, w); },
      dataport::DataExtRead, dataport::BodRead, dataport::BapRead}},
    {shortdial::settingKeys, nullptr, nullptr, shortdial::readAll, shortdial::writeAll, {shortdial::NumRead}},
};

bool readEverything(Session &session, SettingValues &values, QObject *parent)
{
    WorkFile::Batch batch(session.workFile);
    for (const Subsystem &s : kSubsystems)
        if (!s.readAll(session, values, parent))
            return false;
    return true;
}

// Reads what holds the settings: each section of a subsystem that holds one
// of them, in the order of reading; a subsystem whose sections are not all
// known to it is read whole.
bool readSections(Session &session, const QList<const SettingKey *> &settings, SettingValues &values, QObject *parent)
{
    Session::BusyScope busy(session);
    WorkFile::Batch batch(session.workFile);
    for (const Subsystem &s : kSubsystems) {
        QStringList sections; // of the table, in their order
        for (const SettingKey &k : s.keys())
            if (!sections.contains(k.section, Qt::CaseInsensitive))
                sections << k.section;
        QList<qsizetype> needed;
        for (qsizetype i = 0; i < sections.size(); ++i)
            if (std::any_of(settings.begin(), settings.end(), [&](const SettingKey *k) {
                    return k->section.compare(sections[i], Qt::CaseInsensitive) == 0 && findKey(s.keys(), k->section, k->key);
                }))
                needed << i;
        if (needed.isEmpty())
            continue;
        if (size_t(sections.size()) != s.sectionReads.size()) {
            if (!s.readAll(session, values, parent))
                return false;
            continue;
        }
        for (const qsizetype i : needed)
            if (!s.sectionReads[size_t(i)](session, values, parent))
                return false;
    }
    return true;
}

// What a plan reads: everything, or the sections of the settings named.
bool readScope(Session &session, const QList<const SettingKey *> &scope, SettingValues &values, QObject *parent)
{
    return scope.isEmpty() ? readEverything(session, values, parent) : readSections(session, scope, values, parent);
}

} // namespace

std::span<const SettingKey> settingKeys()
{
    static const std::vector<SettingKey> all = [] {
        std::vector<SettingKey> keys;
        for (const Subsystem &s : kSubsystems)
            keys.insert(keys.end(), s.keys().begin(), s.keys().end());
        return keys;
    }();
    return all;
}

std::span<const SettingRule> settingRules()
{
    static const std::vector<SettingRule> all = [] {
        std::vector<SettingRule> rules;
        for (const Subsystem &s : kSubsystems)
            if (s.rules)
                rules.insert(rules.end(), s.rules().begin(), s.rules().end());
        return rules;
    }();
    return all;
}

FirmwareFit fitFirmware(const SettingValues &values, bool newFirmware)
{
    FirmwareFit fit;
    for (const SettingKey &k : settingKeys()) {
        const auto value = values.get(k.section, k.key);
        if (!value)
            continue;
        const bool lacking = k.newFirmwareOnly || (k.newFirmwareValue && k.newFirmwareValue(*value));
        if (lacking && !newFirmware)
            fit.lacking.push_back(&k);
        else
            fit.held.set(k.section, k.key, *value);
    }
    return fit;
}

QString lackReason(const SettingKey &k, const SettingValues &wanted, Wording wording)
{
    const QString value = wanted.get(k.section, k.key).value_or(QString());
    if (wording == Wording::Fixed) // as the English translation words it
        return k.newFirmwareOnly ? QStringLiteral("the adapter's firmware lacks the setting")
                                 : QStringLiteral("the adapter's firmware lacks the value \"%1\" of the setting").arg(value);
    return k.newFirmwareOnly ? Texts::tr("機器のファームウェアにはこの設定がありません")
                             : Texts::tr("機器のファームウェアにはこの設定の値「%1」がありません").arg(value);
}

QList<const SettingKey *> scopeOf(const SettingValues &values)
{
    QList<const SettingKey *> scope;
    const auto add = [&scope](const QString &section, const QString &key) {
        const SettingKey *k = findKey(settingKeys(), section, key);
        if (k && !scope.contains(k))
            scope << k;
    };
    for (const SettingValues::Entry &e : values.entries())
        add(e.section, e.key);
    for (const SettingRule &rule : settingRules()) {
        const auto named = [&values](const QString &name) {
            const QStringList parts = name.split(u'/');
            return parts.size() == 2 && values.contains(parts[0], parts[1]);
        };
        if (std::any_of(rule.keys.begin(), rule.keys.end(), named))
            for (const QString &name : rule.keys)
                if (const QStringList parts = name.split(u'/'); parts.size() == 2)
                    add(parts[0], parts[1]);
    }
    return scope;
}

bool read(Session &session, const QList<const SettingKey *> &settings, SettingValues &values, QObject *parent)
{
    SettingValues read;
    const bool ok = readScope(session, settings, read, parent);
    for (const SettingKey &k : settingKeys())
        if (const auto value = read.get(k.section, k.key))
            values.set(k.section, k.key, *value);
    return ok;
}

QList<const SettingKey *> unmanaged(const Profile &profile, const SettingValues &adapter)
{
    QList<const SettingKey *> keys;
    for (const SettingKey &k : settingKeys())
        if (!profile.values.get(k.section, k.key) && adapter.get(k.section, k.key))
            keys.append(&k);
    return keys;
}

bool backup(Session &session, Profile &profile, QObject *parent)
{
    profile = Profile{session.ModelName, session.FirmwareVersion, {}, {}};
    SettingValues read;
    const bool ok = readEverything(session, read, parent);
    // In the table's order, whatever order the reading found them in.
    for (const SettingKey &k : settingKeys())
        if (const auto value = read.get(k.section, k.key))
            profile.values.set(k.section, k.key, *value);
    return ok;
}

std::optional<QString> validate(const SettingValues &values, bool newFirmware)
{
    for (const Subsystem &s : kSubsystems)
        if (auto problem = s.validateAll ? s.validateAll(values, newFirmware) : std::nullopt)
            return problem;
    return std::nullopt;
}

Outcome plan(Session &session, const Profile &profile, RestorePlan &plan, ParseError *problem, QObject *parent)
{
    plan = {};
    const auto refuse = [problem](ParseError broken) {
        if (problem)
            *problem = std::move(broken);
        return Outcome::Refused;
    };
    // What the file alone tells, before the adapter is read; a merge names
    // its model only when it says one.
    if (profile.model != session.ModelName && !(profile.partial && profile.model.isEmpty())) {
        const QString key = QLatin1String(kSection) + QStringLiteral("/MODEL");
        return refuse({profile.lineOf(key), key,
                       Texts::tr("機種が違います: 設定ファイルは「%1」、機器は「%2」です").arg(profile.model, session.ModelName)});
    }
    FirmwareFit fit = fitFirmware(profile.values, session.newFirmware());
    if (auto broken = brokenRule(profile, fit.held))
        return refuse(*broken);
    if (profile.partial)
        plan.scope = scopeOf(profile.values);
    if (!readScope(session, plan.scope, plan.adapter, parent))
        return Outcome::LineFailed;
    plan.wanted = fit.held;
    plan.skipped = fit.lacking;
    if (!profile.partial) // a merge leaves alone whatever it does not name
        plan.unmanaged = unmanaged(profile, plan.adapter);
    SettingValues whole = plan.adapter;
    for (const SettingKey &k : settingKeys())
        if (const auto value = plan.wanted.get(k.section, k.key))
            whole.set(k.section, k.key, *value);
    // What the adapter keeps of its own beside the profile's settings: where
    // that is what the firmware left of a skipped setting, that is the cause.
    if (auto broken = brokenRule(profile, whole)) {
        for (const SettingKey *k : plan.skipped) {
            const QString name = k->section + u'/' + k->key;
            if (!broken->key.split(QStringLiteral(", ")).contains(name, Qt::CaseInsensitive))
                continue;
            broken->message += Texts::tr(" ([%1] %2=%3 は送りません: %4。機器の値は「%5」のままです)")
                                   .arg(k->section, k->key, profile.values.get(k->section, k->key).value_or(QString()),
                                        lackReason(*k, profile.values),
                                        plan.adapter.get(k->section, k->key).value_or(Texts::tr("(なし)")));
        }
        return refuse(*broken);
    }
    if (auto broken = validate(whole, session.newFirmware()))
        return refuse({0, {}, *broken});
    plan.changes = compare(plan.adapter, plan.wanted, settingKeys(), true);
    return Outcome::Done;
}

namespace {

// What the subsystems would send to bring the adapter from what the work file
// holds to wanted, in order; nothing is sent and the session is left as it was.
QList<QByteArray> rehearse(Session &session, const SettingValues &wanted)
{
    QList<QByteArray> lines;
    const auto flags = session.NumberDisplayFlags;
    session.rehearsal = &lines;
    for (const Subsystem &s : kSubsystems)
        s.writeAll(session, wanted, nullptr);
    session.rehearsal = nullptr;
    session.NumberDisplayFlags = flags;
    return lines;
}

// The places in whole of the lines that without lacks: the lines a change
// alone accounts for.
QList<int> linesOnlyIn(const QList<QByteArray> &whole, const QList<QByteArray> &without)
{
    QList<int> only;
    qsizetype from = 0;
    for (int i = 0; i < whole.size(); ++i) {
        const qsizetype found = without.indexOf(whole[i], from);
        if (found < 0)
            only << i;
        else
            from = found + 1;
    }
    return only;
}

// The lines of the whole write that carry each change: those that are not
// sent when that change alone is left out.
struct CarriedChanges {
    QList<QByteArray> lines;
    std::vector<std::pair<const SettingKey *, QList<int>>> changes;
};
CarriedChanges carried(Session &session, const RestorePlan &plan)
{
    CarriedChanges c;
    c.lines = rehearse(session, plan.wanted);
    for (const Difference &d : plan.changes) {
        SettingValues without = plan.wanted;
        if (d.left)
            without.set(d.setting->section, d.setting->key, *d.left);
        else
            without.remove(d.setting->section, d.setting->key);
        c.changes.emplace_back(d.setting, linesOnlyIn(c.lines, rehearse(session, without)));
    }
    return c;
}

// Each change by what became of its lines. A line that went out other than
// rehearsed leaves it and every line after it uncertain.
void account(const CarriedChanges &c, const QList<Session::SentSet> &sent, ApplyResult &result)
{
    int agreed = 0;
    while (agreed < sent.size() && agreed < c.lines.size() && sent[agreed].command == c.lines[agreed])
        ++agreed;
    for (const auto &[setting, lines] : c.changes) {
        const bool acknowledged = !lines.isEmpty() && std::all_of(lines.begin(), lines.end(), [&](int i) {
            return i < agreed && sent[i].acknowledged;
        });
        const bool anySent = std::any_of(lines.begin(), lines.end(), [&](int i) { return i < sent.size(); });
        (acknowledged ? result.acknowledged : anySent ? result.unanswered : result.unsent).append(setting);
    }
}

} // namespace

ApplyResult apply(Session &session, const RestorePlan &plan, QObject *parent)
{
    ApplyResult result;
    if (plan.changes.isEmpty()) {
        result.step = Step::Done; // nothing to send, nothing to read back
        return result;
    }
    {
        const auto flags = session.NumberDisplayFlags; // as the plan found them
        QList<Session::SentSet> sent;
        session.setRecord = &sent;
        bool written = true;
        {
            WorkFile::Batch batch(session.workFile);
            for (const Subsystem &s : kSubsystems)
                if (!(written = s.writeAll(session, plan.wanted, parent)))
                    break;
        }
        session.setRecord = nullptr;
        if (written) {
            for (const Difference &d : plan.changes)
                result.acknowledged << d.setting;
        } else {
            // Which lines carried which change, rehearsed from where the
            // writes began: they leave the work file as the plan read it,
            // and only the number display flags follow the adapter.
            const auto now = std::exchange(session.NumberDisplayFlags, flags);
            account(carried(session, plan), sent, result);
            session.NumberDisplayFlags = now;
            result.outcome = Outcome::LineFailed;
            return result;
        }
    }
    result.step = Step::ReadingBack;
    SettingValues after;
    if (!readScope(session, plan.scope, after, parent)) {
        result.outcome = Outcome::LineFailed;
        return result;
    }
    result.step = Step::Done;
    result.unverified = compare(after, plan.wanted, settingKeys(), true);
    return result;
}

} // namespace korvanta::profile
