#pragma once

#include "link/messages.h"
#include "link/timing.h"

#include <QDialog>
#include <QString>

class QComboBox;

namespace korvanta {

class Link;
class SerialControl;
class Session;

// Result of one showing of the port selection dialog.
enum PortDialogResult {
    PortConnected = 0, // adapter identified, port left open
    PortShowAgain = 1, // failed: the dialog comes again
    PortCancelled = 2, // the program ends
};

// What identification read from the adapter.
struct Identity {
    QString ModelName;       // 9 characters of the answer to "ATI"
    QString FirmwareVersion; // 17 characters of the answer to "AT%I2" from its first "V"
};

inline const QString kCannotOpenPort = QStringLiteral("COMポートがオープンできません");
inline const QString kNoDevice = QStringLiteral("機器が接続されていません");
inline const QString kNotKorvanta = QStringLiteral("KORVAN-TAが接続されていません");

// "ATE1V1", "ATI", "AT%I2" on an open link, each with the identification
// deadline. Shows the failure message over parent and closes the link when the
// adapter is not identified.
PortDialogResult identifyAdapter(Link &link, const Timing &timing, Identity &identity, QWidget *parent);

// One press of "登録": sets the control to the port (list position + 1; 0 is
// nothing selected), opens it at 19200,N,8,1 and identifies the adapter.
PortDialogResult tryPort(SerialControl &control, int selectedPort, const Timing &timing, Identity &identity,
                         QWidget *parent);

// "1" when the number behind the first blank of the firmware text (its first
// four characters when there is no blank) is greater than 1.2, else "0".
QString deriveNewFirmwareFlag(const QString &firmwareVersion);

// Hands the identification to the session: model, firmware, the firmware flag,
// and no writes yet.
void applyIdentity(Session &session, const Identity &identity);

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
