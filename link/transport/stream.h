// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/transport/address.h"
#include "link/transport/trust.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QObject>
#include <QString>

namespace korvanta {

// The bytes to and from a console server's port, under the network link: a
// TCP connection, or a secure channel over one. Each kind opens its own way
// and says why it did not; the network link stacks the telnet codec on
// whichever it gets (streamFor()).
class ByteStream : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Connects within the deadline; false with why, in Japanese, the address
    // named. Whatever was left of an earlier connection ends first.
    virtual bool open(const PortAddress &address, const QDeadlineTimer &deadline, QString *why) = 0;
    // Ends at once; close() sends what is written first.
    virtual void abort() = 0;
    virtual void close() = 0;
    virtual qint64 write(const QByteArray &bytes) = 0;
    virtual QByteArray read(qint64 max) = 0;
    virtual qint64 bytesAvailable() const = 0;
    virtual qint64 bytesToWrite() const = 0;
    virtual bool isConnected() const = 0;
    // Once ended: whether the server closed it, rather than the network
    // failing; and the system's words for what happened.
    virtual bool closedByServer() const = 0;
    virtual QString errorString() const = 0;
    // What may have made the server close a connection it had just taken,
    // as a sentence to add to the message; empty when nothing is known.
    virtual QString closingHint() const { return {}; }
    // After an open refused a server it does not know: what the operator
    // could trust (applyTrust()); nothing otherwise.
    virtual TrustOffer trustOffer() const { return {}; }
    // At most this many bytes wait unread inside the stream: beyond that the
    // server is held back.
    virtual void setReadBufferSize(qint64 size) = 0;

signals:
    void readyRead();
    void bytesWritten();
    void ended(); // the connection ended, whoever ended it
};

} // namespace korvanta
