// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startup.h"

#include "app/networkportdialog.h"
#include "link/transport/link.h"
#include "link/session/messages.h"
#include "link/ports/ports.h"
#include "link/session/serialcontrol.h"
#include "ui/formparts.h"
#include "ui/windows.h"
#include "link/ports/portnames.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTreeView>
#include <QVBoxLayout>

#include <cstdio>

namespace korvanta {

PortDialogResult tryPort(SerialControl &control, int selectedPort, const Timing &timing, Identity &identity,
                         QWidget *parent)
{
    if (selectedPort == 0)
        return PortShowAgain;
    return connectPort(control, selectedPort, timing, identity, parent) ? PortConnected : PortShowAgain;
}

namespace {
// The port list's columns: what the closed list shows, the device the entry
// opens, what is known of the device.
enum { kNameColumn, kDeviceColumn, kDetailsColumn, kColumns };

// COM1 to COM9 with the device each leads to, then the devices found on the
// machine. The open list is a table of the three columns.
void fillPortList(QComboBox *combo, const SerialControl &control)
{
    auto *model = new QStandardItemModel(0, kColumns, combo);
    const auto add = [model](const QString &name, const QString &device, const QString &details) {
        QList<QStandardItem *> row{new QStandardItem(name), new QStandardItem(device), new QStandardItem(details)};
        for (QStandardItem *item : row) {
            item->setEditable(false);
            item->setToolTip(device);
        }
        model->appendRow(row);
    };
    for (int port = kFirstComPort; port <= kLastComPort; ++port)
        add(PortDialog::tr("COM%1   (ﾎﾟｰﾄ%1)").arg(port), control.describe(port), {});
    for (const FoundPort &port : control.found())
        add(port.path, port.device(), port.details());
    for (const PortAddress &port : control.named())
        add(port.name, port.text(), QStringLiteral("ports.conf"));
    add(PortDialog::tr("ネットワーク ポートの追加..."), {}, {});

    auto *view = new QTreeView(combo);
    view->setHeaderHidden(true);
    view->setRootIsDecorated(false);
    view->setUniformRowHeights(true);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setAllColumnsShowFocus(true);
    combo->setModel(model);
    combo->setView(view); // the list's earlier model and view go with it
    combo->setModelColumn(kNameColumn);
    constexpr int kGap = 16;
    int width = 0;
    for (int column = 0; column < kColumns; ++column) {
        view->resizeColumnToContents(column);
        view->setColumnWidth(column, view->columnWidth(column) + kGap);
        width += view->columnWidth(column);
    }
    view->setMinimumWidth(width);
}
} // namespace

PortDialog::PortDialog(SerialControl &control, const Timing &timing, Identity &identity, QWidget *parent)
    : QDialog(parent, form::kDialogFlags), m_control(control), m_timing(timing), m_identity(identity)
{
    setObjectName(QStringLiteral("Form8"));
    setWindowTitle(tr("シリアルポート設定"));

    QLabel *title = form::title(kProgramTitle, "Label1", 1.4, this);

    auto *frame = new QGroupBox(tr("シリアルポート選択"), this);
    frame->setObjectName(QStringLiteral("Frame6"));
    m_combo = new QComboBox(frame);
    m_combo->setObjectName(QStringLiteral("Combo1"));
    auto *device = new QLabel(frame);
    device->setObjectName(QStringLiteral("Label3"));
    device->setTextInteractionFlags(Qt::TextSelectableByMouse);
    fillPortList(m_combo, control);
    const auto showDevice = [this, device](int row) {
        device->setText(tr("デバイス: ") + m_combo->model()->index(row, kDeviceColumn).data().toString());
    };
    connect(m_combo, &QComboBox::currentIndexChanged, device, showDevice);
    connect(m_combo, &QComboBox::currentIndexChanged, this, [this](int row) {
        if (row != addEntry())
            m_previousRow = row;
    });
    connect(m_combo, &QComboBox::activated, this, [this](int row) {
        if (row == addEntry())
            addNetworkPort();
    });
    m_combo->setCurrentIndex(0);
    showDevice(0);
    auto *frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(m_combo);
    frameLayout->addWidget(device);

    auto *hint = new QLabel(tr("☆KORVAN-TA が接続されているポートを選択してください。"), this);
    hint->setObjectName(QStringLiteral("Label2"));

    auto *ok = new QPushButton(tr("登録"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(tr("キャンセル"), this);
    cancel->setObjectName(QStringLiteral("Command1"));
    connect(ok, &QPushButton::clicked, this, &PortDialog::registerPort);
    connect(cancel, &QPushButton::clicked, this, [this] {
        m_result = PortCancelled;
        done(m_result);
    });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 18, 24, 18);
    layout->setSpacing(12);
    layout->addWidget(title);
    layout->addWidget(frame);
    layout->addWidget(hint);
    layout->addLayout(form::buttonRow({ok, cancel}));
    centreOnScreen(this);
}

int PortDialog::addEntry() const
{
    return m_combo->count() - 1;
}

void PortDialog::addNetworkPort()
{
    PortNames names = PortNames::load(m_portsFile);
    NetworkPortDialog dialog(names, m_portsFile, this);
    const int chosen = dialog.exec() == QDialog::Accepted ? m_control.addNamed(dialog.added()) - 1 : m_previousRow;
    fillPortList(m_combo, m_control);
    m_combo->setCurrentIndex(chosen);
}

void PortDialog::registerPort()
{
    if (m_trying)
        return;
    if (m_combo->currentIndex() == addEntry()) {
        addNetworkPort();
        return;
    }
    m_trying = true;
    setEnabled(false);
    m_result = tryPort(m_control, m_combo->currentIndex() + 1, m_timing, m_identity, this);
    setEnabled(true);
    m_trying = false;
    done(m_result);
}

void PortDialog::closeEvent(QCloseEvent *event)
{
    if (m_trying) { // the port is being opened and asked: not now
        event->ignore();
        return;
    }
    m_result = PortCancelled;
    QDialog::closeEvent(event);
}

void PortDialog::reject()
{
    if (m_trying)
        return;
    m_result = PortCancelled;
    QDialog::reject();
}

Messages::Handler consoleMessageHandler()
{
    return [](const MessageRequest &request) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(request.title), qPrintable(request.text));
        return request.buttons.testFlag(MessageBox::Ok) ? MessageBox::Ok : MessageBox::Ignore;
    };
}

bool selectPortAndIdentify(SerialControl &control, const Timing &timing, Identity &identity)
{
    for (;;) {
        PortDialog dialog(control, timing, identity);
        dialog.exec();
        switch (dialog.result()) {
        case PortConnected:
            return true;
        case PortCancelled:
            control.close();
            return false;
        case PortShowAgain:
            break;
        }
    }
}

} // namespace korvanta
