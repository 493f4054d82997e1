// Time to open Form2, all its reads included, against the simulated adapter
// on a line paced at 19200 bit/s (10 bits a character), as a ratio to the
// line's own time for the bytes exchanged. Every character the utility sends
// is echoed as it arrives, so an exchange needs the line for one character
// (the first one going out, before its echo can start) plus everything the
// adapter sends back.
//
// Two ways of running the simulator:
// - in process (SimulatedLink): the simulated line moves only while the event
//   loop runs, so any time the window spends painting stops the line as well;
//   for reference the same command lines are then replayed through the bare
//   exchanges with no window at all, the floor that the link and the
//   simulator's pacing leave;
// - over a pseudo-terminal (korvanta-sim --paced in its own process, the
//   utility's SerialLink): the line runs on while the window paints, as a
//   serial port does.
//
//   QT_QPA_PLATFORM=offscreen telephone_bench [runs]
#include "app/session.h"
#include "link/messages.h"
#include "link/seriallink.h"
#include "sim/simulatedadapter.h"
#include "sim/simulatedlink.h"
#include "telephone/telephonedialog.h"
#include "workfile/workfile.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <functional>
#include <optional>
#include <vector>

using namespace korvanta;

namespace {

struct Measure {
    double elapsedMs = 0;
    double lineMs = 0;
    int commands = 0;
    qint64 received = 0;
    QList<QByteArray> lines;
    int readFailed = 0;
    double ratio() const { return elapsedMs / lineMs; }
};

// Runs work against a fresh simulated adapter on a paced line.
Measure measure(const std::function<void(Session &)> &work)
{
    QTemporaryDir dir;
    sim::SimulatedAdapter adapter;
    auto faults = adapter.faults();
    faults.charTimeUs = sim::kCharTimeUs19200;
    adapter.setFaults(faults);
    Measure m;
    QObject::connect(&adapter, &sim::SimulatedAdapter::transmitted,
                     [&m](const QByteArray &bytes) { m.received += bytes.size(); });
    sim::SimulatedLink link(adapter);
    link.open();
    WorkFile file(dir.filePath(QStringLiteral("mail.ini")));
    Session session(link, file);
    session.NewFirmwareFlag = QStringLiteral("1");

    QElapsedTimer clock;
    clock.start();
    work(session);
    m.elapsedMs = clock.nsecsElapsed() / 1e6;
    m.lines = adapter.log();
    m.commands = int(m.lines.size());
    m.lineMs = (m.received + m.commands) * sim::kCharTimeUs19200 / 1000.0;
    m.readFailed = session.ReadFailed;
    return m;
}

// Opens Form2 against korvanta-sim on a pty; nullopt when the simulator
// cannot be started.
std::optional<Measure> measureOverPty()
{
    QProcess simulator;
    simulator.start(QCoreApplication::applicationDirPath() + QStringLiteral("/korvanta-sim"),
                    {QStringLiteral("--paced")});
    if (!simulator.waitForStarted(5000) || !simulator.waitForReadyRead(5000))
        return std::nullopt;
    const QString path = QString::fromLocal8Bit(simulator.readLine().trimmed());
    Measure m;
    {
        QTemporaryDir dir;
        SerialLink link(path);
        if (!link.open())
            return std::nullopt;
        WorkFile file(dir.filePath(QStringLiteral("mail.ini")));
        Session session(link, file);
        session.NewFirmwareFlag = QStringLiteral("1");
        QWidget opener;
        QElapsedTimer clock;
        clock.start();
        auto *form2 = new TelephoneDialog(session, &opener);
        form2->openAndRead();
        QCoreApplication::processEvents();
        m.elapsedMs = clock.nsecsElapsed() / 1e6;
        m.readFailed = session.ReadFailed;
        form2->close();
        link.close();
    }
    simulator.terminate();
    simulator.waitForFinished(5000);
    // The same lines against the adapter's engine give the bytes it sent back.
    sim::SimulatedAdapter shadow;
    for (const char *line : {"AT\\S2", "AT$I11?", "AT$W1?", "AT\\S3", "AT$I12?", "AT$W2?", "AT\\S4", "AT$I13?",
                             "AT$W3?", "AT@I?", "AT$I20?", "AT$I14?", "AT$I15?", "AT$I29?", "AT$V?"}) {
        m.received += shadow.respond(QByteArray(line) + '\r').size();
        ++m.commands;
    }
    // Over the pty what the utility sends arrives at once; only the adapter's
    // side is paced.
    m.lineMs = m.received * sim::kCharTimeUs19200 / 1000.0;
    return m;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 7;
    QTextStream out(stdout);
    Messages::setHandler([&out](const MessageRequest &r) {
        out << "message: " << r.text << "\n";
        return QMessageBox::Ok;
    });

    std::vector<double> dialog, bare, pty;
    for (int run = 0; run < runs; ++run) {
        QWidget opener;
        const Measure m = measure([&opener](Session &session) {
            auto *form2 = new TelephoneDialog(session, &opener);
            form2->openAndRead();
            QCoreApplication::processEvents(); // what is left to paint
            form2->close();
        });
        const Measure b = measure([&m](Session &session) {
            for (const QByteArray &line : m.lines)
                session.query(line);
        });
        dialog.push_back(m.ratio());
        bare.push_back(b.ratio());
        out << QStringLiteral("run %1: %2 commands, %3 bytes from the adapter, line %4 ms; Form2 open %5 ms, "
                              "ratio %6 (ReadFailed %7); bare exchanges %8 ms, ratio %9\n")
                   .arg(run + 1)
                   .arg(m.commands)
                   .arg(m.received)
                   .arg(m.lineMs, 0, 'f', 1)
                   .arg(m.elapsedMs, 0, 'f', 1)
                   .arg(m.ratio(), 0, 'f', 3)
                   .arg(m.readFailed)
                   .arg(b.elapsedMs, 0, 'f', 1)
                   .arg(b.ratio(), 0, 'f', 3);
        out.flush();
        const auto p = measureOverPty();
        if (p) {
            pty.push_back(p->ratio());
            out << QStringLiteral("run %1 over a pty: %2 bytes from the adapter, line %3 ms; Form2 open %4 ms, "
                                  "ratio %5 (ReadFailed %6)\n")
                       .arg(run + 1)
                       .arg(p->received)
                       .arg(p->lineMs, 0, 'f', 1)
                       .arg(p->elapsedMs, 0, 'f', 1)
                       .arg(p->ratio(), 0, 'f', 3)
                       .arg(p->readFailed);
        } else {
            out << "korvanta-sim could not be started: no pty figure\n";
        }
        out.flush();
    }
    out << QStringLiteral("median over %1 runs: Form2 in process %2 (bare exchanges %3), Form2 over a pty %4 "
                          "(target for Form2: at most 1.10)\n")
               .arg(runs)
               .arg(median(dialog), 0, 'f', 3)
               .arg(median(bare), 0, 'f', 3)
               .arg(pty.empty() ? QStringLiteral("-") : QString::number(median(pty), 'f', 3));
    return 0;
}
