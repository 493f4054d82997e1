// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Settings as plain values in the work file's vocabulary (section, key, value
// text), the record the subsystems' reading fills and their writing takes,
// and the description of each setting that profiles and checks work from.

#include <QList>
#include <QMultiHash>
#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <QTranslator>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace korvanta {

class WorkFile;

// Section and key names compare case-insensitively, as in the work file.
// Lengths first: most names differ in them.
inline bool sameSettingName(const QString &section1, const QString &key1, const QString &section2,
                            const QString &key2)
{
    return key1.size() == key2.size() && section1.size() == section2.size()
           && key1.compare(key2, Qt::CaseInsensitive) == 0 && section1.compare(section2, Qt::CaseInsensitive) == 0;
}

// A hash of a section and key that names comparing equal share, made with no
// text of its own: registering a window looks up every setting it shows.
inline size_t settingNameHash(const QString &section, const QString &key, size_t seed = 0)
{
    size_t h = seed;
    for (const QString *part : {&section, &key}) {
        for (QChar c : *part) {
            const char16_t u = c.unicode();
            h = h * 31 + (u < 0x80 ? (u >= 'A' && u <= 'Z' ? u + ('a' - 'A') : u) : QChar::toCaseFolded(u));
        }
        h = h * 31 + u'/';
    }
    return h;
}

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
        if (Entry *e = find(section, key)) {
            e->value = value;
            return;
        }
        m_index.insert(settingNameHash(section, key), m_entries.size());
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
        removeIf([&](const Entry &e) { return sameSettingName(e.section, e.key, section, key); });
    }
    template <typename Predicate>
    void removeIf(Predicate p)
    {
        if (m_entries.removeIf(p) == 0)
            return;
        m_index.clear();
        for (qsizetype i = 0; i < m_entries.size(); ++i)
            m_index.insert(settingNameHash(m_entries[i].section, m_entries[i].key), i);
    }
    const QList<Entry> &entries() const { return m_entries; }
    bool isEmpty() const { return m_entries.isEmpty(); }
    bool operator==(const SettingValues &o) const { return m_entries == o.m_entries; }

private:
    Entry *find(const QString &section, const QString &key)
    {
        const auto [first, last] = m_index.equal_range(settingNameHash(section, key));
        for (auto it = first; it != last; ++it) {
            Entry &e = m_entries[*it];
            if (sameSettingName(e.section, e.key, section, key))
                return &e;
        }
        return nullptr;
    }
    QList<Entry> m_entries;
    QMultiHash<size_t, qsizetype> m_index; // by settingNameHash()
};


// A window's text in each language an operator may type it in: as written
// (the Japanese), its English, and as this run shows it; n picks the form of
// a text that counts. The English comes from the compiled translations when
// the program carries them.
inline QStringList windowWords(const char *context, const char *source, int n = -1)
{
    static const QTranslator *const english = [] {
        auto *t = new QTranslator;
        (void)t->load(QStringLiteral("korvanta_en"), QStringLiteral(":/i18n"));
        return t;
    }();
    QStringList words{QString::fromUtf8(source), english->translate(context, source, nullptr, n),
                      QCoreApplication::translate(context, source, nullptr, n)};
    words.removeAll(QString());
    words.removeDuplicates();
    return words;
}

// The values a setting takes, told for people from the table rows its check
// works from: the options and what each means, a number's range, or the
// characters and length of a text.
struct SettingDomain {
    struct Option {
        QString value;
        QString meaning;
        bool newFirmwareOnly = false;
        QStringList words = {}; // what an operator may type for it, besides the value
    };
    std::vector<Option> options;
    int min = 0;
    int max = -1; // a number from min to max when max >= min
    // The number's unit as the window shows it, and the window's number for
    // one of the value: the adapter counts a minimum holding time in fifths
    // of the seconds its window shows (scale 5).
    QString unit;
    QString unitOfOne = {}; // a counting unit's form for one ("ring"), when it differs
    QStringList unitWords = {};
    int scale = 1;
    // A sum of bits, each with its name as the window shows it, and the
    // window's word for none of them.
    struct Bit {
        int value;
        QString name;
        QStringList words;
    };
    std::vector<Bit> bits;
    QString none;
    QStringList noneWords;
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

// A control character, C0, DEL or C1 (CSI among them): what a message shows
// as \xHH, since a terminal would take it as a command.
constexpr bool isControlCharacter(char16_t c)
{
    return c < 0x20 || (c >= 0x7f && c <= 0x9f);
}

// A value as a message quotes it: control characters as \xHH, and a long one
// cut with "…", so that the message stays one readable line.
QString quotedValue(const QString &value);

// What is said when a setting refuses a value that the adapter's reply gave:
// the setting's caption, section and key, and the value quoted.
QString refusedReply(const SettingKey &setting, const QString &value);

// Keeps each value read under its key of one section, in the work file and
// in the values alike, once the key's setting in the subsystem's table takes
// it: a value of characters the setting does not take, or a choice it lacks,
// is kept nowhere, and the work file keeps what it had. Only a number beyond
// its range or a text longer than its box is kept, as the windows show it
// whole (a profile still refuses it). A key the table lacks is kept as it is.
struct ReadKeeper {
    ReadKeeper(WorkFile &workFile, SettingValues &values, QString section, std::span<const SettingKey> settings)
        : workFile(workFile), values(values), section(std::move(section)), settings(settings)
    {
    }
    WorkFile &workFile;
    SettingValues &values;
    QString section;
    std::span<const SettingKey> settings;
    // False, keeping nothing, when the setting refuses the value; refusal
    // then says so.
    [[nodiscard]] bool operator()(const char *key, const QString &value) const;
    mutable QString refusal;
};

} // namespace korvanta
