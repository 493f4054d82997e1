// SPDX-License-Identifier: GPL-3.0-or-later
#include "simulator.h"

#include <QCoreApplication>
#include <QDir>

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

bool ConsoleServer::start(const QString &device)
{
    m_port = testing::freePort();
    if (!m_server.start({{QStringLiteral("telnet(rfc2217),tcp(nodelay)"), m_port, device, QStringLiteral("9600n81"),
                          QStringLiteral("    chardelay: false\n")}},
                        m_folder.path())) {
        std::fprintf(stderr, "cannot start ser2net (scripts/setup.sh installs it)\n");
        return false;
    }
    return true;
}

QString ConsoleServer::address() const
{
    return QStringLiteral("rfc2217://127.0.0.1:%1").arg(m_port);
}

} // namespace korvanta::bench
