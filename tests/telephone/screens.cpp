// SPDX-License-Identifier: GPL-3.0-or-later
// Grabs Form2's four tabs and Form14 to PNG files in the folder given as the
// first argument, against the simulated adapter, and every settings window
// after a failed read, in the language the locale picks. A tool for looking
// at the layout, not a test.
#include "dataport/bapdialog.h"
#include "dataport/dataportdialog.h"
#include "dataport/throughputboddialog.h"
#include "link/session/messages.h"
#include "shortdial/shortdialdialog.h"
#include "translations/language.h"
#include "link/session/session.h"
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
    installTranslators(Program::Windows);
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
    // read), TEL3's dial time (the rest of TEL3 read), TEL3's number
    // display, the USB listing, the BOD registers, the BAP sides, the
    // directory.
    session.timing.queryDeadlineMs = 100;
    const auto failing = [&](const char *query) {
        auto faults = adapter.faults();
        faults.errorFor = {query};
        adapter.setFaults(faults);
    };
    const auto grab = [&](SettingsDialog *window, const QString &name, int tab = -1) {
        window->openAndRead();
        if (tab >= 0)
            window->findChild<QTabWidget *>(QStringLiteral("SSTab1"))->setCurrentIndex(tab);
        window->grab().save(out + QStringLiteral("/failed_%1.png").arg(name));
    };
    failing("AT\\S3");
    auto *failed = new TelephoneDialog(session, &opener);
    grab(failed, QStringLiteral("form2_tel2"), 1);
    failed->close();
    failing("AT$I13?");
    failed = new TelephoneDialog(session, &opener);
    grab(failed, QStringLiteral("form2_tel3_dial"), 2);
    failing("AT$D3?");
    auto *detail = new NumberDisplayDialog(session, 2, failed);
    grab(detail, QStringLiteral("form14"));
    detail->close();
    failed->close();
    failing("AT\\S6");
    auto *form3 = new DataPortDialog(session, &opener);
    grab(form3, QStringLiteral("form3_usb"), 1);
    failing("AT$I40?");
    SettingsDialog *dataDetail = new ThroughputBodDialog(session, form3);
    grab(dataDetail, QStringLiteral("form5"));
    dataDetail->close();
    failing("AT$I47?");
    dataDetail = new BapDialog(session, form3);
    grab(dataDetail, QStringLiteral("form6"));
    dataDetail->close();
    form3->close();
    failing("AT&Z*");
    auto *form4 = new ShortDialDialog(session, &opener);
    grab(form4, QStringLiteral("form4"));
    form4->close();
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
