// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The number display detail of one telephone port without widgets: its two
// settings, their queries, how a reply is read and how the one set command
// is put together.

#include <QByteArray>
#include <QString>
#include <array>
#include <optional>
#include <vector>

namespace korvanta::numberdisplay {

inline constexpr int kPortCount = 3;

struct Port {
    const char *section;       // work-file section
    const char *caption;       // the window's caption
    const char *note;          // Label1
    int helpContext;
};
const Port &port(int index); // 0 TEL1 .. 2 TEL3

struct Option {
    char value;
    const char *control;
    const char *caption;
};

struct Setting {
    const char *key;
    const char *frame;
    const char *frameCaption;
    std::array<const char *, kPortCount> query;
    std::array<const char *, kPortCount> piece; // "$D1=": the value follows
    std::vector<Option> options; // top to bottom
};
// Number display, then i-number: the order of reading and of the pieces.
const Setting &numberDisplay();
const Setting &iNumber();

inline constexpr const char *kDefault = "1"; // a missing work-file key

// The value of a reply: the three characters from the first "0" after the
// echo. Empty optional: the reading failed; empty value: a reply the setting
// does not know (changes nothing).
struct Reading {
    bool ok = false;
    std::optional<char> value;
};
Reading readReply(const Setting &setting, int port, const QByteArray &answer);

// The value the options show, in the order of setting.options; empty when
// nothing is to be sent for the setting.
std::optional<char> wanted(const Setting &setting, const std::vector<bool> &checked);

// "AT" and the changed pieces in one command; empty when nothing changed.
// displayOn tells the number display the adapter will have once it took it.
struct Write {
    QByteArray command;
    std::optional<int> displayOn;
};
Write composeWrite(int port, std::optional<char> display, const QString &storedDisplay,
                   std::optional<char> iNumberWanted, const QString &storedINumber);

// TEL2 and TEL3 cannot both show numbers: the port's number display options
// are locked while the other one of the pair has it on.
inline constexpr std::array<int, 2> kExclusivePorts{1, 2};
bool displayLocked(int port, const std::array<int, kPortCount> &flags);

} // namespace korvanta::numberdisplay
