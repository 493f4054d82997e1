// SPDX-License-Identifier: GPL-3.0-or-later
// The port list with the devices found on the machine, and why a device did
// not open: from what the failed open itself answered, and for a device the
// user may not open, who may.

#include "tests/consoleserver.h"
#include "app/startup.h"
#include "appfixture.h"
#include "link/transport/address.h"
#include "link/ports/portnames.h"
#include "link/ports/ports.h"
#include "link/session/serialcontrol.h"
#include "link/transport/seriallink.h"

#include <QAbstractItemModel>
#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <stdlib.h>
#include <unistd.h>

using namespace korvanta;

namespace {
const Timing kTiming = Timing{}.scaled(20);

// A pseudo-terminal's far side: its slave path stands in for a serial device.
struct Pty {
    Pty() : master(::posix_openpt(O_RDWR | O_NOCTTY))
    {
        if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0)
            path = QString::fromLocal8Bit(::ptsname(master));
    }
    ~Pty() { ::close(master); }
    int master;
    QString path;
};

const FoundPort kCable{"/dev/ttyUSB0", "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1-if00-port0", "FT232R USB UART",
                       "FTDI"};
const FoundPort kModem{"/dev/ttyACM0", {}, {}, {}};
} // namespace

class PortsTest : public QObject {
    Q_OBJECT

private slots:
    void listShowsFoundDevicesAfterTheComPorts();
    void aFoundDeviceIsChosenLikeAComPort();
    void openFailureNamesTheReason_data();
    void openFailureNamesTheReason();
    void theReasonIsTheFailedOpensOwn();
    void permissionAdviceFollowsTheMode_data();
    void permissionAdviceFollowsTheMode();
    void permissionReasonForAnotherUser();
    void portAddedAfterALastLineWithoutItsEnd();
};

void PortsTest::listShowsFoundDevicesAfterTheComPorts()
{
    PortMap map;
    map.assign("COM2=/dev/ttyACM0"); // already one of the nine: not listed again
    SerialControl control(serialLinkFactory(map, {kCable, kModem}));
    Identity identity;
    PortDialog dialog(control, kTiming, identity);
    auto *combo = dialog.findChild<QComboBox *>("Combo1");
    const QAbstractItemModel *model = combo->model();
    QCOMPARE(combo->count(), 11); // the last: "ネットワーク ポートの追加..."
    QCOMPARE(combo->currentIndex(), 0);
    const struct {
        int row;
        QString name, device, details;
    } rows[] = {{0, "COM1   (ﾎﾟｰﾄ1)", "/dev/ttyS0", ""},
                {1, "COM2   (ﾎﾟｰﾄ2)", "/dev/ttyACM0", ""},
                {8, "COM9   (ﾎﾟｰﾄ9)", "/dev/ttyS8", ""},
                {9, "/dev/ttyUSB0", kCable.byId, "FT232R USB UART, FTDI"},
                {10, "ネットワーク ポートの追加...", "", ""}};
    for (const auto &r : rows) {
        QCOMPARE(combo->itemText(r.row), r.name);
        QCOMPARE(model->index(r.row, 1).data().toString(), r.device);
        QCOMPARE(model->index(r.row, 2).data().toString(), r.details);
    }
    auto *device = dialog.findChild<QLabel *>("Label3");
    QVERIFY(device->text().endsWith("/dev/ttyS0"));
    combo->setCurrentIndex(9);
    QVERIFY(device->text().endsWith(kCable.byId));
}

void PortsTest::aFoundDeviceIsChosenLikeAComPort()
{
    MessageRecorder messages;
    sim::SimulatedAdapter adapter;
    SerialControl control(simulatedLinkFactory(adapter, {kCable}));
    Identity identity;
    PortDialog dialog(control, kTiming, identity);
    dialog.findChild<QComboBox *>("Combo1")->setCurrentIndex(9);
    dialog.findChild<QPushButton *>("OKButton")->click();
    QCOMPARE(dialog.result(), PortConnected);
    QCOMPARE(control.commPort(), 10);
    QCOMPARE(adapter.log(), (QList<QByteArray>{"ATE1V1", "ATI", "AT%I2"}));
    QVERIFY(messages.boxes.isEmpty());
}

