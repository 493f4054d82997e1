// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/transport/telnetcodec.h"

namespace korvanta {

namespace {
enum : quint8 {
    kSe = 240,
    kSb = 250,
    kWill = 251,
    kWont = 252,
    kDo = 253,
    kDont = 254,
    kIac = 255,
    kCr = '\r',
};
// The COM port option's requests; the server answers each with its number + 100.
enum : quint8 {
    kSetBaudRate = 1,
    kSetDataSize = 2,
    kSetParity = 3,
    kSetStopSize = 4,
    kSetControl = 5,
    kNotifyLineState = 6,
    kNotifyModemState = 7,
    kServerOffset = 100,
};

void appendEscaped(QByteArray &out, quint8 byte)
{
    out += char(byte);
    if (byte == kIac)
        out += char(kIac);
}

QByteArray request(quint8 command, const QByteArray &value)
{
    QByteArray out{"\xff\xfa"};
    out += char(TelnetCodec::ComPortOption);
    out += char(command);
    for (char c : value)
        appendEscaped(out, quint8(c));
    return out + "\xff\xf0";
}
} // namespace

TelnetCodec::TelnetCodec(bool comPort) : m_comPortWanted(comPort) {}

QByteArray TelnetCodec::opening()
{
    QByteArray out;
    const auto ask = [&out](Side &side, quint8 verb, quint8 option) {
        side = WantYes;
        out += char(kIac), out += char(verb), out += char(option);
    };
    ask(m_us[Binary], kWill, Binary);
    ask(m_him[Binary], kDo, Binary);
    if (m_comPortWanted)
        ask(m_us[ComPortOption], kWill, ComPortOption);
    return out;
}

QByteArray TelnetCodec::setLine(const Line &line)
{
    const quint32 b = line.baud;
    const char baud[] = {char(b >> 24), char(b >> 16), char(b >> 8), char(b)};
    return request(kSetBaudRate, QByteArray(baud, 4)) + request(kSetDataSize, QByteArray(1, char(line.dataSize)))
        + request(kSetParity, QByteArray(1, char(line.parity)))
        + request(kSetStopSize, QByteArray(1, char(line.stopSize)))
        + request(kSetControl, QByteArray(1, char(line.control)));
}

QByteArray TelnetCodec::encode(const QByteArray &data) const
{
    QByteArray out;
    out.reserve(data.size() + 8);
    for (char c : data) {
        appendEscaped(out, quint8(c));
        if (c == kCr && !binaryOut())
            out += '\0';
    }
    return out;
}

QByteArray TelnetCodec::decode(const QByteArray &bytes)
{
    QByteArray data;
    for (const char c : bytes) {
        const quint8 byte = quint8(c);
        switch (m_state) {
        case State::Cr:
            m_state = State::Data;
            if (byte == 0)
                break; // CR NUL is a CR
            [[fallthrough]];
        case State::Data:
            if (byte == kIac)
                m_state = State::Iac;
            else {
                data += c;
                if (byte == kCr && !binaryIn())
                    m_state = State::Cr;
            }
            break;
        case State::Iac:
            m_state = State::Data;
            if (byte == kIac)
                data += c;
            else if (byte >= kWill)
                m_verb = byte, m_state = State::Verb;
            else if (byte == kSb)
                m_state = State::SbOption;
            break; // NOP, GA, a stray SE and the rest carry nothing here
        case State::Verb:
            negotiate(m_verb, byte);
            m_state = State::Data;
            break;
        case State::SbOption:
            m_sbOption = byte;
            m_sb.clear();
            m_sbOverflow = false;
            m_state = State::Sb;
            break;
        case State::Sb:
        case State::SbIac:
            if (m_state == State::Sb && byte == kIac) {
                m_state = State::SbIac;
                break;
            }
            if (m_state == State::SbIac && byte != kIac) {
                // IAC SE ends it; IAC and anything else ends it unread.
                if (byte == kSe && !m_sbOverflow)
                    subnegotiation();
                m_sb.clear();
                m_state = byte == kSe ? State::Data : State::Iac;
                if (m_state == State::Iac) // that command counts as one of its own
                    m_state = State::Data, data += decode(QByteArray("\xff", 1) + c);
                break;
            }
            m_state = State::Sb;
            if (m_sb.size() < kMaxSubnegotiation)
                m_sb += c;
            else
                m_sbOverflow = true;
            break;
        }
    }
    return data;
}

QByteArray TelnetCodec::takeReplies()
{
    QByteArray out;
    out.swap(m_replies);
    return out;
}

TelnetCodec::Agreement TelnetCodec::comPort() const
{
    if (m_comPortRefused)
        return Agreement::Refused;
    return m_us[ComPortOption] == Yes ? Agreement::Agreed : Agreement::Asked;
}

bool TelnetCodec::weAccept(quint8 option, bool ours) const
{
    // The COM port option is the client's to offer; a server offers none.
    return option == Binary || (ours && option == ComPortOption && m_comPortWanted);
}

void TelnetCodec::reply(quint8 verb, quint8 option)
{
    if (m_replies.size() >= kMaxReplies)
        return;
    m_replies += char(kIac);
    m_replies += char(verb);
    m_replies += char(option);
}

// Each side of each option as RFC 1143 keeps it, without queued changes: a
// request that matches the side's state is never answered, so no two
// parties loop, and every answer follows one request of the server's.
void TelnetCodec::negotiate(quint8 verb, quint8 option)
{
    const bool ours = verb == kDo || verb == kDont; // about what we do
    Side &side = ours ? m_us[option] : m_him[option];
    const bool enable = verb == kDo || verb == kWill;
    const quint8 yes = ours ? kWill : kDo, no = ours ? kWont : kDont;
    if (enable) {
        if (side == Yes)
            return;
        if (weAccept(option, ours)) {
            if (side == No)
                reply(yes, option);
            side = Yes;
        } else {
            reply(no, option);
        }
        return;
    }
    if (side == Yes)
        reply(no, option);
    else if (side == WantYes && ours && option == ComPortOption)
        m_comPortRefused = true;
    side = No;
}

void TelnetCodec::subnegotiation()
{
    if (m_sbOption != ComPortOption || m_sb.size() < 2)
        return;
    const quint8 command = quint8(m_sb[0]);
    const quint8 value = quint8(m_sb[1]);
    switch (command) {
    case kServerOffset + kSetBaudRate:
        if (m_sb.size() >= 5) {
            quint32 baud = 0;
            for (int i = 1; i < 5; ++i)
                baud = (baud << 8) | quint8(m_sb[i]);
            m_answers.baud = baud;
        }
        break;
    case kServerOffset + kSetDataSize:
    case kServerOffset + kSetParity:
    case kServerOffset + kSetStopSize: {
        static constexpr std::optional<quint8> Answers::*kFraming[] = {&Answers::dataSize, &Answers::parity,
                                                                       &Answers::stopSize};
        m_answers.*kFraming[command - kServerOffset - kSetDataSize] = value;
        break;
    }
    case kServerOffset + kSetControl:
        // Only an answer about outbound flow control: break, DTR, RTS and
        // inbound flow are answered with the same command.
        if (value <= 3)
            m_answers.control = value;
        break;
    case kServerOffset + kNotifyLineState:
        m_lineState = value, ++m_notifications;
        break;
    case kServerOffset + kNotifyModemState:
        m_modemState = value, ++m_notifications;
        break;
    default:
        break; // the signature, flow control suspend and resume, masks, purge
    }
}

} // namespace korvanta
