// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/settingstable.h"

#include <QHash>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace korvanta::sim {

namespace {

constexpr unsigned bit(int v) { return 1u << v; }
constexpr unsigned QE = Query | Equals;

const SettingDef kSettings[] = {
    // Telephone ports 1-3 and data ports 4-5: per-port choices.
    {.name = "$L", .first = 1, .last = 3, .max = 1, .factory = 0, .flags = Equals},
    {.name = "$N", .first = 1, .last = 5, .max = 1, .factory = 1, .flags = Equals},
    {.name = "$M", .first = 1, .last = 5, .max = 1, .factory = 1, .flags = Equals},
    {.name = "$O", .first = 1, .last = 5, .max = 1, .factory = 0, .flags = Equals},
    {.name = "$P", .first = 1, .last = 5, .max = 1, .factory = 0, .flags = Equals},
    {.name = "$K", .first = 1, .last = 3, .max = 2, .factory = 0, .flags = Equals},
    {.name = "$B", .first = 1, .last = 5, .max = 3, .factory = 3, .flags = Equals,
     .newFirmwareValues = bit(3), .oldFirmwareFactory = 1},
    {.name = "$F", .first = 1, .last = 3, .max = 1, .factory = 0, .flags = Equals},
    {.name = "$H", .first = 1, .last = 3, .max = 3, .factory = 0, .flags = Equals},
    {.name = "$U", .first = 1, .last = 3, .max = 2, .factory = 1, .flags = Equals},
    {.name = "$D", .first = 1, .last = 3, .max = 1, .factory = 0, .flags = QE},
    {.name = "$W", .first = 1, .last = 3, .max = 2, .factory = 1, .flags = QE | NewFirmware},
    {.name = "@J", .first = 1, .last = 3, .max = 3, .factory = 0, .flags = QE},
    {.name = "@J", .first = 4, .last = 5, .max = 3, .factory = 1, .flags = QE},
    {.name = "$I1", .first = 1, .last = 3, .min = 3, .max = 15, .factory = 4, .flags = QE},
    // Telephone settings common to all ports.
    {.name = "@I", .max = 1, .factory = 1, .flags = Query},
    {.name = "$I20", .max = 9, .factory = 3, .flags = QE},
    {.name = "$I14", .max = 5, .factory = 1, .flags = QE},
    {.name = "$I15", .max = 5, .factory = 2, .flags = QE,
     .newFirmwareValues = bit(1) | bit(3) | bit(4)},
    {.name = "$I29", .min = 16, .max = 30, .factory = 16, .flags = QE | OwnCommand | NewFirmware},
    {.name = "$V", .max = 2, .factory = 0, .flags = Query | OwnCommand | NewFirmware},
    // Extended data settings.
    {.name = "%C", .max = 1, .factory = 0, .flags = Query},
    {.name = "%U", .max = 3, .factory = 0, .flags = Query},
    {.name = "&B", .max = 1, .factory = 1, .flags = Query},
    {.name = "%A", .max = 3, .factory = 3, .flags = Query},
    {.name = "%D", .max = 3, .factory = 3, .flags = Query},
    {.name = "%Y", .max = 1, .factory = 0, .flags = Query},
    // Throughput BOD and BAP registers.
    {.name = "$I40", .min = 1, .max = 255, .factory = 10, .flags = QE},
    {.name = "$I41", .min = 1, .max = 255, .factory = 12, .flags = QE},
    {.name = "$I42", .max = 100, .factory = 80, .flags = QE},
    {.name = "$I43", .min = 1, .max = 255, .factory = 10, .flags = QE},
    {.name = "$I44", .min = 1, .max = 255, .factory = 12, .flags = QE},
    {.name = "$I45", .max = 100, .factory = 40, .flags = QE},
    {.name = "$I46", .max = 7, .factory = 7, .flags = QE},
    {.name = "$I47", .max = 7, .factory = 7, .flags = QE},
    // Dial information: numbers and the short-dial directory.
    {.name = "$C", .first = 1, .last = 5, .flags = Equals | OwnCommand | DialInfo, .text = TextKind::Number},
    {.name = "$E", .first = 1, .last = 5, .flags = Equals | OwnCommand | DialInfo, .text = TextKind::Subaddress},
    {.name = "$G", .first = 1, .last = 3, .flags = Equals | OwnCommand | DialInfo, .text = TextKind::Number},
    {.name = "&Z", .first = 0, .last = 19, .flags = QE | OwnCommand | DialInfo,
     .text = TextKind::Directory},
};

const ActionDef kActions[] = {
    {"E", Action::Echo, 0, 1, true},
    {"V", Action::Verbose, 0, 1, true},
    {"I", Action::Identify, 0, 0, true},
    {"%I", Action::Firmware, 2, 2, false},
    {"\\S", Action::Listing, 2, 6, false},
    {"&W", Action::Store, 0, 1, true},
    {"&F", Action::FactoryKeepDial, 0, 0, true},
    {"%Z", Action::FactoryAll, 0, 0, true},
};

const QList<PortDef> kPorts = {
    {1, "TEL1", "BOPMNLKFHUD", true},
    {2, "TEL2", "BOPMNLKFHUD", true},
    {3, "TEL3", "BOPMNLKFHUD", true},
    {4, "DATA", "BONMP", false},
    {5, "USB", "BONMP", false},
};

const std::pair<const char *, const char *> kPartners[] = {
    {"$I14", "$I15"},
    {"$D2", "$D3"},
};

struct Index {
    QList<Setting> settings;
    QHash<QByteArray, int> byKey;              // into settings
    QHash<QByteArray, const ActionDef *> actions;
    int longest = 0;

