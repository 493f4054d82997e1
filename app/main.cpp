// SPDX-License-Identifier: GPL-3.0-or-later
// korvanta: the KORVAN-TA settings utility.

#include "app/desktopidentity.h"
#include "link/session/exitsignals.h"
#include "app/mainwindow.h"
#include "app/networkportdialog.h"
#include "app/options.h"
#include "app/screenshots.h"
#include "app/startup.h"
#include "link/transport/link.h"
#include "link/session/messages.h"
#include "link/ports/ports.h"
#include "link/session/serialcontrol.h"
#include "link/session/session.h"
#include "link/transport/trafficlog.h"
#include "sim/simulatedadapter.h"
#include "sim/simulatedlink.h"
#include "translations/language.h"
#include "ui/messagebox.h"
#include "ui/style.h"
#include "workfile/workfile.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <memory>

using namespace korvanta;

namespace {
bool haveDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

// Port COMn, straight away.
bool identifyOn(int port, SerialControl &control, const Timing &timing, Identity &identity)
{
    const bool found = connectPort(control, port, timing, identity, nullptr);
    if (found)
        std::printf("COM%d: %s, %s\n", port, qPrintable(identity.ModelName), qPrintable(identity.FirmwareVersion));
    std::fflush(stdout);
    return found;
}
} // namespace

int main(int argc, char *argv[])
{
    QElapsedTimer sinceStart;
    sinceStart.start();

    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    Options options;
    QString error;
    if (!parseOptions(arguments, options, &error)) {
        // Said in the locale's language, as the windows would say it.
        const QCoreApplication words(argc, argv);
        installTranslators(Program::Windows);
        parseOptions(arguments, options, &error);
        std::fprintf(stderr, "korvanta: %s\n\n%s", qPrintable(error), qPrintable(usage()));
        return 2;
    }
    if (options.help) {
        std::printf("%s", qPrintable(usage()));
        return 0;
    }
    if (options.version) {
        std::printf("korvanta %s\n", KORVANTA_VERSION);
        return 0;
    }
    for (const QString &problem : options.names.problems()) // the other lines still count
        std::fprintf(stderr, "korvanta: %s\n", qPrintable(problem));
    if (options.listPorts) {
        const QList<FoundPort> found = findSerialPorts();
        std::printf("%s", qPrintable(listPorts(found)));
        if (found.isEmpty())
            std::fprintf(stderr, "korvanta: no serial devices found\n");
        return 0;
    }
    if (!options.screenshots.isEmpty() && !haveDisplay())
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    applyDesktopIdentity();
    applyStyle();
    installMessageBoxes();
    setSecretAsker(askInWindow); // a key's passphrase, a password: asked in a window
    QApplication::setQuitOnLastWindowClosed(false); // the main window decides when the utility ends
    // The windows in the locale's language; message box buttons in Japanese
    // ("キャンセル", "中止", "再試行", "無視") under a Japanese or the C locale.
    installTranslators(Program::Windows);

    // Without the port dialog no one is there to answer a box either, until
    // the main window shows.
    if (options.autoPort)
        Messages::setHandler(consoleMessageHandler());

    if (!options.screenshots.isEmpty())
        return runScreenshotTour(options.screenshots);
    // A simulated adapter keeps its values in a work file of its own.
    const WorkFilePlace place(options.workFile, options.simulate, WorkFile::defaultPath());
    // A work file named that cannot be written is said; the windows still
    // work, with the snapshot of their reads kept for the run.
    if (!options.workFile.isEmpty())
        if (const QString why = WorkFile::unwritableReason(place.path()); !why.isEmpty())
            std::fprintf(stderr, "korvanta: --workfile: %s\n", why.toLocal8Bit().constData());
    WorkFile workFile(place.path());
    if (!workFile.lock()) {
        Messages::inform(workFile.inUseMessage());
        return 1;
    }

    std::unique_ptr<sim::SimulatedAdapter> adapter;
    LinkFactory factory;
    if (options.simulate) {
        adapter = sim::builtInAdapter();
        factory = sim::simulatedLinkFactory(*adapter);
    } else {
        factory = serialLinkFactory(options.ports, findSerialPorts(), options.names.ports());
    }
    TrafficLog log;
    if (!options.logFile.isEmpty()) {
        if (!log.open(options.logFile, &error)) {
            std::fprintf(stderr, "korvanta: %s\n", qPrintable(error));
            return 2;
        }
        factory = loggedLinkFactory(factory, log);
    }
    SerialControl control(factory);
    const Timing timing;
    Identity identity;
    const bool identified = options.autoPort ? identifyOn(options.autoPort, control, timing, identity)
                                             : selectPortAndIdentify(control, timing, identity);
    if (!identified)
        return options.autoPort ? 1 : 0;

    Messages::setHandler(nullptr);

    Session session(*control.link(), workFile, control.timingOf(control.commPort(), timing));
    session.commEvents = control.commEvents();
    session.portName = control.name(control.commPort());
    applyIdentity(session, identity);
    MainWindow window(session);
    // Ended by a signal, the status says which one, as a shell reports it.
    QObject::connect(
        &window, &MainWindow::finished, &app,
        [&window] { QCoreApplication::exit(window.endSignal() ? 128 + window.endSignal() : 0); },
        Qt::QueuedConnection);
    // A logout, kill or closed terminal runs the exit procedure too.
    ExitSignals exitSignals;
    QObject::connect(&exitSignals, &ExitSignals::received, &window, &MainWindow::endOnSignal);
    window.show();
    if (options.exitAfterStart) {
        QTimer::singleShot(0, &window, [&] {
            std::printf("main window shown after %lld ms\n", sinceStart.elapsed());
            std::fflush(stdout);
            window.findChild<QAction *>(QStringLiteral("FileExit"))->trigger();
        });
    }
    return app.exec();
}
