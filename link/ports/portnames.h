// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/transport/address.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace korvanta {

// A SHA-256 fingerprint as ports.conf keeps it, "SHA256:" and 32 bytes in
// upper-case hex joined by ":", from that form, or the bytes with or without
// the colons, with or without "SHA256:". Nothing when it is none.
std::optional<QString> normalFingerprint(const QString &text);

// Sets one setting of a port, as its line "KEY = VALUE" in ports.conf does
// (keys: ca, fingerprint, cert, key, deadline-scale; the key known); false
// with why when the value is not one the key takes.
bool setPortSetting(PortAddress::Settings &settings, const QString &key, const QString &value, QString *why);

// The user's port names: $XDG_CONFIG_HOME/korvanta/ports.conf, one
// "NAME = ADDRESS" a line, "#" comments. Indented "KEY = VALUE" lines below a
// port give its settings (PortAddress::Settings): ca, fingerprint, cert, key
// (files; "~/" the home folder) and deadline-scale. A bad line is left out and
// named in problems(), with the file's name and line number; the others
// count.
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
