// Measures how long the short-dial dialog takes to read a full directory
// (twenty entries of 32-character numbers and 20-character subaddresses) from
// an adapter whose line runs at 19200 bit/s, as a ratio to the line's own time
// for the characters that crossed it. The time runs from the dialog's opening
// to the boxes being filled and the work file written.
//  1. over a pseudo-terminal, against the simulator program started --paced;
//  2. in this process, against the simulated adapter paced the same way.
// Usage: shortdial_bench [path of korvanta-sim] [runs]

#include "app/session.h"
#include "link/messages.h"
#include "link/seriallink.h"
#include "shortdial/shortdialdialog.h"
#include "sim/simulatedadapter.h"
#include "sim/simulatedlink.h"
#include "workfile/workfile.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace korvanta;

namespace {
constexpr double kCharSeconds = 10.0 / 19200.0;

// Entry k as the adapter holds it: a 32-character number, "*", a
// 20-character subaddress.
QString fullEntry(int k)
{
    return QStringLiteral("0%1-(1234)#").arg(k, 2, 10, QLatin1Char('0')).leftJustified(32, '5') + '*'
        + QStringLiteral("#*%1").arg(k, 2, 10, QLatin1Char('0')).leftJustified(20, '9');
}

// The full-directory reply: the echo of the command, twenty framed entry
// lines, the framed "OK". Every character of it crosses the line.
qint64 replyLength()
{
    qint64 n = shortdial::readCommand().size() + 1;
    for (int k = 0; k < shortdial::kEntryCount; ++k)
        n += 2 + 3 + fullEntry(k).size() + 2;
    return n + 6;
}

struct Figures {
    std::vector<double> ratios;
    void print(const char *what) const
    {
        std::vector<double> r = ratios;
        std::sort(r.begin(), r.end());
        const double line = double(replyLength()) * kCharSeconds;
        std::printf("%s\n  %zu reads of %lld characters, line's own time %.3f s\n", what, r.size(),
                    replyLength(), line);
        std::printf("  seconds: min %.3f  median %.3f  max %.3f\n", r.front() * line, r[r.size() / 2] * line,
                    r.back() * line);
        std::printf("  ratio:   min %.3f  median %.3f  max %.3f\n", r.front(), r[r.size() / 2], r.back());
    }
};

// Opens the dialog on the session's link and times its read. False when the
// boxes did not come out as the adapter holds them.
bool timeRead(Session &session, Figures &figures)
{
    QWidget opener;
    auto *dialog = new ShortDialDialog(session, &opener);
    QElapsedTimer t;
    t.start();
    dialog->openAndRead();
    const double seconds = double(t.nsecsElapsed()) / 1e9;
    bool intact = true;
    for (int k = 0; k < shortdial::kEntryCount; ++k) {
        const auto &row = shortdial::kEntryRows[k];
        const QString shown = shortdial::wireForm(
            {dialog->findChild<QLineEdit *>(QString::fromLatin1(row.numberBox))->text(),
             dialog->findChild<QLineEdit *>(QString::fromLatin1(row.subaddressBox))->text()});
        intact = intact && shown == fullEntry(k)
            && session.workFile.fetch(shortdial::kSection, QString::fromLatin1(row.key)) == fullEntry(k);
    }
    delete dialog;
    figures.ratios.push_back(seconds / (double(replyLength()) * kCharSeconds));
    return intact;
}

// Times runs reads and prints the figures; false when a read came out wrong.
bool measure(Session &session, int runs, const char *what)
{
    Figures figures;
    for (int i = 0; i < runs; ++i)
        if (!timeRead(session, figures)) {
            std::fprintf(stderr, "%s: directory not read intact\n", what);
            return false;
        }
    figures.print(what);
    return true;
}

struct Simulator {
    QProcess process;
    QString device;
    ~Simulator()
    {
        process.terminate();
        process.waitForFinished(5000);
    }
};
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString simProgram = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                        : QDir(QCoreApplication::applicationDirPath()).filePath("korvanta-sim");
    const int runs = argc > 2 ? qMax(1, atoi(argv[2])) : 5;
    Messages::setHandler([](const MessageRequest &r) {
        std::fprintf(stderr, "message: %s\n", qPrintable(r.text));
        return QMessageBox::Ok;
    });
    QTemporaryDir dir;

    {
        QFile state(dir.filePath("adapter.state"));
        if (!state.open(QIODevice::WriteOnly))
            return 1;
        for (int k = 0; k < shortdial::kEntryCount; ++k)
            state.write(QStringLiteral("&Z%1=%2\n").arg(k).arg(fullEntry(k)).toLatin1());
        state.close();
        Simulator sim;
        sim.process.start(simProgram, {"--paced", "--state", state.fileName()});
        if (!sim.process.waitForStarted(5000) || !sim.process.waitForReadyRead(5000)) {
            std::fprintf(stderr, "cannot start %s\n", qPrintable(simProgram));
            return 1;
        }
        sim.device = QString::fromLocal8Bit(sim.process.readLine()).trimmed();
        SerialLink link(sim.device);
        WorkFile file(dir.filePath("pty-mail.ini"));
        Session session(link, file);
        if (!link.open() || !QueryExchange(link, "ATE1V1", 3000)) {
            std::fprintf(stderr, "no answer on %s\n", qPrintable(sim.device));
            return 1;
        }
        if (!measure(session, runs, "full directory over a pty, simulator program paced at 19200 bit/s"))
            return 1;
    }
    {
        sim::SimulatedAdapter adapter;
        sim::Faults paced;
        paced.charTimeUs = sim::kCharTimeUs19200;
        adapter.setFaults(paced);
        for (int k = 0; k < shortdial::kEntryCount; ++k)
            adapter.setValue(QStringLiteral("&Z%1").arg(k), fullEntry(k));
        const qint64 answered = adapter.respond(shortdial::readCommand() + '\r').size();
        if (answered != replyLength()) {
            std::fprintf(stderr, "the adapter answers %lld characters, not %lld\n", answered, replyLength());
            return 1;
        }
        sim::SimulatedLink link(adapter);
        link.open();
        WorkFile file(dir.filePath("sim-mail.ini"));
        Session session(link, file);
        if (!measure(session, runs, "full directory in process, simulated adapter paced at 19200 bit/s"))
            return 1;
    }
    return 0;
}
