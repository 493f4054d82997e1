// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/transport/address.h"
#include "link/ports/portnames.h"

#include <QDialog>

class QLineEdit;

namespace korvanta {

// "ネットワーク ポートの追加": a name and the address of an adapter's port on a
// console server. "追加" tries the connection, says what failed if it fails,
// and otherwise adds the line to ports.conf.
class NetworkPortDialog : public QDialog {
    Q_OBJECT
public:
    NetworkPortDialog(PortNames &names, const QString &portsFile, QWidget *parent = nullptr);

    // The port added, once the dialog is accepted.
    const PortAddress &added() const { return m_added; }

protected:
    void reject() override;

private:
    void add();

    PortNames &m_names;
    QString m_portsFile;
    QLineEdit *m_name;
    QLineEdit *m_address;
    PortAddress m_added;
    bool m_trying = false;
};

} // namespace korvanta
