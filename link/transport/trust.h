// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/transport/address.h"

#include <QByteArray>
#include <QString>

namespace korvanta {

// What the operator could trust when a secure stream refused a server it
// does not know: a TLS server's certificate, by its fingerprint, or an SSH
// server's host key, by the known_hosts line that names it. A server whose
// certificate or key changed offers nothing.
struct TrustOffer {
    enum Kind { Nothing, TlsCertificate, SshHostKey };
    Kind kind = Nothing;
    QString fingerprint;        // "SHA256:…" as the refusal says it
    QByteArray knownHostsLine;  // SshHostKey: the line known_hosts takes, without its newline

    explicit operator bool() const { return kind != Nothing; }
};

// The user's OpenSSH files: ~/.ssh and its known_hosts.
QString sshDirectory();
QString knownHostsFile();

// Trusts what was offered from now on: an SSH host key is added to
// ~/.ssh/known_hosts (the folder made 0700, the file 0600, when missing); a
// TLS certificate is pinned in the port's settings, for the caller to keep.
// False with why.
bool applyTrust(const TrustOffer &offer, PortAddress::Settings &settings, QString *why);

} // namespace korvanta
