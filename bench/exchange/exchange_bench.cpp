// Measures the exchanges over a pseudo-terminal against the simulator program:
//  1. 100 query exchanges with the simulator paced at 19200 bit/s, as a ratio
//     to the line's own time for the characters that crossed it;
//  2. the processor time this process spends in one exchange that waits out
//     its 10-second deadline.
// Usage: exchange_bench [path of korvanta-sim]

#include "link/exchange.h"
#include "link/seriallink.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

using namespace korvanta;

namespace {
constexpr double kCharSeconds = 10.0 / 19200.0;

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Simulator {
    QProcess process;
    QString device;

    bool start(const QString &program, const QStringList &args)
    {
        process.start(program, args);
        if (!process.waitForStarted(5000) || !process.waitForReadyRead(5000))
            return false;
        device = QString::fromLocal8Bit(process.readLine()).trimmed();
        return device.startsWith(QLatin1Char('/'));
    }
    ~Simulator()
    {
        process.terminate();
        process.waitForFinished(5000);
    }
};
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString sim = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                 : QDir(QCoreApplication::applicationDirPath()).filePath("korvanta-sim");
    const QList<QByteArray> queries = {"AT$I11?", "AT\\S2", "AT@I?", "AT$I14?", "AT%A?%D?"};

    {
        Simulator paced;
        if (!paced.start(sim, {"--paced"})) {
            std::fprintf(stderr, "cannot start %s\n", qPrintable(sim));
            return 1;
        }
        SerialLink link(paced.device);
        if (!link.open() || !QueryExchange(link, "ATE1V1", 3000)) {
            std::fprintf(stderr, "no answer on %s\n", qPrintable(paced.device));
            return 1;
        }
        std::vector<double> ratios;
        qint64 sent = 0, received = 0;
        QElapsedTimer all;
        all.start();
        for (int i = 0; i < 100; ++i) {
            const QByteArray &q = queries[i % queries.size()];
            QElapsedTimer t;
            t.start();
            const auto answer = QueryExchange(link, q, 10000);
            const double seconds = double(t.nsecsElapsed()) / 1e9;
            if (!answer) {
                std::fprintf(stderr, "time-out on %s\n", q.constData());
                return 1;
            }
            // The adapter echoes every character, so the slower direction
            // carries the echo and the answer: that is the line's own time.
            const qint64 chars = answer->size();
            sent += q.size() + 1;
            received += chars;
            ratios.push_back(seconds / (double(chars) * kCharSeconds));
        }
        const double total = double(all.nsecsElapsed()) / 1e9;
        std::sort(ratios.begin(), ratios.end());
        std::printf("100 query exchanges over a pty, simulator paced at 19200 bit/s\n");
        std::printf("  characters sent %lld, received %lld\n", sent, received);
        std::printf("  line's own time %.3f s, measured %.3f s, ratio %.3f\n", double(received) * kCharSeconds, total,
                    total / (double(received) * kCharSeconds));
        std::printf("  per exchange ratio: min %.3f  median %.3f  max %.3f\n", ratios.front(),
                    ratios[ratios.size() / 2], ratios.back());
    }
    {
        Simulator silent;
        if (!silent.start(sim, {"--silent"}))
            return 1;
        SerialLink link(silent.device);
        if (!link.open())
            return 1;
        const double cpu0 = cpuSeconds();
        QElapsedTimer t;
        t.start();
        const bool answered = bool(QueryExchange(link, "AT$I11?", 10000));
        const double wall = double(t.nsecsElapsed()) / 1e9;
        const double cpu = cpuSeconds() - cpu0;
        std::printf("one query exchange that times out (adapter silent)\n");
        std::printf("  answered %s, waited %.3f s, processor time %.4f s (%.3f%% of a core)\n",
                    answered ? "yes" : "no", wall, cpu, 100.0 * cpu / wall);
    }
    return 0;
}
