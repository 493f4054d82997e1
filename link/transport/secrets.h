// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

namespace korvanta {

// What a stream asks the operator while it opens: the passphrase of a key,
// or the password (or a server's own question) of a login.
struct SecretRequest {
    enum Kind { Passphrase, Password };
    Kind kind = Passphrase;
    QString address; // the port's address, as written
    QString keyFile; // Passphrase: the key's file; empty: the user's default keys (~/.ssh)
    QString user;    // Password: whom the login is for, on host
    QString host;
    QString prompt;  // Password: the server's own question (keyboard-interactive); empty: a password

    // The question, translated: the key or user@host, and the address.
    QString text() const;
};

// Asks the operator; nothing when they declined. What it returns is the
// caller's to wipe.
using SecretAsker = std::function<std::optional<QByteArray>(const SecretRequest &)>;

// The program's way of asking; without one (the default) no stream ever
// asks, and a locked key or a password login is refused.
void setSecretAsker(SecretAsker asker);
bool canAskSecrets();
// The operator's answer; nothing when declined or when no one can be asked.
std::optional<QByteArray> askSecret(const SecretRequest &request);

// Overwrites the bytes before they are let go (also a detached copy's).
void wipe(QByteArray &secret);
void wipe(QString &secret);

} // namespace korvanta
