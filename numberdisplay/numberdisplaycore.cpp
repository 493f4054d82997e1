// SPDX-License-Identifier: GPL-3.0-or-later
#include "numberdisplay/numberdisplaycore.h"

#include "link/session/messages.h"
#include "link/session/session.h"
#include "workfile/workfile.h"

#include <QCoreApplication>

#include <algorithm>
#include <numeric>

namespace korvanta::numberdisplay {

namespace {

const Setting *const kSettings[] = {&numberDisplay(), &iNumber()};

QString sectionOf(int p)
{
    return QLatin1String(port(p).section);
}

std::optional<char> wantedIn(const SettingValues &values, int p, const Setting &setting)
{
    const auto v = values.get(sectionOf(p), QLatin1String(setting.key));
    return v && !v->isEmpty() ? std::optional<char>(v->at(0).toLatin1()) : std::nullopt;
}

} // namespace

bool NdRead(Session &s, int p, SettingValues &values, QObject *parent)
{
    WorkFile::Batch batch(s.workFile);
    const ReadKeeper keep{s.workFile, values, sectionOf(p), settingKeys()};
    for (const Setting *setting : kSettings) {
        const auto answer = s.query(setting->query[p]);
        const Reading r = answer ? readReply(*setting, p, *answer) : Reading{};
        const bool kept = r.ok && (!r.value || keep(setting->key, QString(QLatin1Char(*r.value))));
        if (!kept) {
            if (r.ok)
                Messages::warn(keep.refusal, parent);
            Session::reportReceiveFailure(parent);
            return false; // a failed number display read skips the i-number read
        }
    }
    return true;
}

bool NdWrite(Session &s, int p, const SettingValues &wanted, QObject *parent)
{
    const auto stored = [&](const Setting &setting) {
        return s.workFile.fetch(sectionOf(p), QLatin1String(setting.key), QLatin1String(kDefault));
    };
    // TEL2 and TEL3 cannot both show numbers.
    const auto display = displayLocked(p, s.NumberDisplayFlags) ? std::nullopt : wantedIn(wanted, p, numberDisplay());
    const Write w = composeWrite(p, display, stored(numberDisplay()), wantedIn(wanted, p, iNumber()), stored(iNumber()));
    if (w.command.isEmpty())
        return true;
    if (!s.set(w.command, parent))
        return false;
    // The shared flag follows the adapter only once it has taken the change.
    if (w.displayOn)
        s.NumberDisplayFlags[p] = *w.displayOn;
    return true;
}

namespace {
// A caption of the window's tables in the operator's language.
QString caption(const char *text)
{
    return QCoreApplication::translate("korvanta::NumberDisplayDialog", text);
}
// What begins the window's note, left out where a rule quotes it.
constexpr const char *kNoteMark = QT_TRANSLATE_NOOP("korvanta::NumberDisplayDialog", "注意）");
} // namespace

const std::vector<SettingKey> &settingKeys()
{
    static const std::vector<SettingKey> keys = [] {
        std::vector<SettingKey> k;
        for (int p = 0; p < kPortCount; ++p)
            for (const Setting *setting : kSettings) {
                k.push_back({sectionOf(p), QLatin1String(setting->key),
                             caption(port(p).caption) + QStringLiteral(" / ") + caption(setting->frameCaption),
                             false, [setting](const QString &v) {
                                 for (const Option &o : setting->options)
                                     if (v == QLatin1Char(o.value))
                                         return true;
                                 return false;
                             }});
                for (const Option &o : setting->options)
                    k.back().domain.options.push_back(
                        {QString(QLatin1Char(o.value)), caption(o.caption), false,
                         windowWords("korvanta::NumberDisplayDialog", o.caption)});
            }
        return k;
    }();
    return keys;
}

bool readAll(Session &session, SettingValues &values, QObject *parent)
{
    Session::BusyScope busy(session);
    session.ReadFailed = 0;
    for (int p = 0; p < kPortCount; ++p)
        if (!NdRead(session, p, values, parent)) {
            session.ReadFailed = 1;
            return false;
        }
    return true;
}

const std::vector<SettingRule> &settingRules()
{
    static const std::vector<SettingRule> rules = [] {
        const auto pair = kExclusivePorts;
        const QString key = QLatin1String(numberDisplay().key);
        const QString on = QString(QLatin1Char(numberDisplay().options.back().value));
        return std::vector<SettingRule>{
            {{sectionOf(pair[0]) + QLatin1Char('/') + key, sectionOf(pair[1]) + QLatin1Char('/') + key},
             QCoreApplication::translate("korvanta::NumberDisplayDialog",
                                         "%1=%2 は [%3] と [%4] のどちらか一方だけ (ナンバー・ディスプレイ): 機器が番号を表示するのは二つの"
                                         "ポートの一方だけで、それぞれの詳細ウィンドウは、もう一方が使用中の間その選択肢を固定します。")
                 .arg(key, on, sectionOf(pair[0]), sectionOf(pair[1])),
             caption(numberDisplay().frameCaption) + QStringLiteral(": ") +
                 caption(port(pair[1]).note).remove(caption(kNoteMark)).trimmed(),
             [pair, key, on](const SettingValues &v) {
                 return v.get(sectionOf(pair[0]), key) != on || v.get(sectionOf(pair[1]), key) != on;
             }}};
    }();
    return rules;
}

bool writeAll(Session &session, const SettingValues &wanted, QObject *parent)
{
    Session::BusyScope busy(session);
    // The ports whose number display goes off first: a port locked by the
    // other's display is free once that one has let go, in the same run.
    std::array<int, kPortCount> order{};
    std::iota(order.begin(), order.end(), 0);
    std::stable_partition(order.begin(), order.end(), [&](int p) {
        return wantedIn(wanted, p, numberDisplay()) == numberDisplay().options.front().value;
    });
    for (int p : order)
        if (!NdWrite(session, p, wanted, parent))
            return false;
    return true;
}

} // namespace korvanta::numberdisplay
