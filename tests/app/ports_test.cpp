// The port list with the devices found on the machine, and why a device did
// not open.

#include "app/startup.h"
#include "appfixture.h"
#include "link/ports.h"
#include "link/seriallink.h"

#include <QAbstractItemModel>
#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <fcntl.h>
#include <pwd.h>
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
    void permissionReasonForAnotherUser();
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
    QCOMPARE(combo->count(), 10);
    QCOMPARE(combo->currentIndex(), 0);
    const struct {
        int row;
        QString name, device, details;
    } rows[] = {{0, "COM1   (ﾎﾟｰﾄ1)", "/dev/ttyS0", ""},
                {1, "COM2   (ﾎﾟｰﾄ2)", "/dev/ttyACM0", ""},
                {8, "COM9   (ﾎﾟｰﾄ9)", "/dev/ttyS8", ""},
                {9, "/dev/ttyUSB0", kCable.byId, "FT232R USB UART, FTDI"}};
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
}

void PortsTest::openFailureNamesTheReason()
{
    QFETCH(bool, held);
    QFETCH(QString, reason);
    MessageRecorder messages;
    Pty pty;
    QVERIFY(!pty.path.isEmpty());
    const QString device = held ? pty.path : QStringLiteral("/dev/ttyKORVANTA-missing");
    SerialLink other(pty.path);
    if (held)
        QVERIFY(other.open());
    PortMap map;
    map.assign("COM1=" + device);
    SerialControl control(serialLinkFactory(map));
    Identity identity;
    QCOMPARE(tryPort(control, 1, kTiming, identity, nullptr), PortShowAgain);
    QCOMPARE(messages.texts(), QStringList{kCannotOpenPort + "\n" + reason.arg(device)});
}

// The utility run as a user who may not open the device says so, and names
// the group that owns it.
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
    Pty pty; // root's, mode 620: others may not open it
    QVERIFY(!pty.path.isEmpty());
    QTemporaryDir home;
    QFile::setPermissions(home.path(), QFile::Permissions(0x7777));
    QProcess utility;
    utility.start("runuser", {"-u", user, "--", "env", "QT_QPA_PLATFORM=offscreen", "HOME=" + home.path(),
                              QDir(qEnvironmentVariable("KORVANTA_BIN_DIR")).filePath("korvanta"), "--auto-port",
                              "1", "--port", "COM1=" + pty.path, "--workfile", home.filePath("mail.ini")});
    QVERIFY(utility.waitForFinished(30000));
    const QString errors = QString::fromUtf8(utility.readAllStandardError());
    QCOMPARE(utility.exitCode(), 1);
    QVERIFY2(errors.contains(kCannotOpenPort + "\n"
                             + QStringLiteral("デバイス %1 を開く権限がありません。ユーザーをグループ「%2」に加えてから、"
                                              "ログインし直してください。")
                                   .arg(pty.path, QFileInfo(pty.path).group())),
             qPrintable(errors));
}

QTEST_MAIN(PortsTest)
#include "ports_test.moc"
