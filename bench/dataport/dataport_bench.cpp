// How long opening the data port dialog Form3 takes, all its reads included,
// against the simulated adapter on a line paced at 19200 bit/s, as a ratio to
// the line's own time: the characters the adapter sends back (it echoes every
// character, so its direction carries the whole exchange), plus one character
// a command for the command's last character to reach it.
//
// Two lines are measured: the simulator program on a pseudo-terminal, which
// like a real adapter keeps sending while the utility paints (the headline
// figure), and the simulated adapter inside this process, whose line stands
// still while the utility's thread is busy. Each also times Form3's queries
// sent straight through the exchange, without any dialog.
//
//   dataport_bench [runs] [path of korvanta-sim]
#include "app/session.h"
#include "dataport/dataportdialog.h"
#include "link/messages.h"
#include "link/seriallink.h"
#include "sim/simulatedadapter.h"
#include "sim/simulatedlink.h"
#include "workfile/workfile.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <functional>
#include <map>
#include <vector>

using namespace korvanta;

namespace {
constexpr double kCharMs = sim::kCharTimeUs19200 / 1000.0;

// Form3's queries in the order it sends them.
QList<QByteArray> form3Queries()
{
    QList<QByteArray> queries;
    for (const dataport::Port &p : dataport::ports())
        queries << p.listing << p.iNumberQuery;
    for (const dataport::ExtSetting *e : dataport::extReadOrder())
        queries << e->query;
    return queries;
}

struct Bench {
    QTextStream &out;
    std::map<QString, std::vector<double>> ratios;

    // Runs the queries alone, then opens Form3, on one line; both against the
    // line time of the answers the queries brought.
    bool run(const QString &line, Link &link)
    {
        QTemporaryDir dir;
        WorkFile work(dir.filePath(QStringLiteral("mail.ini")));
        Session session(link, work);
        session.NewFirmwareFlag = QStringLiteral("1");

        const QList<QByteArray> queries = form3Queries();
        qint64 chars = 0;
        QElapsedTimer clock;
        clock.start();
        for (const QByteArray &q : queries) {
            const auto answer = session.query(q);
            if (!answer)
                return false;
            chars += answer->size() + 1;
        }
        const double lineMs = chars * kCharMs;
        record(line + QStringLiteral(", queries alone"), clock.nsecsElapsed() / 1e6, lineMs);

        QWidget opener;
        auto *form3 = new DataPortDialog(session, &opener);
        clock.restart();
        form3->openAndRead();
        record(line + QStringLiteral(", Form3"), clock.nsecsElapsed() / 1e6, lineMs);
        form3->close();
        return session.ReadFailed == 0;
    }

    void record(const QString &what, double ms, double lineMs)
    {
        ratios[what].push_back(ms / lineMs);
        out << QStringLiteral("%1: %2 ms, line %3 ms, ratio %4\n")
                   .arg(what)
                   .arg(ms, 0, 'f', 1)
                   .arg(lineMs, 0, 'f', 1)
                   .arg(ms / lineMs, 0, 'f', 3);
        out.flush();
    }
};
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    const QString simProgram = argc > 2 ? QString::fromLocal8Bit(argv[2])
                                        : QDir(QCoreApplication::applicationDirPath()).filePath("korvanta-sim");
    QTextStream out(stdout);
    Messages::setHandler([&out](const MessageRequest &r) {
        out << "message: " << r.text << "\n";
        return QMessageBox::Ok;
    });
    Bench bench{out, {}};

    QProcess simulator;
    simulator.start(simProgram, {QStringLiteral("--paced")});
    if (!simulator.waitForStarted(5000) || !simulator.waitForReadyRead(5000)) {
        out << "cannot start " << simProgram << "\n";
        return 1;
    }
    SerialLink pty(QString::fromLocal8Bit(simulator.readLine()).trimmed());
    if (!pty.open() || !QueryExchange(pty, "ATE1V1", 3000)) {
        out << "no answer on " << pty.devicePath() << "\n";
        return 1;
    }

    bool ok = true;
    for (int run = 0; run < runs; ++run) {
        ok = bench.run(QStringLiteral("pty"), pty) && ok;
        sim::Faults paced;
        paced.charTimeUs = sim::kCharTimeUs19200;
        sim::SimulatedAdapter adapter(paced);
        sim::SimulatedLink link(adapter);
        link.open();
        ok = bench.run(QStringLiteral("in process"), link) && ok;
    }
    pty.close();
    simulator.terminate();
    simulator.waitForFinished(5000);

    out << "\n";
    for (auto &[what, r] : bench.ratios) {
        std::sort(r.begin(), r.end());
        out << QStringLiteral("%1: median ratio %2, best %3, worst %4 over %5 runs\n")
                   .arg(what, -26)
                   .arg(r[r.size() / 2], 0, 'f', 3)
                   .arg(r.front(), 0, 'f', 3)
                   .arg(r.back(), 0, 'f', 3)
                   .arg(runs);
    }
    out << "target for Form3: at most 1.10\n";
    return ok ? 0 : 1;
}
