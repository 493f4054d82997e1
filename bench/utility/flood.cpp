// SPDX-License-Identifier: GPL-3.0-or-later
// flood_bench: peak resident memory of korvanta-cli while a server on
// 127.0.0.1 floods it, read from the program's own high-water mark (VmHWM).
//
//  1. tcp://: the simulated adapter's engine answers the first 11 command
//     lines of a backup; at the 12th the server sends 1 GiB of every byte
//     value in turn instead of an answer, then closes. Without --log, and
//     with --log (the log's size and lines printed too).
//  2. rfc2217://: the server answers the client's opening with 1 GiB of
//     telnet requests (DO TERMINAL-TYPE) and never reads a byte.
//
//   flood_bench [--runs N] [--mib M]
//     --runs N   runs of each (default 3); min / median / max printed
//     --mib M    the flood's size in MiB (default 1024)
#include "sim/simulatedadapter.h"
#include "simulator.h"

#include <QCoreApplication>
#include <QFile>
#include <QThread>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace korvanta;

namespace {
enum class Flood { Data, Negotiation };

// One connection on a port of 127.0.0.1 of its own, served by a thread of
// its own (the program under measure runs meanwhile).
class FloodServer {
public:
    FloodServer(Flood kind, qint64 bytes) : m_kind(kind), m_bytes(bytes)
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof local;
        if (::bind(m_listener, reinterpret_cast<sockaddr *>(&local), size) == 0 && ::listen(m_listener, 1) == 0
            && ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&local), &size) == 0)
            m_port = ntohs(local.sin_port);
        m_thread.reset(QThread::create([this] { serve(); }));
        m_thread->start();
    }
    ~FloodServer()
    {
        ::shutdown(m_listener, SHUT_RDWR); // a program that never connected ends the accept
        m_thread->wait();
        ::close(m_listener);
    }
    QString address() const
    {
        return QStringLiteral("%1://127.0.0.1:%2").arg(m_kind == Flood::Data ? "tcp" : "rfc2217").arg(m_port);
    }
    qint64 sent() const { return m_sent; }

private:
    void serve()
    {
        const int client = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            return;
        if (m_kind == Flood::Data)
            answerUntilTheTwelfthLine(client);
        flood(client);
        ::close(client);
    }

    void answerUntilTheTwelfthLine(int client)
    {
        sim::SimulatedAdapter adapter;
        int lines = 0;
        char buffer[4096];
        ssize_t got;
        while ((got = ::recv(client, buffer, sizeof buffer, 0)) > 0) {
            const QByteArray bytes(buffer, int(got));
            lines += int(bytes.count('\r'));
            if (lines >= 12)
                return;
            const QByteArray answer = adapter.respond(bytes);
            ::send(client, answer.constData(), size_t(answer.size()), MSG_NOSIGNAL);
        }
    }

    void flood(int client)
    {
        QByteArray piece(1 << 20, Qt::Uninitialized);
        for (int i = 0; i < piece.size(); ++i)
            piece[i] = m_kind == Flood::Data ? char(i) : "\xff\xfd\x18"[i % 3];
        const int whole = m_kind == Flood::Data ? piece.size() : piece.size() / 3 * 3;
        while (m_sent < m_bytes) {
            const ssize_t n = ::send(client, piece.constData(), size_t(std::min<qint64>(whole, m_bytes - m_sent)),
                                     MSG_NOSIGNAL);
            if (n <= 0)
                return; // the program has gone
            m_sent += n;
        }
    }

    Flood m_kind;
    qint64 m_bytes;
    int m_listener = -1;
    quint16 m_port = 0;
    std::atomic<qint64> m_sent{0};
    std::unique_ptr<QThread> m_thread;
};

struct Figures {
    std::vector<double> mb, sentMib, logMib, logLines;
};

QString spread(std::vector<double> values, int decimals)
{
    std::sort(values.begin(), values.end());
    if (values.empty())
        return QStringLiteral("-");
    return QStringLiteral("%1 / %2 / %3")
        .arg(values.front(), 0, 'f', decimals)
        .arg(values[values.size() / 2], 0, 'f', decimals)
        .arg(values.back(), 0, 'f', decimals);
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const auto option = [&args](const char *name, int otherwise) {
        const int at = int(args.indexOf(QLatin1String(name)));
        return at >= 0 && at + 1 < args.size() ? args[at + 1].toInt() : otherwise;
    };
    const int runs = option("--runs", 3);
    const qint64 bytes = qint64(option("--mib", 1024)) << 20;

    struct Case {
        const char *name;
        Flood kind;
        bool logged;
    };
    const Case cases[] = {{"data flood at the 12th command, tcp://", Flood::Data, false},
                          {"the same with --log", Flood::Data, true},
                          {"negotiation storm, rfc2217://", Flood::Negotiation, false}};
    std::printf("korvanta-cli backup against a server on 127.0.0.1 sending %lld MiB; %d runs, min / median / max\n",
                static_cast<long long>(bytes >> 20), runs);
    double worst = 0;
    for (const Case &c : cases) {
        Figures f;
        for (int run = 0; run < runs; ++run) {
            QTemporaryDir dir;
            FloodServer server(c.kind, bytes);
            QStringList line{QStringLiteral("--port"), server.address(), QStringLiteral("--workfile"),
                             dir.filePath(QStringLiteral("mail.ini"))};
            const QString log = dir.filePath(QStringLiteral("traffic.log"));
            if (c.logged)
                line << QStringLiteral("--log") << log;
            bench::Run figures;
            bench::runProgram(QStringLiteral("korvanta-cli"),
                              line + QStringList{QStringLiteral("backup"), dir.filePath(QStringLiteral("b.ini"))},
                              figures);
            f.mb.push_back(figures.mb);
            f.sentMib.push_back(double(server.sent()) / (1 << 20));
            if (c.logged) {
                QFile file(log);
                file.open(QIODevice::ReadOnly);
                const QByteArray text = file.readAll();
                f.logMib.push_back(double(text.size()) / (1 << 20));
                f.logLines.push_back(double(text.count('\n')));
            }
        }
        worst = std::max(worst, *std::max_element(f.mb.begin(), f.mb.end()));
        std::printf("  %-40s peak resident MB %s   MiB sent %s\n", c.name, qPrintable(spread(f.mb, 1)),
                    qPrintable(spread(f.sentMib, 0)));
        if (c.logged)
            std::printf("  %-40s log MiB %s, lines %s\n", "", qPrintable(spread(f.logMib, 3)),
                        qPrintable(spread(f.logLines, 0)));
    }
    std::printf("Target: peak resident memory <= 64 MB in each (worst %.1f)\n", worst);
    return worst <= 64 ? 0 : 1;
}
