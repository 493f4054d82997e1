// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <array>
#include <functional>
#include <optional>

// The adapter's directory of twenty short-dial entries, "00" to "19": the one
// query that reads them all, the parse of its reply and the set commands that
// write them back. No widgets here; the dialog binds these to its boxes.

namespace korvanta::shortdial {

constexpr int kEntryCount = 20;
constexpr int kEntriesPerTab = 10;
constexpr int kNumberMaxLength = 32;
constexpr int kSubaddressMaxLength = 20;

// Work-file section; its keys are the entries' two-digit indices.
inline const QString kSection = QStringLiteral("TANSYUKU");

inline constexpr const char *kWindowTitle = QT_TRANSLATE_NOOP("korvanta::ShortDialDialog", "短縮番号登録");
// The captions of the two tabs of ten entries each.
inline constexpr std::array<const char *, 2> kTabCaptions{QT_TRANSLATE_NOOP("korvanta::ShortDialDialog", "登録１  "),
                                                         QT_TRANSLATE_NOOP("korvanta::ShortDialDialog", "登録２  ")};

// The controls of one entry's row in the dialog, and its work-file key. The row
// label of entry 12 is out of its neighbours' sequence.
struct EntryRow {
    const char *key;         // "00".."19"
    const char *label;       // row label, caption key + ":"
    const char *numberBox;   // at most 32 characters of 0-9 - ( ) #
    const char *subaddressBox; // at most 20 characters of 0-9 # *
};

inline constexpr std::array<EntryRow, kEntryCount> kEntryRows{{
    {"00", "Label3", "Text1", "Text11"},   {"01", "Label4", "Text2", "Text12"},
    {"02", "Label5", "Text3", "Text13"},   {"03", "Label6", "Text4", "Text14"},
    {"04", "Label7", "Text5", "Text15"},   {"05", "Label8", "Text6", "Text16"},
    {"06", "Label9", "Text7", "Text17"},   {"07", "Label10", "Text8", "Text18"},
    {"08", "Label11", "Text9", "Text19"},  {"09", "Label12", "Text10", "Text20"},
    {"10", "Label15", "Text21", "Text31"}, {"11", "Label16", "Text22", "Text32"},
    {"12", "Label24", "Text23", "Text33"}, {"13", "Label17", "Text24", "Text34"},
    {"14", "Label18", "Text25", "Text35"}, {"15", "Label19", "Text26", "Text36"},
    {"16", "Label20", "Text27", "Text37"}, {"17", "Label21", "Text28", "Text38"},
    {"18", "Label22", "Text29", "Text39"}, {"19", "Label23", "Text30", "Text40"},
}};

// One entry as the dialog shows it.
struct Entry {
    QString number;
    QString subaddress;
    bool operator==(const Entry &) const = default;
};

// The number, then "*" and the subaddress when there is one: the form the
// adapter takes and the work file keeps. Texts are taken as they are.
QString wireForm(const Entry &entry);
// The boxes for a stored form: the number up to the first "*", the
// subaddress after it.
Entry entryOf(const QString &stored);
// Whether a stored form is one the boxes could show: a number of at most 32
// characters of 0-9 - ( ) #, and after a "*" a subaddress of at most 20 of
// 0-9 # *.
bool accepts(const QString &stored);

// "AT&Z0?&Z1?...&Z19?", 92 characters; CR is added by the exchange.
QByteArray readCommand();

// "AT&Zk=" and the wire form, k without a leading zero.
QByteArray writeCommand(int entry, const QString &wire);

// What the reply holds for one entry line.
struct ReadEntry {
    int entry = -1;
    QString stored; // the value for the work file
    Entry shown;    // the values for the two boxes
    bool operator==(const ReadEntry &) const = default;
};

// Parses the reply to readCommand() (starting with the echo's "A") into the
// entry lines it holds, in the order they came; a later line of the same entry
// wins when applied in order. The parse starts at the first ":" behind the
// 92-character echo and ends at the first three characters that are not an
// index token ("00:".."19:"), normally the closing "OK". A line cut off by the
// end of the text before its CR is left out. Empty when there is no ":"
// behind the echo (a failed read).
std::optional<QList<ReadEntry>> parseDirectory(const QByteArray &answer);

// The set commands for the entries whose wanted wire form differs from the
// stored one (exact comparison), from entry 00 to 19; an empty optional wants
// nothing.
QList<QByteArray> changedEntryCommands(const std::array<std::optional<QString>, kEntryCount> &wanted,
                                       const std::function<QString(const QString &key)> &stored);

} // namespace korvanta::shortdial
