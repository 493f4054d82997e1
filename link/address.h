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
// RFC 2217 (rfc2217://HOST:PORT) or as raw TCP (tcp://HOST:PORT). Both
// programs, the port dialog and `korvanta-cli ports` read addresses here.
struct PortAddress {
    enum Kind { Device, Rfc2217, Tcp };
    Kind kind = Device;
    QString path;      // Device: the device file
    QString host;      // network: a host name or an IP address (without brackets)
    quint16 port = 0;  // network: the TCP port
    QString name;      // the name ports.conf gives it; empty when none

    static PortAddress device(const QString &path)
    {
        PortAddress address;
        address.path = path;
        return address;
    }
    bool isNetwork() const { return kind != Device; }
    // As written: "/dev/ttyUSB0", "rfc2217://rack1:2001", "tcp://[::1]:2002".
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

// A network address ("rfc2217://HOST:PORT", "tcp://HOST:PORT", IPv6 as
// "[::1]:PORT"), or else a device path taken as it is. Nothing, with why
// (the address quoted), when a network address is malformed, has no port
// number or an unknown scheme.
std::optional<PortAddress> parseAddress(const QString &text, QString *why = nullptr);

// The user's port names: $XDG_CONFIG_HOME/korvanta/ports.conf, one
// "NAME = ADDRESS" a line, "#" comments. A bad line is left out and named in
// problems(), with the file's name and line number; the others count.
class PortNames {
public:
    static QString defaultPath();
    static PortNames load(const QString &path = defaultPath());
    static PortNames parse(const QByteArray &text, const QString &fileName);

    // A name: letters, digits, "-", "_" and "."; not COMn.
    static bool validName(const QString &name);

    // Whether a new port may take the name: valid and not yet taken; false
    // with why.
    bool acceptsName(const QString &name, QString *why) const;

    const QList<PortAddress> &ports() const { return m_ports; }
    const QStringList &problems() const { return m_problems; }
    std::optional<PortAddress> find(const QString &name) const;

    // Adds the line "NAME = ADDRESS" to the file (made with its folder when
    // missing), and the port to this list. False with why when the name is
    // not valid or already taken, or the file cannot be written.
    bool add(const QString &path, const QString &name, const PortAddress &address, QString *why);

private:
    QList<PortAddress> m_ports;
    QStringList m_problems;
};

} // namespace korvanta
