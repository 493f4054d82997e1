// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A settings profile as a file: every setting of one adapter in the work
// file's vocabulary, plus the section PROFILE with the model and firmware it
// was read from. Written in one fixed order with nothing that changes from
// run to run, so that one adapter state always gives the same bytes; read
// strictly, so that nothing the windows would refuse reaches the line.

#include "workfile/settingvalues.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QHash>
#include <QList>
#include <QString>
#include <optional>
#include <span>
#include <variant>
#include <vector>

namespace korvanta::profile {

inline constexpr const char *kSection = "PROFILE";

// What the checks and files of profiles say, in the window program and on the
// command line, in the operator's language.
struct Texts {
    Q_DECLARE_TR_FUNCTIONS(korvanta::profile::ProfileFile)
};

struct Profile {
    QString model;
    QString firmware;
    SettingValues values; // in the order of the settings' table
    // The line of each setting in the file it was read from, by "SECTION/KEY"
    // in upper case ("PROFILE/MODEL" too); none for a profile of an adapter.
    QHash<QString, int> lines;
    // Holds only some settings: read as a merge, it changes those alone.
    bool partial = false;
    int lineOf(const QString &sectionAndKey) const { return lines.value(sectionAndKey.toUpper()); }
    // The same settings of the same model and firmware, wherever they stood.
    bool operator==(const Profile &other) const
    {
        return model == other.model && firmware == other.firmware && values == other.values;
    }
};

// What is wrong with a profile file, and where: line 0 when the file as a
// whole is at fault (a setting missing, say).
struct ParseError {
    int line = 0;
    QString key; // "SECTION/KEY", or empty
    QString message;
    QString describe(const QString &fileName) const;
};

// Every setting a profile may hold, in the order it is written: the settings'
// tables of every subsystem, one after another.
std::span<const SettingKey> settingKeys();
const SettingKey *findKey(std::span<const SettingKey> keys, const QString &section, const QString &key);

// What a setting takes, in words, as its own check answers: "3～15 の範囲",
// "0, 2 のどれか", or the characters and length of a box. Empty when unknown.
QString acceptedValues(const SettingKey &setting);

// The rules across settings of every subsystem, in the order of the table.
std::span<const SettingRule> settingRules();
// The first rule that values (the profile's own, or the profile laid over an
// adapter's) break, as a fault of the profile: the line of the last of the
// rule's settings in its file, the rule's keys and its message.
std::optional<ParseError> brokenRule(const Profile &profile, const SettingValues &values);
// The rule of the model, for people: a profile is restored only onto the
// model it names.
QString modelRule();

// The sections in the order a file holds them, each with its settings in the
// table's order: a section stands where its first setting is in the table.
QList<std::pair<QString, std::vector<const SettingKey *>>> sections(std::span<const SettingKey> keys);

// Reads a profile (a UTF-8 byte-order mark at its start is passed over). Lines are "[SECTION]", "KEY=value", empty, or comments
// beginning with ";" or "#". Refused: anything else, a section or key the
// table lacks, a key given twice, a value its setting does not accept (saying
// what it takes), a last line without its line break, a file with nothing in
// it, and a file without every setting adapters of every firmware have.
// Numbers are read without their leading zeros.
// A merge (partial) takes any of the settings, and the model and firmware
// lines only when they are given; what it does not name it leaves alone.
enum class Reading { Whole, Merge };
std::variant<Profile, ParseError> parse(const QByteArray &text, std::span<const SettingKey> keys = settingKeys(),
                                        Reading reading = Reading::Whole);
// The file's bytes: values in the table's order, sections where they first
// appear, LF line ends.
QByteArray write(const Profile &profile, std::span<const SettingKey> keys = settingKeys());

// Why a profile read from an adapter could not be kept as a file that
// restores: a value its setting refuses (quoted as the adapter gave it), a
// setting missing, anything the reading of the file written would refuse.
// Empty when the file would read back as the same profile. Every backup asks
// this before it writes anything.
QString unrestorable(const Profile &profile, std::span<const SettingKey> keys = settingKeys());

// One setting that differs between two sets of values; a side without the
// setting has no value.
struct Difference {
    const SettingKey *setting;
    std::optional<QString> left;
    std::optional<QString> right;
};
// The settings of the table where a and b differ, in the table's order. Only
// the settings b holds when onlyRight.
QList<Difference> compare(const SettingValues &a, const SettingValues &b, std::span<const SettingKey> keys = settingKeys(),
                          bool onlyRight = false);
// What a value of the setting means, for people, in the run's language, as
// its window shows it: an option's meaning ("使用しない"), a number with its
// unit in the window's scale ("3 回", "60 秒" for 12 fifths of a second), a
// sum of bits as their names joined by " + " (none: the window's word for
// none), a text as it is. Empty for no value.
QString meaning(const SettingKey &setting, const std::optional<QString> &value);
// "caption [SECTION] KEY: left → right", each side as "meaning (value)" where
// the window shows the value otherwise than it is kept ("60 秒 (12)",
// "使用しない (0)"), "value" in quotes otherwise, an absent value as "(なし)".
QString describe(const Difference &difference);
// The unit of a number as its window shows it ("秒", "s"); empty for none.
QString unitOf(const SettingKey &setting);
// The value for what an operator typed, in Japanese or English, spaces around
// it aside: the value itself; an option's caption (English in any case); a
// number with its unit in the window's scale ("100 s" is 20 of a register
// counting fifths of seconds, "101 s" is none; "100" is the value 100, as a
// profile keeps it); the names
// of bits joined by "+" or ",", or the word for none. Empty when the text
// means no value the setting takes.
std::optional<QString> valueFromText(const SettingKey &setting, const QString &text);

} // namespace korvanta::profile
