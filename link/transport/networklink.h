// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/transport/address.h"
#include "link/transport/link.h"
#include "link/transport/stream.h"
#include "link/transport/telnetcodec.h"


#include <memory>

namespace korvanta {

// The link to an adapter on a console server, over the byte stream its
// address's scheme takes (streamFor()): raw, or telnet with the COM port
// control of RFC 2217, which sets the server's port to 19200 bit/s, 8
// data bits, no parity, one stop bit and no flow control before the line
// counts as open. Reads never wait; a connection that ends is a lost line.
// Whatever the server sends, what the link holds stays bounded: data not yet
// read up to kMaxInput bytes (beyond that the server is held back, nothing is
// lost), and the answers to its telnet requests up to kMaxUnsent bytes not yet
// sent (beyond that they wait in the codec, which keeps a bounded number).
class NetworkLink : public Link {
    Q_OBJECT
public:
    static constexpr int kMaxInput = 64 * 1024;
    static constexpr int kMaxUnsent = 64 * 1024;

    struct Deadlines {
        int connectMs = 5000;   // the server accepts the connection
        int negotiateMs = 3000; // it answers the option and every setting
    };

    explicit NetworkLink(const PortAddress &address, QObject *parent = nullptr);

    const PortAddress &address() const { return m_address; }
    void setDeadlines(const Deadlines &deadlines) { m_deadlines = deadlines; }

    bool open() override;
    void close() override;
    bool isOpen() const override { return m_open; }
    void output(const QByteArray &text) override;
    int inBufferCount() const override { return m_open ? int(m_input.size()) : 0; }
    int outBufferCount() const override;
    QString description() const override { return m_address.label(); }
    bool overNetwork() const override { return true; }
    QString whyNotOpen() const override { return m_whyNotOpen; }
    QString whyLost() const override;
    // What the operator could trust after an open refused an unknown server.
    TrustOffer trustOffer() const { return m_stream->trustOffer(); }

protected:
    QByteArray readBuffered(int max) override;

private:
    void pump();
    void answer();
    void onEnded();
    bool negotiate();
    QString closedReason() const;

    PortAddress m_address;
    Deadlines m_deadlines;
    ByteStream *m_stream = nullptr; // a child, where a test finds its socket
    std::unique_ptr<TelnetCodec> m_codec; // rfc2217:// only
    QByteArray m_input;
    QByteArray m_banner; // what the server said before the adapter was asked anything
    bool m_asked = false; // a command went out: what comes now is the adapter's
    bool m_open = false;
    bool m_pumpQueued = false;
    bool m_ended = false; // the connection ended (reported once as a lost line)
    bool m_closedByServer = false; // it ended as the server closed it, not by a network error
    QString m_whyNotOpen;
};

} // namespace korvanta
