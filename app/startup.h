// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/transport/address.h"
#include "link/ports/portnames.h"
#include "link/session/identify.h"
#include "link/session/messages.h"
#include "link/protocol/timing.h"
#include "link/session/serialcontrol.h"

#include <QDialog>
#include <QString>

class QComboBox;

namespace korvanta {

class SerialControl;

// Result of one showing of the port selection dialog.
enum PortDialogResult {
    PortConnected = 0, // adapter identified, port left open
    PortShowAgain = 1, // failed: the dialog comes again
    PortCancelled = 2, // the program ends
};

// One press of "登録": connectPort() on the list position + 1 (0 is nothing
// selected).
PortDialogResult tryPort(SerialControl &control, int selectedPort, const Timing &timing, Identity &identity,
                         QWidget *parent);

// The port selection dialog "シリアルポート設定".
class PortDialog : public QDialog {
    Q_OBJECT
public:
    PortDialog(SerialControl &control, const Timing &timing, Identity &identity, QWidget *parent = nullptr);

    PortDialogResult result() const { return m_result; }
    // Where "ネットワーク ポートの追加..." writes; ports.conf by default.
    void setPortsFile(const QString &path) { m_portsFile = path; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void registerPort();
    // The last entry of the list, "ネットワーク ポートの追加...": asks for a
    // name and an address, and lists the port it adds, selected.
    int addEntry() const;
    void addNetworkPort();

    SerialControl &m_control;
    Timing m_timing;
    Identity &m_identity;
    QComboBox *m_combo;
    PortDialogResult m_result = PortCancelled; // closed by its frame: the program ends
    bool m_trying = false;
    QString m_portsFile = PortNames::defaultPath();
    int m_previousRow = 0; // the entry chosen before "ネットワーク ポートの追加..."
};

// Message boxes written to standard error instead, answered with OK (or
// Ignore where there is no OK): for runs without an operator.
Messages::Handler consoleMessageHandler();

// Shows the port selection dialog again and again until the adapter is
// identified (true) or the operator cancels (false).
bool selectPortAndIdentify(SerialControl &control, const Timing &timing, Identity &identity);

} // namespace korvanta
