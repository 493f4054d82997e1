// SPDX-License-Identifier: GPL-3.0-or-later
#include "profile/adapterprofile.h"

#include "dataport/dataportcore.h"
#include "link/session.h"
#include "numberdisplay/numberdisplaycore.h"
#include "shortdial/shortdialcore.h"
#include "telephone/telephonecore.h"
#include "workfile/workfile.h"

#include <span>

namespace korvanta::profile {

namespace {

// The subsystems in the order of the main window's menu: what a profile
// holds, and the order of reading and writing.
struct Subsystem {
    const std::vector<SettingKey> &(*keys)();
    std::optional<QString> (*validateAll)(const SettingValues &, bool); // none: no check of ranges
    const std::vector<SettingRule> &(*rules)(); // none: no rule across settings
    bool (*readAll)(Session &, SettingValues &, QObject *);
    bool (*writeAll)(Session &, const SettingValues &, QObject *);
};
const Subsystem kSubsystems[] = {
    {telephone::settingKeys, telephone::validateAll, telephone::settingRules, telephone::readAll, telephone::writeAll},
    {numberdisplay::settingKeys, nullptr, numberdisplay::settingRules, numberdisplay::readAll, numberdisplay::writeAll},
    {dataport::settingKeys, dataport::validateAll, dataport::settingRules, dataport::readAll, dataport::writeAll},
    {shortdial::settingKeys, nullptr, nullptr, shortdial::readAll, shortdial::writeAll},
};

bool readEverything(Session &session, SettingValues &values, QObject *parent)
{
    WorkFile::Batch batch(session.workFile);
    for (const Subsystem &s : kSubsystems)
        if (!s.readAll(session, values, parent))
            return false;
    return true;
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

QString lackReason(const SettingKey &k, const SettingValues &wanted)
{
    return k.newFirmwareOnly ? Texts::tr("機器のファームウェアにはこの設定がありません")
                             : Texts::tr("機器のファームウェアにはこの設定の値「%1」がありません")
                                   .arg(wanted.get(k.section, k.key).value_or(QString()));
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
    // What the file alone tells, before the adapter is read.
    if (profile.model != session.ModelName) {
        const QString key = QLatin1String(kSection) + QStringLiteral("/MODEL");
        return refuse({profile.lineOf(key), key,
                       Texts::tr("機種が違います: 設定ファイルは「%1」、機器は「%2」です").arg(profile.model, session.ModelName)});
    }
    FirmwareFit fit = fitFirmware(profile.values, session.newFirmware());
    if (auto broken = brokenRule(profile, fit.held))
        return refuse(*broken);
    if (!readEverything(session, plan.adapter, parent))
        return Outcome::LineFailed;
    plan.wanted = fit.held;
    plan.skipped = fit.lacking;
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

ApplyResult apply(Session &session, const RestorePlan &plan, QObject *parent)
{
    ApplyResult result;
    if (plan.changes.isEmpty())
        return result;
    {
        WorkFile::Batch batch(session.workFile);
        for (const Subsystem &s : kSubsystems) {
            if (!s.writeAll(session, plan.wanted, parent)) {
                result.outcome = Outcome::LineFailed;
                return result;
            }
            for (const Difference &d : plan.changes)
                for (const SettingKey &k : s.keys())
                    if (d.setting->section == k.section && d.setting->key == k.key)
                        ++result.acknowledged;
        }
    }
    SettingValues after;
    if (!readEverything(session, after, parent)) {
        result.outcome = Outcome::LineFailed;
        return result;
    }
    result.unverified = compare(after, plan.wanted, settingKeys(), true);
    return result;
}

} // namespace korvanta::profile
