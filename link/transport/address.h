// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace korvanta {

// Where a port leads: a serial device, or a serial port that a console
// server offers on the network, by telnet with the COM port control of
// RFC 2217 (rfc2217://HOST:PORT) or as raw TCP (tcp://HOST:PORT), either
// within TLS ("rfc2217+tls://", "tcp+tls://"), or in a secure shell's
// channel (ssh://[USER@]HOST[:PORT], port 22 if none). Both
// programs, the port dialog and `korvanta-cli ports` read addresses here.
struct PortAddress {
    // What the adapter's bytes travel in: a device's own line, telnet with
    // RFC 2217, or raw.
    enum Kind { Device, Rfc2217, Tcp };
    // What carries a network port's bytes (streamFor()).
    enum class Carrier { Tcp, Tls, Ssh };
    Kind kind = Device;
    Carrier carrier = Carrier::Tcp;
    QString path;      // Device: the device file
    QString host;      // network: a host name or an IP address (without brackets)
    quint16 port = 0;  // network: the TCP port
    QString name;      // the name ports.conf gives it; empty when none
    QString user;      // a secure shell's user; empty: the local user's name

    // What a port of ports.conf says besides its address ("KEY = VALUE"
    // lines below it): whom a secure carrier trusts and what it shows of
    // itself, and how much longer than usual the line may take.
    struct Settings {
        QString caFile;      // ca: the CA a TLS server's certificate must chain to; empty: the system's
        QString fingerprint; // fingerprint: the server's certificate pinned by its SHA-256 ("SHA256:AB:CD:…")
        QString certFile;    // cert: the client's certificate, for a server that asks for one
        QString keyFile;     // key: its private key; for a secure shell, the key it logs in with
        double deadlineScale = 1.0; // deadline-scale: every deadline of the line this many times as long
        bool operator==(const Settings &other) const = default;
    } settings;

    static PortAddress device(const QString &path)
    {
        PortAddress address;
        address.path = path;
        return address;
    }
    bool isNetwork() const { return kind != Device; }
    // As written: "/dev/ttyUSB0", "rfc2217://rack1:2001", "tcp://[::1]:2002",
    // "ssh://admin@rack1:22".
    QString text() const;
    // What messages, the traffic log and backups call it: its name, else text().
    QString label() const { return name.isEmpty() ? text() : name; }
    // Whether it goes by label() rather than a device's own stable name:
    // named, or on the network.
    bool byLabel() const { return isNetwork() || !name.isEmpty(); }
    bool operator==(const PortAddress &other) const = default;
};

// Whether the text is meant as a network address ("SCHEME://...").
bool isNetworkAddress(const QString &text);

// A network address ("rfc2217://HOST:PORT", "tcp://HOST:PORT",
// "ssh://[USER@]HOST[:PORT]", IPv6 as "[::1]:PORT"), or else a device path taken as it is. Nothing, with why
// (the address quoted), when a network address is malformed, has no port
// number or an unknown scheme.
std::optional<PortAddress> parseAddress(const QString &text, QString *why = nullptr);

} // namespace korvanta
