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

void Simulator::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000))
        m_process.kill();
}

Simulator::~Simulator() { stop(); }

} // namespace korvanta::bench
