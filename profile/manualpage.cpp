// SPDX-License-Identifier: GPL-3.0-or-later
#include "profile/manualpage.h"

#include "profile/profilefile.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <algorithm>

namespace korvanta::profile {

namespace {

// Text as roff takes it: backslashes and hyphens escaped, nothing that a
// line could start a request with, and a Japanese line free to break after
// its punctuation, as it has no blanks to break at.
QString roff(QString text)
{
    text.replace(QLatin1Char('\\'), QStringLiteral("\\e")).replace(QLatin1Char('-'), QStringLiteral("\\-"));
    for (const char *mark : {"、", "」", "／"})
        text.replace(QString::fromUtf8(mark), QString::fromUtf8(mark) + QStringLiteral("\\:"));
    if (text.startsWith(QLatin1Char('.')) || text.startsWith(QLatin1Char('\'')))
        text.prepend(QStringLiteral("\\&"));
    return text;
}

QString newerFirmware(bool only)
{
    return only ? QStringLiteral(" (newer firmware)") : QString();
}

QString characters(const SettingDomain::Text &t)
{
    return t.maxLength == 1 ? QStringLiteral("one character of \"%1\"").arg(t.characters)
                            : QStringLiteral("at most %1 characters of \"%2\"").arg(t.maxLength).arg(t.characters);
}

// "0 通知しない, 1 契約者番号を通知, ..." or "3 to 15 秒, at most 2 characters of ..."
QString valuesOf(const SettingDomain &d)
{
    QStringList parts;
    if (!d.options.empty()) {
        std::vector<SettingDomain::Option> options = d.options;
        std::stable_sort(options.begin(), options.end(), [](const auto &a, const auto &b) { return a.value < b.value; });
        QStringList told;
        for (const SettingDomain::Option &o : options)
            told << o.value + QLatin1Char(' ') + o.meaning + newerFirmware(o.newFirmwareOnly);
        parts << told.join(QStringLiteral(", "));
    }
    const bool number = d.max >= d.min;
    if (number)
        parts << QStringLiteral("%1 to %2%3").arg(d.min).arg(d.max).arg(d.unit.isEmpty() ? QString() : QLatin1Char(' ') + d.unit);
    if (number && !d.text.empty())
        parts << (d.text.front().maxLength == 1 ? QStringLiteral("one digit")
                                                : QStringLiteral("written with at most %1 digits").arg(d.text.front().maxLength));
    else if (d.text.size() == 1)
        parts << characters(d.text.front()) + QStringLiteral(", or empty");
    else if (d.text.size() == 2)
        parts << QStringLiteral("the number, %1, then \"*\" and the subaddress, %2, when there is one; or empty")
                     .arg(characters(d.text[0]), characters(d.text[1]));
    if (!d.note.isEmpty())
        parts << d.note;
    return parts.join(QStringLiteral("; "));
}

const char *const kHead = R"(.TH KORVANTA-PROFILE 5 "2026" "korvanta )" KORVANTA_VERSION R"(" "File Formats"
.\" Written by the build from the settings' tables (profile/manualpage.cpp): do not edit.
.ad l
.SH NAME
korvanta-profile \- settings profile of a KORVAN-TA ISDN terminal adapter
.SH DESCRIPTION
A profile holds every setting of one adapter in one text file, in the
sections and keys of the work file mail.ini.
.B korvanta\-cli backup
and the window program's "設定の保存(S)..." write it;
.B korvanta\-cli restore
and "設定の復元(R)..." bring an adapter to it, sending only what differs.
The same settings always give the same bytes: the file has no time stamp, and
its sections and keys stand in the order below, so profiles compare well and
can be kept under version control.
.PP
The file is UTF\-8 text. A line is "[SECTION]", "KEY=value", empty, or a
comment beginning with ";" or "#". Names are compared without regard to case,
and settings may stand in any order when read. The value is everything after
the "=", blanks included. Every key below must be there, except those marked
(newer firmware): an adapter with firmware 1.20 or older lacks them, and a
restore onto such an adapter skips them, and the values so marked, and names
each. A profile with an unknown section or key, a key given twice, a value
outside its setting's options, range or characters, or a last line without
its line break is refused with its line and key, and nothing is sent.
.PP
Each key below gives its window, tab and frame, as the window program shows
them, and the values it takes with what each means.
.SH SECTIONS AND KEYS
.SS [PROFILE]
.TP
.B MODEL
The adapter's model, as it answers "ATI": KORVAN\-TA.
.TP
.B FIRMWARE
The firmware the profile was read from, as the adapter answers "AT%I2"
("Ver 1.30 01/03/15"). Only for people: a restore goes by the firmware of
the adapter it writes to.
)";

const char *const kTail = R"(.PP
A restore sends the settings that block one another in an order that
arrives in one run: a number display moved from TEL3 to TEL2 is switched off
on TEL3 before it is switched on on TEL2, and a hold key and a short\-dial
key that trade places are both cleared before either is set.
.SH EXAMPLE
.EX
; KORVAN-TA settings profile
[PROFILE]
MODEL=KORVAN-TA
FIRMWARE=Ver 1.30 01/03/15

[TEL1]
JIKO_NO=0312345678
SUB_NO=
TRA_NO=
ONSEI=0
\&...
.EE
.SH SEE ALSO
.BR korvanta\-cli (1),
.BR korvanta (1)
)";

} // namespace

