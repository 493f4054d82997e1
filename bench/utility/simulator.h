// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QTemporaryDir>

#include "tests/consoleserver.h"
#include <QString>
#include <QStringList>

namespace korvanta::bench {

// A program of this build (korvanta-sim, korvanta): they all sit beside
// this one.
QString builtProgram(const QString &name);

// A program of this build run to its end, standard output to /dev/null
// unless it is to go to a file: its wall time in ms and its peak resident
// memory in MB; false when it did not end with status 0.
struct Run {
    double ms = -1;
    double mb = -1;
};
bool runProgram(const QString &name, const QStringList &arguments, Run &run, const QString &output = {});

// korvanta-sim in its own process, serving the simulated adapter on a
// pseudo-terminal; stopped when this goes.
class Simulator {
public:
    Simulator() = default;
    Simulator(const Simulator &) = delete;
    ~Simulator();

    // Starts it with args and reads the pty path it prints first. False, with
    // the reason on stderr, when it does not come.
    bool start(const QStringList &args);
    void stop();
    QString device() const { return m_device; }

private:
    QProcess m_process;
    QString m_device;
};

// A console server in front of a pseudo-terminal on a free port of
// 127.0.0.1, stopped when this goes: Debian's ser2net serving it by telnet
// with RFC 2217, the device set to 9600n81 until a client sets the line,
// set up for adapters (no Nagle, no waiting for more characters); the same
// within TLS, with a certificate made for it that the client pins; or
// OpenSSH's server whose forced command bridges to the device at 19200 8N1
// (socat), its host key known and the user's key named in ports.conf.
class ConsoleServer {
public:
    enum Kind { Rfc2217, Tls, Ssh };
    // False, with the reason on stderr, when it does not listen.
    bool start(const QString &device, Kind kind = Rfc2217);
    // rfc2217://127.0.0.1:PORT, rfc2217+tls://… or ssh://USER@…
    QString address() const;
    // The certificate's "SHA256:…" within TLS.
    QString fingerprint() const { return m_fingerprint; }
    // The SSH key that logs in.
    QString keyFile() const { return m_key; }
    // A folder for XDG_CONFIG_HOME whose ports.conf names the port "bench",
    // with the fingerprint pinned or the key named; and for HOME, whose
    // ~/.ssh/known_hosts knows the SSH server.
    QString configHome() const { return m_folder.path(); }
    QString home() const { return m_folder.filePath(QStringLiteral("home")); }

private:
    bool makeCertificate();
    bool startSsh(const QString &device);
    bool writePortsConf(const QString &settings);

    QTemporaryDir m_folder;
    testing::ConsoleServer m_server;
    testing::SshServer m_ssh;
    quint16 m_port = 0;
    Kind m_kind = Rfc2217;
    QString m_fingerprint, m_key;
};

// An environment variable set to a value until this goes, then as it was.
class ScopedVariable {
public:
    ScopedVariable(const char *name, const QByteArray &value);
    ScopedVariable(const ScopedVariable &) = delete;
    ~ScopedVariable();

private:
    const char *m_name;
    QByteArray m_was;
};

} // namespace korvanta::bench
