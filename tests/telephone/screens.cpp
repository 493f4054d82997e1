// Grabs Form2's four tabs and Form14 to PNG files in the folder given as the
// first argument, against the simulated adapter. A tool for looking at the
// layout, not a test.
#include "link/messages.h"
#include "link/session.h"
#include "numberdisplay/numberdisplaydialog.h"
#include "sim/simulatedadapter.h"
#include "sim/simulatedlink.h"
#include "telephone/telephonedialog.h"
#include "workfile/workfile.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>

using namespace korvanta;

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath();
    QTemporaryDir dir;
    sim::SimulatedAdapter adapter;
    adapter.setValue(QStringLiteral("$C1"), QStringLiteral("03-1234-5678"));
    adapter.setValue(QStringLiteral("$E1"), QStringLiteral("12#*"));
    adapter.setValue(QStringLiteral("$G1"), QStringLiteral("090-1234-5678"));
    sim::SimulatedLink link(adapter);
    link.open();
    WorkFile work(dir.filePath(QStringLiteral("mail.ini")));
    Session session(link, work);
    session.NewFirmwareFlag = QStringLiteral("1");
    Messages::setHandler([](const MessageRequest &) { return MessageBox::Ok; });
    QWidget opener;
    auto *form2 = new TelephoneDialog(session, &opener);
    form2->openAndRead();
    auto *tabs = form2->findChild<QTabWidget *>(QStringLiteral("SSTab1"));
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        form2->grab().save(out + QStringLiteral("/form2_tab%1.png").arg(i));
    }
    for (int port = 0; port < 3; ++port) {
        auto *form14 = new NumberDisplayDialog(session, port, form2);
        form14->openAndRead();
        form14->grab().save(out + QStringLiteral("/form14_tel%1.png").arg(port + 1));
        form14->close();
    }
    form2->close();

    // Reads that failed: TEL2's listing (TEL2, TEL3 and the common tab not
    // read), TEL3's dial time (the rest of TEL3 read), TEL1's number display.
    session.timing.queryDeadlineMs = 100;
    for (const char *failing : {"AT\\S3", "AT$I13?"}) {
        auto faults = adapter.faults();
        faults.errorFor = {failing};
        adapter.setFaults(faults);
        auto *failed = new TelephoneDialog(session, &opener);
        failed->openAndRead();
        tabs = failed->findChild<QTabWidget *>(QStringLiteral("SSTab1"));
        tabs->setCurrentIndex(2);
        failed->grab().save(out + QStringLiteral("/form2_failed_%1.png").arg(failing[3] == 'S' ? "tel2" : "tel3dial"));
        if (failing[3] != 'S') {
            faults.errorFor = {"AT$D3?"};
            adapter.setFaults(faults);
            auto *form14 = new NumberDisplayDialog(session, 2, failed);
            form14->openAndRead();
            form14->grab().save(out + QStringLiteral("/form14_failed.png"));
            form14->close();
        }
        failed->close();
    }
    adapter.setFaults({});

    // Older firmware: what it lacks is disabled.
    auto f = adapter.faults();
    f.firmware = sim::kOldFirmware;
    adapter.setFaults(f);
    adapter.factoryReset();
    session.NewFirmwareFlag = QStringLiteral("0");
    auto *old = new TelephoneDialog(session, &opener);
    old->openAndRead();
    tabs = old->findChild<QTabWidget *>(QStringLiteral("SSTab1"));
    for (int i : {0, 3}) {
        tabs->setCurrentIndex(i);
        old->grab().save(out + QStringLiteral("/form2_old_tab%1.png").arg(i));
    }
    return 0;
}
