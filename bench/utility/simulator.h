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

// Debian's ser2net in front of a pseudo-terminal, serving it by telnet with
// RFC 2217 on a free port of 127.0.0.1, the device set to 9600n81 until a
// client sets the line, ser2net set up for adapters (no Nagle, no waiting
// for more characters); stopped when this goes. Secure, within TLS, with a
// certificate made for it that the client pins.
class ConsoleServer {
public:
    // False, with the reason on stderr, when it does not listen.
    bool start(const QString &device, bool secure = false);
    // rfc2217://127.0.0.1:PORT, or rfc2217+tls://…
    QString address() const;
    // The certificate's "SHA256:…" when secure.
    QString fingerprint() const { return m_fingerprint; }
    // A folder for XDG_CONFIG_HOME whose ports.conf names the port "bench",
    // with the fingerprint pinned.
    QString configHome() const { return m_folder.path(); }

private:
    bool makeCertificate();

    QTemporaryDir m_folder;
    testing::ConsoleServer m_server;
    quint16 m_port = 0;
    bool m_secure = false;
    QString m_fingerprint;
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