void PortsTest::openFailureNamesTheReason_data()
{
    QTest::addColumn<bool>("held"); // another program has the device open
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << false << "デバイス %1 が存在しません。";
    QTest::newRow("in use") << true << "デバイス %1 は他のプログラムが使用中です。";
    // A console server's port is connected to: no COM port is spoken of.
    QTest::newRow("console server refuses") << false << "";
}

void PortsTest::openFailureNamesTheReason()
{
    QFETCH(bool, held);
    QFETCH(QString, reason);
    MessageRecorder messages;
    Pty pty;
    QVERIFY(!pty.path.isEmpty());
    const bool network = reason.isEmpty();
    const QString device = held      ? pty.path
                           : network ? QStringLiteral("tcp://127.0.0.1:%1").arg(korvanta::testing::freePort())
                                     : QStringLiteral("/dev/ttyKORVANTA-missing");
    SerialLink other(pty.path);
    if (held)
        QVERIFY(other.open());
    PortMap map;
    map.assign("COM1=" + device);
    SerialControl control(serialLinkFactory(map));
    Identity identity;
    QCOMPARE(tryPort(control, 1, kTiming, identity, nullptr), PortShowAgain);
    if (network) {
        QCOMPARE(messages.texts().size(), 1);
        QVERIFY2(messages.texts()[0].startsWith(kCannotConnect + "\n" + device), qPrintable(messages.texts()[0]));
    } else {
        QCOMPARE(messages.texts(), QStringList{kCannotOpenPort + "\n" + reason.arg(device)});
    }
}

// A device that appears after the open failed changes nothing of the reason:
// it is what that open answered, not what the device says now.
void PortsTest::theReasonIsTheFailedOpensOwn()
{
    QTemporaryDir dir;
    const QString device = dir.filePath("ttyLATE");
    const std::unique_ptr<Link> link = linkTo(PortAddress::device(device));
    QVERIFY(!link->open());
    QFile late(device);
    QVERIFY(late.open(QIODevice::WriteOnly));
    QCOMPARE(link->whyNotOpen(), QStringLiteral("デバイス %1 が存在しません。").arg(device));
}

// Refused by the system, the reason says who may open the device: a group
// only when its members may read and write it, otherwise the one user who may
// (root when even the owner may not), with the mode; the port list's access
// column says the same.
void PortsTest::permissionAdviceFollowsTheMode_data()
{
    QTest::addColumn<uint>("mode");
    QTest::addColumn<QString>("owner"); // empty: the device vanished
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("who"); // "group NAME", "only NAME MODE", "everyone MODE"; empty: nothing known
    QTest::newRow("serial device of group dialout") << 020660u << "root" << "dialout" << "group dialout";
    QTest::newRow("group may only read") << 020640u << "root" << "dialout" << "only root crw-r-----";
    QTest::newRow("owner alone") << 020600u << "root" << "dialout" << "only root crw-------";
    QTest::newRow("pty, its group may only write") << 020620u << "root" << "tty" << "only root crw--w----";
    QTest::newRow("another user's device") << 060600u << "alice" << "disk" << "only alice brw-------";
    QTest::newRow("no one but root") << 020000u << "alice" << "dialout" << "only root c---------";
    QTest::newRow("everyone, refused anyway") << 020666u << "root" << "dialout" << "everyone crw-rw-rw-";
    QTest::newRow("vanished") << 0u << "" << "" << "";
}

void PortsTest::permissionAdviceFollowsTheMode()
{
    QFETCH(uint, mode);
    QFETCH(QString, owner);
    QFETCH(QString, group);
    QFETCH(QString, who);
    DeviceProbe probe;
    probe.status = [&](const QString &) {
        return owner.isEmpty() ? std::nullopt : std::optional<DeviceStatus>(DeviceStatus{mode, owner, group});
    };
    probe.mayOpen = [](const QString &) { return false; };
    const QStringList w = who.split(' ');
    QString advice, column = "no access";
    if (w[0] == "group") {
        advice = QStringLiteral("ユーザーをグループ「%1」に加えてから、ログインし直してください。").arg(w[1]);
        column += QStringLiteral(" (join group %1)").arg(w[1]);
    } else if (w[0] == "only") {
        advice = QStringLiteral("%1 だけが開けます (%2)。udev の規則か管理者がこの権限を変えられます。").arg(w[1], w[2]);
        column += QStringLiteral(" (only %1: %2; a udev rule or the administrator can change that)").arg(w[1], w[2]);
    } else if (w[0] == "everyone") {
        advice = QStringLiteral("モード (%1) では誰でも開けますが、システムが拒みました。管理者に相談してください。").arg(w[1]);
        column += QStringLiteral(" (%1, but the system refuses)").arg(w[1]);
    }
    for (const int error : {EACCES, EPERM})
        QCOMPARE(openFailureReason("/dev/ttyUSB0", {error, false, "Permission denied"}, probe),
                 "デバイス /dev/ttyUSB0 を開く権限がありません。" + advice);
    QCOMPARE(listPorts({kModem}, probe), "/dev/ttyACM0\t-\t-\t-\t" + column + "\n");
    probe.mayOpen = [](const QString &) { return true; };
    QCOMPARE(listPorts({kModem}, probe), "/dev/ttyACM0\t-\t-\t-\tmay open\n");
}

