// SPDX-License-Identifier: GPL-3.0-or-later
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
