// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/identify.h"
#include "link/messages.h"
#include "link/timing.h"

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

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void registerPort();

    SerialControl &m_control;
    Timing m_timing;
    Identity &m_identity;
    QComboBox *m_combo;
    PortDialogResult m_result = PortCancelled; // closed by its frame: the program ends
    bool m_trying = false;
};

// Message boxes written to standard error instead, answered with OK (or
// Ignore where there is no OK): for runs without an operator.
Messages::Handler consoleMessageHandler();

// Shows the port selection dialog again and again until the adapter is
// identified (true) or the operator cancels (false).
bool selectPortAndIdentify(SerialControl &control, const Timing &timing, Identity &identity);

} // namespace korvanta
