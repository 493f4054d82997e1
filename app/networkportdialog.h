// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/transport/address.h"
#include "link/transport/secrets.h"
#include "link/transport/trust.h"
#include "link/ports/portnames.h"

#include <QDialog>

#include <optional>
#include <utility>
#include <vector>

class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace korvanta {

// "ネットワーク ポートの追加": a name and the address of an adapter's port on a
// console server, and under "詳細設定" the port's settings of ports.conf
// (those of its scheme enabled). "追加" tries the connection, says what
// failed if it fails, and otherwise adds the port to ports.conf. A server the
// try refused only as unknown (a TLS certificate, an SSH host key) is shown
// with its fingerprint and "このサーバーを信頼する": that trusts it
// (applyTrust()), tries again, and adds the port (with its certificate pinned).
class NetworkPortDialog : public QDialog {
    Q_OBJECT
public:
    NetworkPortDialog(PortNames &names, const QString &portsFile, QWidget *parent = nullptr);

    // The port added, once the dialog is accepted.
    const PortAddress &added() const { return m_added; }
    // Shows the settings under "詳細設定", or hides them.
    void showSettings(bool shown);

protected:
    void reject() override;

private:
    void add();
    // Tries the port and adds it; offers the trust when the server is only unknown.
    void tryToAdd(const PortAddress &port);
    void trust();
    void offerTrust(const PortAddress &port, const TrustOffer &offer);
    // The settings as the fields give them; false with why, the field focused.
    bool readSettings(PortAddress::Settings *settings, QString *why);
    // The fields the address's scheme takes, enabled; an offer made for another address withdrawn.
    void addressChanged();

    PortNames &m_names;
    QString m_portsFile;
    QLineEdit *m_name;
    QLineEdit *m_address;
    QToolButton *m_more;
    QWidget *m_settings;
    std::vector<std::pair<const char *, QLineEdit *>> m_settingFields; // ports.conf's key, its field
    QLineEdit *m_fingerprint = nullptr;
    QDoubleSpinBox *m_deadlineScale;
    QLabel *m_trustText;
    QPushButton *m_trustButton;
    TrustOffer m_offer;     // what the last try offered to trust
    PortAddress m_untrusted; // the port it was for
    PortAddress m_added;
    bool m_trying = false;
};

// The window program's way to ask for a passphrase or a password
// (setSecretAsker()): a small modal window, what is typed not shown.
std::optional<QByteArray> askInWindow(const SecretRequest &request);

} // namespace korvanta
