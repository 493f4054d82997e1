// SPDX-License-Identifier: GPL-3.0-or-later
#include "fuzz/drivers.h"

#include "dataport/dataportmodel.h"
#include "link/transport/address.h"
#include "link/ports/commandline.h"
#include "link/protocol/exchange.h"
#include "link/session/identify.h"
#include "link/transport/link.h"
#include "link/session/messages.h"
#include "link/protocol/reply.h"
#include "link/session/session.h"
#include "link/transport/trafficlog.h"
#include "numberdisplay/numberdisplaymodel.h"
#include "profile/adapterprofile.h"
#include "profile/profilefile.h"
#include "shortdial/shortdialmodel.h"
#include "sim/settingstable.h"
#include "sim/simulatedadapter.h"
#include "sim/simulatedlink.h"
#include "sim/statefile.h"
#include "telephone/telephonemodel.h"
#include "tests/link/scriptedlink.h"
#include "workfile/workfile.h"

#define SI_NO_CONVERSION
#include <SimpleIni.h>

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <cstring>

namespace korvanta::fuzz {

namespace {

// Inputs longer than the largest window a reply is cut to (the directory's)
// show nothing new, and make each run slower.
constexpr int kLongestReply = kDirectoryWindow + 64;

QByteArray cut(const QByteArray &input)
{
    return input.left(kLongestReply);
}

class Checks {
public:
    explicit Checks(const char *where) : m_where(where) {}
    void expect(bool holds, const QString &what)
    {
        if (!holds)
            m_findings << QStringLiteral("%1: %2").arg(QLatin1String(m_where), what);
    }
    Findings findings() const { return m_findings; }

private:
    const char *m_where;
    Findings m_findings;
};

QString shown(const QByteArray &text)
{
    return QString::fromLatin1(text.toPercentEncoding(" :*$"));
}

// A field taken from a line of a reply: no blank at its end, and nothing the
// work file cannot keep. The work file drops line ends and ends a value at a
// NUL; a box that shows more than the work file kept differs from it, and the
// registration would send the field although the operator changed nothing.
bool keepable(const QByteArray &field)
{
    return !field.contains('\r') && !field.contains('\n') && !field.contains('\0');
}

void expectField(Checks &c, const QByteArray &field, const char *name)
{
    c.expect(keepable(field), QStringLiteral("%1 holds a line end or NUL: %2").arg(QLatin1String(name), shown(field)));
    c.expect(!field.endsWith(' '), QStringLiteral("%1 ends in a blank: %2").arg(QLatin1String(name), shown(field)));
}

// A ":" the listings look for: at or after position 6 (1-based).
bool colonFrom(const QByteArray &answer, int position)
{
    return answer.indexOf(':', position - 1) >= 0;
}

// ---------------------------------------------------------------------------
// Telephone port listing

Findings telephoneListing(const QByteArray &input)
{
    using namespace telephone;
    const QByteArray answer = cut(input);
    Checks c("telephone listing");
    for (const Port &port : ports()) {
        const auto status = parsePortStatus(answer, port);
        if (!colonFrom(answer, 6))
            c.expect(!status, QStringLiteral("read without a \":\""));
        if (!status)
            continue;
        expectField(c, status->ownNumber, "own number");
        expectField(c, status->subaddress, "subaddress");
        expectField(c, status->forwarding, "forwarding number");
        c.expect(!status->ownNumber.contains('*'), QStringLiteral("own number holds \"*\""));
        for (const auto &[index, value] : status->tokens) {
            const bool known = index >= 0 && size_t(index) < portChoices().size();
            c.expect(known, QStringLiteral("token row %1 out of the table").arg(index));
            if (known)
                c.expect(portChoices()[index].inStatus && accepts(portChoices()[index], value),
                         QStringLiteral("value %1 for %2").arg(QLatin1Char(value)).arg(QLatin1String(portChoices()[index].key)));
        }
        if (status->numberDisplay)
            c.expect(*status->numberDisplay == 0 || *status->numberDisplay == 1,
                     QStringLiteral("number display %1").arg(*status->numberDisplay));
    }
    return c.findings();
}

// ---------------------------------------------------------------------------
// Data port listing

Findings dataListing(const QByteArray &input)
{
    using namespace dataport;
    const QByteArray answer = cut(input);
    Checks c("data port listing");
    for (const Port &port : ports()) {
        const ListingReading r = parseListing(answer, port);
        c.expect(r.ok == colonFrom(answer, 6), QStringLiteral("ok %1 against the \":\" found").arg(r.ok));
        if (!r.ok)
            continue;
        expectField(c, r.number, "own number");
        expectField(c, r.subaddress, "subaddress");
        c.expect(!r.number.contains('*'), QStringLiteral("own number holds \"*\""));
        for (const auto &read : r.values) {
            const PortSetting *setting = read.first;
            const QString value = read.second;
            const auto &table = portSettings();
            const bool known = setting >= table.data() && setting < table.data() + table.size();
            c.expect(known, QStringLiteral("setting out of the table"));
            if (known)
                c.expect(std::any_of(setting->options.begin(), setting->options.end(),
                                     [&](const PortOption &o) { return value == QLatin1String(o.value); }),
                         QStringLiteral("value %1 for %2").arg(value, QLatin1String(setting->key)));
        }
    }
    return c.findings();
}

// ---------------------------------------------------------------------------
// Three-digit replies: the scanning helpers and every parse built on them

void scanHelpers(Checks &c, const QByteArray &answer)
{
    const int last = std::min<int>(int(answer.size()) + 2, 40);
    for (int from = -1; from <= last; ++from) {
        const int at = reply::find(answer, '0', from);
        c.expect(at == 0 || (at >= std::max(from, 1) && at <= answer.size() && answer[at - 1] == '0'),
                 QStringLiteral("find from %1 gave %2").arg(from).arg(at));
        const auto three = reply::threeDigitsFrom(answer, from);
        c.expect(bool(three) == (at != 0), QStringLiteral("threeDigitsFrom %1 against find").arg(from));
        if (three)
            c.expect(three->size() <= 3 && three->startsWith('0') && three->size() >= 1,
                     QStringLiteral("threeDigitsFrom %1 gave %2").arg(from).arg(shown(*three)));
        const auto chars = reply::threeCharsAt(answer, from);
        const bool inside = from >= 1 && from <= answer.size();
        c.expect(bool(chars) == inside, QStringLiteral("threeCharsAt %1 present %2").arg(from).arg(bool(chars)));
        if (chars)
            c.expect(*chars == answer.mid(from - 1, 3), QStringLiteral("threeCharsAt %1").arg(from));
    }
    const int n = reply::leadingNumber(answer);
    c.expect(n >= 0 && n <= 10000009, QStringLiteral("leadingNumber %1").arg(n));
    const QByteArray trimmed = reply::trimRight(answer);
    c.expect(answer.startsWith(trimmed) && !trimmed.endsWith(' ')
                 && answer.mid(trimmed.size()).count(' ') == answer.size() - trimmed.size(),
             QStringLiteral("trimRight"));
}

void expectReading(Checks &c, const dataport::Reading &r, const QStringList &allowed, const char *name)
{
    if (r.ok && r.value)
        c.expect(allowed.contains(*r.value), QStringLiteral("%1 read %2").arg(QLatin1String(name), *r.value));
    c.expect(r.ok || !r.value, QStringLiteral("%1: a failed reading with a value").arg(QLatin1String(name)));
}

QStringList digitsUpTo(char highest)
{
    QStringList d;
    for (char v = '0'; v <= highest; ++v)
        d << QString(QLatin1Char(v));
    return d;
}

Findings threeDigitReplies(const QByteArray &input)
{
    const QByteArray answer = cut(input);
    Checks c("three-digit reply");
    scanHelpers(c, answer);

    // Telephone: the common settings, the dial times and the ring patterns.
    using namespace telephone;
    for (const CommonSetting &s : commonSettings()) {
        const auto digits = replyDigits(answer, s.query);
        if (!digits)
            continue;
        if (s.isChoice())
            if (const auto v = replyChoice(*digits, s.values))
                c.expect(std::any_of(s.values.begin(), s.values.end(), [&](const ChoiceValue &cv) { return cv.value == *v; }),
                         QStringLiteral("%1 read %2").arg(QLatin1String(s.key)).arg(QLatin1Char(*v)));
        const int n = boxNumber(QString::fromLatin1(*digits));
        c.expect(n >= 0 && n <= 999, QStringLiteral("%1 box number %2").arg(QLatin1String(s.key)).arg(n));
    }
    for (int p = 0; p < kPortCount; ++p) {
        if (const auto digits = replyDigits(answer, dialTime().query[p])) {
            const int n = boxNumber(QString::fromLatin1(*digits));
            c.expect(n >= 0 && n <= 999, QStringLiteral("dial time %1").arg(n));
        }
        for (const PortChoice &choice : portChoices())
            if (!choice.inStatus)
                if (const auto digits = replyDigits(answer, choice.query[p]))
                    c.expect(accepts(choice, ringPattern(*digits)), QStringLiteral("ring pattern"));
    }
    for (int p = 0; p < numberdisplay::kPortCount; ++p)
        for (const numberdisplay::Setting *s : {&numberdisplay::numberDisplay(), &numberdisplay::iNumber()}) {
            const auto r = numberdisplay::readReply(*s, p, answer);
            if (r.value)
                c.expect(r.ok && std::any_of(s->options.begin(), s->options.end(),
                                             [&](const numberdisplay::Option &o) { return o.value == *r.value; }),
                         QStringLiteral("%1 read %2").arg(QLatin1String(s->key)).arg(QLatin1Char(*r.value)));
        }

    // Data ports: i-number, the extended settings, the BOD directions, the BAP masks.
    expectReading(c, dataport::parseINumber(answer), digitsUpTo('3'), "i-number");
    expectReading(c, dataport::parseDirection(answer), digitsUpTo('3'), "direction");
    expectReading(c, dataport::parseMask(answer), digitsUpTo('7'), "mask");
    for (const dataport::ExtSetting &s : dataport::extSettings()) {
        QStringList allowed;
        for (const dataport::ExtOption &o : s.options)
            allowed << QLatin1String(o.value);
        expectReading(c, dataport::parseExtended(s, answer), allowed, s.key);
    }
    return c.findings();
}

// ---------------------------------------------------------------------------
// The register reply at position 11 (throughput BOD)

Findings registerReply(const QByteArray &input)
{
    using namespace dataport;
    const QByteArray answer = cut(input);
    Checks c("register reply");
    const Reading r = parseRegister(answer);
    const bool digitAt11 = answer.size() >= 11 && answer[10] >= '0' && answer[10] <= '2';
    c.expect(r.ok == digitAt11, QStringLiteral("ok %1 against position 11").arg(r.ok));
    if (!r.ok)
        return c.findings();
    c.expect(r.value.has_value(), QStringLiteral("read without a value"));
    const QString value = r.value.value_or(QString());
    bool number = false;
    const int v = value.toInt(&number);
    c.expect(number && v >= 0 && v <= 299, QStringLiteral("value %1").arg(value));
    for (const BodRegister &reg : bodRegisters()) {
        // What the box shows goes back to the register unchanged.
        const QString box = boxTextOf(reg, value);
        c.expect(numericValue(box) >= 0, QStringLiteral("%1 box %2").arg(QLatin1String(reg.key), box));
        c.expect(numericValue(registerTextOf(reg, box)) == v,
                 QStringLiteral("%1: %2 shown as %3 goes back as %4")
                     .arg(QLatin1String(reg.key), value, box, registerTextOf(reg, box)));
    }
    return c.findings();
}

// ---------------------------------------------------------------------------
// The short-dial directory

Findings directory(const QByteArray &input)
{
    using namespace shortdial;
    const QByteArray answer = cut(input);
    Checks c("directory");
    const auto entries = parseDirectory(answer);
    c.expect(bool(entries) == colonFrom(answer, 93), QStringLiteral("read %1 against the \":\" from 93").arg(bool(entries)));
    if (!entries)
        return c.findings();
    c.expect(entries->size() <= answer.size() / 4 + 1, QStringLiteral("%1 entries").arg(entries->size()));
    for (const ReadEntry &e : *entries) {
        c.expect(e.entry >= 0 && e.entry < kEntryCount, QStringLiteral("entry %1").arg(e.entry));
        for (const QString &field : {e.shown.number, e.shown.subaddress}) {
            c.expect(keepable(field.toLatin1()), QStringLiteral("a line end or NUL in a box: %1").arg(field));
            c.expect(!field.startsWith(u' ') && !field.endsWith(u' '), QStringLiteral("blanks around %1").arg(field));
        }
        c.expect(!e.shown.number.contains(u'*'), QStringLiteral("number box holds \"*\""));
        // The boxes show what the work file keeps; a "*" before a blank
        // subaddress is stored as it came.
        c.expect(e.stored == wireForm(e.shown) || (e.shown.subaddress.isEmpty() && e.stored == e.shown.number + u'*'),
                 QStringLiteral("stored %1 against the boxes %2 and %3").arg(e.stored, e.shown.number, e.shown.subaddress));
    }
    return c.findings();
}

// ---------------------------------------------------------------------------
// Identification at start-up: the model name and the firmware text

Findings firmware(const QByteArray &input)
{
    Checks c("identification");
    const QByteArray text = input.left(64);
    // The flag as start-up derives it from the firmware text, and the
    // simulated adapter's own idea of older firmware, by the same rule.
    const QString flag = deriveNewFirmwareFlag(QString::fromLatin1(text));
    c.expect(flag == QLatin1String("0") || flag == QLatin1String("1"), QStringLiteral("flag %1").arg(flag));
    c.expect((flag == QLatin1String("1")) == !sim::isOldFirmware(text),
             QStringLiteral("flag %1 for %2, the simulated adapter says %3")
                 .arg(flag, shown(text), sim::isOldFirmware(text) ? QStringLiteral("older") : QStringLiteral("newer")));

    // The whole identification: the input up to its first NUL answers "ATI",
    // the rest "AT%I2". Replies without "OK" wait out the (short) deadline.
    const int nul = input.indexOf('\0');
    const QByteArray model = input.left(nul < 0 ? 256 : std::min(nul, 256));
    const QByteArray version = nul < 0 ? QByteArray("AT%I2\r\r\nVer 1.30 01/03/15\r\n\r\nOK\r\n") : input.mid(nul + 1, 256);
    ScriptedLink link;
    for (const QByteArray &answer : {QByteArray("ATE1V1\r\r\nOK\r\n"), model, version})
        link.script({{0, answer}});
    Timing timing;
    timing.identifyDeadlineMs = 2;
    QStringList messages;
    const auto previous = Messages::setHandler([&](const MessageRequest &r) {
        messages << r.text;
        return MessageBox::Ok;
    });
    Identity identity;
    const bool identified = identifyAdapter(link, timing, identity, nullptr);
    Messages::setHandler(previous);

    c.expect(link.written.size() <= 3, QStringLiteral("%1 commands").arg(link.written.size()));
    c.expect(identity.ModelName.size() <= 9 && identity.FirmwareVersion.size() <= 17,
             QStringLiteral("model %1, firmware %2").arg(identity.ModelName, identity.FirmwareVersion));
    if (identified) {
        c.expect(identity.ModelName == QLatin1String(sim::kModelName), QStringLiteral("took model %1").arg(identity.ModelName));
        c.expect(link.isOpen() && messages.isEmpty(), QStringLiteral("connected with the line closed or a message"));
    } else {
        c.expect(!link.isOpen() && messages.size() <= 1, QStringLiteral("failed with the line open or several messages"));
    }
    return c.findings();
}

// ---------------------------------------------------------------------------
// The simulated adapter's command lines

// What the utility reads from the simulated adapter's listings, registers and
// directory is what the adapter holds.
void expectReadAsHeld(Checks &c, sim::SimulatedAdapter &adapter)
{
    adapter.respond("\r"); // ends a line left half-typed
    adapter.setEcho(true);
    adapter.setVerbose(true);
    const auto held = [&](const QByteArray &key) { return adapter.value(QString::fromLatin1(key)).toLatin1(); };
    const auto expectHeld = [&](const QByteArray &read, const QByteArray &key) {
        c.expect(read == held(key), QStringLiteral("%1 read as %2, held %3").arg(QLatin1String(key), shown(read), shown(held(key))));
    };
    for (const telephone::Port &port : telephone::ports()) {
        const QByteArray n(1, port.digit);
        const auto status = telephone::parsePortStatus(adapter.respond(QByteArray(port.statusQuery) + '\r'), port);
        c.expect(status && status->complete, QStringLiteral("listing of TEL%1 not read").arg(QLatin1String(n)));
        if (!status || !status->complete)
            continue;
        expectHeld(status->ownNumber, "$C" + n);
        expectHeld(status->subaddress, "$E" + n);
        expectHeld(status->forwarding, "$G" + n);
        for (const auto &[index, value] : status->tokens)
            expectHeld(QByteArray(1, value), '$' + QByteArray(1, telephone::portChoices()[index].letter) + n);
        const QByteArray dial = QByteArray(telephone::dialTime().query[port.digit - '1']);
        const auto digits = telephone::replyDigits(adapter.respond(dial + '\r'), dial);
        expectHeld(QByteArray::number(telephone::boxNumber(QString::fromLatin1(digits.value_or("?")))),
                   dial.mid(2, dial.size() - 3));
    }
    for (const dataport::Port &port : dataport::ports()) {
        const QByteArray n = QByteArray::number(port.digit);
        const auto r = dataport::parseListing(adapter.respond(QByteArray(port.listing) + '\r'), port);
        c.expect(r.ok, QStringLiteral("listing of port %1 not read").arg(port.digit));
        expectHeld(r.number, "$C" + n);
        expectHeld(r.subaddress, "$E" + n);
        for (const auto &read : r.values)
            expectHeld(read.second.toLatin1(), '$' + QByteArray(1, read.first->letter) + n);
    }
    for (const dataport::BodRegister &reg : dataport::bodRegisters()) {
        const auto r = dataport::parseRegister(adapter.respond(QByteArray(reg.query) + '\r'));
        expectHeld(r.value.value_or(QStringLiteral("?")).toLatin1(), QByteArray(reg.query).mid(2, 4));
    }
    const auto entries = shortdial::parseDirectory(adapter.respond(shortdial::readCommand() + '\r'));
    c.expect(entries && entries->size() == shortdial::kEntryCount, QStringLiteral("directory not read whole"));
    for (const shortdial::ReadEntry &e : entries.value_or(QList<shortdial::ReadEntry>()))
        expectHeld(e.stored.toLatin1(), "&Z" + QByteArray::number(e.entry));
}

// Every value the simulated adapter keeps, working and stored, is one its
// setting accepts (and its firmware knows), and the keys that may not share a
// value do not.
void expectValuesAccepted(Checks &c, const sim::SimulatedAdapter &adapter)
{
    const bool old = adapter.oldFirmware();
    for (const sim::Setting &s : sim::allSettings()) {
        for (const QString &value : {adapter.value(QString::fromLatin1(s.key)), adapter.storedValue(QString::fromLatin1(s.key))}) {
            QByteArray normalised;
            c.expect(s.accepts(value.toLatin1(), &normalised) && normalised == value.toLatin1(),
                     QStringLiteral("%1 holds %2").arg(QLatin1String(s.key), shown(value.toLatin1())));
            c.expect(!old || s.knownToOldFirmware(value.toLatin1()) || s.has(sim::NewFirmware),
                     QStringLiteral("%1 holds %2, unknown to older firmware").arg(QLatin1String(s.key), value));
        }
        const QByteArray partner = sim::partnerOf(s.key);
        if (!partner.isEmpty()) {
            const QString mine = adapter.value(QString::fromLatin1(s.key));
            c.expect(mine == QLatin1String("0") || mine != adapter.value(QString::fromLatin1(partner)),
                     QStringLiteral("%1 and %2 both %3").arg(QLatin1String(s.key), QLatin1String(partner), mine));
        }
    }
}

Findings simulatorCommands(const QByteArray &input)
{
    Checks c("simulator");
    // The first byte chooses the firmware; the rest is what the host sends.
    sim::Faults faults;
    if (!input.isEmpty() && (input[0] & 1))
        faults.firmware = sim::kOldFirmware;
    sim::SimulatedAdapter adapter(faults);
    const QByteArray bytes = input.mid(1, 4096);
    const QByteArray out = adapter.respond(bytes);

    int lines = 0;
    for (const char ch : bytes)
        lines += ch == '\r';
    c.expect(adapter.log().size() <= lines, QStringLiteral("%1 lines logged from %2 CR").arg(adapter.log().size()).arg(lines));
    for (const QByteArray &line : adapter.log())
        c.expect(line.size() <= 1024 && !line.contains('\r'), QStringLiteral("logged line of %1").arg(line.size()));
    expectValuesAccepted(c, adapter);
    // Each line is answered by exactly one final result while verbose is on.
    if (!bytes.contains('V') && !bytes.contains('v')) {
        const int results = int(out.count("\r\nOK\r\n") + out.count("\r\nERROR\r\n"));
        c.expect(results >= adapter.log().size(), QStringLiteral("%1 results for %2 lines").arg(results).arg(adapter.log().size()));
    }
    expectReadAsHeld(c, adapter);
    return c.findings();
}

// A settings profile: either refused with a line inside the file, or read
// into values every setting accepts, which write back to a file that reads
// the same and writes the same bytes again.
Findings profileFile(const QByteArray &input)
{
    Checks c("profile");
    const auto result = profile::parse(input);
    if (const auto *error = std::get_if<profile::ParseError>(&result)) {
        c.expect(error->line >= 0 && error->line <= input.count('\n') + 1, QStringLiteral("line %1").arg(error->line));
        c.expect(!error->message.isEmpty(), QStringLiteral("an error without a message"));
        return c.findings();
    }
    const profile::Profile &p = std::get<profile::Profile>(result);
    for (const SettingValues::Entry &e : p.values.entries()) {
        const SettingKey *k = profile::findKey(profile::settingKeys(), e.section, e.key);
        c.expect(k && k->accepts(e.value), QStringLiteral("%1/%2 holds %3").arg(e.section, e.key, e.value));
    }
    const QByteArray written = profile::write(p);
    const auto again = profile::parse(written);
    c.expect(std::holds_alternative<profile::Profile>(again), QStringLiteral("its own file refused"));
    if (const auto *q = std::get_if<profile::Profile>(&again)) {
        c.expect(q->values == p.values, QStringLiteral("other values read back"));
        c.expect(profile::write(*q) == written, QStringLiteral("other bytes written back"));
    }
    return c.findings();
}


// ---------------------------------------------------------------------------
// Files and the command line

// A folder of this process for the files the drivers write and read back:
// in memory where the system has a file system there, as the work file
// waits for the disk on every save.
QString scratch(const QString &name)
{
    static QTemporaryDir dir(QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                                 ? QStringLiteral("/dev/shm/korvanta-fuzz-XXXXXX")
                                 : QDir::temp().filePath(QStringLiteral("korvanta-fuzz-XXXXXX")));
    return dir.filePath(name);
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString shown(const QString &text)
{
    return shown(text.toUtf8());
}

// Messages the procedures show go nowhere while a driver runs; how many came.
class QuietMessages {
public:
    QuietMessages()
        : m_previous(Messages::setHandler([this](const MessageRequest &) {
              ++count;
              return MessageBox::Ok;
          }))
    {
    }
    ~QuietMessages() { Messages::setHandler(m_previous); }
    int count = 0;

private:
    Messages::Handler m_previous;
};

// A section or key name the work file can write and read back: what the
// utility's own are like. Others (a "]" inside a section's name, a line
// break) are left to the library.
bool plainName(const QString &name)
{
    static const QRegularExpression odd(QStringLiteral(R"([\x00-\x1f\[\]=;#]|^\s|\s$)"));
    return !name.isEmpty() && !odd.match(name).hasMatch();
}

// The work file "mail.ini" as the utility finds it: every value it holds
// fetches as at most 255 characters; stored again, and with the input's last
// line stored under a key of its own, each fetches as stored (but for what
// store() drops), in this run and from the file in the next. Values of the
// utility's names keep wherever odd lines stand around them.
Findings workFile(const QByteArray &input)
{
    Checks c("work file");
    const QString path = scratch(QStringLiteral("mail.ini"));
    QFile::remove(path);
    if (!input.isEmpty() && !writeFile(path, input))
        return c.findings();
    // The sections and keys the file holds, as the same library finds them.
    CSimpleIniA ini(false, false, false);
    ini.LoadData(input.constData(), size_t(input.size()));
    QList<std::pair<QString, QString>> keys;
    CSimpleIniA::TNamesDepend sections;
    ini.GetAllSections(sections);
    for (const auto &section : sections) {
        CSimpleIniA::TNamesDepend names;
        ini.GetAllKeys(section.pItem, names);
        const QString s = QString::fromUtf8(section.pItem);
        for (const auto &name : names)
            if (const QString k = QString::fromUtf8(name.pItem);
                s.toUtf8() == section.pItem && k.toUtf8() == name.pItem && plainName(s) && plainName(k))
                keys.append({s, k});
    }
    const QString ownSection = QStringLiteral("FUZZ"), ownKey = QStringLiteral("LAST_LINE");
    QString lastLine = QString::fromUtf8(input.mid(input.lastIndexOf('\n', input.size() - 2) + 1));
    lastLine.truncate(lastLine.indexOf(QChar(0)) < 0 ? lastLine.size() : lastLine.indexOf(QChar(0)));

    QHash<QString, QString> fetched; // by "section/key" in upper case
    const auto name = [](const QString &section, const QString &key) { return (section + u'/' + key).toUpper(); };
    {
        WorkFile work(path);
        for (const auto &[section, key] : keys) {
            const QString value = work.fetch(section, key, QStringLiteral("?"));
            c.expect(value.size() <= WorkFile::kMaxValueLength,
                     QStringLiteral("[%1] %2 fetched %3 characters").arg(section, key).arg(value.size()));
            fetched.insert(name(section, key), value);
        }
        WorkFile::Batch batch(work);
        for (const auto &[section, key] : keys)
            work.store(section, key, fetched.value(name(section, key)));
        work.store(ownSection, ownKey, lastLine);
        QString kept = lastLine;
        kept.remove(u'\r').remove(u'\n');
        const QString own = work.fetch(ownSection, ownKey);
        // At most 255 characters, one less where the cut would halve one.
        c.expect(kept.contains(own) && own.size() >= std::min<qsizetype>(kept.trimmed().size(), WorkFile::kMaxValueLength - 1),
                 QStringLiteral("stored %1, fetched %2").arg(shown(kept), shown(own)));
        fetched.insert(name(ownSection, ownKey), own);
        for (const auto &[section, key] : keys) {
            const QString now = work.fetch(section, key, QStringLiteral("?"));
            c.expect(now == fetched.value(name(section, key)),
                     QStringLiteral("[%1] %2 stored %3, fetched %4").arg(section, key, shown(fetched.value(name(section, key))), shown(now)));
        }
    }
    WorkFile again(path);
    keys.append({ownSection, ownKey});
    for (const auto &[section, key] : keys) {
        const QString read = again.fetch(section, key, QStringLiteral("?"));
        c.expect(read == fetched.value(name(section, key)),
                 QStringLiteral("[%1] %2 stored %3, read back %4").arg(section, key, shown(fetched.value(name(section, key))), shown(read)));
    }
    return c.findings();
}

// A profile against a simulated adapter, as a restore takes it: the first
// byte chooses the adapter's firmware, the command lines up to the first NUL
// set it up, the rest is the profile. A profile the parser accepts passes the
// rules and the checks across settings, or its restore is refused with a
// message that names a line of it; a plan never proposes a value its
// setting's check refuses or the adapter's firmware lacks, and carried out,
// leaves the adapter as the profile says.
Findings profileRules(const QByteArray &input)
{
    Checks c("profile rules");
    const int nul = input.indexOf('\0', 1);
    const QByteArray text = nul < 0 ? input.mid(1) : input.mid(nul + 1);
    const auto parsed = profile::parse(text);
    const auto *p = std::get_if<profile::Profile>(&parsed);
    if (!p)
        return c.findings();
    const int lines = int(text.count('\n'));
    for (const bool newFirmware : {false, true}) {
        const auto problem = profile::validate(p->values, newFirmware);
        if (!problem || profile::brokenRule(*p, p->values))
            continue;
        // A fault validate finds but no rule names: a restore could refuse
        // the profile only without a line.
        c.expect(false, QStringLiteral("refused by validate without a line (%1 firmware): %2")
                            .arg(newFirmware ? QStringLiteral("newer") : QStringLiteral("older"), *problem));
    }

    sim::Faults faults;
    if (!input.isEmpty() && (input[0] & 1))
        faults.firmware = sim::kOldFirmware;
    sim::SimulatedAdapter adapter(faults);
    if (nul > 0)
        adapter.respond(input.mid(1, std::min(nul - 1, 1024)) + '\r');
    // As identification leaves it on connecting.
    adapter.setEcho(true);
    adapter.setVerbose(true);
    sim::SimulatedLink link(adapter);
    link.open();
    const QString path = scratch(QStringLiteral("restore.ini"));
    QFile::remove(path);
    WorkFile work(path);
    // The program's own deadlines: the simulated adapter answers at once,
    // however busy the machine.
    Session session(link, work);
    session.ModelName = QString::fromLatin1(sim::kModelName);
    session.FirmwareVersion = QString::fromLatin1(faults.firmware);
    session.NewFirmwareFlag = adapter.oldFirmware() ? QStringLiteral("0") : QStringLiteral("1");
    QuietMessages quiet;

    profile::RestorePlan plan;
    profile::ParseError problem;
    const auto outcome = profile::plan(session, *p, plan, &problem);
    c.expect(outcome != profile::Outcome::LineFailed, QStringLiteral("the simulated adapter was not read"));
    if (outcome == profile::Outcome::Refused) {
        c.expect(problem.line >= 1 && problem.line <= lines && !problem.message.isEmpty(),
                 QStringLiteral("refused at line %1 of %2: %3").arg(problem.line).arg(lines).arg(problem.message));
        return c.findings();
    }
    for (const SettingValues::Entry &e : plan.wanted.entries()) {
        const SettingKey *k = profile::findKey(profile::settingKeys(), e.section, e.key);
        c.expect(k && k->accepts(e.value), QStringLiteral("plan wants %1/%2 = %3").arg(e.section, e.key, shown(e.value)));
        if (k && !session.newFirmware())
            c.expect(!k->newFirmwareOnly && !(k->newFirmwareValue && k->newFirmwareValue(e.value)),
                     QStringLiteral("plan wants %1/%2 = %3 of older firmware").arg(e.section, e.key, e.value));
    }
    for (const profile::Difference &d : plan.changes)
        c.expect(d.right && d.setting->accepts(*d.right),
                 QStringLiteral("plan changes %1/%2 to %3").arg(d.setting->section, d.setting->key, shown(d.right.value_or(QString()))));
    const profile::ApplyResult applied = profile::apply(session, plan);
    c.expect(applied.outcome == profile::Outcome::Done && quiet.count == 0,
             QStringLiteral("restore failed on the line (%1 messages)").arg(quiet.count));
    for (const profile::Difference &d : applied.unverified)
        c.expect(false, QStringLiteral("after the restore %1").arg(profile::describe(d)));
    expectValuesAccepted(c, adapter);
    return c.findings();
}

// The traffic log: every line sent and received, whatever its bytes, is one
// line of the file, of printable ASCII only, that gives back the bytes; a
// text longer than a line's record gives back its first bytes, followed by
// the one mark outside ASCII and how many bytes more there were.
QByteArray unescaped(const QByteArray &text, bool *ok)
{
    QByteArray out;
    *ok = true;
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (next == 'r' || next == 'n' || next == '\\') {
            out += next == 'r' ? '\r' : next == 'n' ? '\n' : '\\';
            ++i;
        } else if (next == 'x') {
            const QByteArray digits = text.mid(i + 2, 2);
            bool hex = false;
            out += char(digits.toInt(&hex, 16));
            *ok = *ok && hex && digits.size() == 2;
            i += 3;
        } else {
            *ok = false;
        }
    }
    return out;
}

Findings trafficLog(const QByteArray &input)
{
    Checks c("traffic log");
    const QString path = scratch(QStringLiteral("traffic.log"));
    QFile::remove(path);
    QByteArray longer = input.isEmpty() ? QByteArray("x") : input; // beyond what a line takes
    while (longer.size() <= TrafficLog::kMaxRecord)
        longer += longer;
    const QList<QByteArray> texts{input, input, longer};
    {
        TrafficLog log;
        QString why;
        if (!log.open(path, &why))
            return c.findings();
        const QString port = QStringLiteral("rfc2217://[::1]:2000");
        log.sent(port, input);
        const QDateTime at(QDate(2001, 3, 15), QTime(23, 59, 59, 999));
        log.received(port, input, at);
        log.received(port, longer, at);
    }
    const QByteArray file = readFile(path);
    const QList<QByteArray> lines = file.split('\n');
    c.expect(lines.size() == 4 && lines.last().isEmpty(), QStringLiteral("%1 lines").arg(lines.size() - 1));
    static const QRegularExpression line(QStringLiteral(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} \[rfc2217://\[::1\]:2000\] (send|recv) )"));
    static const QRegularExpression cut(QStringLiteral("\u2026 \\((\\d+) bytes? more\\)$"));
    for (int i = 0; i < std::min(lines.size(), texts.size()); ++i) {
        const QByteArray &l = lines[i];
        const auto m = line.match(QString::fromLatin1(l));
        c.expect(m.hasMatch(), QStringLiteral("line %1").arg(shown(l)));
        if (!m.hasMatch())
            continue;
        QByteArray text = l.mid(m.capturedLength());
        const auto more = cut.match(QString::fromUtf8(text));
        if (more.hasMatch())
            text.chop(more.captured(0).toUtf8().size());
        const QByteArray &given = texts[i];
        const qsizetype kept = std::min<qsizetype>(given.size(), TrafficLog::kMaxRecord);
        c.expect(more.captured(1).toLongLong() == given.size() - kept,
                 QStringLiteral("%1 does not count the %2 bytes beyond the line").arg(shown(l)).arg(given.size() - kept));
        c.expect(std::all_of(text.begin(), text.end(), [](char ch) { return ch >= 0x20 && ch < 0x7f; }),
                 QStringLiteral("a control character in %1").arg(shown(text)));
        bool ok = false;
        c.expect(unescaped(text, &ok) == given.left(kept) && ok,
                 QStringLiteral("%1 does not give back the bytes").arg(shown(text)));
    }
    return c.findings();
}

// The options of the line both programs take, as arguments separated by NUL
// (the first byte: whether the program uses one port). Each --port either
// parses to one port, or the options are refused with the text as given
// quoted.
Findings lineOptions(const QByteArray &input)
{
    Checks c("line options");
    const bool choosesPort = !input.isEmpty() && (input[0] & 1);
    QStringList arguments{QStringLiteral("korvanta-cli")};
    for (const QByteArray &a : input.mid(1).split('\0'))
        arguments << QString::fromLocal8Bit(a);
    QCommandLineParser parser;
    addLineOptions(parser);
    if (!parser.parse(arguments))
        return c.findings();
    LineOptions options;
    QString error;
    const QStringList given = parser.values(QStringLiteral("port"));
    const auto absolute = [](const QString &path) { return QDir::cleanPath(QDir::current().absoluteFilePath(path)); };
    if (!readLineOptions(parser, choosesPort, options, &error)) {
        c.expect(error.startsWith(QStringLiteral("--port: "))
                     && std::any_of(given.begin(), given.end(), [&](const QString &v) { return error.contains(u'"' + v + u'"'); }),
                 QStringLiteral("refused without the text quoted: %1").arg(shown(error)));
        return c.findings();
    }
    // Each COM number leads where its last COMn=PATH says.
    static const QRegularExpression assignment(QStringLiteral(R"(\A(?i:COM)([1-9])=(.+)\z)"),
                                               QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression com(QStringLiteral(R"(\A(?i:COM)([0-9]+)\z)"));
    QMap<int, QString> mapped;
    for (const QString &v : given) {
        if (const auto m = assignment.match(v); m.hasMatch())
            mapped.insert(m.captured(1).toInt(), absolute(m.captured(2)));
        else
            c.expect(choosesPort, QStringLiteral("%1 taken by a program without a port").arg(shown(v)));
    }
    for (auto it = mapped.cbegin(); it != mapped.cend(); ++it)
        c.expect(options.ports.devicePath(it.key()) == it.value(),
                 QStringLiteral("COM%1 leads to %2, not %3").arg(it.key()).arg(shown(options.ports.devicePath(it.key())), shown(it.value())));
    if (!choosesPort || given.isEmpty()) {
        c.expect(options.port == 0 && !options.device, QStringLiteral("a port without --port"));
        return c.findings();
    }
    // The last one names the port: one COM number, or one device.
    const QString &last = given.last();
    const QString device = options.device ? options.device->text() : QString();
    c.expect((options.port >= kFirstComPort && options.port <= kLastComPort) != options.device.has_value(),
             QStringLiteral("%1 gave port %2 and device %3").arg(shown(last)).arg(options.port).arg(shown(device)));
    if (const auto m = assignment.match(last); m.hasMatch())
        c.expect(options.port == m.captured(1).toInt(), QStringLiteral("%1 gave port %2").arg(shown(last)).arg(options.port));
    else if (const auto n = com.match(last); n.hasMatch())
        c.expect(options.port == n.captured(1).toInt(), QStringLiteral("%1 gave port %2").arg(shown(last)).arg(options.port));
    else if (isNetworkAddress(last))
        c.expect(options.device && options.device->isNetwork(), QStringLiteral("%1 gave device %2").arg(shown(last), shown(device)));
    else if (!options.device || options.device->name.isEmpty()) // not a name from the user's ports.conf
        c.expect(options.device && options.device->path == absolute(last),
                 QStringLiteral("%1 gave device %2").arg(shown(last), shown(device)));
    return c.findings();
}

// The simulator program's state file: what it loads from one is what its
// settings accept, the adapter then answers as it holds, and what it writes
// reads back the same.
Findings simulatorState(const QByteArray &input)
{
    Checks c("simulator state");
    const QString path = scratch(QStringLiteral("sim.state"));
    if (!writeFile(path, input))
        return c.findings();
    const QMap<QString, QString> loaded = sim::readStateFile(path);
    for (const bool old : {false, true}) {
        sim::Faults faults;
        if (old)
            faults.firmware = sim::kOldFirmware;
        sim::SimulatedAdapter adapter(faults);
        adapter.setStoredSettings(loaded);
        adapter.powerCycle();
        expectValuesAccepted(c, adapter);
        expectReadAsHeld(c, adapter);
        const QString written = scratch(QStringLiteral("sim-written.state"));
        c.expect(sim::writeStateFile(written, adapter.storedSettings()), QStringLiteral("not written"));
        c.expect(sim::readStateFile(written) == adapter.storedSettings(), QStringLiteral("read back other settings"));
    }
    return c.findings();
}

const Target kTargets[] = {
    {"tel_listing", "telephone port listing (AT\\S2..AT\\S4)", telephoneListing},
    {"data_listing", "data port listing (AT\\S5, AT\\S6)", dataListing},
    {"three_digit", "three-digit replies and the scans under them", threeDigitReplies},
    {"register", "register reply at position 11", registerReply},
    {"directory", "short-dial directory (AT&Z0?..&Z19?)", directory},
    {"firmware", "identification: model name and firmware text", firmware},
    {"sim_command", "simulated adapter's command-line parser", simulatorCommands},
    {"profile", "settings profile file", profileFile},
    {"work_file", "the work file mail.ini: loading, fetch and the 255-character cut, store", workFile},
    {"profile_rules", "a profile's rules and checks across settings, its plan and restore", profileRules},
    {"traffic_log", "the traffic log's escaping", trafficLog},
    {"line_options", "the options of the line: --port COMn, PATH, COMn=PATH", lineOptions},
    {"sim_state", "the simulator program's state file", simulatorState},
};

} // namespace

std::span<const Target> targets()
{
    return kTargets;
}

const Target *target(const QByteArray &name)
{
    for (const Target &t : kTargets)
        if (name == t.name)
            return &t;
    return nullptr;
}

} // namespace korvanta::fuzz
