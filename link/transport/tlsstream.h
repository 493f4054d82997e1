// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/transport/tcpstream.h"

#include <QSslCertificate>
#include <QSslError>
#include <QSslSocket>

namespace korvanta {

// A TLS connection to a console server. The server is trusted when its
// certificate chains to the system's CAs, or to the port's own CA (ca), and
// names the host; or, instead, when it is exactly the certificate pinned by
// its SHA-256 (fingerprint), whatever a CA says of it. Nothing goes to the
// server before that is settled, and there is no way to skip it. A port's
// client certificate and key (cert, key) answer a server that asks for one.
class TlsStream : public TcpStream {
    Q_OBJECT
public:
    explicit TlsStream(QObject *parent = nullptr);

    bool open(const PortAddress &address, const QDeadlineTimer &deadline, QString *why) override;
    bool isConnected() const override;
    QString closingHint() const override;
    TrustOffer trustOffer() const override { return m_offer; }

    // "SHA256:AB:CD:…", the SHA-256 of the certificate's DER, as ports.conf pins it.
    static QString fingerprint(const QSslCertificate &certificate);

protected:
    void startConnecting(const PortAddress &address) override;

private:
    QSslSocket *socket() const { return static_cast<QSslSocket *>(m_socket); }
    // The socket set up for the address's settings; false with why when a file is unreadable.
    bool configure(const PortAddress &address, QString *why);
    // Why the server's certificate is refused, from what the check found;
    // what the operator could trust in m_offer.
    QString refusal(const PortAddress &address, const QList<QSslError> &errors);

    QList<QSslError> m_errors; // what the last handshake found against the server's certificate
    QString m_pin;             // the pinned fingerprint; empty: the CAs decide
    bool m_heard = false;      // the server has sent something since the handshake
    TrustOffer m_offer;        // the certificate of the last refusal, when it is only unknown
};

} // namespace korvanta
