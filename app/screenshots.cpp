// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/screenshots.h"

#include "app/historywindow.h"
#include "app/initdialog.h"
#include "app/mainwindow.h"
#include "app/networkportdialog.h"
#include "app/profilewindows.h"
#include "app/startup.h"
#include "app/terminal.h"
#include "app/versiondialog.h"
#include "link/session/commevents.h"
#include "link/transport/link.h"
#include "link/ports/ports.h"
#include "link/session/serialcontrol.h"
#include "link/session/session.h"
#include "link/transport/wait.h"
#include "sim/simulatedadapter.h"
#include "sim/simulatedlink.h"
#include "ui/helpviewer.h"
#include "ui/messagebox.h"
#include "ui/progresswindow.h"
#include "ui/settingsdialog.h"
#include "workfile/workfile.h"
#include "link/ports/portnames.h"

#include <QApplication>
#include <QDir>
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QMenuBar>
#include <QMessageBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <cstdio>

namespace korvanta {

namespace {
class Camera {
public:
    Camera(const QString &dir, const TourLook &look) : m_dir(dir), m_look(look) {}

    bool take(QWidget *window, const QString &name = {})
    {
        QCoreApplication::processEvents();
        const QString file = name.isEmpty() ? window->objectName() : name;
        if (m_look)
            m_look(window, file);
        return save(window->grab(), file);
    }
    // A window with a popup of its own (an open list) over it, in one picture.
    bool take(QWidget *window, QWidget *popup, const QString &name)
    {
        QCoreApplication::processEvents();
        if (m_look)
            m_look(popup, name);
        const QRect windowRect(window->mapToGlobal(QPoint()), window->size());
        const QRect popupRect(popup->mapToGlobal(QPoint()), popup->size());
        const QRect all = windowRect.united(popupRect);
        QPixmap picture(all.size() * window->devicePixelRatioF());
        picture.setDevicePixelRatio(window->devicePixelRatioF());
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        painter.drawPixmap(windowRect.topLeft() - all.topLeft(), window->grab());
        painter.drawPixmap(popupRect.topLeft() - all.topLeft(), popup->grab());
        painter.end();
        return save(picture, name);
    }
    bool ok() const { return m_ok; }
    void fail(const QString &why)
    {
        std::fprintf(stderr, "%s\n", qPrintable(why));
        m_ok = false;
    }

private:
    bool save(const QPixmap &picture, const QString &name)
    {
        const QString path = m_dir.absoluteFilePath(name + ".png");
        if (!picture.save(path)) {
            fail(QStringLiteral("cannot write ") + path);
            return false;
        }
        std::printf("%s\n", qPrintable(path));
        std::fflush(stdout);
        return true;
    }

    QDir m_dir;
    TourLook m_look;
    bool m_ok = true;
};

QWidget *visibleWindow(const QString &name)
{
    for (QWidget *window : QApplication::topLevelWidgets())
        if (window->objectName() == name && window->isVisible())
            return window;
    return nullptr;
}

// The offscreen platform says at every window that it cannot do what only a
// window system does; nothing to report in a run that only takes pictures.
QtMessageHandler g_nextHandler = nullptr;

void quietPlatform(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.startsWith(QLatin1String("This plugin does not support")))
        return;
    if (g_nextHandler)
        g_nextHandler(type, context, message);
}

template <typename Predicate>
void waitFor(int ms, Predicate done)
{
    const QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        waitUntil(QDeadlineTimer(qMin<qint64>(10, deadline.remainingTime())));
}
// The first message box a step asks, as the window program shows it; every
// box of the step is answered with answer.
template <typename Step>
void takeFirstBox(Camera &camera, QWidget &over, const QString &name, MessageBox::Button answer, Step step)
{
    bool taken = false;
    const auto previous = Messages::setHandler([&](const MessageRequest &request) {
        if (!std::exchange(taken, true)) {
            std::unique_ptr<QMessageBox> box(newMessageBox(request, &over));
            box->show();
            camera.take(box.get(), name);
        }
        return answer;
    });
    step();
    Messages::setHandler(previous);
    if (!taken)
        camera.fail(QStringLiteral("no box for ") + name);
}

// The restore's question, over a profile (saved as path) with two settings
// changed: saved, edited, restored and answered no.
void profileQuestion(Session &session, MainWindow &main, Camera &camera, const QString &path)
{
    if (!saveProfile(session, &main, path))
        return camera.fail(QStringLiteral("no profile saved"));
    QFile file(path);
    QByteArray text = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    file.close();
    text.replace("[TEL1]\nJIKO_NO=\n", "[TEL1]\nJIKO_NO=0312345678\n");
    text.replace("[TANSYUKU]\n00=\n", "[TANSYUKU]\n00=117\n");
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size())
        return camera.fail(QStringLiteral("cannot edit ") + path);
    file.close();
    takeFirstBox(camera, main, QStringLiteral("ProfileRestore"), MessageBox::No,
                 [&] { restoreProfile(session, &main, path); });
}