    Index()
    {
        for (const SettingDef &def : kSettings) {
            if (def.first < 0) {
                settings.append({def.name, &def, -1});
                continue;
            }
            for (int i = def.first; i <= def.last; ++i)
                settings.append({def.name + QByteArray::number(i), &def, i});
        }
        for (int i = 0; i < settings.size(); ++i) {
            byKey.insert(settings[i].key, i);
            longest = std::max<int>(longest, settings[i].key.size());
        }
        for (const ActionDef &a : kActions)
            actions.insert(a.name, &a);
    }
};

const Index &index()
{
    static const Index idx;
    return idx;
}

bool onlyOf(const QByteArray &text, const char *allowed, int maxLength)
{
    return text.size() <= maxLength
        && std::all_of(text.begin(), text.end(), [allowed](char c) { return c && strchr(allowed, c); });
}

constexpr const char *kNumberChars = "0123456789-()#";
constexpr const char *kSubaddressChars = "0123456789#*";

} // namespace

QByteArray Setting::factoryValue(bool oldFirmware) const
{
    if (isText())
        return {};
    const int v = oldFirmware && def->oldFirmwareFactory >= 0 ? def->oldFirmwareFactory : def->factory;
    return QByteArray::number(v);
}

bool Setting::accepts(const QByteArray &value, QByteArray *normalised) const
{
    QByteArray result = value;
    bool ok = false;
    switch (def->text) {
    case TextKind::None: {
        const bool digits = !value.isEmpty() && value.size() <= 6
            && std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; });
        const int v = digits ? value.toInt() : -1;
        ok = digits && v >= def->min && v <= def->max;
        result = QByteArray::number(v);
        break;
    }
    case TextKind::Number:
        ok = onlyOf(value, kNumberChars, 32);
        break;
    case TextKind::Subaddress:
        ok = onlyOf(value, kSubaddressChars, 20);
        break;
    case TextKind::Directory: {
        const int star = value.indexOf('*');
        const QByteArray number = star < 0 ? value : value.left(star);
        const QByteArray sub = star < 0 ? QByteArray() : value.mid(star + 1);
        ok = onlyOf(number, kNumberChars, 32) && onlyOf(sub, kSubaddressChars, 20);
        result = sub.isEmpty() ? number : number + '*' + sub;
        break;
    }
    }
    if (ok && normalised)
        *normalised = result;
    return ok;
}

bool Setting::knownToOldFirmware(const QByteArray &value) const
{
    if (has(NewFirmware))
        return false;
    const int v = isText() ? -1 : value.toInt();
    return v < 0 || v >= 32 || !(def->newFirmwareValues & bit(v));
}

const QList<Setting> &allSettings() { return index().settings; }

const Setting *findSetting(const QByteArray &key)
{
    const auto it = index().byKey.constFind(key);
    return it == index().byKey.cend() ? nullptr : &index().settings[*it];
}

const QList<PortDef> &allPorts() { return kPorts; }

Match matchAt(const QByteArray &body, int pos)
{
    const Index &idx = index();
    for (int len = std::min<int>(idx.longest, body.size() - pos); len > 0; --len) {
        const QByteArray name = body.mid(pos, len);
        if (const Setting *s = findSetting(name))
            return {s, nullptr, len};
        if (const auto a = idx.actions.constFind(name); a != idx.actions.cend())
            return {nullptr, *a, len};
    }
    return {};
}

QByteArray partnerOf(const QByteArray &key)
{
    for (const auto &[a, b] : kPartners) {
        if (key == a)
            return b;
        if (key == b)
            return a;
    }
    return {};
}

Values factoryValues(bool oldFirmware, const Values &from, bool keepDialInfo)
{
    Values v;
    for (const Setting &s : allSettings())
        v.insert(s.key, keepDialInfo && s.has(DialInfo) ? from.value(s.key) : s.factoryValue(oldFirmware));
    return v;
}

bool isOldFirmware(const QByteArray &firmwareText)
{
    const int blank = firmwareText.indexOf(' ');
    const QByteArray four = firmwareText.mid(blank + 1, 4);
    int end = 0;
    bool point = false;
    while (end < four.size() && (std::isdigit(static_cast<unsigned char>(four[end])) || (four[end] == '.' && !point))) {
        point = point || four[end] == '.';
        ++end;
    }
    return four.left(end).toDouble() <= 1.2;
}

} // namespace korvanta::sim
