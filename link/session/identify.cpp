// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/session/identify.h"

#include "link/protocol/exchange.h"
#include "link/transport/link.h"
#include "link/session/messages.h"
#include "link/ports/ports.h"
#include "link/session/serialcontrol.h"
#include "link/session/session.h"

namespace korvanta {

namespace {
constexpr int kModelLength = 9;
constexpr int kFirmwareLength = 17;
const QByteArray kModel = "KORVAN-TA";

int firstOf(const QByteArray &text, char upper)
{
    for (int i = 0; i < text.size(); ++i)
        if (text[i] == upper || text[i] == char(upper - 'A' + 'a'))
            return i;
    return -1;
}

// Copies `length` characters from the answer's first `letter` (either case)
// into `into`, and takes the answer when they are `wanted`.
AnswerAcceptor capture(char letter, int length, QString &into, std::function<bool(const QByteArray &)> wanted)
{
    return [letter, length, &into, wanted](const QByteArray &answer) {
        const int at = firstOf(answer, letter);
        if (at < 0)
            return false;
        const QByteArray text = answer.mid(at, length);
        into = QString::fromLatin1(text);
        return wanted(text);
    };
}

bool fail(Link &link, const QString &message, QObject *parent)
{
    if (!message.isEmpty())
        Messages::inform(message, parent);
    link.close();
    return false;
}

// A decimal number as a leading-number parse reads it: digits with at most one
// decimal point; anything else ends it; no digits give 0.
float leadingDecimal(const QString &text)
{
    QString number;
    bool point = false;
    for (const QChar c : text) {
        if (c.isDigit() && c.unicode() < 128)
            number += c;
        else if (c == u'.' && !point)
            point = true, number += c;
        else
            break;
    }
    return number.toFloat(); // "" and "." give 0
}
} // namespace

bool identifyAdapter(Link &link, const Timing &timing, Identity &identity, QObject *parent)
{
    if (!QueryExchange(link, "ATE1V1", timing.identifyDeadlineMs))
        return fail(link, kNoDevice, parent);

    // Every answer that holds "OK" is searched for the model name; the wait goes
    // on until it is there.
    const auto isModel = [](const QByteArray &name) { return name == kModel; };
    if (!QueryExchange(link, "ATI", timing.identifyDeadlineMs, kQueryWindow,
                       capture('K', kModelLength, identity.ModelName, isModel)))
        return fail(link, kNotKorvanta, parent);

    const auto anyText = [](const QByteArray &) { return true; };
    const auto version = QueryExchange(link, "AT%I2", timing.identifyDeadlineMs, kQueryWindow,
                                       capture('V', kFirmwareLength, identity.FirmwareVersion, anyText));
    if (!version)
        return fail(link, QString(), parent);
    return true;
}

bool connectPort(SerialControl &control, int port, const Timing &timing, Identity &identity, QObject *parent)
{
    if (port != control.commPort()) {
        control.close();
        if (!control.setCommPort(port)) {
            Messages::inform(kCannotOpenPort, parent);
            return false;
        }
    }
    Link *link = control.link();
    if (!link || !link->open()) {
        // The second line says which device and why, where the system told.
        const QString reason = control.whyNotOpen(port);
        const QString failed = link && link->overNetwork() ? QString(kCannotConnect) : QString(kCannotOpenPort);
        Messages::inform(reason.isEmpty() ? failed : failed + u'\n' + reason, parent);
        return false;
    }
    link->setInputLen(Link::kBulkInputLen);
    return identifyAdapter(*link, control.timingOf(port, timing), identity, parent);
}

QString deriveNewFirmwareFlag(const QString &firmwareVersion)
{
    const int blank = firmwareVersion.indexOf(u' ');
    const QString digits = firmwareVersion.mid(blank + 1, 4); // no blank: the first four
    return leadingDecimal(digits) > 1.2f ? QStringLiteral("1") : QStringLiteral("0");
}

void applyIdentity(Session &session, const Identity &identity)
{
    session.ModelName = identity.ModelName;
    session.FirmwareVersion = identity.FirmwareVersion;
    session.NewFirmwareFlag = deriveNewFirmwareFlag(identity.FirmwareVersion);
    session.WriteCount = 0;
}

} // namespace korvanta
