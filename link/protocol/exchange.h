// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <functional>
#include <optional>

namespace korvanta {

class Link;

constexpr int kQueryWindow = 256;
constexpr int kDirectoryWindow = 2048;

// Tells whether an answer that already holds "OK" CR LF is the one wanted;
// false makes the exchange go on waiting.
using AnswerAcceptor = std::function<bool(const QByteArray &answer)>;

// Both exchanges first throw away what is buffered: a reply that came after
// its exchange had timed out answers nothing that is asked now. On a line that
// is closed, or closes meanwhile, they fail at once.

// Sends a query and collects the answer until "OK" CR LF lies within the first
// `window` characters from the echo's first "A" (either case). The answer
// starts with that "A" and holds at most `window` characters. Empty on time-out.
std::optional<QByteArray> QueryExchange(Link &link, const QByteArray &command, int deadlineMs,
                                        int window = kQueryWindow, const AnswerAcceptor &accept = {});

// Sends a command that is answered by "OK" CR LF alone and waits for that
// acknowledgement, read one character at a time. An acknowledgement that
// arrives in pieces is still recognised within the deadline. meanwhile runs
// once the command is on its way, before the wait. On time-out onTimeout
// runs (the caller's message) before the rest of the input is discarded. True
// when acknowledged.
bool SetExchange(Link &link, const QByteArray &command, int deadlineMs,
                 const std::function<void()> &onTimeout = {}, const std::function<void()> &meanwhile = {});

// The acknowledgement wait alone, for a command already written with an input
// length of 1. Does not discard what follows.
bool AwaitAcknowledge(Link &link, int deadlineMs);

// Restores the bulk input length and throws away what is buffered.
void DiscardInput(Link &link);

} // namespace korvanta