// The history window after a registration in the telephone window, its
// entry selected and compared with the adapter.
void historyWindow(Session &session, MainWindow &main, Camera &camera)
{
    if (SettingsDialog *telephone = main.openSettings(kSettingsCommands[0], true)) {
        QPointer<SettingsDialog> registering = telephone;
        if (auto *own = telephone->findChild<QLineEdit *>(QStringLiteral("Text2")))
            own->setText(QStringLiteral("0312345678"));
        if (auto *enter = telephone->findChild<QPushButton *>(QStringLiteral("Command3")))
            enter->click();
        if (registering)
            registering->close();
    }
    HistoryWindow history(session, &main);
    history.show();
    auto *list = history.findChild<QTreeWidget *>(QStringLiteral("HistoryList"));
    if (!list || list->topLevelItemCount() == 0)
        return camera.fail(QStringLiteral("no history entry of the registration"));
    list->setCurrentItem(list->topLevelItem(0));
    camera.take(&history);
}

} // namespace

int runScreenshotTour(const QString &dir, const TourLook &look)
{
    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(dir));
        return 1;
    }
    const QTemporaryDir scratch;
    if (!scratch.isValid()) {
        std::fprintf(stderr, "cannot create a temporary folder: %s\n", qPrintable(scratch.errorString()));
        return 1;
    }
    WorkFile workFile(scratch.filePath(QStringLiteral("mail.ini")));
    Messages::setHandler(consoleMessageHandler()); // no one is there to answer a box
    g_nextHandler = qInstallMessageHandler(quietPlatform);
    Camera camera(dir, look);

    // The port list as on a machine with a USB serial cable and a modem: the
    // COM ports with the devices they lead to, then the devices found.
    sim::SimulatedAdapter adapter;
    LinkFactory factory = simulatedLinkFactory(
        adapter, {{QStringLiteral("/dev/ttyUSB0"),
                   QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3T2Q-if00-port0"),
                   QStringLiteral("FT232R USB UART"), QStringLiteral("FTDI")},
                  {QStringLiteral("/dev/ttyACM0"), {}, QStringLiteral("USB Modem"), {}}});
    factory.describe = [](int port) { return PortMap().devicePath(port); };
    // and an adapter on a console server, named in ports.conf.
    PortNames names = PortNames::parse("rack1-a = rfc2217://rack1:3001\n", QStringLiteral("ports.conf"));
    *factory.named = names.ports();
    SerialControl control(factory);
    const Timing timing;
    Identity identity;
    {
        PortDialog ports(control, timing, identity);
        ports.show();
        camera.take(&ports);
        auto *list = ports.findChild<QComboBox *>(QStringLiteral("Combo1"));
        list->showPopup();
        list->view()->setCurrentIndex(list->model()->index(kLastComPort, 0));
        camera.take(&ports, list->view()->window(), QStringLiteral("Form8List"));
        list->hidePopup();
        {
            NetworkPortDialog add(names, scratch.filePath(QStringLiteral("ports.conf")), &ports);
            add.findChild<QLineEdit *>(QStringLiteral("NameText"))->setText(QStringLiteral("rack1-b"));
            add.findChild<QLineEdit *>(QStringLiteral("AddressText"))->setText(QStringLiteral("rfc2217+tls://rack1:3002"));
            add.showSettings(true); // the port's settings, those of TLS enabled
            add.findChild<QLineEdit *>(QStringLiteral("CaText"))->setText(QStringLiteral("~/.config/korvanta/rack1-ca.pem"));
            add.show();
            camera.take(&add);
        }
        ports.findChild<QPushButton *>(QStringLiteral("OKButton"))->click();
        if (ports.result() != PortConnected) {
            std::fprintf(stderr, "the simulated adapter was not identified\n");
            return 1;
        }
    }

    Session session(*control.link(), workFile, timing);
    session.commEvents = control.commEvents();
    session.portName = control.name(control.commPort());
    // The history the tour makes is its own too.
    qputenv("XDG_DATA_HOME", QFile::encodeName(scratch.filePath(QStringLiteral("data"))));
    applyIdentity(session, identity);
    MainWindow main(session);
    main.show();
    camera.take(&main);
    if (QMenu *file = main.menuBar()->actions().value(0)->menu()) {
        file->popup(main.mapToGlobal(main.menuBar()->geometry().bottomLeft()));
        camera.take(&main, file, QStringLiteral("Form1File"));
        file->hide();
    }
    profileQuestion(session, main, camera, scratch.filePath(QStringLiteral("profile.ini")));

    // Each settings window, and the detail windows it opens: the detail's
    // button, an option that enables the button first, and the detail window.
    const struct {
        const char *button, *enabler, *form;
    } details[3][2] = {{{"Command5", nullptr, "Form14"}, {}},
                       {{"Command4", "Option17", "Form5"}, {"Command5", "Option4", "Form6"}},
                       {}};
    for (int i = 0; i < 3; ++i) {
        SettingsDialog *dialog = main.openSettings(kSettingsCommands[i], true);
        if (!dialog)
            continue;
        camera.take(dialog);
        for (const auto &detail : details[i]) {
            if (!detail.button)
                continue;
            if (detail.enabler)
                if (auto *enabler = dialog->findChild<QAbstractButton *>(QString::fromLatin1(detail.enabler)))
                    enabler->click();
            auto *button = dialog->findChild<QAbstractButton *>(QString::fromLatin1(detail.button));
            if (!button || !button->isEnabled())
                continue;
            button->click();
            if (QWidget *window = visibleWindow(QString::fromLatin1(detail.form))) {
                camera.take(window);
                window->close();
            }
        }
        dialog->close();
    }

    historyWindow(session, main, camera);

    {
        ProgressWindow progress(ProgressWindow::tr("読取り中です"), ProgressWindow::tr("しばらくお待ちください"), &main);
        progress.show();
        camera.take(&progress);
    }
    {
        TerminalWindow terminal(session, &main);
        session.commEvents->setTerminalSink([&terminal](const QByteArray &text) { terminal.append(text); });
        terminal.show();
        for (const QByteArray command : {"ATI\r", "AT%I2\r"}) {
            const int before = int(terminal.text().size());
            session.link.output(command);
            waitFor(3000, [&] { return terminal.text().indexOf("OK\r\n", before) >= 0; });
        }
        camera.take(&terminal);
        session.commEvents->setTerminalSink({});
        terminal.close();
    }
    // A serial error: the line to the adapter lost, answered OK (the
    // simulated line stays as it was).
    takeFirstBox(camera, main, QStringLiteral("SerialError"), MessageBox::Ok,
                 [&] { emit session.link.commEvent(comEventLineLost); });
    {
        InitDialog init(session, &main);
        init.show();
        camera.take(&init);
    }
    {
        VersionDialog version(session, &main);
        version.show();
        camera.take(&version);
    }
    if (!QFileInfo(helpFile(session)).isReadable())
        camera.fail(QStringLiteral("no help file: ") + helpFile(session));
    showHelp(session, 1, &main);
    if (QWidget *help = visibleWindow(QStringLiteral("HelpWindow"))) {
        camera.take(help);
        help->close();
    }

    main.close();
    return camera.ok() ? 0 : 1;
}

} // namespace korvanta
