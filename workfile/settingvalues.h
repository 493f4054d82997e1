// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Settings as plain values in the work file's vocabulary (section, key, value
// text), the record the subsystems' reading fills and their writing takes,
// and the description of each setting that profiles and checks work from.

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

namespace korvanta {

class WorkFile;

// Settings in the order they were first set; setting a key again replaces
// its value in place. Section and key names compare case-insensitively, as
// in the work file.
class SettingValues {
public:
    struct Entry {
        QString section;
        QString key;
        QString value;
        bool operator==(const Entry &) const = default;
    };

    void set(const QString &section, const QString &key, const QString &value)
    {
        if (Entry *e = find(section, key))
            e->value = value;
        else
            m_entries.push_back({section, key, value});
    }
    std::optional<QString> get(const QString &section, const QString &key) const
    {
        if (const Entry *e = const_cast<SettingValues *>(this)->find(section, key))
            return e->value;
        return std::nullopt;
    }
    bool contains(const QString &section, const QString &key) const { return get(section, key).has_value(); }
    void remove(const QString &section, const QString &key)
    {
        m_entries.removeIf([&](const Entry &e) { return same(e, section, key); });
    }
    template <typename Predicate>
    void removeIf(Predicate p)
    {
        m_entries.removeIf(p);
    }
    const QList<Entry> &entries() const { return m_entries; }
    bool isEmpty() const { return m_entries.isEmpty(); }
    bool operator==(const SettingValues &) const = default;

private:
    static bool same(const Entry &e, const QString &section, const QString &key)
    {
        // Lengths first: most entries differ in them, and the case-blind
        // comparison is the cost of every look-up of a window's registration.
        return e.key.size() == key.size() && e.section.size() == section.size()
               && e.key.compare(key, Qt::CaseInsensitive) == 0 && e.section.compare(section, Qt::CaseInsensitive) == 0;
    }
    Entry *find(const QString &section, const QString &key)
    {
        for (Entry &e : m_entries)
            if (same(e, section, key))
                return &e;
        return nullptr;
    }
    QList<Entry> m_entries;
};

// Keeps each value read under its key of one section, in the work file and
// in the values alike.
struct ReadKeeper {
    WorkFile &workFile;
    SettingValues &values;
    QString section;
    void operator()(const char *key, const QString &value) const;
};

// The values a setting takes, told for people from the table rows its check
// works from: the options and what each means, a number's range, or the
// characters and length of a text.
struct SettingDomain {
    struct Option {
        QString value;
        QString meaning;
        bool newFirmwareOnly = false;
    };
    std::vector<Option> options;
    int min = 0;
    int max = -1; // a number from min to max when max >= min
    QString unit;
    // A text of these characters and at most this many of them; two parts
    // (a directory entry) are joined by "*" when the second is not empty.
    struct Text {
        QString characters;
        int maxLength = 0;
    };
    std::vector<Text> text;
    QString note; // what else the value means
    // The option values only newer firmware has; none when there are none.
    std::function<bool(const QString &value)> newFirmwareValues() const
    {
        QStringList only;
        for (const Option &o : options)
            if (o.newFirmwareOnly)
                only << o.value;
        if (only.isEmpty())
            return {};
        return [only](const QString &value) { return only.contains(value); };
    }
};

// One setting as the windows know it.
struct SettingKey {
    QString section;
    QString key;
    // Where the operator meets it: the window's title, its tab and the frame
    // or label caption, joined by " / " ("アナログポート設定 / TEL1 / 着信音").
    QString caption;
    // Only adapters with newer firmware have it.
    bool newFirmwareOnly = false;
    // Whether a value is one the setting can take (its set, range or the
    // characters its box accepts); the same check the window applies.
    std::function<bool(const QString &value)> accepts;
    // A value only newer firmware has, of a setting older firmware has too
    // ("網契約に従う"); none when empty.
    std::function<bool(const QString &value)> newFirmwareValue = {};
    SettingDomain domain = {};
};

// A rule across settings that the adapter or its windows keep, so that a set
// of values breaking it could never be sent and read back as it is.
struct SettingRule {
    QStringList keys;     // "SECTION/KEY" of the settings it binds
    QString statement;    // the rule in words, for the profile's manual page
    QString message;      // what a refusal says
    // Whether values keep it; values lacking one of the keys keep it.
    std::function<bool(const SettingValues &)> holds;
};

} // namespace korvanta
