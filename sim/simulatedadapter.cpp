// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/simulatedadapter.h"

#include <algorithm>

namespace korvanta::sim {

namespace {

// Characters beyond this are dropped, as from a full line buffer; the longest
// real line, the directory read, has 92 characters.
constexpr int kMaxLine = 1024;

QByteArray digitsAt(const QByteArray &body, int pos)
{
    int end = pos;
    while (end < body.size() && body[end] >= '0' && body[end] <= '9')
        ++end;
    return body.mid(pos, end - pos);
}

QByteArray threeDigits(const QByteArray &number)
{
    return QByteArray::number(number.toInt()).rightJustified(3, '0');
}

} // namespace

bool Faults::matches(const QByteArray &pattern, const QByteArray &line)
{
    return pattern.endsWith('*') ? line.startsWith(pattern.chopped(1)) : line == pattern;
}

SimulatedAdapter::SimulatedAdapter(const Faults &faults, QObject *parent) : QObject(parent)
{
    setFaults(faults);
    m_state.working = m_state.stored = factoryValues(oldFirmware());
    connect(&m_out, &Pacer::delivered, this, &SimulatedAdapter::transmitted);
    connect(&m_out, &Pacer::hungUp, this, &SimulatedAdapter::lineLost);
}

void SimulatedAdapter::setFaults(const Faults &faults)
{
    m_faults = faults;
    m_out.setCharTimeUs(faults.charTimeUs);
}

// ---- the engine ----

std::optional<QByteArray> SimulatedAdapter::edit(char c)
{
    switch (c) {
    case '\r': {
        const QByteArray line = m_line;
        m_line.clear();
        m_lineOpen = false;
        if (line.isEmpty())
            return std::nullopt;
        return line;
    }
    case '\n':
        return std::nullopt;
    case '\b':
        m_lineOpen = true;
        m_line.chop(1);
        return std::nullopt;
    default:
        m_lineOpen = true;
        if (m_line.size() < kMaxLine)
            m_line += c;
        return std::nullopt;
    }
}

QByteArray SimulatedAdapter::respond(const QByteArray &bytes)
{
    QByteArray out;
    for (char c : bytes) {
        if (m_state.echo && !m_faults.silent)
            out += c;
        if (const auto line = edit(c))
            out += answer(*line);
    }
    return out;
}

QByteArray SimulatedAdapter::answer(const QByteArray &line)
{
    m_log.append(line);
    ++m_linesReceived;
    emit lineReceived(line);
    if (!m_faults.silentFrom.isEmpty() && faultOn(m_faults.silentFrom, line))
        m_faults.silent = true;
    if (m_faults.silent)
        return {};
    const bool refused = std::any_of(m_faults.errorFor.cbegin(), m_faults.errorFor.cend(),
                                     [&](const QByteArray &p) { return faultOn(p, line); });
    State next = m_state;
    QList<QByteArray> answers;
    if (refused || !interpret(line, next, answers))
        return frame({}, false, m_state.verbose);
    const bool storedChanged = next.stored != m_state.stored;
    m_state = next;
    if (storedChanged)
        emit stored();
    return frame(answers, true, m_state.verbose);
}

bool SimulatedAdapter::faultOn(const QByteArray &pattern, const QByteArray &line) const
{
    return Faults::matches(pattern, line) && (m_faults.atLine <= 0 || m_faults.atLine == m_linesReceived);
}

bool SimulatedAdapter::interpret(const QByteArray &line, State &state, QList<QByteArray> &answers) const
{
    if (line.size() < 2 || line.left(2).toUpper() != "AT")
        return false;
    const QByteArray body = line.mid(2).toUpper();
    int pos = 0;
    while (pos < body.size()) {
        const bool first = pos == 0;
        const Match m = matchAt(body, pos);
        if (!m.length)
            return false;
        pos += m.length;
        const bool ok = m.setting ? applySetting(*m.setting, body, pos, first, state, answers)
                                  : applyAction(*m.action, body, pos, state, answers);
        if (!ok)
            return false;
    }
    return true;
}

bool SimulatedAdapter::applySetting(const Setting &s, const QByteArray &body, int &pos, bool first,
                                    State &state, QList<QByteArray> &answers) const
{
    const bool old = oldFirmware();
    if (old && s.has(NewFirmware))
        return false;
    if (body.mid(pos, 1) == "?") {
        if (!s.has(Query))
            return false;
        ++pos;
        const QByteArray &v = state.working[s.key];
        answers.append(s.isText() ? QByteArray::number(s.index).rightJustified(2, '0') + ':' + v
                                  : threeDigits(v));
        return true;
    }
    if (s.has(OwnCommand) && !first)
        return false;
    if (s.has(Equals)) {
        if (body.mid(pos, 1) != "=")
            return false;
        ++pos;
    }
    const QByteArray value = s.has(OwnCommand) ? body.mid(pos) : digitsAt(body, pos);
    pos += value.size();
    QByteArray normalised;
    if (pos != body.size() && s.has(OwnCommand))
        return false;
    if (!s.accepts(value, &normalised) || (old && !s.knownToOldFirmware(normalised)))
        return false;
    const QByteArray partner = partnerOf(s.key);
    if (!partner.isEmpty() && normalised != "0" && state.working.value(partner) == normalised)
        return false;
    if (!m_faults.keeps.contains(s.key))
        state.working[s.key] = normalised;
    return true;
}

bool SimulatedAdapter::applyAction(const ActionDef &a, const QByteArray &body, int &pos, State &state,
                                   QList<QByteArray> &answers) const
{
    const QByteArray digits = digitsAt(body, pos);
    pos += digits.size();
    if (digits.isEmpty() && !a.argumentOptional)
        return false;
    const int v = digits.isEmpty() ? a.min : digits.size() > 3 ? -1 : digits.toInt();
    if (v < a.min || v > a.max)
        return false;
    switch (a.action) {
    case Action::Echo:
        state.echo = v;
        break;
    case Action::Verbose:
        state.verbose = v;
        break;
    case Action::Identify:
        answers.append(m_faults.model);
        break;
    case Action::Firmware:
        answers.append(m_faults.firmware);
        break;
    case Action::Listing:
        answers.append(listing(v - 1, state.working));
        break;
    case Action::Store:
        state.stored = state.working;
        break;
    case Action::FactoryKeepDial:
    case Action::FactoryAll:
        state.working = factoryValues(oldFirmware(), state.working, a.action == Action::FactoryKeepDial);
        break;
    }
    return true;
}

// Lines of one answer are joined by a single CR LF: the utility's scans rely
// on the token line following the number lines that closely.
QByteArray SimulatedAdapter::listing(int port, const Values &v) const
{
    const PortDef &p = allPorts()[port - 1];
    const QByteArray n = QByteArray::number(p.port);
    const QByteArray label = p.label;
    QByteArray address = label + " ADR:" + v["$C" + n];
    if (const QByteArray sub = v["$E" + n]; !sub.isEmpty())
        address += '*' + sub;
    QList<QByteArray> lines{address};
    if (p.forwarding)
        lines.append(label + " FWD:" + v["$G" + n]);
    QList<QByteArray> tokens;
    for (const char *t = p.tokens; *t; ++t)
        tokens.append('$' + QByteArray(1, *t) + n + ':' + v['$' + QByteArray(1, *t) + n]);
    lines.append(tokens.join(' '));
    return lines.join("\r\n");
}

QByteArray SimulatedAdapter::frame(const QList<QByteArray> &answers, bool ok, bool verbose) const
{
    QByteArray out;
    for (const QByteArray &a : answers)
        out += verbose ? "\r\n" + a + "\r\n" : a + "\r\n";
    if (verbose)
        out += ok ? "\r\nOK\r\n" : "\r\nERROR\r\n";
    else
        out += ok ? "0\r" : "4\r";
    return out;
}

// ---- the line ----

void SimulatedAdapter::receive(const QByteArray &bytes)
{
    QByteArray echo;
    for (char c : bytes) {
        if (m_lineLost)
            return;
        const bool opensLine = !m_lineOpen && c != '\r' && c != '\n';
        if (opensLine && !m_faults.silent && !m_faults.noise.isEmpty()) {
            m_out.send(echo);
            echo.clear();
            m_out.send(m_faults.noise);
        }
        if (m_state.echo && !m_faults.silent)
            echo += c;
        if (const auto line = edit(c)) {
            m_out.send(echo);
            echo.clear();
            transmitReply(*line, answer(*line));
        }
    }
    m_out.send(echo);
}

void SimulatedAdapter::transmitReply(const QByteArray &line, QByteArray reply)
{
    const Faults &f = m_faults;
    const bool picked = f.dropOn.isEmpty() || faultOn(f.dropOn, line);
    const bool drop = f.dropAfter >= 0 && picked;
    if (drop)
        reply.truncate(f.dropAfter);
    else if (f.cutAfter >= 0 && picked)
        reply.truncate(f.cutAfter);
    QList<int> cuts;
    for (int i = f.fragmentSize; f.fragmentSize > 0 && i < reply.size(); i += f.fragmentSize)
        cuts.append(i);
    if (f.fragmentOk && reply.endsWith("\r\nOK\r\n"))
        cuts.append(reply.size() - 3); // right after the "O"
    std::sort(cuts.begin(), cuts.end());
    cuts.append(reply.size());
    int from = 0;
    // With a place given, only the reply of the line in that place waits.
    int pause = f.atLine <= 0 || f.atLine == m_linesReceived ? f.delayMs : 0;
    for (int cut : cuts) {
        if (cut > from)
            m_out.send(reply.mid(from, cut - from), pause);
        pause = f.fragmentPauseMs;
        from = cut;
    }
    if (drop) {
        m_lineLost = true;
        m_out.hangUp();
    }
}

// ---- state access ----

QStringList SimulatedAdapter::keys() const
{
    QStringList k;
    for (const Setting &s : allSettings())
        k.append(QString::fromLatin1(s.key));
    return k;
}

bool SimulatedAdapter::setChecked(Values &values, const QString &key, const QString &value)
{
    const Setting *s = findSetting(key.toLatin1());
    QByteArray normalised;
    if (!s || !s->accepts(value.toLatin1(), &normalised))
        return false;
    values[s->key] = normalised;
    return true;
}

bool SimulatedAdapter::setValue(const QString &key, const QString &value)
{
    return setChecked(m_state.working, key, value);
}

bool SimulatedAdapter::setStoredValue(const QString &key, const QString &value)
{
    return setChecked(m_state.stored, key, value);
}

QMap<QString, QString> SimulatedAdapter::storedSettings() const
{
    QMap<QString, QString> m;
    for (auto it = m_state.stored.cbegin(); it != m_state.stored.cend(); ++it)
        m.insert(QString::fromLatin1(it.key()), QString::fromLatin1(it.value()));
    return m;
}

void SimulatedAdapter::setStoredSettings(const QMap<QString, QString> &values)
{
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        // A file that newer firmware stored may hold values older firmware
        // lacks; one written by hand, a value its partner holds already, which
        // no command line could set.
        const Setting *s = findSetting(it.key().toLatin1());
        if (!s)
            continue;
        QByteArray value;
        if (!s->accepts(it.value().toLatin1(), &value) || (oldFirmware() && !s->has(NewFirmware) && !s->knownToOldFirmware(value)))
            continue;
        const QByteArray partner = partnerOf(s->key);
        if (!partner.isEmpty() && value != "0" && m_state.stored.value(partner) == value)
            continue;
        setStoredValue(it.key(), it.value());
    }
}

void SimulatedAdapter::factoryReset(bool keepDialInfo)
{
    m_state.working = factoryValues(oldFirmware(), m_state.working, keepDialInfo);
}

void SimulatedAdapter::powerCycle()
{
    m_state.working = m_state.stored;
    m_state.echo = m_state.verbose = true;
    m_line.clear();
    m_lineOpen = m_lineLost = false;
    m_out.clear();
}

} // namespace korvanta::sim
