// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the fuzz targets feed each reply parser and the simulator's command
// line parser, and what they check of the result. The libFuzzer programs in
// this folder and the regression test tests/fuzzregress run the same drivers,
// so an input that once broke a parser is replayed exactly as it was found.

#include <QByteArray>
#include <QStringList>
#include <span>

namespace korvanta::fuzz {

// What went wrong with one input: empty when the parsers held up. A crash,
// an out-of-bounds access or undefined behaviour stops the program instead
// (under the sanitizers).
using Findings = QStringList;

struct Target {
    const char *name; // the program "fuzz_<name>" and the corpus folder
    const char *what;
    Findings (*run)(const QByteArray &input);
};

std::span<const Target> targets();
const Target *target(const QByteArray &name);

} // namespace korvanta::fuzz
