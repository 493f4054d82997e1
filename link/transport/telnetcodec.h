// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

#include <optional>

namespace korvanta {

// The telnet protocol with the COM port control option of RFC 2217, as a
// client speaks it: bytes from the server in, the data and the server's
// answers out; data to the server in, bytes to send out. No socket here: the
// network link moves the bytes.
//
// The codec asks for BINARY both ways and, for a COM port, the option 44;
// every other option is refused. 255 in data goes out doubled and comes back
// undoubled; CR passes as it is in BINARY, as CR NUL otherwise. The server's
// notifications (line state, modem state) are kept, never passed on as data.
// However the server floods negotiation or subnegotiation, the codec never
// answers more bytes than it took, keeps at most kMaxSubnegotiation bytes of
// a subnegotiation and kMaxReplies bytes of answers not yet taken (a server
// asking faster than its answers are taken gets no more), and never loops.
class TelnetCodec {
public:
    enum Option : unsigned char { Binary = 0, ComPortOption = 44 };
    static constexpr int kMaxSubnegotiation = 64;
    static constexpr int kMaxReplies = 3 * 256;

    // The line settings of a COM port, in the option's own numbers.
    struct Line {
        quint32 baud = 19200;
        quint8 dataSize = 8;
        quint8 parity = 1;   // none
        quint8 stopSize = 1; // one stop bit
        quint8 control = 1;  // no flow control
    };
    // What the server answered to each setting; nothing where it has not yet.
    struct Answers {
        std::optional<quint32> baud;
        std::optional<quint8> dataSize, parity, stopSize, control;
        bool complete() const { return baud && dataSize && parity && stopSize && control; }
    };
    enum class Agreement { Asked, Agreed, Refused };

    explicit TelnetCodec(bool comPort = true);

    // What the client sends first: WILL and DO BINARY, WILL COM-PORT-OPTION.
    QByteArray opening();
    // The requests that set the server's port to line.
    static QByteArray setLine(const Line &line);

    // Data for the server, escaped.
    QByteArray encode(const QByteArray &data) const;
    // Takes bytes from the server; returns the data among them. Answers to
    // the server's requests wait in takeReplies().
    QByteArray decode(const QByteArray &bytes);
    QByteArray takeReplies();

    Agreement comPort() const;
    bool binaryOut() const { return m_us[Binary] == Yes; }
    bool binaryIn() const { return m_him[Binary] == Yes; }
    const Answers &answers() const { return m_answers; }
    // The last line state and modem state the server notified, and how many
    // notifications came.
    quint8 lineState() const { return m_lineState; }
    quint8 modemState() const { return m_modemState; }
    int notifications() const { return m_notifications; }

private:
    enum Side : quint8 { No, Yes, WantYes };
    enum class State { Data, Cr, Iac, Verb, SbOption, Sb, SbIac };

    void negotiate(quint8 verb, quint8 option);
    void reply(quint8 verb, quint8 option);
    void subnegotiation();
    bool weAccept(quint8 option, bool ours) const;

    bool m_comPortWanted;
    Side m_us[256] = {};  // our side of each option (WILL)
    Side m_him[256] = {}; // the server's side (DO)
    bool m_comPortRefused = false;
    State m_state = State::Data;
    quint8 m_verb = 0;
    quint8 m_sbOption = 0;
    bool m_sbOverflow = false;
    QByteArray m_sb;
    QByteArray m_replies;
    Answers m_answers;
    quint8 m_lineState = 0;
    quint8 m_modemState = 0;
    int m_notifications = 0;
};

} // namespace korvanta
