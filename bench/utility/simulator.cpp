// SPDX-License-Identifier: GPL-3.0-or-later
#include "simulator.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <pwd.h>
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

bool ConsoleServer::start(const QString &device, Kind kind)
{
    m_port = testing::freePort();
    m_kind = kind;
    if (kind == Ssh)
        return startSsh(device);
    if (kind == Tls && !makeCertificate())
        return false;
    const QString ssl = QStringLiteral("ssl(key=%1/server.key,cert=%1/server.pem),").arg(m_folder.path());
    if (!m_server.start({{QStringLiteral("telnet(rfc2217),%1tcp(nodelay)").arg(kind == Tls ? ssl : QString()), m_port,
                          device, QStringLiteral("9600n81"), QStringLiteral("    chardelay: false\n")}},
                        m_folder.path())) {
        std::fprintf(stderr, "cannot start ser2net (scripts/setup.sh installs it)\n");
        return false;
    }
    return true;
}

bool ConsoleServer::startSsh(const QString &device)
{
    const QString socat = QStandardPaths::findExecutable(QStringLiteral("socat"));
    m_key = testing::SshServer::makeKey(m_folder.path(), QStringLiteral("user"));
    QFile knownHosts(home() + QStringLiteral("/.ssh/known_hosts"));
    if (socat.isEmpty() || m_key.isEmpty()
        || !m_ssh.start(m_folder.path(), m_port, m_key,
                        QStringLiteral("%1 - %2,raw,echo=0,b19200,cs8,parenb=0,cstopb=0").arg(socat, device))
        || !QDir(home()).mkpath(QStringLiteral(".ssh")) || !knownHosts.open(QIODevice::WriteOnly)
        || knownHosts.write(testing::SshServer::knownHostsLine(m_folder.path(), m_port)) < 0) {
        std::fprintf(stderr, "cannot start sshd with socat (scripts/setup.sh installs them)\n");
        return false;
    }
    return writePortsConf(QStringLiteral("    key = %1\n").arg(m_key));
}

bool ConsoleServer::writePortsConf(const QString &settings)
{
    QFile conf(m_folder.filePath(QStringLiteral("korvanta/ports.conf")));
    if (!QDir(m_folder.path()).mkpath(QStringLiteral("korvanta")) || !conf.open(QIODevice::WriteOnly))
        return false;
    conf.write(QStringLiteral("bench = %1\n%2").arg(address(), settings).toUtf8());
    return true;
}

bool ConsoleServer::makeCertificate()
{
    QProcess openssl;
    openssl.setWorkingDirectory(m_folder.path());
    openssl.start(QStringLiteral("sh"),
                  {QStringLiteral("-c"),
                   QStringLiteral("openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 "
                                  "-subj /CN=localhost -keyout server.key -out server.pem 2>/dev/null && "
                                  "openssl x509 -noout -fingerprint -sha256 -in server.pem")});
    const QString said = openssl.waitForFinished(30000) && openssl.exitCode() == 0
        ? QString::fromLatin1(openssl.readAllStandardOutput()).trimmed()
        : QString();
    if (!said.contains(u'=')) {
        std::fprintf(stderr, "cannot make a certificate with openssl\n");
        return false;
    }
    m_fingerprint = QStringLiteral("SHA256:") + said.mid(said.indexOf(u'=') + 1);
    return writePortsConf(QStringLiteral("    fingerprint = %1\n").arg(m_fingerprint));
}

QString ConsoleServer::address() const
{
    if (m_kind == Ssh)
        return QStringLiteral("ssh://%1@127.0.0.1:%2").arg(QString::fromLocal8Bit(::getpwuid(::getuid())->pw_name)).arg(m_port);
    return QStringLiteral("%1://127.0.0.1:%2").arg(m_kind == Tls ? "rfc2217+tls" : "rfc2217").arg(m_port);
}

ScopedVariable::ScopedVariable(const char *name, const QByteArray &value) : m_name(name), m_was(qgetenv(name))
{
    if (!qEnvironmentVariableIsSet(name))
        m_was = QByteArray();
    qputenv(name, value);
}

ScopedVariable::~ScopedVariable()
{
    if (m_was.isNull())
        qunsetenv(m_name);
    else
        qputenv(m_name, m_was);
}

} // namespace korvanta::bench
