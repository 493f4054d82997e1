// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Debian's ser2net on 127.0.0.1 in front of pseudo-terminals, and OpenSSH's
// server as a console server giving a port over SSH, as the tests and the
// benchmark run them: a configuration of their own, free ports, and
// processes that end with the program that started them, however that ends.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QList>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QTcpServer>
#include <QThread>

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

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
        // Without a network beyond the loopback, ser2net would refuse
        // 127.0.0.1 (tests/preload/noaddrconfig.cpp).
        const QString preload = QCoreApplication::applicationDirPath() + QStringLiteral("/korvanta_test_noaddrconfig.so");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (QFile::exists(preload))
            environment.insert(QStringLiteral("LD_PRELOAD"), preload);
        m_process.setProcessEnvironment(environment);
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

// OpenSSH's server on a port of 127.0.0.1 as a console server that gives a
// serial port over SSH: every login by the authorized key runs the forced
// command, whose standard input and output are the port's bytes.
class SshServer {
public:
    SshServer() = default;
    SshServer(const SshServer &) = delete;
    ~SshServer() { stop(); }

    // An ed25519 key pair folder/name and folder/name.pub, no passphrase;
    // its path, empty when ssh-keygen failed.
    static QString makeKey(const QString &folder, const QString &name)
    {
        const QString path = folder + u'/' + name;
        QFile::remove(path);
        QFile::remove(path + QStringLiteral(".pub"));
        return QProcess::execute(QStringLiteral("ssh-keygen"),
                                 {QStringLiteral("-q"), QStringLiteral("-t"), QStringLiteral("ed25519"), QStringLiteral("-N"),
                                  QString(), QStringLiteral("-C"), name, QStringLiteral("-f"), path})
                       == 0
                   ? path
                   : QString();
    }

    // What a public key file holds, trimmed; empty when unreadable.
    static QByteArray publicKey(const QString &path)
    {
        QFile file(path + QStringLiteral(".pub"));
        return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed() : QByteArray();
    }

    // Writes folder/sshd_config with the host key folder/host (made when
    // missing) and folder/authorized_keys (userKey's public half, logging in
    // to forcedCommand), starts sshd and waits until it listens; its
    // complaints go to folder/sshd.log.
    bool start(const QString &folder, quint16 port, const QString &userKey, const QString &forcedCommand)
    {
        stop();
        if (::getuid() == 0) // sshd run by root wants its privilege separation folder
            QDir().mkpath(QStringLiteral("/run/sshd"));
        const QString host = folder + QStringLiteral("/host");
        QFile config(folder + QStringLiteral("/sshd_config")), authorized(folder + QStringLiteral("/authorized_keys"));
        if ((!QFile::exists(host) && makeKey(folder, QStringLiteral("host")).isEmpty()) || !config.open(QIODevice::WriteOnly)
            || !authorized.open(QIODevice::WriteOnly))
            return false;
        config.write(QStringLiteral("Port %1\nListenAddress 127.0.0.1\nHostKey %2\nAuthorizedKeysFile %3\n"
                                    "PidFile none\nUsePAM no\nStrictModes no\nPermitRootLogin yes\n"
                                    "PasswordAuthentication no\nKbdInteractiveAuthentication no\n")
                         .arg(port)
                         .arg(host, authorized.fileName())
                         .toUtf8());
        authorized.write(QStringLiteral("command=\"%1\" ").arg(forcedCommand).toUtf8() + publicKey(userKey) + '\n');
        config.close();
        authorized.close();
        diesWithParent(m_process);
        m_process.setStandardErrorFile(folder + QStringLiteral("/sshd.log"));
        m_process.start(QStandardPaths::findExecutable(QStringLiteral("sshd"), {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin")}),
                        {QStringLiteral("-D"), QStringLiteral("-e"), QStringLiteral("-f"), config.fileName()});
        const QDeadlineTimer deadline(5000);
        while (!listening(port) && !deadline.hasExpired() && m_process.state() != QProcess::NotRunning)
            QThread::msleep(2);
        return listening(port);
    }

    // The known_hosts line that trusts this server's host key on port.
    static QByteArray knownHostsLine(const QString &folder, quint16 port)
    {
        return QStringLiteral("[127.0.0.1]:%1 ").arg(port).toUtf8() + publicKey(folder + QStringLiteral("/host")) + '\n';
    }

    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

private:
    QProcess m_process;
};

} // namespace korvanta::testing