// The utility run as a user who may not open the device says so, and who
// may: the pty's owner alone, as its group may only write to it.
void PortsTest::permissionReasonForAnotherUser()
{
    if (::geteuid() != 0)
        QSKIP("needs root to run the utility as another user");
    const char *user = "nobody";
    if (!::getpwnam(user)) {
        user = "korvanta-test";
        if (!::getpwnam(user) && QProcess::execute("useradd", {"--system", "--no-create-home", user}) != 0)
            QSKIP("no unprivileged user, and useradd could not make one");
    }
    // The user must reach the program: not so when runuser cannot switch
    // (a user namespace mapping root alone) or when a folder above the
    // build is closed to others (a tree under /root).
    const QString program = QDir(qEnvironmentVariable("KORVANTA_BIN_DIR")).filePath("korvanta");
    if (QProcess::execute("runuser", {"-u", user, "--", "true"}) != 0)
        QSKIP(qPrintable(QStringLiteral("runuser cannot run a program as %1 here").arg(user)));
    if (QProcess::execute("runuser", {"-u", user, "--", "test", "-x", program}) != 0)
        QSKIP(qPrintable(QStringLiteral("%1 cannot run %2: a folder above it is closed to others").arg(user, program)));
    Pty pty; // root's, mode 620, group tty: others may not open it
    QVERIFY(!pty.path.isEmpty());
    const QByteArray slave = QFile::encodeName(pty.path);
    QVERIFY(::chmod(slave.constData(), 0620) == 0);
    const struct group *tty = ::getgrnam("tty");
    QVERIFY(::chown(slave.constData(), 0, tty ? tty->gr_gid : 5) == 0);
    QTemporaryDir home;
    QFile::setPermissions(home.path(), QFile::Permissions(0x7777));
    QProcess utility;
    utility.start("runuser", {"-u", user, "--", "env", "QT_QPA_PLATFORM=offscreen", "HOME=" + home.path(),
                              program, "--auto-port",
                              "1", "--port", "COM1=" + pty.path, "--workfile", home.filePath("mail.ini")});
    QVERIFY(utility.waitForFinished(30000));
    const QString errors = QString::fromUtf8(utility.readAllStandardError());
    QCOMPARE(utility.exitCode(), 1);
    QVERIFY2(errors.contains(kCannotOpenPort + "\n"
                             + QStringLiteral("デバイス %1 を開く権限がありません。root だけが開けます (crw--w----)。"
                                              "udev の規則か管理者がこの権限を変えられます。")
                                   .arg(pty.path)),
             qPrintable(errors));
}

QTEST_MAIN(PortsTest)
// A port added to a ports.conf whose last line has no line end (as an editor
// may leave it) stands on a line of its own: both ports are there on reload.
void PortsTest::portAddedAfterALastLineWithoutItsEnd()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ports.conf"));
    QFile conf(path);
    QVERIFY(conf.open(QIODevice::WriteOnly) && conf.write("rack1 = tcp://127.0.0.1:2001") > 0);
    conf.close();
    PortNames names = PortNames::load(path);
    QString why;
    QVERIFY2(names.add(path, QStringLiteral("rack2"), *parseAddress(QStringLiteral("rfc2217://127.0.0.1:2002")), &why),
             qPrintable(why));
    const PortNames reloaded = PortNames::load(path);
    QCOMPARE(reloaded.problems(), QStringList{});
    QVERIFY(reloaded.find(QStringLiteral("rack1")) && reloaded.find(QStringLiteral("rack2")));
    QCOMPARE(reloaded.find(QStringLiteral("rack2"))->port, quint16(2002));
}

#include "ports_test.moc"
