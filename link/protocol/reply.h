// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <optional>

namespace korvanta::reply {

// Replies are read by 1-based positions from the echo's first "A", as the
// adapter's listings are laid out. Every scan stops at the end of the text.

// 1-based position of the first c at or after position from; 0 when none.
int find(const QByteArray &answer, char c, int from);

// The three characters starting at the first "0" at or after position from
// (fewer when the text ends first); empty when there is no such "0".
std::optional<QByteArray> threeDigitsFrom(const QByteArray &answer, int from);

// The three characters starting at the 1-based position, cut at the end of the
// text; empty when the position lies beyond it.
std::optional<QByteArray> threeCharsAt(const QByteArray &answer, int position);

// The leading decimal number of the text, as a leading-number parse reads it:
// "010" gives 10, "01x" gives 1, "x" gives 0.
int leadingNumber(const QByteArray &text);

// The text with trailing blanks removed.
QByteArray trimRight(const QByteArray &text);

// Whether a number or subaddress read from a reply keeps the character: all
// but LF and NUL, which the work file cannot hold (a box showing them would
// differ from the work file and be sent back unasked).
bool keptInField(char c);

} // namespace korvanta::reply
