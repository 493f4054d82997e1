// SPDX-License-Identifier: GPL-3.0-or-later
#include "simulator.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

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

bool runProgram(const QString &name, const QStringList &arguments, Run &run, const QString &output)
{
    const QByteArray program = bench::builtProgram(name).toLocal8Bit();
    std::vector<QByteArray> words{program};
    for (const QString &a : arguments)
        words.push_back(a.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    const QByteArray out = output.isEmpty() ? QByteArray("/dev/null") : output.toLocal8Bit();
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, out.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QElapsedTimer clock;
    clock.start();
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, program.constData(), &files, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    if (rc != 0)
        return false;
    // The peak of the program's own memory: the kernel's figure at exit
    // (ru_maxrss) counts this process's as well, which the child shared until
    // it started the program. The high-water mark of the program's memory
    // only grows; it is read until the program ends.
    int status = 0;
    double peakKb = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        QFile file(QStringLiteral("/proc/%1/status").arg(pid));
        if (file.open(QIODevice::ReadOnly))
            for (const QByteArray &line : file.readAll().split('\n'))
                if (line.startsWith("VmHWM:"))
                    peakKb = std::max(peakKb, line.mid(6).trimmed().split(' ').value(0).toDouble());
        usleep(1000);
    }
    run.ms = double(clock.nsecsElapsed()) / 1e6;
    run.mb = peakKb / 1024.0;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
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
