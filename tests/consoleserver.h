// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Debian's ser2net on 127.0.0.1 in front of pseudo-terminals, as the tests
// and the benchmark run it: a configuration of its own, free ports, and a
// process that ends with the program that started it, however that ends.

#include <QDeadlineTimer>
#include <QFile>
#include <QList>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QTcpServer>
#include <QThread>

#include <csignal>
#include <sys/prctl.h>

namespace korvanta::testing {

// A port on 127.0.0.1 that nothing listens on now.
inline quint16 freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost) ? probe.serverPort() : 0;
}

// Whether something listens on the TCP port of 127.0.0.1 (/proc/net/tcp:
// the address as hex IP:PORT, state 0A for LISTEN).
inline bool listening(quint16 port)
{
    QFile table(QStringLiteral("/proc/net/tcp"));
    if (!table.open(QIODevice::ReadOnly))
        return false;
    const QByteArray local = "0100007F:" + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    for (const QByteArray &line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 3 && fields[1] == local && fields[3] == "0A")
            return true;
    }
    return false;
}

// A child that ends with this program, however it ends.
inline void diesWithParent(QProcess &process)
{
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

class ConsoleServer {
public:
    // One connection: "telnet(rfc2217),tcp" or "tcp" (options in brackets
    // allowed) on the port, the device at line ("9600n81"), and the
    // connection's options as YAML lines.
    struct Connection {
        QString accepter;
        quint16 port;
        QString device;
        QString line;
        QString options = {};
    };

    ConsoleServer() = default;
    ConsoleServer(const ConsoleServer &) = delete;
    ~ConsoleServer() { stop(); }

    static QString program()
    {
        return QStandardPaths::findExecutable(QStringLiteral("ser2net"), {QStringLiteral("/usr/sbin")});
    }

    // Writes folder/ser2net.yaml and starts ser2net on it; true once every
    // port listens. Polling /proc rather than connecting: a connection would
    // hold the serial port for a moment after.
    bool start(const QList<Connection> &connections, const QString &folder)
    {
        stop();
        QString yaml;
        for (int i = 0; i < connections.size(); ++i) {
            const Connection &c = connections[i];
            yaml += QStringLiteral("connection: &c%1\n  accepter: %2,127.0.0.1,%3\n  connector: serialdev,%4,%5,local\n")
                        .arg(i)
                        .arg(c.accepter)
                        .arg(c.port)
                        .arg(c.device, c.line);
            if (!c.options.isEmpty())
                yaml += QStringLiteral("  options:\n") + c.options;
        }
        QFile config(folder + QStringLiteral("/ser2net.yaml"));
        if (program().isEmpty() || !config.open(QIODevice::WriteOnly) || config.write(yaml.toUtf8()) < 0)
            return false;
        config.close();
        diesWithParent(m_process);
        m_process.setStandardOutputFile(QProcess::nullDevice()); // "Unable to start mdns"
        m_process.setStandardErrorFile(QProcess::nullDevice());
        m_process.start(program(), {QStringLiteral("-n"), QStringLiteral("-u"), QStringLiteral("-c"), config.fileName(),
                                    QStringLiteral("-P"), folder + QStringLiteral("/ser2net.pid")});
        const auto ready = [&connections] {
            for (const Connection &c : connections)
                if (!listening(c.port))
                    return false;
            return true;
        };
        const QDeadlineTimer deadline(5000);
        while (!ready() && !deadline.hasExpired() && m_process.state() != QProcess::NotRunning)
            QThread::msleep(2);
        return ready();
    }

    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            kill();
    }

    // As a crash or a power cut would end it.
    void kill()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

private:
    QProcess m_process;
};

} // namespace korvanta::testing