QByteArray manualPage(std::span<const SettingKey> keys, std::span<const SettingRule> rules)
{
    // The main window's menu entries as the windows show them, without
    // their accelerators.
    QString page = QString::fromUtf8(kHead);
    for (const char *entry : {"設定の保存(&S)...", "設定の復元(&R)..."}) {
        QString shown = QCoreApplication::translate("korvanta::MainWindow", entry);
        shown.remove(QRegularExpression(QStringLiteral("\\(&.\\)"))).remove(u'&');
        page.replace(QString::fromUtf8(entry).remove(u'&'), shown);
    }
    for (const auto &[section, settings] : sections(keys)) {
        page += QStringLiteral(".SS [%1]\n").arg(section);
        for (const SettingKey *k : settings) {
            page += QStringLiteral(".TP\n.B %1\n").arg(roff(k->key + newerFirmware(k->newFirmwareOnly)));
            page += roff(k->caption) + QStringLiteral("\n.br\n") + roff(valuesOf(k->domain)) + QLatin1Char('\n');
        }
    }
    page += QStringLiteral(".SH RULES ACROSS SETTINGS\n"
                           "A restore checks these before it sends anything: on the profile alone before the "
                           "adapter is read (korvanta\\-cli: before the port is opened, the model once the adapter "
                           "has named it), then on the profile laid over the settings the adapter keeps beside it "
                           "(those its firmware lacks). A profile that breaks one is refused with its line, its keys "
                           "and the message given here, and nothing is sent (korvanta\\-cli: exit status 2).\n");
    const auto rule = [&page](const QStringList &keys, const QString &statement, const QString &message) {
        QStringList named;
        for (const QString &key : keys)
            named << QStringLiteral("[%1] %2").arg(key.section(QLatin1Char('/'), 0, 0), key.section(QLatin1Char('/'), 1));
        page += QStringLiteral(".TP\n.B %1\n%2\n").arg(roff(named.join(QStringLiteral(", "))), roff(statement));
        if (!message.isEmpty())
            page += QStringLiteral(".br\n\"%1\"\n").arg(roff(message));
    };
    rule({QLatin1String(kSection) + QStringLiteral("/MODEL")}, modelRule(), {});
    for (const SettingRule &r : rules)
        rule(r.keys, r.statement, r.message);
    page += QString::fromUtf8(kTail);
    return page.toUtf8();
}

} // namespace korvanta::profile
