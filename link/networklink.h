// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/address.h"
#include "link/link.h"
#include "link/telnetcodec.h"

#include <QTcpSocket>

#include <memory>

namespace korvanta {

// The link to an adapter on a console server: raw TCP, or telnet with the COM
// port control of RFC 2217, which sets the server's port to 19200 bit/s, 8
// data bits, no parity, one stop bit and no flow control before the line
// counts as open. Reads never wait; a connection that ends is a lost line.
class NetworkLink : public Link {
    Q_OBJECT
public:
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
    QString whyNotOpen() const override { return m_whyNotOpen; }
    QString whyLost() const override;

protected:
    QByteArray readBuffered(int max) override;

private:
    void onReadyRead();
    void onEnded();
    bool connectToServer();
    bool negotiate();
    QString closedReason() const;

    PortAddress m_address;
    Deadlines m_deadlines;
    QTcpSocket m_socket;
    std::unique_ptr<TelnetCodec> m_codec; // rfc2217:// only
    QByteArray m_input;
    QByteArray m_banner; // what a server said before it closed an opening connection
    bool m_open = false;
    bool m_ended = false; // the connection ended (reported once as a lost line)
    QString m_whyNotOpen;
};

} // namespace korvanta
