#include "simulator.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTcpServer>
#include <QThread>
#include <QTemporaryDir>

#include <cstdio>

namespace korvanta::bench {

QString builtProgram(const QString &name)
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(name);
}

bool Simulator::start(const QStringList &args)
{
    const QString program = builtProgram(QStringLiteral("korvanta-sim"));
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(program, args);
    if (!m_process.waitForStarted(5000) || !m_process.waitForReadyRead(5000)) {
        std::fprintf(stderr, "cannot start %s\n", qPrintable(program));
        return false;
    }
    m_device = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    return m_device.startsWith(QLatin1Char('/'));
}

namespace {
void end(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000))
        process.kill();
}
} // namespace

void Simulator::stop()
{
    end(m_process);
}

Simulator::~Simulator() { stop(); }

bool listening(quint16 port)
{
    // /proc/net/tcp: "sl local_address rem_address st ...", the address as
    // hex IP:PORT, state 0A for LISTEN.
    QFile table(QStringLiteral("/proc/net/tcp"));
    if (!table.open(QIODevice::ReadOnly))
        return false;
    const QByteArray local = QByteArray("0100007F:") + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    for (const QByteArray &line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 3 && fields[1] == local && fields[3] == "0A")
            return true;
    }
    return false;
}

bool ConsoleServer::start(const QString &device)
{
    static QTemporaryDir folder;
    const QString ser2net = QStandardPaths::findExecutable(QStringLiteral("ser2net"), {QStringLiteral("/usr/sbin")});
    QTcpServer probe;
    if (ser2net.isEmpty() || !folder.isValid() || !probe.listen(QHostAddress::LocalHost)) {
        std::fprintf(stderr, "cannot start ser2net (scripts/setup.sh installs it)\n");
        return false;
    }
    m_port = probe.serverPort();
    probe.close();
    const QString yaml = folder.filePath(QStringLiteral("ser2net.yaml"));
    QFile config(yaml);
    if (!config.open(QIODevice::WriteOnly))
        return false;
    // As the README advises for adapters: no Nagle, no waiting for more characters.
    config.write(QStringLiteral("connection: &adapter\n"
                                "  accepter: telnet(rfc2217),tcp(nodelay),127.0.0.1,%1\n"
                                "  connector: serialdev,%2,9600n81,local\n"
                                "  options:\n"
                                "    chardelay: false\n")
                     .arg(m_port)
                     .arg(device)
                     .toUtf8());
    config.close();
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_process.setStandardErrorFile(QProcess::nullDevice());
    m_process.start(ser2net, {QStringLiteral("-n"), QStringLiteral("-u"), QStringLiteral("-c"), yaml,
                              QStringLiteral("-P"), folder.filePath(QStringLiteral("ser2net.pid"))});
    // Ready once the port listens; a connection to find that out would hold
    // the serial port for a moment after.
    const QDeadlineTimer deadline(5000);
    while (!listening(m_port) && !deadline.hasExpired() && m_process.state() != QProcess::NotRunning)
        QThread::msleep(5);
    return listening(m_port);
}

void ConsoleServer::stop()
{
    end(m_process);
}

QString ConsoleServer::address() const
{
    return QStringLiteral("rfc2217://127.0.0.1:%1").arg(m_port);
}

ConsoleServer::~ConsoleServer() { stop(); }

} // namespace korvanta::bench
